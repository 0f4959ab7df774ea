#include "imaging/Rotate.h"

#include "imaging/CpuFeatures.h"
#include "imaging/ImagingThreads.h"
#include "imaging/PageRows.h"
#include "imaging/PixelConvert.h"
#include "imaging/RotateRows.h"
#include "profile/Trace.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <new>


void RotateRowPlain(const CRotateGeometry& g, int32_t i, int32_t j0, int32_t j1)
{
    const int32_t W = g.nWidth, H = g.nHeight, h2 = H / 2, w2 = W / 2, ch = g.nChannels;
    const float c = g.fCos, s = g.fSin;
    const size_t nStride = static_cast<size_t>(W) * ch;
    uint8_t* out = g.pDst + nStride * i;
    for (int32_t j = j0; j < j1; ++j) {
        const float r = (i - h2) * c + (w2 - j) * s + h2;
        const float q = (i - h2) * s + (j - w2) * c + w2;
        const int32_t r0 = static_cast<int32_t>(r), q0 = static_cast<int32_t>(q);
        uint8_t* px = out + static_cast<size_t>(j) * ch;
        if (!(r0 > 0 && r0 < H - 2 && q0 > 0 && q0 < W - 2)) {
            for (int32_t k = 0; k < ch; ++k) px[k] = g.nWhite;
            continue;
        }
        const float fr = r - r0, fq = q - q0;
        const uint8_t* p0 = g.pSrc + nStride * r0 + static_cast<size_t>(q0) * ch;
        const uint8_t* p1 = p0 + nStride;
        for (int32_t k = 0; k < ch; ++k) {
            const float top = p0[k] + fq * (p0[k + ch] - p0[k]);
            const float bottom = p1[k] + fq * (p1[k + ch] - p1[k]);
            px[k] = static_cast<uint8_t>(static_cast<int32_t>(top + fr * (bottom - top)));
        }
    }
}

void RotateRowsPlain(const CRotateGeometry& g, int32_t i0, int32_t i1)
{
    for (int32_t j0 = 0; j0 < g.nWidth; j0 += kRotateStrip)
        for (int32_t i = i0; i < i1; ++i) RotateRowPlain(g, i, j0, std::min(g.nWidth, j0 + kRotateStrip));
}

CPageBytes normal_rotate(CImageEffects*, const uint8_t* pSrc, CRotateParam* pParam)
{
    TraceA("normal_rotate<-------------");
    if (!pParam)
        return {};
    const CPageRows page(pSrc, pParam->nPixelType, pParam->nWidth, pParam->nHeight);
    if (!page.IsUsable() || !std::isfinite(pParam->fAngle))
        return {};
    const int32_t W = page.Width(), H = page.Height();
    const float theta = pParam->fAngle * 3.1415927f / 180;
    const float c = std::cos(theta), s = std::sin(theta);
    if (!std::isfinite(c) || !std::isfinite(s))
        return {};  // the angle in radians overflowed
    TraceA("cosvalue = %0.6f,sinvalue = %0.6f,tmp_angle=%0.6f,img_width=%d,img_height=%d\n", c, s, theta, W, H);
    const int32_t ch = page.PixelType() == 2 ? 3 : 1;
    CPageBytes out;  // every pixel is written below: white or interpolated
    try {
        out.resize(static_cast<size_t>(W) * H * ch);
    } catch (const std::bad_alloc&) {
        return {};
    }
    const CRotateGeometry g{pSrc, out.data(), W, H, ch, uint8_t(page.PixelType() == 0 ? 1 : 255), c, s};
    // The vector version indexes the page with 32-bit offsets.
    const bool bAvx2 = HasAvx2() && int64_t(W) * H * ch < (int64_t(1) << 31) - 64;
    // Bands of rows handed out one at a time, so that a thread the machine holds back leaves
    // its share to the others instead of everyone waiting for it.
    constexpr int32_t kBandRows = 128;
    const int32_t nBands = (H + kBandRows - 1) / kBandRows;
    std::atomic<int32_t> nNext{0};
    ForEachRowPart(0, nBands, 1, 0, [&](int, int32_t, int32_t) {
        for (int32_t b = nNext++; b < nBands; b = nNext++) {
            const int32_t i0 = b * kBandRows, i1 = std::min(H, i0 + kBandRows);
            if (bAvx2)
                RotateRowsAvx2(g, i0, i1);
            else
                RotateRowsPlain(g, i0, i1);
        }
    });
    if (page.PixelType() == 0) {
        CPageBytes packed;
        try {
            packed.resize(BwRowBytes(W) * H);
        } catch (const std::bad_alloc&) {
            return {};
        }
        GrayToBW(nullptr, out.data(), packed.data(), W, H);
        out.swap(packed);
    }
    pParam->nOutWidth = W;
    pParam->nOutHeight = H;
    TraceA("normal_rotate------------->");
    return out;
}
