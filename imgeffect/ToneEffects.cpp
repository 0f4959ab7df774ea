// Gamma, brightness/contrast and tone curves: per-value mappings applied through tables.
#include "imgeffect/PixelRows.h"

#include <algorithm>
#include <cmath>

namespace imgfx {

namespace {

int RoundHalfUp(double v) { return static_cast<int>(std::floor(v + 0.5)); }

int LimitPercent(int32_t v) { return std::clamp<int32_t>(v, -100, 100); }

ToneTable BrightContrastTable(int nBright, int nContrast)
{
    ToneTable table{};
    for (int x = 0; x < 256; ++x)
        table[x] = static_cast<uint8_t>(BrightContrastValue(nBright, nContrast, x));
    return table;
}

bool IsValidPreset(int32_t n) { return n >= 0 && n <= 4; }

ToneTable ToneCurveTable(int nPreset)
{
    ToneTable table{};
    for (int x = 0; x < 256; ++x)
        table[x] = static_cast<uint8_t>(ToneCurveValue(nPreset, x));
    return table;
}

}  // namespace

ToneTable GammaTable(double dGamma)
{
    ToneTable table{};
    for (int x = 0; x < 256; ++x)
        table[x] = static_cast<uint8_t>(Clamp255(RoundHalfUp(255.0 * std::pow(x / 255.0, 1.0 / dGamma))));
    return table;
}

int BrightContrastValue(int nBright, int nContrast, int x)
{
    const double b = LimitPercent(nBright);
    const double c = LimitPercent(nContrast);
    return Clamp255(RoundHalfUp((x - 128) * (100.0 + c) / 100.0 + 128.0 + b * 127.0 / 100.0));
}

int ToneCurveValue(int nPreset, int x)
{
    const double d = x;
    switch (nPreset) {
    case 1: {
        const double v = (0.03168 + 6.6347 * d) / (1 + 0.024496 * d - 8.9e-6 * d * d);
        return Clamp255(static_cast<int>(std::min(v + 0.5, 255.0) + 0.5));
    }
    case 2:
        return Clamp255(static_cast<int>(std::min(255.0 * std::pow(255.0, -1.5) * std::pow(d, 1.5), 255.0) + 0.5));
    case 3:
        return Clamp255(static_cast<int>(((-3.977e-5 * d + 0.0152614) * d - 0.283512) * d - 0.753321));
    case 4:
        return Clamp255(256 - x);
    default:
        return Clamp255(x);
    }
}

int ApplyGamma(const _ImageDesc& desc, uint8_t* pData, float fGamma, bool bGray)
{
    if (!IsValidImage(desc, pData) || !std::isfinite(fGamma) || !(fGamma > 0.0f))
        return IMGEFFECT_BAD_ARGUMENT;
    ApplyTables(desc, pData, GammaTable(fGamma), nullptr, bGray);
    return IMGEFFECT_OK;
}

int ApplyBrightContrast(const _ImageDesc& desc, uint8_t* pData, const int32_t nBright[4],
                        const int32_t nContrast[4], bool bGray)
{
    if (!IsValidImage(desc, pData) || !nBright || !nContrast)
        return IMGEFFECT_BAD_ARGUMENT;
    const ToneTable channels[3] = {BrightContrastTable(nBright[1], nContrast[1]),
                                   BrightContrastTable(nBright[2], nContrast[2]),
                                   BrightContrastTable(nBright[3], nContrast[3])};
    ApplyTables(desc, pData, BrightContrastTable(nBright[0], nContrast[0]), channels, bGray);
    return IMGEFFECT_OK;
}

int ApplyToneCurve(const _ImageDesc& desc, uint8_t* pData, const int32_t nCurve[4], bool bGray)
{
    if (!IsValidImage(desc, pData) || !nCurve || !std::all_of(nCurve, nCurve + 4, IsValidPreset))
        return IMGEFFECT_BAD_ARGUMENT;
    const ToneTable channels[3] = {ToneCurveTable(nCurve[1]), ToneCurveTable(nCurve[2]),
                                   ToneCurveTable(nCurve[3])};
    ApplyTables(desc, pData, ToneCurveTable(nCurve[0]), channels, bGray);
    return IMGEFFECT_OK;
}

int RewriteBrightContrastTable(int32_t nBright, int32_t nContrast, int32_t* pTable)
{
    if (!pTable)
        return IMGEFFECT_BAD_ARGUMENT;
    for (int i = 0; i < 256; ++i)
        pTable[i] = BrightContrastValue(nBright, nContrast, Clamp255(pTable[i]));
    return IMGEFFECT_OK;
}

}  // namespace imgfx
