// Sizes, display layout and read totals of the raster image, without a window system.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "transfer/ImagePixels.h"

using namespace imagepix;

TEST(ImagePixels, NeededBytesByDepth)
{
    // One bit: the larger of two headroom rules; 10 x 10 gives max(2 x 13, 2 x 10).
    EXPECT_EQ(26u, NeededBytes(1, 10, 10));
    EXPECT_EQ(4u, NeededBytes(1, 1, 1));
    // A wide single row is sized by the second rule: ((1 + 10) >> 3) x 100 > 13 x 4.
    EXPECT_EQ(100u, NeededBytes(1, 100, 1));
    EXPECT_EQ(8u, NeededBytes(4, 5, 3));  // 15 pixels rounded up to 16 nibbles
    EXPECT_EQ(15u, NeededBytes(8, 5, 3));
    EXPECT_EQ(30u, NeededBytes(16, 5, 3));
    EXPECT_EQ(45u, NeededBytes(24, 5, 3));
    EXPECT_EQ(90u, NeededBytes(48, 5, 3));
    EXPECT_EQ(0u, NeededBytes(2, 5, 3));
    EXPECT_EQ(0u, NeededBytes(32, 5, 3));
}

TEST(ImagePixels, SizesThatDoNotFitAreRefusedNotWrapped)
{
    // 40000 x 40000 at 24 bits is 4.8 GB: a 32-bit product would wrap to a small block.
    EXPECT_EQ(0u, NeededBytes(24, 40000, 40000));
    EXPECT_EQ(0u, NeededBytes(1, 0xFFFFFFFFu, 0xFFFFFFFFu));
    EXPECT_EQ(0u, ReadTotalBytes(3, 8, 40000, 40000));
    EXPECT_EQ(3u * 20000 * 20000, ReadTotalBytes(3, 8, 20000, 20000));
}

TEST(ImagePixels, ReadTotalUsesRowBytesAtOneBit)
{
    EXPECT_EQ(2u * 7, ReadTotalBytes(1, 1, 10, 7));
    EXPECT_EQ(70u, ReadTotalBytes(1, 8, 10, 7));
    EXPECT_EQ(210u, ReadTotalBytes(3, 8, 10, 7));
    EXPECT_EQ(420u, ReadTotalBytes(3, 16, 10, 7));
    EXPECT_EQ(2u, SpoolRowBytes(1, 10));
    EXPECT_EQ(30u, SpoolRowBytes(24, 10));
}

TEST(ImagePixels, PaletteAndDisplayStride)
{
    EXPECT_EQ(6u, PaletteBytes(1));
    EXPECT_EQ(48u, PaletteBytes(4));
    EXPECT_EQ(768u, PaletteBytes(8));
    EXPECT_EQ(0u, PaletteBytes(24));
    EXPECT_EQ(4u, DisplayStride(1, 1));
    EXPECT_EQ(8u, DisplayStride(1, 33));
    EXPECT_EQ(4u, DisplayStride(4, 7));
    EXPECT_EQ(8u, DisplayStride(8, 5));
    EXPECT_EQ(8u, DisplayStride(16, 5));
    EXPECT_EQ(16u, DisplayStride(24, 5));
    EXPECT_EQ(16u, DisplayStride(48, 5));
    EXPECT_EQ(0u, DisplayStride(2, 5));
}

TEST(ImagePixels, DisplayHeaderByDepth)
{
    std::vector<uint8_t> buf(kDisplayHeaderBytes, 0xAB);
    const uint8_t palette[6] = {1, 2, 3, 250, 251, 252};
    BuildDisplayHeader(buf.data(), 1, 9, 4, 300, 200, palette);
    SDibHeader hdr;
    std::memcpy(&hdr, buf.data(), sizeof hdr);
    EXPECT_EQ(40u, hdr.biSize);
    EXPECT_EQ(9, hdr.biWidth);
    EXPECT_EQ(4, hdr.biHeight);
    EXPECT_EQ(1, hdr.biPlanes);
    EXPECT_EQ(1, hdr.biBitCount);
    EXPECT_EQ(2u, hdr.biClrUsed);
    EXPECT_EQ(0u, hdr.biSizeImage);
    EXPECT_EQ(300, hdr.biXPelsPerMeter);  // stored as dots per inch
    EXPECT_EQ(200, hdr.biYPelsPerMeter);
    const uint8_t* q = buf.data() + 40;
    EXPECT_EQ((std::vector<uint8_t>{3, 2, 1, 0, 252, 251, 250, 0}), std::vector<uint8_t>(q, q + 8));
    EXPECT_EQ(0, q[8]);  // the rest is cleared, not left as it was

    BuildDisplayHeader(buf.data(), 16, 5, 3, 0, 0, nullptr);
    std::memcpy(&hdr, buf.data(), sizeof hdr);
    EXPECT_EQ(8, hdr.biBitCount);
    EXPECT_EQ(256u, hdr.biClrUsed);
    EXPECT_EQ(0u, hdr.biSizeImage);
    EXPECT_EQ(200, buf[40 + 4 * 200]);  // grey ramp
    EXPECT_EQ(200, buf[40 + 4 * 200 + 2]);

    BuildDisplayHeader(buf.data(), 48, 5, 3, 0, 0, nullptr);
    std::memcpy(&hdr, buf.data(), sizeof hdr);
    EXPECT_EQ(24, hdr.biBitCount);
    EXPECT_EQ(0u, hdr.biClrUsed);
    EXPECT_EQ(3u * 16, hdr.biSizeImage);
    BuildDisplayHeader(buf.data(), 8, 5, 3, 0, 0, nullptr);
    std::memcpy(&hdr, buf.data(), sizeof hdr);
    EXPECT_EQ(3u * 8, hdr.biSizeImage);
}

TEST(ImagePixels, OneBitRectangleIsShiftedToItsFirstPixel)
{
    // 12 x 2 bit stream: row 0 = 1010 1010 1010, row 1 = 1111 0000 1100 (no row padding).
    const std::vector<uint8_t> data = {0xAA, 0xAF, 0x0C};
    SPixelSource src{data.data(), data.size(), 1, 12, 2};
    std::vector<uint8_t> out(8, 0);
    CopyRectToDisplay(src, SRect{3, 0, 12, 2}, out.data(), 4);
    // Row 0 from x = 3: 0101 0101 0 -> 0x55, then one bit 0 (masked).
    EXPECT_EQ(0x55, out[0]);
    EXPECT_EQ(0x00, out[1]);
    // Row 1 from x = 3: 1000 0110 0 -> 0x86, 0x00.
    EXPECT_EQ(0x86, out[4]);
    EXPECT_EQ(0x00, out[5]);
}

TEST(ImagePixels, FourBitRectangleIsNibbleAligned)
{
    // 3 x 2: nibbles 1 2 3 / 4 5 6 in one stream.
    const std::vector<uint8_t> data = {0x12, 0x34, 0x56};
    SPixelSource src{data.data(), data.size(), 4, 3, 2};
    std::vector<uint8_t> out(8, 0);
    CopyRectToDisplay(src, SRect{1, 0, 3, 2}, out.data(), 4);
    EXPECT_EQ(0x23, out[0]);
    EXPECT_EQ(0x56, out[4]);
}

TEST(ImagePixels, SixteenAndFortyEightBitsShowTheirHighBytes)
{
    const std::vector<uint8_t> grey = {0x11, 0xA0, 0x22, 0xB0};
    std::vector<uint8_t> out(4, 0);
    CopyRectToDisplay(SPixelSource{grey.data(), grey.size(), 16, 2, 1}, SRect{0, 0, 2, 1}, out.data(), 4);
    EXPECT_EQ(0xA0, out[0]);
    EXPECT_EQ(0xB0, out[1]);

    // One 48-bit pixel R = 0xF0xx, G = 0x80xx, B = 0x10xx, shown as 24-bit BGR.
    const std::vector<uint8_t> colour = {0x01, 0xF0, 0x02, 0x80, 0x03, 0x10};
    std::vector<uint8_t> disp(4, 0);
    CopyRectToDisplay(SPixelSource{colour.data(), colour.size(), 48, 1, 1}, SRect{0, 0, 1, 1}, disp.data(), 4);
    FinishDisplayRows(disp.data(), 4, 1, 1, 24);
    EXPECT_EQ((std::vector<uint8_t>{0x10, 0x80, 0xF0, 0}), disp);
}

TEST(ImagePixels, RowsAreFlippedBottomUp)
{
    std::vector<uint8_t> rows = {1, 1, 1, 1, 2, 2, 2, 2, 3, 3, 3, 3};
    FinishDisplayRows(rows.data(), 4, 3, 4, 8);
    EXPECT_EQ((std::vector<uint8_t>{3, 3, 3, 3, 2, 2, 2, 2, 1, 1, 1, 1}), rows);
    std::vector<uint8_t> one = {9, 8, 7, 0};
    FinishDisplayRows(one.data(), 4, 1, 1, 8);
    EXPECT_EQ((std::vector<uint8_t>{9, 8, 7, 0}), one);
}

TEST(ImagePixels, RectanglesAreClippedAndShortDataIsNotOverrun)
{
    SRect rc = ClipToImage(SRect{-5, -2, 50, 7}, 10, 4);
    EXPECT_EQ(0, rc.left);
    EXPECT_EQ(0, rc.top);
    EXPECT_EQ(10, rc.right);
    EXPECT_EQ(4, rc.bottom);
    SRect empty = ClipToImage(SRect{8, 3, 2, 1}, 10, 4);
    EXPECT_LE(empty.right - empty.left, 0);

    // Data holding only 5 of the 8 bytes a 4 x 2 image says it has: the rest reads as 0.
    std::vector<uint8_t> data = {1, 2, 3, 4, 5};
    std::vector<uint8_t> out(8, 0xEE);
    CopyRectToDisplay(SPixelSource{data.data(), data.size(), 8, 4, 2}, SRect{0, 0, 4, 2}, out.data(), 4);
    EXPECT_EQ((std::vector<uint8_t>{1, 2, 3, 4, 5, 0xEE, 0xEE, 0xEE}), out);
}

TEST(ImagePixels, ScaleRowPicksNearestPixels)
{
    const std::vector<uint8_t> in = {10, 20, 30, 40};
    std::vector<uint8_t> out(2);
    EXPECT_EQ(2u, ScaleRow(in.data(), 4, out.data(), 2, 8));
    EXPECT_EQ((std::vector<uint8_t>{10, 30}), out);
    EXPECT_EQ(0u, ScaleRow(in.data(), 4, out.data(), 2, 1));
}
