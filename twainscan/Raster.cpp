#include "twainscan/Raster.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace {

std::uint32_t Le32(const std::uint8_t* p)
{
    return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

std::uint16_t Le16(const std::uint8_t* p)
{
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}

void Put16(std::vector<std::uint8_t>& out, unsigned n)
{
    out.push_back(static_cast<std::uint8_t>(n));
    out.push_back(static_cast<std::uint8_t>(n >> 8));
}

void Put32(std::vector<std::uint8_t>& out, std::uint32_t n)
{
    Put16(out, n & 0xFFFF);
    Put16(out, n >> 16);
}

struct SRgb {
    std::uint8_t r, g, b;
};

struct SDibLayout {
    int nWidth = 0;
    int nHeight = 0;  // positive
    bool bTopDown = false;
    int nBits = 0;
    std::vector<SRgb> palette;
    std::size_t nStride = 0;
    const std::uint8_t* pBits = nullptr;
};

bool Fail(std::string* pError, const char* pszText)
{
    if (pError)
        *pError = pszText;
    return false;
}

// The header and palette of a packed bitmap, checked against the bytes it came in.
bool ReadDibLayout(const std::uint8_t* pData, std::size_t nSize, std::size_t nBitsOffset, SDibLayout* pLayout,
                   std::string* pError)
{
    if (!pData || nSize < 40)
        return Fail(pError, "bitmap shorter than its header");
    std::uint32_t nHeader = Le32(pData);
    auto nWidth = static_cast<std::int32_t>(Le32(pData + 4));
    auto nHeight = static_cast<std::int32_t>(Le32(pData + 8));
    std::uint16_t nBits = Le16(pData + 14);
    std::uint32_t nCompression = Le32(pData + 16);
    std::uint32_t nColorsUsed = Le32(pData + 32);
    if (nHeader < 40 || nHeader > nSize)
        return Fail(pError, "bad bitmap header size");
    if (nWidth <= 0 || nHeight == 0 || nHeight == INT32_MIN || nWidth > 1000000 || std::abs(nHeight) > 1000000)
        return Fail(pError, "bad bitmap dimensions");
    if (nBits != 1 && nBits != 4 && nBits != 8 && nBits != 24 && nBits != 32)
        return Fail(pError, "unsupported bits per pixel");
    if (nCompression != 0)
        return Fail(pError, "compressed bitmaps are not supported");
    std::size_t nColors = nBits <= 8 ? (nColorsUsed ? nColorsUsed : (1u << nBits)) : 0;
    if (nColors > (1u << (nBits <= 8 ? nBits : 0)) && nBits <= 8)
        return Fail(pError, "palette larger than the pixel depth allows");
    std::size_t nPaletteEnd = nHeader + nColors * 4;
    if (nPaletteEnd > nSize)
        return Fail(pError, "bitmap shorter than its palette");
    pLayout->nWidth = nWidth;
    pLayout->nHeight = std::abs(nHeight);
    pLayout->bTopDown = nHeight < 0;
    pLayout->nBits = nBits;
    for (std::size_t i = 0; i < nColors; ++i) {
        const std::uint8_t* p = pData + nHeader + 4 * i;
        pLayout->palette.push_back(SRgb{p[2], p[1], p[0]});
    }
    pLayout->nStride = (static_cast<std::size_t>(nWidth) * nBits + 31) / 32 * 4;
    std::size_t nBitsStart = nBitsOffset ? nBitsOffset : nPaletteEnd;
    if (nBitsStart > nSize || (nSize - nBitsStart) / pLayout->nStride < static_cast<std::size_t>(pLayout->nHeight))
        return Fail(pError, "bitmap shorter than its pixels");
    pLayout->pBits = pData + nBitsStart;
    return true;
}

unsigned IndexAt(const std::uint8_t* pRow, int x, int nBits)
{
    if (nBits == 8)
        return pRow[x];
    if (nBits == 4)
        return (pRow[x / 2] >> (x % 2 ? 0 : 4)) & 0x0F;
    return (pRow[x / 8] >> (7 - x % 8)) & 1;
}

bool PaletteIsGrey(const std::vector<SRgb>& palette)
{
    return std::all_of(palette.begin(), palette.end(), [](const SRgb& c) { return c.r == c.g && c.g == c.b; });
}

void ConvertRow(const SDibLayout& dib, const std::uint8_t* pSrc, CRaster* pRaster, std::uint8_t* pDst)
{
    for (int x = 0; x < dib.nWidth; ++x) {
        if (dib.nBits >= 24) {
            const std::uint8_t* p = pSrc + x * (dib.nBits / 8);
            pDst[x * 3] = p[2];
            pDst[x * 3 + 1] = p[1];
            pDst[x * 3 + 2] = p[0];
            continue;
        }
        unsigned nIndex = IndexAt(pSrc, x, dib.nBits);
        // Indices beyond a short palette are black, as Windows draws them.
        SRgb c = nIndex < dib.palette.size() ? dib.palette[nIndex] : SRgb{0, 0, 0};
        if (pRaster->nBitsPerPixel == 1) {
            if (c.r + c.g + c.b >= 3 * 128)
                pDst[x / 8] |= static_cast<std::uint8_t>(0x80 >> (x % 8));
        } else if (pRaster->nBitsPerPixel == 8) {
            pDst[x] = c.r;
        } else {
            pDst[x * 3] = c.r;
            pDst[x * 3 + 1] = c.g;
            pDst[x * 3 + 2] = c.b;
        }
    }
}

bool ConvertDib(const SDibLayout& dib, CRaster* pRaster)
{
    int nOutBits = 24;
    if (dib.nBits == 1 && PaletteIsGrey(dib.palette))
        nOutBits = 1;
    else if (dib.nBits <= 8 && PaletteIsGrey(dib.palette))
        nOutBits = 8;
    CRaster raster;
    if (!raster.Allocate(dib.nWidth, dib.nHeight, nOutBits))
        return false;
    for (int y = 0; y < dib.nHeight; ++y) {
        int nSrcRow = dib.bTopDown ? y : dib.nHeight - 1 - y;
        ConvertRow(dib, dib.pBits + dib.nStride * nSrcRow, &raster, raster.pixels.data() + raster.Stride() * y);
    }
    *pRaster = std::move(raster);
    return true;
}

int DpiFromPelsPerMetre(std::uint32_t n)
{
    return static_cast<int>((static_cast<std::uint64_t>(n) * 254 + 5000) / 10000);
}

}  // namespace

bool CRaster::Allocate(int nW, int nH, int nBits)
{
    if (nW <= 0 || nH <= 0 || (nBits != 1 && nBits != 8 && nBits != 24))
        return false;
    std::size_t nStride = (static_cast<std::size_t>(nW) * nBits + 7) / 8;
    if (nStride > (std::size_t{1} << 31) / static_cast<std::size_t>(nH))
        return false;
    nWidth = nW;
    nHeight = nH;
    nBitsPerPixel = nBits;
    pixels.assign(nStride * nH, 0);
    return true;
}

bool RasterFromDib(const std::uint8_t* pData, std::size_t nSize, CRaster* pRaster, std::string* pError)
{
    SDibLayout dib;
    if (!ReadDibLayout(pData, nSize, 0, &dib, pError))
        return false;
    if (!ConvertDib(dib, pRaster))
        return Fail(pError, "bitmap too large");
    pRaster->nXRes = DpiFromPelsPerMetre(Le32(pData + 24));
    pRaster->nYRes = DpiFromPelsPerMetre(Le32(pData + 28));
    return true;
}

bool RasterFromBmpFile(const std::uint8_t* pData, std::size_t nSize, CRaster* pRaster, std::string* pError)
{
    if (!pData || nSize < 14 + 40 || pData[0] != 'B' || pData[1] != 'M')
        return Fail(pError, "not a BMP file");
    std::uint32_t nOffset = Le32(pData + 10);
    if (nOffset < 14 + 40 || nOffset > nSize)
        return Fail(pError, "bad BMP pixel offset");
    SDibLayout dib;
    if (!ReadDibLayout(pData + 14, nSize - 14, nOffset - 14, &dib, pError))
        return false;
    if (!ConvertDib(dib, pRaster))
        return Fail(pError, "bitmap too large");
    pRaster->nXRes = DpiFromPelsPerMetre(Le32(pData + 14 + 24));
    pRaster->nYRes = DpiFromPelsPerMetre(Le32(pData + 14 + 28));
    return true;
}

std::vector<std::uint8_t> BmpFromRaster(const CRaster& raster)
{
    int nColors = raster.nBitsPerPixel == 24 ? 0 : (1 << raster.nBitsPerPixel);
    std::size_t nStride = (static_cast<std::size_t>(raster.nWidth) * raster.nBitsPerPixel + 31) / 32 * 4;
    std::uint32_t nOffset = 14 + 40 + nColors * 4;
    std::vector<std::uint8_t> out{'B', 'M'};
    out.reserve(nOffset + nStride * raster.nHeight);
    Put32(out, static_cast<std::uint32_t>(nOffset + nStride * raster.nHeight));
    Put32(out, 0);
    Put32(out, nOffset);
    Put32(out, 40);
    Put32(out, static_cast<std::uint32_t>(raster.nWidth));
    Put32(out, static_cast<std::uint32_t>(raster.nHeight));
    Put16(out, 1);
    Put16(out, static_cast<unsigned>(raster.nBitsPerPixel));
    Put32(out, 0);
    Put32(out, static_cast<std::uint32_t>(nStride * raster.nHeight));
    Put32(out, static_cast<std::uint32_t>((raster.nXRes * 10000 + 127) / 254));
    Put32(out, static_cast<std::uint32_t>((raster.nYRes * 10000 + 127) / 254));
    Put32(out, static_cast<std::uint32_t>(nColors));
    Put32(out, 0);
    for (int i = 0; i < nColors; ++i) {
        auto v = static_cast<std::uint8_t>(nColors == 2 ? i * 255 : i);
        out.insert(out.end(), {v, v, v, 0});
    }
    for (int y = raster.nHeight - 1; y >= 0; --y) {
        const std::uint8_t* pRow = raster.pixels.data() + raster.Stride() * y;
        std::size_t nStart = out.size();
        if (raster.nBitsPerPixel == 24) {
            for (int x = 0; x < raster.nWidth; ++x)
                out.insert(out.end(), {pRow[x * 3 + 2], pRow[x * 3 + 1], pRow[x * 3]});
        } else {
            out.insert(out.end(), pRow, pRow + raster.Stride());
        }
        out.resize(nStart + nStride, 0);
    }
    return out;
}

bool PlaceStrip(CRaster* pRaster, const SStrip& strip, const std::uint8_t* pData, std::size_t nBuffer,
                std::string* pError)
{
    if (strip.nRows == 0)
        return true;
    std::uint64_t nBits = pRaster->nBitsPerPixel;
    std::uint64_t nRowBits = static_cast<std::uint64_t>(strip.nColumns) * nBits;
    if (!pData || strip.nColumns == 0 || strip.nBytesPerRow == 0 || nRowBits > strip.nBytesPerRow * 8ull)
        return Fail(pError, "strip with bad row size");
    if (static_cast<std::uint64_t>(strip.nXOffset) + strip.nColumns > static_cast<std::uint64_t>(pRaster->nWidth) ||
        static_cast<std::uint64_t>(strip.nYOffset) + strip.nRows > static_cast<std::uint64_t>(pRaster->nHeight))
        return Fail(pError, "strip outside the page");
    std::uint64_t nNeeded = static_cast<std::uint64_t>(strip.nBytesPerRow) * (strip.nRows - 1) + (nRowBits + 7) / 8;
    if (nNeeded > nBuffer || (strip.nBytesWritten != 0 && nNeeded > strip.nBytesWritten))
        return Fail(pError, "strip larger than the bytes it came in");
    std::uint64_t nDstBit = static_cast<std::uint64_t>(strip.nXOffset) * nBits;
    for (std::uint32_t r = 0; r < strip.nRows; ++r) {
        const std::uint8_t* pSrc = pData + static_cast<std::size_t>(strip.nBytesPerRow) * r;
        std::uint8_t* pDst = pRaster->pixels.data() + pRaster->Stride() * (strip.nYOffset + r);
        if (nDstBit % 8 == 0 && nRowBits % 8 == 0) {
            std::memcpy(pDst + nDstBit / 8, pSrc, nRowBits / 8);
            continue;
        }
        for (std::uint64_t b = 0; b < nRowBits; ++b) {
            bool bSet = (pSrc[b / 8] >> (7 - b % 8)) & 1;
            std::uint64_t d = nDstBit + b;
            auto nMask = static_cast<std::uint8_t>(0x80 >> (d % 8));
            pDst[d / 8] = static_cast<std::uint8_t>(bSet ? (pDst[d / 8] | nMask) : (pDst[d / 8] & ~nMask));
        }
    }
    return true;
}
