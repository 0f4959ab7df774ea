// Memory transfer: the page in strips of whole rows.
#pragma once

#include "twain/MsgLib.h"

class CMsgImageMemXfer : public CMsgLib {
public:
    CMsgImageMemXfer() : CMsgLib(DAT_IMAGEMEMXFER) {}
    TW_UINT16 Handle(_MsgInfo* pInfo) override;
};
