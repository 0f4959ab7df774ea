// MinGW has no __try. A vectored exception handler sees a processor fault first, on the
// faulting thread; when that thread is inside a guard, the handler resumes it at the guard's
// recovery point instead: the register state the guard captured on entry. The guard's frame
// stays alive for the whole guarded call, so resuming there is like returning from the
// capture a second time, with the mark set.
#include "device/FaultGuard.h"

#include <windows.h>

namespace {

struct SGuardFrame {
    CONTEXT recovery;               // 16-byte aligned by its own declaration
    volatile LONG bFaulted;
    volatile DWORD dwCode;
    SGuardFrame* pOuter;
};

thread_local unsigned long t_nLastFault = 0;
thread_local unsigned long t_nCaught = 0;

bool IsProcessorFault(DWORD dwCode)
{
    switch (dwCode) {
    case EXCEPTION_ACCESS_VIOLATION:
    case EXCEPTION_ARRAY_BOUNDS_EXCEEDED:
    case EXCEPTION_DATATYPE_MISALIGNMENT:
    case EXCEPTION_FLT_DENORMAL_OPERAND:
    case EXCEPTION_FLT_DIVIDE_BY_ZERO:
    case EXCEPTION_FLT_INEXACT_RESULT:
    case EXCEPTION_FLT_INVALID_OPERATION:
    case EXCEPTION_FLT_OVERFLOW:
    case EXCEPTION_FLT_STACK_CHECK:
    case EXCEPTION_FLT_UNDERFLOW:
    case EXCEPTION_ILLEGAL_INSTRUCTION:
    case EXCEPTION_IN_PAGE_ERROR:
    case EXCEPTION_INT_DIVIDE_BY_ZERO:
    case EXCEPTION_INT_OVERFLOW:
    case EXCEPTION_PRIV_INSTRUCTION:
        return true;
    default:
        // Everything else (C++ exceptions, debugger notifications, a library's own
        // structured exceptions it handles itself) goes its ordinary way.
        return false;
    }
}

// The innermost guard of each thread lives in a system TLS slot: reading it inside the
// handler allocates nothing, whatever the faulting thread was doing.
DWORD g_dwTlsSlot = TLS_OUT_OF_INDEXES;

LONG CALLBACK OnException(EXCEPTION_POINTERS* pInfo)
{
    if (!pInfo || !IsProcessorFault(pInfo->ExceptionRecord->ExceptionCode) || g_dwTlsSlot == TLS_OUT_OF_INDEXES)
        return EXCEPTION_CONTINUE_SEARCH;
    DWORD dwLastError = GetLastError();
    auto* pFrame = static_cast<SGuardFrame*>(TlsGetValue(g_dwTlsSlot));
    SetLastError(dwLastError);
    if (!pFrame)
        return EXCEPTION_CONTINUE_SEARCH;
    pFrame->bFaulted = 1;
    pFrame->dwCode = pInfo->ExceptionRecord->ExceptionCode;
    *pInfo->ContextRecord = pFrame->recovery;
    return EXCEPTION_CONTINUE_EXECUTION;
}

// Set up on first use and removed when the module holding it unloads, so that no handler
// points into freed code.
class CGuardRuntime {
public:
    CGuardRuntime()
    {
        g_dwTlsSlot = TlsAlloc();
        if (g_dwTlsSlot != TLS_OUT_OF_INDEXES)
            m_pHandler = AddVectoredExceptionHandler(1, &OnException);
    }
    ~CGuardRuntime()
    {
        if (m_pHandler)
            RemoveVectoredExceptionHandler(m_pHandler);
        if (g_dwTlsSlot != TLS_OUT_OF_INDEXES)
            TlsFree(g_dwTlsSlot);
        g_dwTlsSlot = TLS_OUT_OF_INDEXES;
    }
    CGuardRuntime(const CGuardRuntime&) = delete;
    CGuardRuntime& operator=(const CGuardRuntime&) = delete;
    bool Ready() const { return m_pHandler != nullptr; }

private:
    PVOID m_pHandler = nullptr;
};

}  // namespace

__attribute__((noinline)) int CallGuarded(GuardedCall pfn, void* pContext)
{
    static CGuardRuntime s_runtime;
    if (!pfn)
        return -1;
    SGuardFrame frame;
    frame.bFaulted = 0;
    frame.dwCode = 0;
    frame.pOuter = s_runtime.Ready() ? static_cast<SGuardFrame*>(TlsGetValue(g_dwTlsSlot)) : nullptr;
    RtlCaptureContext(&frame.recovery);
    // Reached twice when the call faults: once now, once more when the handler resumes here.
    if (frame.bFaulted) {
        TlsSetValue(g_dwTlsSlot, frame.pOuter);
        t_nLastFault = frame.dwCode;
        ++t_nCaught;
        return -1;
    }
    if (s_runtime.Ready())
        TlsSetValue(g_dwTlsSlot, &frame);
    int nResult;
    try {
        nResult = pfn(pContext);
    } catch (...) {
        ++t_nCaught;
        nResult = -1;
    }
    if (s_runtime.Ready())
        TlsSetValue(g_dwTlsSlot, frame.pOuter);
    return nResult;
}

unsigned long LastGuardFaultCode() { return t_nLastFault; }
unsigned long GuardCatchCount() { return t_nCaught; }
