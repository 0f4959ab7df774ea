#include "twain/UIImp.h"

#include "twain/ScanValues.h"
#include "twain/TwainDsApp.h"
#include "ui/MainUIDialog.h"

HINSTANCE UIResourceModule()
{
    return g_hInstance;
}

CUIImp::~CUIImp() = default;

CTwainUIImp::~CTwainUIImp()
{
    Destroy();
}

int CTwainUIImp::Show(int nCmdShow)
{
    if (!m_pDialog)
        return 1;
    m_pDialog->ShowWindow(nCmdShow);
    return 0;
}

int CTwainUIImp::Destroy()
{
    if (!m_pDialog)
        return 1;
    m_pDialog->DestroyWindow();
    m_pDialog->RemoveMessageHook();
    m_pDialog.reset();
    return 1;
}

int CTwainUIImp::FilterMessage(MSG* pMsg)
{
    if (!pMsg)
        return 1;
    if (pMsg->message == WM_KEYDOWN && pMsg->wParam == 0x43)
        return 0;
    if (!m_pDialog || !m_pDialog->GetSafeHwnd() || !::IsDialogMessageW(m_pDialog->GetSafeHwnd(), pMsg))
        return 1;
    m_pDialog->PreTranslateMessage(pMsg);
    return 0;
}

int CTwainUIImp::Create(CDsProxy* pProxy, HWND hParent)
{
    UINT nTemplate = g_bFileOutputMode ? CMainUIDialog::IDD_FILE_OUTPUT : CMainUIDialog::IDD;
    std::unique_ptr<CMainUIDialog> pDialog;
    try {
        pDialog = std::make_unique<CMainUIDialog>(nTemplate, UIResourceModule(), pProxy);
    } catch (...) {
        // Reported as a failure, so that the enable is refused rather than run without a window.
        return 1;
    }
    // The parent may be any window (or none); it is only named as the owner.
    HWND hOwner = hParent && ::IsWindow(hParent) ? hParent : nullptr;
    if (!pDialog->Create(hOwner))
        return 1;
    if (m_pDialog)
        Destroy();
    m_pDialog = std::move(pDialog);
    return 0;
}
