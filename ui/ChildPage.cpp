#include "ui/ChildPage.h"

#include "ui/ControlHost.h"

CChildPage::CChildPage(UINT nIdTemplate, HINSTANCE hResModule) : CDialog(nIdTemplate, hResModule)
{
    Map().OnRaw(WM_ERASEBKGND, [this](WPARAM wParam, LPARAM, LRESULT& lResult) {
        const auto hDC = reinterpret_cast<HDC>(wParam);
        if (!m_background.Paint(hDC, GetClientRect()))
            PaintParentBackground(m_hWnd, hDC);
        lResult = 1;
        return true;
    });
    Map().OnRaw(WM_CTLCOLORSTATIC, [](WPARAM wParam, LPARAM, LRESULT& lResult) {
        ::SetBkMode(reinterpret_cast<HDC>(wParam), TRANSPARENT);
        lResult = reinterpret_cast<LRESULT>(::GetStockObject(NULL_BRUSH));
        return true;
    });
}

void CChildPage::SetBackground(UINT nBitmapId)
{
    m_background.Load(ResourceModule(), nBitmapId);
    Invalidate();
}

BOOL CChildPage::CreateOver(HWND hHost, int nAreaId, bool bShow)
{
    if (!Create(hHost))
        return FALSE;
    if (HWND hArea = ::GetDlgItem(hHost, nAreaId)) {
        RECT rc = CWnd(hArea).GetWindowRectIn(hHost);
        // The area's frame stays visible around the page.
        ::InflateRect(&rc, -1, -1);
        ::SetWindowPos(m_hWnd, HWND_TOP, rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top, SWP_NOACTIVATE);
    }
    ShowWindow(bShow ? SW_SHOWNA : SW_HIDE);
    return TRUE;
}
