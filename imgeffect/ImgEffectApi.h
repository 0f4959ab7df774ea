// The image effect library's binary interface: the image descriptor, the histogram block and
// the twelve exported functions. Both the library and the data source that binds it at run time
// read this header, so the layouts here are fixed (little-endian, 32-bit fields, no gaps).
//
// Pixel data follow the spool layout: rows top-down, `m_nBytesPerRow` bytes apart, colour pixels
// as red, green, blue bytes, 1-bit pixels most significant bit first (0 black, 1 white).
// The exact effect of each function is written down in imgeffect/ImgEffectCore.h.
#pragma once

#include <cstdint>

struct _ImageDesc {
    int32_t m_nRows;
    int32_t m_nBytesPerRow;
    int32_t m_nWidth;         // pixels
    int32_t m_nBitsPerPixel;  // 1, 8 or 24
    int32_t m_nReserved1;     // 0
    int32_t m_nReserved2;     // 0
};
static_assert(sizeof(_ImageDesc) == 24, "the descriptor is six 32-bit values");

// What GetHistogramData fills. The histograms are red, green, blue, all; each statistics group
// is indexed by channel 0 all, 1 red, 2 green, 3 blue (the order the histogram dialog reads).
struct _HistogramData {
    uint32_t m_nCounts[4][256];  // [0] red, [1] green, [2] blue, [3] all (grey value)
    double m_dMean[4];
    double m_dMedian[4];
    double m_dStdDev[4];
    int32_t m_nPixels;
    int32_t m_nReserved;
};
static_assert(sizeof(_HistogramData) == 4096 + 96 + 8, "histogram block layout");

// Results of the functions returning int.
enum : int {
    IMGEFFECT_OK = 0,
    IMGEFFECT_BAD_ARGUMENT = 1,  // null pointer, inconsistent descriptor, value out of range
    IMGEFFECT_BAD_ANGLE = 2,     // RotationImg with an angle other than 90, 180, 270
    IMGEFFECT_NO_MEMORY = 3,     // a row buffer could not be allocated; data untouched
};

extern "C" {
int ChangeGamma(_ImageDesc* pDesc, uint8_t* pData, float fGamma);
int Change_BrightAndConsent(_ImageDesc* pDesc, uint8_t* pData,
                            int32_t nBright0, int32_t nBright1, int32_t nBright2, int32_t nBright3,
                            int32_t nContrast0, int32_t nContrast1, int32_t nContrast2, int32_t nContrast3);
int ColorCurse_Ajust(_ImageDesc* pDesc, uint8_t* pData,
                     int32_t nCurve0, int32_t nCurve1, int32_t nCurve2, int32_t nCurve3);
int Theashold_Preview(_ImageDesc* pDesc, uint8_t* pData, int32_t nThreshold);
int Halftone_Preview(_ImageDesc* pDesc, uint8_t* pData);
int ChangeToGray_Preview(_ImageDesc* pDesc, uint8_t* pData);
// pTable: 256 entries of 32 bits, each rewritten in place.
int Curve_BrightAndConsent(int32_t nBright, int32_t nContrast, int32_t* pTable);
int GetHistogramData(_HistogramData* pTarget, _ImageDesc* pDesc, uint8_t* pData);
int CorrectFading(_ImageDesc* pDesc, uint8_t* pData, int32_t nLevel);
int Descreen(_ImageDesc* pDesc, uint8_t* pData);
int RotationImg(int32_t nAngle, _ImageDesc* pSrcDesc, uint8_t* pSrcData,
                _ImageDesc* pDstDesc, uint8_t* pDstData);
void SetGrayPreviewFlag(int32_t nFlag);
}

// Function pointer types, for binding the library by name.
using PFN_ChangeGamma = decltype(&ChangeGamma);
using PFN_Change_BrightAndConsent = decltype(&Change_BrightAndConsent);
using PFN_ColorCurse_Ajust = decltype(&ColorCurse_Ajust);
using PFN_Theashold_Preview = decltype(&Theashold_Preview);
using PFN_Halftone_Preview = decltype(&Halftone_Preview);
using PFN_ChangeToGray_Preview = decltype(&ChangeToGray_Preview);
using PFN_Curve_BrightAndConsent = decltype(&Curve_BrightAndConsent);
using PFN_GetHistogramData = decltype(&GetHistogramData);
using PFN_CorrectFading = decltype(&CorrectFading);
using PFN_Descreen = decltype(&Descreen);
using PFN_RotationImg = decltype(&RotationImg);
using PFN_SetGrayPreviewFlag = decltype(&SetGrayPreviewFlag);
