#include "ui/MessageMap.h"

void CMessageMap::OnRaw(UINT nMsg, RawHandler fn)
{
    m_entries.push_back({nMsg, 0, 0, 0, false, std::move(fn)});
}

void CMessageMap::OnMessage(UINT nMsg, std::function<LRESULT(WPARAM, LPARAM)> fn)
{
    OnRaw(nMsg, [fn = std::move(fn)](WPARAM w, LPARAM l, LRESULT& r) {
        r = fn(w, l);
        return true;
    });
}

void CMessageMap::OnCommand(UINT nId, std::function<void()> fn, UINT nCode)
{
    m_entries.push_back({WM_COMMAND, nId, nId, nCode, true, [fn = std::move(fn)](WPARAM, LPARAM, LRESULT& r) {
                             fn();
                             r = 0;
                             return true;
                         }});
}

void CMessageMap::OnCommandRange(UINT nFirst, UINT nLast, std::function<void(UINT)> fn, UINT nCode)
{
    m_entries.push_back({WM_COMMAND, nFirst, nLast, nCode, true, [fn = std::move(fn)](WPARAM w, LPARAM, LRESULT& r) {
                             fn(LOWORD(w));
                             r = 0;
                             return true;
                         }});
}

void CMessageMap::OnNotify(UINT nId, UINT nCode, std::function<LRESULT(NMHDR*)> fn)
{
    m_entries.push_back({WM_NOTIFY, nId, nId, nCode, true, [fn = std::move(fn)](WPARAM, LPARAM l, LRESULT& r) {
                             r = fn(reinterpret_cast<NMHDR*>(l));
                             return true;
                         }});
}

void CMessageMap::OnTimer(UINT_PTR nId, std::function<void()> fn)
{
    m_entries.push_back({WM_TIMER, nId, nId, 0, true, [fn = std::move(fn)](WPARAM, LPARAM, LRESULT& r) {
                             fn();
                             r = 0;
                             return true;
                         }});
}

bool CMessageMap::Matches(const SEntry& e, UINT nMsg, WPARAM wParam, LPARAM lParam) const
{
    if (e.nMsg != nMsg)
        return false;
    if (!e.bMatchId)
        return true;
    switch (nMsg) {
    case WM_COMMAND:
        return LOWORD(wParam) >= e.nIdFirst && LOWORD(wParam) <= e.nIdLast && HIWORD(wParam) == e.nCode;
    case WM_NOTIFY: {
        const auto* pHdr = reinterpret_cast<const NMHDR*>(lParam);
        return pHdr && pHdr->idFrom >= e.nIdFirst && pHdr->idFrom <= e.nIdLast && pHdr->code == e.nCode;
    }
    case WM_TIMER:
        return wParam >= e.nIdFirst && wParam <= e.nIdLast;
    default:
        return true;
    }
}

bool CMessageMap::Dispatch(UINT nMsg, WPARAM wParam, LPARAM lParam, LRESULT& lResult) const
{
    for (size_t i = m_entries.size(); i-- > 0;) {
        if (!Matches(m_entries[i], nMsg, wParam, lParam))
            continue;
        // A handler may register handlers (appended, so lower indexes stay valid) or destroy its
        // window and object: call a copy, and touch the table again only when it declined.
        RawHandler fn = m_entries[i].fn;
        if (fn(wParam, lParam, lResult))
            return true;
    }
    return false;
}
