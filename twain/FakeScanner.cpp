#include "twain/FakeScanner.h"

IMPLEMENT_DYNCREATE(CFakeScanner)

int CFakeScanner::Forward(int nSlot)
{
    if (!m_pScanner || nSlot < 3 || nSlot > 14)
        return 1;
    try {
        return m_pScanner->Operation(nSlot);
    } catch (...) {
        return 1;
    }
}
