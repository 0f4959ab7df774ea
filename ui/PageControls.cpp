#include "ui/PageControls.h"

#include <commctrl.h>

#include <algorithm>

#include "profile/Resources.h"
#include "ui/ControlHost.h"
#include "ui/Wnd.h"

void FillDropList(HWND hList, const std::vector<std::wstring>& texts)
{
    if (!hList)
        return;
    ::SendMessageW(hList, CB_RESETCONTENT, 0, 0);
    HDC hDC = ::GetDC(hList);
    HGDIOBJ hOld = hDC ? ::SelectObject(hDC, WindowFont(hList)) : nullptr;
    int nWidest = 0;
    for (const std::wstring& s : texts) {
        ::SendMessageW(hList, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(s.c_str()));
        SIZE size{};
        if (hDC && ::GetTextExtentPoint32W(hDC, s.c_str(), static_cast<int>(s.size()), &size))
            nWidest = std::max(nWidest, static_cast<int>(size.cx));
    }
    if (hDC) {
        ::SelectObject(hDC, hOld);
        ::ReleaseDC(hList, hDC);
    }
    // Room for the list's border and its scroll bar.
    const int nMargin = ScaleForDpi(12, WindowDpi(hList)) + ::GetSystemMetrics(SM_CXVSCROLL);
    ::SendMessageW(hList, CB_SETDROPPEDWIDTH, nWidest + nMargin, 0);
}

void FillDropListIds(HWND hList, const std::vector<UINT>& stringIds)
{
    std::vector<std::wstring> texts;
    for (UINT nId : stringIds)
        texts.push_back(LoadLangString(nId));
    FillDropList(hList, texts);
}

int ListSelection(HWND hList)
{
    const LRESULT n = hList ? ::SendMessageW(hList, CB_GETCURSEL, 0, 0) : CB_ERR;
    return n == CB_ERR ? -1 : static_cast<int>(n);
}

void SelectListEntry(HWND hList, int nIndex)
{
    if (!hList)
        return;
    const LRESULT nCount = ::SendMessageW(hList, CB_GETCOUNT, 0, 0);
    ::SendMessageW(hList, CB_SETCURSEL, nIndex >= 0 && nIndex < nCount ? nIndex : -1, 0);
}

void FitButtonToText(HWND hButton)
{
    if (!hButton)
        return;
    const int nLen = ::GetWindowTextLengthW(hButton);
    std::wstring sText(static_cast<size_t>(nLen) + 1, L'\0');
    ::GetWindowTextW(hButton, sText.data(), nLen + 1);
    sText.resize(static_cast<size_t>(nLen));
    HDC hDC = ::GetDC(hButton);
    if (!hDC)
        return;
    HGDIOBJ hOld = ::SelectObject(hDC, WindowFont(hButton));
    RECT rcText{};
    ::DrawTextW(hDC, sText.c_str(), -1, &rcText, DT_CALCRECT | DT_SINGLELINE);
    ::SelectObject(hDC, hOld);
    ::ReleaseDC(hButton, hDC);
    RECT rc{};
    ::GetClientRect(hButton, &rc);
    const UINT nDpi = WindowDpi(hButton);
    const int nWidth = ::GetSystemMetrics(SM_CXMENUCHECK) + ScaleForDpi(10, nDpi) + rcText.right;
    if (nWidth < rc.right)
        ::SetWindowPos(hButton, nullptr, 0, 0, nWidth, rc.bottom, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void MoveControlTo(HWND hCtrl, int nTop)
{
    HWND hParent = hCtrl ? ::GetParent(hCtrl) : nullptr;
    if (!hParent)
        return;
    const RECT rc = CWnd(hCtrl).GetWindowRectIn(hParent);
    ::SetWindowPos(hCtrl, nullptr, std::min(rc.left, rc.right), nTop, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

HWND CreatePageToolTip(HWND hPage)
{
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_BAR_CLASSES};
    ::InitCommonControlsEx(&icc);
    HWND hTip = ::CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX,
                                  CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, hPage, nullptr, nullptr,
                                  nullptr);
    if (hTip)
        ::SendMessageW(hTip, TTM_SETMAXTIPWIDTH, 0, ScaleForDpi(300, WindowDpi(hPage)));
    return hTip;
}

void AddPageToolTip(HWND hTip, HWND hCtrl, const std::wstring& sText)
{
    if (!hTip || !hCtrl)
        return;
    TOOLINFOW ti{};
    ti.cbSize = TTTOOLINFOW_V2_SIZE;
    ti.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    ti.hwnd = ::GetParent(hCtrl);
    ti.uId = reinterpret_cast<UINT_PTR>(hCtrl);
    std::wstring sCopy = sText;
    ti.lpszText = sCopy.data();
    ::SendMessageW(hTip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&ti));
}
