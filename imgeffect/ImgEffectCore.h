// The image effect algorithms behind mvlImgEffect.dll, as portable functions. Each takes the
// descriptor and data of imgeffect/ImgEffectApi.h and returns IMGEFFECT_OK or
// IMGEFFECT_BAD_ARGUMENT; nothing here allocates more than a few rows.
//
// Common rules
// - A descriptor is accepted when rows >= 0, width >= 0, bits per pixel is 1, 8 or 24 and
//   bytes per row >= (width * bits per pixel + 7) / 8; the data pointer may be null only for an
//   empty image (no rows or no pixels). Anything else is IMGEFFECT_BAD_ARGUMENT, data untouched.
// - Only the (width * bits per pixel + 7) / 8 leading bytes of a row are read or written.
// - Grey value of a colour pixel: Y = (299 R + 587 G + 114 B + 500) / 1000 (integer division).
// - round(v) = floor(v + 0.5); clamp(v) limits to 0..255.
// - Tone effects (gamma, brightness/contrast, curve, fading) leave 1-bit data unchanged and
//   return IMGEFFECT_OK. On 8-bit data they use the "all channels" value only.
// - Grey handling (bGray, set through SetGrayPreviewFlag): a colour pixel is first reduced to Y,
//   the "all channels" mapping f is applied to Y and f(Y) is written to all three channels.
//   Without it, colour pixels get f_all then the channel's own mapping: R' = f_red(f_all(R)) etc.
//
// Formulas
// - Gamma g (finite, > 0, else IMGEFFECT_BAD_ARGUMENT): f(x) = round(255 * (x / 255)^(1 / g)).
// - Brightness b and contrast c (each limited to -100..100):
//   f(x) = clamp(round((x - 128) * (100 + c) / 100 + 128 + b * 127 / 100)), real arithmetic.
//   Curve_BrightAndConsent rewrites a table t[i] := f(clamp(t[i])) with the same f.
// - Tone curve preset p (0..4, anything else IMGEFFECT_BAD_ARGUMENT), the curves the tone-curve
//   dialog draws, "int" truncating toward zero:
//     0: y = x
//     1: y = int(min((0.03168 + 6.6347 x) / (1 + 0.024496 x - 8.9e-6 x^2) + 0.5, 255) + 0.5)
//     2: y = int(min(255 * 255^-1.5 * x^1.5, 255) + 0.5)
//     3: y = clamp(int(((-3.977e-5 x + 0.0152614) x - 0.283512) x - 0.753321))
//     4: y = clamp(256 - x)
// - Threshold t (limited to 0..255): out = 255 when the grey value (Y, or the byte) >= t, else 0,
//   written to every channel. 1-bit data unchanged.
// - Grey: colour pixels become (Y, Y, Y); 8-bit and 1-bit data unchanged.
// - Halftone (Floyd-Steinberg error diffusion, rows top-down, pixels left to right):
//   v = grey value + e[x]; out = v >= 128 ? 255 : 0 (every channel); err = v - out;
//   e[x+1] += err * 7 / 16 in this row, and in the next row e[x-1] += err * 3 / 16,
//   e[x] += err * 5 / 16, e[x+1] += err * 1 / 16 (integer division truncating toward zero;
//   shares falling outside the row are dropped). The error starts at 0 on every call.
// - Fading level L (0 off, 1..3, anything else IMGEFFECT_BAD_ARGUMENT): per channel, with N the
//   pixel count and k = N * {5, 10, 20}[L-1] / 1000 (integer), lo = the smallest value v whose
//   cumulative count from 0 exceeds k, hi = the largest v whose cumulative count from 255
//   exceeds k; when hi > lo: f(x) = clamp(round((x - lo) * 255 / (hi - lo))), else unchanged.
//   Colour data stretch red, green and blue each by their own lo and hi.
// - Descreen: each channel is smoothed with the 3 x 3 kernel [1 2 1; 2 4 2; 1 2 1]:
//   out = (sum of weight * in + 8) / 16, the image's edge pixels repeated outside it, every
//   output computed from the original values. 1-bit data unchanged.
// - Histogram: counts of R, G, B and Y (8-bit data: the byte in all four; 1-bit: 0 or 255).
//   Per histogram h with N pixels: mean = sum(v h[v]) / N; standard deviation =
//   sqrt(sum(h[v] (v - mean)^2) / N); median = the smallest v whose cumulative count
//   reaches (N + 1) / 2 (integer). All statistics 0 for an empty image.
// - Rotation by a quarter turn, target(row i, column j) for a W x H source:
//     90:  source(row j, column W - 1 - i)   (the source's right edge becomes the top row)
//     180: source(row H - 1 - i, column W - 1 - j)
//     270: source(row H - 1 - j, column i)
//   The target descriptor must have the rotated size and the same bits per pixel. Unused low
//   bits at the end of a 1-bit target row are written as 0. Source and target must not overlap.
#pragma once

#include "imgeffect/ImgEffectApi.h"

#include <array>
#include <cstdint>

namespace imgfx {

bool IsValidImage(const _ImageDesc& desc, const uint8_t* pData);
inline int GreyOf(int r, int g, int b) { return (299 * r + 587 * g + 114 * b + 500) / 1000; }

using ToneTable = std::array<uint8_t, 256>;
ToneTable GammaTable(double dGamma);
int BrightContrastValue(int nBright, int nContrast, int x);
int ToneCurveValue(int nPreset, int x);

int ApplyGamma(const _ImageDesc& desc, uint8_t* pData, float fGamma, bool bGray);
int ApplyBrightContrast(const _ImageDesc& desc, uint8_t* pData, const int32_t nBright[4],
                        const int32_t nContrast[4], bool bGray);
int ApplyToneCurve(const _ImageDesc& desc, uint8_t* pData, const int32_t nCurve[4], bool bGray);
int RewriteBrightContrastTable(int32_t nBright, int32_t nContrast, int32_t* pTable);

int ApplyThreshold(const _ImageDesc& desc, uint8_t* pData, int32_t nThreshold);
int ApplyHalftone(const _ImageDesc& desc, uint8_t* pData);
int ApplyGrey(const _ImageDesc& desc, uint8_t* pData);

int ApplyFadingCorrection(const _ImageDesc& desc, uint8_t* pData, int32_t nLevel);
int ApplyDescreen(const _ImageDesc& desc, uint8_t* pData);
int ComputeHistogram(const _ImageDesc& desc, const uint8_t* pData, _HistogramData& target);

int RotateQuarter(int32_t nAngle, const _ImageDesc& src, const uint8_t* pSrc,
                  const _ImageDesc& dst, uint8_t* pDst);

}  // namespace imgfx
