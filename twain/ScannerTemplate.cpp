#include "twain/ScannerTemplate.h"

#include "twain/DS.h"
#include "twain/DsAssistor.h"
#include "twain/FakeScanner.h"
#include "twain/FakeUI.h"

CDS* CScannerTemplate::CreateDS()
{
    CDS* pDS = dynamic_cast<CDS*>(RUNTIME_CLASS(CDS)->CreateObject());
    if (!pDS)
        return nullptr;
    CObject* pAssistor = m_pAssistorClass->CreateObject();
    CObject* pScanner = pAssistor ? m_pScannerClass->CreateObject() : nullptr;
    CObject* pUI = pScanner ? m_pUIClass->CreateObject() : nullptr;
    auto* pDsAssistor = dynamic_cast<CDsAssistor*>(pAssistor);
    auto* pFakeScanner = dynamic_cast<CFakeScanner*>(pScanner);
    auto* pFakeUI = dynamic_cast<CFakeUI*>(pUI);
    if (!pDsAssistor || !pFakeScanner || !pFakeUI || !pDS->Init(pDsAssistor, pFakeScanner, pFakeUI)) {
        delete pUI;
        delete pScanner;
        delete pAssistor;
        delete pDS;
        return nullptr;
    }
    return pDS;
}
