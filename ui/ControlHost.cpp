#include "ui/ControlHost.h"

#include <algorithm>

#include "ui/Dialog.h"
#include "ui/GdiHandles.h"

namespace {

HINSTANCE ThisModule()
{
    HMODULE h = nullptr;
    ::GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                         reinterpret_cast<LPCWSTR>(&ThisModule), &h);
    return h;
}

}  // namespace

UINT WindowDpi(HWND hWnd)
{
    // Windows 10 1607 and later know a window's own resolution; older ones only the screen's.
    using PFN = UINT(WINAPI*)(HWND);
    static const PFN s_pfn = reinterpret_cast<PFN>(
        reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(L"user32.dll"), "GetDpiForWindow")));
    UINT nDpi = s_pfn && hWnd ? s_pfn(hWnd) : 0;
    if (nDpi == 0) {
        CClientDC dc(nullptr);
        nDpi = dc.Get() ? static_cast<UINT>(::GetDeviceCaps(dc.Get(), LOGPIXELSY)) : 96;
    }
    return nDpi ? nDpi : 96;
}

int ScaleForDpi(int nPixels96, UINT nDpi)
{
    return ::MulDiv(nPixels96, static_cast<int>(nDpi), 96);
}

HINSTANCE ResourceModuleOf(HWND hCtrl)
{
    for (HWND h = hCtrl ? ::GetParent(hCtrl) : nullptr; h; h = ::GetParent(h)) {
        if (auto* pDlg = dynamic_cast<CDialog*>(CWnd::FromHandlePermanent(h)); pDlg && pDlg->ResourceModule())
            return pDlg->ResourceModule();
        if (!(::GetWindowLongW(h, GWL_STYLE) & WS_CHILD))
            break;
    }
    return ThisModule();
}

HBITMAP LoadBitmapResource(HINSTANCE hModule, UINT nId)
{
    if (!hModule || nId == 0)
        return nullptr;
    return static_cast<HBITMAP>(
        ::LoadImageW(hModule, MAKEINTRESOURCEW(nId), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
}

HFONT WindowFont(HWND hWnd)
{
    auto hFont = reinterpret_cast<HFONT>(::SendMessageW(hWnd, WM_GETFONT, 0, 0));
    return hFont ? hFont : static_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT));
}

bool IsMirrored(HWND hWnd)
{
    return hWnd && (::GetWindowLongW(hWnd, GWL_EXSTYLE) & WS_EX_LAYOUTRTL) != 0;
}

bool PaintParentBackground(HWND hCtrl, HDC hDC)
{
    HWND hParent = hCtrl ? ::GetParent(hCtrl) : nullptr;
    if (!hParent || !hDC)
        return false;
    // Screen coordinates are physical in both layouts; the parent paints its background
    // unmirrored into this plain context, as it appears on the screen.
    RECT rcCtrl{}, rcParent{};
    ::GetWindowRect(hCtrl, &rcCtrl);
    ::GetClientRect(hParent, &rcParent);
    POINT ptOrigin{0, 0};
    ::ClientToScreen(hParent, &ptOrigin);
    if (IsMirrored(hParent))
        ptOrigin.x -= rcParent.right;
    POINT ptOld{};
    ::SetViewportOrgEx(hDC, ptOrigin.x - rcCtrl.left, ptOrigin.y - rcCtrl.top, &ptOld);
    bool bPainted = ::SendMessageW(hParent, WM_ERASEBKGND, reinterpret_cast<WPARAM>(hDC), 0) != 0;
    ::SetViewportOrgEx(hDC, ptOld.x, ptOld.y, nullptr);
    return bPainted;
}

namespace {

// The image through its mask: the destination is kept under the mask's white, the image shows
// under its black.
bool DrawMasked(HDC hDC, HBITMAP hBitmap, HBITMAP hMask, const RECT& rc, int nMode)
{
    int nW = rc.right - rc.left;
    int nH = rc.bottom - rc.top;
    CMemoryDC image(hDC), mask(hDC);
    CBitmapHandle hImage(::CreateCompatibleBitmap(hDC, nW, nH)), hMaskCopy(::CreateCompatibleBitmap(hDC, nW, nH));
    if (!image || !mask || !hImage || !hMaskCopy)
        return false;
    CSelection selImage(image.Get(), hImage.Get());
    CSelection selMask(mask.Get(), hMaskCopy.Get());
    RECT rcLocal{0, 0, nW, nH};
    ::FillRect(mask.Get(), &rcLocal, static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));
    if (!DrawSkinBitmap(image.Get(), hBitmap, rcLocal, nMode) || !DrawSkinBitmap(mask.Get(), hMask, rcLocal, nMode))
        return false;
    constexpr DWORD kSourceNotAndDest = 0x00220326;
    ::BitBlt(image.Get(), 0, 0, nW, nH, mask.Get(), 0, 0, kSourceNotAndDest);
    CBitmapOrientationKept keep(hDC);
    ::BitBlt(hDC, rc.left, rc.top, nW, nH, mask.Get(), 0, 0, SRCAND);
    ::BitBlt(hDC, rc.left, rc.top, nW, nH, image.Get(), 0, 0, SRCPAINT);
    return true;
}

}  // namespace

bool DrawSkinBitmap(HDC hDC, HBITMAP hBitmap, const RECT& rc, int nMode, HBITMAP hMask)
{
    if (hMask && hBitmap && hDC)
        return DrawMasked(hDC, hBitmap, hMask, rc, nMode);
    BITMAP bm{};
    if (!hDC || !hBitmap || !::GetObjectW(hBitmap, sizeof bm, &bm) || bm.bmWidth <= 0 || bm.bmHeight <= 0)
        return false;
    CMemoryDC mem(hDC);
    if (!mem)
        return false;
    CSelection sel(mem.Get(), hBitmap);
    CBitmapOrientationKept keep(hDC);
    int nW = rc.right - rc.left;
    int nH = rc.bottom - rc.top;
    if (nMode == kDrawStretch) {
        int nOldMode = ::SetStretchBltMode(hDC, HALFTONE);
        POINT ptBrush{};
        ::SetBrushOrgEx(hDC, 0, 0, &ptBrush);
        ::StretchBlt(hDC, rc.left, rc.top, nW, nH, mem.Get(), 0, 0, bm.bmWidth, bm.bmHeight, SRCCOPY);
        ::SetBrushOrgEx(hDC, ptBrush.x, ptBrush.y, nullptr);
        ::SetStretchBltMode(hDC, nOldMode);
    } else if (nMode == kDrawTile) {
        for (int y = rc.top; y < rc.bottom; y += bm.bmHeight)
            for (int x = rc.left; x < rc.right; x += bm.bmWidth)
                ::BitBlt(hDC, x, y, std::min<int>(bm.bmWidth, rc.right - x), std::min<int>(bm.bmHeight, rc.bottom - y),
                         mem.Get(), 0, 0, SRCCOPY);
    } else {
        ::BitBlt(hDC, rc.left, rc.top, std::min<int>(bm.bmWidth, nW), std::min<int>(bm.bmHeight, nH), mem.Get(), 0, 0,
                 SRCCOPY);
    }
    return true;
}
