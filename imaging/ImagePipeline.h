// The user's image adjustments, applied to preview images and scanned strips in one fixed order,
// and the whitening of what lies outside the selected scan area.
#pragma once

#include "imaging/BlankOutsideArea.h"
#include "imaging/ImageEffects.h"

#include <cstdint>

// The adjustment values of the scan-parameter record that the chain reads.
struct _ImageAdjustments {
    int32_t m_nImageType = 2;  // 0 black and white, 1 grey, 2 colour
    int32_t m_bHalftone = 0;   // the record's automatic-threshold field
    int32_t m_nThreshold = 0;  // 0..255
    int32_t m_nDescreen = 0;   // 0 off
    int32_t m_nGamma = 10;     // tenths: 10 = 1.0
    int32_t m_nFadeLevel = 0;  // 0 off
    int32_t m_nCurve[4] = {};
    int32_t m_nBrightness[4] = {};
    int32_t m_nContrast[4] = {};
};

// The threshold as the black-and-white chain uses it when remapping is asked for:
// 0..72 spread over 0..183 and 72..255 over 183..255, clamped to 0..255.
int RemapThreshold(int nThreshold);

// Runs the effect calls in order; returns the last call's result, the first failing call's result,
// or 2 when no call was made.
int ApplyImageEffects(CImageEffects& effects, const _ImageDesc& desc, uint8_t* pData,
                      const _ImageAdjustments& adj, bool bRemapThreshold);
