// The source manager's entry points. A TWAIN 2 manager hands them to a TWAIN 2 source with
// DAT_ENTRYPOINT before MSG_OPENDS: its DSM_Entry carries the notifications, its memory
// functions allocate what the source hands to the application (capability containers, native
// transfer bitmaps). Without them (a TWAIN 1 manager, or the 1.8 identity) the entry is taken
// from a manager already loaded in the process and memory is movable global memory. Nothing is
// ever loaded to find a manager.
#pragma once

#include <windows.h>

#include <cstddef>

#include "twain/TwainTypes.h"

// DAT_ENTRYPOINT MSG_SET: false, with nothing kept, for a record shorter than the standard's or
// whose entry is no function of a loaded library. The memory functions are used only when all
// four are.
bool SetManagerEntryPoints(const TW_ENTRYPOINT* pEntry);
// MSG_CLOSEDS: the session's entry points are forgotten.
void ForgetManagerEntryPoints();
bool HasManagerEntryPoints();

// The entry given with DAT_ENTRYPOINT, else that of a manager module already loaded
// ("TWAINDSM.DLL", then "TWAIN_32.DLL"); null when there is none.
DSMENTRYPROC FindDsmEntry();

// Memory the application receives and frees: the manager's when it gave its functions,
// movable zero-filled global memory otherwise. Null handles are ignored.
TW_HANDLE AppMemAlloc(size_t nBytes);
void* AppMemLock(TW_HANDLE h);
void AppMemUnlock(TW_HANDLE h);
void AppMemFree(TW_HANDLE h);
