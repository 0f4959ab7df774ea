// The twelve functions of the image effect library as seen by the data source. The library
// binding implements them through the DLL; tests implement them with recording fakes.
#pragma once

#include "imgeffect/ImgEffectApi.h"

#include <cstdint>

// Results the binding gives without calling anything.
enum : int {
    IMGEFFECT_NOT_LOADED = 4,
    IMGEFFECT_NO_FUNCTION = 5,
};

class CImageEffects {
public:
    virtual ~CImageEffects() = default;

    virtual int ChangeGamma(_ImageDesc* pDesc, uint8_t* pData, float fGamma) = 0;
    virtual int Change_BrightAndConsent(_ImageDesc* pDesc, uint8_t* pData, const int32_t nBright[4],
                                        const int32_t nContrast[4]) = 0;
    virtual int ColorCurse_Ajust(_ImageDesc* pDesc, uint8_t* pData, const int32_t nCurve[4]) = 0;
    virtual int Theashold_Preview(_ImageDesc* pDesc, uint8_t* pData, int32_t nThreshold) = 0;
    virtual int Halftone_Preview(_ImageDesc* pDesc, uint8_t* pData) = 0;
    virtual int ChangeToGray_Preview(_ImageDesc* pDesc, uint8_t* pData) = 0;
    virtual int Curve_BrightAndConsent(int32_t nBright, int32_t nContrast, int32_t* pTable) = 0;
    virtual int GetHistogramData(_HistogramData* pTarget, _ImageDesc* pDesc, uint8_t* pData) = 0;
    virtual int CorrectFading(_ImageDesc* pDesc, uint8_t* pData, int32_t nLevel) = 0;
    virtual int Descreen(_ImageDesc* pDesc, uint8_t* pData) = 0;
    virtual int RotationImg(int32_t nAngle, _ImageDesc* pSrcDesc, uint8_t* pSrcData,
                            _ImageDesc* pDstDesc, uint8_t* pDstData) = 0;
    virtual void SetGrayPreviewFlag(int32_t nFlag) = 0;
};
