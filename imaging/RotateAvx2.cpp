// Rotation rows with AVX2, eight output pixels at a time. Built with -mavx2 but without FMA and
// with contraction off: each lane performs exactly the multiplies and adds of the plain version.
#include "imaging/RotateRows.h"

#if defined(MVL_IMAGING_AVX2)
#include <immintrin.h>

#include <algorithm>
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

// Each output row of a strip reaches one source row the rows above it did not: fetch it a few
// rows early, or every gather that first touches it waits for memory.
constexpr int32_t kAheadRows = 8;

inline void Prefetch(const CRotateGeometry& g, const CLanes& l, int64_t nAhead)
{
    const int64_t nTotal = int64_t(g.nWidth) * g.nHeight * g.nChannels;
    const int64_t nTop = int64_t(_mm256_extract_epi32(l.index, 7)) + nAhead;
    const int64_t nBottom = nTop + int64_t(g.nWidth) * g.nChannels;
    if (nTop >= 0 && nTop < nTotal) _mm_prefetch(reinterpret_cast<const char*>(g.pSrc + nTop), _MM_HINT_T0);
    if (nBottom >= 0 && nBottom < nTotal) _mm_prefetch(reinterpret_cast<const char*>(g.pSrc + nBottom), _MM_HINT_T0);
}

// The eight bytes at each of four offsets: both neighbours of a pixel in one load.
inline __m256i Gather64(const uint8_t* pBase, __m128i index, __m128i inside)
{
    const __m256i mask = _mm256_cvtepi32_epi64(inside);
    return _mm256_mask_i32gather_epi64(_mm256_setzero_si256(), reinterpret_cast<const long long*>(pBase), index, mask, 1);
}

// One source row of the eight pixels: channel values of the left (v[0..2]) and right
// (v[3..5]) neighbours, one 32-bit lane per pixel. a holds pixels 0,1 | 4,5 and b 2,3 | 6,7.
inline void SplitChannels(__m256i a, __m256i b, __m256i v[6])
{
    // In each 128-bit lane: two bytes (the lane's two pixels) for R,G,B left, then R,G,B right.
    const __m256i pick = _mm256_setr_epi8(0, 8, 1, 9, 2, 10, 3, 11, 4, 12, 5, 13, -1, -1, -1, -1,
                                          0, 8, 1, 9, 2, 10, 3, 11, 4, 12, 5, 13, -1, -1, -1, -1);
    const __m256i x = _mm256_shuffle_epi8(a, pick), y = _mm256_shuffle_epi8(b, pick);
    const __m256i order = _mm256_setr_epi32(0, 4, 1, 5, 2, 6, 3, 7);
    // After this each 64-bit lane holds one value of all eight pixels in order.
    const __m256i lo = _mm256_permutevar8x32_epi32(_mm256_unpacklo_epi16(x, y), order);
    const __m256i hi = _mm256_permutevar8x32_epi32(_mm256_unpackhi_epi16(x, y), order);
    const __m128i lo0 = _mm256_castsi256_si128(lo), lo1 = _mm256_extracti128_si256(lo, 1);
    const __m128i hi0 = _mm256_castsi256_si128(hi);
    v[0] = _mm256_cvtepu8_epi32(lo0);
    v[1] = _mm256_cvtepu8_epi32(_mm_unpackhi_epi64(lo0, lo0));
    v[2] = _mm256_cvtepu8_epi32(lo1);
    v[3] = _mm256_cvtepu8_epi32(_mm_unpackhi_epi64(lo1, lo1));
    v[4] = _mm256_cvtepu8_epi32(hi0);
    v[5] = _mm256_cvtepu8_epi32(_mm_unpackhi_epi64(hi0, hi0));
}

// The bilinear blend of one channel from its four neighbours as 32-bit lanes.
inline __m256i BlendChannel(const CLanes& l, __m256i p00, __m256i p01, __m256i p10, __m256i p11)
{
    const __m256 top = _mm256_add_ps(_mm256_cvtepi32_ps(p00),
                                     _mm256_mul_ps(l.fq, _mm256_cvtepi32_ps(_mm256_sub_epi32(p01, p00))));
    const __m256 bottom = _mm256_add_ps(_mm256_cvtepi32_ps(p10),
                                        _mm256_mul_ps(l.fq, _mm256_cvtepi32_ps(_mm256_sub_epi32(p11, p10))));
    const __m256i v = _mm256_cvttps_epi32(_mm256_add_ps(top, _mm256_mul_ps(l.fr, _mm256_sub_ps(bottom, top))));
    return _mm256_and_si256(v, _mm256_set1_epi32(0xFF));
}

void ColourBlock(const CRotateGeometry& g, const CLanes& l, uint8_t* pOut, bool bRoom)
{
    const __m256i white = _mm256_set1_epi32(0x00FFFFFF);
    __m256i v = white;
    if (!_mm256_testz_si256(l.inside, l.inside)) {
        // Pixels 0,1,4,5 in one gather and 2,3,6,7 in the other, so that the channel split
        // below ends in pixel order.
        const __m256i split = _mm256_setr_epi32(0, 1, 4, 5, 2, 3, 6, 7);
        const __m256i idx = _mm256_permutevar8x32_epi32(l.index, split);
        const __m256i in = _mm256_permutevar8x32_epi32(l.inside, split);
        const __m128i idxA = _mm256_castsi256_si128(idx), idxB = _mm256_extracti128_si256(idx, 1);
        const __m128i inA = _mm256_castsi256_si128(in), inB = _mm256_extracti128_si256(in, 1);
        const uint8_t* p1 = g.pSrc + static_cast<size_t>(g.nWidth) * 3;
        __m256i t[6], b[6];
        SplitChannels(Gather64(g.pSrc, idxA, inA), Gather64(g.pSrc, idxB, inB), t);
        SplitChannels(Gather64(p1, idxA, inA), Gather64(p1, idxB, inB), b);
        const __m256i red = BlendChannel(l, t[0], t[3], b[0], b[3]);
        const __m256i green = BlendChannel(l, t[1], t[4], b[1], b[4]);
        const __m256i blue = BlendChannel(l, t[2], t[5], b[2], b[5]);
        const __m256i rgb = _mm256_or_si256(red, _mm256_or_si256(_mm256_slli_epi32(green, 8), _mm256_slli_epi32(blue, 16)));
        v = _mm256_blendv_epi8(white, rgb, l.inside);
    }
    const __m256i packed = _mm256_shuffle_epi8(v, _mm256_setr_epi8(0, 1, 2, 4, 5, 6, 8, 9, 10, 12, 13, 14, -1, -1, -1, -1,
                                                                  0, 1, 2, 4, 5, 6, 8, 9, 10, 12, 13, 14, -1, -1, -1, -1));
    const __m256i bytes = _mm256_permutevar8x32_epi32(packed, _mm256_setr_epi32(0, 1, 2, 4, 5, 6, 3, 7));
    if (bRoom) {
        // The eight bytes past the block belong to pixels of this row still to be written.
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(pOut), bytes);
        return;
    }
    uint8_t tmp[32];
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(tmp), bytes);
    std::memcpy(pOut, tmp, 24);
}

}  // namespace

void RotateRowsAvx2(const CRotateGeometry& g, int32_t i0, int32_t i1)
{
    const int32_t W = g.nWidth, H = g.nHeight, h2 = H / 2, ch = g.nChannels;
    const size_t nStride = static_cast<size_t>(W) * ch;
    const int32_t nBlocks = W / 8;
    // Column strips, so that the few source rows a strip's neighbouring output rows read stay
    // in the first-level cache instead of whole source rows being fetched again for every row.
    const int32_t nStripBlocks = kRotateStrip / 8;
    // Colour blocks before this one may store 32 bytes: the row goes on at least 8 bytes past
    // them, written after them (later blocks, later strips, then the last columns).
    const int32_t nLastWide = 3 * W >= 32 ? (3 * W - 32) / 24 + 1 : 0;
    // Where the source square of the same block lies kAheadRows output rows further down.
    const int64_t nAhead = int64_t(kAheadRows * g.fCos) * int64_t(nStride) + int64_t(kAheadRows * g.fSin) * ch;
    for (int32_t b0 = 0; b0 < nBlocks; b0 += nStripBlocks) {
        const int32_t b1 = std::min(nBlocks, b0 + nStripBlocks);
        for (int32_t i = i0; i < i1; ++i) {
            const float di = static_cast<float>(i - h2);
            const __m256 rowR = _mm256_set1_ps(di * g.fCos), rowQ = _mm256_set1_ps(di * g.fSin);
            uint8_t* out = g.pDst + nStride * i;
            for (int32_t b = b0; b < b1; ++b) {
                const CLanes l = Coordinates(g, rowR, rowQ, 8 * b);
                Prefetch(g, l, nAhead);
                if (ch == 3)
                    ColourBlock(g, l, out + 24 * static_cast<size_t>(b), b < nLastWide);
                else
                    GreyBlock(g, l, out + 8 * static_cast<size_t>(b));
            }
        }
    }
    for (int32_t i = i0; i < i1; ++i) RotateRowPlain(g, i, nBlocks * 8, W);  // the last few columns
}
#else
void RotateRowsAvx2(const CRotateGeometry& g, int32_t i0, int32_t i1)
{
    RotateRowsPlain(g, i0, i1);
}
#endif
