// The UI holder: owns the implementation object that owns the scanning dialog.
#pragma once

#include <windows.h>

#include "twain/ObjectModel.h"

class CDsProxy;
class CUIImp;

class CFakeUI : public CObject {
    DECLARE_DYNCREATE(CFakeUI)

public:
    ~CFakeUI() override;

    // 0 on success, 1 on failure.
    int CreateDlg(CDsProxy* pProxy, HWND hParent);
    int Show(int nCmdShow);
    int DestroyDlg();
    int FilterMessage(MSG* pMsg);
    CUIImp* Imp() const { return m_pUIImp; }

private:
    CUIImp* m_pUIImp = nullptr;
};
