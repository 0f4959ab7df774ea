// A label on a bitmap of its own: the bitmap stretched over the label, the text centred on it
// in the parent's font. Without the bitmap the label is filled with its background colour
// (the dialog face when it has none), so that it never shows an empty or black area.
#pragma once

#include "ui/GdiHandles.h"
#include "ui/Wnd.h"

class CStaticWithBkgBMP : public CWnd {
public:
    static constexpr COLORREF kNoColor = static_cast<COLORREF>(-1);

    CStaticWithBkgBMP();

    void SetColors(COLORREF crText, COLORREF crBack = kNoColor);
    // The bitmap resource from the dialog's resource module; 0 removes it.
    void SetBackgroundBitmap(UINT nId);
    bool HasBitmap() const { return static_cast<bool>(m_bmp); }

private:
    void Paint(HDC hDC);

    COLORREF m_crText = RGB(0, 0, 0);
    COLORREF m_crBack = kNoColor;
    CBitmapHandle m_bmp;
};
