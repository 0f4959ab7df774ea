#include "ui/ScanAreaTracker.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <utility>

namespace {

constexpr int kGrab = 6;  // pixels around a handle or an edge that grab it

bool Near(int a, int b) { return std::abs(a - b) <= kGrab; }

bool HasLeft(int nHit) { return nHit == kHitTopLeft || nHit == kHitBottomLeft || nHit == kHitLeft; }
bool HasTop(int nHit) { return nHit == kHitTopLeft || nHit == kHitTopRight || nHit == kHitTop; }
bool HasRight(int nHit) { return nHit == kHitTopRight || nHit == kHitBottomRight || nHit == kHitRight; }
bool HasBottom(int nHit) { return nHit == kHitBottomRight || nHit == kHitBottomLeft || nHit == kHitBottom; }

// One axis of a new selection from the press coordinate p by d pixels, never smaller than m
// and never outside [lo, hi].
std::pair<int, int> NewSpan(int p, int d, int m, int lo, int hi)
{
    int a = 0, b = 0;
    if (d < 1) {
        a = std::max(std::min(p + d, p - m), lo);
        b = p;
        if (b - a < m)
            b = std::min(a + m, hi);
    } else {
        a = p;
        b = std::min(std::max(p + d, p + m), hi);
        if (b - a < m)
            a = std::max(b - m, lo);
    }
    return {a, b};
}

}  // namespace

ECursorKind CursorForHit(int nHit, bool bMirrored)
{
    switch (nHit) {
    case kHitTopLeft:
    case kHitBottomRight:
        return bMirrored ? ECursorKind::kSizeNESW : ECursorKind::kSizeNWSE;
    case kHitTopRight:
    case kHitBottomLeft:
        return bMirrored ? ECursorKind::kSizeNWSE : ECursorKind::kSizeNESW;
    case kHitTop:
    case kHitBottom:
        return ECursorKind::kSizeNS;
    case kHitRight:
    case kHitLeft:
        return ECursorKind::kSizeWE;
    case kHitMove:
        return ECursorKind::kSizeAll;
    default:
        return ECursorKind::kArrow;
    }
}

ScanAreaTracker::ScanAreaTracker(bool bHasA3) : m_extents(SPreviewExtents::For(bHasA3))
{
    for (int s = 0; s < 3; ++s)
        m_areas[s] = DefaultStoredArea(s, bHasA3);
}

void ScanAreaTracker::SetImageArea(const SPreviewRect& rcArea)
{
    m_rect = m_saved = m_window = m_bounds = rcArea;
    m_fZoom = 1.0f;
    UpdateEffectiveRight();
}

void ScanAreaTracker::SetSource(int nSource)
{
    m_nSource = nSource >= 0 && nSource <= 2 ? nSource : 0;
    UpdateEffectiveRight();
    ClampToBounds();
}

void ScanAreaTracker::UpdateEffectiveRight()
{
    m_fEffectiveRight = m_nSource == 0 ? static_cast<float>(m_bounds.nRight)
                                       : static_cast<float>(m_bounds.nLeft + m_bounds.Width() * kFeederWidthRatio);
}

void ScanAreaTracker::SetScrollOffsets(float fX, float fY)
{
    m_fOffsetX = fX;
    m_fOffsetY = fY;
}

void ScanAreaTracker::Rescale(float fZoom)
{
    if (fZoom <= 0 || fZoom == m_fZoom)
        return;
    const float fRatio = fZoom / m_fZoom;
    const int x0 = m_bounds.nLeft, y0 = m_bounds.nTop;
    auto sx = [&](int c) { return x0 + static_cast<int>((c - x0) * fRatio); };
    auto sy = [&](int c) { return y0 + static_cast<int>((c - y0) * fRatio); };
    m_rect = {sx(m_rect.nLeft), sy(m_rect.nTop), sx(m_rect.nRight), sy(m_rect.nBottom)};
    m_bounds.nRight = sx(m_bounds.nRight);
    m_bounds.nBottom = sy(m_bounds.nBottom);
    m_fZoom = fZoom;
    UpdateEffectiveRight();
    ClampToBounds();
}

void ScanAreaTracker::ClampToBounds()
{
    auto clampSpan = [](int& a, int& b, int lo, int hi) {
        const int nSize = std::clamp(b - a, 1, std::max(hi - lo, 1));
        a = std::clamp(a, lo, std::max(hi - nSize, lo));
        b = a + nSize;
    };
    clampSpan(m_rect.nLeft, m_rect.nRight, m_bounds.nLeft, EffectiveRight());
    clampSpan(m_rect.nTop, m_rect.nBottom, m_bounds.nTop, m_bounds.nBottom);
}

void ScanAreaTracker::PlaceArea(int nSource, const SAreaInches& area)
{
    SetSource(nSource);
    m_areas[m_nSource] = area;
    const float fMaxW = m_extents.fFullWidth, fMaxH = MaxHeight(m_nSource);
    const int dx = static_cast<int>(m_fEffectiveRight - m_bounds.nLeft);
    const int dy = m_bounds.Height();
    // Position truncates, size rounds.
    m_rect.nLeft = m_bounds.nLeft + static_cast<int>(dx * area.fX / fMaxW);
    m_rect.nTop = m_bounds.nTop + static_cast<int>(dy * area.fY / fMaxH);
    m_rect.nRight = static_cast<int>(m_rect.nLeft + (dx * area.fWidth / fMaxW + 0.5f));
    m_rect.nBottom = static_cast<int>(m_rect.nTop + (dy * area.fHeight / fMaxH + 0.5f));
    ClampToBounds();
}

SAreaInches ScanAreaTracker::StoredArea(int nSource) const
{
    return m_areas[nSource >= 0 && nSource <= 2 ? nSource : 0];
}

void ScanAreaTracker::StoreInches()
{
    const float fMaxW = m_extents.fFullWidth, fMaxH = MaxHeight(m_nSource);
    const int dx = std::max(1, static_cast<int>(m_fEffectiveRight - m_bounds.nLeft));
    const int dy = std::max(1, m_bounds.Height());
    SAreaInches& a = m_areas[m_nSource];
    a.fX = static_cast<float>(m_rect.nLeft - m_bounds.nLeft) * fMaxW / dx;
    a.fY = static_cast<float>(m_rect.nTop - m_bounds.nTop) * fMaxH / dy;
    if (m_bWidthChanged)
        a.fWidth = std::clamp(static_cast<float>(m_rect.Width()) * fMaxW / dx, kMinAreaInches, fMaxW);
    if (m_bHeightChanged)
        a.fHeight = std::clamp(static_cast<float>(m_rect.Height()) * fMaxH / dy, kMinAreaInches, fMaxH);
    // A size kept through a move, or raised to the minimum, still ends on the platen.
    a.fX = std::clamp(a.fX, 0.0f, std::max(0.0f, fMaxW - a.fWidth));
    a.fY = std::clamp(a.fY, 0.0f, std::max(0.0f, fMaxH - a.fHeight));
    m_bWidthChanged = m_bHeightChanged = false;
}

int ScanAreaTracker::HitTest(SPreviewPoint pt) const
{
    if (!m_window.Contains(pt.x, pt.y))
        return kHitOutside;
    const int x = pt.x - static_cast<int>(m_fOffsetX), y = pt.y - static_cast<int>(m_fOffsetY);
    const int nRight = EffectiveRight();
    const SPreviewRect& r = m_rect;
    const SPreviewRect grab{std::max(r.nLeft - kGrab, m_bounds.nLeft), std::max(r.nTop - kGrab, m_bounds.nTop),
                            std::min(r.nRight + kGrab, nRight), std::min(r.nBottom + kGrab, m_bounds.nBottom)};
    if (x >= grab.nLeft && x <= grab.nRight && y >= grab.nTop && y <= grab.nBottom) {
        const bool bInX = x >= r.nLeft + kGrab && x <= r.nRight - kGrab;
        const bool bInY = y >= r.nTop + kGrab && y <= r.nBottom - kGrab;
        if (Near(x, r.nLeft) && Near(y, r.nTop))
            return kHitTopLeft;
        if (Near(x, r.nRight) && Near(y, r.nTop))
            return kHitTopRight;
        if (Near(x, r.nRight) && Near(y, r.nBottom))
            return kHitBottomRight;
        if (Near(x, r.nLeft) && Near(y, r.nBottom))
            return kHitBottomLeft;
        if (bInX && Near(y, r.nTop))
            return kHitTop;
        if (bInY && Near(x, r.nRight))
            return kHitRight;
        if (bInX && Near(y, r.nBottom))
            return kHitBottom;
        if (bInY && Near(x, r.nLeft))
            return kHitLeft;
        return kHitMove;
    }
    const bool bInside = x >= m_bounds.nLeft && x < nRight && y >= m_bounds.nTop && y < m_bounds.nBottom;
    return bInside ? kHitNew : kHitOutside;
}

void ScanAreaTracker::BeginDrag(int nHit, SPreviewPoint pt)
{
    m_saved = m_rect;
    m_nHit = nHit;
    m_press = pt;
    m_fPressOffsetX = m_fOffsetX;
    m_fPressOffsetY = m_fOffsetY;
    m_nLastDx = m_nLastDy = 0;
    m_nAutoDir = -1;
    m_nAutoDx = m_nAutoDy = 0;
    m_bDragging = m_bNewPending = true;
    m_bMoving = m_bUnreported = false;
}

bool ScanAreaTracker::DragTo(SPreviewPoint pt)
{
    m_nAutoDir = -1;
    m_nAutoDx = m_nAutoDy = 0;
    const int dx = (pt.x - static_cast<int>(m_fOffsetX)) - (m_press.x - static_cast<int>(m_fPressOffsetX));
    const int dy = (pt.y - static_cast<int>(m_fOffsetY)) - (m_press.y - static_cast<int>(m_fPressOffsetY));
    if (dx == 0 && dy == 0)
        return false;
    if (!ApplyEdit(dx, dy))
        return false;
    m_nLastDx = dx;
    m_nLastDy = dy;
    m_bUnreported = false;
    if (pt.x < m_window.nLeft)
        m_nAutoDir = 0;
    else if (pt.x >= m_window.nRight)
        m_nAutoDir = 1;
    if (pt.y < m_window.nTop)
        m_nAutoDir = 2;
    else if (pt.y >= m_window.nBottom)
        m_nAutoDir = 3;
    return true;
}

bool ScanAreaTracker::EndDrag()
{
    m_nAutoDir = -1;
    m_bMoving = false;
    m_bDragging = false;
    return std::exchange(m_bUnreported, false);
}

bool ScanAreaTracker::ApplyEdit(int dx, int dy)
{
    if (m_nHit == kHitNew) {
        if (m_bNewPending && (dx == 0 || dy == 0))
            return false;
        m_bNewPending = false;
        EditNew(dx, dy);
    } else if (m_nHit == kHitMove) {
        EditMove(dx, dy);
    } else if (m_nHit >= kHitTopLeft && m_nHit <= kHitLeft) {
        const int m = MinSize();
        const SPreviewRect& s = m_saved;
        m_rect = s;
        if (HasLeft(m_nHit))
            m_rect.nLeft = std::max(std::min(s.nLeft + dx, s.nRight - m), m_bounds.nLeft);
        if (HasTop(m_nHit))
            m_rect.nTop = std::max(std::min(s.nTop + dy, s.nBottom - m), m_bounds.nTop);
        if (HasRight(m_nHit))
            m_rect.nRight = std::max(std::min(s.nRight + dx, EffectiveRight()), m_rect.nLeft + m);
        if (HasBottom(m_nHit))
            m_rect.nBottom = std::max(std::min(s.nBottom + dy, m_bounds.nBottom), m_rect.nTop + m);
        const bool bCorner = m_nHit <= kHitBottomLeft;
        m_bWidthChanged |= bCorner || m_nHit == kHitLeft || m_nHit == kHitRight;
        m_bHeightChanged |= bCorner || m_nHit == kHitTop || m_nHit == kHitBottom;
        ClampToBounds();
    } else {
        return false;
    }
    StoreInches();
    return true;
}

void ScanAreaTracker::EditNew(int dx, int dy)
{
    const int m = MinSize();
    const int px = m_press.x - static_cast<int>(m_fPressOffsetX), py = m_press.y - static_cast<int>(m_fPressOffsetY);
    auto [l, r] = NewSpan(px, dx, m, m_bounds.nLeft, EffectiveRight());
    auto [t, b] = NewSpan(py, dy, m, m_bounds.nTop, m_bounds.nBottom);
    m_rect = {l, t, r, b};
    m_bWidthChanged = m_bHeightChanged = true;
}

void ScanAreaTracker::EditMove(int dx, int dy)
{
    m_bMoving = true;
    SPreviewRect r = m_saved;
    auto shift = [&r](int x, int y) {
        r.nLeft += x;
        r.nRight += x;
        r.nTop += y;
        r.nBottom += y;
    };
    shift(dx, dy);
    if (r.nLeft < m_bounds.nLeft)
        shift(m_bounds.nLeft - r.nLeft, 0);
    if (r.nTop < m_bounds.nTop)
        shift(0, m_bounds.nTop - r.nTop);
    if (r.nRight > EffectiveRight())
        shift(EffectiveRight() - r.nRight, 0);
    if (r.nBottom > m_bounds.nBottom)
        shift(0, m_bounds.nBottom - r.nBottom);
    m_rect = r;
}

bool ScanAreaTracker::AutoScroll(int nSteps, const Scroller& scroll)
{
    bool bChanged = false;
    for (int i = 0; i < nSteps && m_nAutoDir != -1; ++i) {
        const bool bHorizontal = m_nAutoDir <= 1;
        const int nApplied = scroll(bHorizontal, (m_nAutoDir == 0 || m_nAutoDir == 2) ? -1 : 1);
        if (nApplied == 0) {
            m_nAutoDir = -1;
            break;
        }
        (bHorizontal ? m_nAutoDx : m_nAutoDy) += nApplied;
        if (ApplyEdit(m_nLastDx + m_nAutoDx, m_nLastDy + m_nAutoDy)) {
            bChanged = true;
            m_bUnreported = true;
        }
    }
    return bChanged;
}
