// The exported functions of mvlImgEffect.dll: thin guards around the portable algorithms.
// Callers own the descriptors and data; every pointer is checked before use.
#include "imgeffect/ImgEffectCore.h"

namespace {

// Grey handling is selected per thread: the preview threads and the scan thread each run their
// own adjustment chain (flag on, gamma, flag off) and must not see each other's setting.
thread_local bool t_bGrayPreview = false;

}  // namespace

extern "C" {

int ChangeGamma(_ImageDesc* pDesc, uint8_t* pData, float fGamma)
{
    return pDesc ? imgfx::ApplyGamma(*pDesc, pData, fGamma, t_bGrayPreview) : IMGEFFECT_BAD_ARGUMENT;
}

int Change_BrightAndConsent(_ImageDesc* pDesc, uint8_t* pData, int32_t nBright0, int32_t nBright1,
                            int32_t nBright2, int32_t nBright3, int32_t nContrast0, int32_t nContrast1,
                            int32_t nContrast2, int32_t nContrast3)
{
    const int32_t nBright[4] = {nBright0, nBright1, nBright2, nBright3};
    const int32_t nContrast[4] = {nContrast0, nContrast1, nContrast2, nContrast3};
    return pDesc ? imgfx::ApplyBrightContrast(*pDesc, pData, nBright, nContrast, t_bGrayPreview)
                 : IMGEFFECT_BAD_ARGUMENT;
}

int ColorCurse_Ajust(_ImageDesc* pDesc, uint8_t* pData, int32_t nCurve0, int32_t nCurve1,
                     int32_t nCurve2, int32_t nCurve3)
{
    const int32_t nCurve[4] = {nCurve0, nCurve1, nCurve2, nCurve3};
    return pDesc ? imgfx::ApplyToneCurve(*pDesc, pData, nCurve, t_bGrayPreview) : IMGEFFECT_BAD_ARGUMENT;
}

int Theashold_Preview(_ImageDesc* pDesc, uint8_t* pData, int32_t nThreshold)
{
    return pDesc ? imgfx::ApplyThreshold(*pDesc, pData, nThreshold) : IMGEFFECT_BAD_ARGUMENT;
}

int Halftone_Preview(_ImageDesc* pDesc, uint8_t* pData)
{
    return pDesc ? imgfx::ApplyHalftone(*pDesc, pData) : IMGEFFECT_BAD_ARGUMENT;
}

int ChangeToGray_Preview(_ImageDesc* pDesc, uint8_t* pData)
{
    return pDesc ? imgfx::ApplyGrey(*pDesc, pData) : IMGEFFECT_BAD_ARGUMENT;
}

int Curve_BrightAndConsent(int32_t nBright, int32_t nContrast, int32_t* pTable)
{
    return imgfx::RewriteBrightContrastTable(nBright, nContrast, pTable);
}

int GetHistogramData(_HistogramData* pTarget, _ImageDesc* pDesc, uint8_t* pData)
{
    return pTarget && pDesc ? imgfx::ComputeHistogram(*pDesc, pData, *pTarget) : IMGEFFECT_BAD_ARGUMENT;
}

int CorrectFading(_ImageDesc* pDesc, uint8_t* pData, int32_t nLevel)
{
    return pDesc ? imgfx::ApplyFadingCorrection(*pDesc, pData, nLevel) : IMGEFFECT_BAD_ARGUMENT;
}

int Descreen(_ImageDesc* pDesc, uint8_t* pData)
{
    return pDesc ? imgfx::ApplyDescreen(*pDesc, pData) : IMGEFFECT_BAD_ARGUMENT;
}

int RotationImg(int32_t nAngle, _ImageDesc* pSrcDesc, uint8_t* pSrcData, _ImageDesc* pDstDesc,
                uint8_t* pDstData)
{
    if (!pSrcDesc || !pDstDesc)
        return IMGEFFECT_BAD_ARGUMENT;
    return imgfx::RotateQuarter(nAngle, *pSrcDesc, pSrcData, *pDstDesc, pDstData);
}

void SetGrayPreviewFlag(int32_t nFlag)
{
    t_bGrayPreview = nFlag != 0;
}

}  // extern "C"
