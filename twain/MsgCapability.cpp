#include "twain/MsgCapability.h"

#include "twain/CapabilityTable.h"
#include "twain/DsAssistor.h"

TW_UINT16 CMsgCapability::Handle(_MsgInfo* pInfo)
{
    // Without a TW_CAPABILITY there is not even a capability to name.
    if (!pInfo->pData)
        return Refuse(TWCC_BADPROTOCOL);
    TW_UINT16 wConditionCode = TWCC_SUCCESS;
    TW_UINT16 twRc = HandleCapMessage(pInfo->MSG, static_cast<TW_CAPABILITY*>(pInfo->pData), wConditionCode);
    if (g_pDsAssistor)
        g_pDsAssistor->SetConditionCode(wConditionCode);
    return twRc;
}
