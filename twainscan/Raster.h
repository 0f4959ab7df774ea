// One page in memory, the same whatever mechanism brought it: rows top-down, colour in
// red, green, blue order, grey one byte per pixel, black and white one bit per pixel with 1 for
// white and the leftmost pixel in the most significant bit. Conversions from the packed bitmap
// of native transfer, the BMP file of file transfer and the strips of memory transfer, and to BMP.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

struct CRaster {
    int nWidth = 0;
    int nHeight = 0;
    int nBitsPerPixel = 0;  // 1, 8 or 24
    int nXRes = 0;
    int nYRes = 0;
    std::vector<std::uint8_t> pixels;

    std::size_t Stride() const { return (static_cast<std::size_t>(nWidth) * nBitsPerPixel + 7) / 8; }
    // False when the size is not a sane page (no pixels, or more than 2 GB).
    bool Allocate(int nW, int nH, int nBits);
};

bool RasterFromDib(const std::uint8_t* pData, std::size_t nSize, CRaster* pRaster, std::string* pError);
bool RasterFromBmpFile(const std::uint8_t* pData, std::size_t nSize, CRaster* pRaster, std::string* pError);
std::vector<std::uint8_t> BmpFromRaster(const CRaster& raster);

// One memory-transfer strip: Rows rows of Columns pixels at (XOffset, YOffset), BytesPerRow apart.
struct SStrip {
    std::uint32_t nBytesPerRow = 0;
    std::uint32_t nColumns = 0;
    std::uint32_t nRows = 0;
    std::uint32_t nXOffset = 0;
    std::uint32_t nYOffset = 0;
    std::uint32_t nBytesWritten = 0;
};
// Copies the strip into the page; refuses strips that reach outside the page or the buffer.
bool PlaceStrip(CRaster* pRaster, const SStrip& strip, const std::uint8_t* pData, std::size_t nBuffer,
                std::string* pError);
