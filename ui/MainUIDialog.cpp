#include "ui/MainUIDialog.h"

#include "profile/Language.h"
#include "profile/Trace.h"
#include "twain/DsProxy.h"
#include "ui/DialogClass.h"
#include "ui/MessageHook.h"

CMainUIDialog::CMainUIDialog(UINT nIdTemplate, HINSTANCE hResModule, CDsProxy* pProxy)
    : CDialog(nIdTemplate, hResModule), m_pProxy(pProxy)
{
    LoadLanguageLibrary();
    // May be null when the class exists already (registered by someone who still holds it
    // under another module handle); the templates then find that one.
    m_pClass = CDialogClassCopy::Acquire(kMainUIClassName, ResourceModule());
}

void CMainUIDialog::LoadLanguageLibrary()
{
    wchar_t szCode[kLanguageCodeChars] = {};
    SelectLanguage(szCode);
    const std::wstring sPath = ResourceLibraryPath(szCode);
    TraceW(L"%ls", sPath.c_str());
    m_lang.emplace(sPath);
    if (m_lang->Loaded())
        SetResourceModule(m_lang->Module());
    else
        m_lang.reset();
}

CMainUIDialog::~CMainUIDialog()
{
    RemoveMessageHook();
    // The window goes before the class it was created from is released.
    if (m_hWnd)
        DestroyWindow();
}

void CMainUIDialog::RemoveMessageHook()
{
    m_pHook.reset();
}

BOOL CMainUIDialog::OnInitDialog()
{
    m_pHook = std::make_unique<CGetMessageHook>([this](MSG& msg, bool bRemoved) { OnHookedMessage(msg, bRemoved); });
    return TRUE;
}

void CMainUIDialog::OnHookedMessage(MSG& msg, bool bRemoved)
{
    // Key-up to Unicode-character messages; the key-down itself is the application's.
    if (!bRemoved || msg.message < WM_KEYUP || msg.message > WM_UNICHAR)
        return;
    if (PreTranslateMessage(&msg))
        msg.message = WM_NULL;
}

BOOL CMainUIDialog::PreTranslateMessage(MSG* pMsg)
{
    return CDialog::PreTranslateMessage(pMsg);
}

void CMainUIDialog::OnCancel()
{
    // Escape must not close the window: only the Close button itself does.
    HWND hClose = GetDlgItem(IDCANCEL);
    if (IsWindowVisible() && hClose && ::GetFocus() != hClose)
        return;
    m_bUserClosed = true;
    if (m_pProxy)
        m_pProxy->CloseNotify(0);
}
