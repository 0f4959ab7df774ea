// Row access to a page in spool layout (rows of (W + 7) / 8 bytes for black and white, W bytes
// for grey, 3 * W bytes for colour, no padding) and bit helpers shared by the page operations.
#pragma once

#include <cstddef>
#include <cstdint>

// Pages larger than this on a side are refused: every coordinate sum stays far from overflow.
constexpr int32_t kMaxPageSide = 1 << 20;

class CPageRows {
public:
    CPageRows(const uint8_t* pSrc, int32_t nPixelType, int32_t nWidth, int32_t nHeight)
        : m_pSrc(pSrc), m_nPixelType(nPixelType), m_nWidth(nWidth), m_nHeight(nHeight)
    {
    }
    bool IsUsable() const
    {
        return m_pSrc && m_nPixelType >= 0 && m_nPixelType <= 2 && m_nWidth > 0 && m_nHeight > 0 &&
               m_nWidth <= kMaxPageSide && m_nHeight <= kMaxPageSide;
    }
    int32_t PixelType() const { return m_nPixelType; }
    int32_t Width() const { return m_nWidth; }
    int32_t Height() const { return m_nHeight; }
    size_t SrcRowBytes() const
    {
        const size_t w = static_cast<size_t>(m_nWidth);
        return m_nPixelType == 0 ? (w + 7) / 8 : m_nPixelType == 2 ? 3 * w : w;
    }
    const uint8_t* SrcRow(int32_t y) const { return m_pSrc + SrcRowBytes() * static_cast<size_t>(y); }
    // Row y in the working grey form; pBuffer (Width() bytes) is used unless the page is grey.
    const uint8_t* GreyRow(int32_t y, uint8_t* pBuffer) const;

private:
    const uint8_t* m_pSrc;
    int32_t m_nPixelType;
    int32_t m_nWidth;
    int32_t m_nHeight;
};

// Bit x of pWords (least significant first) = pRow[x] <= nLevel, for x < nWidth; the rest 0.
void PackAtOrBelow(const uint8_t* pRow, int32_t nWidth, uint8_t nLevel, uint64_t* pWords);
// Set bits among [x0, x1) (0 when x1 <= x0).
int32_t CountBits(const uint64_t* pWords, int32_t x0, int32_t x1);
