// A stand-in source manager for the notification tests: its DSM_Entry records what the
// source sends and on which thread. Loaded by the tests under the name TWAINDSM.dll.
#include <windows.h>

#include <atomic>

#include "twain/TwainTypes.h"

namespace {

std::atomic<long> g_nCalls[4];  // by message: 0 other, 1 XFERREADY, 2 CLOSEDSREQ, 3 CLOSEDSOK
std::atomic<DWORD> g_dwLastThread{0};
std::atomic<long> g_nBadCalls{0};

}  // namespace

extern "C" __declspec(dllexport) TW_UINT16 TW_CALLINGSTYLE DSM_Entry(TW_IDENTITY* pOrigin, TW_IDENTITY* pDest,
                                                                     TW_UINT32 DG, TW_UINT16 DAT, TW_UINT16 MSG,
                                                                     TW_MEMREF pData)
{
    // Exactly what a source may send: its own identity, the application's, no data.
    if (!pOrigin || !pDest || DG != DG_CONTROL || DAT != DAT_NULL || pData != nullptr || pOrigin->Id != 501 ||
        pDest->Id != 77) {
        ++g_nBadCalls;
        return TWRC_FAILURE;
    }
    int nSlot = MSG >= MSG_XFERREADY && MSG <= MSG_CLOSEDSOK ? MSG - MSG_XFERREADY + 1 : 0;
    ++g_nCalls[nSlot];
    g_dwLastThread = GetCurrentThreadId();
    return TWRC_SUCCESS;
}

extern "C" __declspec(dllexport) long FakeDsm_Calls(int nMsg)
{
    int nSlot = nMsg >= MSG_XFERREADY && nMsg <= MSG_CLOSEDSOK ? nMsg - MSG_XFERREADY + 1 : 0;
    return g_nCalls[nSlot];
}

extern "C" __declspec(dllexport) long FakeDsm_BadCalls()
{
    return g_nBadCalls;
}

extern "C" __declspec(dllexport) DWORD FakeDsm_LastThread()
{
    return g_dwLastThread;
}

extern "C" __declspec(dllexport) void FakeDsm_Reset()
{
    for (auto& n : g_nCalls)
        n = 0;
    g_nBadCalls = 0;
    g_dwLastThread = 0;
}
