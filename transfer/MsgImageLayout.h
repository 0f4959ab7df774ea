// The scan frame.
#pragma once

#include <optional>

#include "device/ScanGeometry.h"
#include "twain/MsgLib.h"

class CMsgImageLayout : public CMsgLib {
public:
    CMsgImageLayout() : CMsgLib(DAT_IMAGELAYOUT) {}
    TW_UINT16 Handle(_MsgInfo* pInfo) override;
};

// The frame the application set, in inches, for a scan without the dialog; empty before any
// MSG_SET and for a frame without width or height, which leaves the paper size in charge.
std::optional<SInchRect> ApplicationFrame();
