// The coarse split of runs, eight at a time in 32-bit lanes. Built with -mavx2 (no FMA, no
// contraction): each lane computes exactly what the plain version computes, for runs within
// the narrow-page limit.
#include "imaging/DeskewBound.h"

#if defined(MVL_IMAGING_AVX2)
#include <immintrin.h>

namespace {

inline __m256i Load(const int32_t* p) { return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p)); }
inline void Store(int32_t* p, __m256i v) { _mm256_storeu_si256(reinterpret_cast<__m256i*>(p), v); }
inline __m256i Set(int32_t v) { return _mm256_set1_epi32(v); }

// The coarse bin of each numerator (-1 below kBoundScale, at most last - 1): the quotient
// estimated in single precision is off by at most one, and the remainder says which way.
inline __m256i Bins(__m256i v, __m256i lastBelow)
{
    const __m256i coarse = Set(kBoundCoarse);
    __m256i q = _mm256_cvttps_epi32(_mm256_mul_ps(_mm256_cvtepi32_ps(v), _mm256_set1_ps(1.0f / float(kBoundCoarse))));
    const __m256i r = _mm256_sub_epi32(v, _mm256_mullo_epi32(q, coarse));
    q = _mm256_add_epi32(q, _mm256_cmpgt_epi32(_mm256_setzero_si256(), r));                 // r < 0: one less
    q = _mm256_sub_epi32(q, _mm256_cmpgt_epi32(r, _mm256_sub_epi32(coarse, Set(1))));       // r >= coarse: one more
    const __m256i below = _mm256_cmpgt_epi32(Set(kBoundScale), v);
    return _mm256_blendv_epi8(_mm256_min_epi32(q, lastBelow), Set(-1), below);
}

inline __m256i Steps(__m256i d, __m256 inv) { return _mm256_cvttps_epi32(_mm256_mul_ps(_mm256_cvtepi32_ps(d), inv)); }

struct CStep8 {
    __m256i c, s, lastBelow, perBin;
    __m256 inv;
    explicit CStep8(const CBoundStep& st)
        : c(Set(st.c)), s(Set(st.s)), lastBelow(Set(st.last - 1)), perBin(Set(st.perBin)), inv(_mm256_set1_ps(st.inv))
    {
    }
};

// Eight runs from lo to hi: lane by lane what SplitSpan computes. nOffset is added to both slots.
inline void SplitSpans(__m256i lo, __m256i hi, __m256i nv, __m256 inv, __m256i lastBelow, __m256i perBin, __m256i nOffset,
                       int32_t* slotA, int32_t* cntA, int32_t* slotB, int32_t* cntB, int32_t* kInner)
{
    const __m256i one = Set(1), coarse = Set(kBoundCoarse), scale = Set(kBoundScale);
    const __m256i bl = Bins(lo, lastBelow), bh = Bins(hi, lastBelow);
    const __m256i oneBin = _mm256_cmpeq_epi32(bl, bh);
    const __m256i dLo = _mm256_sub_epi32(_mm256_max_epi32(_mm256_mullo_epi32(_mm256_add_epi32(bl, one), coarse), scale), lo);
    const __m256i dHi = _mm256_sub_epi32(_mm256_max_epi32(_mm256_mullo_epi32(bh, coarse), scale), lo);
    const __m256i a = _mm256_min_epi32(_mm256_add_epi32(Steps(dLo, inv), Set(2)), nv);
    const __m256i b = _mm256_max_epi32(_mm256_min_epi32(_mm256_add_epi32(_mm256_sub_epi32(nv, Steps(dHi, inv)), one), nv),
                                       _mm256_setzero_si256());
    const __m256i wide = _mm256_cmpgt_epi32(_mm256_sub_epi32(bh, bl), one);
    Store(slotA, _mm256_add_epi32(_mm256_add_epi32(bl, one), nOffset));
    Store(cntA, _mm256_blendv_epi8(a, nv, oneBin));
    Store(slotB, _mm256_add_epi32(_mm256_add_epi32(bh, one), nOffset));
    Store(cntB, _mm256_andnot_si256(oneBin, b));
    Store(kInner, _mm256_and_si256(_mm256_min_epi32(perBin, nv), wide));
}

}  // namespace

void BoundSpansAvx2(const CBoundStep& st, const int32_t* y, const int32_t* x1, const int32_t* n, size_t count,
                    int32_t* slotA, int32_t* cntA, int32_t* slotB, int32_t* cntB, int32_t* kInner)
{
    const CStep8 v(st);
    const __m256i one = Set(1), zero = _mm256_setzero_si256();
    size_t k = 0;
    for (; k + 8 <= count; k += 8) {
        const __m256i yv = Load(y + k), xv = Load(x1 + k), nv = Load(n + k);
        const __m256i num0 = _mm256_add_epi32(_mm256_mullo_epi32(yv, v.c), _mm256_mullo_epi32(xv, v.s));
        const __m256i numL = _mm256_add_epi32(num0, _mm256_mullo_epi32(_mm256_sub_epi32(nv, one), v.s));
        SplitSpans(_mm256_min_epi32(num0, numL), _mm256_max_epi32(num0, numL), nv, v.inv, v.lastBelow, v.perBin, zero,
                   slotA + k, cntA + k, slotB + k, cntB + k, kInner + k);
    }
    BoundSpansPlain(st, y + k, x1 + k, n + k, count - k, slotA + k, cntA + k, slotB + k, cntB + k, kInner + k);
}

size_t BoundPairAvx2(const CBoundPair& p, const int32_t* y, const int32_t* x1, const int32_t* n, size_t count,
                     int32_t* slotA, int32_t* cntA, int32_t* slotB, int32_t* cntB, int32_t* kInner, int32_t* bCross)
{
    const CStep8 a(p.a), b(p.b);
    const __m256i one = Set(1), scale = Set(kBoundScale), offB = Set(p.nOffsetB);
    size_t k = 0, nCrossings = 0;
    for (; k + 8 <= count; k += 8) {
        const __m256i yv = Load(y + k), xv = Load(x1 + k), nv = Load(n + k), steps = _mm256_sub_epi32(nv, one);
        const __m256i a0 = _mm256_add_epi32(_mm256_mullo_epi32(yv, a.c), _mm256_mullo_epi32(xv, a.s));
        const __m256i aL = _mm256_add_epi32(a0, _mm256_mullo_epi32(steps, a.s));
        const __m256i b0 = _mm256_add_epi32(_mm256_mullo_epi32(yv, b.c), _mm256_mullo_epi32(xv, b.s));
        const __m256i bL = _mm256_add_epi32(b0, _mm256_mullo_epi32(steps, b.s));
        const __m256i aHi = _mm256_max_epi32(a0, aL), bHi = _mm256_max_epi32(b0, bL);
        const __m256i useB = _mm256_cmpgt_epi32(scale, aHi);
        const __m256i lo = _mm256_blendv_epi8(_mm256_min_epi32(a0, aL), _mm256_min_epi32(b0, bL), useB);
        const __m256i hi = _mm256_blendv_epi8(aHi, bHi, useB);
        const __m256 inv = _mm256_blendv_ps(a.inv, b.inv, _mm256_castsi256_ps(useB));
        SplitSpans(lo, hi, nv, inv, _mm256_blendv_epi8(a.lastBelow, b.lastBelow, useB),
                   _mm256_blendv_epi8(a.perBin, b.perBin, useB), _mm256_and_si256(offB, useB), slotA + k, cntA + k,
                   slotB + k, cntB + k, kInner + k);
        const __m256i cross = _mm256_andnot_si256(useB, _mm256_cmpgt_epi32(bHi, _mm256_sub_epi32(scale, one)));
        Store(bCross + k, _mm256_and_si256(one, cross));
        nCrossings += size_t(__builtin_popcount(unsigned(_mm256_movemask_ps(_mm256_castsi256_ps(cross)))));
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
