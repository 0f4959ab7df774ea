// The packed device-independent bitmap a page is handed over in: its sizes, header, palette
// and bottom-up rows, and the BMP file header in front of it for file transfers. Portable:
// the Windows side only allocates the block and writes the file.
#pragma once

#include <array>
#include <cstdint>

constexpr uint32_t kDibHeaderBytes = 40;
constexpr uint32_t kBmpFileHeaderBytes = 14;

struct SDibLayout {
    uint32_t nWidth = 0;
    uint32_t nHeight = 0;
    int nBitCount = 0;          // 1, 8 or 24
    uint32_t nRowBytes = 0;     // packed spool row
    uint32_t nStride = 0;       // row in the block, a multiple of 4
    uint32_t nColours = 0;      // palette entries: 2, 256 or 0
    uint32_t nPixelOffset = 0;  // header and palette
    uint32_t nImageBytes = 0;   // nStride x nHeight
    uint32_t nTotalBytes = 0;   // header, palette and pixels
};

// The bit count for a pixel type: 0 black and white, 1 grey, anything else colour.
int DibBitCount(int nPixelType);
// Spool row bytes of a page: (W + 7) / 8, W or 3 W; 0 when it does not fit in 32 bits.
uint32_t SpoolRowBytes(uint32_t nWidth, int nBitCount);

// The layout of a W x H page; false when any size of the block or of a BMP file of it would
// not fit into the 32-bit size fields of the headers.
bool ComputeDibLayout(uint32_t nWidth, uint32_t nHeight, int nPixelType, SDibLayout& layout);

// Pixels per metre for a dpi value: dpi x 1000 / 25.4 in single precision, truncated.
int32_t PelsPerMeter(int nDpi);

// Writes the 40-byte header and the palette at the start of a zeroed block of nTotalBytes.
void WriteDibHeader(const SDibLayout& layout, int nXDpi, int nYDpi, uint8_t* pBlock);

// Writes one spool row as its block row: colour turns from red-green-blue to blue-green-red,
// the pad bytes up to the stride are zero. The top spool row is block row nHeight - 1.
void WriteDibRow(const SDibLayout& layout, const uint8_t* pSpoolRow, uint8_t* pBlockRow);

// The 14-byte BMP file header for a block of this layout.
std::array<uint8_t, kBmpFileHeaderBytes> MakeBmpFileHeader(const SDibLayout& layout);
