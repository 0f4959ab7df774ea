#include "ui/ScanProgressDlg.h"

#include <commctrl.h>

#include <cstdio>

#include "device/LLDState.h"
#include "profile/Trace.h"
#include "ui/ScanDialogIds.h"

namespace {

constexpr UINT kTextWait = 1091;
constexpr UINT kTextPages = 1107;
constexpr UINT kTextCancel = 1092;
constexpr UINT kBackground = 10451;

}  // namespace

CScanProgressDlg::CScanProgressDlg(HINSTANCE hResModule) : CSkinnedDialog(IDD, hResModule, false)
{
    m_hOpened = ::CreateEventW(nullptr, FALSE, FALSE, nullptr);
    if (!m_hOpened)
        TRACE_TEST("CScanProgressDl CreateEvent error ");
    Map().OnMessage(kMsgProgress, this, &CScanProgressDlg::OnProgress);
    Map().OnMessage(kMsgCloseDlg, this, &CScanProgressDlg::OnCloseDlg);
    Map().OnCommand(IDCANCEL, this, &CScanProgressDlg::OnBnClickedCancel);
}

CScanProgressDlg::~CScanProgressDlg()
{
    if (m_hWnd)
        DestroyWindow();
    if (m_hOpened)
        ::CloseHandle(m_hOpened);
}

void CScanProgressDlg::SetMode(bool bFeeder, bool bReset)
{
    m_bFeeder = bFeeder ? 1 : 0;
    if (bReset)
        m_nPageCount = 0;
}

void CScanProgressDlg::RunModal(HWND hOwner)
{
    // A signal left from an opening nobody waited for would let the worker start, and post
    // its close message, before this opening has a window to receive it.
    if (m_hOpened)
        ::ResetEvent(m_hOpened);
    if (DoModal(hOwner && ::IsWindow(hOwner) ? hOwner : nullptr) == -1 && m_hOpened) {
        // Without a window the worker must not wait for one forever.
        TraceA("CScanProgressDlg: the dialog could not be opened");
        ::SetEvent(m_hOpened);
    }
}

BOOL CScanProgressDlg::OnInitDialog()
{
    HWND hBar = GetDlgItem(IDC_PROGRESS_BAR);
    ::SendMessageW(hBar, PBM_SETRANGE32, 0, 100);
    ::SendMessageW(hBar, PBM_SETSTEP, 1, 0);
    ::SendMessageW(hBar, PBM_SETPOS, 0, 0);
    m_nLastPercent = 0;
    SetBackground(kBackground);
    const int labels[] = {IDC_PROGRESS_WAIT, IDC_PROGRESS_PERCENT, IDC_PROGRESS_PAGE_CAPTION, IDC_PROGRESS_PAGE_COUNT};
    for (int i = 0; i < 4; ++i)
        m_labels[i].SubclassDlgItem(labels[i], m_hWnd);
    AttachTextButton(m_btnCancel, m_hWnd, IDCANCEL);
    HINSTANCE hRes = ResourceModule();
    ::SetDlgItemTextW(m_hWnd, IDC_PROGRESS_WAIT, LoadDlgString(hRes, kTextWait).c_str());
    ::SetDlgItemTextW(m_hWnd, IDC_PROGRESS_PAGE_CAPTION, LoadDlgString(hRes, kTextPages).c_str());
    ::SetDlgItemTextW(m_hWnd, IDCANCEL, LoadDlgString(hRes, kTextCancel).c_str());
    ::SetDlgItemTextW(m_hWnd, IDC_PROGRESS_PERCENT, L"0 %");
    if (m_hOpened)
        ::SetEvent(m_hOpened);
    int nShow = m_bFeeder ? SW_SHOW : SW_HIDE;
    ::ShowWindow(GetDlgItem(IDC_PROGRESS_PAGE_CAPTION), nShow);
    ::ShowWindow(GetDlgItem(IDC_PROGRESS_PAGE_COUNT), nShow);
    if (m_bFeeder) {
        ++m_nPageCount;
        wchar_t szCount[16];
        swprintf(szCount, 16, L"%d", m_nPageCount);
        ::SetDlgItemTextW(m_hWnd, IDC_PROGRESS_PAGE_COUNT, szCount);
    }
    CenterWindowOn(m_hWnd, ::GetWindow(m_hWnd, GW_OWNER));
    TraceA("CScanProgressDlg::OnInitDialog()");
    return TRUE;
}

LRESULT CScanProgressDlg::OnProgress(WPARAM wParam, LPARAM)
{
    // A fast scanner posts percentages faster than the bar repaints: the latest one waiting is
    // the one shown, so that neither the bar nor the close after it lags behind the page.
    MSG later;
    while (::PeekMessageW(&later, m_hWnd, kMsgProgress, kMsgProgress, PM_REMOVE))
        wParam = later.wParam;
    int nPercent = static_cast<int>(wParam);
    if (gbcancel || nPercent == m_nLastPercent)
        return 0;
    // A worker's stray value must not run the bar and the label off their scale.
    if (nPercent < 0 || nPercent > 100)
        return 0;
    m_nLastPercent = nPercent;
    ::SendMessageW(GetDlgItem(IDC_PROGRESS_BAR), PBM_SETPOS, static_cast<WPARAM>(nPercent), 0);
    wchar_t szText[16];
    swprintf(szText, 16, L"%d %%", nPercent);
    // The label repaints the background under its old text itself.
    ::SetDlgItemTextW(m_hWnd, IDC_PROGRESS_PERCENT, szText);
    return 0;
}

LRESULT CScanProgressDlg::OnCloseDlg(WPARAM, LPARAM)
{
    TraceA("CScanProgressDlg::CloseDlg()");
    EndDialog(IDOK);
    return 0;
}

void CScanProgressDlg::OnBnClickedCancel()
{
    TraceA(" CScanProgressDlg::OnBnClickedCancel()");
    gbcancel = TRUE;
    ::EnableWindow(GetDlgItem(IDCANCEL), FALSE);
}
