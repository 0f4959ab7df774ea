// The connection dialog as a user meets it, against the simulated scanner's network answers:
// the host field's filter, searches that find nothing or two scanners, a search that never
// answers, OK in each mode, and the scanner chosen being the one a scan opens.
#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstring>

#include "device/LLDGlobal.h"
#include "profile/Language.h"
#include "ui/DialogSkin.h"
#include "ui/OutputDialogTest.h"
#include "ui/PortSettingDlg.h"
#include "ui/SaveDialogIds.h"

using namespace mvltest;

// The one driver wrapper of this program: the simulated device library beside it.
CLLDMorvel g_LLD([] { return std::wstring(L"mvl"); });

namespace {

class PortDialog : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_NE(m_en.Module(), nullptr);
        WriteIni("");
        MessageDialogs().Clear();
    }
    void WriteIni(const std::string& sText) { WriteTextFile(m_dir.Path() / "mvlsim.ini", sText); }
    std::string Log() const { return ReadTextFile(m_dir.Path() / "sim.log"); }
    // The dialog modal on this thread while user acts; RunPortSettings' answer.
    bool Run(SScanParamRecord& rec, const std::function<void(HWND)>& user, HINSTANCE hLang = nullptr)
    {
        return RunWithUser([&] { return INT_PTR(RunPortSettings(nullptr, hLang ? hLang : m_en.Module(), rec)); },
                           [&] {
                               if (HWND hDlg = WaitForDialogWithCtrl(IDC_PORT_HOST, 5000))
                                   user(hDlg);
                           }) != 0;
    }
    // Clicks the control and waits until the search it starts has answered.
    void SearchBy(HWND hDlg, int nCtrl)
    {
        ::DeleteFileW((m_dir.Path() / "sim.log").c_str());
        ClickCtrl(::GetDlgItem(hDlg, nCtrl));
        EXPECT_TRUE(WaitUntil([&] { return Log().find("BroadcastMFP count") != std::string::npos; }, 5000));
        EXPECT_TRUE(WaitUntil([&] { return ::IsWindowEnabled(::GetDlgItem(hDlg, IDOK)) != FALSE; }, 5000));
    }

    CLangLibrary m_en{L"enus"};
    CTempDir m_dir;
    CScopedEnv m_ini{L"MVLSIM_INI", (m_dir.Path() / "mvlsim.ini").wstring().c_str()};
    CScopedEnv m_log{L"MVLSIM_LOG", (m_dir.Path() / "sim.log").wstring().c_str()};
};

std::wstring ListItem(HWND hList, int nIndex)
{
    wchar_t sz[256] = L"";
    ::SendMessageW(hList, CB_GETLBTEXT, nIndex, reinterpret_cast<LPARAM>(sz));
    return sz;
}

// As the user's Ctrl+V over the whole field.
void Paste(HWND hEdit, const std::wstring& s)
{
    ASSERT_TRUE(::OpenClipboard(nullptr));
    ::EmptyClipboard();
    HGLOBAL h = ::GlobalAlloc(GMEM_MOVEABLE, (s.size() + 1) * sizeof(wchar_t));
    std::memcpy(::GlobalLock(h), s.c_str(), (s.size() + 1) * sizeof(wchar_t));
    ::GlobalUnlock(h);
    ::SetClipboardData(CF_UNICODETEXT, h);
    ::CloseClipboard();
    ::PostMessageW(hEdit, EM_SETSEL, 0, -1);
    ::PostMessageW(hEdit, WM_PASTE, 0, 0);
}

TEST_F(PortDialog, HostFieldKeepsFourGroupsOfHostCharactersAndAFailedTestShows1141)
{
    SScanParamRecord rec{};
    EXPECT_FALSE(Run(rec, [&](HWND hDlg) {
        ClickCtrl(::GetDlgItem(hDlg, IDC_PORT_HOST_RADIO));
        HWND hHost = ::GetDlgItem(hDlg, IDC_PORT_HOST);
        Paste(hHost, L"192.168.1.20.5");
        EXPECT_TRUE(WaitUntil([&] { return CtrlText(hDlg, IDC_PORT_HOST) == L"192.168.1.20"; }, 3000));
        ::PostMessageW(hHost, EM_SETSEL, 0, -1);
        TypeText(hHost, L"my_scan ner.lan");
        EXPECT_TRUE(WaitUntil([&] { return CtrlText(hDlg, IDC_PORT_HOST) == L"myscanner.lan"; }, 3000));
        EXPECT_EQ(ClickForMessage(::GetDlgItem(hDlg, IDOK)).sText, LoadDlgString(m_en.Module(), 1141));
        EXPECT_TRUE(::IsWindowVisible(hDlg));
        ClickCtrl(::GetDlgItem(hDlg, IDCANCEL));
    }));
    EXPECT_NE(Log().find("CALL ScanDrv_DetectNetMFP myscanner.lan"), std::string::npos);
    // Cancel after the failed test: nothing of the record changed.
    EXPECT_EQ(rec.nConnection, 0u);
    EXPECT_STREQ(rec.szAddress2, "");
}

TEST_F(PortDialog, SearchListsWhatItFindsAndTheChosenScannerIsTheOneAScanOpens)
{
    SScanParamRecord rec{};
    EXPECT_TRUE(Run(rec, [&](HWND hDlg) {
        HWND hList = ::GetDlgItem(hDlg, IDC_PORT_LIST);
        SearchBy(hDlg, IDC_PORT_SEARCH);
        EXPECT_EQ(::SendMessageW(hList, CB_GETCOUNT, 0, 0), 0);
        EXPECT_FALSE(::IsWindowEnabled(hList));
        WriteIni("[Network]\nScanners=MFP-Office;MFP-Lab\n");
        SearchBy(hDlg, IDC_PORT_REFRESH);
        ASSERT_EQ(::SendMessageW(hList, CB_GETCOUNT, 0, 0), 2);
        EXPECT_EQ(ListItem(hList, 0), L"MFP-Office");
        EXPECT_EQ(ListItem(hList, 1), L"MFP-Lab");
        EXPECT_TRUE(::IsWindowEnabled(hList));
        FocusCtrl(hDlg, hList);
        PressKey(hList, VK_DOWN);
        EXPECT_TRUE(WaitUntil([&] { return ::SendMessageW(hList, CB_GETCURSEL, 0, 0) == 1; }, 3000));
        ClickCtrl(::GetDlgItem(hDlg, IDOK));
        EXPECT_TRUE(WaitGone(hDlg, 5000));
    }));
    EXPECT_EQ(rec.nConnection, 1u);
    EXPECT_STREQ(rec.szAddress1, "MFP-Lab");
    EXPECT_NE(Log().find("CALL ScanDrv_DetectNetMFP MFP-Lab"), std::string::npos);
    // The scan's way to the device: the record's connection names it.
    ASSERT_EQ(g_LLD.DevMon_Open(DeviceNameOf(rec).c_str()), 0);
    g_LLD.DevMon_Close();
    EXPECT_NE(Log().find("CALL ScanDrv_Open MFP-Lab"), std::string::npos);
}

TEST_F(PortDialog, UsbOkClosesWithoutATest)
{
    SScanParamRecord rec{};
    rec.nConnection = 2;
    std::strcpy(rec.szAddress2, "10.0.0.7");
    EXPECT_TRUE(Run(rec, [&](HWND hDlg) {
        EXPECT_EQ(CtrlText(hDlg, IDC_PORT_HOST), L"10.0.0.7");
        ClickCtrl(::GetDlgItem(hDlg, IDC_PORT_USB));
        ClickCtrl(::GetDlgItem(hDlg, IDOK));
        EXPECT_TRUE(WaitGone(hDlg, 5000));
    }));
    EXPECT_EQ(rec.nConnection, 0u);
    EXPECT_EQ(Log().find("ScanDrv_DetectNetMFP"), std::string::npos);
}

// The user closes the dialog while a search runs: the dialog goes at once, and the worker's
// late answer (or none at all) reaches nothing; a new dialog starts with its own empty list.
TEST_F(PortDialog, ClosingDuringASearchNeitherHangsNorCrashes)
{
    for (const char* pszDelay : {"-1", "600", ""}) {
        WriteIni(std::string("[Network]\nScanners=MFP-A\nSearchDelayMs=") + pszDelay + "\n");
        SScanParamRecord rec{};
        const auto t0 = std::chrono::steady_clock::now();
        EXPECT_FALSE(Run(rec, [&](HWND hDlg) {
            if (!*pszDelay) {
                ::Sleep(900);
                EXPECT_EQ(::SendDlgItemMessageW(hDlg, IDC_PORT_LIST, CB_GETCOUNT, 0, 0), 0);
            } else {
                ClickCtrl(::GetDlgItem(hDlg, IDC_PORT_SEARCH));
                EXPECT_TRUE(WaitUntil([&] { return ::IsWindowVisible(::GetDlgItem(hDlg, IDC_PORT_SEARCHING)) != FALSE; }, 3000));
                EXPECT_FALSE(::IsWindowEnabled(::GetDlgItem(hDlg, IDOK)));
            }
            ::PostMessageW(hDlg, WM_SYSCOMMAND, SC_CLOSE, 0);
            EXPECT_TRUE(WaitGone(hDlg, 3000));
        }));
        EXPECT_LT(std::chrono::steady_clock::now() - t0, std::chrono::seconds(5));
    }
}

TEST_F(PortDialog, Gallery)
{
    WriteIni("[Network]\nScanners=MFP-Office;MFP-Lab\n");
    for (const wchar_t* pszCode : {L"enus", L"ar"}) {
        CLangLibrary lang(pszCode);
        ASSERT_NE(lang.Module(), nullptr);
        g_bHebrew = std::wstring(pszCode) == L"ar";
        SScanParamRecord rec{};
        rec.nConnection = 1;
        std::strcpy(rec.szAddress1, "MFP-Lab");
        Run(
            rec,
            [&](HWND hDlg) {
                SearchBy(hDlg, IDC_PORT_REFRESH);
                ShootChecked(hDlg, "port-dialog", pszCode);
                ClickCtrl(::GetDlgItem(hDlg, IDCANCEL));
            },
            lang.Module());
    }
    g_bHebrew = FALSE;
}

}  // namespace
