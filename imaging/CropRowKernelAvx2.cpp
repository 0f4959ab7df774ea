// The crop's row work built for AVX2; chosen only when the processor has it.
#define MVL_CROP_ROW_BODIES
#include "imaging/CropRowKernel.h"

#include "imaging/PageRows.h"

#if defined(MVL_IMAGING_AVX2)
#include <immintrin.h>

int32_t CropDarkRowAvx2(const uint8_t* g, int32_t W, int32_t nThreshold, const CCropRowBuffers& b)
{
    return CropDarkRowBody(g, W, nThreshold, b);
}

void CropDilateRowAvx2(int32_t W, const CCropRowBuffers& b)
{
    CropDilateRowBody(W, b);
}

void PackAtOrBelowAvx2(const uint8_t* pRow, int32_t nWidth, uint8_t nLevel, uint64_t* pWords)
{
    const __m256i level = _mm256_set1_epi8(static_cast<char>(nLevel));
    int32_t x = 0;
    for (; x + 64 <= nWidth; x += 64) {
        const __m256i a = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(pRow + x));
        const __m256i c = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(pRow + x + 32));
        const uint32_t lo = static_cast<uint32_t>(_mm256_movemask_epi8(_mm256_cmpeq_epi8(_mm256_min_epu8(a, level), a)));
        const uint32_t hi = static_cast<uint32_t>(_mm256_movemask_epi8(_mm256_cmpeq_epi8(_mm256_min_epu8(c, level), c)));
        pWords[x / 64] = uint64_t(lo) | (uint64_t(hi) << 32);
    }
    if (x < nWidth)
        PackAtOrBelow(pRow + x, nWidth - x, nLevel, pWords + x / 64);
}
#else
int32_t CropDarkRowAvx2(const uint8_t* g, int32_t W, int32_t nThreshold, const CCropRowBuffers& b)
{
    return CropDarkRowPlain(g, W, nThreshold, b);
}

void CropDilateRowAvx2(int32_t W, const CCropRowBuffers& b)
{
    CropDilateRowPlain(W, b);
}

void PackAtOrBelowAvx2(const uint8_t* pRow, int32_t nWidth, uint8_t nLevel, uint64_t* pWords)
{
    PackAtOrBelow(pRow, nWidth, nLevel, pWords);
}
#endif
