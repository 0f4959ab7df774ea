// Rotation of a page about its centre by a small angle, keeping its size: single-precision
// coordinates, bilinear interpolation, uncovered corners white.
#pragma once

#include <cstdint>

#include "imaging/PageBytes.h"

class CImageEffects;

struct CRotateParam {
    int32_t nPixelType;   // 0 black and white (source in the 0/1 working form), 1 grey, 2 colour
    int32_t nResolution;
    int32_t nWidth;
    int32_t nHeight;
    int32_t nOutWidth;    // out: always the source size
    int32_t nOutHeight;
    float fAngle;         // degrees
};

// The rotated page in the source's format (black and white comes back packed, rows of
// (W + 7) / 8 bytes); empty when the page cannot be rotated (null, bad size or pixel type, an
// angle that is not a number or infinite, out of memory), in which case the caller keeps it.
CPageBytes normal_rotate(CImageEffects* pEffects, const uint8_t* pSrc, CRotateParam* pParam);
