// The scanner holder. The device is driven by the scanning dialog and the driver wrapper,
// so the holder never holds a scanner and every forwarded operation reports failure.
#pragma once

#include "twain/ObjectModel.h"

// What a held scanner would offer: its operations 3 to 14.
class CScannerBase : public CObject {
public:
    virtual int Operation(int nSlot) = 0;
};

class CFakeScanner : public CObject {
    DECLARE_DYNCREATE(CFakeScanner)

public:
    bool IsEmpty() const { return m_pScanner == nullptr; }
    int Release() { return 0; }
    int IsReady() const { return 0; }
    // Forwards to the held scanner's operation nSlot (3 to 14): 1 when there is none, the slot
    // is out of range or the scanner throws.
    int Forward(int nSlot);

private:
    CScannerBase* m_pScanner = nullptr;
};
