// The per-row work of the deskew edge pass, in one form for every instruction set: the bodies
// are compiled once plainly (DeskewRowKernel.cpp) and once for AVX2 (DeskewRowKernelAvx2.cpp)
// and chosen at run time. They use no library templates, so the two builds never share an
// instantiation.
#pragma once

#include <cstdint>

constexpr int32_t kEdgeFirst = 52;   // edge map rows/columns [52, size - 52)
constexpr int32_t kPointFirst = 53;  // dilated map and points [53, size - 52)

struct CDeskewRowKernels {
    // Row e of the edge map (zero outside the band the map covers).
    void (*pEdgeRow)(const uint8_t* pGray, int32_t W, int32_t H, int32_t e, uint8_t* pOut);
    // Horizontal 5-sums of the row dilated from edge-map rows e[0..4] (zero outside the band).
    void (*pDilatedSums)(const uint8_t* const* e, uint8_t* pColumn, uint8_t* pDilated, int32_t W, int32_t H,
                         int32_t r, uint16_t* pSum);
    // Point bits (bit x of word x / 64) where the two rows of sums differ by the threshold or
    // more; returns how many.
    uint32_t (*pPointBits)(const uint16_t* pPrev, const uint16_t* pCur, int32_t W, int32_t nThreshold,
                           uint64_t* pWords);
    // Sum of pRow[x0, x1).
    uint32_t (*pRowSum)(const uint8_t* pRow, int32_t x0, int32_t x1);
    // Over [x0, x1): adds 1 to the byte counter of each pixel at or below nLevel (they wrap after
    // 255 rows) and returns how many were.
    int32_t (*pDarkRow)(const uint8_t* pRow, int32_t x0, int32_t x1, uint8_t nLevel, uint8_t* pCount);
};

CDeskewRowKernels DeskewRowKernelsPlain();
CDeskewRowKernels DeskewRowKernelsAvx2();

#if defined(MVL_DESKEW_ROW_BODIES)
#include <cstring>
#if defined(__AVX2__)
#include <immintrin.h>
#endif

namespace {

inline uint8_t Level(uint8_t v) { return v < 129 ? v : uint8_t(255); }
inline uint8_t Max8(uint8_t a, uint8_t b) { return a > b ? a : b; }
inline uint8_t Min8(uint8_t a, uint8_t b) { return a < b ? a : b; }

// Zeroes the entries of a row outside [x0, x1) (all of it on a page too narrow for the band):
// rows are written only inside the band, and clearing all of every row cost as much as a pass
// over the page.
template <typename T>
void ZeroOutside(T* p, int32_t W, int32_t x0, int32_t x1)
{
    if (x1 <= x0) {
        std::memset(p, 0, sizeof(T) * W);
        return;
    }
    std::memset(p, 0, sizeof(T) * x0);
    std::memset(p + x1, 0, sizeof(T) * (W - x1));
}

void EdgeRowBody(const uint8_t* pGray, int32_t W, int32_t H, int32_t e, uint8_t* pOut)
{
    if (e < kEdgeFirst || e >= H - kEdgeFirst) {
        std::memset(pOut, 0, W);
        return;
    }
    ZeroOutside(pOut, W, kEdgeFirst, W - kEdgeFirst);
    const uint8_t* up = pGray + static_cast<size_t>(W) * (e - 2);
    const uint8_t* dn = pGray + static_cast<size_t>(W) * (e + 2);
    // Byte arithmetic throughout, so that the loop runs 16 or 32 pixels at a time.
    for (int32_t x = kEdgeFirst; x < W - kEdgeFirst; ++x) {
        const uint8_t a = Level(up[x - 2]), c = Level(up[x + 2]);
        const uint8_t b = Level(dn[x - 2]), d = Level(dn[x + 2]);
        // (|a+b-c-d| + |a+c-b-d|) / 2 is exactly the larger of |a-d| and |b-c|
        const uint8_t ad = uint8_t(Max8(a, d) - Min8(a, d)), bc = uint8_t(Max8(b, c) - Min8(b, c));
        const uint16_t sum = uint16_t(uint16_t(a) + uint16_t(b) + uint16_t(c) + uint16_t(d));
        pOut[x] = sum < 765 ? Max8(ad, bc) : uint8_t(0);
    }
}

void DilatedSumsBody(const uint8_t* const* e, uint8_t* col, uint8_t* dil, int32_t W, int32_t H, int32_t r,
                     uint16_t* pSum)
{
    if (r < kPointFirst || r >= H - kEdgeFirst) {
        std::memset(pSum, 0, sizeof(uint16_t) * W);
        return;
    }
    ZeroOutside(pSum, W, kPointFirst, W - kEdgeFirst);
    const uint8_t *e0 = e[0], *e1 = e[1], *e2 = e[2], *e3 = e[3], *e4 = e[4];
    for (int32_t x = kPointFirst - 2; x < W - kEdgeFirst + 2; ++x)
        col[x] = Max8(Max8(Max8(e0[x], e1[x]), Max8(e2[x], e3[x])), e4[x]);
    ZeroOutside(dil, W, kPointFirst, W - kEdgeFirst);
    for (int32_t x = kPointFirst; x < W - kEdgeFirst; ++x)
        dil[x] = Max8(Max8(Max8(col[x - 2], col[x - 1]), Max8(col[x], col[x + 1])), col[x + 2]);
    for (int32_t x = kPointFirst; x < W - kEdgeFirst; ++x)
        pSum[x] = static_cast<uint16_t>(dil[x - 2] + dil[x - 1] + dil[x] + dil[x + 1] + dil[x + 2]);
}

uint32_t PointBitsBody(const uint16_t* prev, const uint16_t* cur, int32_t W, int32_t nThreshold, uint64_t* pWords)
{
    const int32_t nWords = (W + 63) / 64;
    std::memset(pWords, 0, sizeof(uint64_t) * nWords);
    const int32_t x0 = kPointFirst, x1 = W - kEdgeFirst;
    uint32_t nCount = 0;
    for (int32_t w = x0 / 64; w * 64 < x1; ++w) {
        uint64_t bits = 0;
#if defined(__AVX2__)
        if (w * 64 + 64 <= W && nThreshold > 0 && nThreshold <= 32767) {
            // The sums stay below 5 * 255, so their differences fit 16 bits.
            const __m256i below = _mm256_set1_epi16(static_cast<int16_t>(nThreshold - 1));
            for (int k = 0; k < 2; ++k) {
                const int32_t x = w * 64 + 32 * k;
                const __m256i d0 = _mm256_abs_epi16(_mm256_sub_epi16(
                    _mm256_loadu_si256(reinterpret_cast<const __m256i*>(prev + x)),
                    _mm256_loadu_si256(reinterpret_cast<const __m256i*>(cur + x))));
                const __m256i d1 = _mm256_abs_epi16(_mm256_sub_epi16(
                    _mm256_loadu_si256(reinterpret_cast<const __m256i*>(prev + x + 16)),
                    _mm256_loadu_si256(reinterpret_cast<const __m256i*>(cur + x + 16))));
                const __m256i m = _mm256_permute4x64_epi64(
                    _mm256_packs_epi16(_mm256_cmpgt_epi16(d0, below), _mm256_cmpgt_epi16(d1, below)), 0xD8);
                bits |= uint64_t(static_cast<uint32_t>(_mm256_movemask_epi8(m))) << (32 * k);
            }
            const int32_t a = w * 64 > x0 ? 0 : x0 - w * 64, b = w * 64 + 64 < x1 ? 64 : x1 - w * 64;
            bits &= (~uint64_t(0) << a) & (b == 64 ? ~uint64_t(0) : ~(~uint64_t(0) << b));
            pWords[w] = bits;
            nCount += static_cast<uint32_t>(__builtin_popcountll(bits));
            continue;
        }
#endif
        const int32_t a = w * 64 > x0 ? w * 64 : x0, b = w * 64 + 64 < x1 ? w * 64 + 64 : x1;
        for (int32_t x = a; x < b; ++x) {
            const int32_t v = int32_t(prev[x]) - int32_t(cur[x]);
            bits |= uint64_t((v >= nThreshold) | (-v >= nThreshold)) << (x - w * 64);
        }
        pWords[w] = bits;
        nCount += static_cast<uint32_t>(__builtin_popcountll(bits));
    }
    return nCount;
}

uint32_t RowSumBody(const uint8_t* g, int32_t x0, int32_t x1)
{
    uint32_t n = 0;
    int32_t x = x0;
#if defined(__AVX2__)
    __m256i acc = _mm256_setzero_si256();
    for (; x + 32 <= x1; x += 32)
        acc = _mm256_add_epi64(acc, _mm256_sad_epu8(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(g + x)),
                                                    _mm256_setzero_si256()));
    alignas(32) uint64_t lanes[4];
    _mm256_store_si256(reinterpret_cast<__m256i*>(lanes), acc);
    n = static_cast<uint32_t>(lanes[0] + lanes[1] + lanes[2] + lanes[3]);
#endif
    for (; x < x1; ++x) n += g[x];
    return n;
}

int32_t DarkRowBody(const uint8_t* g, int32_t x0, int32_t x1, uint8_t nLevel, uint8_t* pCount)
{
    int32_t n = 0;
    for (int32_t x = x0; x < x1; ++x) {
        const uint8_t d = g[x] <= nLevel;
        pCount[x] = uint8_t(pCount[x] + d);
        n += d;
    }
    return n;
}

}  // namespace
#endif
