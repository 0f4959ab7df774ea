// The scanning dialog of the data source, opened by an application in this process: its title
// in each form, the named settings with their messages, what survives closing the source, the
// help, about and summary views, the self test, and a dialog whose settings cannot be restored.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>

#include "harness/MessageDialogWatcher.h"
#include "harness/TestEnv.h"
#include "ui/DialogDriver.h"
#include "ui/MainDialogIds.h"
#include "ui/MainDialogSession.h"
#include "ui/SaveDialogIds.h"
#include "ui/ScanSummaryText.h"

using namespace dlgtest;
using namespace mvltest;

namespace {

const std::wstring kProduct = L"MV4200 Series TWAIN";

// The texts of the message dialogs seen since the last Clear.
std::vector<std::wstring> Messages()
{
    std::vector<std::wstring> texts;
    for (const SMessageDialog& d : MessageDialogs().Seen())
        texts.push_back(d.sText);
    MessageDialogs().Clear();
    return texts;
}

bool Saw(const std::vector<std::wstring>& texts, const std::wstring& sPart)
{
    return std::any_of(texts.begin(), texts.end(), [&](const std::wstring& s) { return s.find(sPart) != std::wstring::npos; });
}

// The UI language for the sources of one test, through the registry key the profile names.
class CLanguage {
public:
    CLanguage(CDialogSession& session, const wchar_t* pszName)
        : m_key(HKEY_LOCAL_MACHINE, L"Software\\Morvel\\" + session.Src().Prefix())
    {
        m_key.SetString(L"Language", pszName);
    }
    CScopedRegKey& Key() { return m_key; }

private:
    CScopedRegKey m_key;
};

// A visible top-level window of another process (the help viewer) with this title; null after the timeout.
HWND WaitForForeignWindow(const std::wstring& sTitle, DWORD dwMillis)
{
    struct SFind {
        const std::wstring* pTitle;
        HWND hFound;
    } find{&sTitle, nullptr};
    WaitUntil([&] {
        EnumWindows([](HWND h, LPARAM l) -> BOOL {
            auto* p = reinterpret_cast<SFind*>(l);
            DWORD dwPid = 0;
            GetWindowThreadProcessId(h, &dwPid);
            wchar_t sz[256] = L"";
            GetWindowTextW(h, sz, 256);
            if (dwPid != GetCurrentProcessId() && IsWindowVisible(h) && *p->pTitle == sz)
                p->hFound = h;
            return p->hFound == nullptr;
        }, reinterpret_cast<LPARAM>(&find));
        return find.hFound != nullptr;
    }, dwMillis);
    return find.hFound;
}

// Closes the help viewer the dialog started, and ends it if it does not go.
void CloseViewer(HWND hViewer)
{
    DWORD dwPid = 0;
    GetWindowThreadProcessId(hViewer, &dwPid);
    HANDLE hProcess = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, dwPid);
    PostMessageW(hViewer, WM_CLOSE, 0, 0);
    if (hProcess) {
        if (WaitForSingleObject(hProcess, 10000) != WAIT_OBJECT_0)
            TerminateProcess(hProcess, 1);
        CloseHandle(hProcess);
    }
}

}  // namespace

TEST(MainUIDialog, OpensWithItsTitleNamesAndInformationAndClosesOnlyByItsButton)
{
    MessageDialogs().Clear();
    CDialogSession s;
    ASSERT_EQ(s.Open(), TWRC_SUCCESS);
    ASSERT_EQ(s.Enable(true), TWRC_SUCCESS);
    ASSERT_NE(s.Dialog(), nullptr);
    EXPECT_TRUE(IsWindowVisible(s.Dialog()));
    EXPECT_EQ(s.Title(), kProduct + L" (USB)");
    // The first opening made the default setting and made it current; it cannot be deleted.
    EXPECT_EQ(s.Names(), std::vector<std::wstring>{L"Default"});
    EXPECT_EQ(s.Text(IDC_SETTING_NAME), L"Default");
    EXPECT_TRUE(s.Shown(IDC_DELETE_SETTING));
    EXPECT_FALSE(s.Enabled(IDC_DELETE_SETTING));
    EXPECT_FALSE(s.Shown(IDC_SAVE_SETTING));
    // A platform K product has no port choice; it scans from the feeder by default.
    EXPECT_FALSE(s.Shown(IDC_PORT));
    EXPECT_EQ(s.InfoValue(IDC_INFO_LABEL_SOURCE), L"Document Feeder");
    EXPECT_EQ(s.InfoValue(IDC_INFO_LABEL_SIZE), L"2480 px \x00D7 3508 px");
    EXPECT_EQ(s.InfoValue(IDC_INFO_LABEL_DATA), L"24.89 MB");
    EXPECT_EQ(SendMessageW(s.Item(IDC_UNIT_LIST), CB_GETCOUNT, 0, 0), 3);
    EXPECT_TRUE(s.Src().Trace().Contains("Check Connection"));
    Shot(s.Dialog(), "main-dialog-feeder");

    // Alt with the scan letter scans, as the Scan button does.
    BYTE keys[256] = {};
    GetKeyboardState(keys);
    keys['S'] = keys[VK_MENU] = 0x80;
    SetKeyboardState(keys);
    PostMessageW(s.Item(IDC_SCAN), WM_SYSKEYDOWN, 'S', 0x20000000);
    xfertest::CAcquisition::Pump();
    keys['S'] = keys[VK_MENU] = 0;
    SetKeyboardState(keys);
    xfertest::CAcquisition::Pump();
    EXPECT_EQ(s.Acq().Calls(MSG_XFERREADY), 1);
    TW_PENDINGXFERS pending{};
    EXPECT_EQ(s.Src().Control(DAT_PENDINGXFERS, MSG_RESET, &pending), TWRC_SUCCESS);

    // Escape (a cancel without the Close button's focus) leaves the window; the Close button asks
    // the application to close the source.
    SetFocus(s.Item(IDC_SCAN));
    SendMessageW(s.Dialog(), WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    EXPECT_EQ(s.Acq().Calls(MSG_CLOSEDSREQ), 0);
    SetFocus(s.Item(IDCANCEL));
    s.Click(IDCANCEL);
    EXPECT_EQ(s.Acq().Calls(MSG_CLOSEDSREQ), 1);
    EXPECT_TRUE(IsWindow(s.Dialog()));
    EXPECT_EQ(s.Disable(), TWRC_SUCCESS);
    EXPECT_FALSE(IsWindow(s.Dialog()));
    EXPECT_TRUE(Messages().empty());
}

TEST(MainUIDialog, RightToLeftTitleAndFrenchNumbers)
{
    {
        CDialogSession s;
        CLanguage arabic(s, L"Arabic");
        ASSERT_EQ(s.Open(), TWRC_SUCCESS);
        ASSERT_EQ(s.Enable(true), TWRC_SUCCESS);
        EXPECT_EQ(s.Title(), L"(" + kProduct + L" (USB");
        EXPECT_TRUE(GetWindowLongW(s.Dialog(), GWL_EXSTYLE) & WS_EX_LAYOUTRTL);
        Shot(s.Dialog(), "main-dialog-feeder", L"ar");
    }
    CDialogSession s;
    CLanguage french(s, L"French");
    ASSERT_TRUE(StoreCurrentSetting(s.SettingsFile(), TestRecord(0, 1, 0, 1), L"Bureau"));
    ASSERT_EQ(s.Open(), TWRC_SUCCESS);
    ASSERT_EQ(s.Enable(true), TWRC_SUCCESS);
    EXPECT_EQ(s.Title(), kProduct + L" (USB)");
    // A5 at 75 dpi in grey, in millimetres: the French decimal comma and "o" for bytes.
    s.Pick(IDC_UNIT_LIST, 1);
    EXPECT_EQ(s.InfoValue(IDC_INFO_LABEL_SIZE), L"148,00 mm \x00D7 210,00 mm");
    EXPECT_EQ(s.InfoValue(IDC_INFO_LABEL_DATA), L"264,59 Ko");
    EXPECT_EQ(s.InfoValue(IDC_INFO_LABEL_SOURCE), L"Vitre d'exposition");
    Shot(s.Dialog(), "main-dialog-flatbed", L"fr");
    // The estimate of exactly 2048 bytes, as the French UI writes it.
    SSummaryLocale locale;
    locale.wcDecimal = L',';
    locale.bFrench = true;
    EXPECT_EQ(FormatDataSize(2048, locale), L"2,00 Ko");
}

TEST(MainUIDialog, NamedSettingsSaveDeleteSelectAndMarkChanges)
{
    MessageDialogs().Clear();
    CDialogSession s;
    ASSERT_TRUE(StoreCurrentSetting(s.SettingsFile(), TestRecord(0, 1, 0, 1), L"Default"));
    ASSERT_EQ(s.Open(), TWRC_SUCCESS);
    ASSERT_EQ(s.Enable(true), TWRC_SUCCESS);
    Shot(s.Dialog(), "main-dialog-flatbed");

    // A change marks the setting as unsaved; an empty name or that mark is refused.
    s.Pick(IDC_UNIT_LIST, 1);
    EXPECT_EQ(s.Text(IDC_SETTING_NAME), L"Custom");
    EXPECT_TRUE(s.Shown(IDC_SAVE_SETTING));
    EXPECT_FALSE(s.Shown(IDC_DELETE_SETTING));
    s.Click(IDC_SAVE_SETTING);
    s.TypeName(L"  ");
    s.Click(IDC_SAVE_SETTING);
    std::vector<std::wstring> seen = Messages();
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_TRUE(Saw({seen[0]}, L"enter a name") && Saw({seen[1]}, L"enter a name"));

    // Typing keeps out what file names forbid and the comma, and stops at 16 characters.
    s.TypeName(L" a/b:c,d*e?f\"g<h>i|j\\k lmnopqrstuvwxyz ");
    EXPECT_EQ(s.Text(IDC_SETTING_NAME), L"abcdefghijk lmno");
    for (int i = 1; i <= 15; ++i) {
        s.TypeName(L"Set " + std::to_wstring(i));
        s.Click(IDC_SAVE_SETTING);
    }
    EXPECT_EQ(s.Names().size(), 16u);
    EXPECT_EQ(s.Names().back(), L"Set 15");
    EXPECT_TRUE(s.Shown(IDC_DELETE_SETTING) && s.Enabled(IDC_DELETE_SETTING));
    s.TypeName(L"Set 16");
    s.Click(IDC_SAVE_SETTING);
    EXPECT_TRUE(Saw(Messages(), L"No more than 16 settings"));
    EXPECT_EQ(s.Names().size(), 16u);

    // Delete, then saving under a name that exists asks first; No keeps the old one.
    s.TypeName(L"Set 3");
    s.Pick(IDC_SETTING_NAME, 3);
    EXPECT_EQ(s.Text(IDC_SETTING_NAME), L"Set 3");
    s.Click(IDC_DELETE_SETTING);
    EXPECT_EQ(s.Names().size(), 15u);
    EXPECT_EQ(s.Text(IDC_SETTING_NAME), L"Default");
    s.TypeName(L"Set 4");
    {
        CManualMessageDialogs manual;
        std::wstring sAsked;
        RunWithUser([&] { s.Click(IDC_SAVE_SETTING); return 0; },
                    [&] {
                        SMessageDialog d = MessageDialogs().WaitForAny(10000);
                        sAsked = d.sText;
                        PostMessageW(GetDlgItem(d.hWnd, IDCANCEL), BM_CLICK, 0, 0);
                    });
        EXPECT_NE(sAsked.find(L"already exists"), std::wstring::npos);
    }
    EXPECT_EQ(s.Names()[3], L"Set 4");
    MessageDialogs().Clear();
    EXPECT_EQ(s.Disable(), TWRC_SUCCESS);
}

TEST(MainUIDialog, SettingsSurviveReopeningAndAScanWithoutTheDialogUsesThem)
{
    CDialogSession s("", "[Network]\r\nReachable=10.0.0.7\r\n");
    {
        // The installer left a network scanner's address: the dialog takes it into the settings.
        CScopedRegKey installer(HKEY_LOCAL_MACHINE, L"Software\\Morvel\\" + s.Src().Prefix());
        installer.SetString(L"IP", L"10.0.0.7");
        installer.SetString(L"IP TIME", L"2026-01-05 10:00");
        ASSERT_EQ(s.Open(), TWRC_SUCCESS);
        ASSERT_EQ(s.Enable(true), TWRC_SUCCESS);
        EXPECT_EQ(s.Title(), kProduct + L" (10.0.0.7)");
        s.Pick(IDC_UNIT_LIST, 0);
        s.TypeName(L"Office");
        s.Click(IDC_SAVE_SETTING);
        EXPECT_EQ(s.Disable(), TWRC_SUCCESS);
        EXPECT_EQ(s.Src().Close(), TWRC_SUCCESS);
    }
    // Reopened: the same current setting, its name selected, its unit shown.
    ASSERT_EQ(s.Open(), TWRC_SUCCESS);
    ASSERT_EQ(s.Enable(true), TWRC_SUCCESS);
    EXPECT_EQ(s.Text(IDC_SETTING_NAME), L"Office");
    EXPECT_EQ(SendMessageW(s.Item(IDC_UNIT_LIST), CB_GETCURSEL, 0, 0), 0);
    EXPECT_EQ(s.Title(), kProduct + L" (10.0.0.7)");
    EXPECT_EQ(s.Disable(), TWRC_SUCCESS);
    // Without the dialog the scan goes to the same scanner.
    ASSERT_TRUE(s.Acq().Configure(1, 75, 5, 0));
    ASSERT_EQ(s.Enable(false), TWRC_SUCCESS);
    EXPECT_EQ(s.Acq().SimCount("CALL ScanDrv_Open 10.0.0.7"), 1);
    EXPECT_EQ(s.Acq().Calls(MSG_XFERREADY), 1);
    EXPECT_EQ(s.Disable(), TWRC_SUCCESS);
}

TEST(MainUIDialog, PortAboutAndSummary)
{
    MessageDialogs().Clear();
    CDialogSession s;
    SScanParamRecord rec = TestRecord(0, 1, 0, 1);
    rec.nBrightness[0] = 12;
    rec.nBrightness[1] = 30;
    ASSERT_TRUE(StoreCurrentSetting(s.SettingsFile(), rec, L"Default"));
    ASSERT_EQ(s.Open(), TWRC_SUCCESS);
    ASSERT_EQ(s.Enable(true), TWRC_SUCCESS);
    std::vector<std::wstring> about, summary;
    auto read = [](std::vector<std::wstring>& texts, int nFirst, int nLast, const char* pszShot) {
        HWND hDlg = WaitForDialogWithCtrl(nFirst, 10000);
        ASSERT_NE(hDlg, nullptr);
        for (int id = nFirst; id <= nLast; ++id)
            texts.push_back(IsWindowVisible(GetDlgItem(hDlg, id)) ? CtrlText(hDlg, id) : L"-");
        Shot(hDlg, pszShot);
        PostMessageW(GetDlgItem(hDlg, IDOK), BM_CLICK, 0, 0);
    };
    RunWithUser([&] { s.Click(IDC_PORT); return 0; }, [&] {
        HWND hPort = WaitForDialogWithCtrl(IDC_PORT_HOST, 10000);
        ASSERT_NE(hPort, nullptr);
        PostMessageW(GetDlgItem(hPort, IDCANCEL), BM_CLICK, 0, 0);
    });
    RunWithUser([&] { s.Click(IDC_ABOUT); return 0; },
                [&] { read(about, IDC_ABOUT_PRODUCT, IDC_ABOUT_LEGAL, "about"); });
    ASSERT_EQ(about.size(), 3u);
    EXPECT_EQ(about[0], L"MV4200 Series");
    EXPECT_EQ(about[1], L"Version 1.030");
    EXPECT_EQ(about[2], L"Copyright (C) 2026 Morvel Imaging\r\nAll rights reserved.");
    EXPECT_TRUE(IsWindowEnabled(s.Dialog()));

    RunWithUser([&] { s.Click(IDC_DETAILS); return 0; },
                [&] { read(summary, IDC_SUMMARY_VALUE_FIRST, IDC_SUMMARY_VALUE_FIRST + 11, "settings-summary"); });
    ASSERT_EQ(summary.size(), 12u);
    // Grey: no fading correction, no threshold, the channels' master values only.
    EXPECT_EQ(summary[0], L"Flatbed");
    EXPECT_EQ(summary[1], L"Grayscale");
    EXPECT_EQ(summary[3], L"A5 (148 x 210 mm)");
    EXPECT_EQ(summary[6], L"-");
    EXPECT_EQ(summary[7], L"RGB:12 ");
    EXPECT_EQ(summary[10], L"-");
    EXPECT_EQ(summary[11], L"RGB:Linear ");
    EXPECT_TRUE(Messages().empty());
}

// Help opens the help file of the dialog's language beside the source in the help viewer, at
// its first page; without the file the language's message says so.
TEST(MainUIDialog, HelpOpensInTheLanguageOfTheDialog)
{
    struct SCase {
        const wchar_t* pszCode;
        const wchar_t* pszLanguage;
        const wchar_t* pszTitle;  // the help file's title, kept in the language's ANSI code page
        UINT nCodePage;
    };
    const SCase cases[] = {{L"enus", L"English", L"Scanner Help", 1252},
                           {L"fr", L"French", L"Aide du scanner", 1252},
                           {L"ar", L"Arabic", L"\u062a\u0639\u0644\u064a\u0645\u0627\u062a \u0627\u0644\u0645\u0627\u0633\u062d "
                                              L"\u0627\u0644\u0636\u0648\u0626\u064a", 1256}};
    wchar_t szExe[MAX_PATH] = L"";
    GetModuleFileNameW(nullptr, szExe, MAX_PATH);
    for (const SCase& c : cases) {
        MessageDialogs().Clear();
        CDialogSession s;
        CLanguage language(s, c.pszLanguage);
        const std::filesystem::path help =
            std::filesystem::path(s.Src().DsPath()).parent_path() / (s.Src().Prefix() + L"tw" + c.pszCode + L".chm");
        ASSERT_TRUE(CopyFileW((std::filesystem::path(szExe).parent_path() / (std::wstring(L"mvltw") + c.pszCode + L".chm")).c_str(),
                              help.c_str(), FALSE));
        ASSERT_EQ(s.Open(), TWRC_SUCCESS);
        ASSERT_EQ(s.Enable(true), TWRC_SUCCESS);
        s.Click(IDC_HELP_BUTTON);
        // The viewer reads the title in the system's ANSI code page, as Windows does: right on a
        // system of the language, in the test prefix's Western one only for English and French.
        char szAnsi[256] = "";
        wchar_t szTitle[256] = L"";
        WideCharToMultiByte(c.nCodePage, 0, c.pszTitle, -1, szAnsi, sizeof szAnsi, nullptr, nullptr);
        MultiByteToWideChar(CP_ACP, 0, szAnsi, -1, szTitle, 256);
        HWND hViewer = WaitForForeignWindow(szTitle, 30000);
        EXPECT_NE(hViewer, nullptr) << help;
        if (hViewer) {
            // A picture where Wine's viewer has the glyphs (its own Tahoma lacks Arabic ones).
            if (c.nCodePage == 1252) {
                ShowWindow(s.Dialog(), SW_HIDE);
                Sleep(3000);  // the viewer draws after its window appears
                Shot(hViewer, "help-from-dialog", c.pszCode);
                ShowWindow(s.Dialog(), SW_SHOW);
            }
            CloseViewer(hViewer);
        }
        EXPECT_TRUE(Messages().empty());
        // The file gone: the message of the dialog's language.
        ASSERT_TRUE(DeleteFileW(help.c_str()));
        s.Click(IDC_HELP_BUTTON);
        CLangLibrary lib(c.pszCode);
        const wchar_t* pText = nullptr;
        const int nLen = LoadStringW(lib.Module(), 1096, reinterpret_cast<LPWSTR>(&pText), 0);
        ASSERT_GT(nLen, 0);
        EXPECT_TRUE(Saw(Messages(), std::wstring(pText, nLen))) << c.pszCode;
        EXPECT_TRUE(s.Src().Trace().Contains("helpFile = "));
        EXPECT_EQ(s.Disable(), TWRC_SUCCESS);
    }
}

TEST(MainUIDialog, SelfTestWithCountOneScansOnceWithoutWaiting)
{
    CDialogSession s("[Self Testing]\r\nTesting Enable=TRUE\r\nTesting Count=1\r\nTesting Seconds=30\r\n");
    ASSERT_TRUE(StoreCurrentSetting(s.Src().SettingsDir() + L"APPsettings.dat", TestRecord(0, 1, 0, 1), L"Default"));
    ASSERT_EQ(s.Open(), TWRC_SUCCESS);
    ASSERT_TRUE(s.SetFileOutputMode());
    ASSERT_EQ(s.Enable(true), TWRC_SUCCESS);
    // File-output mode: its own template and the title from the profile's language section.
    EXPECT_NE(s.Item(IDC_SAVE_PAGE_AREA), nullptr);
    HWND hSavePage = nullptr;
    while ((hSavePage = FindWindowExW(s.Dialog(), hSavePage, nullptr, nullptr)) && !GetDlgItem(hSavePage, IDC_SAVE_NAME)) {
    }
    ASSERT_NE(hSavePage, nullptr);
    EXPECT_FALSE(CtrlText(hSavePage, IDC_SAVE_NAME).empty());
    EXPECT_EQ(s.Title(), L"MV Scan to File");
    Shot(s.Dialog(), "main-dialog-file-output");
    const auto tStart = std::chrono::steady_clock::now();
    s.Click(IDC_SCAN);
    EXPECT_LT(std::chrono::steady_clock::now() - tStart, std::chrono::seconds(10));
    EXPECT_EQ(s.Acq().SimCount("CALL ScanDrv_Open"), 1);
    EXPECT_EQ(s.Acq().Calls(MSG_XFERREADY), 1);
    EXPECT_FALSE(s.Src().Trace().Contains("self testing: Scanned"));
    EXPECT_TRUE(s.Src().Trace().Contains("TestScan::user cancled scanning!"));
    EXPECT_EQ(s.Title(), L"MV Scan to File");
    TW_PENDINGXFERS pending{};
    s.Src().Control(DAT_PENDINGXFERS, MSG_RESET, &pending);
    // In file-output mode the dialog outlives the disable; the next enable replaces it.
    HWND hFirst = s.Dialog();
    EXPECT_EQ(s.Disable(), TWRC_SUCCESS);
    EXPECT_TRUE(IsWindow(hFirst));
    ASSERT_EQ(s.Enable(true), TWRC_SUCCESS);
    EXPECT_FALSE(IsWindow(hFirst));
    EXPECT_TRUE(IsWindow(s.Dialog()));
    EXPECT_EQ(s.Disable(), TWRC_SUCCESS);
}

TEST(MainUIDialog, SettingsThatCannotBeRestoredRefuseTheEnable)
{
    CDialogSession s;
    // A folder where the settings file should be: it can be neither read nor made.
    std::filesystem::create_directories(std::filesystem::path(s.SettingsFile()));
    ASSERT_EQ(s.Open(), TWRC_SUCCESS);
    EXPECT_EQ(s.Enable(true), TWRC_FAILURE);
    EXPECT_NE(s.Src().Status(), TWCC_SUCCESS);
    EXPECT_EQ(FindScanDialog(), nullptr);
    // Still state 4: a disable is out of sequence, the source closes.
    EXPECT_EQ(s.Disable(), TWRC_FAILURE);
    EXPECT_EQ(s.Src().Status(), TWCC_SEQERROR);
    EXPECT_EQ(s.Src().Close(), TWRC_SUCCESS);
}
