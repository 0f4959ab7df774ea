// A group box drawn over the dialog's background: its caption on the background (or on a
// colour of its own) and a thin frame in a line colour that leaves a gap for the caption.
// Style 0 draws caption and frame, style 1 the caption alone. It paints itself completely, so
// it may stand for a static or a group-box button of the template.
#pragma once

#include <string>

#include "ui/GdiHandles.h"
#include "ui/Wnd.h"

class Trans_GroupBox : public CWnd {
public:
    static constexpr COLORREF kTransparent = static_cast<COLORREF>(-1);
    enum EStyle : int { kFramed = 0, kCaptionOnly = 1 };

    Trans_GroupBox();

    void SetColors(COLORREF crText, COLORREF crBack = kTransparent);
    void SetLineColor(COLORREF crLine);
    void SetStyle(int nStyle);
    // Where the caption was last drawn, in client coordinates.
    const RECT& CaptionRect() const { return m_rcCaption; }

    bool OnChildNotify(UINT nMsg, WPARAM wParam, LPARAM lParam, LRESULT& lResult) override;

private:
    void Paint(HDC hDC);

    RECT m_rcCaption{};
    COLORREF m_crText = RGB(0, 0, 0);
    COLORREF m_crBack = kTransparent;
    CBrushHandle m_brBack;
    COLORREF m_crLine = RGB(172, 172, 172);
    int m_nStyle = kFramed;
};
