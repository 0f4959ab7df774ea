#include "ui/Dlg_About.h"

#include "profile/Language.h"
#include "profile/ProductProfile.h"
#include "profile/Resources.h"
#include "ui/MainDialogIds.h"
#include "ui/ScanSummaryText.h"

CDlg_About::CDlg_About(HINSTANCE hResModule) : CSkinnedDialog(IDD, hResModule, false)
{
    Map().OnCommand(IDOK, [this] { EndDialog(IDOK); });
}

BOOL CDlg_About::PreTranslateMessage(MSG* pMsg)
{
    const bool bRightButton =
        pMsg && (pMsg->message == WM_RBUTTONDOWN || pMsg->message == WM_RBUTTONUP || pMsg->message == WM_RBUTTONDBLCLK);
    if (bRightButton && m_hWnd && (pMsg->hwnd == m_hWnd || ::IsChild(m_hWnd, pMsg->hwnd)))
        return TRUE;
    return CSkinnedDialog::PreTranslateMessage(pMsg);
}

BOOL CDlg_About::OnInitDialog()
{
    SetBackground(10443);
    SetWindowText(LoadLangString(1014));
    CWnd(GetDlgItem(IDOK)).SetWindowText(LoadLangString(1017));
    CWnd(GetDlgItem(IDC_ABOUT_PRODUCT)).SetWindowText(ReadModelKey(L"Product Name"));
    const wchar_t* pszSection = LanguageName(g_LangugueID);
    const std::wstring sSection = pszSection ? pszSection : L"English";
    CWnd(GetDlgItem(IDC_ABOUT_LEGAL))
        .SetWindowText(ReadProfileString(sSection.c_str(), L"Copyright") + L"\r\n" +
                       ReadProfileString(sSection.c_str(), L"Right"));
    const std::wstring sVersion = LoadLangString(1088) + ReadProfileString(L"TWAIN", L"Version");
    CWnd(GetDlgItem(IDC_ABOUT_VERSION)).SetWindowText(WithDecimalSeparator(sVersion, g_wcDecimalSep));
    CenterWindowOn(m_hWnd, ::GetParent(m_hWnd));
    return TRUE;
}
