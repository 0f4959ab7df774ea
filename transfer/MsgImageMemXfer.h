// Buffered memory transfer: the page in strips of whole rows, or in pieces of a row when the
// application's buffer is smaller than one row.
#pragma once

#include "transfer/MemXferCursor.h"
#include "twain/MsgLib.h"

class CMsgImageMemXfer : public CMsgLib {
public:
    CMsgImageMemXfer() : CMsgLib(DAT_IMAGEMEMXFER) {}
    TW_UINT16 Handle(_MsgInfo* pInfo) override;

private:
    CMemXferCursor m_cursor;
};
