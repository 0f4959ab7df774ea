// DAT_STATUS: hands the pending condition code to the application, once.
#pragma once

#include "twain/MsgLib.h"

class CMsgStatus : public CMsgLib {
public:
    CMsgStatus() : CMsgLib(DAT_STATUS) {}
    TW_UINT16 Handle(_MsgInfo* pInfo) override;
};
