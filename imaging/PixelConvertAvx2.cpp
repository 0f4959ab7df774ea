// Colour to grey sixteen pixels at a time: the three channels are pulled apart with byte
// shuffles and the smallest kept. Built with -mavx2; called only when the processor has it.
#include "imaging/PixelConvert.h"

#if defined(MVL_IMAGING_AVX2)
#include <immintrin.h>

namespace {

// Byte k of channel c of 16 pixels lies at 3k + c of the 48 bytes: which of the three loads
// holds it and where.
__m128i ShuffleFor(int nChannel, int nPart)
{
    alignas(16) int8_t m[16];
    for (int k = 0; k < 16; ++k) {
        const int nByte = 3 * k + nChannel;
        m[k] = static_cast<int8_t>(nByte / 16 == nPart ? nByte % 16 : -1);
    }
    return _mm_load_si128(reinterpret_cast<const __m128i*>(m));
}

}  // namespace

int32_t RgbRowToGrayAvx2(const uint8_t* pSrc, uint8_t* pDst, int32_t nWidth)
{
    static const __m128i s_shuffle[3][3] = {
        {ShuffleFor(0, 0), ShuffleFor(0, 1), ShuffleFor(0, 2)},
        {ShuffleFor(1, 0), ShuffleFor(1, 1), ShuffleFor(1, 2)},
        {ShuffleFor(2, 0), ShuffleFor(2, 1), ShuffleFor(2, 2)},
    };
    int32_t x = 0;
    for (; x + 16 <= nWidth; x += 16) {
        const uint8_t* p = pSrc + 3 * static_cast<size_t>(x);
        const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
        const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16));
        const __m128i c = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 32));
        __m128i ch[3];
        for (int k = 0; k < 3; ++k)
            ch[k] = _mm_or_si128(_mm_or_si128(_mm_shuffle_epi8(a, s_shuffle[k][0]), _mm_shuffle_epi8(b, s_shuffle[k][1])),
                                 _mm_shuffle_epi8(c, s_shuffle[k][2]));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(pDst + x), _mm_min_epu8(_mm_min_epu8(ch[0], ch[1]), ch[2]));
    }
    return x;
}

// Ten pixels per step, five in each 16-byte half; a half's last byte is the next pixel's red,
// copied unchanged and then written again, swapped, by the next store.
int32_t RgbRowToBgrAvx2(const uint8_t* pSrc, uint8_t* pDst, int32_t nWidth)
{
    const __m256i kSwap = _mm256_setr_epi8(2, 1, 0, 5, 4, 3, 8, 7, 6, 11, 10, 9, 14, 13, 12, 15,  //
                                           2, 1, 0, 5, 4, 3, 8, 7, 6, 11, 10, 9, 14, 13, 12, 15);
    const int64_t nBytes = 3 * static_cast<int64_t>(nWidth);
    int32_t x = 0;
    for (; 3 * static_cast<int64_t>(x) + 31 <= nBytes; x += 10) {
        const uint8_t* s = pSrc + 3 * static_cast<size_t>(x);
        uint8_t* d = pDst + 3 * static_cast<size_t>(x);
        const __m256i v = _mm256_shuffle_epi8(
            _mm256_loadu2_m128i(reinterpret_cast<const __m128i*>(s + 15), reinterpret_cast<const __m128i*>(s)), kSwap);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(d), _mm256_castsi256_si128(v));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(d + 15), _mm256_extracti128_si256(v, 1));
    }
    return x;
}
#else
int32_t RgbRowToGrayAvx2(const uint8_t*, uint8_t*, int32_t)
{
    return 0;
}

int32_t RgbRowToBgrAvx2(const uint8_t*, uint8_t*, int32_t)
{
    return 0;
}
#endif
