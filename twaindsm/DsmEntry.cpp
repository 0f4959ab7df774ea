// The one export: the TWAIN source manager entry, undecorated.
#include <windows.h>

#include "twaindsm/SourceManager.h"

extern "C" __declspec(dllexport) TW_UINT16 TW_CALLINGSTYLE DSM_Entry(TW_IDENTITY* pOrigin, TW_IDENTITY* pDest,
                                                                   TW_UINT32 DG, TW_UINT16 DAT, TW_UINT16 MSG,
                                                                   TW_MEMREF pData)
{
    // Nothing thrown inside (a full allocation, a bad container) may cross into a C caller.
    try {
        return TheSourceManager().Entry(pOrigin, pDest, DG, DAT, MSG, pData);
    } catch (...) {
        return TWRC_FAILURE;
    }
}
