// The preview area of the scanning dialog: the last preview image, a ruler along the top and the
// left in the user's unit, and the scan-area tracker the user draws, resizes and moves. It zooms
// from 1x to 5x with scroll bars the host owns, drags the view with the hand tool, and animates
// the tracker's outline. All painting goes to a back buffer that reaches the screen in one block
// transfer. It sits on a static control of the host dialog (SubclassDlgItem, then AttachHost).
//
// The preview's pixel area stands for the whole platen; for a feeder source the page region is
// narrower (85/101.8 of the width) and the height stands for 14.015748 inches. The control is
// laid out left to right in every language: it shows the platen as the scanner sees it.
#pragma once

#include <atomic>
#include <memory>

#include "ui/GdiHandles.h"
#include "ui/PreviewRuler.h"
#include "ui/ScanAreaTracker.h"
#include "ui/Wnd.h"

class CImage;

// What the control asks of its host dialog.
class IPreviewHost {
public:
    virtual ~IPreviewHost() = default;
    virtual void EnableZoomButtons(bool bZoomIn, bool bZoomOut) = 0;
    // After every edit of the tracker: the area is the source's custom area now.
    virtual void OnTrackerChanged() = 0;
    // After edits that changed the size.
    virtual void OnSizeReadoutChanged() = 0;
    // The hand tool dragged the view by (dx, dy): the host moves its scroll bars by -dx, -dy.
    virtual void ScrollViewBy(int dx, int dy) = 0;
    // False while the host does not want the preview drawn (an About box over it).
    virtual bool PreviewDrawingAllowed() const { return true; }
};

// What the control takes from the product profile.
struct SPreviewProduct {
    bool bHasA3 = false;
    bool bSlowTimer = false;   // Tevo A3 platforms animate every 200 ms instead of 40
    bool bLargeFont = false;   // the Arabic UI's ruler labels
};

constexpr UINT_PTR kPreviewTimer = 1;

class CPreviewStatic : public CWnd {
public:
    CPreviewStatic();
    ~CPreviewStatic() override;

    // Lays the control out over its window: geometry, back buffer, scroll bars, timer.
    BOOL AttachHost(IPreviewHost* pHost, HWND hHScroll, HWND hVScroll, const SPreviewProduct& product);

    // The image shown (the host keeps and frees it); nRows of its rows hold data, the rest
    // shows white. Null shows the placeholder: grey for the flatbed, white for a feeder.
    void SetPreviewImage(const CImage* pImage, int nRows);
    void SetRowsReady(int nRows);
    const CImage* PreviewImage() const { return m_pImage; }
    // Rows [nFirst, nLast] of nTotal came in: what they cover is painted again.
    void InvalidateRows(int nFirst, int nLast, int nTotal);

    // Unit selector index (0 inches, 1 millimetres, 2 pixels) and the dpi of the pixel unit.
    void SetRulerUnit(int nIndex, int nDpi);
    // Stores the area (inches) for the source, places the tracker on it; the tracker rectangle.
    SPreviewRect SetTrackerZone(int nSource, int nPaperIndex, const SAreaInches& area);
    // The area for a source and paper index: the paper's size (its unit code returned, 2 for
    // millimetres) or the source's stored area (0, inches). x and y of a paper stay as given.
    int GetTrackerZone(SAreaInches& area, int nSource, int nPaperIndex);

    void SetAnimation(bool bOn) { m_bAnimation = bOn; }
    void SetToolMode(int nMode);
    int ToolMode() const { return m_nTool; }
    void ResetZoom();
    float Zoom() const { return m_fZoom; }
    // A scroll bar's position less its minimum.
    void SetScrollOffsetX(int nValue);
    void SetScrollOffsetY(int nValue);

    const ScanAreaTracker& Tracker() const { return m_tracker; }
    // Paints the whole control into the back buffer and onto the screen now.
    void Repaint();

private:
    void OnLButtonDown(SPreviewPoint pt);
    void OnMouseMove(SPreviewPoint pt);
    void OnLButtonUp();
    void OnTimer();
    void DragTracker(SPreviewPoint pt);
    void ZoomAt(SPreviewPoint pt, bool bIn);
    void LayoutScrollBars(SPreviewPoint anchor);
    int ScrollBy(bool bHorizontal, int n);
    void UpdateCursor(SPreviewPoint pt);
    void NotifyEdit(int nHit);
    bool IsFeeder() const { return m_nSource != 0; }

    // Painting (PreviewPaint.cpp).
    void OnPaint();
    void Render();
    void PaintImage(uint32_t* pBits);
    void PaintPlaceholder(uint32_t* pBits);
    void PaintRulers(HDC hDC);
    void PaintTracker(uint32_t* pBits);

    IPreviewHost* m_pHost = nullptr;
    HWND m_hHScroll = nullptr, m_hVScroll = nullptr;
    SPreviewProduct m_product;
    const CImage* m_pImage = nullptr;
    std::atomic<int> m_nRowsReady{0};
    float m_fZoom = 1.0f;
    int m_nTool = kToolSelect;
    bool m_bAtLimit = false;
    bool m_bAnimation = true;
    float m_fOffsetX = 0, m_fOffsetY = 0;
    int m_nFullW = 0, m_nFullH = 0;  // the image area at zoom 1
    SPreviewRect m_rcArea;
    int m_nSource = 0;
    bool m_bTrackingLeave = false;
    bool m_bHandActive = false;
    SPreviewPoint m_ptHand;
    ScanAreaTracker m_tracker;
    PreviewRuler m_ruler;

    // The back buffer: a 32-bit top-down section of the client size.
    CMemoryDC m_backDC{nullptr};
    CBitmapHandle m_backBitmap;
    HGDIOBJ m_hOldBitmap = nullptr;
    uint32_t* m_pBack = nullptr;
    int m_nBackW = 0, m_nBackH = 0;
    CFontHandle m_font;
    // The zoom-in, zoom-out, zoom-at-limit and hand cursors of the language library.
    HCURSOR m_hZoomIn = nullptr, m_hZoomOut = nullptr, m_hZoomLimit = nullptr, m_hHand = nullptr;
    // Cleared when the object goes: the drag loop serves messages that may destroy it.
    std::shared_ptr<bool> m_pAlive = std::make_shared<bool>(true);
};
