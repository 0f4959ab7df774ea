// The scanning dialog: the source's own window, created at MSG_ENABLEDS and destroyed at
// MSG_DISABLEDS. Shown when the application asks for the user interface; otherwise it stays
// hidden and owns the scan the application started without it.
#pragma once

#include <memory>
#include <optional>

#include "profile/Resources.h"
#include "ui/Dialog.h"

class CDsProxy;
class CDialogClassCopy;
class CGetMessageHook;

// The class name the dialog templates use, so that others can find the window.
inline constexpr wchar_t kMainUIClassName[] = L"Q7100UIFLAG";

class CMainUIDialog : public CDialog {
public:
    static constexpr UINT IDD = 10257;
    // The template in file-output mode (saving to files or e-mail for the calling program).
    static constexpr UINT IDD_FILE_OUTPUT = 1004;
    static constexpr UINT IDC_SCAN = 20006;

    // Templates, strings and bitmaps come from the language library of the user's language;
    // hResModule (the source's own fallback templates) only when that library is missing.
    CMainUIDialog(UINT nIdTemplate, HINSTANCE hResModule, CDsProxy* pProxy);
    ~CMainUIDialog() override;

    // Starts a scan with the values the application negotiated, without showing the window
    // (the scan controller's work; 0 when it started).
    virtual int StartScanWithoutUI();

    BOOL IsScanning() const { return m_bScanning; }
    void ClearScanning() { m_bScanning = FALSE; }
    bool UserClosed() const { return m_bUserClosed; }
    // Removes the get-message hook installed when the window opened.
    void RemoveMessageHook();
    bool HasMessageHook() const { return m_pHook != nullptr; }

    BOOL PreTranslateMessage(MSG* pMsg) override;

protected:
    BOOL OnInitDialog() override;
    // Enter does not close the scanning window.
    void OnOK() override {}
    void OnCancel() override;

private:
    // The application's loop does not know this modeless window: keyboard messages reach the
    // dialog's own pre-translation through the hook.
    void OnHookedMessage(MSG& msg, bool bRemoved);

    void LoadLanguageLibrary();

    CDsProxy* m_pProxy;
    // Declared before the class copy: the library it was registered for outlives it.
    std::optional<CLangResource> m_lang;
    std::shared_ptr<CDialogClassCopy> m_pClass;
    std::unique_ptr<CGetMessageHook> m_pHook;
    BOOL m_bScanning = FALSE;
    bool m_bUserClosed = false;
};
