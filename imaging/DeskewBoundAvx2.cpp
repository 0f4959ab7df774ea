// The coarse split of runs, four at a time in double lanes. Built with -mavx2 (no FMA, no
// contraction): each lane computes exactly what the plain version computes.
#include "imaging/DeskewBound.h"

#if defined(MVL_IMAGING_AVX2)
#include <immintrin.h>

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
#else
void BoundSplitsAvx2(const CBoundStep& st, const int32_t* y, const int32_t* x1, const int32_t* n, size_t count,
                     int32_t* slotA, int32_t* cntA, int32_t* slotB, int32_t* cntB)
{
    BoundSplitsPlain(st, y, x1, n, count, slotA, cntA, slotB, cntB);
}
#endif
