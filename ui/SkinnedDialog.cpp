#include "ui/SkinnedDialog.h"

#include <cwchar>

namespace {

bool IsLabelOrButton(HWND hCtrl)
{
    wchar_t szClass[16] = L"";
    ::GetClassNameW(hCtrl, szClass, 16);
    return _wcsicmp(szClass, L"Static") == 0 || _wcsicmp(szClass, L"Button") == 0;
}

}  // namespace

CSkinnedDialog::CSkinnedDialog(UINT nIdTemplate, HINSTANCE hResModule, bool bRefuseSpace)
    : CDialog(nIdTemplate, hResModule), m_bRefuseSpace(bRefuseSpace)
{
    Map().OnRaw(WM_ERASEBKGND, [this](WPARAM wParam, LPARAM, LRESULT& lResult) {
        if (!m_background.Paint(reinterpret_cast<HDC>(wParam), GetClientRect()))
            return false;
        lResult = 1;
        return true;
    });
    Map().OnRaw(WM_CTLCOLORSTATIC, [this](WPARAM wParam, LPARAM lParam, LRESULT& lResult) {
        // Read-only and disabled fields ask as labels do, but keep their own face.
        if (!m_background.Id() || !IsLabelOrButton(reinterpret_cast<HWND>(lParam)))
            return false;
        ::SetBkMode(reinterpret_cast<HDC>(wParam), TRANSPARENT);
        lResult = reinterpret_cast<LRESULT>(::GetStockObject(NULL_BRUSH));
        return true;
    });
}

void CSkinnedDialog::SetBackground(UINT nBitmapId)
{
    m_background.Load(ResourceModule(), nBitmapId);
}

BOOL CSkinnedDialog::PreTranslateMessage(MSG* pMsg)
{
    if (m_hWnd && pMsg && (pMsg->hwnd == m_hWnd || ::IsChild(m_hWnd, pMsg->hwnd))) {
        if (IsRefusedKey(*pMsg, m_bRefuseSpace))
            return TRUE;
        bool bRightButton = pMsg->message == WM_RBUTTONDOWN || pMsg->message == WM_RBUTTONUP ||
                            pMsg->message == WM_RBUTTONDBLCLK;
        if (m_bRefuseSpace && bRightButton)
            return TRUE;
    }
    return CDialog::PreTranslateMessage(pMsg);
}
