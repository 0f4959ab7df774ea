#include "twain/MsgStatus.h"

#include "profile/Trace.h"
#include "twain/DsAssistor.h"

TW_UINT16 CMsgStatus::Handle(_MsgInfo* pInfo)
{
    if (pInfo->MSG != MSG_GET)
        return Refuse(TWCC_BADPROTOCOL);
    // Without a place to write it the code stays pending for the next query.
    if (!pInfo->pData)
        return Refuse(TWCC_BADPROTOCOL);
    TW_UINT16 wCode = g_pDsAssistor->GetConditionCode();
    TraceA("CMsgStatus::MSG_GET: twState.ConditionCode = %d, ", wCode);
    auto* pStatus = static_cast<TW_STATUS*>(pInfo->pData);
    pStatus->ConditionCode = wCode;
    pStatus->Reserved = 0;
    g_pDsAssistor->SetConditionCode(TWCC_SUCCESS);
    TraceA("CMsgStatus::MSG_GET: twState.ConditionCode = %d, Data = %d, Reserved = %d", pStatus->ConditionCode,
           pStatus->Reserved, pStatus->Reserved);
    return TWRC_SUCCESS;
}
