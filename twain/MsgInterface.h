// MSG_ENABLEDS and MSG_DISABLEDS: the moves between states 4, 5 and 6.
#pragma once

#include "twain/MsgLib.h"

class CMsgInterface : public CMsgLib {
public:
    CMsgInterface() : CMsgLib(DAT_USERINTERFACE) {}
    TW_UINT16 Handle(_MsgInfo* pInfo) override;
};
