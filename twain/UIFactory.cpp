#include "twain/UIFactory.h"

#include <new>

#include "twain/UIImp.h"
#include "ui/MainUIDialog.h"

int CTwainUIFactory::CreateUIImp(CUIImp** ppImp)
{
    if (!ppImp)
        return 1;
    // The holder takes ownership of the raw pointer it asked for.
    *ppImp = new (std::nothrow) CTwainUIImp;
    return *ppImp ? 0 : 1;
}
