#include "transfer/MemXferCursor.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

// A spool page whose every byte differs from its neighbours, and a map of which packed
// bytes the strips delivered.
struct SFakePage {
    SMemXferPage page;
    uint32_t nRowBytes = 0;
    std::vector<uint8_t> data;
    std::vector<int> delivered;

    SFakePage(uint32_t w, uint32_t h, int type) : page{w, h, type}
    {
        nRowBytes = CMemXferCursor::RowBytes(page);
        data.resize(size_t(nRowBytes) * h);
        for (size_t i = 0; i < data.size(); ++i)
            data[i] = static_cast<uint8_t>(i * 7 + i / 251);
        delivered.assign(data.size(), 0);
    }
    MemRowReader Reader()
    {
        return [this](uint32_t nRow, uint8_t* p, uint32_t n) {
            if (nRow >= page.nHeight || n != nRowBytes)
                return false;
            std::copy_n(data.begin() + size_t(nRow) * nRowBytes, n, p);
            return true;
        };
    }
    int BytesPerPixelUnit() const { return page.nPixelType == 2 ? 3 : 1; }
    // Records a strip's bytes at the place its offsets name and checks them.
    void Take(const SMemStrip& s, const uint8_t* pBuffer)
    {
        ASSERT_GE(uint64_t(s.nBytesPerRow) * 8, uint64_t(s.nColumns) * (page.nPixelType == 0 ? 1 : 8 * BytesPerPixelUnit()));
        uint32_t nByteX = page.nPixelType == 0 ? s.nXOffset / 8 : s.nXOffset * BytesPerPixelUnit();
        for (uint32_t r = 0; r < s.nRows; ++r) {
            uint32_t nCopy = std::min(s.nBytesPerRow, nRowBytes - nByteX);
            for (uint32_t x = 0; x < nCopy; ++x) {
                size_t k = size_t(s.nYOffset + r) * nRowBytes + nByteX + x;
                ASSERT_LT(k, data.size());
                EXPECT_EQ(pBuffer[size_t(r) * s.nBytesPerRow + x], data[k]) << "row " << s.nYOffset + r;
                ++delivered[k];
            }
        }
    }
};

// Runs a page to its end with buffers of nLength; returns the number of calls.
int RunPage(SFakePage& f, uint32_t nLength)
{
    CMemXferCursor cursor;
    uint32_t nRows = 0;
    std::vector<uint8_t> buffer(nLength);
    for (int nCalls = 1; nCalls < 1000000; ++nCalls) {
        SMemStrip s = cursor.Next(f.page, buffer.data(), nLength, nRows, f.Reader());
        EXPECT_TRUE(s.eResult == SMemStrip::kStrip || s.eResult == SMemStrip::kLastStrip);
        if (s.eResult != SMemStrip::kStrip && s.eResult != SMemStrip::kLastStrip)
            return -1;
        EXPECT_LE(s.nBytesWritten, nLength);
        EXPECT_LE(uint64_t(s.nBytesPerRow) * s.nRows, nLength);
        f.Take(s, buffer.data());
        if (s.eResult == SMemStrip::kLastStrip)
            return nCalls;
    }
    return -1;
}

}  // namespace

TEST(MemXferCursor, EveryPixelDeliveredExactlyOnceForAnyBuffer)
{
    const uint32_t widths[] = {1, 3, 5, 17, 64};
    const uint32_t lengths[] = {1, 2, 3, 7, 16, 50, 1000, 100000};
    for (int type = 0; type <= 2; ++type)
        for (uint32_t w : widths)
            for (uint32_t len : lengths) {
                if (type == 2 && len < 3)
                    continue;
                SFakePage f(w, 9, type);
                SCOPED_TRACE(testing::Message() << "type " << type << " width " << w << " length " << len);
                ASSERT_GT(RunPage(f, len), 0);
                for (int n : f.delivered)
                    ASSERT_EQ(n, 1);
            }
}

TEST(MemXferCursor, WholeRowsArePaddedToFourBytesWithZeros)
{
    SFakePage f(5, 4, 1);
    CMemXferCursor cursor;
    uint32_t nRows = 0;
    std::vector<uint8_t> buffer(100, 0xEE);
    SMemStrip s = cursor.Next(f.page, buffer.data(), 100, nRows, f.Reader());
    EXPECT_EQ(s.eResult, SMemStrip::kLastStrip);
    EXPECT_EQ(s.nBytesPerRow, 8u);
    EXPECT_EQ(s.nRows, 4u);
    EXPECT_EQ(s.nBytesWritten, 32u);
    EXPECT_EQ(s.nColumns, 5u);
    EXPECT_EQ(s.nYOffset, 0u);
    for (int r = 0; r < 4; ++r)
        for (int x = 5; x < 8; ++x)
            EXPECT_EQ(buffer[r * 8 + x], 0);
    EXPECT_EQ(nRows, 4u);
}

TEST(MemXferCursor, ColourRowThatFitsOnlyUnpaddedStaysWhole)
{
    SFakePage f(5, 3, 2);  // 15 bytes, 16 rounded
    CMemXferCursor cursor;
    uint32_t nRows = 0;
    std::vector<uint8_t> buffer(15);
    SMemStrip s = cursor.Next(f.page, buffer.data(), 15, nRows, f.Reader());
    EXPECT_EQ(s.eResult, SMemStrip::kStrip);
    EXPECT_EQ(s.nBytesPerRow, 15u);
    EXPECT_EQ(s.nRows, 1u);
    EXPECT_EQ(s.nColumns, 5u);
    EXPECT_FALSE(cursor.RowUnderWay());
}

TEST(MemXferCursor, ColourPiecesAreWholePixelsWithPixelOffsets)
{
    SFakePage f(5, 2, 2);
    CMemXferCursor cursor;
    uint32_t nRows = 0;
    std::vector<uint8_t> buffer(7);
    SMemStrip s1 = cursor.Next(f.page, buffer.data(), 7, nRows, f.Reader());
    EXPECT_EQ(s1.nBytesWritten, 6u);
    EXPECT_EQ(s1.nColumns, 2u);
    EXPECT_EQ(s1.nXOffset, 0u);
    EXPECT_EQ(s1.nYOffset, 0u);
    SMemStrip s2 = cursor.Next(f.page, buffer.data(), 7, nRows, f.Reader());
    EXPECT_EQ(s2.nXOffset, 2u);
    SMemStrip s3 = cursor.Next(f.page, buffer.data(), 7, nRows, f.Reader());
    EXPECT_EQ(s3.nBytesWritten, 3u);
    EXPECT_EQ(s3.nXOffset, 4u);
    EXPECT_EQ(s3.nBytesPerRow, 3u);
    EXPECT_FALSE(cursor.RowUnderWay());
    SMemStrip s4 = cursor.Next(f.page, buffer.data(), 7, nRows, f.Reader());
    EXPECT_EQ(s4.nYOffset, 1u);
    EXPECT_EQ(s4.nXOffset, 0u);
}

TEST(MemXferCursor, SingleRowPageEndsOnTheFirstCall)
{
    SFakePage f(10, 1, 2);
    CMemXferCursor cursor;
    uint32_t nRows = 0;
    std::vector<uint8_t> buffer(64);
    EXPECT_EQ(cursor.Next(f.page, buffer.data(), 64, nRows, f.Reader()).eResult, SMemStrip::kLastStrip);
    // Nothing is left: a further call is refused rather than reading past the page.
    EXPECT_EQ(cursor.Next(f.page, buffer.data(), 64, nRows, f.Reader()).eResult, SMemStrip::kRefused);
}

TEST(MemXferCursor, UnreadableRowKeepsTheBufferAndThePageGoesOn)
{
    SFakePage f(4, 3, 1);
    CMemXferCursor cursor;
    uint32_t nRows = 0;
    std::vector<uint8_t> buffer(12, 0x55);
    auto reader = [&](uint32_t nRow, uint8_t* p, uint32_t n) { return nRow == 1 ? false : f.Reader()(nRow, p, n); };
    SMemStrip s = cursor.Next(f.page, buffer.data(), 12, nRows, reader);
    EXPECT_EQ(s.eResult, SMemStrip::kLastStrip);
    EXPECT_EQ(nRows, 3u);
    EXPECT_EQ(buffer[4], 0x55);
    EXPECT_EQ(buffer[8], f.data[8]);
}

TEST(MemXferCursor, BadBuffersAreRefused)
{
    SFakePage f(4, 3, 2);
    CMemXferCursor cursor;
    uint32_t nRows = 0;
    std::vector<uint8_t> buffer(16);
    EXPECT_EQ(cursor.Next(f.page, nullptr, 16, nRows, f.Reader()).eResult, SMemStrip::kRefused);
    EXPECT_EQ(cursor.Next(f.page, buffer.data(), 0, nRows, f.Reader()).eResult, SMemStrip::kRefused);
    // Less than one colour pixel can never make progress.
    EXPECT_EQ(cursor.Next(f.page, buffer.data(), 2, nRows, f.Reader()).eResult, SMemStrip::kRefused);
    SFakePage empty(0, 3, 2);
    EXPECT_EQ(cursor.Next(empty.page, buffer.data(), 16, nRows, empty.Reader()).eResult, SMemStrip::kRefused);
    EXPECT_EQ(nRows, 0u);
}
