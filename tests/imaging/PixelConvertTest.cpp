#include "imaging/PixelConvert.h"
#include "imaging/TraceCapture.h"

#include <gtest/gtest.h>

namespace {

TEST(PixelConvert, GreyIsTheSmallestChannel)
{
    const uint8_t rgb[] = {255, 0, 0, 200, 180, 190, 7, 7, 7, 255, 255, 254};
    uint8_t grey[4] = {};
    CTraceCapture trace;
    RgbToGray(nullptr, rgb, grey, 2, 2);
    EXPECT_EQ(grey[0], 0);
    EXPECT_EQ(grey[1], 180);
    EXPECT_EQ(grey[2], 7);
    EXPECT_EQ(grey[3], 254);
    ASSERT_EQ(trace.All().size(), 2u);
    EXPECT_EQ(trace.All()[0], "RgbToGray()<--------");
    EXPECT_EQ(trace.All()[1], "RgbToGray()-------->");
}

TEST(PixelConvert, BitsBecomeZeroAndOne)
{
    const uint8_t bits[] = {0xA0, 0xFF, 0x01};
    uint8_t out[3] = {9, 9, 9};
    BwToGray(nullptr, bits, out, 3, 1);
    EXPECT_EQ(out[0], 1);
    EXPECT_EQ(out[1], 0);
    EXPECT_EQ(out[2], 1);
    // width 9: each row starts on a new byte
    const uint8_t rows[] = {0x80, 0x80, 0x00, 0x80};
    uint8_t wide[18] = {};
    BwToGray(nullptr, rows, wide, 9, 2);
    EXPECT_EQ(wide[0], 1);
    EXPECT_EQ(wide[8], 1);
    EXPECT_EQ(wide[9], 0);
    EXPECT_EQ(wide[17], 1);
}

TEST(PixelConvert, PackingWidthTenUsesTwoBytesPerRow)
{
    uint8_t grey[20];
    for (int i = 0; i < 20; ++i) grey[i] = 1;
    uint8_t out[5] = {0xEE, 0xEE, 0xEE, 0xEE, 0xEE};
    CTraceCapture trace;
    GrayToBW(nullptr, grey, out, 10, 2);
    EXPECT_EQ(out[0], 0xFF);
    EXPECT_EQ(out[1], 0xC0);  // six unused low bits are 0
    EXPECT_EQ(out[2], 0xFF);  // the next row starts afresh
    EXPECT_EQ(out[3], 0xC0);
    EXPECT_EQ(out[4], 0xEE);  // nothing written past 2 x 2 bytes
    EXPECT_TRUE(trace.Has("GrayToBW()<--------"));
    EXPECT_TRUE(trace.Has("GrayToBW()-------->"));
}

TEST(PixelConvert, PackingWidthEightUsesOneBytePerRow)
{
    const uint8_t grey[16] = {1, 0, 1, 0, 0, 0, 0, 1, 0, 1, 1, 1, 1, 1, 1, 0};
    uint8_t out[3] = {0, 0, 0xEE};
    GrayToBW(nullptr, grey, out, 8, 2);
    EXPECT_EQ(out[0], 0xA1);
    EXPECT_EQ(out[1], 0x7E);
    EXPECT_EQ(out[2], 0xEE);
}

TEST(PixelConvert, RoundTripThroughTheWorkingForm)
{
    const uint8_t bits[] = {0x5A, 0xC0, 0x3C, 0x40, 0xFF, 0x80};
    uint8_t grey[30] = {};
    uint8_t back[6] = {};
    BwToGray(nullptr, bits, grey, 10, 3);
    GrayToBW(nullptr, grey, back, 10, 3);
    for (int i = 0; i < 6; ++i) EXPECT_EQ(back[i], bits[i]) << i;
}

TEST(PixelConvert, RefusesNullAndEmpty)
{
    uint8_t out[4] = {5, 5, 5, 5};
    RgbToGray(nullptr, nullptr, out, 1, 1);
    BwToGray(nullptr, out, nullptr, 1, 1);
    GrayToBW(nullptr, out, out, 0, 1);
    GrayToBW(nullptr, out, out, 4, -1);
    EXPECT_EQ(out[0], 5);
}

}  // namespace
