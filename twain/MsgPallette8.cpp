#include "twain/MsgPallette8.h"

TW_UINT16 CMsgPallette8::Handle(_MsgInfo* pInfo)
{
    // Not served yet: refused like a message this source does not know.
    return Refuse(TWCC_BADPROTOCOL);
}
