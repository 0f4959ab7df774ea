// Conversions between the scanner's pixel formats and the 8-bit working form that automatic
// crop and deskew read: colour (R,G,B bytes) and packed black-and-white (MSB first, each row on
// a new byte) to one byte per pixel, and the 0/1 working form back to packed bits.
// Buffers are the caller's; nothing is allocated. Null buffers or non-positive sizes do nothing.
#pragma once

#include <cstddef>
#include <cstdint>

class CImageEffects;  // passed through by every image operation, never used

// Bytes of one packed black-and-white row.
constexpr size_t BwRowBytes(int32_t nWidth) { return (static_cast<size_t>(nWidth) + 7) / 8; }

// grey = min(red, green, blue)
void RgbToGray(CImageEffects* pEffects, const uint8_t* pSrc, uint8_t* pDst, int32_t nWidth, int32_t nHeight);
// one byte per pixel, 0 or 1
void BwToGray(CImageEffects* pEffects, const uint8_t* pSrc, uint8_t* pDst, int32_t nWidth, int32_t nHeight);
// Source values are shifted as a whole: only 0 and 1 pack correctly.
void GrayToBW(CImageEffects* pEffects, const uint8_t* pSrc, uint8_t* pDst, int32_t nWidth, int32_t nHeight);

// Row-level forms used inside the image operations (no trace lines).
void RgbRowToGray(const uint8_t* pSrc, uint8_t* pDst, int32_t nWidth);
void BwRowToGray(const uint8_t* pSrc, uint8_t* pDst, int32_t nWidth);
void GrayRowToBW(const uint8_t* pSrc, uint8_t* pDst, int32_t nWidth);
// Red-green-blue to blue-green-red (the bitmap order); pSrc and pDst do not overlap.
void RgbRowToBgr(const uint8_t* pSrc, uint8_t* pDst, int32_t nWidth);
// The vector parts of RgbRowToGray and RgbRowToBgr: convert a prefix of the row, return its length.
int32_t RgbRowToGrayAvx2(const uint8_t* pSrc, uint8_t* pDst, int32_t nWidth);
int32_t RgbRowToBgrAvx2(const uint8_t* pSrc, uint8_t* pDst, int32_t nWidth);
