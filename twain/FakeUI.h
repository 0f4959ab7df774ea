// The UI holder: owns the implementation object that owns the scanning dialog.
#pragma once

#include <windows.h>

#include <memory>

#include "twain/ObjectModel.h"
#include "twain/UIImp.h"

class CDsProxy;
class CMainUIDialog;

class CFakeUI : public CObject {
    DECLARE_DYNCREATE(CFakeUI)

public:
    ~CFakeUI() override;

    // 0 on success, 1 on failure. A new dialog replaces the one held before.
    int CreateDlg(CDsProxy* pProxy, HWND hParent);
    int Show(int nCmdShow);
    // 1 when no dialog is held.
    int DestroyDlg();
    int FilterMessage(MSG* pMsg);
    CUIImp* Imp() const { return m_pUIImp.get(); }
    // The scanning dialog, or null.
    CMainUIDialog* Dialog() const;
    // Its window, or null.
    HWND DialogWindow() const;

private:
    std::unique_ptr<CUIImp> m_pUIImp;
};
