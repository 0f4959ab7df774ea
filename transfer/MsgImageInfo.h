// The geometry of the page about to be transferred.
#pragma once

#include "twain/MsgLib.h"

class CMsgImageInfo : public CMsgLib {
public:
    CMsgImageInfo() : CMsgLib(DAT_IMAGEINFO) {}
    TW_UINT16 Handle(_MsgInfo* pInfo) override;
};
