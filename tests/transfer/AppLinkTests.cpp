// Notifications through the source manager, and the host program recognised by its name.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <thread>

#include "harness/ChildProcess.h"
#include "harness/DsLoader.h"
#include "harness/TestEnv.h"
#include "transfer/AppLink.h"

using namespace mvltest;
namespace fs = std::filesystem;

namespace {

// The recording manager, loaded under the TWAIN 2 manager's name as a real manager would be.
class CFakeDsm {
public:
    static CFakeDsm& Get()
    {
        static CFakeDsm s_dsm;
        return s_dsm;
    }
    bool Loaded() const { return m_pfnCalls && m_pfnReset && m_pfnThread && m_pfnBad; }
    long Calls(int nMsg) const { return m_pfnCalls(nMsg); }
    long BadCalls() const { return m_pfnBad(); }
    DWORD LastThread() const { return m_pfnThread(); }
    void Reset() const { m_pfnReset(); }
    HMODULE Module() const { return m_hDll; }

private:
    CFakeDsm()
    {
        wchar_t szExe[MAX_PATH] = L"";
        GetModuleFileNameW(nullptr, szExe, MAX_PATH);
        fs::path target = m_dir.Path() / L"TWAINDSM.dll";
        std::error_code ec;
        fs::copy_file(fs::path(szExe).parent_path() / L"mvlfakedsm.dll", target, ec);
        m_hDll = LoadLibraryW(target.c_str());
        if (!m_hDll)
            return;
        m_pfnCalls = Fn<long (*)(int)>("FakeDsm_Calls");
        m_pfnBad = Fn<long (*)()>("FakeDsm_BadCalls");
        m_pfnThread = Fn<DWORD (*)()>("FakeDsm_LastThread");
        m_pfnReset = Fn<void (*)()>("FakeDsm_Reset");
    }
    template <class T>
    T Fn(const char* pszName)
    {
        return reinterpret_cast<T>(reinterpret_cast<void*>(GetProcAddress(m_hDll, pszName)));
    }

    CTempDir m_dir;
    HMODULE m_hDll = nullptr;
    long (*m_pfnCalls)(int) = nullptr;
    long (*m_pfnBad)() = nullptr;
    DWORD (*m_pfnThread)() = nullptr;
    void (*m_pfnReset)() = nullptr;
};

TW_IDENTITY Identity(TW_UINT32 nId)
{
    TW_IDENTITY id{};
    id.Id = nId;
    return id;
}

class AppLink : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(CFakeDsm::Get().Loaded());
        CFakeDsm::Get().Reset();
        ArmCloseDsRequest();
        g_bUserClose = FALSE;
        g_bKeepOpen = TRUE;
        RecognizeHostApp();  // the link window on this, the application's, thread
    }
    const TW_IDENTITY m_ds = Identity(501);
    const TW_IDENTITY m_app = Identity(77);
};

// Child: recognises its own host program and reports the flags as bits of its exit code.
int HostFlags(const std::vector<std::wstring>&)
{
    RecognizeHostApp();
    const SAppFlags& f = g_appFlags;
    return (f.bOffice ? 1 : 0) | (f.bOfficeViewer ? 2 : 0) | (f.bMsScanViewer ? 4 : 0) | (f.bPhotoshop ? 8 : 0) |
           (f.bPhotoshopNotCS4 ? 16 : 0) | (f.bPhotoshopCS2 ? 32 : 0) | (MarkOfficeIdentityHost() ? 64 : 0);
}
MVL_CHILD_ACTION(L"host-flags", HostFlags);

// Runs a copy of this test program under the given relative path and returns its flag bits.
int FlagsAs(const CTempDir& dir, const fs::path& relative)
{
    wchar_t szExe[MAX_PATH] = L"";
    GetModuleFileNameW(nullptr, szExe, MAX_PATH);
    fs::path host = dir.Path() / relative;
    fs::create_directories(host.parent_path());
    fs::copy_file(szExe, host, fs::copy_options::overwrite_existing);
    PROCESS_INFORMATION pi{};
    STARTUPINFOW si{};
    si.cb = sizeof si;
    std::wstring sLine = L"\"" + host.wstring() + L"\" --child host-flags";
    if (!CreateProcessW(host.c_str(), sLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
        return -1;
    DWORD dwCode = 0xFFFF;
    if (WaitForSingleObject(pi.hProcess, 60000) == WAIT_OBJECT_0)
        GetExitCodeProcess(pi.hProcess, &dwCode);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return static_cast<int>(dwCode);
}

void PumpMessages()
{
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

}  // namespace

TEST_F(AppLink, TheLoadedTwain2ManagerIsUsed)
{
    NotifyXferReady(m_ds, m_app);
    NotifyMergeScanErrorEnd(m_ds, m_app);
    EXPECT_EQ(1, CFakeDsm::Get().Calls(MSG_XFERREADY));
    EXPECT_EQ(1, CFakeDsm::Get().Calls(MSG_CLOSEDSOK));
    EXPECT_EQ(0, CFakeDsm::Get().BadCalls());
    EXPECT_EQ(GetCurrentThreadId(), CFakeDsm::Get().LastThread());
}

TEST_F(AppLink, CloseRequestArrivesOncePerEnable)
{
    EXPECT_TRUE(NotifyCloseDsRequest(m_ds, m_app, true));
    EXPECT_FALSE(NotifyCloseDsRequest(m_ds, m_app, true));
    EXPECT_EQ(1, CFakeDsm::Get().Calls(MSG_CLOSEDSREQ));
    // The next enable arms it again.
    ArmCloseDsRequest();
    EXPECT_TRUE(NotifyCloseDsRequest(m_ds, m_app, true));
    EXPECT_EQ(2, CFakeDsm::Get().Calls(MSG_CLOSEDSREQ));
}

TEST_F(AppLink, ShownDialogSendsNoCloseRequestUntilTheUserClosesIt)
{
    EXPECT_FALSE(NotifyCloseDsRequest(m_ds, m_app, false));
    EXPECT_EQ(0, CloseNotify(0, m_ds, m_app, false));
    EXPECT_EQ(0, CFakeDsm::Get().Calls(MSG_CLOSEDSREQ));
    // A nonzero close notification only drops the keep-open flag.
    CloseNotify(1, m_ds, m_app, false);
    EXPECT_FALSE(g_bKeepOpen);
    EXPECT_EQ(0, CFakeDsm::Get().Calls(MSG_CLOSEDSREQ));
    g_bUserClose = TRUE;
    CloseNotify(0, m_ds, m_app, false);
    CloseNotify(0, m_ds, m_app, false);
    EXPECT_EQ(1, CFakeDsm::Get().Calls(MSG_CLOSEDSREQ));
}

TEST_F(AppLink, WorkerThreadNotificationsArriveOnTheApplicationThread)
{
    std::thread worker([this] { NotifyXferReady(m_ds, m_app); });
    worker.join();
    // Nothing reaches the application until its own thread runs its message loop.
    EXPECT_EQ(0, CFakeDsm::Get().Calls(MSG_XFERREADY));
    PumpMessages();
    EXPECT_EQ(1, CFakeDsm::Get().Calls(MSG_XFERREADY));
    EXPECT_EQ(GetCurrentThreadId(), CFakeDsm::Get().LastThread());
}

namespace {

std::vector<TW_UINT16> g_heldFor;
bool HoldCloseRequests(TW_UINT16 wMsg)
{
    return std::find(g_heldFor.begin(), g_heldFor.end(), wMsg) != g_heldFor.end();
}

}  // namespace

TEST_F(AppLink, HeldNotificationsGoOnceEachInOrderWhenReleased)
{
    g_heldFor = {MSG_CLOSEDSREQ, MSG_XFERREADY};
    SetNotificationHold(&HoldCloseRequests);
    NotifyXferReady(m_ds, m_app);
    EXPECT_TRUE(NotifyCloseDsRequest(m_ds, m_app, true));
    NotifyXferReady(m_ds, m_app);
    SendHeldNotifications();  // still held
    EXPECT_EQ(0, CFakeDsm::Get().Calls(MSG_XFERREADY));
    g_heldFor = {MSG_CLOSEDSREQ};
    SendHeldNotifications();
    EXPECT_EQ(1, CFakeDsm::Get().Calls(MSG_XFERREADY));
    EXPECT_EQ(0, CFakeDsm::Get().Calls(MSG_CLOSEDSREQ));
    g_heldFor.clear();
    SendHeldNotifications();
    EXPECT_EQ(1, CFakeDsm::Get().Calls(MSG_CLOSEDSREQ));
    // A disable drops what still waits.
    g_heldFor = {MSG_CLOSEDSOK};
    NotifyMergeScanErrorEnd(m_ds, m_app);
    DropHeldNotifications();
    g_heldFor.clear();
    SendHeldNotifications();
    EXPECT_EQ(0, CFakeDsm::Get().Calls(MSG_CLOSEDSOK));
    SetNotificationHold(nullptr);
}

TEST(AppHost, FlagsFollowTheExecutableName)
{
    CTempDir dir;
    EXPECT_EQ(1 | 2 | 64, FlagsAs(dir, L"Winword.exe"));
    EXPECT_EQ(4, FlagsAs(dir, L"mspscan.exe"));
    EXPECT_EQ(4, FlagsAs(dir, L"v\\MSPSCAN.EXE"));
    EXPECT_EQ(1, FlagsAs(dir, L"OneNote.exe"));  // Office, but not at the identity query
    EXPECT_EQ(8 | 16 | 32, FlagsAs(dir, L"Adobe Photoshop CS2\\Photoshop.exe"));
    EXPECT_EQ(8, FlagsAs(dir, L"Adobe Photoshop CS4\\Photoshop.exe"));
    EXPECT_EQ(8 | 16, FlagsAs(dir, L"Adobe Photoshop 7.0\\Photoshop.exe"));
    EXPECT_EQ(0, FlagsAs(dir, L"Photoshop.exe.exe"));
}

TEST(AppHost, OpeningTheSourceNamesTheHostProgram)
{
    CTestSource ds;
    ASSERT_TRUE(ds.Loaded());
    ASSERT_EQ(TWRC_SUCCESS, ds.Open());
    EXPECT_TRUE(ds.Trace().Contains("CDsAssistor::ConnectApp: AP -- ProductName:TRANSFER_IMAGE_TESTS.EXE"));
    EXPECT_EQ(TWRC_SUCCESS, ds.Close());
}
