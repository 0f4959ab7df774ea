// The scan frame.
#pragma once

#include "twain/MsgLib.h"

class CMsgImageLayout : public CMsgLib {
public:
    CMsgImageLayout() : CMsgLib(DAT_IMAGELAYOUT) {}
    TW_UINT16 Handle(_MsgInfo* pInfo) override;
};
