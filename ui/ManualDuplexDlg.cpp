#include "ui/ManualDuplexDlg.h"

#include "device/LLDState.h"
#include "profile/Trace.h"
#include "transfer/ScanProgress.h"
#include "ui/ScanDialogIds.h"

namespace {

constexpr UINT kTextTurnOver = 1176;
constexpr UINT kTextCancel = 1092;
constexpr UINT kTextTitle = 1177;
constexpr UINT kBackground = 10451;

}  // namespace

CManualDuplexDlg::CManualDuplexDlg(HINSTANCE hResModule) : CSkinnedDialog(IDD, hResModule, false)
{
    Map().OnCommand(IDCANCEL, this, &CManualDuplexDlg::OnBnClickedCancel);
    Map().OnMessage(kMsgCloseDlg, [this](WPARAM, LPARAM) -> LRESULT {
        EndDialog(IDOK);
        return 0;
    });
}

CManualDuplexDlg::~CManualDuplexDlg()
{
    if (m_hWnd)
        DestroyWindow();
}

BOOL CManualDuplexDlg::OnInitDialog()
{
    SetBackground(kBackground);
    m_text.SubclassDlgItem(IDC_DUPLEX_TEXT, m_hWnd);
    AttachTextButton(m_btnCancel, m_hWnd, IDCANCEL);
    HINSTANCE hRes = ResourceModule();
    ::SetDlgItemTextW(m_hWnd, IDC_DUPLEX_TEXT, LoadDlgString(hRes, kTextTurnOver).c_str());
    ::SetDlgItemTextW(m_hWnd, IDCANCEL, LoadDlgString(hRes, kTextCancel).c_str());
    SetWindowText(LoadDlgString(hRes, kTextTitle));
    ::ShowWindow(GetDlgItem(IDCANCEL), SW_HIDE);
    CenterWindowOn(m_hWnd, ::GetWindow(m_hWnd, GW_OWNER));
    TraceA("CManualDuplexDlg::OnInitDialog()");
    if (m_fnWindowHook && !m_fnWindowHook(m_hWnd))
        PostMessage(kMsgCloseDlg);
    return TRUE;
}

INT_PTR CManualDuplexDlg::Run(HWND hOwner)
{
    INT_PTR nResult = DoModal(hOwner);
    if (m_fnWindowHook)
        m_fnWindowHook(nullptr);
    return nResult;
}

void CManualDuplexDlg::OnBnClickedCancel()
{
    TraceA(" CManualDuplexDlg::OnBnClickedCancel()");
    gbcancel = TRUE;
    if (m_fnCancelScan)
        m_fnCancelScan();
    EndDialog(IDCANCEL);
}
