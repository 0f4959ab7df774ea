// The progress, manual-duplex and merge-scan dialogs driven as a user and the worker would:
// a second thread finds the window, posts the worker's messages and clicks.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <mutex>
#include <string>
#include <vector>

#include "device/LLDState.h"
#include "harness/TestEnv.h"
#include "profile/Trace.h"
#include "transfer/ScanProgress.h"
#include "ui/DialogDriver.h"
#include "ui/DialogSkin.h"
#include "ui/ManualDuplexDlg.h"
#include "ui/MergeScanDlg.h"
#include "ui/ScanDialogIds.h"
#include "ui/ScanProgressDlg.h"

using namespace mvltest;

namespace {

std::mutex g_traceMutex;
std::vector<std::string> g_traceLines;

void CaptureA(const char* pszLine)
{
    std::lock_guard lock(g_traceMutex);
    g_traceLines.emplace_back(pszLine ? pszLine : "");
}

bool Traced(const std::string& sLine)
{
    std::lock_guard lock(g_traceMutex);
    for (const std::string& s : g_traceLines)
        if (s == sLine || s == sLine + "\n")
            return true;
    return false;
}

// The dialog itself may not be shown yet when it signals its opening.
bool HasVisibleStyle(HWND hCtrl)
{
    return hCtrl && (::GetWindowLongW(hCtrl, GWL_STYLE) & WS_VISIBLE) != 0;
}

// Counts the positions the dialog gives its bar: each PBM_SETPOS is one redraw of the bar.
int g_nSetPos = 0;
LRESULT CALLBACK CountSetPos(int nCode, WPARAM wParam, LPARAM lParam)
{
    auto* p = reinterpret_cast<CWPSTRUCT*>(lParam);
    if (nCode == HC_ACTION && p && p->message == PBM_SETPOS && ::GetDlgCtrlID(p->hwnd) == IDC_PROGRESS_BAR)
        ++g_nSetPos;
    return ::CallNextHookEx(nullptr, nCode, wParam, lParam);
}

class ScanDialogs : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_NE(m_lang.Module(), nullptr);
        INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_PROGRESS_CLASS};
        ::InitCommonControlsEx(&icc);
        SetTraceSinks(&CaptureA, nullptr);
        gbcancel = FALSE;
        g_nSetPos = 0;
        {
            std::lock_guard lock(g_traceMutex);
            g_traceLines.clear();
        }
    }
    void TearDown() override
    {
        SetTraceSinks(nullptr, nullptr);
        gbcancel = FALSE;
    }

    // Waits for the progress dialog to open, as the scan thread does.
    static HWND WaitOpened(CScanProgressDlg& dlg)
    {
        if (::WaitForSingleObject(dlg.ReadyEvent(), 10000) != WAIT_OBJECT_0)
            return nullptr;
        return dlg.Window();
    }
    static int BarPos(HWND hDlg) { return static_cast<int>(::SendMessageW(::GetDlgItem(hDlg, IDC_PROGRESS_BAR), PBM_GETPOS, 0, 0)); }

    CLangLibrary m_lang{L"enus"};
};

TEST_F(ScanDialogs, ProgressShowsPercentagesAndRedrawsEqualOnesOnce)
{
    CScanProgressDlg dlg(m_lang.Module());
    dlg.SetMode(false, true);
    HHOOK hHook = ::SetWindowsHookExW(WH_CALLWNDPROC, &CountSetPos, nullptr, ::GetCurrentThreadId());
    ASSERT_NE(hHook, nullptr);
    int nAfterOpen = -1, nAfterTwice = -1, nAfterNew = -1, nPos = -1, nPosAfterStray = -1;
    std::wstring sLabel, sWait, sCount;
    bool bCountVisible = true;
    RunWithUser([&] { dlg.RunModal(nullptr); return INT_PTR(0); },
                [&] {
                    HWND hDlg = WaitOpened(dlg);
                    if (!hDlg)
                        return;
                    nAfterOpen = g_nSetPos;
                    ::SendMessageW(hDlg, kMsgProgress, 40, 0);
                    ::SendMessageW(hDlg, kMsgProgress, 40, 0);
                    nAfterTwice = g_nSetPos;
                    nPos = BarPos(hDlg);
                    sLabel = CtrlText(hDlg, IDC_PROGRESS_PERCENT);
                    sWait = CtrlText(hDlg, IDC_PROGRESS_WAIT);
                    bCountVisible = HasVisibleStyle(::GetDlgItem(hDlg, IDC_PROGRESS_PAGE_COUNT));
                    SaveGalleryShot(hDlg, "progress-dialog-40", L"enus");
                    ::SendMessageW(hDlg, kMsgProgress, 41, 0);
                    nAfterNew = g_nSetPos;
                    ::SendMessageW(hDlg, kMsgProgress, 250, 0);  // off the scale: ignored
                    nPosAfterStray = BarPos(hDlg);
                    ::PostMessageW(hDlg, kMsgCloseDlg, 0, 0);
                    WaitGone(hDlg, 10000);
                });
    ::UnhookWindowsHookEx(hHook);
    EXPECT_EQ(nAfterTwice - nAfterOpen, 1);
    EXPECT_EQ(nAfterNew - nAfterTwice, 1);
    EXPECT_EQ(nPos, 40);
    EXPECT_EQ(sLabel, L"40 %");
    EXPECT_EQ(sWait, L"Scanning, please wait...");
    EXPECT_EQ(nPosAfterStray, 41);
    EXPECT_FALSE(bCountVisible);  // flatbed: no page count
    EXPECT_EQ(dlg.Window(), nullptr);
    EXPECT_TRUE(Traced("CScanProgressDlg::OnInitDialog()"));
    EXPECT_TRUE(Traced("CScanProgressDlg::CloseDlg()"));
}

TEST_F(ScanDialogs, ProgressCancelStopsTheBarAndWaitsForTheWorker)
{
    CScanProgressDlg dlg(m_lang.Module());
    dlg.SetMode(false, true);
    bool bCancelEnabled = true, bOpenAfterKeys = false, bOpenAfterCancel = false, bGone = false;
    int nPos = -1;
    RunWithUser([&] { dlg.RunModal(nullptr); return INT_PTR(0); },
                [&] {
                    HWND hDlg = WaitOpened(dlg);
                    if (!hDlg)
                        return;
                    ::SendMessageW(hDlg, kMsgProgress, 30, 0);
                    HWND hCancel = ::GetDlgItem(hDlg, IDCANCEL);
                    PressKey(hCancel, VK_ESCAPE);
                    PressKey(hCancel, VK_RETURN);
                    ::Sleep(300);
                    bOpenAfterKeys = ::IsWindow(hDlg) && !gbcancel;
                    ::SendMessageW(hCancel, BM_CLICK, 0, 0);
                    bCancelEnabled = ::IsWindowEnabled(hCancel) != FALSE;
                    // The worker goes on reporting until it has stopped.
                    for (int n : {50, 70, 90})
                        ::SendMessageW(hDlg, kMsgProgress, n, 0);
                    nPos = BarPos(hDlg);
                    ::Sleep(300);
                    bOpenAfterCancel = ::IsWindowVisible(hDlg) != FALSE;
                    ::PostMessageW(hDlg, kMsgCloseDlg, 0, 0);
                    bGone = WaitGone(hDlg, 10000);
                });
    EXPECT_TRUE(bOpenAfterKeys);
    EXPECT_TRUE(gbcancel);
    EXPECT_FALSE(bCancelEnabled);
    EXPECT_EQ(nPos, 30);
    EXPECT_TRUE(bOpenAfterCancel);
    EXPECT_TRUE(bGone);
    EXPECT_TRUE(Traced(" CScanProgressDlg::OnBnClickedCancel()"));
}

TEST_F(ScanDialogs, ProgressCountsFeederPagesFromOneAfterAReset)
{
    CScanProgressDlg dlg(m_lang.Module());
    dlg.SetMode(true, true);
    std::vector<std::wstring> counts;
    std::wstring sCaption;
    for (int i = 0; i < 2; ++i) {
        RunWithUser([&] { dlg.RunModal(nullptr); return INT_PTR(0); },
                    [&] {
                        HWND hDlg = WaitOpened(dlg);
                        if (!hDlg)
                            return;
                        if (HasVisibleStyle(::GetDlgItem(hDlg, IDC_PROGRESS_PAGE_COUNT)))
                            counts.push_back(CtrlText(hDlg, IDC_PROGRESS_PAGE_COUNT));
                        sCaption = CtrlText(hDlg, IDC_PROGRESS_PAGE_CAPTION);
                        ::SendMessageW(hDlg, kMsgProgress, 55, 0);
                        ::PostMessageW(hDlg, kMsgCloseDlg, 0, 0);
                        WaitGone(hDlg, 10000);
                    });
    }
    EXPECT_EQ(counts, (std::vector<std::wstring>{L"1", L"2"}));
    EXPECT_EQ(sCaption, L"Pages scanned:");
    // A new batch starts from 1 again.
    dlg.SetMode(true, true);
    std::wstring sAgain;
    RunWithUser([&] { dlg.RunModal(nullptr); return INT_PTR(0); },
                [&] {
                    if (HWND hDlg = WaitOpened(dlg)) {
                        sAgain = CtrlText(hDlg, IDC_PROGRESS_PAGE_COUNT);
                        ::PostMessageW(hDlg, kMsgCloseDlg, 0, 0);
                    }
                });
    EXPECT_EQ(sAgain, L"1");
}

TEST_F(ScanDialogs, ProgressWithoutTemplateLetsTheWorkerGoOn)
{
    // A module without the template: the worker waiting for the opening must not wait forever.
    CScanProgressDlg dlg(::GetModuleHandleW(L"kernel32.dll"));
    dlg.RunModal(nullptr);
    EXPECT_EQ(::WaitForSingleObject(dlg.ReadyEvent(), 0), WAIT_OBJECT_0);
}

// The state of the opening signal at the moment the dialog window is created, before
// WM_INITDIALOG: a worker waiting on it then would start too early.
HANDLE g_hWatchedReady = nullptr;
int g_nReadyAtCreate = -1;
LRESULT CALLBACK NoteReadyAtCreate(int nCode, WPARAM wParam, LPARAM lParam)
{
    if (nCode == HCBT_CREATEWND && g_nReadyAtCreate < 0) {
        auto* p = reinterpret_cast<CBT_CREATEWNDW*>(lParam);
        if (p && p->lpcs && !(p->lpcs->style & WS_CHILD))
            g_nReadyAtCreate = ::WaitForSingleObject(g_hWatchedReady, 0) == WAIT_OBJECT_0 ? 1 : 0;
    }
    return ::CallNextHookEx(nullptr, nCode, wParam, lParam);
}

TEST_F(ScanDialogs, ProgressForgetsAnOpeningNobodyWaitedFor)
{
    CScanProgressDlg dlg(m_lang.Module());
    ::SetEvent(dlg.ReadyEvent());  // left from a preview whose worker did not wait
    g_hWatchedReady = dlg.ReadyEvent();
    g_nReadyAtCreate = -1;
    HHOOK hHook = ::SetWindowsHookExW(WH_CBT, &NoteReadyAtCreate, nullptr, ::GetCurrentThreadId());
    ASSERT_NE(hHook, nullptr);
    bool bReadyWhenShown = false;
    RunWithUser([&] { dlg.RunModal(nullptr); return INT_PTR(0); },
                [&] {
                    HWND hDlg = WaitForDialogWithCtrl(IDC_PROGRESS_BAR, 10000);
                    bReadyWhenShown = WaitOpened(dlg) == hDlg && hDlg;
                    ::PostMessageW(hDlg, kMsgCloseDlg, 0, 0);
                });
    ::UnhookWindowsHookEx(hHook);
    EXPECT_EQ(g_nReadyAtCreate, 0);
    EXPECT_TRUE(bReadyWhenShown);
}

TEST_F(ScanDialogs, ManualDuplexWaitsForTheDeviceAndHidesCancel)
{
    CManualDuplexDlg dlg(m_lang.Module());
    std::vector<HWND> hooked;
    dlg.SetWindowHook([&](HWND h) {
        hooked.push_back(h);
        return true;
    });
    bool bCancelVisible = true, bOpenAfterKeys = false;
    std::wstring sText, sTitle;
    INT_PTR nResult = RunWithUser([&] { return dlg.Run(nullptr); },
                                  [&] {
                                      HWND hDlg = WaitForDialogWithCtrl(IDC_DUPLEX_TEXT, 10000);
                                      if (!hDlg)
                                          return;
                                      sText = CtrlText(hDlg, IDC_DUPLEX_TEXT);
                                      wchar_t szTitle[128] = {};
                                      ::GetWindowTextW(hDlg, szTitle, 128);
                                      sTitle = szTitle;
                                      bCancelVisible = ::IsWindowVisible(::GetDlgItem(hDlg, IDCANCEL)) != FALSE;
                                      PressKey(hDlg, VK_RETURN);
                                      PressKey(hDlg, VK_ESCAPE);
                                      ::Sleep(300);
                                      bOpenAfterKeys = ::IsWindowVisible(hDlg) != FALSE;
                                      ::PostMessageW(hDlg, kMsgCloseDlg, 0, 0);
                                  });
    EXPECT_EQ(nResult, IDOK);
    EXPECT_NE(sText.find(L"Turn the stack"), std::wstring::npos);
    EXPECT_EQ(sTitle, L"Continue");
    EXPECT_FALSE(bCancelVisible);
    EXPECT_TRUE(bOpenAfterKeys);
    ASSERT_EQ(hooked.size(), 2u);
    EXPECT_NE(hooked[0], nullptr);
    EXPECT_EQ(hooked[1], nullptr);
    EXPECT_TRUE(Traced("CManualDuplexDlg::OnInitDialog()"));
}

TEST_F(ScanDialogs, ManualDuplexClosesAtOnceWhenTheWaitEndedBeforeIt)
{
    CManualDuplexDlg dlg(m_lang.Module());
    dlg.SetWindowHook([](HWND) { return false; });
    EXPECT_EQ(dlg.Run(nullptr), IDOK);
}

TEST_F(ScanDialogs, MergeScanCountsPagesAndKeepsTheCountAfterAnError)
{
    CDlg_MergeScan dlg(m_lang.Module());
    EXPECT_TRUE(Traced("*** CDlg_MergeScan::CDlg_MergeScan(CWnd* pParent /*=NULL*/)"));
    auto show = [&](int nButton, std::wstring* pCount) {
        return RunWithUser([&] { return dlg.DoModal(nullptr); },
                           [&] {
                               HWND hDlg = WaitForDialogWithCtrl(IDC_MERGE_TEXT, 10000);
                               if (!hDlg)
                                   return;
                               *pCount = CtrlText(hDlg, IDC_MERGE_COUNT);
                               PressKey(::GetDlgItem(hDlg, IDOK), VK_RETURN);
                               PressKey(hDlg, VK_ESCAPE);
                               ::Sleep(200);
                               if (::IsWindow(hDlg))
                                   ::PostMessageW(::GetDlgItem(hDlg, nButton), BM_CLICK, 0, 0);
                           });
    };
    std::wstring s1, s2, s3, s4;
    EXPECT_EQ(show(IDOK, &s1), IDOK);
    EXPECT_EQ(show(IDOK, &s2), IDOK);
    dlg.MarkError();
    EXPECT_EQ(show(IDOK, &s3), IDOK);
    dlg.ClearErrorMark();
    EXPECT_EQ(show(IDCANCEL, &s4), IDCANCEL);
    EXPECT_EQ(s1, L"1");
    EXPECT_EQ(s2, L"2");
    EXPECT_EQ(s3, L"2");  // the failed page is not counted
    EXPECT_EQ(s4, L"3");
    EXPECT_TRUE(Traced("CDlg_MergeScan===>Enter"));
    EXPECT_TRUE(Traced("CDlg_MergeScan:: scan error"));
    dlg.Reset();
    EXPECT_EQ(dlg.Count(), 0);
    EXPECT_FALSE(dlg.ErrorMarked());
}

// The progress dialog of a feeder batch, the manual-duplex and the merge-scan dialogs in a
// language of every script, for the gallery; their texts come from that language.
TEST_F(ScanDialogs, GalleryInEveryScript)
{
    for (const wchar_t* pszCode : kGalleryCodes) {
        CLangLibrary lang(pszCode);
        ASSERT_NE(lang.Module(), nullptr);
        CScanProgressDlg progress(lang.Module());
        progress.SetMode(true, true);
        std::wstring sWait;
        RunWithUser([&] { progress.RunModal(nullptr); return INT_PTR(0); },
                    [&] {
                        if (HWND hDlg = WaitOpened(progress)) {
                            ::SendMessageW(hDlg, kMsgProgress, 60, 0);
                            sWait = CtrlText(hDlg, IDC_PROGRESS_WAIT);
                            EXPECT_TRUE(SaveGalleryShot(hDlg, "progress-dialog-feeder", pszCode));
                            ::PostMessageW(hDlg, kMsgCloseDlg, 0, 0);
                            WaitGone(hDlg, 10000);
                        }
                    });
        EXPECT_EQ(sWait, LoadDlgString(lang.Module(), 1091));
        CManualDuplexDlg duplex(lang.Module());
        std::wstring sTurn;
        RunWithUser([&] { return duplex.Run(nullptr); },
                    [&] {
                        if (HWND hDlg = WaitForDialogWithCtrl(IDC_DUPLEX_TEXT, 10000)) {
                            sTurn = CtrlText(hDlg, IDC_DUPLEX_TEXT);
                            EXPECT_TRUE(SaveGalleryShot(hDlg, "manual-duplex-dialog", pszCode));
                            ::PostMessageW(hDlg, kMsgCloseDlg, 0, 0);
                        }
                    });
        EXPECT_EQ(sTurn, LoadDlgString(lang.Module(), 1176));
        CDlg_MergeScan merge(lang.Module());
        std::wstring sFinish;
        RunWithUser([&] { return merge.DoModal(nullptr); },
                    [&] {
                        if (HWND hDlg = WaitForDialogWithCtrl(IDC_MERGE_TEXT, 10000)) {
                            sFinish = CtrlText(hDlg, IDCANCEL);
                            EXPECT_TRUE(SaveGalleryShot(hDlg, "merge-scan-dialog", pszCode));
                            ::PostMessageW(::GetDlgItem(hDlg, IDOK), BM_CLICK, 0, 0);
                        }
                    });
        EXPECT_EQ(sFinish, LoadDlgString(lang.Module(), 1300));
    }
}

}  // namespace
