// The page the fake source scans: a pattern that differs by position, pixel type and page
// number, so that a transfer that drops, shifts or reorders bytes shows. Rows are top-down in
// the memory-transfer layout (RGB order; 1-bit rows with 1 for white, most significant bit first).
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

struct CFakePage {
    int nWidth = 0;
    int nHeight = 0;
    int nBitsPerPixel = 24;
    int nXRes = 100;
    int nYRes = 100;
    std::vector<std::uint8_t> rows;

    size_t BytesPerRow() const { return (static_cast<size_t>(nWidth) * nBitsPerPixel + 7) / 8; }
};

// nPixelType: 0 black and white, 1 grey, 2 colour (TWPT_ values).
CFakePage GenerateFakePage(int nWidth, int nHeight, int nPixelType, int nPageNo, int nXRes, int nYRes);
// A packed device-independent bitmap: BITMAPINFOHEADER, palette, bottom-up rows padded to 4 bytes.
std::vector<std::uint8_t> PackedDib(const CFakePage& page);
// A BMP file: the 14-byte file header and the packed bitmap.
std::vector<std::uint8_t> BmpFile(const CFakePage& page);
