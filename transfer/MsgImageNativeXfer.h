// Native transfer: the page as a packed DIB.
#pragma once

#include "twain/MsgLib.h"

class CMsgImageNativeXfer : public CMsgLib {
public:
    CMsgImageNativeXfer() : CMsgLib(DAT_IMAGENATIVEXFER) {}
    TW_UINT16 Handle(_MsgInfo* pInfo) override;
};
