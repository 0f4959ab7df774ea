#include "transfer/MsgImageLayout.h"

TW_UINT16 CMsgImageLayout::Handle(_MsgInfo* pInfo)
{
    // Not served yet: refused like a message this source does not know.
    return Refuse(TWCC_BADPROTOCOL);
}
