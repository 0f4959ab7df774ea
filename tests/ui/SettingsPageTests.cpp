// The basic and advanced settings pages of the scanning dialog for every model of the sample
// profile, driven as a user would: what each model offers (sources, resolutions, papers,
// boxes), what each kind of change does to the next scan from the dialog (the parameters the
// simulator received, the size and pixel type of the page delivered), file-output mode's
// choices, the colour-mode rules and Restore Defaults. Both pages of each model go into the
// gallery.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <string>
#include <vector>

#include "harness/DsLoader.h"
#include "harness/MessageDialogWatcher.h"
#include "ui/AdjustDialogIds.h"
#include "ui/DialogDriver.h"
#include "ui/DialogChecks.h"
#include "ui/MainDialogIds.h"
#include "ui/MainDialogSession.h"
#include "ui/SettingsPageIds.h"

using namespace dlgtest;
using namespace mvltest;

namespace {

constexpr auto kBasic = CDialogSession::kBasicPage;
constexpr auto kAdvanced = CDialogSession::kAdvancedPage;
const char kOneSheet[] = "FeederSheets=1\r\nPaperInFeeder=1\r\nManualDuplexWaitMs=100\r\n";

// What a model of the sample profile offers, in colour: the resolutions of each source, the
// paper lists' lengths and the flatbed's default paper, and which boxes it shows.
struct SModel {
    const wchar_t* pszName;
    std::vector<std::vector<int>> dpis;
    int nFlatbedPapers, nFeederPapers, nFlatbedDefault;
    bool bHorizontal, bAutoCrop, bDeskew;
};
const SModel kModels[] = {
    {L"MV4200", {{75, 150, 300, 600}, {75, 150, 300, 600}, {75, 150, 300}}, 7, 7, 0, false, true, true},
    {L"MV3300", {{75, 150, 300, 600, 1200}, {75, 150, 300, 600}, {75, 150, 300}}, 9, 8, 7, true, true, false},
    {L"MV5500", {{75, 150, 300, 600}, {75, 150, 300, 600}}, 8, 7, 0, true, false, false},
    {L"MV6600", {{75, 150, 300, 600}, {75, 150, 300, 600}, {75, 150, 300, 600}}, 7, 7, 5, false, false, true},
    {L"MV2100", {{75, 150, 300, 600, 1200}}, 7, 0, 5, false, true, false},
};

std::vector<std::wstring> DpiTexts(const std::vector<int>& dpis)
{
    std::vector<std::wstring> texts;
    for (int n : dpis)
        texts.push_back(std::to_wstring(n) + L" dpi");
    return texts;
}

// The feeder's default paper: Letter where the user's country is in the Americas, else A4.
int FeederDefaultPaper()
{
    wchar_t sz[8] = L"";
    GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_ICOUNTRY, sz, 8);
    const int n = _wtoi(sz);
    return n == 1 || n == 2 || (n >= 50 && n <= 59) || (n >= 500 && n <= 599) ? 4 : 0;
}

bool Visible(HWND h) { return IsWindowVisible(h) != FALSE; }
bool Enabled(HWND h) { return IsWindowEnabled(h) != FALSE; }
bool Checked(HWND h) { return SendMessageW(h, BM_GETCHECK, 0, 0) == BST_CHECKED; }

// Layout problems of a page, but for the image buttons, whose names only their tooltips show.
std::vector<std::string> PageProblems(HWND hPage, bool bRtl)
{
    std::vector<std::string> problems;
    for (const std::string& s : LayoutProblems(hPage, bRtl)) {
        bool bImage = false;
        for (int nId : {IDC_MERGE_HELP, IDC_GAMMA_THRESHOLD, IDC_HISTOGRAM, IDC_TONE_CURVE})
            bImage |= s.starts_with("control " + std::to_string(nId) + ":");
        bImage |= GetDlgItem(hPage, IDC_ADVANCED_DEFAULTS) && s.starts_with("control 10243:");
        if (!bImage)
            problems.push_back(s);
    }
    return problems;
}

// The tip a tooltip control shows for a control of the page (the tooltips are owned by the
// dialog, the page's top-level window).
std::wstring TipOf(HWND hPage, HWND hCtrl)
{
    for (HWND h = FindWindowExW(nullptr, nullptr, L"tooltips_class32", nullptr); h;
         h = FindWindowExW(nullptr, h, L"tooltips_class32", nullptr)) {
        if (GetWindow(h, GW_OWNER) != GetAncestor(hPage, GA_ROOT))
            continue;
        wchar_t sz[512] = L"";
        TOOLINFOW ti{};
        ti.cbSize = sizeof ti;
        ti.hwnd = hPage;
        ti.uId = reinterpret_cast<UINT_PTR>(hCtrl);
        ti.lpszText = sz;
        SendMessageW(h, TTM_GETTEXTW, 512, reinterpret_cast<LPARAM>(&ti));
        if (sz[0])
            return sz;
    }
    return L"";
}

// One page scanned from the dialog: what the application was told and got, and what the
// simulator was told.
struct SScanned {
    TW_IMAGEINFO info{};
    LONG nDibWidth = 0, nDibHeight = 0;
    xfertest::SDeviceParams dev;
    std::string sAdjustments;  // brightness, contrast, curve, gamma, threshold, descreen, fading
};

SScanned ScanNow(CDialogSession& s, HWND hScanFrom = nullptr)
{
    SScanned r;
    const long nReady = s.Acq().Calls(MSG_XFERREADY);
    if (hScanFrom) {
        // Alt with the scan letter, on a page's control.
        BYTE keys[256] = {};
        GetKeyboardState(keys);
        keys['S'] = keys[VK_MENU] = 0x80;
        SetKeyboardState(keys);
        PostMessageW(hScanFrom, WM_SYSKEYDOWN, 'S', 0x20000000);
        xfertest::CAcquisition::Pump();
        keys['S'] = keys[VK_MENU] = 0;
        SetKeyboardState(keys);
        xfertest::CAcquisition::Pump();
    } else {
        s.Click(IDC_SCAN);
    }
    EXPECT_EQ(s.Acq().Calls(MSG_XFERREADY), nReady + 1);
    EXPECT_EQ(s.Src().Call(DG_IMAGE, DAT_IMAGEINFO, MSG_GET, &r.info), TWRC_SUCCESS);
    TW_HANDLE hDib = nullptr;
    EXPECT_EQ(s.Src().Call(DG_IMAGE, DAT_IMAGENATIVEXFER, MSG_GET, &hDib), TWRC_XFERDONE);
    if (hDib) {
        const auto* pHeader = static_cast<const BITMAPINFOHEADER*>(GlobalLock(hDib));
        r.nDibWidth = pHeader->biWidth;
        r.nDibHeight = pHeader->biHeight;
        GlobalUnlock(hDib);
        GlobalFree(hDib);
    }
    TW_PENDINGXFERS pending{};
    EXPECT_EQ(s.Src().Control(DAT_PENDINGXFERS, MSG_ENDXFER, &pending), TWRC_SUCCESS);
    if (pending.Count != 0) {
        EXPECT_EQ(s.Src().Control(DAT_PENDINGXFERS, MSG_RESET, &pending), TWRC_SUCCESS);
    }
    r.dev = s.Acq().LastDeviceParams();
    const std::string sKey = "CALL ScanDrv_SetScanParameterAdj ";
    for (const std::string& sLine : s.Acq().SimLog())
        if (size_t n = sLine.find(sKey); n != std::string::npos)
            r.sAdjustments = sLine.substr(n + sKey.size());
    return r;
}

void ExpectPage(const SScanned& r, int nWidth, int nHeight, int nPixelType, int nBits)
{
    EXPECT_EQ(r.info.ImageWidth, nWidth);
    EXPECT_EQ(r.info.ImageLength, nHeight);
    EXPECT_EQ(r.nDibWidth, nWidth);
    EXPECT_EQ(r.nDibHeight, nHeight);
    EXPECT_EQ(r.info.PixelType, nPixelType);
    EXPECT_EQ(r.info.BitsPerPixel, nBits);
}

// Opens the dialog of a sample model; in file-output mode when asked.
void OpenDialog(CDialogSession& s, bool bFileOutput = false)
{
    ASSERT_EQ(s.Open(), TWRC_SUCCESS);
    if (bFileOutput) {
        ASSERT_TRUE(s.SetFileOutputMode());
    }
    ASSERT_EQ(s.Enable(true), TWRC_SUCCESS);
    ASSERT_NE(s.Page(kBasic), nullptr);
    ASSERT_NE(s.Page(kAdvanced), nullptr);
}

}  // namespace

TEST(SettingsPages, EveryModelOffersWhatItsProfileSays)
{
    const int nFeederDefault = FeederDefaultPaper();
    for (const SModel& m : kModels) {
        const std::string sModel(m.pszName, m.pszName + wcslen(m.pszName));
        SCOPED_TRACE(sModel);
        CDialogSession s("", "", "", SampleModelKeys(m.pszName));
        OpenDialog(s);
        HWND hSource = s.PageItem(kBasic, IDC_SOURCE_LIST), hPaper = s.PageItem(kBasic, IDC_PAPER_LIST);
        HWND hDpi = s.PageItem(kBasic, IDC_RESOLUTION_LIST);
        const int nSources = static_cast<int>(m.dpis.size());
        ASSERT_EQ(CDialogSession::ListTexts(hSource).size(), m.dpis.size());
        // Platform K opens on the feeder: from the flatbed, each source below is a change.
        if (CDialogSession::Selected(hSource) == nSources - 1)
            s.Pick(hSource, 0);
        // Each source from the last to the flatbed: its resolutions, its papers and its default.
        for (int nSource = nSources - 1; nSource >= 0; --nSource) {
            SCOPED_TRACE(nSource);
            s.Pick(hSource, nSource);
            EXPECT_EQ(CDialogSession::ListTexts(hDpi), DpiTexts(m.dpis[nSource]));
            EXPECT_EQ(CDialogSession::Selected(hDpi), 2);
            const std::vector<std::wstring> papers = CDialogSession::ListTexts(hPaper);
            EXPECT_EQ(static_cast<int>(papers.size()), nSource ? m.nFeederPapers : m.nFlatbedPapers);
            EXPECT_EQ(CDialogSession::Selected(hPaper), nSource ? nFeederDefault : m.nFlatbedDefault);
            EXPECT_EQ(papers.back(), nSource ? (m.nFeederPapers == 8 ? L"A3 (297 x 420 mm)" : L"Folio (8.5 x 13 in)")
                                             : L"Custom Area");
        }
        EXPECT_EQ(s.InfoValue(IDC_INFO_LABEL_AREA), CDialogSession::ListTexts(hPaper)[m.nFlatbedDefault]);
        EXPECT_EQ(Visible(s.PageItem(kBasic, IDC_HORIZONTAL)), m.bHorizontal);
        EXPECT_EQ(Visible(s.PageItem(kBasic, IDC_AUTO_CROP)), m.bAutoCrop);
        // The box tells whether the paper shown is cropped automatically.
        EXPECT_EQ(Checked(s.PageItem(kBasic, IDC_AUTO_CROP)), m.nFlatbedDefault == 5);
        EXPECT_FALSE(Visible(s.PageItem(kBasic, IDC_FILE_TYPE_LIST)));
        EXPECT_FALSE(Visible(s.PageItem(kBasic, IDC_MERGE_SCAN)));
        EXPECT_TRUE(PageProblems(s.Page(kBasic), false).empty()) << PageProblems(s.Page(kBasic), false)[0];
        Shot(s.Dialog(), ("settings-basic-" + sModel).c_str());

        s.Click(IDC_ADVANCED_TAB);
        EXPECT_EQ(Visible(s.PageItem(kAdvanced, IDC_AUTO_DESKEW)), m.bDeskew);
        EXPECT_TRUE(PageProblems(s.Page(kAdvanced), false).empty()) << PageProblems(s.Page(kAdvanced), false)[0];
        Shot(s.Dialog(), ("settings-advanced-" + sModel).c_str());
    }
}

TEST(SettingsPages, EachKindOfChangeReachesTheNextScan)
{
    // The A3 model, whose full platen is the A3 glass.
    CDialogSession s("", kOneSheet, "", SampleModelKeys(L"MV3300"));
    OpenDialog(s);
    auto basic = [&s](int nId) { return s.PageItem(kBasic, nId); };
    auto advanced = [&s](int nId) { return s.PageItem(kAdvanced, nId); };
    s.Pick(basic(IDC_RESOLUTION_LIST), 0);
    EXPECT_EQ(s.Text(IDC_SETTING_NAME), L"Custom");
    SScanned r = ScanNow(s, basic(IDC_PAPER_LIST));
    EXPECT_EQ(r.dev.nDpi, 75);
    EXPECT_EQ(r.dev.nSource, 0);
    EXPECT_EQ(r.dev.area.nRight, 878 * 16);
    ExpectPage(r, 878, 1276, TWPT_RGB, 24);

    // Descreen, fading correction and a quarter turn clockwise.
    s.Click(IDC_ADVANCED_TAB);
    s.Pick(advanced(IDC_DESCREEN_LIST), 1);
    s.Pick(advanced(IDC_FADING_LIST), 2);
    s.Pick(advanced(IDC_ROTATION_LIST), 1);
    EXPECT_EQ(CDialogSession::ListTexts(advanced(IDC_ROTATION_LIST))[1], L"90\u00b0 Clockwise");
    r = ScanNow(s);
    EXPECT_EQ(r.sAdjustments, "brightness=0,0,0,0 contrast=0,0,0,0 curve=0,0,0,0 gamma=18 threshold=72 descreen=1 fading=2");
    ExpectPage(r, 1276, 878, TWPT_RGB, 24);

    // Grey takes the fading correction away; then A3 paper, then the feeder.
    s.Click(IDC_BASIC_TAB);
    s.Pick(basic(IDC_COLOUR_LIST), 1);
    EXPECT_FALSE(Enabled(advanced(IDC_FADING_LIST)));
    s.Pick(basic(IDC_PAPER_LIST), 6);
    r = ScanNow(s);
    EXPECT_EQ(r.dev.nMode, 1);
    EXPECT_EQ(r.sAdjustments, "brightness=0,0,0,0 contrast=0,0,0,0 curve=0,0,0,0 gamma=18 threshold=72 descreen=1 fading=0");
    ExpectPage(r, 1241, 877, TWPT_GRAY, 8);
    s.Pick(basic(IDC_SOURCE_LIST), 1);
    r = ScanNow(s);
    EXPECT_EQ(r.dev.nSource, 1);
    const bool bLetter = FeederDefaultPaper() == 4;
    ExpectPage(r, bLetter ? 825 : 877, bLetter ? 638 : 621, TWPT_GRAY, 8);

    // Black and white leaves only the gamma/threshold dialog open.
    s.Pick(basic(IDC_COLOUR_LIST), 2);
    for (int nId : {IDC_DESCREEN_LIST, IDC_FADING_LIST, IDC_BRIGHT_CONTRAST, IDC_HISTOGRAM, IDC_TONE_CURVE})
        EXPECT_FALSE(Enabled(advanced(nId))) << nId;
    EXPECT_TRUE(Enabled(advanced(IDC_GAMMA_THRESHOLD)));
    s.Pick(advanced(IDC_ROTATION_LIST), 0);
    // The threshold typed into the dialog the page opens.
    s.Click(IDC_ADVANCED_TAB);
    RunWithUser([&] { s.Click(advanced(IDC_GAMMA_THRESHOLD)); return INT_PTR{0}; }, [] {
        HWND hDlg = WaitForDialogWithCtrl(IDC_ADJ_THRESHOLD_EDIT, 10000);
        ASSERT_NE(hDlg, nullptr);
        HWND hThreshold = GetDlgItem(hDlg, IDC_ADJ_THRESHOLD_EDIT);
        Retype(hDlg, hThreshold, L"100");
        PressKey(hThreshold, VK_RETURN);
        WaitUntil([&] { return SendMessageW(GetDlgItem(hDlg, IDC_ADJ_THRESHOLD_SLIDER), TBM_GETPOS, 0, 0) == 100; }, 3000);
        PostMessageW(GetDlgItem(hDlg, IDCANCEL), BM_CLICK, 0, 0);
        WaitGone(hDlg, 10000);
    });
    r = ScanNow(s);
    EXPECT_EQ(r.dev.nMode, 0);
    EXPECT_EQ(r.sAdjustments, "brightness=0,0,0,0 contrast=0,0,0,0 curve=0,0,0,0 gamma=18 threshold=100 descreen=0 fading=0");
    ExpectPage(r, bLetter ? 638 : 621, bLetter ? 825 : 877, TWPT_BW, 1);
}

TEST(SettingsPages, FileOutputChoicesMergeAndManualDuplex)
{
    MessageDialogs().Clear();
    CDialogSession s("", kOneSheet, "", SampleModelKeys(L"MV4200"));
    OpenDialog(s, true);
    auto basic = [&s](int nId) { return s.PageItem(kBasic, nId); };
    // Platform K opens on the feeder: manual duplex, no merge scanning.
    EXPECT_TRUE(Visible(basic(IDC_FILE_TYPE_LIST)));
    EXPECT_EQ(CDialogSession::Selected(basic(IDC_FILE_TYPE_LIST)), 1);
    EXPECT_TRUE(Visible(basic(IDC_MANUAL_DUPLEX)));
    EXPECT_FALSE(Visible(basic(IDC_MERGE_SCAN)) || Visible(basic(IDC_MERGE_HELP)));

    // On the flatbed a JPG cannot take further pages: the help icon says why.
    s.Pick(basic(IDC_SOURCE_LIST), 0);
    EXPECT_FALSE(Visible(basic(IDC_MANUAL_DUPLEX)));
    EXPECT_TRUE(Visible(basic(IDC_MERGE_SCAN)) && Visible(basic(IDC_PAGE_BY_PAGE)));
    EXPECT_FALSE(Enabled(basic(IDC_MERGE_SCAN)));
    EXPECT_TRUE(Visible(basic(IDC_MERGE_HELP)));
    const std::wstring sWhy = TipOf(s.Page(kBasic), basic(IDC_MERGE_HELP));
    EXPECT_NE(sWhy.find(L"Merge scanning is not available"), std::wstring::npos);
    Shot(s.Dialog(), "settings-basic-merge-help");
    s.Click(basic(IDC_MERGE_HELP));
    ASSERT_TRUE(MessageDialogs().WaitFor(sWhy, 5000));
    s.Pick(basic(IDC_FILE_TYPE_LIST), 3);  // PDF
    EXPECT_TRUE(Enabled(basic(IDC_MERGE_SCAN)));
    EXPECT_FALSE(Visible(basic(IDC_MERGE_HELP)));
    s.Click(basic(IDC_MERGE_SCAN));
    EXPECT_TRUE(Checked(basic(IDC_MERGE_SCAN)));
    Shot(s.Dialog(), "settings-basic-file-output");
    s.Pick(basic(IDC_FILE_TYPE_LIST), 4);  // PNG
    EXPECT_FALSE(Checked(basic(IDC_MERGE_SCAN)));
    EXPECT_TRUE(Checked(basic(IDC_PAGE_BY_PAGE)));
    EXPECT_TRUE(Visible(basic(IDC_MERGE_HELP)));

    // The feeder hides merge scanning; manual duplex writes PDF and holds the type.
    s.Pick(basic(IDC_SOURCE_LIST), 1);
    EXPECT_FALSE(Visible(basic(IDC_MERGE_SCAN)) || Visible(basic(IDC_PAGE_BY_PAGE)) || Visible(basic(IDC_MERGE_HELP)));
    s.Click(basic(IDC_MANUAL_DUPLEX));
    EXPECT_TRUE(Checked(basic(IDC_MANUAL_DUPLEX)));
    EXPECT_EQ(CDialogSession::Selected(basic(IDC_FILE_TYPE_LIST)), 3);
    EXPECT_FALSE(Enabled(basic(IDC_FILE_TYPE_LIST)));
    s.Pick(basic(IDC_RESOLUTION_LIST), 0);
    SScanned r = ScanNow(s);
    EXPECT_EQ(r.dev.nSource, 2);  // the device's manual duplex

    // Restore Defaults: manual duplex off, JPG, the feeder of platform K.
    s.Click(basic(IDC_BASIC_DEFAULTS));
    EXPECT_FALSE(Checked(basic(IDC_MANUAL_DUPLEX)));
    EXPECT_TRUE(Enabled(basic(IDC_FILE_TYPE_LIST)));
    EXPECT_EQ(CDialogSession::Selected(basic(IDC_FILE_TYPE_LIST)), 1);
    EXPECT_EQ(CDialogSession::Selected(basic(IDC_SOURCE_LIST)), 1);
    EXPECT_EQ(CDialogSession::Selected(basic(IDC_RESOLUTION_LIST)), 2);
    r = ScanNow(s);
    EXPECT_EQ(r.dev.nSource, 1);
    EXPECT_EQ(r.dev.nDpi, 300);
}

TEST(SettingsPages, ColourModeRulesHorizontalAndRestoreDefaults)
{
    // A platform K A3 model with horizontal feeding, on a setting with adjustments per channel.
    CDialogSession s("", "", "", SampleModelKeys(L"MV5500"));
    SProductFlags flags;
    flags.bIsPlatformK = flags.bHasA3 = true;
    SScanParamRecord rec = DefaultScanParam(flags);
    rec.nSource = 0;
    for (int i = 0; i < 4; ++i)
        rec.nBrightness[i] = rec.nContrast[i] = 10 * (i + 1);
    rec.nAutoDeskew = 1;
    ASSERT_TRUE(StoreCurrentSetting(s.SettingsFile(), rec, L"Mine"));
    OpenDialog(s);
    auto basic = [&s](int nId) { return s.PageItem(kBasic, nId); };
    auto advanced = [&s](int nId) { return s.PageItem(kAdvanced, nId); };

    // Horizontal feeding is off for paper 2 and 5 to 8.
    s.Click(basic(IDC_HORIZONTAL));
    EXPECT_TRUE(Checked(basic(IDC_HORIZONTAL)));
    for (int nPaper : {2, 5, 7}) {
        s.Pick(basic(IDC_PAPER_LIST), nPaper);
        EXPECT_FALSE(Checked(basic(IDC_HORIZONTAL)) || Enabled(basic(IDC_HORIZONTAL))) << nPaper;
    }
    s.Pick(basic(IDC_PAPER_LIST), 4);
    EXPECT_TRUE(Enabled(basic(IDC_HORIZONTAL)));
    s.Click(basic(IDC_HORIZONTAL));
    ScanNow(s);
    EXPECT_EQ(s.Acq().SimCount("CALL ScanDrv_SetHorizontal 1"), 1);

    // Grey keeps the all-channels values and clears the others; black and white clears all.
    const std::wstring sFile = s.SettingsFile();
    s.Pick(basic(IDC_COLOUR_LIST), 1);
    s.TypeName(L"Grey");
    s.Click(IDC_SAVE_SETTING);
    s.Pick(basic(IDC_COLOUR_LIST), 2);
    s.TypeName(L"Lineart");
    s.Click(IDC_SAVE_SETTING);
    SScanParamRecord grey{}, lineart{};
    ASSERT_TRUE(xfertest::LoadNamedSetting(sFile, L"Grey", grey));
    ASSERT_TRUE(xfertest::LoadNamedSetting(sFile, L"Lineart", lineart));
    EXPECT_EQ(grey.nBrightness[0], 10);
    EXPECT_EQ(grey.nContrast[0], 10);
    EXPECT_EQ(grey.nBrightness[3] + grey.nContrast[1], 0);
    EXPECT_EQ(grey.nHorizontal, 1u);
    EXPECT_EQ(lineart.nBrightness[0] + lineart.nContrast[0], 0);
    EXPECT_EQ(grey.nAutoDeskew, 0);  // no automatic rotation on this model

    // Restore Defaults of the basic page: feeder, A4, 300 dpi colour, no horizontal feeding.
    s.Click(basic(IDC_BASIC_DEFAULTS));
    EXPECT_EQ(CDialogSession::Selected(basic(IDC_SOURCE_LIST)), 1);
    EXPECT_EQ(CDialogSession::Selected(basic(IDC_PAPER_LIST)), 0);
    EXPECT_EQ(CDialogSession::Selected(basic(IDC_COLOUR_LIST)), 0);
    EXPECT_FALSE(Checked(basic(IDC_HORIZONTAL)));
    EXPECT_TRUE(Enabled(advanced(IDC_BRIGHT_CONTRAST)));

    // The advanced page's: on the defaults it changes nothing, not even the setting's name.
    s.Pick(IDC_SETTING_NAME, 0);
    ASSERT_EQ(s.Text(IDC_SETTING_NAME), L"Default");
    s.Click(IDC_ADVANCED_TAB);
    s.Click(advanced(IDC_ADVANCED_DEFAULTS));
    EXPECT_EQ(s.Text(IDC_SETTING_NAME), L"Default");
    s.Pick(advanced(IDC_DESCREEN_LIST), 1);
    EXPECT_EQ(s.Text(IDC_SETTING_NAME), L"Custom");
    s.Click(advanced(IDC_ADVANCED_DEFAULTS));
    EXPECT_EQ(CDialogSession::Selected(advanced(IDC_DESCREEN_LIST)), 0);
    EXPECT_EQ(TipOf(s.Page(kAdvanced), advanced(IDC_HISTOGRAM)), L" Histogram ");
}

TEST(SettingsPages, RightToLeftPages)
{
    CDialogSession s("", "", "", SampleModelKeys(L"MV6600"));
    CScopedRegKey key(HKEY_LOCAL_MACHINE, L"Software\\Morvel\\" + s.Src().Prefix());
    key.SetString(L"Language", L"Arabic");
    OpenDialog(s);
    EXPECT_TRUE(PageProblems(s.Page(kBasic), true).empty()) << PageProblems(s.Page(kBasic), true)[0];
    Shot(s.Dialog(), "settings-basic-MV6600", L"ar");
    s.Click(IDC_ADVANCED_TAB);
    EXPECT_TRUE(PageProblems(s.Page(kAdvanced), true).empty()) << PageProblems(s.Page(kAdvanced), true)[0];
    Shot(s.Dialog(), "settings-advanced-MV6600", L"ar");
}
