// The buffer sizes of the memory transfer.
#pragma once

#include "twain/MsgLib.h"

class CMsgSetupMemXfer : public CMsgLib {
public:
    CMsgSetupMemXfer() : CMsgLib(DAT_SETUPMEMXFER) {}
    TW_UINT16 Handle(_MsgInfo* pInfo) override;
};
