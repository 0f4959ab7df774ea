// The source: the dispatch front, the state object and the two holders.
#pragma once

#include "twain/MsgLib.h"
#include "twain/ObjectModel.h"

class CColMsg;
class CDsAssistor;
class CFakeScanner;
class CFakeUI;

// The dispatch front: routes a triplet to the handler of its DAT.
class CColMsg : public CObject {
public:
    // Publishes the state object in g_pDsAssistor; fails for a null one.
    bool Init(CDsAssistor* pAssistor);
    TW_UINT16 Dispatch(_MsgInfo* pInfo);
};

class CDS : public CObject {
    DECLARE_DYNCREATE(CDS)

public:
    ~CDS() override;

    // Takes ownership of the three parts and creates the dispatch front.
    bool Init(CDsAssistor* pAssistor, CFakeScanner* pScanner, CFakeUI* pUI);
    TW_UINT16 Dispatch(_MsgInfo* pInfo);
    TW_UINT32 GetAppId() const;

private:
    CColMsg* m_pColMsg = nullptr;
    CDsAssistor* m_pDsAssistor = nullptr;
    CFakeScanner* m_pFakeScanner = nullptr;
    CFakeUI* m_pFakeUI = nullptr;
};
