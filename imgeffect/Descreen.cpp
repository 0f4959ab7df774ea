// Descreen: a small binomial blur that removes the dot pattern of printed halftones.
#include "imgeffect/PixelRows.h"

#include <cstring>
#include <vector>

namespace imgfx {

namespace {

// Horizontal pass [1 2 1] of one original row into sums, edges repeated.
void SmoothRow(const uint8_t* pRow, int nWidth, int nStep, std::vector<int>& sums)
{
    for (int x = 0; x < nWidth; ++x) {
        const int xl = x > 0 ? x - 1 : 0;
        const int xr = x + 1 < nWidth ? x + 1 : x;
        for (int c = 0; c < nStep; ++c)
            sums[static_cast<size_t>(x) * nStep + c] =
                pRow[xl * nStep + c] + 2 * pRow[x * nStep + c] + pRow[xr * nStep + c];
    }
}

}  // namespace

int ApplyDescreen(const _ImageDesc& desc, uint8_t* pData)
{
    if (!IsValidImage(desc, pData))
        return IMGEFFECT_BAD_ARGUMENT;
    if (desc.m_nBitsPerPixel == 1 || IsEmpty(desc))
        return IMGEFFECT_OK;
    const int nStep = desc.m_nBitsPerPixel / 8;
    const size_t nBytes = RowBytes(desc);
    // Horizontal sums of the rows above, at and below the current one, all from original data:
    // the row above is summed before it is overwritten.
    std::vector<int> above(nBytes), here(nBytes), below(nBytes);
    SmoothRow(RowAt(desc, pData, 0), desc.m_nWidth, nStep, here);
    above = here;
    for (int y = 0; y < desc.m_nRows; ++y) {
        if (y + 1 < desc.m_nRows)
            SmoothRow(RowAt(desc, pData, y + 1), desc.m_nWidth, nStep, below);
        else
            below = here;
        uint8_t* p = RowAt(desc, pData, y);
        for (size_t i = 0; i < nBytes; ++i)
            p[i] = static_cast<uint8_t>((above[i] + 2 * here[i] + below[i] + 8) / 16);
        above.swap(here);
        here.swap(below);
    }
    return IMGEFFECT_OK;
}

}  // namespace imgfx
