// Pixel and layout rules of the raster image, free of any window system: how many bytes an
// image needs, how a rectangle of it becomes a bottom-up display bitmap, and how it is read out.
#pragma once

#include <cstddef>
#include <cstdint>

// In memory, images carry no row padding: 1- and 4-bit pixels form one continuous bit or nibble
// stream (pixel (x, y) at index width * y + x, most significant first), 16- and 48-bit samples
// are two bytes, least significant first.
namespace imagepix {

// Bytes of in-memory data an image of this format needs; 0 for an unsupported depth or a size
// that does not fit in 32 bits (such an image cannot be allocated).
uint32_t NeededBytes(int nBitsPerPixel, uint32_t nWidth, uint32_t nHeight);

// Bytes of the palette (RGB triples): 6 at 1 bit, 48 at 4, 768 at 8, none otherwise.
uint32_t PaletteBytes(int nBitsPerPixel);

// Bytes the sequential reader hands out for a page of this size: ((W + 7) >> 3) * H at one bit
// per sample, else W * H * samples * bits / 8; 0 when that does not fit in 32 bits.
uint32_t ReadTotalBytes(int nSamples, int nBitsPerSample, uint32_t nWidth, uint32_t nHeight);

// Row bytes of the spool layout: (width * bits per pixel + 7) / 8, no padding.
uint64_t SpoolRowBytes(int nBitsPerPixel, uint32_t nWidth);

// The header of a packed display bitmap, laid out as the platform's 40-byte info header.
#pragma pack(push, 1)
struct SDibHeader {
    uint32_t biSize;
    int32_t biWidth;
    int32_t biHeight;
    uint16_t biPlanes;
    uint16_t biBitCount;
    uint32_t biCompression;
    uint32_t biSizeImage;
    int32_t biXPelsPerMeter;
    int32_t biYPelsPerMeter;
    uint32_t biClrUsed;
    uint32_t biClrImportant;
};
struct SRgbQuad {
    uint8_t rgbBlue, rgbGreen, rgbRed, rgbReserved;
};
#pragma pack(pop)
static_assert(sizeof(SDibHeader) == 40, "the display header is the 40-byte info header");

constexpr size_t kDisplayHeaderBytes = sizeof(SDibHeader) + 256 * sizeof(SRgbQuad);  // 1064

// Bit count the display uses for an image depth (16 shows as 8, 48 as 24); 0 when unsupported.
int DisplayBitCount(int nBitsPerPixel);
// Display row bytes for a rectangle width, rounded up to 4; 0 when unsupported.
uint32_t DisplayStride(int nBitsPerPixel, uint32_t nWidth);

// Fills the 1064-byte display header for a w x h rectangle. pPalette (RGB triples) may be null.
// Resolutions go into the per-metre fields as they are stored (dots per inch), as the source did.
void BuildDisplayHeader(uint8_t* pHeader1064, int nBitsPerPixel, int32_t nWidth, int32_t nHeight,
                        int32_t nXRes, int32_t nYRes, const uint8_t* pPalette);

struct SPixelSource {
    const uint8_t* pData = nullptr;
    size_t nDataBytes = 0;  // what pData really holds; nothing beyond it is read
    int nBitsPerPixel = 0;
    uint32_t nWidth = 0;
    uint32_t nHeight = 0;
};

struct SRect {
    int32_t left, top, right, bottom;
};

// The part of rc that lies inside the image (may be empty).
SRect ClipToImage(const SRect& rc, uint32_t nWidth, uint32_t nHeight);

// Copies rectangle rc of the source (already clipped) into display rows of the given stride,
// top row first: 1 and 4 bits shifted so the first pixel leads its row, 16 and 48 bits by the
// high byte of each sample. Pixels beyond pData's size stay as the destination had them.
void CopyRectToDisplay(const SPixelSource& src, const SRect& rc, uint8_t* pDst, uint32_t nStride);

// Turns display rows top-down into bottom-up, and for colour RGB into the display's BGR.
void FinishDisplayRows(uint8_t* pRows, uint32_t nStride, uint32_t nRows, uint32_t nWidth, int nDisplayBits);

// Nearest-neighbour resampling of one row of whole-byte pixels (8, 16, 24 or 48 bits):
// nOutWidth pixels of the row of nInWidth pixels. Returns the bytes written.
size_t ScaleRow(const uint8_t* pIn, uint32_t nInWidth, uint8_t* pOut, uint32_t nOutWidth, int nBitsPerPixel);

}  // namespace imagepix
