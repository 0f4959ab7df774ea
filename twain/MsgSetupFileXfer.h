// The file name of the file transfer.
#pragma once

#include "twain/MsgLib.h"

class CMsgSetupFileXfer : public CMsgLib {
public:
    CMsgSetupFileXfer() : CMsgLib(DAT_SETUPFILEXFER) {}
    TW_UINT16 Handle(_MsgInfo* pInfo) override;

private:
    static TW_UINT16 Get(TW_SETUPFILEXFER* pSetup);
    static TW_UINT16 Set(const TW_SETUPFILEXFER* pSetup);
};
