#include "twain/MsgEntryPoint.h"

#include "transfer/ManagerEntry.h"

TW_UINT16 CMsgEntryPoint::Handle(_MsgInfo* pInfo)
{
    if (pInfo->MSG != MSG_SET)
        return Refuse(TWCC_BADPROTOCOL);
    // The manager sends it before opening the source; an open session keeps the entry it has.
    if (CurrentState() != 300)
        return Refuse(TWCC_SEQERROR);
    if (!SetManagerEntryPoints(static_cast<const TW_ENTRYPOINT*>(pInfo->pData)))
        return Refuse(TWCC_BADVALUE);
    return TWRC_SUCCESS;
}
