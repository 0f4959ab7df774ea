#include "transfer/MemXferCursor.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "profile/Trace.h"

uint32_t CMemXferCursor::RowBytes(const SMemXferPage& page)
{
    uint64_t n = page.nPixelType == 0 ? (uint64_t(page.nWidth) + 7) / 8
                 : page.nPixelType == 1 ? uint64_t(page.nWidth)
                                        : 3 * uint64_t(page.nWidth);
    return n > 0xFFFFFFF0u ? 0 : static_cast<uint32_t>(n);
}

SMemStrip CMemXferCursor::Next(const SMemXferPage& page, uint8_t* pBuffer, uint32_t nLength,
                               uint32_t& nRowsTransferred, const MemRowReader& reader)
{
    const uint32_t nRowBytes = RowBytes(page);
    if (!pBuffer || nLength == 0 || nRowBytes == 0 || page.nHeight == 0)
        return {};
    if (m_nRowOffset == 0 && nRowsTransferred >= page.nHeight)
        return {};
    uint32_t nBytesPerRow = (nRowBytes + 3) / 4 * 4;
    // A colour row that fits only without its pad bytes goes unpadded rather than in pieces.
    if (page.nPixelType == 2 && nLength < nBytesPerRow)
        nBytesPerRow = nRowBytes;
    if (m_nRowOffset == 0 && nLength >= nBytesPerRow)
        return WholeRows(page, nBytesPerRow, pBuffer, nLength, nRowsTransferred, reader);
    return PartialRow(page, pBuffer, nLength, nRowsTransferred, reader);
}

SMemStrip CMemXferCursor::WholeRows(const SMemXferPage& page, uint32_t nBytesPerRow, uint8_t* pBuffer,
                                    uint32_t nLength, uint32_t& nRowsTransferred, const MemRowReader& reader)
{
    const uint32_t nRowBytes = RowBytes(page);
    SMemStrip s;
    s.nBytesPerRow = nBytesPerRow;
    s.nColumns = page.nWidth;
    s.nYOffset = nRowsTransferred;
    const uint32_t nFit = std::min(nLength / nBytesPerRow, page.nHeight - nRowsTransferred);
    for (uint32_t i = 0; i < nFit; ++i) {
        uint8_t* pRow = pBuffer + uint64_t(i) * nBytesPerRow;
        // A row the spool cannot give stays as the buffer held it; the page goes on.
        reader(nRowsTransferred, pRow, nRowBytes);
        std::memset(pRow + nRowBytes, 0, nBytesPerRow - nRowBytes);
        ++nRowsTransferred;
    }
    s.nRows = nFit;
    s.nBytesWritten = nFit * nBytesPerRow;
    if (nRowsTransferred >= page.nHeight) {
        TraceA("twain transfer end .");
        s.eResult = SMemStrip::kLastStrip;
    } else {
        s.eResult = SMemStrip::kStrip;
    }
    return s;
}

SMemStrip CMemXferCursor::PartialRow(const SMemXferPage& page, uint8_t* pBuffer, uint32_t nLength,
                                     uint32_t& nRowsTransferred, const MemRowReader& reader)
{
    // Pieces are whole pixels: 3 bytes in colour, 1 in grey, 8 pixels to the byte in black and white.
    const uint32_t nUnit = page.nPixelType == 2 ? 3 : 1;
    const uint32_t nRowBytes = RowBytes(page);
    if (nLength < nUnit)
        return {};
    if (m_nRowOffset == 0) {
        if (m_rowBuffer.size() != nRowBytes) {
            try {
                m_rowBuffer.assign(nRowBytes, 0);
            } catch (const std::bad_alloc&) {
                m_rowBuffer.clear();
                SMemStrip s;
                s.eResult = SMemStrip::kNoMemory;
                return s;
            }
        }
        reader(nRowsTransferred, m_rowBuffer.data(), nRowBytes);
        ++nRowsTransferred;
    }
    const uint32_t nRemaining = nRowBytes - m_nRowOffset;
    const uint32_t nChunk = nRemaining > nLength ? nLength / nUnit * nUnit : nRemaining;
    std::memcpy(pBuffer, m_rowBuffer.data() + m_nRowOffset, nChunk);
    SMemStrip s;
    s.nRows = 1;
    s.nBytesWritten = nChunk;
    s.nBytesPerRow = nChunk;
    if (page.nPixelType == 0) {
        s.nXOffset = m_nRowOffset * 8;
        s.nColumns = std::min(nChunk * 8, page.nWidth - s.nXOffset);
    } else {
        s.nXOffset = m_nRowOffset / nUnit;
        s.nColumns = nChunk / nUnit;
    }
    s.nYOffset = nRowsTransferred - 1;
    m_nRowOffset += nChunk;
    s.eResult = SMemStrip::kStrip;
    if (m_nRowOffset >= nRowBytes) {
        m_nRowOffset = 0;
        if (nRowsTransferred >= page.nHeight) {
            TraceA("twain transfer end .");
            s.eResult = SMemStrip::kLastStrip;
        }
    }
    return s;
}
