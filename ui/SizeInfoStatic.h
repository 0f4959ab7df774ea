// The size read-out under the preview: width, height and the amount of image data of the
// scan area, each after its label (strings 1010, 1011, 1012), on a light panel with a frame
// and a separator. Painted through a back buffer, mirrored for right-to-left languages.
#pragma once

#include "ui/GdiHandles.h"
#include "ui/SizeInfoText.h"
#include "ui/Wnd.h"

class CSizeInfoStatic : public CWnd {
public:
    CSizeInfoStatic();

    // Width and height in inches; unit 0 inches, 1 millimetres, 2 pixels; the scan resolution
    // in dpi and the bits per pixel (1, 8 or 24). Texts use the UI language's separator.
    void Update(double dWidthIn, double dHeightIn, int nUnit, int nDpi, int nBitsPerPixel);
    const SSizeInfoTexts& Texts() const { return m_texts; }
    // True when the last paint had to shorten a text (the read-out is too narrow for it).
    bool TextsClipped() const { return m_bClipped; }

private:
    void Paint(HDC hDC);
    void Compose(HDC hDC, const RECT& rc, UINT nDpi);
    // The light panel with its frame and the separator line at nSeparatorX.
    void DrawPanel(HDC hDC, const RECT& rc, UINT nDpi, int nSeparatorX);
    bool PrepareBuffer(HDC hRef, const RECT& rc);
    HFONT Font(UINT nDpi);

    SSizeInfoTexts m_texts;
    CBitmapHandle m_bmpBuffer;
    SIZE m_szBuffer{};
    CFontHandle m_font;
    UINT m_nFontDpi = 0;
    bool m_bClipped = false;
};
