// twainscan against the real data source when something goes wrong: each failure the source and
// the simulated scanner can produce gives its own exit status, within a time limit.
#include <windows.h>

#include "tests/twainscan/RealSourceFixture.h"

namespace {

// A named mutex with an access list nobody is refused by, as the source makes its own.
class CScopedMutex {
public:
    explicit CScopedMutex(const std::wstring& sName)
    {
        SECURITY_DESCRIPTOR sd;
        InitializeSecurityDescriptor(&sd, SECURITY_DESCRIPTOR_REVISION);
        SetSecurityDescriptorDacl(&sd, TRUE, nullptr, FALSE);
        SECURITY_ATTRIBUTES sa{sizeof(sa), &sd, FALSE};
        m_h = CreateMutexW(&sa, FALSE, sName.c_str());
    }
    ~CScopedMutex()
    {
        if (m_h)
            CloseHandle(m_h);
    }
    CScopedMutex(const CScopedMutex&) = delete;
    CScopedMutex& operator=(const CScopedMutex&) = delete;
    bool Created() const { return m_h != nullptr; }

private:
    HANDLE m_h = nullptr;
};

}  // namespace

TEST_F(RealToolTest, NoSourceManagerAndNoSuchSource)
{
    SToolRun run = RunTool({L"--dsm", L"C:\\nowhere\\TWAINDSM.dll", L"-d", Name(), L"-n"});
    EXPECT_EQ(EXIT_NO_MANAGER, run.nExit) << run.sErr;
    run = RunTool({L"-d", Name() + L" 2", L"-n"});
    EXPECT_EQ(EXIT_NO_SOURCE, run.nExit) << run.sErr;
    EXPECT_TRUE(Contains(run.sErr, "no TWAIN data source named")) << run.sErr;
}

TEST_F(RealToolTest, SourceHeldByAnotherProcessRefusesToOpen)
{
    // Another application has this source enabled: its sign mutex exists on the machine.
    CScopedMutex held(L"Global\\" + m_install.Prefix() + L"_sign");
    ASSERT_TRUE(held.Created());
    SToolRun run = Scan({L"-n"});
    EXPECT_EQ(EXIT_OPEN_REFUSED, run.nExit) << run.sErr;
    EXPECT_TRUE(Contains(run.sErr, "refused to open")) << run.sErr;
    EXPECT_TRUE(m_install.DeviceParams().empty());
}

TEST_F(RealToolTest, FailedScansEndWithoutAPage)
{
    // The source tells the user in its error dialog; the harness clicks it away.
    m_bMessagesExpected = true;
    // This source ends a failed scan the way TWAIN lets it: TWRC_CANCEL on the transfer and a
    // close request, with no condition code an application could tell from a user's cancel.
    for (const char* pszFault : {"StartResult=-1\r\n", "ReadErrorLine=20\r\n", "Fault=ScanDrv_ReadScanData:throw\r\n"}) {
        SCOPED_TRACE(pszFault);
        m_install.SetSim("", pszFault);
        SToolRun run = Scan({L"--resolution", L"75", L"-o", File("e.bmp")});
        EXPECT_EQ(EXIT_CANCELLED, run.nExit) << run.sErr;
        EXPECT_TRUE(Contains(run.sErr, "cancelled by the source")) << run.sErr;
        EXPECT_FALSE(Exists("e.bmp"));
    }
    // A device that cannot be opened: the source closes before it has a page.
    m_install.SetSim("", "OpenResult=1\r\n");
    SToolRun run = Scan({L"--resolution", L"75", L"-o", File("o.bmp")});
    EXPECT_EQ(EXIT_NOTHING_TO_SCAN, run.nExit) << run.sErr;
    EXPECT_TRUE(Contains(run.sErr, "the source closed")) << run.sErr;
    EXPECT_FALSE(Exists("o.bmp"));
}

TEST_F(RealToolTest, EmptyFeederIsNothingToScan)
{
    m_bMessagesExpected = true;
    m_install.SetSim("PaperInFeeder=0\r\n");
    SToolRun run = Scan({L"--source", L"ADF", L"--resolution", L"75", L"-o", File("n.bmp")});
    EXPECT_EQ(EXIT_NOTHING_TO_SCAN, run.nExit) << run.sErr;
    EXPECT_TRUE(Contains(run.sErr, "the document feeder is empty")) << run.sErr;
    EXPECT_TRUE(m_install.DeviceParams().empty());
}

TEST_F(RealToolTest, UnwritableOutputIsAnOutputError)
{
    SToolRun run = Scan({L"--resolution", L"75", L"-o", File("missing\\folder\\o.bmp")});
    EXPECT_EQ(EXIT_OUTPUT_ERROR, run.nExit) << run.sErr;
    EXPECT_TRUE(Contains(run.sErr, "cannot write")) << run.sErr;
}

TEST_F(RealToolTest, ScanningDialogHoldsTheSourceUntilClosedAndThenIsCancelled)
{
    CToolProcess tool({L"-d", Name(), L"--ui", L"--resolution", L"75", L"-o", File("ui.bmp")});
    ASSERT_TRUE(tool.Started());
    HWND hDialog = nullptr;
    for (int i = 0; i < 300 && !hDialog && tool.Running(); ++i) {
        Sleep(100);
        hDialog = FindVisibleScanDialog(tool.ProcessId());
    }
    ASSERT_NE(nullptr, hDialog) << tool.Finish(0).sErr;
    // While that process has the source enabled, a second application cannot open it.
    SToolRun second = Scan({L"-n"});
    EXPECT_EQ(EXIT_OPEN_REFUSED, second.nExit) << second.sErr;
    EXPECT_TRUE(Contains(second.sErr, "refused to open")) << second.sErr;
    // The user presses the dialog's Close button.
    HWND hClose = GetDlgItem(hDialog, IDCANCEL);
    ASSERT_NE(nullptr, hClose);
    DWORD_PTR dwResult = 0;
    SendMessageTimeoutW(hClose, BM_CLICK, 0, 0, SMTO_ABORTIFHUNG, 5000, &dwResult);
    SToolRun run = tool.Finish(20000);
    EXPECT_EQ(EXIT_CANCELLED, run.nExit) << run.sErr;
    EXPECT_TRUE(Contains(run.sErr, "cancelled in the source's dialog")) << run.sErr;
    EXPECT_FALSE(Exists("ui.bmp"));
}
