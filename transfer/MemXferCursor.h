// Buffered memory transfer of one page: which spool rows go into the application's buffer on
// each call, and where a row that does not fit into the buffer stands between calls.
// Portable; the handler supplies the rows and turns the outcome into TWAIN replies.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

// The page as the transfer sees it: the effective width and height and the pixel type
// (0 black and white, 1 grey, 2 colour).
struct SMemXferPage {
    uint32_t nWidth = 0;
    uint32_t nHeight = 0;
    int nPixelType = 2;
};

// What one call delivered, in the terms of TW_IMAGEMEMXFER.
struct SMemStrip {
    enum EResult { kStrip, kLastStrip, kRefused, kNoMemory };
    EResult eResult = kRefused;
    uint32_t nBytesPerRow = 0;
    uint32_t nColumns = 0;
    uint32_t nRows = 0;
    uint32_t nXOffset = 0;
    uint32_t nYOffset = 0;
    uint32_t nBytesWritten = 0;
};

// Reads spool row nRow (0 = top) into pDest, nBytes bytes; false when it cannot be read.
using MemRowReader = std::function<bool(uint32_t nRow, uint8_t* pDest, uint32_t nBytes)>;

class CMemXferCursor {
public:
    // Packed bytes of one row of the page.
    static uint32_t RowBytes(const SMemXferPage& page);

    // Fills one buffer. nRowsTransferred is the page's count of rows already delivered, kept
    // by the scan controller and reset with each page's parameters; it grows with every row.
    SMemStrip Next(const SMemXferPage& page, uint8_t* pBuffer, uint32_t nLength, uint32_t& nRowsTransferred,
                   const MemRowReader& reader);

    // Forgets a row under way (a new page).
    void ResetRow() { m_nRowOffset = 0; }
    bool RowUnderWay() const { return m_nRowOffset != 0; }

private:
    SMemStrip WholeRows(const SMemXferPage& page, uint32_t nBytesPerRow, uint8_t* pBuffer, uint32_t nLength,
                        uint32_t& nRowsTransferred, const MemRowReader& reader);
    SMemStrip PartialRow(const SMemXferPage& page, uint8_t* pBuffer, uint32_t nLength, uint32_t& nRowsTransferred,
                         const MemRowReader& reader);

    std::vector<uint8_t> m_rowBuffer;
    uint32_t m_nRowOffset = 0;
};
