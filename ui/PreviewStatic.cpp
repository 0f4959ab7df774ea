#include "ui/PreviewStatic.h"

#include <windowsx.h>

#include <algorithm>

#include "device/PaperTables.h"
#include "profile/Trace.h"
#include "ui/ControlHost.h"

namespace {

constexpr int kAutoScrollSteps = 30;  // per timer tick while a drag leaves the view
constexpr UINT kCursorZoomIn = 10333, kCursorZoomOut = 10334, kCursorZoomLimit = 10353, kCursorHand = 10382;

SPreviewPoint PointOf(LPARAM lParam) { return {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)}; }

HCURSOR SystemCursor(ECursorKind kind)
{
    switch (kind) {
    case ECursorKind::kSizeNWSE: return ::LoadCursor(nullptr, IDC_SIZENWSE);
    case ECursorKind::kSizeNESW: return ::LoadCursor(nullptr, IDC_SIZENESW);
    case ECursorKind::kSizeNS: return ::LoadCursor(nullptr, IDC_SIZENS);
    case ECursorKind::kSizeWE: return ::LoadCursor(nullptr, IDC_SIZEWE);
    case ECursorKind::kSizeAll: return ::LoadCursor(nullptr, IDC_SIZEALL);
    default: return ::LoadCursor(nullptr, IDC_ARROW);
    }
}

// Shared: the system keeps one copy per module and resource, freed with the module.
HCURSOR ResourceCursor(HINSTANCE hModule, UINT nId)
{
    auto h = static_cast<HCURSOR>(::LoadImageW(hModule, MAKEINTRESOURCEW(nId), IMAGE_CURSOR, 0, 0,
                                               LR_DEFAULTSIZE | LR_SHARED));
    return h ? h : ::LoadCursor(nullptr, IDC_ARROW);
}

}  // namespace

CPreviewStatic::CPreviewStatic()
{
    CMessageMap& map = Map();
    map.OnRaw(WM_PAINT, [this](WPARAM, LPARAM, LRESULT& lResult) {
        OnPaint();
        lResult = 0;
        return true;
    });
    map.OnRaw(WM_ERASEBKGND, [](WPARAM, LPARAM, LRESULT& lResult) {
        lResult = 1;
        return true;
    });
    // A static control lets the mouse through to its parent; this one takes it.
    map.OnRaw(WM_NCHITTEST, [](WPARAM, LPARAM, LRESULT& lResult) {
        lResult = HTCLIENT;
        return true;
    });
    map.OnRaw(WM_SETCURSOR, [](WPARAM, LPARAM, LRESULT& lResult) {
        lResult = TRUE;
        return true;
    });
    map.OnRaw(WM_LBUTTONDOWN, [this](WPARAM, LPARAM lParam, LRESULT& lResult) {
        OnLButtonDown(PointOf(lParam));
        lResult = 0;
        return true;
    });
    map.OnRaw(WM_MOUSEMOVE, [this](WPARAM, LPARAM lParam, LRESULT& lResult) {
        OnMouseMove(PointOf(lParam));
        lResult = 0;
        return true;
    });
    map.OnRaw(WM_LBUTTONUP, [this](WPARAM, LPARAM lParam, LRESULT& lResult) {
        OnLButtonUp();
        UpdateCursor(PointOf(lParam));
        lResult = 0;
        return true;
    });
    map.OnRaw(WM_MOUSELEAVE, [this](WPARAM, LPARAM, LRESULT& lResult) {
        m_bTrackingLeave = false;
        m_bHandActive = false;
        lResult = 0;
        return true;
    });
    map.OnTimer(kPreviewTimer, this, &CPreviewStatic::OnTimer);
    map.OnRaw(WM_DESTROY, [this](WPARAM, LPARAM, LRESULT&) {
        KillTimer(kPreviewTimer);
        return false;
    });
}

CPreviewStatic::~CPreviewStatic()
{
    *m_pAlive = false;
    if (m_hOldBitmap)
        ::SelectObject(m_backDC.Get(), m_hOldBitmap);
}

BOOL CPreviewStatic::AttachHost(IPreviewHost* pHost, HWND hHScroll, HWND hVScroll, const SPreviewProduct& product)
{
    if (!m_hWnd)
        return FALSE;
    m_pHost = pHost;
    m_hHScroll = hHScroll;
    m_hVScroll = hVScroll;
    m_product = product;
    m_tracker = ScanAreaTracker(product.bHasA3);
    // Shown as the platen lies in every language (see the header).
    ::SetWindowLongW(m_hWnd, GWL_EXSTYLE, ::GetWindowLongW(m_hWnd, GWL_EXSTYLE) & ~WS_EX_LAYOUTRTL);

    const RECT rc = GetClientRect();
    m_rcArea = {kRulerBand, kRulerBand, static_cast<int>(rc.right) - 1, static_cast<int>(rc.bottom) - 1};
    m_nFullW = m_rcArea.Width();
    m_nFullH = m_rcArea.Height();
    m_tracker.SetImageArea(m_rcArea);
    m_ruler.SetArea(m_nFullW, m_nFullH);

    m_nBackW = std::max<int>(1, rc.right);
    m_nBackH = std::max<int>(1, rc.bottom);
    BITMAPINFO bi{};
    bi.bmiHeader = {sizeof(BITMAPINFOHEADER), m_nBackW, -m_nBackH, 1, 32, BI_RGB};
    void* pBits = nullptr;
    m_backBitmap.Reset(::CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &pBits, nullptr, 0));
    m_pBack = static_cast<uint32_t*>(pBits);
    if (m_backDC && m_backBitmap)
        m_hOldBitmap = ::SelectObject(m_backDC.Get(), m_backBitmap.Get());
    const int nFontPx = ScaleForDpi(product.bLargeFont ? 16 : 12, WindowDpi(m_hWnd));
    m_font.Reset(::CreateFontW(-nFontPx, 0, 0, 0, 100, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                               CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH, L"Arial"));

    HINSTANCE hModule = ResourceModuleOf(m_hWnd);
    m_hZoomIn = ResourceCursor(hModule, kCursorZoomIn);
    m_hZoomOut = ResourceCursor(hModule, kCursorZoomOut);
    m_hZoomLimit = ResourceCursor(hModule, kCursorZoomLimit);
    m_hHand = ResourceCursor(hModule, kCursorHand);

    for (auto [hBar, nSize] : {std::pair{m_hHScroll, m_nFullW}, std::pair{m_hVScroll, m_nFullH}}) {
        if (!hBar)
            continue;
        SCROLLINFO si{sizeof si, SIF_RANGE | SIF_PAGE | SIF_POS, 0, nSize, static_cast<UINT>(nSize), 0};
        ::SetScrollInfo(hBar, SB_CTL, &si, TRUE);
    }
    const UINT nPeriod = product.bSlowTimer ? 200 : 40;
    TraceA("CPreviewStatic::SetTimer(1, %u, NULL)", nPeriod);
    SetTimer(kPreviewTimer, nPeriod);
    return TRUE;
}

void CPreviewStatic::SetPreviewImage(const CImage* pImage, int nRows)
{
    m_pImage = pImage;
    m_nRowsReady = nRows;
}

void CPreviewStatic::SetRowsReady(int nRows)
{
    m_nRowsReady = nRows;
}

void CPreviewStatic::InvalidateRows(int nFirst, int /*nLast*/, int nTotal)
{
    if (nTotal <= 0 || !m_hWnd)
        return;
    const int nY = m_rcArea.nTop + static_cast<int>(int64_t(nFirst) * m_nFullH * m_fZoom / nTotal + m_fOffsetY);
    RECT rc = GetClientRect();
    rc.top = std::clamp<LONG>(nY, m_rcArea.nTop, rc.bottom);
    ::InvalidateRect(m_hWnd, &rc, FALSE);
}

void CPreviewStatic::SetRulerUnit(int nIndex, int nDpi)
{
    m_ruler.SetUnit(nIndex, nDpi);
    if (!m_hWnd)
        return;
    const RECT rcTop{0, 0, m_nBackW, kRulerBand}, rcLeft{0, 0, kRulerBand, m_nBackH};
    ::InvalidateRect(m_hWnd, &rcTop, FALSE);
    ::InvalidateRect(m_hWnd, &rcLeft, FALSE);
}

SPreviewRect CPreviewStatic::SetTrackerZone(int nSource, int /*nPaperIndex*/, const SAreaInches& area)
{
    m_nSource = nSource;
    LayoutScrollBars({0, 0});
    m_tracker.PlaceArea(nSource, area);
    Invalidate(FALSE);
    return m_tracker.Rect();
}

int CPreviewStatic::GetTrackerZone(SAreaInches& area, int nSource, int nPaperIndex)
{
    m_nSource = nSource;
    const int nMax = GetMaxSanSizeNum(nSource);
    TraceA("GetTrackerZone(): nMaxSanSizeNum = %d, nScanSize = %d\r\n", nMax, nPaperIndex);
    _PaperInfo info{};
    if (nPaperIndex >= 0 && nPaperIndex < nMax && getPeperInfo(&info, nSource, nPaperIndex)) {
        area.fWidth = info.fWidth;
        area.fHeight = info.fHeight;
        return info.nUnit;
    }
    area = m_tracker.StoredArea(nSource);
    return kPaperInches;
}

void CPreviewStatic::SetToolMode(int nMode)
{
    if (nMode == m_nTool || nMode < kToolSelect || nMode > kToolHand)
        return;
    m_bAtLimit = false;
    m_bHandActive = false;
    m_nTool = nMode;
}

void CPreviewStatic::ResetZoom()
{
    m_bAtLimit = false;
    m_fZoom = 1.0f;
    LayoutScrollBars({0, 0});
    m_nTool = kToolSelect;
    m_tracker.Rescale(1.0f);
    if (m_pHost)
        m_pHost->EnableZoomButtons(true, false);
    Invalidate(FALSE);
}

void CPreviewStatic::SetScrollOffsetX(int nValue)
{
    m_fOffsetX = static_cast<float>(-nValue);
    m_tracker.SetScrollOffsets(m_fOffsetX, m_fOffsetY);
    Invalidate(FALSE);
}

void CPreviewStatic::SetScrollOffsetY(int nValue)
{
    m_fOffsetY = static_cast<float>(-nValue);
    m_tracker.SetScrollOffsets(m_fOffsetX, m_fOffsetY);
    Invalidate(FALSE);
}

void CPreviewStatic::LayoutScrollBars(SPreviewPoint anchor)
{
    const bool bFeeder = IsFeeder();
    struct SAxis {
        HWND hBar;
        float& fOffset;
        int nVisible, nFull, nAnchor;
    };
    for (SAxis axis : {SAxis{m_hHScroll, m_fOffsetX, VisibleWidth(m_nFullW, bFeeder), m_nFullW, anchor.x},
                       SAxis{m_hVScroll, m_fOffsetY, m_nFullH, m_nFullH, anchor.y}}) {
        SCROLLINFO old{sizeof old, SIF_RANGE};
        if (!axis.hBar || !::GetScrollInfo(axis.hBar, SB_CTL, &old))
            old.nMin = old.nMax = 0;
        const SScrollAxisLayout l = LayoutScrollAxis(axis.fOffset, axis.nVisible, axis.nFull, m_fZoom, axis.nAnchor,
                                                     old.nMin, old.nMax, bFeeder);
        axis.fOffset = l.fOffset;
        if (!axis.hBar)
            continue;
        SCROLLINFO si{sizeof si, SIF_RANGE | SIF_PAGE | SIF_POS | SIF_DISABLENOSCROLL, 0, l.nRange,
                      static_cast<UINT>(l.nPage), static_cast<int>(-l.fOffset)};
        ::SetScrollInfo(axis.hBar, SB_CTL, &si, TRUE);
        ::EnableWindow(axis.hBar, l.bShown);
        ::ShowWindow(axis.hBar, l.bShown ? SW_SHOWNA : SW_HIDE);
    }
    m_tracker.SetScrollOffsets(m_fOffsetX, m_fOffsetY);
    Invalidate(FALSE);
}

int CPreviewStatic::ScrollBy(bool bHorizontal, int n)
{
    HWND hBar = bHorizontal ? m_hHScroll : m_hVScroll;
    if (m_fZoom == 1.0f || !hBar)
        return 0;
    SCROLLINFO si{sizeof si, SIF_ALL};
    if (!::GetScrollInfo(hBar, SB_CTL, &si))
        return 0;
    const SScrollStep step = ScrollAxisBy(si.nPos, n, si.nMin, si.nMax, static_cast<int>(si.nPage));
    ::SetScrollPos(hBar, SB_CTL, step.nPos, TRUE);
    (bHorizontal ? m_fOffsetX : m_fOffsetY) = static_cast<float>(-(step.nPos - si.nMin));
    m_tracker.SetScrollOffsets(m_fOffsetX, m_fOffsetY);
    Invalidate(FALSE);
    return step.nApplied;
}

void CPreviewStatic::ZoomAt(SPreviewPoint pt, bool bIn)
{
    if (!m_rcArea.Contains(pt.x, pt.y))
        return;
    if (bIn ? m_fZoom >= kMaxZoom : m_fZoom <= kMinZoom)
        return;
    m_fZoom += bIn ? 1.0f : -1.0f;
    m_bAtLimit = bIn ? m_fZoom >= kMaxZoom : m_fZoom <= kMinZoom;
    LayoutScrollBars(pt);
    if (m_pHost)
        m_pHost->EnableZoomButtons(bIn ? !m_bAtLimit : true, bIn ? true : !m_bAtLimit);
    m_tracker.Rescale(m_fZoom);
    Invalidate(FALSE);
}

void CPreviewStatic::OnLButtonDown(SPreviewPoint pt)
{
    switch (m_nTool) {
    case kToolSelect:
        DragTracker(pt);
        break;
    case kToolZoomIn:
    case kToolZoomOut:
        ZoomAt(pt, m_nTool == kToolZoomIn);
        UpdateCursor(pt);
        break;
    case kToolHand:
        if (m_fZoom != 1.0f) {
            m_bHandActive = true;
            m_ptHand = pt;
        }
        break;
    }
}

void CPreviewStatic::OnMouseMove(SPreviewPoint pt)
{
    if (m_tracker.Dragging())
        return;
    if (m_nTool == kToolHand) {
        if (!m_bTrackingLeave) {
            TRACKMOUSEEVENT tme{sizeof tme, TME_LEAVE, m_hWnd, 0};
            m_bTrackingLeave = ::TrackMouseEvent(&tme) != FALSE;
        }
        if (m_bHandActive && m_pHost)
            m_pHost->ScrollViewBy(pt.x - m_ptHand.x, pt.y - m_ptHand.y);
        m_ptHand = pt;
    }
    UpdateCursor(pt);
}

void CPreviewStatic::OnLButtonUp()
{
    m_bHandActive = false;
}

void CPreviewStatic::UpdateCursor(SPreviewPoint pt)
{
    HCURSOR hCursor = nullptr;
    const bool bInArea = m_rcArea.Contains(pt.x, pt.y);
    switch (m_nTool) {
    case kToolSelect:
        hCursor = SystemCursor(CursorForHit(m_tracker.HitTest(pt), IsMirrored(m_hWnd)));
        break;
    case kToolZoomIn:
    case kToolZoomOut:
        hCursor = !bInArea ? ::LoadCursor(nullptr, IDC_ARROW)
                  : m_bAtLimit ? m_hZoomLimit
                  : m_nTool == kToolZoomIn ? m_hZoomIn : m_hZoomOut;
        break;
    default:
        hCursor = m_hHand;
        break;
    }
    ::SetCursor(hCursor);
}

void CPreviewStatic::NotifyEdit(int nHit)
{
    if (!m_pHost)
        return;
    if (nHit != kHitMove)
        m_pHost->OnSizeReadoutChanged();
    m_pHost->OnTrackerChanged();
}

void CPreviewStatic::DragTracker(SPreviewPoint pt)
{
    const int nHit = m_tracker.HitTest(pt);
    if (nHit == kHitOutside)
        return;
    ::SetCapture(m_hWnd);
    m_tracker.BeginDrag(nHit, pt);
    if (nHit == kHitMove)
        ::SetCursor(SystemCursor(ECursorKind::kSizeAll));
    const std::shared_ptr<bool> pAlive = m_pAlive;
    for (;;) {
        MSG msg;
        if (!::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            // Nothing waiting: rest a little (the auto-scroll timer keeps coming).
            ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
            continue;
        }
        if (msg.message == WM_QUIT) {
            ::PostQuitMessage(static_cast<int>(msg.wParam));
            break;
        }
        if (msg.message == WM_LBUTTONUP)
            break;
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
        if (!*pAlive || !::IsWindow(m_hWnd) || ::GetCapture() != m_hWnd)
            break;
        if (msg.message != WM_MOUSEMOVE || msg.hwnd != m_hWnd)
            continue;
        if (m_tracker.DragTo(PointOf(msg.lParam))) {
            Invalidate(FALSE);
            NotifyEdit(nHit);
        }
    }
    if (!*pAlive)
        return;
    if (m_tracker.EndDrag())
        NotifyEdit(nHit);
    Invalidate(FALSE);
    if (::GetCapture() == m_hWnd)
        ::ReleaseCapture();
    POINT ptNow{};
    ::GetCursorPos(&ptNow);
    ::ScreenToClient(m_hWnd, &ptNow);
    UpdateCursor({ptNow.x, ptNow.y});
}

void CPreviewStatic::OnTimer()
{
    if (m_bAnimation) {
        m_tracker.AdvanceDash();
        Invalidate(FALSE);
    }
    if (m_fZoom > 1.0f && m_tracker.AutoScroll(kAutoScrollSteps, [this](bool bH, int n) { return ScrollBy(bH, n); }))
        Invalidate(FALSE);
}

void CPreviewStatic::Repaint()
{
    ::RedrawWindow(m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
}
