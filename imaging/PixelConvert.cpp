#include "imaging/PixelConvert.h"

#include "imaging/CpuFeatures.h"

#include "profile/Trace.h"

#include <algorithm>

namespace {

bool IsUsable(const uint8_t* pSrc, const uint8_t* pDst, int32_t nWidth, int32_t nHeight)
{
    return pSrc && pDst && nWidth > 0 && nHeight > 0;
}

}  // namespace

void RgbRowToGray(const uint8_t* pSrc, uint8_t* pDst, int32_t nWidth)
{
    int32_t x = 0;
    if (HasAvx2())
        x = RgbRowToGrayAvx2(pSrc, pDst, nWidth);
    for (; x < nWidth; ++x) {
        const uint8_t* p = pSrc + 3 * static_cast<size_t>(x);
        pDst[x] = std::min(std::min(p[0], p[1]), p[2]);
    }
}

void RgbRowToBgr(const uint8_t* pSrc, uint8_t* pDst, int32_t nWidth)
{
    int32_t x = 0;
    if (HasAvx2())
        x = RgbRowToBgrAvx2(pSrc, pDst, nWidth);
    for (; x < nWidth; ++x) {
        const uint8_t* s = pSrc + 3 * static_cast<size_t>(x);
        uint8_t* d = pDst + 3 * static_cast<size_t>(x);
        d[0] = s[2];
        d[1] = s[1];
        d[2] = s[0];
    }
}

void BwRowToGray(const uint8_t* pSrc, uint8_t* pDst, int32_t nWidth)
{
    const int32_t nFull = nWidth / 8;
    for (int32_t k = 0; k < nFull; ++k) {
        const unsigned b = pSrc[k];
        uint8_t* p = pDst + 8 * static_cast<size_t>(k);
        for (int bit = 0; bit < 8; ++bit)
            p[bit] = static_cast<uint8_t>((b >> (7 - bit)) & 1u);
    }
    for (int32_t x = nFull * 8; x < nWidth; ++x)
        pDst[x] = static_cast<uint8_t>((pSrc[x / 8] >> (7 - x % 8)) & 1u);
}

void GrayRowToBW(const uint8_t* pSrc, uint8_t* pDst, int32_t nWidth)
{
    uint8_t acc = 0;
    size_t nOut = 0;
    for (int32_t x = 0; x < nWidth; ++x) {
        acc = static_cast<uint8_t>(acc | (pSrc[x] << (7 - x % 8)));
        if (x % 8 == 7) {
            pDst[nOut++] = acc;
            acc = 0;
        }
    }
    if (nWidth % 8 != 0)
        pDst[nOut] = acc;
}

void RgbToGray(CImageEffects*, const uint8_t* pSrc, uint8_t* pDst, int32_t nWidth, int32_t nHeight)
{
    TraceA("RgbToGray()<--------");
    if (IsUsable(pSrc, pDst, nWidth, nHeight)) {
        for (int32_t y = 0; y < nHeight; ++y)
            RgbRowToGray(pSrc + 3 * static_cast<size_t>(nWidth) * y, pDst + static_cast<size_t>(nWidth) * y, nWidth);
    }
    TraceA("RgbToGray()-------->");
}

void BwToGray(CImageEffects*, const uint8_t* pSrc, uint8_t* pDst, int32_t nWidth, int32_t nHeight)
{
    TraceA("BwToGray()<--------");
    if (IsUsable(pSrc, pDst, nWidth, nHeight)) {
        for (int32_t y = 0; y < nHeight; ++y)
            BwRowToGray(pSrc + BwRowBytes(nWidth) * y, pDst + static_cast<size_t>(nWidth) * y, nWidth);
    }
    TraceA("BwToGray()-------->");
}

void GrayToBW(CImageEffects*, const uint8_t* pSrc, uint8_t* pDst, int32_t nWidth, int32_t nHeight)
{
    TraceA("GrayToBW()<--------");
    if (IsUsable(pSrc, pDst, nWidth, nHeight)) {
        for (int32_t y = 0; y < nHeight; ++y)
            GrayRowToBW(pSrc + static_cast<size_t>(nWidth) * y, pDst + BwRowBytes(nWidth) * y, nWidth);
    }
    TraceA("GrayToBW()-------->");
}
