#include "imaging/PageRows.h"

#include "imaging/PixelConvert.h"

#include <bit>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

const uint8_t* CPageRows::GreyRow(int32_t y, uint8_t* pBuffer) const
{
    const uint8_t* pRow = SrcRow(y);
    switch (m_nPixelType) {
    case 0: BwRowToGray(pRow, pBuffer, m_nWidth); return pBuffer;
    case 2: RgbRowToGray(pRow, pBuffer, m_nWidth); return pBuffer;
    default: return pRow;
    }
}

void PackAtOrBelow(const uint8_t* pRow, int32_t nWidth, uint8_t nLevel, uint64_t* pWords)
{
    int32_t x = 0;
#if defined(__SSE2__)
    const __m128i level = _mm_set1_epi8(static_cast<char>(nLevel));
    for (; x + 64 <= nWidth; x += 64) {
        uint64_t w = 0;
        for (int k = 0; k < 4; ++k) {
            const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(pRow + x + 16 * k));
            const __m128i le = _mm_cmpeq_epi8(_mm_min_epu8(v, level), v);
            w |= static_cast<uint64_t>(static_cast<uint16_t>(_mm_movemask_epi8(le))) << (16 * k);
        }
        pWords[x / 64] = w;
    }
#endif
    for (; x < nWidth; x += 64) {
        uint64_t w = 0;
        const int32_t n = nWidth - x < 64 ? nWidth - x : 64;
        for (int32_t b = 0; b < n; ++b) w |= static_cast<uint64_t>(pRow[x + b] <= nLevel) << b;
        pWords[x / 64] = w;
    }
}

int32_t CountBits(const uint64_t* pWords, int32_t x0, int32_t x1)
{
    if (x1 <= x0)
        return 0;
    const int32_t w0 = x0 / 64, w1 = (x1 - 1) / 64;
    const uint64_t headMask = ~uint64_t(0) << (x0 % 64);
    const uint64_t tailMask = ~uint64_t(0) >> (63 - (x1 - 1) % 64);
    if (w0 == w1)
        return std::popcount(pWords[w0] & headMask & tailMask);
    int32_t n = std::popcount(pWords[w0] & headMask) + std::popcount(pWords[w1] & tailMask);
    for (int32_t w = w0 + 1; w < w1; ++w) n += std::popcount(pWords[w]);
    return n;
}
