// A trackbar over the dialog's background bitmap: the system draws channel, tics and thumb,
// and the background under them is a copy of the parent's, taken once and kept until the
// slider changes size (or RefreshBackground is called after the dialog's background changed).
// Without the copy the trackbar keeps its plain system look.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include "ui/GdiHandles.h"
#include "ui/Wnd.h"

class CTransparentSlider : public CWnd {
public:
    CTransparentSlider();

    void RefreshBackground();
    bool HasBackground() const { return static_cast<bool>(m_bmpBack); }

    bool OnChildNotify(UINT nMsg, WPARAM wParam, LPARAM lParam, LRESULT& lResult) override;

private:
    LRESULT OnCustomDraw(NMCUSTOMDRAW& cd);
    bool TakeBackground(HDC hRef);

    CBitmapHandle m_bmpBack;
    CBrushHandle m_brWhite;
};
