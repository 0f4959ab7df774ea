#include "ui/SkinButton.h"

#include <algorithm>
#include <vector>

namespace {

constexpr UINT kTextNormal = 10431;
constexpr UINT kTextDown = 10429;
constexpr UINT kTextHover = 10432;
constexpr UINT kTextDisabled = 10430;
constexpr int kTextFocusMargin = 3;

bool IsWhite(const BYTE* p)
{
    return p[0] == 0xFF && p[1] == 0xFF && p[2] == 0xFF;
}

// The window region a mask gives: every pixel that is not white, row by row, with the mask
// copied or stretched over nW x nH as the image is. Null when there is nothing to shape.
HRGN RegionFromMask(HBITMAP hMask, int nW, int nH, bool bStretch)
{
    BITMAP bm{};
    if (!hMask || nW <= 0 || nH <= 0 || !::GetObjectW(hMask, sizeof bm, &bm))
        return nullptr;
    BITMAPINFO bi{};
    bi.bmiHeader = {sizeof(BITMAPINFOHEADER), nW, -nH, 1, 32, BI_RGB};
    void* pBits = nullptr;
    CBitmapHandle hDib(::CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &pBits, nullptr, 0));
    CMemoryDC dst(nullptr), src(nullptr);
    if (!hDib || !pBits || !dst || !src)
        return nullptr;
    {
        CSelection selDst(dst.Get(), hDib.Get());
        CSelection selSrc(src.Get(), hMask);
        RECT rc{0, 0, nW, nH};
        ::FillRect(dst.Get(), &rc, static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));
        // Plain sampling: a region has no half-transparent pixels.
        ::SetStretchBltMode(dst.Get(), COLORONCOLOR);
        if (bStretch)
            ::StretchBlt(dst.Get(), 0, 0, nW, nH, src.Get(), 0, 0, bm.bmWidth, bm.bmHeight, SRCCOPY);
        else
            ::BitBlt(dst.Get(), 0, 0, nW, nH, src.Get(), 0, 0, SRCCOPY);
    }
    ::GdiFlush();
    std::vector<RECT> runs;
    const auto* pRow = static_cast<const BYTE*>(pBits);
    for (int y = 0; y < nH; ++y, pRow += size_t(nW) * 4) {
        for (int x = 0; x < nW;) {
            while (x < nW && IsWhite(pRow + size_t(x) * 4))
                ++x;
            int x0 = x;
            while (x < nW && !IsWhite(pRow + size_t(x) * 4))
                ++x;
            if (x > x0)
                runs.push_back({x0, y, x, y + 1});
        }
    }
    std::vector<BYTE> data(sizeof(RGNDATAHEADER) + runs.size() * sizeof(RECT));
    auto* pData = reinterpret_cast<RGNDATA*>(data.data());
    pData->rdh = {sizeof(RGNDATAHEADER), RDH_RECTANGLES, static_cast<DWORD>(runs.size()), 0, {0, 0, nW, nH}};
    std::copy(runs.begin(), runs.end(), reinterpret_cast<RECT*>(pData->Buffer));
    return ::ExtCreateRegion(nullptr, static_cast<DWORD>(data.size()), pData);
}

}  // namespace

CxSkinButton::CxSkinButton() : m_crText(::GetSysColor(COLOR_BTNTEXT))
{
    Map().OnRaw(WM_MOUSEMOVE, [this](WPARAM, LPARAM, LRESULT&) {
        OnMouseMove();
        return false;
    });
    Map().OnRaw(WM_MOUSELEAVE, [this](WPARAM, LPARAM, LRESULT& lResult) {
        OnMouseLeave();
        lResult = 0;
        return true;
    });
    // A second click in quick succession is a click like the first.
    Map().OnRaw(WM_LBUTTONDBLCLK, [this](WPARAM wParam, LPARAM lParam, LRESULT& lResult) {
        lResult = DefWindowProc(WM_LBUTTONDOWN, wParam, lParam);
        return true;
    });
    Map().OnRaw(WM_ERASEBKGND, [](WPARAM, LPARAM, LRESULT& lResult) {
        lResult = 1;
        return true;
    });
    // The dialog manager moves the default-button look by style; the button stays owner-drawn
    // and remembers whether it is the default, so that Enter presses it when focused.
    Map().OnRaw(BM_SETSTYLE, [this](WPARAM wParam, LPARAM lParam, LRESULT& lResult) {
        m_bDefault = (wParam & BS_TYPEMASK) == BS_DEFPUSHBUTTON;
        lResult = DefWindowProc(BM_SETSTYLE, (wParam & ~static_cast<WPARAM>(BS_TYPEMASK)) | BS_OWNERDRAW, lParam);
        return true;
    });
    Map().OnRaw(WM_GETDLGCODE, [this](WPARAM, LPARAM, LRESULT& lResult) {
        lResult = DLGC_BUTTON | (m_bDefault ? DLGC_DEFPUSHBUTTON : DLGC_UNDEFPUSHBUTTON);
        return true;
    });
    Map().OnRaw(BM_GETCHECK, [this](WPARAM, LPARAM, LRESULT& lResult) {
        lResult = m_bChecked ? BST_CHECKED : BST_UNCHECKED;
        return m_bCheckBox;
    });
    Map().OnRaw(BM_SETCHECK, [this](WPARAM wParam, LPARAM, LRESULT& lResult) {
        if (m_bCheckBox)
            SetCheck(wParam == BST_CHECKED);
        lResult = 0;
        return m_bCheckBox;
    });
    Map().OnRaw(WM_SETTEXT, [this](WPARAM, LPARAM, LRESULT& lResult) {
        lResult = Default();
        Invalidate(FALSE);
        return true;
    });
    Map().OnRaw(WM_SIZE, [this](WPARAM, LPARAM, LRESULT&) {
        ApplyMaskRegion();
        return false;
    });
}

void CxSkinButton::PreSubclassWindow()
{
    LONG nStyle = ::GetWindowLongW(m_hWnd, GWL_STYLE);
    m_bDefault = (nStyle & BS_TYPEMASK) == BS_DEFPUSHBUTTON;
    ::SetWindowLongW(m_hWnd, GWL_STYLE, (nStyle & ~BS_TYPEMASK) | BS_OWNERDRAW);
    m_bHover = false;
    ApplyMaskRegion();
    Invalidate(FALSE);
}

void CxSkinButton::SetSkin(UINT nNormal, UINT nDown, UINT nHover, UINT nDisabled, UINT nFocus, UINT nMask,
                           int nDrawMode, BOOL bBorder, int nFocusMargin)
{
    HINSTANCE hModule = m_hResModule ? m_hResModule : ResourceModuleOf(m_hWnd);
    SBitmaps bmp;
    bmp.normal.Reset(LoadBitmapResource(hModule, nNormal));
    bmp.down.Reset(LoadBitmapResource(hModule, nDown));
    bmp.hover.Reset(LoadBitmapResource(hModule, nHover));
    bmp.disabled.Reset(LoadBitmapResource(hModule, nDisabled));
    bmp.focus.Reset(LoadBitmapResource(hModule, nFocus));
    bmp.mask.Reset(LoadBitmapResource(hModule, nMask));
    SetSkinBitmaps(std::move(bmp), nDrawMode, bBorder, nFocusMargin);
}

void CxSkinButton::SetSkinBitmaps(SBitmaps bitmaps, int nDrawMode, BOOL bBorder, int nFocusMargin)
{
    m_bmp = std::move(bitmaps);
    m_nDrawMode = nDrawMode == kDrawStretch || nDrawMode == kDrawTile ? nDrawMode : kDrawCopy;
    m_bBorder = bBorder != FALSE;
    m_nFocusMargin = nFocusMargin;
    ApplyMaskRegion();
    if (m_hWnd)
        Invalidate(FALSE);
}

COLORREF CxSkinButton::SetTextColor(COLORREF crText)
{
    COLORREF crOld = m_crText;
    m_crText = crText;
    if (m_hWnd)
        Invalidate(FALSE);
    return crOld;
}

void CxSkinButton::SetTextShown(bool bShown)
{
    m_bTextShown = bShown;
    if (m_hWnd)
        Invalidate(FALSE);
}

void CxSkinButton::SetCheck(bool bChecked)
{
    m_bChecked = bChecked;
    if (m_hWnd)
        Invalidate(FALSE);
}

bool CxSkinButton::OnChildNotify(UINT nMsg, WPARAM wParam, LPARAM lParam, LRESULT& lResult)
{
    if (nMsg == WM_DRAWITEM && lParam) {
        DrawItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
        lResult = TRUE;
        return true;
    }
    // The check box turns before the parent hears of the click, so that it reads the new state.
    if (nMsg == WM_COMMAND && HIWORD(wParam) == BN_CLICKED && m_bCheckBox)
        SetCheck(!m_bChecked);
    return false;
}

void CxSkinButton::OnMouseMove()
{
    if (m_bHover)
        return;
    m_bHover = true;
    TRACKMOUSEEVENT tme{sizeof tme, TME_LEAVE, m_hWnd, 0};
    ::TrackMouseEvent(&tme);
    Invalidate(FALSE);
}

void CxSkinButton::OnMouseLeave()
{
    m_bHover = false;
    Invalidate(FALSE);
}

void CxSkinButton::ApplyMaskRegion()
{
    if (!m_hWnd)
        return;
    if (!m_bmp.mask) {
        ::SetWindowRgn(m_hWnd, nullptr, TRUE);
        return;
    }
    RECT rc = GetClientRect();
    CRegionHandle hRgn(RegionFromMask(m_bmp.mask.Get(), rc.right, rc.bottom, m_nDrawMode == kDrawStretch));
    // The window owns the region from here on.
    if (hRgn && ::SetWindowRgn(m_hWnd, hRgn.Get(), TRUE))
        hRgn.Release();
}

HBITMAP CxSkinButton::FaceBitmap(bool bDisabled, bool bPressed, bool bFocus) const
{
    if (bDisabled)
        return m_bmp.disabled.Get();
    if (bPressed)
        return m_bmp.down.Get();
    if (m_bHover && m_bmp.hover)
        return m_bmp.hover.Get();
    if (bFocus && m_bmp.focus)
        return m_bmp.focus.Get();
    return m_bmp.normal.Get();
}

void CxSkinButton::DrawItem(const DRAWITEMSTRUCT& dis)
{
    HDC hDC = dis.hDC;
    if (!hDC)
        return;
    int nSaved = ::SaveDC(hDC);
    RECT rc = dis.rcItem;
    bool bDisabled = (dis.itemState & ODS_DISABLED) != 0;
    bool bPressed = (dis.itemState & ODS_SELECTED) != 0 || (m_bCheckBox && m_bChecked);
    bool bFocus = (dis.itemState & ODS_FOCUS) != 0;
    HBITMAP hFace = FaceBitmap(bDisabled, bPressed, bFocus);
    if (hFace && m_nDrawMode == kDrawCopy)
        ::FillRect(hDC, &rc, ::GetSysColorBrush(COLOR_BTNFACE));
    // The window is shaped by the mask, but a button draws on its parent's context, which the
    // shape does not clip: the image goes through the mask itself.
    if (!DrawSkinBitmap(hDC, hFace, rc, m_nDrawMode, m_bmp.mask.Get())) {
        // No bitmap for this state: the plain system button.
        RECT rcFrame = rc;
        ::DrawFrameControl(hDC, &rcFrame, DFC_BUTTON,
                           DFCS_BUTTONPUSH | (bPressed ? DFCS_PUSHED : 0) | (bDisabled ? DFCS_INACTIVE : 0));
    }
    if (m_bBorder) {
        RECT rcEdge = rc;
        ::DrawEdge(hDC, &rcEdge, bPressed || bDisabled ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT);
    }
    UINT nDpi = WindowDpi(m_hWnd);
    int nMargin = ScaleForDpi(std::max(m_nFocusMargin, 0), nDpi);
    // The focus is always visible: a focus rectangle unless the focus bitmap shows it.
    bool bFocusBitmapShown = hFace && hFace == m_bmp.focus.Get();
    if (bFocus && (m_nFocusMargin > 0 || !bFocusBitmapShown)) {
        RECT rcFocus = rc;
        int nInset = m_nFocusMargin > 0 ? nMargin : ScaleForDpi(kTextFocusMargin, nDpi);
        ::InflateRect(&rcFocus, -nInset, -nInset);
        ::SetTextColor(hDC, RGB(0, 0, 0));
        ::SetBkColor(hDC, RGB(255, 255, 255));
        ::DrawFocusRect(hDC, &rcFocus);
    }
    if (m_bTextShown) {
        RECT rcText = rc;
        ::InflateRect(&rcText, -(nMargin + 2), 0);
        DrawText(hDC, rcText, bDisabled, bPressed);
    }
    ::RestoreDC(hDC, nSaved);
}

void CxSkinButton::DrawText(HDC hDC, RECT rc, bool bDisabled, bool bPressed) const
{
    std::wstring sText = GetWindowText();
    if (sText.empty())
        return;
    ::SelectObject(hDC, WindowFont(m_hWnd));
    ::SetBkMode(hDC, TRANSPARENT);
    UINT nFormat = DT_CENTER | DT_VCENTER | DT_SINGLELINE;
    if (::GetWindowLongW(m_hWnd, GWL_EXSTYLE) & WS_EX_RTLREADING)
        nFormat |= DT_RTLREADING;
    if (bDisabled) {
        // Embossed: the highlight one pixel down and right, the grey text over it.
        RECT rcLight = rc;
        ::OffsetRect(&rcLight, 1, 1);
        ::SetTextColor(hDC, ::GetSysColor(COLOR_3DHILIGHT));
        ::DrawTextW(hDC, sText.c_str(), -1, &rcLight, nFormat);
        ::SetTextColor(hDC, ::GetSysColor(COLOR_GRAYTEXT));
        ::DrawTextW(hDC, sText.c_str(), -1, &rc, nFormat);
        return;
    }
    if (bPressed)
        ::OffsetRect(&rc, 1, 1);
    ::SetTextColor(hDC, m_crText);
    ::DrawTextW(hDC, sText.c_str(), -1, &rc, nFormat);
}

BOOL AttachTextButton(CxSkinButton& button, HWND hDlg, UINT nId)
{
    if (!button.SubclassDlgItem(nId, hDlg))
        return FALSE;
    button.SetSkin(kTextNormal, kTextDown, kTextHover, kTextDisabled, 0, 0, kDrawStretch, FALSE, kTextFocusMargin);
    return TRUE;
}
