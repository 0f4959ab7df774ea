// The triplet record and the base of every triplet handler.
#pragma once

#include <initializer_list>

#include "twain/TwainTypes.h"

struct _MsgInfo {
    TW_IDENTITY* pOrigin;
    TW_UINT32 DG;
    TW_UINT16 DAT;
    TW_UINT16 MSG;
    TW_MEMREF pData;
};

class CMsgLib {
public:
    // Registers the handler for its DAT; a later registration for the same DAT replaces it.
    explicit CMsgLib(TW_UINT16 wDat);
    virtual TW_UINT16 Handle(_MsgInfo* pInfo) = 0;
    virtual ~CMsgLib();

protected:
    // Sets the pending condition code and answers TWRC_FAILURE, as every refusal does.
    static TW_UINT16 Refuse(TW_UINT16 wConditionCode);
    static TW_UINT16 CurrentState();
    static bool StateIn(std::initializer_list<TW_UINT16> states);

private:
    TW_UINT16 m_wDat;
};

// The handler registered for a DAT, or null.
CMsgLib* FindMsgHandler(TW_UINT16 wDat);
