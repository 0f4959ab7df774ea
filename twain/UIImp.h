// The UI implementation: owns the scanning dialog window and its object.
#pragma once

#include <windows.h>

#include <memory>

#include "twain/ObjectModel.h"

class CDsProxy;
class CMainUIDialog;

class CUIImp : public CObject {
public:
    ~CUIImp() override;
    virtual int Show(int nCmdShow) = 0;
    virtual int Destroy() = 0;
    // 0 when the message was taken by the dialog, 1 otherwise.
    virtual int FilterMessage(MSG* pMsg) = 0;
    virtual int Create(CDsProxy* pProxy, HWND hParent) = 0;

    CMainUIDialog* Dialog() const { return m_pDialog.get(); }

protected:
    // Handed to the dialog at creation; nothing sets them yet.
    DWORD m_dwValue1 = 0;
    DWORD m_dwValue2 = 0;
    std::unique_ptr<CMainUIDialog> m_pDialog;
};

class CTwainUIImp : public CUIImp {
public:
    ~CTwainUIImp() override;
    int Show(int nCmdShow) override;
    // 1 in every case, as callers have always been told.
    int Destroy() override;
    int FilterMessage(MSG* pMsg) override;
    int Create(CDsProxy* pProxy, HWND hParent) override;
};

// The module the scanning dialog's templates come from: the language library once one is
// loaded, else this data source, which carries fallback templates.
HINSTANCE UIResourceModule();
