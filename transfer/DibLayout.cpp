#include "transfer/DibLayout.h"

#include <algorithm>
#include <cstring>
#include <limits>

#include "imaging/PixelConvert.h"

namespace {

void Put16(uint8_t* p, uint16_t v)
{
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
}

void Put32(uint8_t* p, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        p[i] = static_cast<uint8_t>(v >> (8 * i));
}

}  // namespace

int DibBitCount(int nPixelType)
{
    switch (nPixelType) {
    case 0: return 1;
    case 1: return 8;
    default: return 24;
    }
}

uint32_t SpoolRowBytes(uint32_t nWidth, int nBitCount)
{
    uint64_t n = (uint64_t(nWidth) * uint64_t(nBitCount) + 7) / 8;
    return n > std::numeric_limits<uint32_t>::max() ? 0 : static_cast<uint32_t>(n);
}

bool ComputeDibLayout(uint32_t nWidth, uint32_t nHeight, int nPixelType, SDibLayout& layout)
{
    SDibLayout l;
    l.nWidth = nWidth;
    l.nHeight = nHeight;
    l.nBitCount = DibBitCount(nPixelType);
    l.nColours = l.nBitCount == 1 ? 2 : l.nBitCount == 8 ? 256 : 0;
    l.nPixelOffset = kDibHeaderBytes + 4 * l.nColours;
    uint64_t nRow = (uint64_t(nWidth) * uint64_t(l.nBitCount) + 7) / 8;
    uint64_t nStride = (nRow + 3) / 4 * 4;
    uint64_t nImage = nStride * nHeight;
    uint64_t nTotal = nImage + l.nPixelOffset;
    // The BMP file's size field has to hold the block and the file header.
    if (nTotal + kBmpFileHeaderBytes > std::numeric_limits<uint32_t>::max() ||
        nWidth > uint32_t(std::numeric_limits<int32_t>::max()) ||
        nHeight > uint32_t(std::numeric_limits<int32_t>::max()))
        return false;
    l.nRowBytes = static_cast<uint32_t>(nRow);
    l.nStride = static_cast<uint32_t>(nStride);
    l.nImageBytes = static_cast<uint32_t>(nImage);
    l.nTotalBytes = static_cast<uint32_t>(nTotal);
    layout = l;
    return true;
}

int32_t PelsPerMeter(int nDpi)
{
    float f = static_cast<float>(nDpi) * 1000.0f / 25.4f;
    if (!(f > 0.0f))
        return 0;
    if (f >= 2147483647.0f)
        return std::numeric_limits<int32_t>::max();
    return static_cast<int32_t>(f);
}

void WriteDibHeader(const SDibLayout& l, int nXDpi, int nYDpi, uint8_t* p)
{
    Put32(p + 0, kDibHeaderBytes);
    Put32(p + 4, l.nWidth);
    Put32(p + 8, l.nHeight);
    Put16(p + 12, 1);
    Put16(p + 14, static_cast<uint16_t>(l.nBitCount));
    Put32(p + 16, 0);
    Put32(p + 20, l.nImageBytes);
    Put32(p + 24, static_cast<uint32_t>(PelsPerMeter(nXDpi)));
    Put32(p + 28, static_cast<uint32_t>(PelsPerMeter(nYDpi)));
    Put32(p + 32, l.nColours);
    Put32(p + 36, 0);
    uint8_t* pPal = p + kDibHeaderBytes;
    if (l.nColours == 2) {
        std::memset(pPal, 0, 8);
        std::memset(pPal + 4, 255, 3);
    } else {
        for (uint32_t i = 0; i < l.nColours; ++i) {
            uint8_t v = static_cast<uint8_t>(i);
            pPal[4 * i] = pPal[4 * i + 1] = pPal[4 * i + 2] = v;
            pPal[4 * i + 3] = 0;
        }
    }
}

void WriteDibRow(const SDibLayout& l, const uint8_t* pSpoolRow, uint8_t* pBlockRow)
{
    if (l.nBitCount == 24)
        RgbRowToBgr(pSpoolRow, pBlockRow, static_cast<int32_t>(l.nWidth));
    else
        std::memcpy(pBlockRow, pSpoolRow, l.nRowBytes);
    std::memset(pBlockRow + l.nRowBytes, 0, l.nStride - l.nRowBytes);
}

std::array<uint8_t, kBmpFileHeaderBytes> MakeBmpFileHeader(const SDibLayout& l)
{
    std::array<uint8_t, kBmpFileHeaderBytes> h{};
    Put16(h.data(), 0x4D42);
    Put32(h.data() + 2, l.nTotalBytes + kBmpFileHeaderBytes);
    Put32(h.data() + 10, l.nPixelOffset + kBmpFileHeaderBytes);
    return h;
}
