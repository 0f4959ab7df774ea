// The exported functions of mvlImgEffect.dll: thin guards around the portable algorithms.
// Callers own the descriptors and data; every pointer is checked before use.
#include "imgeffect/ImgEffectCore.h"

namespace {

// Grey handling is selected per thread: the preview threads and the scan thread each run their
// own adjustment chain (flag on, gamma, flag off) and must not see each other's setting.
thread_local bool t_bGrayPreview = false;

// No C++ exception may cross the library's C boundary; the only one the algorithms can raise is
// a failed allocation of their row buffers.
template <typename Fn>
int Guarded(Fn fn) noexcept
{
    try {
        return fn();
    } catch (...) {
        return IMGEFFECT_NO_MEMORY;
    }
}

}  // namespace

extern "C" {

int ChangeGamma(_ImageDesc* pDesc, uint8_t* pData, float fGamma)
{
    if (!pDesc)
        return IMGEFFECT_BAD_ARGUMENT;
    return Guarded([&] { return imgfx::ApplyGamma(*pDesc, pData, fGamma, t_bGrayPreview); });
}

int Change_BrightAndConsent(_ImageDesc* pDesc, uint8_t* pData, int32_t nBright0, int32_t nBright1,
                            int32_t nBright2, int32_t nBright3, int32_t nContrast0, int32_t nContrast1,
                            int32_t nContrast2, int32_t nContrast3)
{
    const int32_t nBright[4] = {nBright0, nBright1, nBright2, nBright3};
    const int32_t nContrast[4] = {nContrast0, nContrast1, nContrast2, nContrast3};
    if (!pDesc)
        return IMGEFFECT_BAD_ARGUMENT;
    return Guarded([&] { return imgfx::ApplyBrightContrast(*pDesc, pData, nBright, nContrast, t_bGrayPreview); });
}

int ColorCurse_Ajust(_ImageDesc* pDesc, uint8_t* pData, int32_t nCurve0, int32_t nCurve1,
                     int32_t nCurve2, int32_t nCurve3)
{
    const int32_t nCurve[4] = {nCurve0, nCurve1, nCurve2, nCurve3};
    if (!pDesc)
        return IMGEFFECT_BAD_ARGUMENT;
    return Guarded([&] { return imgfx::ApplyToneCurve(*pDesc, pData, nCurve, t_bGrayPreview); });
}

int Theashold_Preview(_ImageDesc* pDesc, uint8_t* pData, int32_t nThreshold)
{
    if (!pDesc)
        return IMGEFFECT_BAD_ARGUMENT;
    return Guarded([&] { return imgfx::ApplyThreshold(*pDesc, pData, nThreshold); });
}

int Halftone_Preview(_ImageDesc* pDesc, uint8_t* pData)
{
    if (!pDesc)
        return IMGEFFECT_BAD_ARGUMENT;
    return Guarded([&] { return imgfx::ApplyHalftone(*pDesc, pData); });
}

int ChangeToGray_Preview(_ImageDesc* pDesc, uint8_t* pData)
{
    if (!pDesc)
        return IMGEFFECT_BAD_ARGUMENT;
    return Guarded([&] { return imgfx::ApplyGrey(*pDesc, pData); });
}

int Curve_BrightAndConsent(int32_t nBright, int32_t nContrast, int32_t* pTable)
{
    return imgfx::RewriteBrightContrastTable(nBright, nContrast, pTable);
}

int GetHistogramData(_HistogramData* pTarget, _ImageDesc* pDesc, uint8_t* pData)
{
    if (!pTarget || !pDesc)
        return IMGEFFECT_BAD_ARGUMENT;
    return Guarded([&] { return imgfx::ComputeHistogram(*pDesc, pData, *pTarget); });
}

int CorrectFading(_ImageDesc* pDesc, uint8_t* pData, int32_t nLevel)
{
    if (!pDesc)
        return IMGEFFECT_BAD_ARGUMENT;
    return Guarded([&] { return imgfx::ApplyFadingCorrection(*pDesc, pData, nLevel); });
}

int Descreen(_ImageDesc* pDesc, uint8_t* pData)
{
    if (!pDesc)
        return IMGEFFECT_BAD_ARGUMENT;
    return Guarded([&] { return imgfx::ApplyDescreen(*pDesc, pData); });
}

int RotationImg(int32_t nAngle, _ImageDesc* pSrcDesc, uint8_t* pSrcData, _ImageDesc* pDstDesc,
                uint8_t* pDstData)
{
    if (!pSrcDesc || !pDstDesc)
        return IMGEFFECT_BAD_ARGUMENT;
    return Guarded([&] { return imgfx::RotateQuarter(nAngle, *pSrcDesc, pSrcData, *pDstDesc, pDstData); });
}

void SetGrayPreviewFlag(int32_t nFlag)
{
    t_bGrayPreview = nFlag != 0;
}

}  // extern "C"
