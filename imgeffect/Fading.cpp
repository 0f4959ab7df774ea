// Fading correction: faded prints use only part of the value range; each channel is stretched
// back over 0..255, ignoring a small share of outliers at either end.
#include "imgeffect/PixelRows.h"

#include <cmath>

namespace imgfx {

namespace {

using Counts = std::array<uint64_t, 256>;

ToneTable StretchTable(const Counts& counts, uint64_t nPixels, int nLevel)
{
    static constexpr uint64_t kPerMille[3] = {5, 10, 20};
    const uint64_t k = nPixels * kPerMille[nLevel - 1] / 1000;
    int lo = 0, hi = 255;
    for (uint64_t sum = 0; lo < 255; ++lo) {
        sum += counts[lo];
        if (sum > k)
            break;
    }
    for (uint64_t sum = 0; hi > 0; --hi) {
        sum += counts[hi];
        if (sum > k)
            break;
    }
    ToneTable table{};
    for (int x = 0; x < 256; ++x)
        table[x] = static_cast<uint8_t>(
            hi > lo ? Clamp255(static_cast<int>(std::floor((x - lo) * 255.0 / (hi - lo) + 0.5))) : x);
    return table;
}

}  // namespace

int ApplyFadingCorrection(const _ImageDesc& desc, uint8_t* pData, int32_t nLevel)
{
    if (!IsValidImage(desc, pData) || nLevel < 0 || nLevel > 3)
        return IMGEFFECT_BAD_ARGUMENT;
    if (nLevel == 0 || desc.m_nBitsPerPixel == 1 || IsEmpty(desc))
        return IMGEFFECT_OK;
    const int nChannels = desc.m_nBitsPerPixel / 8;
    Counts counts[3] = {};
    const size_t nBytes = RowBytes(desc);
    for (int y = 0; y < desc.m_nRows; ++y) {
        const uint8_t* p = RowAt(desc, static_cast<const uint8_t*>(pData), y);
        for (size_t i = 0; i < nBytes; ++i)
            ++counts[i % nChannels][p[i]];
    }
    const uint64_t nPixels = static_cast<uint64_t>(desc.m_nRows) * static_cast<uint64_t>(desc.m_nWidth);
    if (nChannels == 1) {
        ApplyTables(desc, pData, StretchTable(counts[0], nPixels, nLevel), nullptr, false);
        return IMGEFFECT_OK;
    }
    ToneTable identity{};
    for (int v = 0; v < 256; ++v)
        identity[v] = static_cast<uint8_t>(v);
    const ToneTable channels[3] = {StretchTable(counts[0], nPixels, nLevel),
                                   StretchTable(counts[1], nPixels, nLevel),
                                   StretchTable(counts[2], nPixels, nLevel)};
    ApplyTables(desc, pData, identity, channels, false);
    return IMGEFFECT_OK;
}

}  // namespace imgfx
