// The coarse split of runs, four at a time in double lanes. Built with -mavx2 (no FMA, no
// contraction): each lane computes exactly what the plain version computes.
#include "imaging/DeskewBound.h"

#if defined(MVL_IMAGING_AVX2)
#include <immintrin.h>

#include <cmath>

void BoundSplitsAvx2(const CBoundStep& st, const int32_t* y, const int32_t* x1, const int32_t* n, size_t count,
                     int32_t* slotA, int32_t* cntA, int32_t* slotB, int32_t* cntB)
{
    const __m256d c = _mm256_set1_pd(st.c), s = _mm256_set1_pd(st.s), inv = _mm256_set1_pd(st.inv);
    const __m256d scale = _mm256_set1_pd(kScaleD), coarse = _mm256_set1_pd(kCoarseD);
    const __m256d invCoarse = _mm256_set1_pd(kInvCoarse), lastBelow = _mm256_set1_pd(st.last - 1);
    const __m256d one = _mm256_set1_pd(1.0), minusOne = _mm256_set1_pd(-1.0), zero = _mm256_setzero_pd();
    const __m256d cap = _mm256_set1_pd(64.0);
    const bool bRising = st.s >= 0;
    size_t k = 0;
    for (; k + 4 <= count; k += 4) {
        const __m256d yv = _mm256_cvtepi32_pd(_mm_loadu_si128(reinterpret_cast<const __m128i*>(y + k)));
        const __m256d xv = _mm256_cvtepi32_pd(_mm_loadu_si128(reinterpret_cast<const __m128i*>(x1 + k)));
        const __m256d nv = _mm256_cvtepi32_pd(_mm_loadu_si128(reinterpret_cast<const __m128i*>(n + k)));
        const __m256d num0 = _mm256_add_pd(_mm256_mul_pd(yv, c), _mm256_mul_pd(xv, s));
        const __m256d below = _mm256_cmp_pd(num0, scale, _CMP_LT_OQ);
        const __m256d bin = _mm256_min_pd(_mm256_floor_pd(_mm256_mul_pd(num0, invCoarse)), lastBelow);
        const __m256d b0 = _mm256_blendv_pd(bin, minusOne, below);
        __m256d room, bNext;
        if (bRising) {
            room = _mm256_sub_pd(_mm256_mul_pd(_mm256_add_pd(b0, one), coarse), num0);
            bNext = _mm256_add_pd(b0, one);
        } else {
            room = _mm256_sub_pd(num0, _mm256_max_pd(_mm256_mul_pd(b0, coarse), scale));
            bNext = _mm256_max_pd(_mm256_sub_pd(b0, one), minusOne);
        }
        const __m256d q = _mm256_max_pd(_mm256_min_pd(_mm256_mul_pd(room, inv), cap), minusOne);
        const __m256d first = _mm256_add_pd(_mm256_round_pd(q, _MM_FROUND_TO_ZERO | _MM_FROUND_NO_EXC), one);
        const __m256d a = _mm256_max_pd(_mm256_min_pd(_mm256_add_pd(first, one), nv), zero);
        const __m256d b = _mm256_max_pd(_mm256_min_pd(_mm256_add_pd(_mm256_sub_pd(nv, first), one), nv), zero);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(slotA + k), _mm256_cvttpd_epi32(_mm256_add_pd(b0, one)));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(cntA + k), _mm256_cvttpd_epi32(a));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(slotB + k), _mm256_cvttpd_epi32(_mm256_add_pd(bNext, one)));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(cntB + k), _mm256_cvttpd_epi32(b));
    }
    BoundSplitsPlain(st, y + k, x1 + k, n + k, count - k, slotA + k, cntA + k, slotB + k, cntB + k);
}

void BoundSpansAvx2(const CBoundStep& st, const int32_t* y, const int32_t* x1, const int32_t* n, size_t count,
                    int32_t* slotA, int32_t* cntA, int32_t* slotB, int32_t* cntB, int32_t* kInner)
{
    const __m256d c = _mm256_set1_pd(st.c), s = _mm256_set1_pd(st.s), inv = _mm256_set1_pd(st.inv);
    const __m256d scale = _mm256_set1_pd(kScaleD), coarse = _mm256_set1_pd(kCoarseD);
    const __m256d invCoarse = _mm256_set1_pd(kInvCoarse), lastBelow = _mm256_set1_pd(st.last - 1);
    const __m256d one = _mm256_set1_pd(1.0), two = _mm256_set1_pd(2.0), minusOne = _mm256_set1_pd(-1.0);
    const __m256d zero = _mm256_setzero_pd();
    const __m256d perBin = _mm256_set1_pd(std::floor(kCoarseD * st.inv) + 2);
    auto bin = [&](__m256d v) {
        const __m256d b = _mm256_min_pd(_mm256_floor_pd(_mm256_mul_pd(v, invCoarse)), lastBelow);
        return _mm256_blendv_pd(b, minusOne, _mm256_cmp_pd(v, scale, _CMP_LT_OQ));
    };
    auto trunc = [](__m256d v) { return _mm256_round_pd(v, _MM_FROUND_TO_ZERO | _MM_FROUND_NO_EXC); };
    auto store = [](int32_t* p, __m256d v) { _mm_storeu_si128(reinterpret_cast<__m128i*>(p), _mm256_cvttpd_epi32(v)); };
    size_t k = 0;
    for (; k + 4 <= count; k += 4) {
        const __m256d yv = _mm256_cvtepi32_pd(_mm_loadu_si128(reinterpret_cast<const __m128i*>(y + k)));
        const __m256d xv = _mm256_cvtepi32_pd(_mm_loadu_si128(reinterpret_cast<const __m128i*>(x1 + k)));
        const __m256d nv = _mm256_cvtepi32_pd(_mm_loadu_si128(reinterpret_cast<const __m128i*>(n + k)));
        const __m256d num0 = _mm256_add_pd(_mm256_mul_pd(yv, c), _mm256_mul_pd(xv, s));
        const __m256d numL = _mm256_add_pd(num0, _mm256_mul_pd(_mm256_sub_pd(nv, one), s));
        const __m256d lo = _mm256_min_pd(num0, numL), hi = _mm256_max_pd(num0, numL);
        const __m256d bl = bin(lo), bh = bin(hi);
        const __m256d oneBin = _mm256_cmp_pd(bl, bh, _CMP_EQ_OQ);
        const __m256d qLo = _mm256_mul_pd(_mm256_sub_pd(_mm256_max_pd(_mm256_mul_pd(_mm256_add_pd(bl, one), coarse), scale), lo), inv);
        const __m256d qHi = _mm256_mul_pd(_mm256_sub_pd(_mm256_max_pd(_mm256_mul_pd(bh, coarse), scale), lo), inv);
        const __m256d a = _mm256_min_pd(_mm256_add_pd(trunc(qLo), two), nv);
        const __m256d b = _mm256_max_pd(_mm256_min_pd(_mm256_add_pd(_mm256_sub_pd(nv, trunc(qHi)), one), nv), zero);
        const __m256d wide = _mm256_cmp_pd(_mm256_sub_pd(bh, bl), two, _CMP_GE_OQ);
        store(slotA + k, _mm256_add_pd(bl, one));
        store(cntA + k, _mm256_blendv_pd(a, nv, oneBin));
        store(slotB + k, _mm256_add_pd(bh, one));
        store(cntB + k, _mm256_blendv_pd(b, zero, oneBin));
        store(kInner + k, _mm256_and_pd(_mm256_min_pd(perBin, nv), wide));
    }
    BoundSpansPlain(st, y + k, x1 + k, n + k, count - k, slotA + k, cntA + k, slotB + k, cntB + k, kInner + k);
}
#else
void BoundSplitsAvx2(const CBoundStep& st, const int32_t* y, const int32_t* x1, const int32_t* n, size_t count,
                     int32_t* slotA, int32_t* cntA, int32_t* slotB, int32_t* cntB)
{
    BoundSplitsPlain(st, y, x1, n, count, slotA, cntA, slotB, cntB);
}

void BoundSpansAvx2(const CBoundStep& st, const int32_t* y, const int32_t* x1, const int32_t* n, size_t count,
                    int32_t* slotA, int32_t* cntA, int32_t* slotB, int32_t* cntB, int32_t* kInner)
{
    BoundSpansPlain(st, y, x1, n, count, slotA, cntA, slotB, cntB, kInner);
}
#endif
