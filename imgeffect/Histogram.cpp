// Histogram and statistics for the histogram dialog.
#include "imgeffect/PixelRows.h"

#include <cmath>
#include <cstring>

namespace imgfx {

namespace {

void CountPixels(const _ImageDesc& desc, const uint8_t* pData, _HistogramData& target)
{
    auto& n = target.m_nCounts;
    for (int y = 0; y < desc.m_nRows; ++y) {
        const uint8_t* p = RowAt(desc, pData, y);
        for (int x = 0; x < desc.m_nWidth; ++x) {
            int r, g, b, grey;
            if (desc.m_nBitsPerPixel == 24) {
                r = p[3 * x], g = p[3 * x + 1], b = p[3 * x + 2];
                grey = GreyOf(r, g, b);
            } else if (desc.m_nBitsPerPixel == 8) {
                r = g = b = grey = p[x];
            } else {
                r = g = b = grey = ((p[x / 8] >> (7 - x % 8)) & 1) ? 255 : 0;
            }
            ++n[0][r], ++n[1][g], ++n[2][b], ++n[3][grey];
        }
    }
}

// Statistics of one histogram into slot `nSlot` (0 all, 1 red, 2 green, 3 blue).
void Describe(const uint32_t (&counts)[256], uint64_t nPixels, _HistogramData& target, int nSlot)
{
    if (nPixels == 0)
        return;
    double dSum = 0;
    for (int v = 0; v < 256; ++v)
        dSum += static_cast<double>(v) * counts[v];
    const double dMean = dSum / static_cast<double>(nPixels);
    double dSquares = 0;
    for (int v = 0; v < 256; ++v)
        dSquares += counts[v] * (v - dMean) * (v - dMean);
    const uint64_t nHalf = (nPixels + 1) / 2;
    int nMedian = 0;
    for (uint64_t nCum = 0; nMedian < 256; ++nMedian) {
        nCum += counts[nMedian];
        if (nCum >= nHalf)
            break;
    }
    target.m_dMean[nSlot] = dMean;
    target.m_dStdDev[nSlot] = std::sqrt(dSquares / static_cast<double>(nPixels));
    target.m_dMedian[nSlot] = nMedian;
}

}  // namespace

int ComputeHistogram(const _ImageDesc& desc, const uint8_t* pData, _HistogramData& target)
{
    if (!IsValidImage(desc, pData))
        return IMGEFFECT_BAD_ARGUMENT;
    std::memset(&target, 0, sizeof target);
    const uint64_t nPixels = static_cast<uint64_t>(desc.m_nRows) * static_cast<uint64_t>(desc.m_nWidth);
    if (nPixels > static_cast<uint64_t>(INT32_MAX) || nPixels > UINT32_MAX)
        return IMGEFFECT_BAD_ARGUMENT;  // the counts and the pixel count are 32-bit
    CountPixels(desc, pData, target);
    Describe(target.m_nCounts[3], nPixels, target, 0);
    for (int c = 0; c < 3; ++c)
        Describe(target.m_nCounts[c], nPixels, target, c + 1);
    target.m_nPixels = static_cast<int32_t>(nPixels);
    return IMGEFFECT_OK;
}

}  // namespace imgfx
