#include "transfer/ImagePixels.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <utility>

namespace imagepix {

namespace {

constexpr uint64_t kMax32 = std::numeric_limits<uint32_t>::max();

uint32_t Fit32(uint64_t n)
{
    return n > kMax32 ? 0 : static_cast<uint32_t>(n);
}

uint32_t RoundUp4(uint64_t n)
{
    return Fit32((n + 3) / 4 * 4);
}

// A source byte, or 0 past the end of the data: a rectangle never reads beyond the image.
uint8_t ByteAt(const SPixelSource& src, uint64_t nIndex)
{
    return nIndex < src.nDataBytes ? src.pData[nIndex] : 0;
}

void CopyBitRow(const SPixelSource& src, uint64_t nFirstBit, uint32_t nPixels, uint8_t* pDst)
{
    const uint64_t nByte = nFirstBit >> 3;
    const unsigned nShift = static_cast<unsigned>(nFirstBit & 7);
    const uint32_t nOutBytes = (nPixels + 7) / 8;
    for (uint32_t j = 0; j < nOutBytes; ++j) {
        unsigned nPair = (ByteAt(src, nByte + j) << 8) | ByteAt(src, nByte + j + 1);
        pDst[j] = static_cast<uint8_t>((nPair << nShift) >> 8);
    }
    if (nPixels % 8)  // the bits after the rectangle belong to the next pixels of the source
        pDst[nOutBytes - 1] &= static_cast<uint8_t>(0xFF00u >> (nPixels % 8));
}

void CopyNibbleRow(const SPixelSource& src, uint64_t nFirstNibble, uint32_t nPixels, uint8_t* pDst)
{
    for (uint32_t i = 0; i < nPixels; ++i) {
        uint64_t n = nFirstNibble + i;
        uint8_t b = ByteAt(src, n >> 1);
        uint8_t v = (n & 1) ? (b & 0x0F) : (b >> 4);
        pDst[i / 2] |= (i & 1) ? v : static_cast<uint8_t>(v << 4);
    }
}

// Whole-byte pixels: nOutPerPixel bytes per pixel taken at nStep-byte intervals starting at
// nFirst within each pixel (the high byte of two-byte samples).
void CopyByteRow(const SPixelSource& src, uint64_t nOffset, uint32_t nPixels, uint8_t* pDst, int nInPerPixel,
                 int nOutPerPixel, int nFirst, int nStep)
{
    if (nInPerPixel == nOutPerPixel) {
        uint64_t nBytes = static_cast<uint64_t>(nPixels) * nInPerPixel;
        uint64_t nAvail = nOffset < src.nDataBytes ? std::min<uint64_t>(nBytes, src.nDataBytes - nOffset) : 0;
        if (nAvail)
            std::memcpy(pDst, src.pData + nOffset, nAvail);
        return;
    }
    for (uint32_t i = 0; i < nPixels; ++i)
        for (int k = 0; k < nOutPerPixel; ++k)
            pDst[static_cast<size_t>(i) * nOutPerPixel + k] =
                ByteAt(src, nOffset + static_cast<uint64_t>(i) * nInPerPixel + nFirst + k * nStep);
}

}  // namespace

uint32_t NeededBytes(int nBitsPerPixel, uint32_t nWidth, uint32_t nHeight)
{
    const uint64_t w = nWidth, h = nHeight;
    switch (nBitsPerPixel) {
    case 1:
        // A few rows of headroom either way, as the reader of the bit stream expects.
        return Fit32(std::max(((w + 7) >> 3) * (h + 3), ((h + 10) >> 3) * w));
    case 4:
        return Fit32((w * h + 1) / 2);
    case 8:
        return Fit32(w * h);
    case 16:
        return Fit32(2 * w * h);
    case 24:
        return Fit32(3 * w * h);
    case 48:
        return Fit32(6 * w * h);
    default:
        return 0;
    }
}

uint32_t PaletteBytes(int nBitsPerPixel)
{
    switch (nBitsPerPixel) {
    case 1:
        return 6;
    case 4:
        return 48;
    case 8:
        return 768;
    default:
        return 0;
    }
}

uint32_t ReadTotalBytes(int nSamples, int nBitsPerSample, uint32_t nWidth, uint32_t nHeight)
{
    const uint64_t w = nWidth, h = nHeight;
    if (nSamples < 0 || nBitsPerSample < 0)
        return 0;
    if (nBitsPerSample == 1)
        return Fit32(((w + 7) >> 3) * h);
    // Worked out in 64 bits: a page of a few gigapixels would wrap a 32-bit product.
    return Fit32(w * h * static_cast<uint64_t>(nSamples) * static_cast<uint64_t>(nBitsPerSample) / 8);
}

uint64_t SpoolRowBytes(int nBitsPerPixel, uint32_t nWidth)
{
    return nBitsPerPixel <= 0 ? 0 : (static_cast<uint64_t>(nWidth) * nBitsPerPixel + 7) / 8;
}

int DisplayBitCount(int nBitsPerPixel)
{
    switch (nBitsPerPixel) {
    case 1:
    case 4:
    case 8:
        return nBitsPerPixel;
    case 16:
        return 8;
    case 24:
    case 48:
        return 24;
    default:
        return 0;
    }
}

uint32_t DisplayStride(int nBitsPerPixel, uint32_t nWidth)
{
    const uint64_t w = nWidth;
    switch (nBitsPerPixel) {
    case 1:
        return RoundUp4((w + 7) / 8);
    case 4:
        return RoundUp4((w + 1) / 2);
    case 8:
    case 16:
        return RoundUp4(w);
    case 24:
    case 48:
        return RoundUp4(3 * w);
    default:
        return 0;
    }
}

void BuildDisplayHeader(uint8_t* pHeader1064, int nBitsPerPixel, int32_t nWidth, int32_t nHeight, int32_t nXRes,
                        int32_t nYRes, const uint8_t* pPalette)
{
    if (!pHeader1064)
        return;
    std::memset(pHeader1064, 0, kDisplayHeaderBytes);
    SDibHeader hdr{};
    hdr.biSize = sizeof(SDibHeader);
    hdr.biWidth = nWidth;
    hdr.biHeight = nHeight;
    hdr.biPlanes = 1;
    hdr.biBitCount = static_cast<uint16_t>(DisplayBitCount(nBitsPerPixel));
    hdr.biXPelsPerMeter = nXRes;
    hdr.biYPelsPerMeter = nYRes;
    const uint32_t nColours = nBitsPerPixel == 1 ? 2 : nBitsPerPixel == 4 ? 16 : (nBitsPerPixel == 8 || nBitsPerPixel == 16) ? 256 : 0;
    hdr.biClrUsed = nColours;
    if (nBitsPerPixel == 8 || nBitsPerPixel == 24 || nBitsPerPixel == 48)
        hdr.biSizeImage = Fit32(static_cast<uint64_t>(std::max(nHeight, 0)) *
                                DisplayStride(nBitsPerPixel, static_cast<uint32_t>(std::max(nWidth, 0))));
    std::memcpy(pHeader1064, &hdr, sizeof hdr);

    auto* pQuads = reinterpret_cast<SRgbQuad*>(pHeader1064 + sizeof hdr);
    for (uint32_t i = 0; i < nColours; ++i) {
        if (nBitsPerPixel == 16) {
            auto g = static_cast<uint8_t>(i);
            pQuads[i] = SRgbQuad{g, g, g, 0};
        } else if (pPalette) {
            pQuads[i] = SRgbQuad{pPalette[3 * i + 2], pPalette[3 * i + 1], pPalette[3 * i], 0};
        }
    }
}

SRect ClipToImage(const SRect& rc, uint32_t nWidth, uint32_t nHeight)
{
    auto clampX = [&](int32_t v) { return static_cast<int32_t>(std::clamp<int64_t>(v, 0, nWidth)); };
    auto clampY = [&](int32_t v) { return static_cast<int32_t>(std::clamp<int64_t>(v, 0, nHeight)); };
    SRect out{clampX(rc.left), clampY(rc.top), clampX(rc.right), clampY(rc.bottom)};
    out.right = std::max(out.right, out.left);
    out.bottom = std::max(out.bottom, out.top);
    return out;
}

void CopyRectToDisplay(const SPixelSource& src, const SRect& rc, uint8_t* pDst, uint32_t nStride)
{
    if (!src.pData || !pDst || rc.right <= rc.left || rc.bottom <= rc.top)
        return;
    const auto nPixels = static_cast<uint32_t>(rc.right - rc.left);
    for (int32_t y = rc.top; y < rc.bottom; ++y) {
        uint8_t* pRow = pDst + static_cast<size_t>(y - rc.top) * nStride;
        const uint64_t nFirst = static_cast<uint64_t>(src.nWidth) * static_cast<uint64_t>(y) + rc.left;
        switch (src.nBitsPerPixel) {
        case 1:
            CopyBitRow(src, nFirst, nPixels, pRow);
            break;
        case 4:
            CopyNibbleRow(src, nFirst, nPixels, pRow);
            break;
        case 8:
            CopyByteRow(src, nFirst, nPixels, pRow, 1, 1, 0, 0);
            break;
        case 16:
            CopyByteRow(src, nFirst * 2, nPixels, pRow, 2, 1, 1, 0);
            break;
        case 24:
            CopyByteRow(src, nFirst * 3, nPixels, pRow, 3, 3, 0, 1);
            break;
        case 48:
            CopyByteRow(src, nFirst * 6, nPixels, pRow, 6, 3, 1, 2);
            break;
        default:
            return;
        }
    }
}

void FinishDisplayRows(uint8_t* pRows, uint32_t nStride, uint32_t nRows, uint32_t nWidth, int nDisplayBits)
{
    if (!pRows)
        return;
    for (uint32_t i = 0; i < nRows / 2; ++i)
        std::swap_ranges(pRows + static_cast<size_t>(i) * nStride, pRows + static_cast<size_t>(i + 1) * nStride,
                         pRows + static_cast<size_t>(nRows - 1 - i) * nStride);
    if (nDisplayBits != 24)
        return;
    for (uint32_t y = 0; y < nRows; ++y) {
        uint8_t* p = pRows + static_cast<size_t>(y) * nStride;
        for (uint32_t x = 0; x < nWidth; ++x, p += 3)
            std::swap(p[0], p[2]);
    }
}

size_t ScaleRow(const uint8_t* pIn, uint32_t nInWidth, uint8_t* pOut, uint32_t nOutWidth, int nBitsPerPixel)
{
    if (!pIn || !pOut || nInWidth == 0 || nBitsPerPixel < 8 || nBitsPerPixel % 8)
        return 0;
    const size_t nBpp = static_cast<size_t>(nBitsPerPixel) / 8;
    for (uint32_t x = 0; x < nOutWidth; ++x) {
        uint64_t sx = static_cast<uint64_t>(x) * nInWidth / nOutWidth;
        std::memcpy(pOut + x * nBpp, pIn + sx * nBpp, nBpp);
    }
    return nOutWidth * nBpp;
}

}  // namespace imagepix
