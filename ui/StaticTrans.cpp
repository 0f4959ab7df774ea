#include "ui/StaticTrans.h"

#include <commctrl.h>

#include "ui/ControlHost.h"
#include "ui/DialogSkin.h"

CStaticTrans::CStaticTrans() : m_crText(::GetSysColor(COLOR_BTNTEXT))
{
    Map().OnRaw(WM_SETTEXT, [this](WPARAM, LPARAM, LRESULT& lResult) {
        lResult = Default();
        RedrawUnder(m_hWnd, 2);
        return true;
    });
    for (UINT nMsg : {WM_MOUSEMOVE, WM_LBUTTONDOWN, WM_LBUTTONUP, WM_RBUTTONDOWN, WM_RBUTTONUP}) {
        Map().OnRaw(nMsg, [this, nMsg](WPARAM wParam, LPARAM lParam, LRESULT&) {
            RelayToTooltip(nMsg, wParam, lParam);
            return false;
        });
    }
    Map().OnRaw(WM_DESTROY, [this](WPARAM, LPARAM, LRESULT&) {
        DestroyTooltip();
        return false;
    });
}

CStaticTrans::~CStaticTrans()
{
    DestroyTooltip();
}

void CStaticTrans::SetColors(COLORREF crText, COLORREF crBack)
{
    m_crText = crText;
    m_crBack = crBack;
    m_brBack.Reset(crBack == kTransparent ? nullptr : ::CreateSolidBrush(crBack));
    if (m_hWnd)
        RedrawUnder(m_hWnd, 2);
}

bool CStaticTrans::OnChildNotify(UINT nMsg, WPARAM wParam, LPARAM, LRESULT& lResult)
{
    if (nMsg != WM_CTLCOLORSTATIC)
        return false;
    auto hDC = reinterpret_cast<HDC>(wParam);
    ::SetTextColor(hDC, m_crText);
    if (m_crBack == kTransparent || !m_brBack) {
        ::SetBkMode(hDC, TRANSPARENT);
        lResult = reinterpret_cast<LRESULT>(::GetStockObject(NULL_BRUSH));
    } else {
        ::SetBkColor(hDC, m_crBack);
        lResult = reinterpret_cast<LRESULT>(m_brBack.Get());
    }
    return true;
}

void CStaticTrans::SetTooltipText(const std::wstring& sText)
{
    m_sTip = sText;
    if (!m_hWnd || (!m_hTip && !CreateTooltip()))
        return;
    TOOLINFOW ti{};
    ti.cbSize = TTTOOLINFOW_V2_SIZE;
    ti.hwnd = ::GetParent(m_hWnd);
    ti.uId = reinterpret_cast<UINT_PTR>(m_hWnd);
    ti.lpszText = m_sTip.data();
    ::SendMessageW(m_hTip, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&ti));
}

bool CStaticTrans::CreateTooltip()
{
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_BAR_CLASSES};
    ::InitCommonControlsEx(&icc);
    m_hTip = ::CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX,
                               CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, m_hWnd, nullptr, nullptr,
                               nullptr);
    if (!m_hTip)
        return false;
    // A label lets mouse messages through to its parent unless it notifies.
    ::SetWindowLongW(m_hWnd, GWL_STYLE, ::GetWindowLongW(m_hWnd, GWL_STYLE) | SS_NOTIFY);
    TOOLINFOW ti{};
    ti.cbSize = TTTOOLINFOW_V2_SIZE;
    ti.uFlags = TTF_IDISHWND;
    ti.hwnd = ::GetParent(m_hWnd);
    ti.uId = reinterpret_cast<UINT_PTR>(m_hWnd);
    ti.lpszText = m_sTip.data();
    if (!::SendMessageW(m_hTip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&ti))) {
        DestroyTooltip();
        return false;
    }
    ::SendMessageW(m_hTip, TTM_SETMAXTIPWIDTH, 0, ScaleForDpi(300, WindowDpi(m_hWnd)));
    ::SendMessageW(m_hTip, TTM_ACTIVATE, TRUE, 0);
    return true;
}

void CStaticTrans::DestroyTooltip()
{
    if (m_hTip && ::IsWindow(m_hTip))
        ::DestroyWindow(m_hTip);
    m_hTip = nullptr;
}

void CStaticTrans::RelayToTooltip(UINT nMsg, WPARAM wParam, LPARAM lParam)
{
    if (!m_hTip)
        return;
    MSG msg{m_hWnd, nMsg, wParam, lParam, static_cast<DWORD>(::GetMessageTime()), {}};
    ::GetCursorPos(&msg.pt);
    ::SendMessageW(m_hTip, TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(&msg));
}
