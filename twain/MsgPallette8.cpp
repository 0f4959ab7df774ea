#include "twain/MsgPallette8.h"

#include <windows.h>

#include <algorithm>
#include <cstring>

namespace {

constexpr TW_UINT16 kTwpaRgb = 0;

// The header and colour table of the current page as a packed DIB in global memory, with no
// pixel rows; null when there is no page with a palette form. The page and its DIB builder
// come with the transfer side; without a page there is nothing to describe.
HGLOBAL CreatePaletteDib()
{
    return nullptr;
}

}  // namespace

bool FillPalette8FromDib(const unsigned char* pDib, size_t nSize, TW_PALETTE8* pPalette)
{
    BITMAPINFOHEADER header;
    if (!pDib || nSize < sizeof header)
        return false;
    std::memcpy(&header, pDib, sizeof header);
    if (header.biSize < sizeof header || header.biSize > nSize)
        return false;
    size_t nColors = header.biClrUsed;
    size_t nFit = (nSize - header.biSize) / sizeof(RGBQUAD);
    nColors = std::min({nColors, nFit, static_cast<size_t>(256)});
    pPalette->NumColors = static_cast<TW_UINT16>(nColors);
    pPalette->PaletteType = kTwpaRgb;
    for (size_t i = 0; i < nColors; ++i) {
        RGBQUAD rgb;
        std::memcpy(&rgb, pDib + header.biSize + i * sizeof rgb, sizeof rgb);
        pPalette->Colors[i] = TW_ELEMENT8{static_cast<TW_UINT8>(i), rgb.rgbRed, rgb.rgbGreen, rgb.rgbBlue};
    }
    return true;
}

TW_UINT16 CMsgPallette8::Handle(_MsgInfo* pInfo)
{
    if (!StateIn({400, 500, 600}))
        return Refuse(TWCC_SEQERROR);
    switch (pInfo->MSG) {
    case MSG_GET:
        break;
    case MSG_GETDEFAULT:
    case MSG_SET:
    case MSG_RESET:
        // Nothing is stored, and no palette is returned for these.
        return TWRC_SUCCESS;
    default:
        return Refuse(TWCC_BADPROTOCOL);
    }
    if (!pInfo->pData)
        return Refuse(TWCC_BADPROTOCOL);
    auto* pPalette = static_cast<TW_PALETTE8*>(pInfo->pData);
    // Without a palette form (no page, or a bit count with no palette) there are no colours.
    pPalette->NumColors = 0;
    pPalette->PaletteType = kTwpaRgb;
    HGLOBAL hDib = CreatePaletteDib();
    if (!hDib)
        return TWRC_SUCCESS;
    if (const auto* pDib = static_cast<const unsigned char*>(GlobalLock(hDib))) {
        FillPalette8FromDib(pDib, GlobalSize(hDib), pPalette);
        GlobalUnlock(hDib);
    }
    GlobalFree(hDib);
    return TWRC_SUCCESS;
}
