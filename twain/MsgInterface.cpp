#include "twain/MsgInterface.h"

#include "twain/DsAssistor.h"

TW_UINT16 CMsgInterface::Handle(_MsgInfo* pInfo)
{
    switch (pInfo->MSG) {
    case MSG_ENABLEDS:
        if (!pInfo->pData)
            return Refuse(TWCC_BADPROTOCOL);
        return g_pDsAssistor->EnableDS(static_cast<const TW_USERINTERFACE*>(pInfo->pData));
    case MSG_DISABLEDS:
        return g_pDsAssistor->DisableDS();
    default:
        // MSG_ENABLEDSUIONLY too: the source has no settings-only mode.
        return Refuse(TWCC_BADPROTOCOL);
    }
}
