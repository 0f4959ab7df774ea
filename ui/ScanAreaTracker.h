// The scan-area selector of the preview: a rectangle in content pixels (client coordinates
// before scrolling, zoom applied) that the user draws, resizes by eight handles and moves, and
// the area in inches it stands for, one stored area per document source. Portable: the control
// feeds it points and draws what it holds.
#pragma once

#include <array>
#include <functional>

#include "ui/PreviewGeometry.h"

class ScanAreaTracker {
public:
    explicit ScanAreaTracker(bool bHasA3 = false);

    // The image area in client coordinates at zoom 1: tracker, auto-scroll window and bounds.
    void SetImageArea(const SPreviewRect& rcArea);
    // The document source (0 flatbed, 1 and 2 feeder sources); the effective right edge follows.
    void SetSource(int nSource);
    int Source() const { return m_nSource; }
    void SetScrollOffsets(float fX, float fY);
    // The pixel values of the tracker and the bounds scaled from the current zoom to fZoom.
    void Rescale(float fZoom);
    float Zoom() const { return m_fZoom; }

    // Stores the area for the source and places the tracker on it (the tracker is the current
    // source's). Position truncates, size rounds; the tracker stays inside the bounds.
    void PlaceArea(int nSource, const SAreaInches& area);
    SAreaInches StoredArea(int nSource) const;

    // The zone under a point of the control (client coordinates), an EHitCode.
    int HitTest(SPreviewPoint pt) const;

    // A drag from pt on the zone nHit: the tracker is saved.
    void BeginDrag(int nHit, SPreviewPoint pt);
    // The pointer moved to pt while dragging: the edit of the drag's zone with the distance
    // moved in content pixels. True when the edit was taken (a new selection waits until the
    // pointer has moved on both axes). Sets the auto-scroll direction from pt.
    bool DragTo(SPreviewPoint pt);
    // Ends the drag. True when an edit that auto-scroll made has not been reported yet.
    bool EndDrag();
    bool Dragging() const { return m_bDragging; }
    bool Moving() const { return m_bMoving; }
    int DragHit() const { return m_nHit; }

    // Auto-scroll while dragging at a zoom above 1: nSteps one-pixel steps in the direction the
    // pointer left the image area; scroll(horizontal, n) scrolls the view and returns the amount
    // applied. True when the tracker changed.
    using Scroller = std::function<int(bool bHorizontal, int n)>;
    bool AutoScroll(int nSteps, const Scroller& scroll);
    int AutoScrollDirection() const { return m_nAutoDir; }

    // The outline's dash phase, 1 to 8.
    void AdvanceDash() { m_nDashPhase = m_nDashPhase % 8 + 1; }
    int DashPhase() const { return m_nDashPhase; }

    const SPreviewRect& Rect() const { return m_rect; }
    const SPreviewRect& SavedRect() const { return m_saved; }
    const SPreviewRect& Bounds() const { return m_bounds; }
    const SPreviewRect& WindowArea() const { return m_window; }
    int EffectiveRight() const { return static_cast<int>(m_fEffectiveRight); }
    float OffsetX() const { return m_fOffsetX; }
    float OffsetY() const { return m_fOffsetY; }
    // The smallest width and height a drawn area can have, in pixels.
    int MinSize() const { return static_cast<int>(11 * m_fZoom); }

private:
    // The edit of the drag's zone for a move of (dx, dy) content pixels; false when refused.
    bool ApplyEdit(int dx, int dy);
    void EditNew(int dx, int dy);
    void EditMove(int dx, int dy);
    // Pixels to inches after an edit, for the current source.
    void StoreInches();
    void ClampToBounds();
    void UpdateEffectiveRight();
    float MaxHeight(int nSource) const { return m_extents.Height(nSource); }

    SPreviewExtents m_extents;
    SPreviewRect m_rect, m_saved, m_window, m_bounds;
    float m_fEffectiveRight = 0;
    float m_fZoom = 1.0f;
    float m_fOffsetX = 0, m_fOffsetY = 0;
    // The drag: its zone, where it began (client) with the offsets then, the last distance moved.
    int m_nHit = kHitOutside;
    SPreviewPoint m_press;
    float m_fPressOffsetX = 0, m_fPressOffsetY = 0;
    int m_nLastDx = 0, m_nLastDy = 0;
    int m_nAutoDir = -1;
    int m_nAutoDx = 0, m_nAutoDy = 0;
    bool m_bDragging = false, m_bMoving = false, m_bNewPending = false, m_bUnreported = false;
    bool m_bWidthChanged = false, m_bHeightChanged = false;
    int m_nDashPhase = 1;
    int m_nSource = 0;
    std::array<SAreaInches, 3> m_areas;
};
