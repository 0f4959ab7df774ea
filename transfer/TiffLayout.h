// A page as a baseline TIFF file: one uncompressed image, 1-bit black and white (0 black),
// 8-bit grey or 24-bit RGB, little-endian, rows top first in strips of about 64 KiB, with its
// resolution in dots per inch. The rows are the spool's rows as they are (packed, no padding,
// red-green-blue), so a strip is a run of spool bytes. Portable: the caller writes the bytes.
#pragma once

#include <cstdint>
#include <vector>

struct STiffLayout {
    uint32_t nWidth = 0;
    uint32_t nHeight = 0;
    int nBitCount = 0;           // 1, 8 or 24
    uint32_t nRowBytes = 0;      // (W x bits + 7) / 8
    uint32_t nRowsPerStrip = 0;
    uint32_t nStrips = 0;
    uint32_t nHeaderBytes = 0;   // header, directory and its values; the pixels follow
    uint64_t nFileBytes = 0;
};

// The layout of a W x H page of nBitCount bits per pixel; false for an empty page, another bit
// count, or a file too large for the 32-bit offsets of the format.
bool ComputeTiffLayout(uint32_t nWidth, uint32_t nHeight, int nBitCount, STiffLayout& layout);

// Strip i: its first row and its bytes (the last strip may be shorter).
uint32_t TiffStripFirstRow(const STiffLayout& layout, uint32_t nStrip);
uint32_t TiffStripBytes(const STiffLayout& layout, uint32_t nStrip);

// The nHeaderBytes in front of the pixels; a resolution below 1 is written as 1.
std::vector<uint8_t> MakeTiffHeader(const STiffLayout& layout, int nXDpi, int nYDpi);
