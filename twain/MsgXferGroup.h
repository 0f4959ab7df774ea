// The transfer group: always images.
#pragma once

#include "twain/MsgLib.h"

class CMsgXferGroup : public CMsgLib {
public:
    CMsgXferGroup() : CMsgLib(DAT_XFERGROUP) {}
    TW_UINT16 Handle(_MsgInfo* pInfo) override;
};
