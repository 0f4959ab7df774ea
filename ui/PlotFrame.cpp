#include "ui/PlotFrame.h"

#include "ui/GdiHandles.h"

CPlotFrame::CPlotFrame()
{
    PaintsItself([this](HDC hDC) { Paint(hDC); });
}

void CPlotFrame::Redraw()
{
    if (m_hWnd)
        ::RedrawWindow(m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
}

void CPlotFrame::Paint(HDC hDC)
{
    RECT rc = GetClientRect();
    if (rc.right <= 0 || rc.bottom <= 0)
        return;
    CMemoryDC mem(hDC);
    CBitmapHandle hBmp(::CreateCompatibleBitmap(hDC, rc.right, rc.bottom));
    if (!mem || !hBmp)
        return;
    CSelection sel(mem.Get(), hBmp.Get());
    ::FillRect(mem.Get(), &rc, static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));
    if (m_fnPaint)
        m_fnPaint(mem.Get(), rc);
    CBitmapOrientationKept keep(hDC);
    ::BitBlt(hDC, 0, 0, rc.right, rc.bottom, mem.Get(), 0, 0, SRCCOPY);
}
