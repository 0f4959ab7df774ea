#include "transfer/DibLayout.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

uint32_t Get32(const uint8_t* p) { return p[0] | p[1] << 8 | p[2] << 16 | uint32_t(p[3]) << 24; }
uint16_t Get16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }

}  // namespace

TEST(DibLayout, OneBitWidthOneHasStrideFourAndPaletteOfTwo)
{
    SDibLayout l;
    ASSERT_TRUE(ComputeDibLayout(1, 7, 0, l));
    EXPECT_EQ(l.nBitCount, 1);
    EXPECT_EQ(l.nRowBytes, 1u);
    EXPECT_EQ(l.nStride, 4u);
    EXPECT_EQ(l.nTotalBytes, 4u * 7 + 48);
    std::vector<uint8_t> b(l.nTotalBytes, 0);
    WriteDibHeader(l, 300, 300, b.data());
    EXPECT_EQ(Get32(&b[32]), 2u);
    const uint8_t pal[8] = {0, 0, 0, 0, 255, 255, 255, 0};
    EXPECT_EQ(std::memcmp(&b[40], pal, 8), 0);
}

TEST(DibLayout, HeaderFieldsAndResolution)
{
    SDibLayout l;
    ASSERT_TRUE(ComputeDibLayout(10, 4, 1, l));
    std::vector<uint8_t> b(l.nTotalBytes, 0);
    WriteDibHeader(l, 300, 600, b.data());
    EXPECT_EQ(Get32(&b[0]), 40u);
    EXPECT_EQ(Get32(&b[4]), 10u);
    EXPECT_EQ(Get32(&b[8]), 4u);
    EXPECT_EQ(Get16(&b[12]), 1);
    EXPECT_EQ(Get16(&b[14]), 8);
    EXPECT_EQ(Get32(&b[16]), 0u);
    EXPECT_EQ(Get32(&b[20]), 12u * 4);
    EXPECT_EQ(Get32(&b[24]), 11811u);
    EXPECT_EQ(Get32(&b[28]), 23622u);
    EXPECT_EQ(Get32(&b[32]), 256u);
    EXPECT_EQ(l.nTotalBytes, 12u * 4 + 1064);
    for (int i = 0; i < 256; ++i) {
        EXPECT_EQ(b[40 + 4 * i], i);
        EXPECT_EQ(b[40 + 4 * i + 2], i);
        EXPECT_EQ(b[40 + 4 * i + 3], 0);
    }
}

TEST(DibLayout, PelsPerMeterTruncatesInSinglePrecision)
{
    EXPECT_EQ(PelsPerMeter(300), 11811);
    EXPECT_EQ(PelsPerMeter(75), 2952);
    EXPECT_EQ(PelsPerMeter(1200), 47244);
    EXPECT_EQ(PelsPerMeter(0), 0);
    EXPECT_EQ(PelsPerMeter(-5), 0);
}

TEST(DibLayout, ColourRowsInBgrWithZeroPads)
{
    SDibLayout l;
    ASSERT_TRUE(ComputeDibLayout(3, 2, 2, l));
    EXPECT_EQ(l.nRowBytes, 9u);
    EXPECT_EQ(l.nStride, 12u);
    EXPECT_EQ(l.nTotalBytes, 12u * 2 + 40);
    const uint8_t spool[9] = {1, 2, 3, 4, 5, 6, 7, 8, 9};
    std::vector<uint8_t> row(12, 0xAA);
    WriteDibRow(l, spool, row.data());
    const std::vector<uint8_t> expect{3, 2, 1, 6, 5, 4, 9, 8, 7, 0, 0, 0};
    EXPECT_EQ(row, expect);
}

TEST(DibLayout, WideRowsOfEveryDepthAgreeWithPixelByPixel)
{
    // Widths around the vector steps (ten pixels) and their tails.
    for (int nType : {0, 1, 2})
        for (uint32_t nWidth : {1u, 9u, 10u, 11u, 21u, 37u, 4961u}) {
            SDibLayout l;
            ASSERT_TRUE(ComputeDibLayout(nWidth, 1, nType, l));
            std::vector<uint8_t> spool(l.nRowBytes), row(l.nStride + 1, 0xAA), expect(l.nStride + 1, 0);
            for (size_t i = 0; i < spool.size(); ++i)
                spool[i] = static_cast<uint8_t>(i * 7 + 3);
            for (size_t i = 0; i < spool.size(); ++i)
                expect[i] = nType == 2 ? spool[i / 3 * 3 + 2 - i % 3] : spool[i];
            expect[l.nStride] = 0xAA;  // nothing beyond the stride
            WriteDibRow(l, spool.data(), row.data());
            EXPECT_EQ(row, expect) << "type " << nType << ", width " << nWidth;
        }
}

TEST(DibLayout, BmpFileHeaderPerBitCount)
{
    struct {
        int nType;
        uint32_t nOffBits;
    } cases[] = {{0, 62}, {1, 1078}, {2, 54}};
    for (auto c : cases) {
        SDibLayout l;
        ASSERT_TRUE(ComputeDibLayout(5, 3, c.nType, l));
        auto h = MakeBmpFileHeader(l);
        EXPECT_EQ(h[0], 'B');
        EXPECT_EQ(h[1], 'M');
        EXPECT_EQ(Get32(&h[2]), l.nTotalBytes + 14);
        EXPECT_EQ(Get32(&h[6]), 0u);
        EXPECT_EQ(Get32(&h[10]), c.nOffBits);
    }
}

TEST(DibLayout, PagesBeyondThirtyTwoBitSizesAreRefused)
{
    SDibLayout l;
    EXPECT_FALSE(ComputeDibLayout(100000, 100000, 2, l));
    EXPECT_FALSE(ComputeDibLayout(0x80000000u, 1, 0, l));
    EXPECT_TRUE(ComputeDibLayout(0, 0, 2, l));
    EXPECT_EQ(l.nTotalBytes, 40u);
}
