// A check box (or radio button) on a light panel of the dialog: it answers its colour request
// with its own background colour, light grey unless told otherwise.
#pragma once

#include "ui/GdiHandles.h"
#include "ui/Wnd.h"

class CTransCheckBox : public CWnd {
public:
    CTransCheckBox();

    void SetColors(COLORREF crText, COLORREF crBack);
    void SetBackColor(COLORREF crBack) { SetColors(m_crText, crBack); }

    bool OnChildNotify(UINT nMsg, WPARAM wParam, LPARAM lParam, LRESULT& lResult) override;

private:
    COLORREF m_crText;
    COLORREF m_crBack = RGB(245, 245, 245);
    // Made at the first colour request and kept for the control's life.
    CBrushHandle m_brBack;
};
