// DAT_ENTRYPOINT: a TWAIN 2 manager gives the source its entry points before MSG_OPENDS.
#pragma once

#include "twain/MsgLib.h"

class CMsgEntryPoint : public CMsgLib {
public:
    CMsgEntryPoint() : CMsgLib(DAT_ENTRYPOINT) {}
    TW_UINT16 Handle(_MsgInfo* pInfo) override;
};
