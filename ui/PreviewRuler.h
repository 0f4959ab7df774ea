// The two rulers of the preview (top and left) in inches, millimetres or pixels: where their
// bars, ticks and labels go at a zoom and scroll offset. Portable; the control draws the layout.
#pragma once

#include <string>
#include <vector>

#include "ui/PreviewGeometry.h"

enum ERulerUnit : int { kRulerInches = 0, kRulerMillimetres = 2, kRulerPixels = 3 };

// The view the rulers are laid out for.
struct SRulerView {
    float fZoom = 1.0f;
    float fOffsetX = 0, fOffsetY = 0;
    bool bA3Product = false;
    bool bFeeder = false;
    float fWidthInches = 8.503937f;     // what the width stands for
    float fHeightInches = 11.692913f;   // what the height stands for (14.015748 for a feeder)
    int nScaleWidth = 0;                // pixels (zoom 1) the width stands for: narrower for a feeder
};

struct SRulerTick {
    bool bHorizontal = true;
    int nPos = 0;     // x of a tick on the top bar, y of one on the left bar
    int nLength = 0;  // 2 short, 5 long, from the bar's inner edge
};

struct SRulerText {
    int x = 0, y = 0;
    std::string sText;
};

struct SRulerLayout {
    SPreviewRect rcHorizontal, rcVertical;  // the bars
    SPreviewRect rcClipH, rcClipV;          // ticks and labels stay inside these strips
    std::vector<SRulerTick> ticks;
    std::vector<SRulerText> labels;  // one entry per digit of a stacked vertical label
    std::vector<SRulerText> corner;  // the unit ("in", "mm", "px", and "x100" on A3 products)
};

class PreviewRuler {
public:
    static constexpr int kThickness = 19;  // the bar is 20 pixels, less its outline

    // The image area in pixels at zoom 1.
    void SetArea(int nWidth, int nHeight)
    {
        m_nWidth = nWidth;
        m_nHeight = nHeight;
    }
    // The unit selector's index (0 inches, 1 millimetres, 2 pixels) and the dpi the pixel unit counts at.
    void SetUnit(int nSelectorIndex, int nDpi)
    {
        m_nUnit = nSelectorIndex <= 0 ? kRulerInches : nSelectorIndex + 1;
        m_nDpi = nDpi;
    }
    int Unit() const { return m_nUnit; }
    int Dpi() const { return m_nDpi; }
    int Width() const { return m_nWidth; }
    int Height() const { return m_nHeight; }

    SRulerLayout Layout(const SRulerView& v) const;

private:
    void AddAxis(SRulerLayout& out, const SRulerView& v, bool bHorizontal) const;
    void AddLabel(SRulerLayout& out, bool bHorizontal, int nPos, int nValue) const;

    int m_nWidth = 0, m_nHeight = 0;
    int m_nDpi = 300;
    int m_nUnit = kRulerPixels;
};
