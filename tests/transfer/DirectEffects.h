// The effect library's functions called directly (its exports compiled into the program), for
// code that runs the adjustment chain natively.
#pragma once

#include "imaging/ImageEffects.h"

class CDirectEffects : public CImageEffects {
public:
    int ChangeGamma(_ImageDesc* d, uint8_t* p, float f) override { return ::ChangeGamma(d, p, f); }
    int Change_BrightAndConsent(_ImageDesc* d, uint8_t* p, const int32_t b[4], const int32_t c[4]) override
    {
        return ::Change_BrightAndConsent(d, p, b[0], b[1], b[2], b[3], c[0], c[1], c[2], c[3]);
    }
    int ColorCurse_Ajust(_ImageDesc* d, uint8_t* p, const int32_t c[4]) override
    {
        return ::ColorCurse_Ajust(d, p, c[0], c[1], c[2], c[3]);
    }
    int Theashold_Preview(_ImageDesc* d, uint8_t* p, int32_t t) override { return ::Theashold_Preview(d, p, t); }
    int Halftone_Preview(_ImageDesc* d, uint8_t* p) override { return ::Halftone_Preview(d, p); }
    int ChangeToGray_Preview(_ImageDesc* d, uint8_t* p) override { return ::ChangeToGray_Preview(d, p); }
    int Curve_BrightAndConsent(int32_t b, int32_t c, int32_t* t) override { return ::Curve_BrightAndConsent(b, c, t); }
    int GetHistogramData(_HistogramData* h, _ImageDesc* d, uint8_t* p) override { return ::GetHistogramData(h, d, p); }
    int CorrectFading(_ImageDesc* d, uint8_t* p, int32_t n) override { return ::CorrectFading(d, p, n); }
    int Descreen(_ImageDesc* d, uint8_t* p) override { return ::Descreen(d, p); }
    int RotationImg(int32_t a, _ImageDesc* sd, uint8_t* sp, _ImageDesc* dd, uint8_t* dp) override
    {
        return ::RotationImg(a, sd, sp, dd, dp);
    }
    void SetGrayPreviewFlag(int32_t n) override { ::SetGrayPreviewFlag(n); }
};
