// A window object bound to an HWND. Messages reach the object's message map through a
// subclassed window procedure; notifications a parent receives about a bound child control
// (owner drawing, colour requests, WM_NOTIFY, WM_COMMAND, scrolling) are first offered to
// that control's object, so that custom controls draw and answer for themselves.
// All windows of an object live on one thread (the application's); other threads only post.
#pragma once

#include <windows.h>

#include <string>

#include "ui/MessageMap.h"

class CWnd {
public:
    CWnd() = default;
    // A view of a window this object neither owns nor receives messages for.
    explicit CWnd(HWND hWnd) : m_hWnd(hWnd) {}
    virtual ~CWnd();
    CWnd(const CWnd&) = delete;
    CWnd& operator=(const CWnd&) = delete;

    HWND GetSafeHwnd() const { return m_hWnd; }
    operator HWND() const { return m_hWnd; }
    // The object bound to a window of this module, or null.
    static CWnd* FromHandlePermanent(HWND hWnd);

    // Creates a window and binds it. For a class registered with RegisterWndClass the object
    // receives every message from WM_NCCREATE on; for other classes (standard controls) every
    // message after creation.
    BOOL CreateEx(DWORD dwExStyle, const wchar_t* pszClass, const wchar_t* pszTitle, DWORD dwStyle, const RECT& rc,
                  HWND hParent, UINT nId, HINSTANCE hInstance = nullptr);
    // A window class whose windows are objects of this framework (custom controls).
    static bool RegisterWndClass(const wchar_t* pszClass, HINSTANCE hInstance, UINT nStyle = CS_DBLCLKS,
                                 HCURSOR hCursor = nullptr, HBRUSH hBackground = nullptr);

    // Routes an existing window's messages through this object (custom controls on dialogs).
    BOOL SubclassWindow(HWND hWnd);
    BOOL SubclassDlgItem(UINT nId, HWND hParent);
    // Gives the window its own procedure back and forgets it.
    HWND UnsubclassWindow();
    BOOL DestroyWindow();

    LRESULT SendMessage(UINT nMsg, WPARAM wParam = 0, LPARAM lParam = 0) const;
    BOOL PostMessage(UINT nMsg, WPARAM wParam = 0, LPARAM lParam = 0) const;
    BOOL ShowWindow(int nCmdShow) const { return ::ShowWindow(m_hWnd, nCmdShow); }
    BOOL IsWindowVisible() const { return ::IsWindowVisible(m_hWnd); }
    BOOL EnableWindow(BOOL bEnable = TRUE) const { return ::EnableWindow(m_hWnd, bEnable); }
    HWND GetDlgItem(int nId) const { return ::GetDlgItem(m_hWnd, nId); }
    void SetWindowText(const std::wstring& sText) const { ::SetWindowTextW(m_hWnd, sText.c_str()); }
    std::wstring GetWindowText() const;
    RECT GetClientRect() const;
    RECT GetWindowRect() const;
    // The window's rectangle in the client coordinates of hOther (usually its parent).
    RECT GetWindowRectIn(HWND hOther) const;
    BOOL MoveWindow(const RECT& rc, BOOL bRepaint = TRUE) const;
    void Invalidate(BOOL bErase = TRUE) const { ::InvalidateRect(m_hWnd, nullptr, bErase); }
    UINT_PTR SetTimer(UINT_PTR nId, UINT nMillis) const { return ::SetTimer(m_hWnd, nId, nMillis, nullptr); }
    BOOL KillTimer(UINT_PTR nId) const { return ::KillTimer(m_hWnd, nId); }

    // A chance to handle a message before it is translated and dispatched; TRUE when taken.
    virtual BOOL PreTranslateMessage(MSG* pMsg);
    // Offers a message to the objects of its window and that window's ancestors up to and
    // including hStop (or to the top); TRUE when one took it.
    static BOOL WalkPreTranslateTree(HWND hStop, MSG* pMsg);

    // A notification the parent received about this control; true when this control answered.
    virtual bool OnChildNotify(UINT nMsg, WPARAM wParam, LPARAM lParam, LRESULT& lResult);

protected:
    CMessageMap& Map() { return m_map; }
    // The whole handling of a message by the object: the map, then (not handled) false.
    virtual bool OnWndMsg(UINT nMsg, WPARAM wParam, LPARAM lParam, LRESULT& lResult);
    // What the window does without this object: its former procedure, or DefWindowProc.
    virtual LRESULT DefWindowProc(UINT nMsg, WPARAM wParam, LPARAM lParam);
    // The message being handled, handled the default way; for use inside a handler.
    LRESULT Default();
    // For controls that draw every pixel themselves: WM_PAINT goes to fnPaint with the paint
    // context, and the background is never erased (it would flicker under the drawing).
    void PaintsItself(std::function<void(HDC)> fnPaint);
    // After the last message of the window (the handle is already forgotten); self-owning
    // windows may delete themselves here.
    virtual void PostNcDestroy() {}
    // Right after SubclassWindow bound an existing window: controls adjust its styles here.
    virtual void PreSubclassWindow() {}

    // OnWndMsg with the message recorded for Default(), without the default handling (a dialog's
    // first message, which the dialog manager handles by default itself).
    bool DispatchOnly(UINT nMsg, WPARAM wParam, LPARAM lParam, LRESULT& lResult);

    // Binding used by the dialog: takes over the window procedure of a window just created.
    void Attach(HWND hWnd, WNDPROC pfnSuper);
    static LRESULT CALLBACK StdWndProc(HWND hWnd, UINT nMsg, WPARAM wParam, LPARAM lParam);

    HWND m_hWnd = nullptr;

private:
    LRESULT WindowProc(UINT nMsg, WPARAM wParam, LPARAM lParam);
    void Detach();
    // Calls PostNcDestroy once no message of this object is being handled any more.
    void LeaveMessage();

    CMessageMap m_map;
    WNDPROC m_pfnSuper = nullptr;
    bool m_bBound = false;
    MSG m_current{};
    int m_nDepth = 0;
    bool m_bNcDestroyed = false;
};
