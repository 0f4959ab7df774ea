#include "imaging/BlankOutsideArea.h"

#include <algorithm>
#include <cstring>

namespace {

bool IsUsable(const _ImageDesc& desc)
{
    if (desc.m_nRows < 0 || desc.m_nBytesPerRow < 0 || desc.m_nWidth < 0 || desc.m_nBitsPerPixel <= 0)
        return false;
    return (static_cast<int64_t>(desc.m_nWidth) * desc.m_nBitsPerPixel + 7) / 8 <= desc.m_nBytesPerRow;
}

void WhitenRows(const _ImageDesc& desc, uint8_t* pData, int64_t nFirst, int64_t nCount)
{
    std::memset(pData + nFirst * desc.m_nBytesPerRow, 0xFF, static_cast<size_t>(nCount * desc.m_nBytesPerRow));
}

// Whitens [nStart, nStart + nCount) of one row, kept inside the row.
void WhitenBytes(uint8_t* pRow, int64_t nRowBytes, int64_t nStart, int64_t nCount)
{
    const int64_t nBegin = std::clamp<int64_t>(nStart, 0, nRowBytes);
    const int64_t nEnd = std::clamp<int64_t>(nStart + nCount, nBegin, nRowBytes);
    std::memset(pRow + nBegin, 0xFF, static_cast<size_t>(nEnd - nBegin));
}

}  // namespace

int BlankOutsideArea(const _ImageDesc& desc, uint8_t* pData, const _BlankMargins& margins, int nFirstRow,
                     int nPageHeight)
{
    if (!pData || !IsUsable(desc))
        return 1;
    // 64-bit throughout: margins and rows come from stored settings and page sizes.
    const int64_t r = desc.m_nRows, a = nFirstRow, H = nPageHeight;
    const int64_t nTop = std::max<int32_t>(margins.m_nTop, 0);
    const int64_t nBottom = std::max<int32_t>(margins.m_nBottom, 0);
    const int64_t nAbove = std::clamp<int64_t>(a < nTop ? nTop - a : 0, 0, r);
    if (nAbove > 0 || r == 0) {
        WhitenRows(desc, pData, 0, nAbove);
        if (nAbove == r)
            return 0;
    }
    const int64_t nBelow = std::clamp<int64_t>(a + r < H - nBottom ? 0 : a + r + nBottom - H, 0, r);
    if (nBelow > 0) {
        WhitenRows(desc, pData, r - nBelow, nBelow);
        if (nBelow == r)
            return 0;
    }
    if (nAbove + nBelow >= r)
        return 0;
    const int64_t nBits = desc.m_nBitsPerPixel;
    const int64_t nLeft = std::max<int32_t>(margins.m_nLeft, 0);
    const int64_t nRight = std::max<int32_t>(margins.m_nRight, 0);
    for (int64_t y = nAbove; y < r - nBelow; ++y) {
        uint8_t* pRow = pData + y * desc.m_nBytesPerRow;
        if (nLeft != 0)
            WhitenBytes(pRow, desc.m_nBytesPerRow, 0, nLeft * nBits / 8);
        if (nRight != 0)
            WhitenBytes(pRow, desc.m_nBytesPerRow, (desc.m_nWidth - nRight) * nBits / 8, nRight * nBits / 8);
    }
    return 0;
}
