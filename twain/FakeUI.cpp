#include "twain/FakeUI.h"

#include "twain/UIFactory.h"
#include "twain/UIImp.h"
#include "ui/MainUIDialog.h"

IMPLEMENT_DYNCREATE(CFakeUI)

CFakeUI::~CFakeUI()
{
    DestroyDlg();
}

int CFakeUI::CreateDlg(CDsProxy* pProxy, HWND hParent)
{
    CTwainUIFactory factory;
    CUIImp* pRaw = nullptr;
    if (factory.CreateUIImp(&pRaw) != 0 || !pRaw)
        return 1;
    std::unique_ptr<CUIImp> pImp(pRaw);
    if (pImp->Create(pProxy, hParent) != 0)
        return 1;
    m_pUIImp = std::move(pImp);
    return 0;
}

int CFakeUI::Show(int nCmdShow)
{
    return m_pUIImp ? m_pUIImp->Show(nCmdShow) : 1;
}

int CFakeUI::DestroyDlg()
{
    if (!m_pUIImp)
        return 1;
    m_pUIImp->Destroy();
    m_pUIImp.reset();
    return 0;
}

int CFakeUI::FilterMessage(MSG* pMsg)
{
    return m_pUIImp ? m_pUIImp->FilterMessage(pMsg) : 1;
}

CMainUIDialog* CFakeUI::Dialog() const
{
    return m_pUIImp ? m_pUIImp->Dialog() : nullptr;
}

HWND CFakeUI::DialogWindow() const
{
    CMainUIDialog* pDialog = Dialog();
    return pDialog ? pDialog->GetSafeHwnd() : nullptr;
}
