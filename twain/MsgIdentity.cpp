#include "twain/MsgIdentity.h"

#include "transfer/ManagerEntry.h"
#include "twain/CapabilityTable.h"
#include "twain/DsAssistor.h"

TW_UINT16 CMsgIdentity::Handle(_MsgInfo* pInfo)
{
    switch (pInfo->MSG) {
    case MSG_GET:
        if (!pInfo->pData)
            return Refuse(TWCC_BADPROTOCOL);
        return g_pDsAssistor->GetDsIdInfo(static_cast<TW_IDENTITY*>(pInfo->pData));
    case MSG_OPENDS:
        return OpenDS(pInfo);
    case MSG_CLOSEDS:
        return CloseDS();
    default:
        return Refuse(TWCC_BADPROTOCOL);
    }
}

TW_UINT16 CMsgIdentity::OpenDS(_MsgInfo* pInfo)
{
    if (CurrentState() != 300)
        return Refuse(TWCC_SEQERROR);
    // Without both identities there is nothing to connect; the source stays closed.
    if (!pInfo->pOrigin || !pInfo->pData)
        return Refuse(TWCC_BADPROTOCOL);
    TW_UINT16 twRc = g_pDsAssistor->ConnectApp(pInfo->pOrigin, static_cast<const TW_IDENTITY*>(pInfo->pData));
    g_pDsAssistor->SetState(400);
    BuildCapabilityTable();
    return twRc;
}

TW_UINT16 CMsgIdentity::CloseDS()
{
    if (!StateIn({400, 500, 600, 700}))
        return Refuse(TWCC_SEQERROR);
    g_pDsAssistor->DisconnectApp();
    g_pDsAssistor->SetState(300);
    ReleaseCapabilityTable();
    // The next session's manager gives its own, or none.
    ForgetManagerEntryPoints();
    return TWRC_SUCCESS;
}
