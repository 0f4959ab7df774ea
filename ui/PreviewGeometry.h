// The preview's geometry without a window: the physical extents it stands for, the pixel
// rectangles of the control, the scroll-bar layout at a zoom, and the cursor each tracker zone
// shows. The control (PreviewStatic) and the tracker (ScanAreaTracker) build on it.
#pragma once

#include <algorithm>

#include "device/PaperTables.h"

// A rectangle in control pixels; right and bottom are exclusive.
struct SPreviewRect {
    int nLeft = 0, nTop = 0, nRight = 0, nBottom = 0;
    int Width() const { return nRight - nLeft; }
    int Height() const { return nBottom - nTop; }
    bool Contains(int x, int y) const { return x >= nLeft && x < nRight && y >= nTop && y < nBottom; }
    bool operator==(const SPreviewRect&) const = default;
};

struct SPreviewPoint {
    int x = 0, y = 0;
};


// The rulers take this many pixels at the left and the top of the control.
constexpr int kRulerBand = 21;

// A feeder's page is narrower than the platen the preview shows: its right edge lies at
// 85/101.8 of the width, and the preview's height stands for 14.015748 inches.
constexpr double kFeederWidthRatio = 85.0 / 101.8;
constexpr float kFeederHeightInches = 14.015748f;
// Widths and heights drawn on the preview never fall below this.
constexpr float kMinAreaInches = 0.4f;

// What the preview's pixel area stands for, in inches.
struct SPreviewExtents {
    float fFullWidth = 8.503937f;
    float fFlatbedHeight = 11.692913f;

    static SPreviewExtents For(bool bHasA3)
    {
        return bHasA3 ? SPreviewExtents{11.7f, 17.01f} : SPreviewExtents{};
    }
    float Height(int nSource) const { return nSource == 0 ? fFlatbedHeight : kFeederHeightInches; }
};

// The default stored areas: the whole platen, or the feeder's full page.
inline SAreaInches DefaultStoredArea(int nSource, bool bHasA3)
{
    return {0, 0, 8.503937f, nSource == 0 ? (bHasA3 ? 17.01f : 11.692913f) : kFeederHeightInches};
}

// Tool modes of the control.
enum EPreviewTool : int { kToolSelect = 0, kToolZoomIn = 1, kToolZoomOut = 2, kToolHand = 3 };
constexpr float kMinZoom = 1.0f;
constexpr float kMaxZoom = 5.0f;

// Tracker zones by hit code: outside the image (-2), a new selection (-1), the four corners
// clockwise from the top-left (0 to 3), the four edges top, right, bottom, left (4 to 7), and
// the inside, which moves the area (8).
enum EHitCode : int {
    kHitOutside = -2,
    kHitNew = -1,
    kHitTopLeft = 0,
    kHitTopRight = 1,
    kHitBottomRight = 2,
    kHitBottomLeft = 3,
    kHitTop = 4,
    kHitRight = 5,
    kHitBottom = 6,
    kHitLeft = 7,
    kHitMove = 8,
};

// The system cursors of the select tool.
enum class ECursorKind { kArrow, kSizeNWSE, kSizeNESW, kSizeNS, kSizeWE, kSizeAll };

// The cursor of a hit code. In a mirrored control the diagonal arrows change places, since
// the system draws cursors unmirrored.
ECursorKind CursorForHit(int nHit, bool bMirrored);

// One scroll bar of the control at a zoom.
struct SScrollAxisLayout {
    float fOffset = 0;  // at most 0: the content is shifted by its magnitude
    int nRange = 0;     // the bar runs 0..nRange
    int nPage = 0;
    bool bShown = false;
};

// Lays out one axis. nVisible and nFull are the visible and full extent at zoom 1 (they differ
// horizontally for a feeder); nAnchor is the coordinate of the point that stays in place;
// nOldMin and nOldMax the bar's range before.
SScrollAxisLayout LayoutScrollAxis(float fOffset, int nVisible, int nFull, float fZoom, int nAnchor, int nOldMin,
                                   int nOldMax, bool bFeeder);

// Scrolling a bar by n pixels: the new position within [nMin, nMax - nPage] and the amount applied.
struct SScrollStep {
    int nPos = 0;
    int nApplied = 0;
};
SScrollStep ScrollAxisBy(int nPos, int n, int nMin, int nMax, int nPage);

// The visible width of the image area at zoom 1 (narrower for a feeder).
inline int VisibleWidth(int nFullWidth, bool bFeeder)
{
    return bFeeder ? static_cast<int>(nFullWidth * kFeederWidthRatio) : nFullWidth;
}

// The source rectangle of the preview image shown at a zoom and scroll offset: what of an
// image of nImageW x nImageH pixels lands on an area of nAreaW x nAreaH pixels (zoom 1).
struct SImageSpan {
    double dX = 0, dY = 0, dWidth = 0, dHeight = 0;
};
SImageSpan VisibleImageSpan(int nImageW, int nImageH, int nAreaW, int nAreaH, float fZoom, float fOffsetX,
                            float fOffsetY);

// The tracker's dash pattern: 5 pixels drawn, 3 left out, shifted by the phase (1 to 8), along
// a path from the top-left corner. Runs [nStart, nEnd) of the path that are drawn.
struct SDashRun {
    int nStart = 0, nEnd = 0;
};
template <class Fn>
void ForEachDash(int nLength, int nPhase, Fn fn)
{
    // A dash covers path positions s with (s - phase) mod 8 < 5.
    int nStart = nPhase - 8;
    for (; nStart < nLength; nStart += 8) {
        const int a = std::max(nStart, 0), b = std::min(nStart + 5, nLength);
        if (a < b)
            fn(SDashRun{a, b});
    }
}
