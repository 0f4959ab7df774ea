#include "transfer/TiffLayout.h"

#include <algorithm>
#include <limits>

namespace {

constexpr uint32_t kStripTarget = 64 * 1024;
constexpr uint32_t kFileHeader = 8;
constexpr uint16_t kEntries = 13;
constexpr uint32_t kDirectoryBytes = 2 + kEntries * 12 + 4;

enum : uint16_t { kShort = 3, kLong = 4, kRational = 5 };

class CTiffBytes {
public:
    explicit CTiffBytes(size_t nSize) : m_bytes(nSize, 0) {}
    void Put16(size_t nAt, uint16_t v)
    {
        m_bytes[nAt] = static_cast<uint8_t>(v);
        m_bytes[nAt + 1] = static_cast<uint8_t>(v >> 8);
    }
    void Put32(size_t nAt, uint32_t v)
    {
        for (int i = 0; i < 4; ++i)
            m_bytes[nAt + i] = static_cast<uint8_t>(v >> (8 * i));
    }
    // One directory entry; a value of up to four bytes sits in the entry itself, a longer one
    // at nValue, which is then its offset.
    void Entry(uint16_t wTag, uint16_t wType, uint32_t nCount, uint32_t nValue)
    {
        const size_t nAt = kFileHeader + 2 + size_t(m_nEntry++) * 12;
        Put16(nAt, wTag);
        Put16(nAt + 2, wType);
        Put32(nAt + 4, nCount);
        if (wType == kShort && nCount == 1)
            Put16(nAt + 8, static_cast<uint16_t>(nValue));
        else
            Put32(nAt + 8, nValue);
    }
    std::vector<uint8_t>& Bytes() { return m_bytes; }

private:
    std::vector<uint8_t> m_bytes;
    int m_nEntry = 0;
};

// Where the values too long for their entries go, after the directory, in this order.
struct SValueOffsets {
    uint32_t nBitsPerSample, nXRes, nYRes, nStripOffsets, nStripCounts, nEnd;
};

SValueOffsets PlaceValues(int nBitCount, uint32_t nStrips)
{
    SValueOffsets o{};
    uint32_t n = kFileHeader + kDirectoryBytes;
    o.nBitsPerSample = n;
    n += nBitCount == 24 ? 6 : 0;
    o.nXRes = n;
    o.nYRes = n + 8;
    n += 16;
    o.nStripOffsets = n;
    n += nStrips > 1 ? 4 * nStrips : 0;
    o.nStripCounts = n;
    n += nStrips > 1 ? 4 * nStrips : 0;
    o.nEnd = n;
    return o;
}

}  // namespace

bool ComputeTiffLayout(uint32_t nWidth, uint32_t nHeight, int nBitCount, STiffLayout& layout)
{
    if (nWidth == 0 || nHeight == 0 || (nBitCount != 1 && nBitCount != 8 && nBitCount != 24))
        return false;
    const uint64_t nRow = (uint64_t(nWidth) * uint64_t(nBitCount) + 7) / 8;
    const uint64_t nPixels = nRow * nHeight;
    if (nPixels > std::numeric_limits<uint32_t>::max())
        return false;
    STiffLayout l;
    l.nWidth = nWidth;
    l.nHeight = nHeight;
    l.nBitCount = nBitCount;
    l.nRowBytes = static_cast<uint32_t>(nRow);
    l.nRowsPerStrip = std::clamp<uint32_t>(kStripTarget / l.nRowBytes, 1, nHeight);
    l.nStrips = (nHeight - 1) / l.nRowsPerStrip + 1;
    // The strip arrays grow with the page; a page is far below the point where they would wrap.
    l.nHeaderBytes = PlaceValues(nBitCount, l.nStrips).nEnd;
    l.nFileBytes = l.nHeaderBytes + nPixels;
    // Every offset in the file, the last strip's included, must fit in 32 bits.
    if (l.nFileBytes > std::numeric_limits<uint32_t>::max())
        return false;
    layout = l;
    return true;
}

uint32_t TiffStripFirstRow(const STiffLayout& l, uint32_t nStrip)
{
    return nStrip * l.nRowsPerStrip;
}

uint32_t TiffStripBytes(const STiffLayout& l, uint32_t nStrip)
{
    const uint32_t nRows = std::min(l.nRowsPerStrip, l.nHeight - TiffStripFirstRow(l, nStrip));
    return nRows * l.nRowBytes;
}

std::vector<uint8_t> MakeTiffHeader(const STiffLayout& l, int nXDpi, int nYDpi)
{
    const SValueOffsets o = PlaceValues(l.nBitCount, l.nStrips);
    CTiffBytes t(o.nEnd);
    t.Put16(0, 0x4949);  // "II": little-endian
    t.Put16(2, 42);
    t.Put32(4, kFileHeader);
    t.Put16(kFileHeader, kEntries);
    const bool bRgb = l.nBitCount == 24;
    // Entries in ascending tag order, as the format requires.
    t.Entry(256, kLong, 1, l.nWidth);                               // ImageWidth
    t.Entry(257, kLong, 1, l.nHeight);                              // ImageLength
    t.Entry(258, kShort, bRgb ? 3 : 1, bRgb ? o.nBitsPerSample : uint32_t(l.nBitCount));  // BitsPerSample
    t.Entry(259, kShort, 1, 1);                                     // Compression: none
    t.Entry(262, kShort, 1, bRgb ? 2 : 1);                          // Photometric: RGB, or 0 is black
    t.Entry(273, kLong, l.nStrips, l.nStrips > 1 ? o.nStripOffsets : o.nEnd);  // StripOffsets
    t.Entry(277, kShort, 1, bRgb ? 3 : 1);                          // SamplesPerPixel
    t.Entry(278, kLong, 1, l.nRowsPerStrip);                        // RowsPerStrip
    t.Entry(279, kLong, l.nStrips, l.nStrips > 1 ? o.nStripCounts : TiffStripBytes(l, 0));  // StripByteCounts
    t.Entry(282, kRational, 1, o.nXRes);                            // XResolution
    t.Entry(283, kRational, 1, o.nYRes);                            // YResolution
    t.Entry(284, kShort, 1, 1);                                     // PlanarConfiguration: chunky
    t.Entry(296, kShort, 1, 2);                                     // ResolutionUnit: inch
    // The next directory's offset stays 0: there is one image.
    if (bRgb)
        for (int i = 0; i < 3; ++i)
            t.Put16(o.nBitsPerSample + 2 * i, 8);
    t.Put32(o.nXRes, static_cast<uint32_t>(std::max(nXDpi, 1)));
    t.Put32(o.nXRes + 4, 1);
    t.Put32(o.nYRes, static_cast<uint32_t>(std::max(nYDpi, 1)));
    t.Put32(o.nYRes + 4, 1);
    if (l.nStrips > 1) {
        for (uint32_t i = 0; i < l.nStrips; ++i) {
            t.Put32(o.nStripOffsets + 4 * i, o.nEnd + TiffStripFirstRow(l, i) * l.nRowBytes);
            t.Put32(o.nStripCounts + 4 * i, TiffStripBytes(l, i));
        }
    }
    return std::move(t.Bytes());
}
