// Makes the UI implementation the UI holder works with, so that the holder never names it.
#pragma once

#include "twain/ObjectModel.h"

class CUIImp;

class CUIFactory : public CObject {
public:
    // 0 with *ppImp set, 1 when none could be made.
    virtual int CreateUIImp(CUIImp** ppImp) = 0;
};

class CTwainUIFactory : public CUIFactory {
public:
    int CreateUIImp(CUIImp** ppImp) override;
};
