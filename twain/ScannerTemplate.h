// Assembles the source from run-time classes, so that the application object never
// names the concrete scanner holder, UI holder or state object.
#pragma once

#include "twain/ObjectModel.h"

class CDS;

class CScannerTemplate : public CObject {
public:
    CScannerTemplate(const CRuntimeClass* pScannerClass, const CRuntimeClass* pUIClass,
                     const CRuntimeClass* pAssistorClass)
        : m_pScannerClass(pScannerClass), m_pUIClass(pUIClass), m_pAssistorClass(pAssistorClass)
    {
    }

    // The assembled source, or null when any part could not be created.
    virtual CDS* CreateDS();

private:
    const CRuntimeClass* m_pScannerClass;
    const CRuntimeClass* m_pUIClass;
    const CRuntimeClass* m_pAssistorClass;
};
