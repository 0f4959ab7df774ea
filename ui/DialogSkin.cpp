#include "ui/DialogSkin.h"

#include <algorithm>

#include "ui/Wnd.h"

bool CDialogBackground::Load(HINSTANCE hModule, UINT nId)
{
    Reset();
    m_hBitmap = static_cast<HBITMAP>(::LoadImageW(hModule, MAKEINTRESOURCEW(nId), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
    m_nId = m_hBitmap ? nId : 0;
    return m_hBitmap != nullptr;
}

void CDialogBackground::Reset()
{
    if (m_hBitmap)
        ::DeleteObject(m_hBitmap);
    m_hBitmap = nullptr;
    m_nId = 0;
}

bool CDialogBackground::Paint(HDC hDC, const RECT& rc) const
{
    if (!m_hBitmap || !hDC)
        return false;
    BITMAP bm{};
    if (!::GetObjectW(m_hBitmap, sizeof(bm), &bm))
        return false;
    HDC hMem = ::CreateCompatibleDC(hDC);
    if (!hMem)
        return false;
    HGDIOBJ hOld = ::SelectObject(hMem, m_hBitmap);
    // A mirrored dialog would mirror its background too; the right-to-left bitmaps are drawn
    // mirrored already.
    DWORD dwLayout = ::GetLayout(hDC);
    if (dwLayout & LAYOUT_RTL)
        ::SetLayout(hDC, dwLayout | LAYOUT_BITMAPORIENTATIONPRESERVED);
    ::SetStretchBltMode(hDC, HALFTONE);
    ::StretchBlt(hDC, rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top, hMem, 0, 0, bm.bmWidth, bm.bmHeight,
                 SRCCOPY);
    if (dwLayout & LAYOUT_RTL)
        ::SetLayout(hDC, dwLayout);
    ::SelectObject(hMem, hOld);
    ::DeleteDC(hMem);
    return true;
}

std::wstring LoadDlgString(HINSTANCE hModule, UINT nId)
{
    const wchar_t* pText = nullptr;
    int n = ::LoadStringW(hModule, nId, reinterpret_cast<LPWSTR>(&pText), 0);
    if (n <= 0 || !pText)
        return L"Load String Error!";
    return std::wstring(pText, static_cast<size_t>(n));
}

void SetDlgStrings(HWND hDlg, HINSTANCE hModule, std::initializer_list<SDlgString> items)
{
    for (const SDlgString& item : items)
        ::SetDlgItemTextW(hDlg, item.nCtrlId, LoadDlgString(hModule, item.nStringId).c_str());
}

bool IsRefusedKey(const MSG& msg, bool bSpace)
{
    if (msg.message < WM_KEYFIRST || msg.message > WM_KEYLAST)
        return false;
    auto bIsRefused = [bSpace](WPARAM nKey) {
        return nKey == VK_RETURN || nKey == VK_ESCAPE || (bSpace && nKey == VK_SPACE);
    };
    bool bCharMsg = msg.message == WM_CHAR || msg.message == WM_SYSCHAR;
    if (bCharMsg && (msg.wParam == L'\r' || msg.wParam == 0x1B || (bSpace && msg.wParam == L' ')))
        return true;
    if (!bCharMsg && bIsRefused(msg.wParam))
        return true;
    // Any key while one of them is held: no Enter-plus-something reaches a button either.
    auto bDown = [](int nKey) { return (::GetKeyState(nKey) & 0x8000) != 0; };
    return bDown(VK_RETURN) || bDown(VK_ESCAPE) || (bSpace && bDown(VK_SPACE));
}

void KeepLeftToRight(HWND hCtrl)
{
    if (!hCtrl)
        return;
    const LONG_PTR nEx = ::GetWindowLongPtrW(hCtrl, GWL_EXSTYLE);
    ::SetWindowLongPtrW(hCtrl, GWL_EXSTYLE, nEx & ~LONG_PTR(WS_EX_LAYOUTRTL | WS_EX_RTLREADING | WS_EX_RIGHT));
    ::InvalidateRect(hCtrl, nullptr, TRUE);
}

void RedrawUnder(HWND hCtrl, int nGrow)
{
    HWND hParent = hCtrl ? ::GetParent(hCtrl) : nullptr;
    if (!hParent)
        return;
    RECT rc = CWnd(hCtrl).GetWindowRectIn(hParent);
    ::InflateRect(&rc, nGrow, nGrow);
    ::InvalidateRect(hParent, &rc, TRUE);
    ::InvalidateRect(hCtrl, nullptr, TRUE);
}

void CenterWindowOn(HWND hWnd, HWND hOver)
{
    RECT rcArea{};
    if (hOver && ::IsWindowVisible(hOver))
        ::GetWindowRect(hOver, &rcArea);
    else
        ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &rcArea, 0);
    RECT rc{};
    ::GetWindowRect(hWnd, &rc);
    int nW = rc.right - rc.left;
    int nH = rc.bottom - rc.top;
    int x = rcArea.left + ((rcArea.right - rcArea.left) - nW) / 2;
    int y = rcArea.top + ((rcArea.bottom - rcArea.top) - nH) / 2;
    // Over a small owner near the screen's edge the dialog stays whole on the screen.
    MONITORINFO mi{sizeof mi};
    if (::GetMonitorInfoW(::MonitorFromRect(&rcArea, MONITOR_DEFAULTTONEAREST), &mi)) {
        x = std::max<int>(mi.rcWork.left, std::min<int>(x, mi.rcWork.right - nW));
        y = std::max<int>(mi.rcWork.top, std::min<int>(y, mi.rcWork.bottom - nH));
    }
    ::SetWindowPos(hWnd, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}
