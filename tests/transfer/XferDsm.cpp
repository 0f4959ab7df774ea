// A source manager stand-in for the acquisition tests: DSM_Entry counts the notifications a
// source sends, whoever sends them. Loaded by the tests under the name TWAINDSM.dll.
#include <windows.h>

#include <atomic>

#include "twain/TwainTypes.h"

namespace {

std::atomic<long> g_nCalls[4];  // 0 other, 1 XFERREADY, 2 CLOSEDSREQ, 3 CLOSEDSOK

}  // namespace

extern "C" __declspec(dllexport) TW_UINT16 TW_CALLINGSTYLE DSM_Entry(TW_IDENTITY*, TW_IDENTITY*, TW_UINT32 DG,
                                                                     TW_UINT16 DAT, TW_UINT16 MSG, TW_MEMREF)
{
    int nSlot = DG == DG_CONTROL && DAT == DAT_NULL && MSG >= MSG_XFERREADY && MSG <= MSG_CLOSEDSOK
                    ? MSG - MSG_XFERREADY + 1
                    : 0;
    ++g_nCalls[nSlot];
    return TWRC_SUCCESS;
}

extern "C" __declspec(dllexport) long XferDsm_Calls(int nMsg)
{
    int nSlot = nMsg >= MSG_XFERREADY && nMsg <= MSG_CLOSEDSOK ? nMsg - MSG_XFERREADY + 1 : 0;
    return g_nCalls[nSlot];
}

extern "C" __declspec(dllexport) void XferDsm_Reset()
{
    for (auto& n : g_nCalls)
        n = 0;
}
