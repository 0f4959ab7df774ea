// Capability negotiation: every DAT_CAPABILITY triplet, in any state, answered from the table.
#pragma once

#include "twain/MsgLib.h"

class CMsgCapability : public CMsgLib {
public:
    CMsgCapability() : CMsgLib(DAT_CAPABILITY) {}
    TW_UINT16 Handle(_MsgInfo* pInfo) override;
};
