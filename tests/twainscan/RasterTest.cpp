// Rasters: packed bitmaps and BMP files in, BMP out, memory strips placed, and every
// header, palette and strip that claims more than the bytes it came in refused.
#include <gtest/gtest.h>

#include <cstring>

#include "tests/twainscan/FakePage.h"
#include "twainscan/Raster.h"

namespace {

void Set32(std::vector<std::uint8_t>& b, size_t nAt, std::uint32_t n)
{
    memcpy(b.data() + nAt, &n, 4);
}

CRaster FromDib(const std::vector<std::uint8_t>& dib)
{
    CRaster r;
    std::string sError;
    EXPECT_TRUE(RasterFromDib(dib.data(), dib.size(), &r, &sError)) << sError;
    return r;
}

}  // namespace

TEST(Raster, PackedBitmapsOfEachDepthGiveThePagePixels)
{
    for (int nType : {0, 1, 2}) {
        for (int nWidth : {1, 7, 8, 13, 33}) {
            CFakePage page = GenerateFakePage(nWidth, 5, nType, 2, 75, 150);
            CRaster r = FromDib(PackedDib(page));
            EXPECT_EQ(page.nBitsPerPixel, r.nBitsPerPixel);
            EXPECT_EQ(nWidth, r.nWidth);
            EXPECT_EQ(5, r.nHeight);
            EXPECT_EQ(75, r.nXRes);
            EXPECT_EQ(150, r.nYRes);
            EXPECT_EQ(page.rows, r.pixels) << "type " << nType << " width " << nWidth;
        }
    }
}

TEST(Raster, PaletteDecidesWhatABitMeans)
{
    CFakePage page = GenerateFakePage(16, 3, 0, 1, 100, 100);
    std::vector<std::uint8_t> dib = PackedDib(page);
    // White first, black second: every bit means the opposite.
    Set32(dib, 40, 0x00FFFFFF);
    Set32(dib, 44, 0x00000000);
    CRaster r = FromDib(dib);
    ASSERT_EQ(1, r.nBitsPerPixel);
    for (size_t i = 0; i < r.pixels.size(); ++i)
        EXPECT_EQ(static_cast<std::uint8_t>(~page.rows[i]), r.pixels[i]);
}

TEST(Raster, ColourPaletteGivesColour)
{
    CFakePage page = GenerateFakePage(4, 2, 1, 0, 100, 100);
    std::vector<std::uint8_t> dib = PackedDib(page);
    for (int i = 0; i < 256; ++i)
        Set32(dib, 40 + 4 * i, static_cast<std::uint32_t>(i));  // blue ramp
    CRaster r = FromDib(dib);
    ASSERT_EQ(24, r.nBitsPerPixel);
    EXPECT_EQ(0, r.pixels[0]);
    EXPECT_EQ(page.rows[0], r.pixels[2]);
}

TEST(Raster, TopDownAndThirtyTwoBitBitmaps)
{
    std::vector<std::uint8_t> dib(40 + 2 * 2 * 4, 0);
    Set32(dib, 0, 40);
    Set32(dib, 4, 2);
    Set32(dib, 8, static_cast<std::uint32_t>(-2));
    dib[12] = 1;
    dib[14] = 32;
    dib[40] = 3;  // first pixel, blue 3, of the top row
    dib[42] = 9;  // red 9
    CRaster r = FromDib(dib);
    ASSERT_EQ(24, r.nBitsPerPixel);
    EXPECT_EQ(9, r.pixels[0]);
    EXPECT_EQ(3, r.pixels[2]);
}

TEST(Raster, MalformedBitmapsAreRefused)
{
    CFakePage page = GenerateFakePage(10, 10, 2, 0, 100, 100);
    std::vector<std::uint8_t> good = PackedDib(page);
    CRaster r;
    std::string sError;
    EXPECT_FALSE(RasterFromDib(good.data(), good.size() - 1, &r, &sError));
    EXPECT_EQ("bitmap shorter than its pixels", sError);
    EXPECT_FALSE(RasterFromDib(good.data(), 39, &r, &sError));
    EXPECT_FALSE(RasterFromDib(nullptr, 100, &r, &sError));
    auto bad = [&](size_t nAt, std::uint32_t n, const char* pszError) {
        std::vector<std::uint8_t> b = good;
        Set32(b, nAt, n);
        EXPECT_FALSE(RasterFromDib(b.data(), b.size(), &r, &sError)) << pszError;
        EXPECT_EQ(pszError, sError);
    };
    bad(0, 0x7FFFFFFF, "bad bitmap header size");
    bad(4, 0, "bad bitmap dimensions");
    bad(4, 0x80000000, "bad bitmap dimensions");
    bad(8, 0x80000000, "bad bitmap dimensions");
    bad(4, 100000, "bitmap shorter than its pixels");
    bad(16, 1, "compressed bitmaps are not supported");
    std::vector<std::uint8_t> grey = PackedDib(GenerateFakePage(4, 4, 1, 0, 100, 100));
    Set32(grey, 32, 257);
    EXPECT_FALSE(RasterFromDib(grey.data(), grey.size(), &r, &sError));
    EXPECT_EQ("palette larger than the pixel depth allows", sError);
    Set32(grey, 32, 0);
    grey[14] = 16;
    EXPECT_FALSE(RasterFromDib(grey.data(), grey.size(), &r, &sError));
    EXPECT_EQ("unsupported bits per pixel", sError);
}

TEST(Raster, BmpRoundTripAndFileHeaderChecks)
{
    for (int nType : {0, 1, 2}) {
        CFakePage page = GenerateFakePage(11, 6, nType, 3, 200, 300);
        std::vector<std::uint8_t> file = BmpFile(page);
        CRaster r;
        std::string sError;
        ASSERT_TRUE(RasterFromBmpFile(file.data(), file.size(), &r, &sError)) << sError;
        EXPECT_EQ(page.rows, r.pixels);
        EXPECT_EQ(file, BmpFromRaster(r));
        CRaster again;
        std::vector<std::uint8_t> written = BmpFromRaster(r);
        ASSERT_TRUE(RasterFromBmpFile(written.data(), written.size(), &again, &sError));
        EXPECT_EQ(r.pixels, again.pixels);
        EXPECT_EQ(200, again.nXRes);
        EXPECT_EQ(300, again.nYRes);
    }
    std::vector<std::uint8_t> file = BmpFile(GenerateFakePage(4, 4, 2, 0, 100, 100));
    CRaster r;
    std::string sError;
    std::vector<std::uint8_t> b = file;
    b[0] = 'X';
    EXPECT_FALSE(RasterFromBmpFile(b.data(), b.size(), &r, &sError));
    b = file;
    Set32(b, 10, static_cast<std::uint32_t>(b.size() + 1));
    EXPECT_FALSE(RasterFromBmpFile(b.data(), b.size(), &r, &sError));
    EXPECT_FALSE(RasterFromBmpFile(file.data(), file.size() - 3, &r, &sError));
}

TEST(Raster, StripsLandAtTheirOffsets)
{
    CRaster r;
    ASSERT_TRUE(r.Allocate(20, 4, 1));
    std::vector<std::uint8_t> strip{0xFF, 0xF0, 0x00, 0xFF, 0xF0, 0x00};
    std::string sError;
    // 12 white pixels from x = 3 on rows 1 and 2: a bit offset not on a byte.
    ASSERT_TRUE(PlaceStrip(&r, SStrip{3, 12, 2, 3, 1, 6}, strip.data(), strip.size(), &sError)) << sError;
    EXPECT_EQ((std::vector<std::uint8_t>{0, 0, 0, 0x1F, 0xFE, 0x00, 0x1F, 0xFE, 0x00, 0, 0, 0}), r.pixels);
    CRaster c;
    ASSERT_TRUE(c.Allocate(2, 2, 24));
    std::vector<std::uint8_t> rgb{1, 2, 3, 4, 5, 6, 99, 99};
    ASSERT_TRUE(PlaceStrip(&c, SStrip{8, 2, 1, 0, 1, 6}, rgb.data(), rgb.size(), &sError));
    EXPECT_EQ((std::vector<std::uint8_t>{0, 0, 0, 0, 0, 0, 1, 2, 3, 4, 5, 6}), c.pixels);
}

TEST(Raster, StripsOutsideThePageOrBufferAreRefused)
{
    CRaster r;
    ASSERT_TRUE(r.Allocate(4, 4, 8));
    std::vector<std::uint8_t> buf(16, 7);
    std::string sError;
    EXPECT_FALSE(PlaceStrip(&r, SStrip{4, 4, 1, 1, 0, 4}, buf.data(), buf.size(), &sError));
    EXPECT_EQ("strip outside the page", sError);
    EXPECT_FALSE(PlaceStrip(&r, SStrip{4, 4, 2, 0, 3, 8}, buf.data(), buf.size(), &sError));
    EXPECT_FALSE(PlaceStrip(&r, SStrip{4, 4, 1, 0xFFFFFFFF, 0, 4}, buf.data(), buf.size(), &sError));
    EXPECT_FALSE(PlaceStrip(&r, SStrip{4, 4, 5, 0, 0xFFFFFFFE, 4}, buf.data(), buf.size(), &sError));
    EXPECT_FALSE(PlaceStrip(&r, SStrip{8, 4, 3, 0, 0, 24}, buf.data(), buf.size(), &sError));
    EXPECT_EQ("strip larger than the bytes it came in", sError);
    EXPECT_FALSE(PlaceStrip(&r, SStrip{4, 4, 4, 0, 0, 8}, buf.data(), buf.size(), &sError));
    EXPECT_FALSE(PlaceStrip(&r, SStrip{3, 4, 1, 0, 0, 4}, buf.data(), buf.size(), &sError));
    EXPECT_EQ("strip with bad row size", sError);
    EXPECT_FALSE(PlaceStrip(&r, SStrip{4, 4, 1, 0, 0, 4}, nullptr, 16, &sError));
    EXPECT_TRUE(PlaceStrip(&r, SStrip{4, 4, 4, 0, 0, 16}, buf.data(), buf.size(), &sError));
    EXPECT_EQ(std::vector<std::uint8_t>(16, 7), r.pixels);
}

TEST(Raster, AllocationRefusesImpossiblePages)
{
    CRaster r;
    EXPECT_FALSE(r.Allocate(0, 10, 8));
    EXPECT_FALSE(r.Allocate(10, -1, 8));
    EXPECT_FALSE(r.Allocate(10, 10, 16));
    EXPECT_FALSE(r.Allocate(1000000, 1000000, 24));
    EXPECT_TRUE(r.Allocate(3, 2, 1));
    EXPECT_EQ(1u, r.Stride());
}
