// The palette of the current page.
#pragma once

#include "twain/MsgLib.h"

class CMsgPallette8 : public CMsgLib {
public:
    CMsgPallette8() : CMsgLib(DAT_PALETTE8) {}
    TW_UINT16 Handle(_MsgInfo* pInfo) override;
};
