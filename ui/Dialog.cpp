#include "ui/Dialog.h"

#include "ui/MessagePump.h"

namespace {

// The dialog whose window is being created. Dialogs are created on the application's thread
// only, and the first message of the new window takes it, so one slot is enough even when a
// dialog creates child dialogs while it initialises.
CDialog* s_pCreating = nullptr;

const DLGTEMPLATE* LoadDialogTemplate(HINSTANCE hModule, UINT nId)
{
    HRSRC hRes = ::FindResourceW(hModule, MAKEINTRESOURCEW(nId), reinterpret_cast<LPCWSTR>(RT_DIALOG));
    HGLOBAL hData = hRes ? ::LoadResource(hModule, hRes) : nullptr;
    return hData ? static_cast<const DLGTEMPLATE*>(::LockResource(hData)) : nullptr;
}

}  // namespace

INT_PTR CALLBACK CDialog::DlgProc(HWND hDlg, UINT nMsg, WPARAM wParam, LPARAM lParam)
{
    // Once bound, the object saw the message through its subclassed procedure already.
    if (FromHandlePermanent(hDlg))
        return FALSE;
    CDialog* pDlg = s_pCreating;
    if (!pDlg)
        return FALSE;
    s_pCreating = nullptr;
    auto pfnDefault = reinterpret_cast<WNDPROC>(
        ::SetWindowLongPtrW(hDlg, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CWnd::StdWndProc)));
    pDlg->Attach(hDlg, pfnDefault);
    // This first message came the dialog manager's way; it does the default handling itself.
    LRESULT lResult = 0;
    bool bHandled = pDlg->DispatchOnly(nMsg, wParam, lParam, lResult);
    if (nMsg == WM_INITDIALOG)
        return bHandled ? lResult : TRUE;
    if (bHandled)
        ::SetWindowLongPtrW(hDlg, DWLP_MSGRESULT, lResult);
    return bHandled ? TRUE : FALSE;
}

BOOL CDialog::CreateFrom(const DLGTEMPLATE* pTemplate, HWND hParent)
{
    if (m_hWnd || !pTemplate)
        return FALSE;
    m_bEnded = false;
    m_nResult = -1;
    s_pCreating = this;
    HWND hDlg = ::CreateDialogIndirectParamW(m_hResModule, pTemplate, hParent, &CDialog::DlgProc,
                                             reinterpret_cast<LPARAM>(this));
    s_pCreating = nullptr;
    // A dialog that ended itself while initialising has no window left.
    return hDlg && m_hWnd == hDlg;
}

BOOL CDialog::Create(HWND hParent)
{
    return CreateFrom(LoadDialogTemplate(m_hResModule, m_nIdTemplate), hParent);
}

BOOL CDialog::CreateIndirect(const DLGTEMPLATE* pTemplate, HWND hParent)
{
    return CreateFrom(pTemplate, hParent);
}

INT_PTR CDialog::RunModal(const DLGTEMPLATE* pTemplate, HWND hParent)
{
    // The owner is disabled before the dialog exists, so that nothing the dialog does while it
    // initialises can reach the owner.
    bool bDisabledParent = hParent && ::IsWindowEnabled(hParent);
    if (bDisabledParent)
        ::EnableWindow(hParent, FALSE);
    m_bModal = true;
    bool bCreated = CreateFrom(pTemplate, hParent);
    HWND hDlg = m_hWnd;
    if (bCreated) {
        ShowWindow(SW_SHOW);
        bool bRan = PumpMessagesUntil([this, hDlg] { return m_bEnded || !::IsWindow(hDlg); }, hDlg);
        if (!bRan && !m_bEnded)
            m_nResult = IDCANCEL;
    }
    // The owner is enabled before the dialog goes, so that it gets the activation back.
    if (bDisabledParent)
        ::EnableWindow(hParent, TRUE);
    if (hDlg && ::IsWindow(hDlg))
        ::DestroyWindow(hDlg);
    m_bModal = false;
    if (!bCreated)
        return m_bEnded ? m_nResult : -1;
    return m_nResult;
}

INT_PTR CDialog::DoModal(HWND hParent)
{
    return RunModal(LoadDialogTemplate(m_hResModule, m_nIdTemplate), hParent);
}

INT_PTR CDialog::DoModalIndirect(const DLGTEMPLATE* pTemplate, HWND hParent)
{
    return RunModal(pTemplate, hParent);
}

void CDialog::EndDialog(INT_PTR nResult)
{
    m_nResult = nResult;
    m_bEnded = true;
    if (!m_bModal) {
        DestroyWindow();
        return;
    }
    // Wakes the loop when the end came from outside a message it dispatched.
    if (m_hWnd)
        PostMessage(WM_NULL);
}

BOOL CDialog::PreTranslateMessage(MSG* pMsg)
{
    if (!m_hWnd || pMsg->message < WM_KEYFIRST || pMsg->message > WM_KEYLAST)
        return FALSE;
    if (pMsg->hwnd != m_hWnd && !::IsChild(m_hWnd, pMsg->hwnd))
        return FALSE;
    return ::IsDialogMessageW(m_hWnd, pMsg);
}

bool CDialog::OnWndMsg(UINT nMsg, WPARAM wParam, LPARAM lParam, LRESULT& lResult)
{
    if (CWnd::OnWndMsg(nMsg, wParam, lParam, lResult))
        return true;
    switch (nMsg) {
    case WM_INITDIALOG:
        lResult = OnInitDialog();
        return true;
    case WM_COMMAND:
        // Buttons and the dialog keys (Enter, Escape) with no handler of their own.
        if (HIWORD(wParam) == BN_CLICKED && LOWORD(wParam) == IDOK) {
            OnOK();
            return true;
        }
        if (HIWORD(wParam) == BN_CLICKED && LOWORD(wParam) == IDCANCEL) {
            OnCancel();
            return true;
        }
        return false;
    default:
        return false;
    }
}
