// A get-message hook on the calling thread, for modeless windows served by somebody else's
// message loop (the application's): they see each message as it leaves the queue and may
// take it. One system hook per thread serves all hook objects of that thread.
#pragma once

#include <windows.h>

#include <functional>

class CGetMessageHook {
public:
    // bRemoved: the message is leaving the queue (not a peek that leaves it there). Empty the
    // message (WM_NULL) to take it.
    using Callback = std::function<void(MSG& msg, bool bRemoved)>;

    explicit CGetMessageHook(Callback fn);
    ~CGetMessageHook();
    CGetMessageHook(const CGetMessageHook&) = delete;
    CGetMessageHook& operator=(const CGetMessageHook&) = delete;

    bool Installed() const { return m_bInstalled; }

private:
    static LRESULT CALLBACK HookProc(int nCode, WPARAM wParam, LPARAM lParam);

    Callback m_fn;
    DWORD m_dwThreadId;
    bool m_bInstalled = false;
    // All hooks of the process, newest first.
    CGetMessageHook* m_pNext = nullptr;
};
