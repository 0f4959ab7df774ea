// DAT_IDENTITY: the source's identity, and the moves between states 3 and 4.
#pragma once

#include "twain/MsgLib.h"

class CMsgIdentity : public CMsgLib {
public:
    CMsgIdentity() : CMsgLib(DAT_IDENTITY) {}
    TW_UINT16 Handle(_MsgInfo* pInfo) override;

private:
    TW_UINT16 OpenDS(_MsgInfo* pInfo);
    TW_UINT16 CloseDS();
};
