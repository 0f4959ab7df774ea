#include "tests/twainscan/FakePage.h"

namespace {

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

std::uint8_t Pixel(int x, int y, int nChannel, int nPageNo)
{
    switch (nChannel) {
    case 0:
        return static_cast<std::uint8_t>(x * 3 + nPageNo * 40);
    case 1:
        return static_cast<std::uint8_t>(y * 5 + nPageNo);
    default:
        return static_cast<std::uint8_t>((x + y) * 7 + 11 * nPageNo);
    }
}

}  // namespace

CFakePage GenerateFakePage(int nWidth, int nHeight, int nPixelType, int nPageNo, int nXRes, int nYRes)
{
    CFakePage page;
    page.nWidth = nWidth;
    page.nHeight = nHeight;
    page.nBitsPerPixel = nPixelType == 0 ? 1 : nPixelType == 1 ? 8 : 24;
    page.nXRes = nXRes;
    page.nYRes = nYRes;
    size_t nStride = page.BytesPerRow();
    page.rows.assign(nStride * nHeight, 0);
    for (int y = 0; y < nHeight; ++y) {
        std::uint8_t* pRow = page.rows.data() + nStride * y;
        for (int x = 0; x < nWidth; ++x) {
            if (page.nBitsPerPixel == 24) {
                for (int c = 0; c < 3; ++c)
                    pRow[x * 3 + c] = Pixel(x, y, c, nPageNo);
            } else if (page.nBitsPerPixel == 8) {
                pRow[x] = static_cast<std::uint8_t>(x * 2 + y * 3 + nPageNo * 17);
            } else if (((x / 8 + y / 8 + nPageNo) & 1) != 0 || x == y) {
                pRow[x / 8] |= static_cast<std::uint8_t>(0x80 >> (x % 8));
            }
        }
    }
    return page;
}

std::vector<std::uint8_t> PackedDib(const CFakePage& page)
{
    int nColors = page.nBitsPerPixel == 24 ? 0 : (1 << page.nBitsPerPixel);
    size_t nStride = (static_cast<size_t>(page.nWidth) * page.nBitsPerPixel + 31) / 32 * 4;
    std::vector<std::uint8_t> dib;
    Put32(dib, 40);
    Put32(dib, static_cast<std::uint32_t>(page.nWidth));
    Put32(dib, static_cast<std::uint32_t>(page.nHeight));
    Put16(dib, 1);
    Put16(dib, static_cast<unsigned>(page.nBitsPerPixel));
    Put32(dib, 0);
    Put32(dib, static_cast<std::uint32_t>(nStride * page.nHeight));
    Put32(dib, static_cast<std::uint32_t>(page.nXRes * 10000 / 254));
    Put32(dib, static_cast<std::uint32_t>(page.nYRes * 10000 / 254));
    Put32(dib, static_cast<std::uint32_t>(nColors));
    Put32(dib, 0);
    for (int i = 0; i < nColors; ++i) {
        std::uint8_t v = static_cast<std::uint8_t>(nColors == 2 ? i * 255 : i);
        dib.insert(dib.end(), {v, v, v, 0});
    }
    size_t nSrcStride = page.BytesPerRow();
    for (int y = page.nHeight - 1; y >= 0; --y) {
        const std::uint8_t* pRow = page.rows.data() + nSrcStride * y;
        size_t nStart = dib.size();
        if (page.nBitsPerPixel == 24) {
            for (int x = 0; x < page.nWidth; ++x)
                dib.insert(dib.end(), {pRow[x * 3 + 2], pRow[x * 3 + 1], pRow[x * 3]});
        } else {
            dib.insert(dib.end(), pRow, pRow + nSrcStride);
        }
        dib.resize(nStart + nStride, 0);
    }
    return dib;
}

std::vector<std::uint8_t> BmpFile(const CFakePage& page)
{
    std::vector<std::uint8_t> dib = PackedDib(page);
    int nColors = page.nBitsPerPixel == 24 ? 0 : (1 << page.nBitsPerPixel);
    std::vector<std::uint8_t> file{'B', 'M'};
    Put32(file, static_cast<std::uint32_t>(14 + dib.size()));
    Put32(file, 0);
    Put32(file, static_cast<std::uint32_t>(14 + 40 + nColors * 4));
    file.insert(file.end(), dib.begin(), dib.end());
    return file;
}
