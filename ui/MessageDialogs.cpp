#include "ui/MessageDialogs.h"

#include "profile/Trace.h"

namespace {

constexpr UINT kTextOk = 1090;
constexpr UINT kTextCancel = 1092;
constexpr UINT kTitleWarning = 1093;
constexpr UINT kTitleError = 1094;

constexpr SMessageDlgLook kErrorLook{CErrorDlg::IDD, 10306, kTitleError, 10456, 10439, false};
constexpr SMessageDlgLook kWarningOkLook{CWarningOK::IDD, 10307, kTitleWarning, 10457, 10440, false};
constexpr SMessageDlgLook kWarningLook{CWarningDlg::IDD, 10308, kTitleWarning, 10455, 10438, true};

}  // namespace

CMessageDlg::CMessageDlg(const SMessageDlgLook& look, HINSTANCE hResModule)
    : CSkinnedDialog(look.nTemplate, hResModule, true), m_look(look)
{
    Map().OnCommand(IDOK, [this] { OnButton(IDOK); });
    Map().OnCommand(IDCANCEL, [this] {
        // Escape is refused before it becomes this command; what is left is the button or
        // the close box, both a Cancel.
        OnButton(IDCANCEL);
    });
    Map().OnRaw(WM_CLOSE, [this](WPARAM, LPARAM, LRESULT& lResult) {
        OnButton(IDCANCEL);
        lResult = 0;
        return true;
    });
}

INT_PTR CMessageDlg::Show(HWND hParent)
{
    INT_PTR nResult = DoModal(hParent && ::IsWindow(hParent) ? hParent : nullptr);
    if (nResult == IDOK || nResult == IDCANCEL)
        return nResult;
    TraceA("CMessageDlg: template %u could not be shown", m_look.nTemplate);
    return IDCANCEL;
}

BOOL CMessageDlg::OnInitDialog()
{
    HINSTANCE hRes = ResourceModule();
    SetBackground(m_bRtl ? m_look.nBackgroundRtl : m_look.nBackground);
    m_message.SubclassDlgItem(m_look.nMessageCtrl, m_hWnd);
    AttachTextButton(m_btnOk, m_hWnd, IDOK);
    if (m_look.bHasCancel)
        AttachTextButton(m_btnCancel, m_hWnd, IDCANCEL);
    SetWindowText(LoadDlgString(hRes, m_look.nTitleId));
    ::SetDlgItemTextW(m_hWnd, m_look.nMessageCtrl, m_sMessage.c_str());
    ::SetDlgItemTextW(m_hWnd, IDOK, LoadDlgString(hRes, kTextOk).c_str());
    if (m_look.bHasCancel)
        ::SetDlgItemTextW(m_hWnd, IDCANCEL, LoadDlgString(hRes, kTextCancel).c_str());
    Place();
    return TRUE;
}

void CMessageDlg::Place()
{
    CenterWindowOn(m_hWnd, ::GetWindow(m_hWnd, GW_OWNER));
}

CErrorDlg::CErrorDlg(HINSTANCE hResModule) : CMessageDlg(kErrorLook, hResModule) {}

void CErrorDlg::Place()
{
    if (m_bAppWindow)
        ::SetWindowLongPtrW(m_hWnd, GWL_EXSTYLE, ::GetWindowLongPtrW(m_hWnd, GWL_EXSTYLE) | WS_EX_APPWINDOW);
    CenterWindowOn(m_hWnd, nullptr);
}

CWarningOK::CWarningOK(HINSTANCE hResModule) : CMessageDlg(kWarningOkLook, hResModule) {}

CWarningDlg::CWarningDlg(HINSTANCE hResModule) : CMessageDlg(kWarningLook, hResModule) {}
