// The memory functions the manager hands to applications and sources through DAT_ENTRYPOINT:
// movable global memory, so that containers cross the boundary the way TWAIN 1 containers did.
#pragma once

#include "twain/TwainTypes.h"

TW_HANDLE TW_CALLINGSTYLE DsmMemAllocate(TW_UINT32 nSize);
void TW_CALLINGSTYLE DsmMemFree(TW_HANDLE hMem);
TW_MEMREF TW_CALLINGSTYLE DsmMemLock(TW_HANDLE hMem);
void TW_CALLINGSTYLE DsmMemUnlock(TW_HANDLE hMem);

// Fills the entry point record; the DSM_Entry member is the exported entry.
void FillEntryPoint(TW_ENTRYPOINT* pEntry, DSMENTRYPROC pfnEntry);
