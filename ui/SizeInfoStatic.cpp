#include "ui/SizeInfoStatic.h"

#include <string>

#include "profile/Language.h"
#include "ui/ControlHost.h"
#include "ui/DialogSkin.h"

namespace {

constexpr UINT kLabelWidth = 1010;
constexpr UINT kLabelHeight = 1011;
constexpr UINT kLabelDataSize = 1012;
constexpr COLORREF kPanel = RGB(242, 242, 242);
constexpr COLORREF kBorder = RGB(148, 148, 148);
constexpr COLORREF kSeparator = RGB(177, 177, 177);

}  // namespace

CSizeInfoStatic::CSizeInfoStatic()
{
    PaintsItself([this](HDC hDC) { Paint(hDC); });
}

void CSizeInfoStatic::Update(double dWidthIn, double dHeightIn, int nUnit, int nDpi, int nBitsPerPixel)
{
    m_texts = FormatSizeInfo(dWidthIn, dHeightIn, nUnit, nDpi, nBitsPerPixel, g_wcDecimalSep,
                             g_LangugueID == kLanguageFrench);
    if (m_hWnd)
        Invalidate(FALSE);
}

HFONT CSizeInfoStatic::Font(UINT nDpi)
{
    if (!m_font || m_nFontDpi != nDpi) {
        LOGFONTW lf{};
        lf.lfHeight = ScaleForDpi(14, nDpi);
        lf.lfWeight = FW_NORMAL;
        lf.lfCharSet = DEFAULT_CHARSET;
        lf.lfQuality = DEFAULT_QUALITY;
        wcsncpy(lf.lfFaceName, SizeInfoFontFace(::GetSystemDefaultUILanguage()), LF_FACESIZE - 1);
        m_font.Reset(::CreateFontIndirectW(&lf));
        m_nFontDpi = nDpi;
    }
    return m_font ? m_font.Get() : WindowFont(m_hWnd);
}

bool CSizeInfoStatic::PrepareBuffer(HDC hRef, const RECT& rc)
{
    if (m_bmpBuffer && m_szBuffer.cx == rc.right && m_szBuffer.cy == rc.bottom)
        return true;
    m_bmpBuffer.Reset(::CreateCompatibleBitmap(hRef, rc.right, rc.bottom));
    m_szBuffer = m_bmpBuffer ? SIZE{rc.right, rc.bottom} : SIZE{};
    return static_cast<bool>(m_bmpBuffer);
}

void CSizeInfoStatic::Paint(HDC hDC)
{
    RECT rc = GetClientRect();
    if (rc.right <= 0 || rc.bottom <= 0)
        return;
    UINT nDpi = WindowDpi(m_hWnd);
    CMemoryDC mem(hDC);
    if (!mem || !PrepareBuffer(hDC, rc)) {
        // No memory for the buffer: drawn straight, with some flicker.
        Compose(hDC, rc, nDpi);
        return;
    }
    {
        CSelection sel(mem.Get(), m_bmpBuffer.Get());
        Compose(mem.Get(), rc, nDpi);
        // The buffer is composed as it appears on the screen.
        CBitmapOrientationKept keep(hDC);
        ::BitBlt(hDC, 0, 0, rc.right, rc.bottom, mem.Get(), 0, 0, SRCCOPY);
    }
}

void CSizeInfoStatic::Compose(HDC hDC, const RECT& rc, UINT nDpi)
{
    // Composed left to right on an unmirrored context; right to left the positions are
    // mirrored here and the texts read from the right.
    if (::GetLayout(hDC) & LAYOUT_RTL)
        ::SetLayout(hDC, 0);
    bool bRtl = g_bHebrew || IsMirrored(m_hWnd);
    int nSeparator = SizeInfoSeparatorX(rc.right, g_LangugueID == kLanguageItalian, static_cast<int>(nDpi));
    DrawPanel(hDC, rc, nDpi, bRtl ? rc.right - nSeparator : nSeparator);
    HINSTANCE hRes = ResourceModuleOf(m_hWnd);
    const std::wstring texts[] = {LoadDlgString(hRes, kLabelWidth) + m_texts.sWidth,
                                  LoadDlgString(hRes, kLabelHeight) + m_texts.sHeight,
                                  LoadDlgString(hRes, kLabelDataSize) + m_texts.sDataSize};
    CSelection font(hDC, Font(nDpi));
    ::SetBkMode(hDC, TRANSPARENT);
    ::SetTextColor(hDC, RGB(0, 0, 0));
    UINT nFormat = DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS | (bRtl ? DT_RIGHT | DT_RTLREADING : DT_LEFT);
    // Each text ends where the next begins (the height at the separator), less a small gap.
    int nX = ScaleForDpi(20, nDpi);
    int nThird = rc.right / 3;
    int nGap = ScaleForDpi(4, nDpi);
    const int ends[] = {nX + nThird - nGap, nSeparator - nGap, rc.right - nGap};
    bool bClipped = false;
    for (int i = 0; i < 3; ++i) {
        int nFrom = nX + i * nThird;
        RECT rcNeed{0, 0, 0, 0};
        ::DrawTextW(hDC, texts[i].c_str(), -1, &rcNeed, DT_SINGLELINE | DT_NOPREFIX | DT_CALCRECT);
        bClipped |= rcNeed.right > ends[i] - nFrom;
        RECT rcText = bRtl ? RECT{rc.right - ends[i], rc.top, rc.right - nFrom, rc.bottom}
                           : RECT{nFrom, rc.top, ends[i], rc.bottom};
        ::DrawTextW(hDC, texts[i].c_str(), -1, &rcText, nFormat);
    }
    m_bClipped = bClipped;
}

void CSizeInfoStatic::DrawPanel(HDC hDC, const RECT& rc, UINT nDpi, int nSeparatorX)
{
    CBrushHandle hPanel(::CreateSolidBrush(kPanel));
    ::FillRect(hDC, &rc, hPanel ? hPanel.Get() : ::GetSysColorBrush(COLOR_BTNFACE));
    {
        CPenHandle hBorder(::CreatePen(PS_SOLID, 1, kBorder));
        CSelection pen(hDC, hBorder.Get());
        CSelection brush(hDC, ::GetStockObject(NULL_BRUSH));
        ::Rectangle(hDC, rc.left, rc.top, rc.right, rc.bottom);
    }
    CPenHandle hSep(::CreatePen(PS_SOLID, 1, kSeparator));
    CSelection pen(hDC, hSep.Get());
    int nInset = ScaleForDpi(3, nDpi);
    ::MoveToEx(hDC, nSeparatorX, rc.top + nInset, nullptr);
    ::LineTo(hDC, nSeparatorX, rc.bottom - nInset);
}
