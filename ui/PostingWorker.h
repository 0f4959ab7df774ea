// One piece of work on a thread of its own whose answer reaches a window as a posted message:
// the window's thread stays responsive meanwhile. The window may go before the work ends (a
// network search that never answers): Abandon, which the destructor performs, cuts the thread
// off, so that it posts nothing and touches nothing of the window's owner; the thread ends by
// itself whenever the work returns, holding what the work needs (its captures) and a reference
// on this module until then, so that unloading the data source never pulls code from under it.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>

class CPostingWorker {
public:
    CPostingWorker() = default;
    ~CPostingWorker() { Abandon(); }
    CPostingWorker(const CPostingWorker&) = delete;
    CPostingWorker& operator=(const CPostingWorker&) = delete;

    // Runs work and posts nMsg with its result as the first parameter to hWnd. False while an
    // earlier work runs, or when no thread could be started. A work that throws answers -1.
    bool Start(HWND hWnd, UINT nMsg, std::function<WPARAM()> work);
    // Until the answer has been posted (or the work was abandoned).
    bool Running() const;
    void Abandon();

private:
    struct SShared;
    struct SThreadStart;
    static DWORD WINAPI ThreadMain(void* pParam);

    std::shared_ptr<SShared> m_pShared;
};
