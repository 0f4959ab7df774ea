#include "ui/PostingWorker.h"

#include <mutex>

struct CPostingWorker::SShared {
    std::mutex mutex;
    HWND hWnd = nullptr;
    UINT nMsg = 0;
    bool bAbandoned = false;
    bool bDone = false;
    std::function<WPARAM()> work;
};

namespace {

struct SModuleRelease {
    void operator()(HMODULE h) const { ::FreeLibrary(h); }
};
using CModuleRef = std::unique_ptr<std::remove_pointer_t<HMODULE>, SModuleRelease>;

// A reference on the module holding this code, for the thread's life.
CModuleRef ReferenceThisModule()
{
    HMODULE h = nullptr;
    ::GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS,
                         reinterpret_cast<LPCWSTR>(&ReferenceThisModule), &h);
    return CModuleRef(h);
}

}  // namespace

struct CPostingWorker::SThreadStart {
    std::shared_ptr<SShared> pShared;
    CModuleRef module;
};

bool CPostingWorker::Start(HWND hWnd, UINT nMsg, std::function<WPARAM()> work)
{
    if (Running() || !work)
        return false;
    auto pShared = std::make_shared<SShared>();
    pShared->hWnd = hWnd;
    pShared->nMsg = nMsg;
    pShared->work = std::move(work);
    auto pStart = std::make_unique<SThreadStart>(SThreadStart{pShared, ReferenceThisModule()});
    if (!pStart->module)
        return false;
    HANDLE hThread = ::CreateThread(nullptr, 0, &CPostingWorker::ThreadMain, pStart.get(), 0, nullptr);
    if (!hThread)
        return false;
    // The thread owns its start block now.
    static_cast<void>(pStart.release());
    ::CloseHandle(hThread);
    m_pShared = std::move(pShared);
    return true;
}

DWORD WINAPI CPostingWorker::ThreadMain(void* pParam)
{
    HMODULE hModule = nullptr;
    {
        std::unique_ptr<SThreadStart> pStart(static_cast<SThreadStart*>(pParam));
        SShared& shared = *pStart->pShared;
        WPARAM nResult = static_cast<WPARAM>(-1);
        try {
            nResult = shared.work();
        } catch (...) {
        }
        {
            std::lock_guard lock(shared.mutex);
            shared.bDone = true;
            if (!shared.bAbandoned)
                ::PostMessageW(shared.hWnd, shared.nMsg, nResult, 0);
        }
        // The work's captures go here, while this module is still surely loaded.
        shared.work = nullptr;
        hModule = pStart->module.release();
    }
    // Drops the last reference this thread held on the module and ends without returning
    // into code that may be gone.
    ::FreeLibraryAndExitThread(hModule, 0);
    return 0;
}

bool CPostingWorker::Running() const
{
    if (!m_pShared)
        return false;
    std::lock_guard lock(m_pShared->mutex);
    return !m_pShared->bDone && !m_pShared->bAbandoned;
}

void CPostingWorker::Abandon()
{
    if (!m_pShared)
        return;
    {
        std::lock_guard lock(m_pShared->mutex);
        m_pShared->bAbandoned = true;
    }
    m_pShared.reset();
}
