#include "ui/TransCheckBox.h"

CTransCheckBox::CTransCheckBox() : m_crText(::GetSysColor(COLOR_BTNTEXT)) {}

void CTransCheckBox::SetColors(COLORREF crText, COLORREF crBack)
{
    m_crText = crText;
    if (crBack != m_crBack)
        m_brBack.Reset();
    m_crBack = crBack;
    if (m_hWnd)
        Invalidate();
}

bool CTransCheckBox::OnChildNotify(UINT nMsg, WPARAM wParam, LPARAM, LRESULT& lResult)
{
    if (nMsg != WM_CTLCOLORSTATIC && nMsg != WM_CTLCOLORBTN)
        return false;
    if (!m_brBack)
        m_brBack.Reset(::CreateSolidBrush(m_crBack));
    auto hDC = reinterpret_cast<HDC>(wParam);
    ::SetTextColor(hDC, m_crText);
    ::SetBkColor(hDC, m_crBack);
    lResult = reinterpret_cast<LRESULT>(m_brBack ? m_brBack.Get() : ::GetSysColorBrush(COLOR_BTNFACE));
    return true;
}
