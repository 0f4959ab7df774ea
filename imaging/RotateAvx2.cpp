// Rotation rows with AVX2, eight output pixels at a time. Built with -mavx2 but without FMA and
// with contraction off: each lane performs exactly the multiplies and adds of the plain version.
#include "imaging/RotateRows.h"

#if defined(MVL_IMAGING_AVX2)
#include <immintrin.h>

#include <cstring>

namespace {

struct CLanes {
    __m256i inside;  // all ones where the source square lies on the page
    __m256i index;   // byte offset of the top-left source pixel (0 outside)
    __m256 fr, fq;
};

inline CLanes Coordinates(const CRotateGeometry& g, __m256 rowR, __m256 rowQ, int32_t j)
{
    const int32_t W = g.nWidth, H = g.nHeight, h2 = H / 2, w2 = W / 2;
    const __m256i jv = _mm256_add_epi32(_mm256_set1_epi32(j), _mm256_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7));
    const __m256 wj = _mm256_cvtepi32_ps(_mm256_sub_epi32(_mm256_set1_epi32(w2), jv));
    const __m256 jw = _mm256_cvtepi32_ps(_mm256_sub_epi32(jv, _mm256_set1_epi32(w2)));
    const __m256 r = _mm256_add_ps(_mm256_add_ps(rowR, _mm256_mul_ps(wj, _mm256_set1_ps(g.fSin))),
                                   _mm256_set1_ps(static_cast<float>(h2)));
    const __m256 q = _mm256_add_ps(_mm256_add_ps(rowQ, _mm256_mul_ps(jw, _mm256_set1_ps(g.fCos))),
                                   _mm256_set1_ps(static_cast<float>(w2)));
    const __m256i r0 = _mm256_cvttps_epi32(r), q0 = _mm256_cvttps_epi32(q);
    const __m256i zero = _mm256_setzero_si256();
    const __m256i inside = _mm256_and_si256(
        _mm256_and_si256(_mm256_cmpgt_epi32(r0, zero), _mm256_cmpgt_epi32(_mm256_set1_epi32(H - 2), r0)),
        _mm256_and_si256(_mm256_cmpgt_epi32(q0, zero), _mm256_cmpgt_epi32(_mm256_set1_epi32(W - 2), q0)));
    CLanes l;
    l.inside = inside;
    const __m256i pix = _mm256_add_epi32(_mm256_mullo_epi32(r0, _mm256_set1_epi32(W)), q0);
    l.index = _mm256_and_si256(_mm256_mullo_epi32(pix, _mm256_set1_epi32(g.nChannels)), inside);
    l.fr = _mm256_sub_ps(r, _mm256_cvtepi32_ps(r0));
    l.fq = _mm256_sub_ps(q, _mm256_cvtepi32_ps(q0));
    return l;
}

inline __m256i Gather(const uint8_t* pBase, __m256i index, __m256i mask)
{
    return _mm256_mask_i32gather_epi32(_mm256_setzero_si256(), reinterpret_cast<const int*>(pBase), index, mask, 1);
}

// One channel of the bilinear blend; the four neighbours sit at byte nShift of their lanes.
inline __m256i Blend(const CLanes& l, __m256i g00, __m256i g01, __m256i g10, __m256i g11, int nShift)
{
    const __m256i m = _mm256_set1_epi32(0xFF);
    const __m256i p00 = _mm256_and_si256(_mm256_srli_epi32(g00, nShift), m);
    const __m256i p01 = _mm256_and_si256(_mm256_srli_epi32(g01, nShift), m);
    const __m256i p10 = _mm256_and_si256(_mm256_srli_epi32(g10, nShift), m);
    const __m256i p11 = _mm256_and_si256(_mm256_srli_epi32(g11, nShift), m);
    const __m256 top = _mm256_add_ps(_mm256_cvtepi32_ps(p00),
                                     _mm256_mul_ps(l.fq, _mm256_cvtepi32_ps(_mm256_sub_epi32(p01, p00))));
    const __m256 bottom = _mm256_add_ps(_mm256_cvtepi32_ps(p10),
                                        _mm256_mul_ps(l.fq, _mm256_cvtepi32_ps(_mm256_sub_epi32(p11, p10))));
    const __m256i v = _mm256_cvttps_epi32(_mm256_add_ps(top, _mm256_mul_ps(l.fr, _mm256_sub_ps(bottom, top))));
    return _mm256_and_si256(v, m);
}

void GreyBlock(const CRotateGeometry& g, const CLanes& l, uint8_t* pOut)
{
    const __m256i white = _mm256_set1_epi32(g.nWhite);
    __m256i v = white;
    if (!_mm256_testz_si256(l.inside, l.inside)) {
        const __m256i top = Gather(g.pSrc, l.index, l.inside);  // bytes 0,1: left and right neighbour
        const __m256i bot = Gather(g.pSrc + g.nWidth, l.index, l.inside);
        const __m256i b = Blend(l, top, _mm256_srli_epi32(top, 8), bot, _mm256_srli_epi32(bot, 8), 0);
        v = _mm256_blendv_epi8(white, b, l.inside);
    }
    const __m256i bytes = _mm256_shuffle_epi8(v, _mm256_setr_epi8(0, 4, 8, 12, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1,
                                                                 -1, -1, 0, 4, 8, 12, -1, -1, -1, -1, -1, -1, -1, -1,
                                                                 -1, -1, -1, -1));
    const uint32_t lo = static_cast<uint32_t>(_mm256_extract_epi32(bytes, 0));
    const uint32_t hi = static_cast<uint32_t>(_mm256_extract_epi32(bytes, 4));
    std::memcpy(pOut, &lo, 4);
    std::memcpy(pOut + 4, &hi, 4);
}

void ColourBlock(const CRotateGeometry& g, const CLanes& l, uint8_t* pOut)
{
    const __m256i white = _mm256_set1_epi32(0x00FFFFFF);
    __m256i v = white;
    if (!_mm256_testz_si256(l.inside, l.inside)) {
        const uint8_t* p1 = g.pSrc + static_cast<size_t>(g.nWidth) * 3;
        const __m256i g00 = Gather(g.pSrc, l.index, l.inside), g01 = Gather(g.pSrc + 3, l.index, l.inside);
        const __m256i g10 = Gather(p1, l.index, l.inside), g11 = Gather(p1 + 3, l.index, l.inside);
        const __m256i red = Blend(l, g00, g01, g10, g11, 0);
        const __m256i green = Blend(l, g00, g01, g10, g11, 8);
        const __m256i blue = Blend(l, g00, g01, g10, g11, 16);
        const __m256i rgb = _mm256_or_si256(red, _mm256_or_si256(_mm256_slli_epi32(green, 8), _mm256_slli_epi32(blue, 16)));
        v = _mm256_blendv_epi8(white, rgb, l.inside);
    }
    const __m256i packed = _mm256_shuffle_epi8(v, _mm256_setr_epi8(0, 1, 2, 4, 5, 6, 8, 9, 10, 12, 13, 14, -1, -1, -1, -1,
                                                                  0, 1, 2, 4, 5, 6, 8, 9, 10, 12, 13, 14, -1, -1, -1, -1));
    uint8_t tmp[32];
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(tmp), packed);
    std::memcpy(pOut, tmp, 12);
    std::memcpy(pOut + 12, tmp + 16, 12);
}

}  // namespace

void RotateRowsAvx2(const CRotateGeometry& g, int32_t i0, int32_t i1)
{
    const int32_t W = g.nWidth, H = g.nHeight, h2 = H / 2, ch = g.nChannels;
    const size_t nStride = static_cast<size_t>(W) * ch;
    const int32_t nBlocks = W / 8;
    for (int32_t i = i0; i < i1; ++i) {
        const float di = static_cast<float>(i - h2);
        const __m256 rowR = _mm256_set1_ps(di * g.fCos), rowQ = _mm256_set1_ps(di * g.fSin);
        uint8_t* out = g.pDst + nStride * i;
        for (int32_t b = 0; b < nBlocks; ++b) {
            const CLanes l = Coordinates(g, rowR, rowQ, 8 * b);
            if (ch == 3)
                ColourBlock(g, l, out + 24 * static_cast<size_t>(b));
            else
                GreyBlock(g, l, out + 8 * static_cast<size_t>(b));
        }
        RotateRowPlain(g, i, nBlocks * 8, W);  // the last few columns
    }
}
#else
void RotateRowsAvx2(const CRotateGeometry& g, int32_t i0, int32_t i1)
{
    RotateRowsPlain(g, i0, i1);
}
#endif
