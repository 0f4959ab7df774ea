#include "twain/FakeUI.h"

IMPLEMENT_DYNCREATE(CFakeUI)

CFakeUI::~CFakeUI()
{
    DestroyDlg();
}

int CFakeUI::CreateDlg(CDsProxy* pProxy, HWND hParent)
{
    // The scanning dialog is not part of this build yet.
    return 1;
}

int CFakeUI::Show(int nCmdShow)
{
    return 1;
}

int CFakeUI::DestroyDlg()
{
    return 1;
}

int CFakeUI::FilterMessage(MSG* pMsg)
{
    return 1;
}
