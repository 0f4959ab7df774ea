// The per-row work of the crop's whole-page pass, in one form for every instruction set: the
// bodies are compiled once plainly and once for AVX2 (CropRowKernelAvx2.cpp) and chosen at run
// time. They use no library templates, so the two builds never share an instantiation.
#pragma once

#include <cstdint>

struct CCropRowBuffers {
    uint8_t* pDark;  // 1 where the grey value is at or below the dark level
    uint8_t* pAge;   // rows since the column's last dark pixel, saturated at 255
    uint8_t* pS1;    // dark within 2, 4, 8 and 16 columns to the right
    uint8_t* pS2;
    uint8_t* pS4;
    uint8_t* pS8;
    uint8_t* pCount;  // per column: rows with a dark pixel within 15 columns (wraps after 255)
};

constexpr int32_t kCropEdge = 50;        // never searched: scanner edges carry shadows
constexpr int32_t kCropHalfWindow = 15;  // 31-pixel windows

// Dark map of grey row g and the column ages; returns how many searched columns had a dark
// pixel within the last 31 rows. Needs W > 2 * kCropEdge.
int32_t CropDarkRowPlain(const uint8_t* g, int32_t W, int32_t nThreshold, const CCropRowBuffers& b);
int32_t CropDarkRowAvx2(const uint8_t* g, int32_t W, int32_t nThreshold, const CCropRowBuffers& b);
// Adds the row's horizontally dilated dark map to the byte counters.
void CropDilateRowPlain(int32_t W, const CCropRowBuffers& b);
void CropDilateRowAvx2(int32_t W, const CCropRowBuffers& b);
// PackAtOrBelow thirty-two pixels at a time.
void PackAtOrBelowAvx2(const uint8_t* pRow, int32_t nWidth, uint8_t nLevel, uint64_t* pWords);

#if defined(MVL_CROP_ROW_BODIES)
namespace {

inline int32_t CropDarkRowBody(const uint8_t* g, int32_t W, int32_t nThreshold, const CCropRowBuffers& b)
{
    uint8_t* d = b.pDark;
    const int32_t x0 = kCropEdge - kCropHalfWindow, x1 = W - x0;
    if (nThreshold < 0) {
        for (int32_t x = x0; x < x1; ++x) d[x] = 0;
    } else {
        const uint8_t level = nThreshold > 255 ? uint8_t(255) : static_cast<uint8_t>(nThreshold);
        for (int32_t x = x0; x < x1; ++x) d[x] = g[x] <= level;
    }
    uint8_t* age = b.pAge;
    int32_t nDark = 0;
    for (int32_t x = kCropEdge; x < W - kCropEdge; ++x) {
        const uint8_t a = d[x] ? uint8_t(0) : uint8_t(age[x] + (age[x] != 255));
        age[x] = a;
        nDark += a <= 2 * kCropHalfWindow;
    }
    return nDark;
}

inline void CropDilateRowBody(int32_t W, const CCropRowBuffers& b)
{
    const uint8_t* d = b.pDark;
    uint8_t *s1 = b.pS1, *s2 = b.pS2, *s4 = b.pS4, *s8 = b.pS8;
    const int32_t lo = kCropEdge - kCropHalfWindow;
    for (int32_t x = lo; x < W - 36; ++x) s1[x] = d[x] | d[x + 1];
    for (int32_t x = lo; x < W - 38; ++x) s2[x] = s1[x] | s1[x + 2];
    for (int32_t x = lo; x < W - 42; ++x) s4[x] = s2[x] | s2[x + 4];
    for (int32_t x = lo; x < W - kCropEdge; ++x) s8[x] = s4[x] | s4[x + 8];  // covers x..x+15
    uint8_t* cnt = b.pCount;
    for (int32_t x = kCropEdge; x < W - kCropEdge; ++x) cnt[x] = uint8_t(cnt[x] + (s8[x - kCropHalfWindow] | s8[x]));
}

}  // namespace
#endif
