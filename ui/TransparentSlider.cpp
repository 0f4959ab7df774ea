#include "ui/TransparentSlider.h"

#include <commctrl.h>

#include "ui/ControlHost.h"

CTransparentSlider::CTransparentSlider() : m_brWhite(::CreateSolidBrush(RGB(255, 255, 255)))
{
    Map().OnRaw(WM_ERASEBKGND, [](WPARAM, LPARAM, LRESULT& lResult) {
        lResult = 1;
        return true;
    });
    Map().OnRaw(WM_SIZE, [this](WPARAM, LPARAM, LRESULT&) {
        m_bmpBack.Reset();
        return false;
    });
}

void CTransparentSlider::RefreshBackground()
{
    m_bmpBack.Reset();
    if (m_hWnd)
        Invalidate(FALSE);
}

bool CTransparentSlider::OnChildNotify(UINT nMsg, WPARAM, LPARAM lParam, LRESULT& lResult)
{
    if (nMsg == WM_NOTIFY && lParam) {
        auto* pHdr = reinterpret_cast<NMHDR*>(lParam);
        if (pHdr->code != static_cast<UINT>(NM_CUSTOMDRAW))
            return false;
        lResult = OnCustomDraw(*reinterpret_cast<NMCUSTOMDRAW*>(lParam));
        return true;
    }
    // The trackbar's own background: the copy replaces it when the channel is drawn.
    if (nMsg == WM_CTLCOLORSTATIC && m_brWhite) {
        lResult = reinterpret_cast<LRESULT>(m_brWhite.Get());
        return true;
    }
    return false;
}

LRESULT CTransparentSlider::OnCustomDraw(NMCUSTOMDRAW& cd)
{
    if (cd.dwDrawStage == CDDS_PREPAINT)
        return CDRF_NOTIFYITEMDRAW;
    // The channel comes first after the background: the parent's copy goes under it, and the
    // tics and the thumb are drawn over both.
    if (cd.dwDrawStage == CDDS_ITEMPREPAINT && cd.dwItemSpec == TBCD_CHANNEL) {
        if (!m_bmpBack)
            TakeBackground(cd.hdc);
        if (m_bmpBack) {
            RECT rc = GetClientRect();
            DrawSkinBitmap(cd.hdc, m_bmpBack.Get(), rc, kDrawCopy);
        }
    }
    return CDRF_DODEFAULT;
}

bool CTransparentSlider::TakeBackground(HDC hRef)
{
    RECT rc = GetClientRect();
    if (rc.right <= 0 || rc.bottom <= 0)
        return false;
    CClientDC screen(nullptr);
    CBitmapHandle hBmp(::CreateCompatibleBitmap(screen.Get() ? screen.Get() : hRef, rc.right, rc.bottom));
    CMemoryDC mem(hRef);
    if (!hBmp || !mem)
        return false;
    bool bPainted = false;
    {
        CSelection sel(mem.Get(), hBmp.Get());
        bPainted = PaintParentBackground(m_hWnd, mem.Get());
    }
    if (!bPainted)
        return false;
    m_bmpBack = std::move(hBmp);
    return true;
}
