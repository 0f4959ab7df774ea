// Painting of the preview control: everything goes into the back buffer (image, rulers, tracker)
// and reaches the screen in one block transfer.
#include <algorithm>
#include <vector>

#include "transfer/Image.h"
#include "ui/PreviewStatic.h"

namespace {

constexpr uint32_t kWhite = 0xFFFFFF, kBlack = 0x000000, kGrey = 0x808080;
constexpr uint32_t kPlaceholder = 0xE8E8E8;  // the empty platen
constexpr COLORREF kRulerBack = RGB(198, 198, 188);
constexpr double kFeederHeightRatio = 116.9 / 140;

uint32_t Pixel(const uint8_t* pRgb) { return (uint32_t(pRgb[0]) << 16) | (uint32_t(pRgb[1]) << 8) | pRgb[2]; }

// Nearest source index of each of n destination pixels over [dStart, dStart + dSpan) of a
// source of nLimit pixels.
std::vector<int> SourceIndexes(int n, double dStart, double dSpan, int nLimit)
{
    std::vector<int> v(static_cast<size_t>(std::max(n, 0)));
    for (int i = 0; i < n; ++i)
        v[static_cast<size_t>(i)] = std::clamp(static_cast<int>(dStart + (i + 0.5) * dSpan / n), 0, nLimit - 1);
    return v;
}

}  // namespace

void CPreviewStatic::OnPaint()
{
    PAINTSTRUCT ps{};
    HDC hDC = ::BeginPaint(m_hWnd, &ps);
    if (hDC && m_pBack && (!m_pHost || m_pHost->PreviewDrawingAllowed())) {
        Render();
        ::BitBlt(hDC, 0, 0, m_nBackW, m_nBackH, m_backDC.Get(), 0, 0, SRCCOPY);
    }
    ::EndPaint(m_hWnd, &ps);
}

void CPreviewStatic::Render()
{
    ::GdiFlush();
    std::fill_n(m_pBack, size_t(m_nBackW) * m_nBackH, kWhite);
    if (m_pImage && m_pImage->GetData() && m_pImage->GetBitsPerPixel() == 24)
        PaintImage(m_pBack);
    else
        PaintPlaceholder(m_pBack);
    PaintRulers(m_backDC.Get());
    ::GdiFlush();
    PaintTracker(m_pBack);
}

void CPreviewStatic::PaintImage(uint32_t* pBits)
{
    const int nImageW = m_pImage->GetWidth(), nImageH = m_pImage->GetHeight();
    int nDstW = m_rcArea.Width(), nDstH = m_rcArea.Height();
    if (IsFeeder()) {
        nDstW = static_cast<int>(nDstW * kFeederWidthRatio);
        nDstH = static_cast<int>(nDstH * kFeederHeightRatio);
    }
    const SImageSpan span = VisibleImageSpan(nImageW, nImageH, m_nFullW, m_nFullH, m_fZoom, m_fOffsetX, m_fOffsetY);
    if (nImageW <= 0 || nImageH <= 0 || span.dWidth <= 0 || span.dHeight <= 0)
        return;
    const std::vector<int> cols = SourceIndexes(nDstW, span.dX, span.dWidth, nImageW);
    const std::vector<int> rows = SourceIndexes(nDstH, span.dY, span.dHeight, nImageH);
    const uint8_t* pData = m_pImage->GetData();
    const size_t nRowBytes = size_t(nImageW) * 3;
    const int nReady = m_nRowsReady;
    for (int y = 0; y < nDstH; ++y) {
        const int nSrcRow = rows[static_cast<size_t>(y)];
        uint32_t* pOut = pBits + size_t(m_rcArea.nTop + y) * m_nBackW + m_rcArea.nLeft;
        if (nSrcRow >= nReady)
            continue;  // not read yet: white
        const uint8_t* pRow = pData + nRowBytes * nSrcRow;
        for (int x = 0; x < nDstW; ++x)
            pOut[x] = Pixel(pRow + size_t(cols[static_cast<size_t>(x)]) * 3);
    }
}

void CPreviewStatic::PaintPlaceholder(uint32_t* pBits)
{
    if (IsFeeder())
        return;
    for (int y = m_rcArea.nTop; y < m_rcArea.nBottom; ++y)
        std::fill_n(pBits + size_t(y) * m_nBackW + m_rcArea.nLeft, m_rcArea.Width(), kPlaceholder);
}

void CPreviewStatic::PaintRulers(HDC hDC)
{
    SRulerView view;
    view.fZoom = m_fZoom;
    view.fOffsetX = m_fOffsetX;
    view.fOffsetY = m_fOffsetY;
    view.bA3Product = m_product.bHasA3;
    view.bFeeder = IsFeeder();
    const SPreviewExtents extents = SPreviewExtents::For(m_product.bHasA3);
    view.fWidthInches = extents.fFullWidth;
    view.fHeightInches = extents.Height(m_nSource);
    view.nScaleWidth = VisibleWidth(m_nFullW, view.bFeeder);
    const SRulerLayout layout = m_ruler.Layout(view);

    const int nSaved = ::SaveDC(hDC);
    CBrushHandle hBack(::CreateSolidBrush(kRulerBack));
    ::SelectObject(hDC, hBack.Get());
    ::SelectObject(hDC, ::GetStockObject(BLACK_PEN));
    for (const SPreviewRect& r : {layout.rcHorizontal, layout.rcVertical})
        ::Rectangle(hDC, r.nLeft, r.nTop, r.nRight, r.nBottom);
    ::SetBkMode(hDC, TRANSPARENT);
    ::SetTextColor(hDC, RGB(0, 0, 0));
    ::SelectObject(hDC, m_font.Get());

    CRegionHandle hClip(::CreateRectRgn(layout.rcClipH.nLeft, layout.rcClipH.nTop, layout.rcClipH.nRight,
                                        layout.rcClipH.nBottom));
    CRegionHandle hClipV(::CreateRectRgn(layout.rcClipV.nLeft, layout.rcClipV.nTop, layout.rcClipV.nRight,
                                         layout.rcClipV.nBottom));
    ::CombineRgn(hClip.Get(), hClip.Get(), hClipV.Get(), RGN_OR);
    ::SelectClipRgn(hDC, hClip.Get());
    const int nInner = kRulerBand - 1;
    for (const SRulerTick& t : layout.ticks) {
        if (t.bHorizontal) {
            ::MoveToEx(hDC, t.nPos, nInner, nullptr);
            ::LineTo(hDC, t.nPos, nInner - t.nLength);
        } else {
            ::MoveToEx(hDC, nInner, t.nPos, nullptr);
            ::LineTo(hDC, nInner - t.nLength, t.nPos);
        }
    }
    for (const SRulerText& l : layout.labels)
        ::TextOutA(hDC, l.x, l.y, l.sText.c_str(), static_cast<int>(l.sText.size()));
    ::SelectClipRgn(hDC, nullptr);
    for (const SRulerText& c : layout.corner)
        ::TextOutA(hDC, c.x, c.y, c.sText.c_str(), static_cast<int>(c.sText.size()));
    ::RestoreDC(hDC, nSaved);
}

void CPreviewStatic::PaintTracker(uint32_t* pBits)
{
    const int nOffX = static_cast<int>(m_fOffsetX), nOffY = static_cast<int>(m_fOffsetY);
    auto put = [&](int x, int y, uint32_t c) {
        x += nOffX;
        y += nOffY;
        if (m_rcArea.Contains(x, y) && x < m_nBackW && y < m_nBackH)
            pBits[size_t(y) * m_nBackW + x] = c;
    };
    auto outline = [&](const SPreviewRect& r, uint32_t c, int nStep) {
        for (int x = r.nLeft; x < r.nRight; x += nStep) {
            put(x, r.nTop, c);
            put(x, r.nBottom - 1, c);
        }
        for (int y = r.nTop; y < r.nBottom; y += nStep) {
            put(r.nLeft, y, c);
            put(r.nRight - 1, y, c);
        }
    };
    const SPreviewRect& r = m_tracker.Rect();
    outline(r, kWhite, 1);
    if (m_tracker.Moving())
        outline(m_tracker.SavedRect(), kGrey, 2);
    // Dashes from the top-left corner: along the top and down the right edge, and down the left
    // edge and along the bottom, each turning the corner it meets.
    const int w = r.Width(), h = r.Height(), nPhase = m_tracker.DashPhase();
    ForEachDash(w + h - 1, nPhase, [&](SDashRun run) {
        for (int s = run.nStart; s < run.nEnd; ++s)
            s < w ? put(r.nLeft + s, r.nTop, kBlack) : put(r.nRight - 1, r.nTop + 1 + s - w, kBlack);
    });
    ForEachDash(h + w - 1, nPhase, [&](SDashRun run) {
        for (int s = run.nStart; s < run.nEnd; ++s)
            s < h ? put(r.nLeft, r.nTop + s, kBlack) : put(r.nLeft + 1 + s - h, r.nBottom - 1, kBlack);
    });
}
