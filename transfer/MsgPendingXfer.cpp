#include "transfer/MsgPendingXfer.h"

TW_UINT16 CMsgPendingXfer::Handle(_MsgInfo* pInfo)
{
    // Not served yet: refused like a message this source does not know.
    return Refuse(TWCC_BADPROTOCOL);
}
