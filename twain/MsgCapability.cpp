#include "twain/MsgCapability.h"

TW_UINT16 CMsgCapability::Handle(_MsgInfo* pInfo)
{
    // Not served yet: refused like a message this source does not know.
    return Refuse(TWCC_BADPROTOCOL);
}
