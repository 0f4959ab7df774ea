#include "imgeffect/PixelRows.h"

namespace imgfx {

bool IsValidImage(const _ImageDesc& desc, const uint8_t* pData)
{
    const int nBits = desc.m_nBitsPerPixel;
    if (desc.m_nRows < 0 || desc.m_nWidth < 0 || desc.m_nBytesPerRow < 0)
        return false;
    if (nBits != 1 && nBits != 8 && nBits != 24)
        return false;
    if (RowBytes(desc) > static_cast<size_t>(desc.m_nBytesPerRow))
        return false;
    return pData != nullptr || IsEmpty(desc);
}

void ApplyTables(const _ImageDesc& desc, uint8_t* pData, const ToneTable& all,
                 const ToneTable* pChannels, bool bGray)
{
    if (desc.m_nBitsPerPixel == 1 || IsEmpty(desc))
        return;
    const size_t nBytes = RowBytes(desc);
    if (desc.m_nBitsPerPixel == 8 || (desc.m_nBitsPerPixel == 24 && !bGray && !pChannels)) {
        for (int y = 0; y < desc.m_nRows; ++y) {
            uint8_t* p = RowAt(desc, pData, y);
            for (size_t i = 0; i < nBytes; ++i)
                p[i] = all[p[i]];
        }
        return;
    }
    if (bGray) {
        for (int y = 0; y < desc.m_nRows; ++y) {
            uint8_t* p = RowAt(desc, pData, y);
            for (size_t i = 0; i + 2 < nBytes; i += 3)
                p[i] = p[i + 1] = p[i + 2] = all[GreyOf(p[i], p[i + 1], p[i + 2])];
        }
        return;
    }
    // Compose once so each byte is one lookup.
    ToneTable composed[3];
    for (int c = 0; c < 3; ++c)
        for (int v = 0; v < 256; ++v)
            composed[c][v] = pChannels[c][all[v]];
    for (int y = 0; y < desc.m_nRows; ++y) {
        uint8_t* p = RowAt(desc, pData, y);
        for (size_t i = 0; i + 2 < nBytes; i += 3) {
            p[i] = composed[0][p[i]];
            p[i + 1] = composed[1][p[i + 1]];
            p[i + 2] = composed[2][p[i + 2]];
        }
    }
}

}  // namespace imgfx
