// The coarse split of runs, four at a time in double lanes. Built with -mavx2 (no FMA, no
// contraction): each lane computes exactly what the plain version computes.
#include "imaging/DeskewBound.h"

#if defined(MVL_IMAGING_AVX2)
#include <immintrin.h>

#include <cmath>

namespace {

inline __m256d Load(const int32_t* p) { return _mm256_cvtepi32_pd(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p))); }
inline void Store(int32_t* p, __m256d v) { _mm_storeu_si128(reinterpret_cast<__m128i*>(p), _mm256_cvttpd_epi32(v)); }
inline __m256d Trunc(__m256d v) { return _mm256_round_pd(v, _MM_FROUND_TO_ZERO | _MM_FROUND_NO_EXC); }

// Four runs from lo to hi: the end bins with their points and what every bin between gets,
// lane by lane what SplitSpan computes. nOffset is added to both slots.
inline void SplitSpans(__m256d lo, __m256d hi, __m256d nv, __m256d inv, __m256d last, __m256d perBin, __m256d nOffset,
                       int32_t* slotA, int32_t* cntA, int32_t* slotB, int32_t* cntB, int32_t* kInner)
{
    const __m256d scale = _mm256_set1_pd(kScaleD), coarse = _mm256_set1_pd(kCoarseD);
    const __m256d invCoarse = _mm256_set1_pd(kInvCoarse), lastBelow = _mm256_sub_pd(last, _mm256_set1_pd(1.0));
    const __m256d one = _mm256_set1_pd(1.0), two = _mm256_set1_pd(2.0), minusOne = _mm256_set1_pd(-1.0);
    const __m256d zero = _mm256_setzero_pd();
    auto bin = [&](__m256d v) {
        const __m256d b = _mm256_min_pd(_mm256_floor_pd(_mm256_mul_pd(v, invCoarse)), lastBelow);
        return _mm256_blendv_pd(b, minusOne, _mm256_cmp_pd(v, scale, _CMP_LT_OQ));
    };
    const __m256d bl = bin(lo), bh = bin(hi);
    const __m256d oneBin = _mm256_cmp_pd(bl, bh, _CMP_EQ_OQ);
    const __m256d qLo = _mm256_mul_pd(_mm256_sub_pd(_mm256_max_pd(_mm256_mul_pd(_mm256_add_pd(bl, one), coarse), scale), lo), inv);
    const __m256d qHi = _mm256_mul_pd(_mm256_sub_pd(_mm256_max_pd(_mm256_mul_pd(bh, coarse), scale), lo), inv);
    const __m256d a = _mm256_min_pd(_mm256_add_pd(Trunc(qLo), two), nv);
    const __m256d b = _mm256_max_pd(_mm256_min_pd(_mm256_add_pd(_mm256_sub_pd(nv, Trunc(qHi)), one), nv), zero);
    const __m256d wide = _mm256_cmp_pd(_mm256_sub_pd(bh, bl), two, _CMP_GE_OQ);
    Store(slotA, _mm256_add_pd(_mm256_add_pd(bl, one), nOffset));
    Store(cntA, _mm256_blendv_pd(a, nv, oneBin));
    Store(slotB, _mm256_add_pd(_mm256_add_pd(bh, one), nOffset));
    Store(cntB, _mm256_blendv_pd(b, zero, oneBin));
    Store(kInner, _mm256_and_pd(_mm256_min_pd(perBin, nv), wide));
}

inline __m256d PerBin(const CBoundStep& st) { return _mm256_set1_pd(std::floor(kCoarseD * st.inv) + 2); }

}  // namespace

void BoundSpansAvx2(const CBoundStep& st, const int32_t* y, const int32_t* x1, const int32_t* n, size_t count,
                    int32_t* slotA, int32_t* cntA, int32_t* slotB, int32_t* cntB, int32_t* kInner)
{
    const __m256d c = _mm256_set1_pd(st.c), s = _mm256_set1_pd(st.s), inv = _mm256_set1_pd(st.inv);
    const __m256d last = _mm256_set1_pd(st.last), perBin = PerBin(st), one = _mm256_set1_pd(1.0);
    const __m256d zero = _mm256_setzero_pd();
    size_t k = 0;
    for (; k + 4 <= count; k += 4) {
        const __m256d yv = Load(y + k), xv = Load(x1 + k), nv = Load(n + k);
        const __m256d num0 = _mm256_add_pd(_mm256_mul_pd(yv, c), _mm256_mul_pd(xv, s));
        const __m256d numL = _mm256_add_pd(num0, _mm256_mul_pd(_mm256_sub_pd(nv, one), s));
        SplitSpans(_mm256_min_pd(num0, numL), _mm256_max_pd(num0, numL), nv, inv, last, perBin, zero, slotA + k, cntA + k,
                   slotB + k, cntB + k, kInner + k);
    }
    BoundSpansPlain(st, y + k, x1 + k, n + k, count - k, slotA + k, cntA + k, slotB + k, cntB + k, kInner + k);
}

size_t BoundPairAvx2(const CBoundPair& p, const int32_t* y, const int32_t* x1, const int32_t* n, size_t count,
                     int32_t* slotA, int32_t* cntA, int32_t* slotB, int32_t* cntB, int32_t* kInner, int32_t* bCross)
{
    const __m256d ca = _mm256_set1_pd(p.a.c), sa = _mm256_set1_pd(p.a.s), cb = _mm256_set1_pd(p.b.c), sb = _mm256_set1_pd(p.b.s);
    const __m256d invA = _mm256_set1_pd(p.a.inv), invB = _mm256_set1_pd(p.b.inv);
    const __m256d lastA = _mm256_set1_pd(p.a.last), lastB = _mm256_set1_pd(p.b.last);
    const __m256d perA = PerBin(p.a), perB = PerBin(p.b), offB = _mm256_set1_pd(p.nOffsetB);
    const __m256d one = _mm256_set1_pd(1.0), scale = _mm256_set1_pd(kScaleD);
    size_t k = 0, nCrossings = 0;
    for (; k + 4 <= count; k += 4) {
        const __m256d yv = Load(y + k), xv = Load(x1 + k), nv = Load(n + k), steps = _mm256_sub_pd(nv, one);
        const __m256d a0 = _mm256_add_pd(_mm256_mul_pd(yv, ca), _mm256_mul_pd(xv, sa));
        const __m256d aL = _mm256_add_pd(a0, _mm256_mul_pd(steps, sa));
        const __m256d b0 = _mm256_add_pd(_mm256_mul_pd(yv, cb), _mm256_mul_pd(xv, sb));
        const __m256d bL = _mm256_add_pd(b0, _mm256_mul_pd(steps, sb));
        const __m256d aHi = _mm256_max_pd(a0, aL), bHi = _mm256_max_pd(b0, bL);
        const __m256d useB = _mm256_cmp_pd(aHi, scale, _CMP_LT_OQ);
        const __m256d lo = _mm256_blendv_pd(_mm256_min_pd(a0, aL), _mm256_min_pd(b0, bL), useB);
        const __m256d hi = _mm256_blendv_pd(aHi, bHi, useB);
        SplitSpans(lo, hi, nv, _mm256_blendv_pd(invA, invB, useB), _mm256_blendv_pd(lastA, lastB, useB),
                   _mm256_blendv_pd(perA, perB, useB), _mm256_and_pd(offB, useB), slotA + k, cntA + k, slotB + k, cntB + k,
                   kInner + k);
        const __m256d cross = _mm256_andnot_pd(useB, _mm256_cmp_pd(bHi, scale, _CMP_GE_OQ));
        Store(bCross + k, _mm256_and_pd(one, cross));
        nCrossings += size_t(__builtin_popcount(unsigned(_mm256_movemask_pd(cross))));
    }
    return nCrossings +
           BoundPairPlain(p, y + k, x1 + k, n + k, count - k, slotA + k, cntA + k, slotB + k, cntB + k, kInner + k, bCross + k);
}
#else
void BoundSpansAvx2(const CBoundStep& st, const int32_t* y, const int32_t* x1, const int32_t* n, size_t count,
                    int32_t* slotA, int32_t* cntA, int32_t* slotB, int32_t* cntB, int32_t* kInner)
{
    BoundSpansPlain(st, y, x1, n, count, slotA, cntA, slotB, cntB, kInner);
}
size_t BoundPairAvx2(const CBoundPair& p, const int32_t* y, const int32_t* x1, const int32_t* n, size_t count,
                     int32_t* slotA, int32_t* cntA, int32_t* slotB, int32_t* cntB, int32_t* kInner, int32_t* bCross)
{
    return BoundPairPlain(p, y, x1, n, count, slotA, cntA, slotB, cntB, kInner, bCross);
}
#endif
