#include "twain/MsgXferGroup.h"

TW_UINT16 CMsgXferGroup::Handle(_MsgInfo* pInfo)
{
    if (!StateIn({400, 500, 600}))
        return Refuse(TWCC_SEQERROR);
    switch (pInfo->MSG) {
    case MSG_GET:
    case MSG_GETCURRENT:
    case MSG_GETDEFAULT:
    case MSG_RESET:
        if (!pInfo->pData)
            return Refuse(TWCC_BADPROTOCOL);
        *static_cast<TW_UINT32*>(pInfo->pData) = DG_IMAGE;
        return TWRC_SUCCESS;
    case MSG_SET:
        // Images are the only group there is: whatever is asked for, images it stays.
        return TWRC_SUCCESS;
    default:
        return Refuse(TWCC_BADPROTOCOL);
    }
}
