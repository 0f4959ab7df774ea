// The frame an adjustment dialog draws its curve or histogram into: a static control that
// paints itself through a back buffer with the dialog's drawing function, left to right also
// in a mirrored dialog (a plot's axes do not turn with the language).
#pragma once

#include <functional>

#include "ui/Wnd.h"

class CPlotFrame : public CWnd {
public:
    // Draws the plot into hDC over rc (the frame's client area, origin at the top left).
    using Painter = std::function<void(HDC hDC, const RECT& rc)>;

    CPlotFrame();
    void SetPainter(Painter fn) { m_fnPaint = std::move(fn); }
    // Draws again at once (the dialog's values changed).
    void Redraw();

private:
    void Paint(HDC hDC);

    Painter m_fnPaint;
};
