// Grey conversion, threshold and halftone: what the preview shows for grey and black-and-white.
#include "imgeffect/PixelRows.h"

#include <algorithm>
#include <vector>

namespace imgfx {

namespace {

int PixelStep(const _ImageDesc& desc) { return desc.m_nBitsPerPixel / 8; }

int GreyAt(const uint8_t* p, int nStep) { return nStep == 3 ? GreyOf(p[0], p[1], p[2]) : p[0]; }

void Store(uint8_t* p, int nStep, uint8_t v)
{
    for (int c = 0; c < nStep; ++c)
        p[c] = v;
}

}  // namespace

int ApplyGrey(const _ImageDesc& desc, uint8_t* pData)
{
    if (!IsValidImage(desc, pData))
        return IMGEFFECT_BAD_ARGUMENT;
    if (desc.m_nBitsPerPixel != 24)
        return IMGEFFECT_OK;
    for (int y = 0; y < desc.m_nRows; ++y) {
        uint8_t* p = RowAt(desc, pData, y);
        for (int x = 0; x < desc.m_nWidth; ++x, p += 3)
            Store(p, 3, static_cast<uint8_t>(GreyOf(p[0], p[1], p[2])));
    }
    return IMGEFFECT_OK;
}

int ApplyThreshold(const _ImageDesc& desc, uint8_t* pData, int32_t nThreshold)
{
    if (!IsValidImage(desc, pData))
        return IMGEFFECT_BAD_ARGUMENT;
    if (desc.m_nBitsPerPixel == 1)
        return IMGEFFECT_OK;
    const int t = std::clamp<int32_t>(nThreshold, 0, 255);
    const int nStep = PixelStep(desc);
    for (int y = 0; y < desc.m_nRows; ++y) {
        uint8_t* p = RowAt(desc, pData, y);
        for (int x = 0; x < desc.m_nWidth; ++x, p += nStep)
            Store(p, nStep, GreyAt(p, nStep) >= t ? 255 : 0);
    }
    return IMGEFFECT_OK;
}

int ApplyHalftone(const _ImageDesc& desc, uint8_t* pData)
{
    if (!IsValidImage(desc, pData))
        return IMGEFFECT_BAD_ARGUMENT;
    if (desc.m_nBitsPerPixel == 1 || IsEmpty(desc))
        return IMGEFFECT_OK;
    const int nStep = PixelStep(desc);
    const size_t nWidth = static_cast<size_t>(desc.m_nWidth);
    // One guard cell on each side so the shares leaving the row need no test.
    std::vector<int> errThis(nWidth + 2, 0), errNext(nWidth + 2, 0);
    for (int y = 0; y < desc.m_nRows; ++y) {
        uint8_t* p = RowAt(desc, pData, y);
        for (size_t x = 0; x < nWidth; ++x, p += nStep) {
            const int v = GreyAt(p, nStep) + errThis[x + 1];
            const int out = v >= 128 ? 255 : 0;
            const int err = v - out;
            Store(p, nStep, static_cast<uint8_t>(out));
            errThis[x + 2] += err * 7 / 16;
            errNext[x] += err * 3 / 16;
            errNext[x + 1] += err * 5 / 16;
            errNext[x + 2] += err * 1 / 16;
        }
        errThis.swap(errNext);
        std::fill(errNext.begin(), errNext.end(), 0);
    }
    return IMGEFFECT_OK;
}

}  // namespace imgfx
