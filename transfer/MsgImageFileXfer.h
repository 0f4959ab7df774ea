// File transfer: the page as a BMP file.
#pragma once

#include "twain/MsgLib.h"

class CMsgImageFileXfer : public CMsgLib {
public:
    CMsgImageFileXfer() : CMsgLib(DAT_IMAGEFILEXFER) {}
    TW_UINT16 Handle(_MsgInfo* pInfo) override;
};
