// Dialogs from templates: modeless (the window lives until it is destroyed) and modal (this
// framework's own loop, so the dialog's handlers and the messages worker threads post keep
// running; the owner is disabled meanwhile). Child dialogs (settings pages) are modeless
// dialogs with a WS_CHILD template created inside their parent.
#pragma once

#include "ui/Wnd.h"

class CDialog : public CWnd {
public:
    // The template nIdTemplate of the resource module hResModule (a language library, or this one).
    CDialog(UINT nIdTemplate, HINSTANCE hResModule) : m_nIdTemplate(nIdTemplate), m_hResModule(hResModule) {}
    // For dialogs built from a template in memory.
    CDialog() = default;

    UINT TemplateId() const { return m_nIdTemplate; }
    HINSTANCE ResourceModule() const { return m_hResModule; }
    // For dialogs kept across openings while the language library may change between them.
    void SetResourceModule(HINSTANCE hResModule) { m_hResModule = hResModule; }

    // Modeless. FALSE when the template is missing or the window could not be created.
    BOOL Create(HWND hParent);
    BOOL CreateIndirect(const DLGTEMPLATE* pTemplate, HWND hParent);

    // Modal: returns the value given to EndDialog, or -1 when the window could not be created.
    INT_PTR DoModal(HWND hParent);
    INT_PTR DoModalIndirect(const DLGTEMPLATE* pTemplate, HWND hParent);
    bool IsModal() const { return m_bModal; }
    // Ends a modal dialog's loop with the result; destroys a modeless dialog.
    void EndDialog(INT_PTR nResult);

    // Dialog keyboard handling (Tab, Enter, Escape, mnemonics) for this dialog's windows.
    BOOL PreTranslateMessage(MSG* pMsg) override;

protected:
    // WM_INITDIALOG; TRUE lets the dialog manager set the focus.
    virtual BOOL OnInitDialog() { return TRUE; }
    virtual void OnOK() { EndDialog(IDOK); }
    virtual void OnCancel() { EndDialog(IDCANCEL); }
    bool OnWndMsg(UINT nMsg, WPARAM wParam, LPARAM lParam, LRESULT& lResult) override;

private:
    static INT_PTR CALLBACK DlgProc(HWND hDlg, UINT nMsg, WPARAM wParam, LPARAM lParam);
    BOOL CreateFrom(const DLGTEMPLATE* pTemplate, HWND hParent);
    INT_PTR RunModal(const DLGTEMPLATE* pTemplate, HWND hParent);

    UINT m_nIdTemplate = 0;
    HINSTANCE m_hResModule = nullptr;
    bool m_bModal = false;
    bool m_bEnded = false;
    INT_PTR m_nResult = -1;
};
