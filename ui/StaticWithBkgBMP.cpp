#include "ui/StaticWithBkgBMP.h"

#include <algorithm>
#include <string>

#include "ui/ControlHost.h"
#include "ui/DialogSkin.h"

CStaticWithBkgBMP::CStaticWithBkgBMP()
{
    PaintsItself([this](HDC hDC) { Paint(hDC); });
    Map().OnRaw(WM_SETTEXT, [this](WPARAM, LPARAM, LRESULT& lResult) {
        lResult = Default();
        Invalidate(FALSE);
        return true;
    });
}

void CStaticWithBkgBMP::SetColors(COLORREF crText, COLORREF crBack)
{
    m_crText = crText;
    m_crBack = crBack;
    if (m_hWnd)
        Invalidate(FALSE);
}

void CStaticWithBkgBMP::SetBackgroundBitmap(UINT nId)
{
    m_bmp.Reset(LoadBitmapResource(ResourceModuleOf(m_hWnd), nId));
    if (m_hWnd)
        RedrawUnder(m_hWnd, 0);
}

void CStaticWithBkgBMP::Paint(HDC hDC)
{
    RECT rc = GetClientRect();
    if (!DrawSkinBitmap(hDC, m_bmp.Get(), rc, kDrawStretch)) {
        CBrushHandle hBack(m_crBack == kNoColor ? nullptr : ::CreateSolidBrush(m_crBack));
        ::FillRect(hDC, &rc, hBack ? hBack.Get() : ::GetSysColorBrush(COLOR_BTNFACE));
    }
    std::wstring sText = GetWindowText();
    if (sText.empty())
        return;
    HWND hParent = ::GetParent(m_hWnd);
    CSelection font(hDC, WindowFont(hParent ? hParent : m_hWnd));
    UINT nFormat = DT_SINGLELINE | DT_NOPREFIX;
    if (::GetWindowLongW(m_hWnd, GWL_EXSTYLE) & WS_EX_RTLREADING)
        nFormat |= DT_RTLREADING;
    RECT rcText{};
    ::DrawTextW(hDC, sText.c_str(), -1, &rcText, nFormat | DT_CALCRECT);
    // Centred; a text larger than the label starts at its left or top instead.
    int nX = std::max(0L, (rc.right - rcText.right) / 2);
    int nY = std::max(0L, (rc.bottom - rcText.bottom) / 2);
    RECT rcDraw{nX, nY, rc.right, rc.bottom};
    ::SetBkMode(hDC, TRANSPARENT);
    ::SetTextColor(hDC, m_crText);
    ::DrawTextW(hDC, sText.c_str(), -1, &rcDraw, nFormat);
}
