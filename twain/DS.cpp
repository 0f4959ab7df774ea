#include "twain/DS.h"

#include "twain/DsAssistor.h"
#include "twain/FakeScanner.h"
#include "twain/FakeUI.h"

IMPLEMENT_DYNCREATE(CDS)

bool CColMsg::Init(CDsAssistor* pAssistor)
{
    if (!pAssistor)
        return false;
    g_pDsAssistor = pAssistor;
    return true;
}

TW_UINT16 CColMsg::Dispatch(_MsgInfo* pInfo)
{
    CMsgLib* pHandler = FindMsgHandler(pInfo->DAT);
    // An unknown DAT leaves the condition code of the previous refusal in place.
    return pHandler ? pHandler->Handle(pInfo) : TWRC_FAILURE;
}

CDS::~CDS()
{
    delete m_pColMsg;
    // The UI goes first: the dialog it may hold still reaches the state object.
    delete m_pFakeUI;
    delete m_pFakeScanner;
    delete m_pDsAssistor;
}

bool CDS::Init(CDsAssistor* pAssistor, CFakeScanner* pScanner, CFakeUI* pUI)
{
    m_pDsAssistor = pAssistor;
    m_pFakeScanner = pScanner;
    m_pFakeUI = pUI;
    pAssistor->SetHolders(pUI, pScanner);
    m_pColMsg = new (std::nothrow) CColMsg;
    if (m_pColMsg && m_pColMsg->Init(pAssistor))
        return true;
    // The caller deletes the parts it created when initialisation fails.
    delete m_pColMsg;
    m_pColMsg = nullptr;
    m_pDsAssistor = nullptr;
    m_pFakeScanner = nullptr;
    m_pFakeUI = nullptr;
    return false;
}

TW_UINT16 CDS::Dispatch(_MsgInfo* pInfo)
{
    return m_pColMsg ? m_pColMsg->Dispatch(pInfo) : TWRC_FAILURE;
}

TW_UINT32 CDS::GetAppId() const
{
    return m_pDsAssistor ? m_pDsAssistor->GetAppId() : 0;
}
