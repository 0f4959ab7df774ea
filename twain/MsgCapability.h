// Capability negotiation.
#pragma once

#include "twain/MsgLib.h"

class CMsgCapability : public CMsgLib {
public:
    CMsgCapability() : CMsgLib(DAT_CAPABILITY) {}
    TW_UINT16 Handle(_MsgInfo* pInfo) override;
};
