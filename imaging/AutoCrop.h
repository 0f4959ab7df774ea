// Automatic crop: finds the document on a scanned page by counting dark pixels per row and per
// column, widens and tightens the box found, and copies it out packed in the source's format.
#pragma once

#include <cstdint>

class CImageEffects;

struct CAutoCropParam {
    int32_t nPixelType;   // 0 black and white, 1 grey, 2 colour
    int32_t nResolution;  // dpi
    int32_t nWidth;
    int32_t nHeight;
    int32_t nOutWidth;    // out: cropped size, set when the page was cropped
    int32_t nOutHeight;
};

// Per-resolution thresholds: dark level, dark count per row/column, widening band, final margin.
struct CCropConstants {
    int32_t nThreshold;
    int32_t nCount;
    int32_t nWiden;
    int32_t nMargin;
};
CCropConstants CropConstantsFor(int32_t nResolution);

// Returns 1 when it cropped (target filled from its start, out size set), 0 when it did not.
// pDst must hold at least as many bytes as the source. Pages it cannot crop safely (null
// buffers, sizes or resolution not above 0, unknown pixel type, an empty box) are left alone.
int auto_crop(CImageEffects* pEffects, const uint8_t* pSrc, uint8_t* pDst, CAutoCropParam* pParam);
