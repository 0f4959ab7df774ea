// The scanner holder. The device is driven by the scanning dialog and the driver wrapper,
// so the holder never holds a scanner and every forwarded operation reports failure.
#pragma once

#include "twain/ObjectModel.h"

class CFakeScanner : public CObject {
    DECLARE_DYNCREATE(CFakeScanner)

public:
    bool IsEmpty() const { return m_pScanner == nullptr; }
    int Release() { return 0; }
    int IsReady() const { return 0; }
    // Forwards to the held scanner's operation nSlot (3 to 14): 1 when there is none.
    int Forward(int nSlot) { return 1; }

private:
    CObject* m_pScanner = nullptr;
};
