#include "sim/BmpImage.h"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <limits>

namespace {

uint32_t U32(const std::vector<uint8_t>& b, std::size_t off)
{
    return b[off] | b[off + 1] << 8 | b[off + 2] << 16 | static_cast<uint32_t>(b[off + 3]) << 24;
}
uint16_t U16(const std::vector<uint8_t>& b, std::size_t off) { return static_cast<uint16_t>(b[off] | b[off + 1] << 8); }

constexpr std::size_t kFileHeader = 14;
constexpr int kMaxSide = 30000;

}  // namespace

std::shared_ptr<CBmpImage> CBmpImage::Load(const std::string& sPath)
{
    std::ifstream in(sPath, std::ios::binary);
    if (!in)
        return nullptr;
    std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    return FromBytes(bytes);
}

std::shared_ptr<CBmpImage> CBmpImage::FromBytes(const std::vector<uint8_t>& b)
{
    if (b.size() < kFileHeader + 40 || b[0] != 'B' || b[1] != 'M')
        return nullptr;
    const uint32_t nDataOff = U32(b, 10), nInfoSize = U32(b, 14);
    const int32_t nW = static_cast<int32_t>(U32(b, 18)), nHRaw = static_cast<int32_t>(U32(b, 22));
    const uint16_t nBits = U16(b, 28);
    const uint32_t nCompression = U32(b, 30), nPpm = U32(b, 38);
    uint32_t nColours = U32(b, 46);
    if (nInfoSize < 40 || nCompression != 0 || nW <= 0 || nHRaw == 0 || nHRaw == std::numeric_limits<int32_t>::min())
        return nullptr;
    const bool bTopDown = nHRaw < 0;
    const int nH = bTopDown ? -nHRaw : nHRaw;
    if (nW > kMaxSide || nH > kMaxSide || (nBits != 24 && nBits != 8 && nBits != 1))
        return nullptr;
    if (nBits != 24 && (nColours == 0 || nColours > (1u << nBits)))
        nColours = 1u << nBits;
    const std::size_t nPalOff = kFileHeader + nInfoSize;
    const std::size_t nStride = ((static_cast<std::size_t>(nW) * nBits + 31) / 32) * 4;
    if (nBits != 24 && nPalOff + 4ull * nColours > b.size())
        return nullptr;
    if (nDataOff > b.size() || nStride * nH > b.size() - nDataOff)
        return nullptr;

    auto img = std::make_shared<CBmpImage>();
    img->m_nWidth = nW;
    img->m_nHeight = nH;
    img->m_nDpi = static_cast<int>((nPpm * 254ull + 5000) / 10000);
    img->m_rgb.resize(static_cast<std::size_t>(nW) * nH * 3);
    for (int y = 0; y < nH; ++y) {
        const uint8_t* src = &b[nDataOff + nStride * static_cast<std::size_t>(bTopDown ? y : nH - 1 - y)];
        uint8_t* dst = &img->m_rgb[static_cast<std::size_t>(y) * nW * 3];
        for (int x = 0; x < nW; ++x, dst += 3) {
            if (nBits == 24) {
                dst[0] = src[3 * x + 2];
                dst[1] = src[3 * x + 1];
                dst[2] = src[3 * x];
                continue;
            }
            uint32_t idx = nBits == 8 ? src[x] : (src[x >> 3] >> (7 - (x & 7))) & 1;
            idx = std::min(idx, nColours - 1);
            const uint8_t* pal = &b[nPalOff + 4 * idx];
            dst[0] = pal[2];
            dst[1] = pal[1];
            dst[2] = pal[0];
        }
    }
    return img;
}

const uint8_t* CBmpImage::Pixel(int x, int y) const
{
    x = std::clamp(x, 0, m_nWidth - 1);
    y = std::clamp(y, 0, m_nHeight - 1);
    return &m_rgb[(static_cast<std::size_t>(y) * m_nWidth + x) * 3];
}
