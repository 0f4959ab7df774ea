// The image adjustments the device was sent (ScanDrv_SetScanParameterAdj) and their application
// to a whole page: the same effect calls, in the same order, as the data source's own
// adjustment chain, here on the effect library's algorithms linked into the device library.
#pragma once

#include "imaging/ImagePipeline.h"

#include <cstdint>

struct SScanAdjustments {
    int32_t nBrightness[4] = {};  // all, red, green, blue
    int32_t nContrast[4] = {};
    int32_t nCurve[4] = {};
    int32_t nGamma = 10;     // tenths
    bool bAutoThreshold = false;  // threshold -1: black and white by halftone
    int32_t nDescreen = 0;
    int32_t nFading = 0;

    bool operator==(const SScanAdjustments&) const = default;
    // Nothing to change: the page is served as drawn.
    bool IsNeutral() const { return *this == SScanAdjustments{}; }
    // The chain's values for a page of the device's colour mode and black-and-white threshold.
    _ImageAdjustments ForPage(int nMode, int nThreshold) const;
};

// Runs the adjustment chain over a whole page: 24-bit colour or 8-bit grey rows (black and
// white pages are adjusted as their grey rows, ending as bytes of 0 and 255).
void AdjustPage(const SScanAdjustments& adjust, int nMode, int nThreshold, const _ImageDesc& desc, uint8_t* pData);
