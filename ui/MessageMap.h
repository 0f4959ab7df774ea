// Message handlers as member functions. Each window object keeps a table of keys
// (message, control id range, notification code) and handlers bound to the object.
// A later registration is looked up first, so a derived class overrides what its base
// registered for the same key.
#pragma once

#include <windows.h>

#include <functional>
#include <vector>

class CMessageMap {
public:
    // A handler that may decline: it returns false to leave the message to the default handling.
    using RawHandler = std::function<bool(WPARAM wParam, LPARAM lParam, LRESULT& lResult)>;

    void OnRaw(UINT nMsg, RawHandler fn);
    void OnMessage(UINT nMsg, std::function<LRESULT(WPARAM, LPARAM)> fn);
    // WM_COMMAND from control nId with notification nCode (BN_CLICKED also covers menus and accelerators).
    void OnCommand(UINT nId, std::function<void()> fn, UINT nCode = BN_CLICKED);
    void OnCommandRange(UINT nFirst, UINT nLast, std::function<void(UINT nId)> fn, UINT nCode = BN_CLICKED);
    // WM_NOTIFY from control nId with notification code nCode.
    void OnNotify(UINT nId, UINT nCode, std::function<LRESULT(NMHDR*)> fn);
    void OnTimer(UINT_PTR nId, std::function<void()> fn);

    // Member-function forms: Map().OnCommand(IDOK, this, &CMyDialog::OnApply).
    template <class T>
    void OnCommand(UINT nId, T* pObj, void (T::*pfn)(), UINT nCode = BN_CLICKED)
    {
        OnCommand(nId, [pObj, pfn] { (pObj->*pfn)(); }, nCode);
    }
    template <class T>
    void OnMessage(UINT nMsg, T* pObj, LRESULT (T::*pfn)(WPARAM, LPARAM))
    {
        OnMessage(nMsg, [pObj, pfn](WPARAM w, LPARAM l) { return (pObj->*pfn)(w, l); });
    }
    template <class T>
    void OnTimer(UINT_PTR nId, T* pObj, void (T::*pfn)())
    {
        OnTimer(nId, [pObj, pfn] { (pObj->*pfn)(); });
    }

    // True when a handler took the message; lResult receives its answer.
    bool Dispatch(UINT nMsg, WPARAM wParam, LPARAM lParam, LRESULT& lResult) const;
    bool Empty() const { return m_entries.empty(); }

private:
    struct SEntry {
        UINT nMsg;
        UINT_PTR nIdFirst;
        UINT_PTR nIdLast;
        UINT nCode;
        bool bMatchId;
        RawHandler fn;
    };
    bool Matches(const SEntry& e, UINT nMsg, WPARAM wParam, LPARAM lParam) const;

    std::vector<SEntry> m_entries;
};
