#include "sim/ScanAdjustments.h"

#include "imgeffect/ImgEffectCore.h"
#include "sim/ChartRenderer.h"

#include <algorithm>
#include <iterator>

namespace {

// The effect library's algorithms called directly, as the library's exports call them; the grey
// handling switch belongs to this one chain.
class CLinkedEffects : public CImageEffects {
public:
    int ChangeGamma(_ImageDesc* pDesc, uint8_t* pData, float fGamma) override
    {
        return imgfx::ApplyGamma(*pDesc, pData, fGamma, m_bGray);
    }
    int Change_BrightAndConsent(_ImageDesc* pDesc, uint8_t* pData, const int32_t nBright[4],
                                const int32_t nContrast[4]) override
    {
        return imgfx::ApplyBrightContrast(*pDesc, pData, nBright, nContrast, m_bGray);
    }
    int ColorCurse_Ajust(_ImageDesc* pDesc, uint8_t* pData, const int32_t nCurve[4]) override
    {
        return imgfx::ApplyToneCurve(*pDesc, pData, nCurve, m_bGray);
    }
    int Theashold_Preview(_ImageDesc* pDesc, uint8_t* pData, int32_t nThreshold) override
    {
        return imgfx::ApplyThreshold(*pDesc, pData, nThreshold);
    }
    int Halftone_Preview(_ImageDesc* pDesc, uint8_t* pData) override { return imgfx::ApplyHalftone(*pDesc, pData); }
    int ChangeToGray_Preview(_ImageDesc* pDesc, uint8_t* pData) override { return imgfx::ApplyGrey(*pDesc, pData); }
    int Curve_BrightAndConsent(int32_t nBright, int32_t nContrast, int32_t* pTable) override
    {
        return imgfx::RewriteBrightContrastTable(nBright, nContrast, pTable);
    }
    int GetHistogramData(_HistogramData* pTarget, _ImageDesc* pDesc, uint8_t* pData) override
    {
        return imgfx::ComputeHistogram(*pDesc, pData, *pTarget);
    }
    int CorrectFading(_ImageDesc* pDesc, uint8_t* pData, int32_t nLevel) override
    {
        return imgfx::ApplyFadingCorrection(*pDesc, pData, nLevel);
    }
    int Descreen(_ImageDesc* pDesc, uint8_t* pData) override { return imgfx::ApplyDescreen(*pDesc, pData); }
    int RotationImg(int32_t nAngle, _ImageDesc* pSrcDesc, uint8_t* pSrcData, _ImageDesc* pDstDesc,
                    uint8_t* pDstData) override
    {
        return imgfx::RotateQuarter(nAngle, *pSrcDesc, pSrcData, *pDstDesc, pDstData);
    }
    void SetGrayPreviewFlag(int32_t nFlag) override { m_bGray = nFlag != 0; }

private:
    bool m_bGray = false;
};

}  // namespace

_ImageAdjustments SScanAdjustments::ForPage(int nMode, int nThreshold) const
{
    _ImageAdjustments adj;
    adj.m_nImageType = nMode == kChartBw ? 0 : nMode == kChartGrey ? 1 : 2;
    adj.m_bHalftone = bAutoThreshold ? 1 : 0;
    adj.m_nThreshold = nThreshold;
    adj.m_nDescreen = nDescreen;
    adj.m_nGamma = nGamma;
    adj.m_nFadeLevel = nFading;
    std::copy(std::begin(nCurve), std::end(nCurve), adj.m_nCurve);
    std::copy(std::begin(nBrightness), std::end(nBrightness), adj.m_nBrightness);
    std::copy(std::begin(nContrast), std::end(nContrast), adj.m_nContrast);
    return adj;
}

void AdjustPage(const SScanAdjustments& adjust, int nMode, int nThreshold, const _ImageDesc& desc, uint8_t* pData)
{
    CLinkedEffects effects;
    // As a scanner does it, an effect the device cannot apply leaves the page as far as it got.
    ApplyImageEffects(effects, desc, pData, adjust.ForPage(nMode, nThreshold), false);
}
