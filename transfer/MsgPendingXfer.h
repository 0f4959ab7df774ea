// Pending transfers: the end of a page and of a batch.
#pragma once

#include "twain/MsgLib.h"

class CMsgPendingXfer : public CMsgLib {
public:
    CMsgPendingXfer() : CMsgLib(DAT_PENDINGXFERS) {}
    TW_UINT16 Handle(_MsgInfo* pInfo) override;
};
