// The per-row resampling of page rotation, one version per instruction set. Every version
// evaluates the same single-precision expressions in the same order (no fused multiply-add),
// so all give the same bytes.
#pragma once

#include <cstdint>

struct CRotateGeometry {
    const uint8_t* pSrc;  // one byte per pixel (nChannels 1) or R,G,B (nChannels 3)
    uint8_t* pDst;
    int32_t nWidth;
    int32_t nHeight;
    int32_t nChannels;
    uint8_t nWhite;
    float fCos;
    float fSin;
};

// Output columns resampled together over a band of rows (a multiple of 8).
constexpr int32_t kRotateStrip = 256;

// Columns [j0, j1) of output row i.
void RotateRowPlain(const CRotateGeometry& g, int32_t i, int32_t j0, int32_t j1);
void RotateRowsPlain(const CRotateGeometry& g, int32_t i0, int32_t i1);
void RotateRowsAvx2(const CRotateGeometry& g, int32_t i0, int32_t i1);
