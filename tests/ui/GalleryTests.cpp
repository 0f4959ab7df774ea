// Every dialog built so far with the skinned controls, in English, French and Arabic, at 96 dpi
// here and at 144 dpi in a child process started with the screen set to 144 dpi: each goes into
// the gallery as <dialog>-<dpi>dpi-<file code>.png, and its layout is checked as a user would see
// it (texts fit, nothing overlaps, right-to-left dialogs mirrored).
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "harness/ChildProcess.h"
#include "harness/MessageDialogWatcher.h"
#include "harness/TestEnv.h"
#include "profile/Language.h"
#include "ui/AdjustDialogIds.h"
#include "ui/AdjustTestHost.h"
#include "ui/BrightContrastDlg.h"
#include "ui/ControlHost.h"
#include "ui/ControlsDialog.h"
#include "ui/DialogChecks.h"
#include "ui/DialogDriver.h"
#include "ui/GammaThresholdDlg.h"
#include "ui/HistogramDlg.h"
#include "ui/ManualDuplexDlg.h"
#include "ui/MergeScanDlg.h"
#include "ui/MessageDialogs.h"
#include "ui/ScanDialogIds.h"
#include "ui/ScanProgressDlg.h"
#include "ui/ToneCurveDlg.h"
#include "device/LLDState.h"

using namespace mvltest;

namespace {

struct SLanguage {
    const wchar_t* pszCode;
    int nId;
    wchar_t wcDecimal;
    bool bRtl;
};
constexpr SLanguage kLanguages[] = {{L"enus", kLanguageEnglish, L'.', false},
                                    {L"fr", kLanguageFrench, L',', false},
                                    {L"ar", 10, L'.', true}};

class CGallery {
public:
    explicit CGallery(UINT nDpi) : m_nDpi(nDpi) {}
    // Where the child leaves the problems it found.
    static std::filesystem::path ProblemsFile() { return ArtifactDir() / "gallery-problems-144dpi.txt"; }
    const std::vector<std::string>& Problems() const { return m_problems; }

    void ShootAll()
    {
        INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_PROGRESS_CLASS | ICC_BAR_CLASSES};
        ::InitCommonControlsEx(&icc);
        CManualMessageDialogs manual;
        for (const SLanguage& lang : kLanguages) {
            CLangLibrary lib(lang.pszCode);
            if (!lib.Module()) {
                m_problems.push_back("no language library");
                continue;
            }
            g_LangugueID = lang.nId;
            g_wcDecimalSep = lang.wcDecimal;
            g_bHebrew = lang.bRtl;
            m_pLang = &lang;
            ShootScanDialogs(lib.Module());
            ShootMessageDialogs(lib.Module());
            ShootAdjustDialogs(lib.Module());
            CControlsDialog controls(lib.Module(), lang.bRtl);
            Shoot("controls", CControlsDialog::kSize, [&] { return controls.Run(); },
                  [&](HWND hDlg) {
                      // The focus on a skinned button, as Tab leaves it.
                      FocusCtrl(hDlg, ::GetDlgItem(hDlg, CControlsDialog::kToggle));
                  },
                  IDCANCEL);
        }
        g_LangugueID = kLanguageEnglish;
        g_wcDecimalSep = L'.';
        g_bHebrew = FALSE;
    }

private:
    // Shows a dialog with modal, finds it by a control, lets prepare set it up, checks and saves
    // it, then ends it by clicking nCloseButton (or with the close message when 0).
    void Shoot(const char* pszName, int nFindCtrl, const std::function<INT_PTR()>& modal,
               const std::function<void(HWND)>& prepare, int nCloseButton)
    {
        std::string sShot = std::string(pszName) + "-" + std::to_string(m_nDpi) + "dpi";
        std::string sName = sShot + "-" + Narrow(m_pLang->pszCode);
        bool bShown = false;
        INT_PTR nResult = RunWithUser(modal, [&] {
            HWND hDlg = WaitForDialogWithCtrl(nFindCtrl, 10000);
            if (!hDlg)
                return;
            bShown = true;
            prepare(hDlg);
            ::Sleep(300);
            for (const std::string& s : LayoutProblems(hDlg, m_pLang->bRtl))
                m_problems.push_back(sName + ": " + s);
            if (!SaveGalleryShot(hDlg, sShot.c_str(), m_pLang->pszCode))
                m_problems.push_back(sName + ": no screenshot");
            if (nCloseButton)
                ::PostMessageW(::GetDlgItem(hDlg, nCloseButton), BM_CLICK, 0, 0);
            else
                ::PostMessageW(hDlg, kMsgCloseDlg, 0, 0);
            WaitGone(hDlg, 10000);
        });
        if (!bShown)
            m_problems.push_back(sName + ": not shown (" + std::to_string(nResult) + ")");
    }

    void ShootScanDialogs(HINSTANCE hLang)
    {
        CScanProgressDlg progress(hLang);
        progress.SetMode(true, true);
        Shoot("progress", IDC_PROGRESS_BAR, [&] { progress.RunModal(nullptr); return INT_PTR(0); },
              [&](HWND hDlg) { ::SendMessageW(hDlg, kMsgProgress, 40, 0); }, 0);
        CManualDuplexDlg duplex(hLang);
        duplex.SetWindowHook([](HWND) { return true; });
        Shoot("manual-duplex", IDC_DUPLEX_TEXT, [&] { return duplex.Run(nullptr); }, [](HWND) {}, 0);
        CDlg_MergeScan merge(hLang);
        Shoot("merge-scan", IDC_MERGE_TEXT, [&] { return merge.DoModal(nullptr); }, [](HWND) {}, IDCANCEL);
    }

    void ShootMessageDialogs(HINSTANCE hLang)
    {
        struct SCase {
            const char* pszName;
            std::unique_ptr<CMessageDlg> pDlg;
            int nMessageCtrl;
        };
        SCase cases[] = {{"error", std::make_unique<CErrorDlg>(hLang), 10306},
                         {"warning-ok", std::make_unique<CWarningOK>(hLang), 10307},
                         {"warning", std::make_unique<CWarningDlg>(hLang), 10308}};
        for (SCase& c : cases) {
            // The longest message of the library.
            c.pDlg->SetMessage(LoadDlgString(hLang, 1154));
            c.pDlg->SetRightToLeft(m_pLang->bRtl);
            Shoot(c.pszName, c.nMessageCtrl, [&] { return c.pDlg->Show(nullptr); }, [](HWND) {}, IDOK);
        }
    }

    // The adjustment dialogs in colour mode, the curves on the red channel (all three drawn),
    // the gamma dialog of a QX5031 product (with its halftone box).
    void ShootAdjustDialogs(HINSTANCE hLang)
    {
        CAdjustTestHost host;
        SScanParamRecord& rec = host.Record();
        rec.nBrightness[1] = 40;
        rec.nContrast[3] = -30;
        rec.nCurve[1] = 1;
        rec.nCurve[3] = 2;
        auto redChannel = [](HWND hDlg) {
            HWND hList = ::GetDlgItem(hDlg, IDC_ADJ_CHANNEL);
            ::SendMessageW(hList, CB_SETCURSEL, 1, 0);
            ::SendMessageW(hDlg, WM_COMMAND, MAKEWPARAM(IDC_ADJ_CHANNEL, CBN_SELCHANGE), reinterpret_cast<LPARAM>(hList));
        };
        CCImageBrightContrastDlg bright(hLang, host.Host());
        Shoot("brightness-contrast", IDC_ADJ_BRIGHT_EDIT, [&] { return bright.Show(nullptr); }, redChannel, IDCANCEL);
        SProductFlags qx;
        qx.bQX5031 = true;
        CCGammaThresholdDlg gamma(hLang, host.Host(qx));
        Shoot("gamma-threshold", IDC_ADJ_GAMMA_EDIT, [&] { return gamma.Show(nullptr); }, [](HWND) {}, IDCANCEL);
        CCHistogramDlg histogram(hLang, host.Host());
        Shoot("histogram", IDC_ADJ_STATS, [&] { return histogram.Show(nullptr); }, [](HWND) {}, IDCANCEL);
        CDlg_Curve curve(hLang, host.Host());
        Shoot("tone-curve", IDC_ADJ_PRESET, [&] { return curve.Show(nullptr); }, redChannel, IDCANCEL);
    }

    static std::string Narrow(const wchar_t* psz)
    {
        std::string s;
        for (; *psz; ++psz)
            s += static_cast<char>(*psz);
        return s;
    }

    UINT m_nDpi;
    const SLanguage* m_pLang = nullptr;
    std::vector<std::string> m_problems;
};

// The screen's resolution for processes started while it lives (Wine reads it at start-up);
// 96 dpi again afterwards, as the test prefix is set up.
class CScreenDpi {
public:
    explicit CScreenDpi(DWORD dwDpi)
    {
        ::RegSetKeyValueW(HKEY_CURRENT_USER, kKey, L"LogPixels", REG_DWORD, &dwDpi, sizeof dwDpi);
    }
    ~CScreenDpi() { ::RegDeleteKeyValueW(HKEY_CURRENT_USER, kKey, L"LogPixels"); }

private:
    static constexpr const wchar_t* kKey = L"Control Panel\\Desktop";
};

std::string Joined(const std::vector<std::string>& lines)
{
    std::string s;
    for (const std::string& line : lines)
        s += line + "\n";
    return s;
}

// The child: the gallery at the screen's resolution, its problems written beside the pictures.
int ShootGalleryChild(const std::vector<std::wstring>&)
{
    UINT nDpi = WindowDpi(nullptr);
    CGallery gallery(nDpi);
    gallery.ShootAll();
    std::ofstream(CGallery::ProblemsFile()) << Joined(gallery.Problems());
    return nDpi != 144 ? 1000 : static_cast<int>(gallery.Problems().size());
}
MVL_CHILD_ACTION(L"gallery", ShootGalleryChild);

TEST(Gallery, EveryDialogInThreeLanguagesAt96And144Dpi)
{
    ASSERT_EQ(WindowDpi(nullptr), 96u);
    CGallery gallery(96);
    gallery.ShootAll();
    EXPECT_TRUE(gallery.Problems().empty()) << Joined(gallery.Problems());
    int nChildResult = -1;
    {
        // The child answers its message dialogs itself.
        CManualMessageDialogs manual;
        CScreenDpi dpi(144);
        CChildProcess child(L"gallery", {});
        ASSERT_TRUE(child.Started());
        nChildResult = child.Wait(300000);
    }
    std::ifstream in(CGallery::ProblemsFile());
    std::string sProblems((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(nChildResult, 0) << sProblems;
}

}  // namespace
