#include "twaindsm/DsmMemory.h"

#include <windows.h>

TW_HANDLE TW_CALLINGSTYLE DsmMemAllocate(TW_UINT32 nSize)
{
    return GlobalAlloc(GHND, nSize);
}

void TW_CALLINGSTYLE DsmMemFree(TW_HANDLE hMem)
{
    if (hMem)
        GlobalFree(hMem);
}

TW_MEMREF TW_CALLINGSTYLE DsmMemLock(TW_HANDLE hMem)
{
    return hMem ? GlobalLock(hMem) : nullptr;
}

void TW_CALLINGSTYLE DsmMemUnlock(TW_HANDLE hMem)
{
    if (hMem)
        GlobalUnlock(hMem);
}

void FillEntryPoint(TW_ENTRYPOINT* pEntry, DSMENTRYPROC pfnEntry)
{
    pEntry->Size = sizeof(TW_ENTRYPOINT);
    pEntry->DSM_Entry = pfnEntry;
    pEntry->DSM_MemAllocate = reinterpret_cast<TW_MEMREF>(&DsmMemAllocate);
    pEntry->DSM_MemFree = reinterpret_cast<TW_MEMREF>(&DsmMemFree);
    pEntry->DSM_MemLock = reinterpret_cast<TW_MEMREF>(&DsmMemLock);
    pEntry->DSM_MemUnlock = reinterpret_cast<TW_MEMREF>(&DsmMemUnlock);
}
