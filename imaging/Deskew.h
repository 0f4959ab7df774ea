// Automatic deskew: measures the skew of the document on a page as a whole number of degrees
// in [-14, 14] (0 when there is none or the measurement is unsure) from an edge map, a 5 x 5
// dilation, a row-difference edge detector and a Hough transform over 360 one-degree steps.
#pragma once

#include <cstdint>
#include <utility>
#include <vector>

class CImageEffects;

// pGray: the working grey form, W x H bytes (black-and-white pages hold 0 and 1).
// Pages it cannot measure safely (null, a side of 100 or less, resolution not above 0, unknown
// pixel type) have no skew.
float auto_deskew(CImageEffects* pEffects, const uint8_t* pGray, int32_t nWidth, int32_t nHeight,
                  int32_t nPixelType, int32_t nResolution);

// 100000 * cos and sin of (i + 1) degrees, rounded down, i = 0..359.
const int32_t* DeskewCosTable();
const int32_t* DeskewSinTable();

// The angle chosen from the Hough maxima, listed as (rho, step) in order of rho then step:
// the last step + 1, zero when the steps (folded into [0, 180)) spread over more than 4,
// then normalised into (-15, 15) (0 otherwise). Writes its trace lines.
double DeskewAngleFromMaxima(const std::vector<std::pair<int32_t, int32_t>>& maxima);
