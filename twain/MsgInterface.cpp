#include "twain/MsgInterface.h"

TW_UINT16 CMsgInterface::Handle(_MsgInfo* pInfo)
{
    // Not served yet: refused like a message this source does not know.
    return Refuse(TWCC_BADPROTOCOL);
}
