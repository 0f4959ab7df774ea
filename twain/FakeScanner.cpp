#include "twain/FakeScanner.h"

IMPLEMENT_DYNCREATE(CFakeScanner)
