#include "twain/MsgSetupMemXfer.h"

TW_UINT16 CMsgSetupMemXfer::Handle(_MsgInfo* pInfo)
{
    if (!StateIn({400, 500, 600}))
        return Refuse(TWCC_SEQERROR);
    if (pInfo->MSG != MSG_GET || !pInfo->pData)
        return Refuse(TWCC_BADPROTOCOL);
    auto* pSetup = static_cast<TW_SETUPMEMXFER*>(pInfo->pData);
    pSetup->MinBufSize = 0x4000;
    pSetup->MaxBufSize = 0xFFFF;
    pSetup->Preferred = 0xFFFF;
    return TWRC_SUCCESS;
}
