// The palette of the current page.
#pragma once

#include <cstddef>

#include "twain/MsgLib.h"

class CMsgPallette8 : public CMsgLib {
public:
    CMsgPallette8() : CMsgLib(DAT_PALETTE8) {}
    TW_UINT16 Handle(_MsgInfo* pInfo) override;
};

// Fills the palette from a packed DIB (header and colour table) of nSize bytes: the colours-used
// count, at most 256 and at most what the block holds. False when the block is no DIB.
bool FillPalette8FromDib(const unsigned char* pDib, size_t nSize, TW_PALETTE8* pPalette);
