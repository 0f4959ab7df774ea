#include "ui/TransGroupBox.h"

#include "ui/ControlHost.h"
#include "ui/DialogSkin.h"

Trans_GroupBox::Trans_GroupBox()
{
    // The inside is the dialog's background: nothing is erased, and clicks go to what lies
    // under the box.
    PaintsItself([this](HDC hDC) { Paint(hDC); });
    Map().OnRaw(WM_NCHITTEST, [](WPARAM, LPARAM, LRESULT& lResult) {
        lResult = HTTRANSPARENT;
        return true;
    });
    Map().OnRaw(WM_SETTEXT, [this](WPARAM, LPARAM, LRESULT& lResult) {
        lResult = Default();
        RedrawUnder(m_hWnd, 1);
        return true;
    });
}

void Trans_GroupBox::SetColors(COLORREF crText, COLORREF crBack)
{
    m_crText = crText;
    m_crBack = crBack;
    m_brBack.Reset(crBack == kTransparent ? nullptr : ::CreateSolidBrush(crBack));
    if (m_hWnd)
        RedrawUnder(m_hWnd, 1);
}

void Trans_GroupBox::SetLineColor(COLORREF crLine)
{
    m_crLine = crLine;
    if (m_hWnd)
        RedrawUnder(m_hWnd, 1);
}

void Trans_GroupBox::SetStyle(int nStyle)
{
    m_nStyle = nStyle == kCaptionOnly ? kCaptionOnly : kFramed;
    if (m_hWnd)
        RedrawUnder(m_hWnd, 1);
}

bool Trans_GroupBox::OnChildNotify(UINT nMsg, WPARAM wParam, LPARAM, LRESULT& lResult)
{
    if (nMsg != WM_CTLCOLORSTATIC && nMsg != WM_CTLCOLORBTN)
        return false;
    auto hDC = reinterpret_cast<HDC>(wParam);
    ::SetTextColor(hDC, m_crText);
    if (m_brBack) {
        ::SetBkColor(hDC, m_crBack);
        lResult = reinterpret_cast<LRESULT>(m_brBack.Get());
    } else {
        ::SetBkMode(hDC, TRANSPARENT);
        lResult = reinterpret_cast<LRESULT>(::GetStockObject(NULL_BRUSH));
    }
    return true;
}

void Trans_GroupBox::Paint(HDC hDC)
{
    RECT rc = GetClientRect();
    UINT nDpi = WindowDpi(m_hWnd);
    std::wstring sText = GetWindowText();
    CSelection font(hDC, WindowFont(m_hWnd));
    SIZE szText{};
    ::GetTextExtentPoint32W(hDC, sText.c_str(), static_cast<int>(sText.size()), &szText);
    int nCaptionX = m_nStyle == kFramed ? ScaleForDpi(12, nDpi) : 0;
    int nCaptionY = m_nStyle == kFramed ? ScaleForDpi(1, nDpi) : 0;
    m_rcCaption = {nCaptionX, nCaptionY, nCaptionX + szText.cx, nCaptionY + szText.cy};
    if (m_nStyle == kFramed) {
        // The top edge runs through the middle of the caption, broken from 4 pixels before it
        // to 2 after it.
        int nTop = nCaptionY + szText.cy / 2;
        int nGapFrom = nCaptionX - ScaleForDpi(4, nDpi);
        int nGapTo = sText.empty() ? nGapFrom : m_rcCaption.right + ScaleForDpi(2, nDpi);
        CPenHandle hPen(::CreatePen(PS_SOLID, 1, m_crLine));
        CSelection pen(hDC, hPen.Get());
        POINT frame[] = {{nGapFrom, nTop}, {rc.left, nTop}, {rc.left, rc.bottom - 1}, {rc.right - 1, rc.bottom - 1},
                         {rc.right - 1, nTop}, {nGapTo, nTop}};
        ::Polyline(hDC, frame, 6);
    }
    if (sText.empty())
        return;
    if (m_brBack)
        ::FillRect(hDC, &m_rcCaption, m_brBack.Get());
    ::SetBkMode(hDC, TRANSPARENT);
    ::SetTextColor(hDC, m_crText);
    UINT nFormat = DT_LEFT | DT_TOP | DT_SINGLELINE | DT_NOPREFIX;
    if (::GetWindowLongW(m_hWnd, GWL_EXSTYLE) & WS_EX_RTLREADING)
        nFormat |= DT_RTLREADING;
    RECT rcText = m_rcCaption;
    ::DrawTextW(hDC, sText.c_str(), -1, &rcText, nFormat);
}
