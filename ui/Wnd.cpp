#include "ui/Wnd.h"

#include <cwchar>
#include <vector>

namespace {

// The property that binds a window to its object. The name carries an address of this module,
// so that two copies of the library loaded at once never take each other's windows.
const wchar_t* BindingProperty()
{
    static wchar_t s_szName[48] = L"";
    if (!s_szName[0])
        std::swprintf(s_szName, 48, L"mvl.CWnd.%p", static_cast<void*>(s_szName));
    return s_szName;
}

HWND NotifyingControl(UINT nMsg, WPARAM wParam, LPARAM lParam, HWND hParent)
{
    switch (nMsg) {
    case WM_COMMAND:
    case WM_HSCROLL:
    case WM_VSCROLL:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC:
        return reinterpret_cast<HWND>(lParam);
    case WM_NOTIFY:
        return lParam ? reinterpret_cast<const NMHDR*>(lParam)->hwndFrom : nullptr;
    case WM_DRAWITEM: {
        const auto* pDis = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
        return pDis && pDis->CtlType != ODT_MENU ? pDis->hwndItem : nullptr;
    }
    case WM_MEASUREITEM: {
        const auto* pMis = reinterpret_cast<const MEASUREITEMSTRUCT*>(lParam);
        return pMis && pMis->CtlType != ODT_MENU ? ::GetDlgItem(hParent, static_cast<int>(pMis->CtlID)) : nullptr;
    }
    default:
        return nullptr;
    }
}

}  // namespace

CWnd::~CWnd()
{
    if (!m_bBound)
        return;
    // The derived parts of this object are gone: let the window's last messages go to its
    // own procedure, not to a half-destroyed object.
    HWND hWnd = m_hWnd;
    Detach();
    if (hWnd && ::IsWindow(hWnd))
        ::DestroyWindow(hWnd);
}

CWnd* CWnd::FromHandlePermanent(HWND hWnd)
{
    return hWnd ? static_cast<CWnd*>(::GetPropW(hWnd, BindingProperty())) : nullptr;
}

bool CWnd::RegisterWndClass(const wchar_t* pszClass, HINSTANCE hInstance, UINT nStyle, HCURSOR hCursor,
                            HBRUSH hBackground)
{
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    if (::GetClassInfoExW(hInstance, pszClass, &wc))
        return wc.lpfnWndProc == &CWnd::StdWndProc;
    wc.style = nStyle;
    wc.lpfnWndProc = &CWnd::StdWndProc;
    wc.hInstance = hInstance;
    wc.hCursor = hCursor ? hCursor : ::LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    wc.hbrBackground = hBackground;
    wc.lpszClassName = pszClass;
    return ::RegisterClassExW(&wc) != 0;
}

void CWnd::Attach(HWND hWnd, WNDPROC pfnSuper)
{
    m_hWnd = hWnd;
    m_pfnSuper = pfnSuper;
    m_bBound = true;
    ::SetPropW(hWnd, BindingProperty(), this);
}

void CWnd::Detach()
{
    if (m_hWnd && m_bBound) {
        ::RemovePropW(m_hWnd, BindingProperty());
        // Only give the procedure back while it is still ours (nobody subclassed after us).
        if (m_pfnSuper && reinterpret_cast<WNDPROC>(::GetWindowLongPtrW(m_hWnd, GWLP_WNDPROC)) == &CWnd::StdWndProc)
            ::SetWindowLongPtrW(m_hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_pfnSuper));
    }
    m_hWnd = nullptr;
    m_pfnSuper = nullptr;
    m_bBound = false;
}

BOOL CWnd::CreateEx(DWORD dwExStyle, const wchar_t* pszClass, const wchar_t* pszTitle, DWORD dwStyle, const RECT& rc,
                    HWND hParent, UINT nId, HINSTANCE hInstance)
{
    if (m_hWnd)
        return FALSE;
    HMENU hMenu = (dwStyle & WS_CHILD) ? reinterpret_cast<HMENU>(static_cast<UINT_PTR>(nId)) : nullptr;
    HWND hWnd = ::CreateWindowExW(dwExStyle, pszClass, pszTitle, dwStyle, rc.left, rc.top, rc.right - rc.left,
                                  rc.bottom - rc.top, hParent, hMenu, hInstance, this);
    if (!hWnd)
        return FALSE;
    // Classes of this framework bound the object at WM_NCCREATE; others are bound now.
    return FromHandlePermanent(hWnd) == this || SubclassWindow(hWnd);
}

BOOL CWnd::SubclassWindow(HWND hWnd)
{
    if (m_hWnd || !hWnd || FromHandlePermanent(hWnd))
        return FALSE;
    auto pfnOld = reinterpret_cast<WNDPROC>(
        ::SetWindowLongPtrW(hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CWnd::StdWndProc)));
    if (!pfnOld)
        return FALSE;
    Attach(hWnd, pfnOld);
    PreSubclassWindow();
    return TRUE;
}

BOOL CWnd::SubclassDlgItem(UINT nId, HWND hParent)
{
    return SubclassWindow(::GetDlgItem(hParent, static_cast<int>(nId)));
}

HWND CWnd::UnsubclassWindow()
{
    HWND hWnd = m_hWnd;
    Detach();
    return hWnd;
}

BOOL CWnd::DestroyWindow()
{
    if (!m_hWnd)
        return FALSE;
    if (!m_bBound) {
        // A view does not own its window.
        return FALSE;
    }
    return ::DestroyWindow(m_hWnd);
}

LRESULT CWnd::SendMessage(UINT nMsg, WPARAM wParam, LPARAM lParam) const
{
    return ::SendMessageW(m_hWnd, nMsg, wParam, lParam);
}

BOOL CWnd::PostMessage(UINT nMsg, WPARAM wParam, LPARAM lParam) const
{
    return ::PostMessageW(m_hWnd, nMsg, wParam, lParam);
}

std::wstring CWnd::GetWindowText() const
{
    int n = ::GetWindowTextLengthW(m_hWnd);
    if (n <= 0)
        return {};
    std::vector<wchar_t> buf(static_cast<size_t>(n) + 1);
    int nGot = ::GetWindowTextW(m_hWnd, buf.data(), n + 1);
    return std::wstring(buf.data(), static_cast<size_t>(nGot > 0 ? nGot : 0));
}

RECT CWnd::GetClientRect() const
{
    RECT rc{};
    ::GetClientRect(m_hWnd, &rc);
    return rc;
}

RECT CWnd::GetWindowRect() const
{
    RECT rc{};
    ::GetWindowRect(m_hWnd, &rc);
    return rc;
}

RECT CWnd::GetWindowRectIn(HWND hOther) const
{
    RECT rc = GetWindowRect();
    ::MapWindowPoints(nullptr, hOther, reinterpret_cast<POINT*>(&rc), 2);
    return rc;
}

BOOL CWnd::MoveWindow(const RECT& rc, BOOL bRepaint) const
{
    return ::MoveWindow(m_hWnd, rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top, bRepaint);
}

BOOL CWnd::PreTranslateMessage(MSG*)
{
    return FALSE;
}

BOOL CWnd::WalkPreTranslateTree(HWND hStop, MSG* pMsg)
{
    for (HWND hWnd = pMsg->hwnd; hWnd; hWnd = ::GetParent(hWnd)) {
        CWnd* pWnd = FromHandlePermanent(hWnd);
        if (pWnd && pWnd->PreTranslateMessage(pMsg))
            return TRUE;
        if (hWnd == hStop)
            break;
    }
    return FALSE;
}

bool CWnd::OnChildNotify(UINT nMsg, WPARAM wParam, LPARAM lParam, LRESULT& lResult)
{
    return false;
}

bool CWnd::OnWndMsg(UINT nMsg, WPARAM wParam, LPARAM lParam, LRESULT& lResult)
{
    // Notifications about a bound child control go to that control first.
    if (HWND hChild = NotifyingControl(nMsg, wParam, lParam, m_hWnd); hChild && hChild != m_hWnd) {
        CWnd* pChild = FromHandlePermanent(hChild);
        if (pChild && pChild->OnChildNotify(nMsg, wParam, lParam, lResult))
            return true;
    }
    return m_map.Dispatch(nMsg, wParam, lParam, lResult);
}

LRESULT CWnd::DefWindowProc(UINT nMsg, WPARAM wParam, LPARAM lParam)
{
    if (m_pfnSuper)
        return ::CallWindowProcW(m_pfnSuper, m_hWnd, nMsg, wParam, lParam);
    return ::DefWindowProcW(m_hWnd, nMsg, wParam, lParam);
}

LRESULT CWnd::Default()
{
    return DefWindowProc(m_current.message, m_current.wParam, m_current.lParam);
}

void CWnd::PaintsItself(std::function<void(HDC)> fnPaint)
{
    m_map.OnRaw(WM_PAINT, [this, fnPaint = std::move(fnPaint)](WPARAM, LPARAM, LRESULT& lResult) {
        PAINTSTRUCT ps{};
        if (HDC hDC = ::BeginPaint(m_hWnd, &ps)) {
            fnPaint(hDC);
            ::EndPaint(m_hWnd, &ps);
        }
        lResult = 0;
        return true;
    });
    m_map.OnRaw(WM_ERASEBKGND, [](WPARAM, LPARAM, LRESULT& lResult) {
        lResult = 1;
        return true;
    });
}

bool CWnd::DispatchOnly(UINT nMsg, WPARAM wParam, LPARAM lParam, LRESULT& lResult)
{
    MSG previous = m_current;
    m_current.message = nMsg;
    m_current.wParam = wParam;
    m_current.lParam = lParam;
    ++m_nDepth;
    bool bHandled = OnWndMsg(nMsg, wParam, lParam, lResult);
    m_current = previous;
    LeaveMessage();
    return bHandled;
}

void CWnd::LeaveMessage()
{
    // The object may delete itself in PostNcDestroy: nothing of it is touched afterwards.
    if (--m_nDepth == 0 && m_bNcDestroyed) {
        m_bNcDestroyed = false;
        PostNcDestroy();
    }
}

LRESULT CWnd::WindowProc(UINT nMsg, WPARAM wParam, LPARAM lParam)
{
    MSG previous = m_current;
    m_current.message = nMsg;
    m_current.wParam = wParam;
    m_current.lParam = lParam;
    ++m_nDepth;
    LRESULT lResult = 0;
    if (!OnWndMsg(nMsg, wParam, lParam, lResult))
        lResult = DefWindowProc(nMsg, wParam, lParam);
    m_current = previous;
    if (nMsg == WM_NCDESTROY) {
        Detach();
        m_bNcDestroyed = true;
    }
    LeaveMessage();
    return lResult;
}

LRESULT CALLBACK CWnd::StdWndProc(HWND hWnd, UINT nMsg, WPARAM wParam, LPARAM lParam)
{
    CWnd* pWnd = FromHandlePermanent(hWnd);
    if (!pWnd && nMsg == WM_NCCREATE) {
        // A class registered with RegisterWndClass: the object comes with the creation data.
        const auto* pCs = reinterpret_cast<const CREATESTRUCTW*>(lParam);
        pWnd = pCs ? static_cast<CWnd*>(pCs->lpCreateParams) : nullptr;
        if (pWnd)
            pWnd->Attach(hWnd, nullptr);
    }
    if (!pWnd)
        return ::DefWindowProcW(hWnd, nMsg, wParam, lParam);
    return pWnd->WindowProc(nMsg, wParam, lParam);
}
