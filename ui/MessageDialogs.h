// The system's message dialogs, used instead of the platform message box so that messages
// carry the product look and the UI language: the caller sets the text, shows the dialog
// modally and reads the result (1 OK, 2 Cancel or closed).
#pragma once

#include <string>

#include "ui/SkinButton.h"
#include "ui/SkinnedDialog.h"
#include "ui/StaticTrans.h"

struct SMessageDlgLook {
    UINT nTemplate;
    int nMessageCtrl;
    UINT nTitleId;
    UINT nBackgroundRtl;
    UINT nBackground;
    bool bHasCancel;
};

class CMessageDlg : public CSkinnedDialog {
public:
    CMessageDlg(const SMessageDlgLook& look, HINSTANCE hResModule);

    void SetMessage(const std::wstring& sText) { m_sMessage = sText; }
    const std::wstring& Message() const { return m_sMessage; }
    // Hebrew and Arabic UIs use the mirrored backgrounds.
    void SetRightToLeft(bool bRtl) { m_bRtl = bRtl; }
    // Modal; 1 for OK, 2 for Cancel or the close box (also when the template is missing, so
    // that no caller takes a dialog nobody saw for a yes).
    INT_PTR Show(HWND hParent);

protected:
    BOOL OnInitDialog() override;
    // Only the buttons themselves close the dialog; the close box counts as Cancel.
    void OnButton(INT_PTR nResult) { EndDialog(nResult); }
    virtual void Place();

private:
    SMessageDlgLook m_look;
    std::wstring m_sMessage;
    bool m_bRtl = false;
    CStaticTrans m_message;
    CxSkinButton m_btnOk;
    CxSkinButton m_btnCancel;
};

class CErrorDlg : public CMessageDlg {
public:
    static constexpr UINT IDD = 10376;
    explicit CErrorDlg(HINSTANCE hResModule);
    // Gives the dialog its own taskbar button (no owner window to find it by).
    void SetAppWindow(bool bOn) { m_bAppWindow = bOn; }

protected:
    void Place() override;

private:
    bool m_bAppWindow = false;
};

class CWarningOK : public CMessageDlg {
public:
    static constexpr UINT IDD = 10377;
    explicit CWarningOK(HINSTANCE hResModule);
};

class CWarningDlg : public CMessageDlg {
public:
    static constexpr UINT IDD = 10378;
    explicit CWarningDlg(HINSTANCE hResModule);
};
