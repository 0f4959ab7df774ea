#include "ui/MessageHook.h"

#include <vector>

namespace {

// The registry is plain data behind a slim lock: hooks may still be removed while the library's
// static objects are being destroyed at unload, so nothing here may have a destructor.
struct SThreadHook {
    DWORD dwThreadId;
    HHOOK hHook;
    int nHooks;
};
constexpr int kMaxThreads = 16;
SThreadHook s_threads[kMaxThreads];
CGetMessageHook* s_pFirst = nullptr;
SRWLOCK s_lock = SRWLOCK_INIT;

class CLock {
public:
    CLock() { AcquireSRWLockExclusive(&s_lock); }
    ~CLock() { ReleaseSRWLockExclusive(&s_lock); }
    CLock(const CLock&) = delete;
    CLock& operator=(const CLock&) = delete;
};

SThreadHook* FindThread(DWORD dwThreadId)
{
    for (SThreadHook& t : s_threads) {
        if (t.nHooks > 0 && t.dwThreadId == dwThreadId)
            return &t;
    }
    return nullptr;
}

SThreadHook* FreeSlot()
{
    for (SThreadHook& t : s_threads) {
        if (t.nHooks == 0)
            return &t;
    }
    return nullptr;
}

}  // namespace

CGetMessageHook::CGetMessageHook(Callback fn) : m_fn(std::move(fn)), m_dwThreadId(::GetCurrentThreadId())
{
    CLock lock;
    SThreadHook* pThread = FindThread(m_dwThreadId);
    if (!pThread) {
        pThread = FreeSlot();
        if (!pThread)
            return;
        HHOOK hHook = ::SetWindowsHookExW(WH_GETMESSAGE, &CGetMessageHook::HookProc, nullptr, m_dwThreadId);
        if (!hHook)
            return;
        *pThread = SThreadHook{m_dwThreadId, hHook, 0};
    }
    ++pThread->nHooks;
    m_pNext = s_pFirst;
    s_pFirst = this;
    m_bInstalled = true;
}

CGetMessageHook::~CGetMessageHook()
{
    if (!m_bInstalled)
        return;
    CLock lock;
    for (CGetMessageHook** pp = &s_pFirst; *pp; pp = &(*pp)->m_pNext) {
        if (*pp == this) {
            *pp = m_pNext;
            break;
        }
    }
    if (SThreadHook* pThread = FindThread(m_dwThreadId); pThread && --pThread->nHooks == 0)
        ::UnhookWindowsHookEx(pThread->hHook);
}

LRESULT CALLBACK CGetMessageHook::HookProc(int nCode, WPARAM wParam, LPARAM lParam)
{
    if (nCode != HC_ACTION || !lParam)
        return ::CallNextHookEx(nullptr, nCode, wParam, lParam);
    auto* pMsg = reinterpret_cast<MSG*>(lParam);
    DWORD dwThreadId = ::GetCurrentThreadId();
    std::vector<CGetMessageHook*> snapshot;
    {
        CLock lock;
        for (CGetMessageHook* p = s_pFirst; p; p = p->m_pNext) {
            if (p->m_dwThreadId == dwThreadId)
                snapshot.push_back(p);
        }
    }
    // Oldest first, as the hooks were installed.
    for (auto it = snapshot.rbegin(); it != snapshot.rend() && pMsg->message != WM_NULL; ++it) {
        // A callback may remove hooks (its window closing): call only those still present.
        Callback fn;
        {
            CLock lock;
            bool bPresent = false;
            for (CGetMessageHook* p = s_pFirst; p && !bPresent; p = p->m_pNext)
                bPresent = p == *it;
            if (!bPresent)
                continue;
            fn = (*it)->m_fn;
        }
        fn(*pMsg, wParam == PM_REMOVE);
    }
    return ::CallNextHookEx(nullptr, nCode, wParam, lParam);
}
