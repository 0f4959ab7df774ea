#include "ui/MergeScanDlg.h"

#include <cstdio>

#include "profile/Trace.h"
#include "ui/ScanDialogIds.h"

namespace {

constexpr UINT kBackground = 10451;

}  // namespace

CDlg_MergeScan::CDlg_MergeScan(HINSTANCE hResModule, HWND /*hParent*/) : CSkinnedDialog(IDD, hResModule, false)
{
    TraceA("*** CDlg_MergeScan::CDlg_MergeScan(CWnd* pParent /*=NULL*/)");
    Map().OnCommand(IDOK, [this] { EndDialog(IDOK); });
    Map().OnCommand(IDCANCEL, [this] { EndDialog(IDCANCEL); });
}

CDlg_MergeScan::~CDlg_MergeScan()
{
    if (m_hWnd)
        DestroyWindow();
}

void CDlg_MergeScan::MarkError()
{
    TraceA("CDlg_MergeScan===>Enter");
    m_bError = 1;
}

void CDlg_MergeScan::Reset()
{
    m_nCount = 0;
    m_bError = 0;
}

BOOL CDlg_MergeScan::OnInitDialog()
{
    if (m_bError)
        TraceA("CDlg_MergeScan:: scan error");
    else
        ++m_nCount;
    SetBackground(kBackground);
    const int labels[] = {IDC_MERGE_CAPTION, IDC_MERGE_COUNT, IDC_MERGE_TEXT};
    for (int i = 0; i < 3; ++i)
        m_labels[i].SubclassDlgItem(labels[i], m_hWnd);
    AttachTextButton(m_btnContinue, m_hWnd, IDOK);
    AttachTextButton(m_btnFinish, m_hWnd, IDCANCEL);
    wchar_t szCount[16];
    swprintf(szCount, 16, L"%d", m_nCount);
    ::SetDlgItemTextW(m_hWnd, IDC_MERGE_COUNT, szCount);
    CenterWindowOn(m_hWnd, ::GetWindow(m_hWnd, GW_OWNER));
    return TRUE;
}
