// Whitening outside the scan area, strip by strip.
#include "imaging/BlankOutsideArea.h"

#include <gtest/gtest.h>

#include <climits>
#include <vector>

namespace {

constexpr uint8_t kInk = 0x11;
constexpr size_t kGuard = 16;

// A strip of 24-bit rows followed by guard bytes that must never change.
struct CStrip {
    _ImageDesc m_desc;
    std::vector<uint8_t> m_data;
    CStrip(int nWidth, int nRows, int nBits = 24)
        : m_desc{nRows, (nWidth * nBits + 7) / 8, nWidth, nBits, 0, 0},
          m_data(static_cast<size_t>(nRows) * m_desc.m_nBytesPerRow + kGuard, kInk)
    {
    }
    uint8_t At(int nRow, int nByte) const { return m_data[static_cast<size_t>(nRow) * m_desc.m_nBytesPerRow + nByte]; }
    bool RowIs(int nRow, uint8_t v) const
    {
        for (int i = 0; i < m_desc.m_nBytesPerRow; ++i)
            if (At(nRow, i) != v)
                return false;
        return true;
    }
    bool GuardIntact() const
    {
        for (size_t i = m_data.size() - kGuard; i < m_data.size(); ++i)
            if (m_data[i] != kInk)
                return false;
        return true;
    }
    int Blank(const _BlankMargins& m, int nFirstRow, int nPageHeight)
    {
        return BlankOutsideArea(m_desc, m_data.data(), m, nFirstRow, nPageHeight);
    }
};

_BlankMargins Margins(int l, int r, int t, int b) { return _BlankMargins{l, r, t, b}; }

}  // namespace

TEST(BlankOutsideArea, StripWhollyAboveTheTopMarginComesBackWhite)
{
    CStrip s(5, 4);
    EXPECT_EQ(s.Blank(Margins(1, 1, 30, 0), 10, 100), 0);
    for (int y = 0; y < 4; ++y)
        EXPECT_TRUE(s.RowIs(y, 0xFF)) << y;
    EXPECT_TRUE(s.GuardIntact());
}

TEST(BlankOutsideArea, TopRowsWhitenedRestGetsSideMargins)
{
    CStrip s(10, 6);
    EXPECT_EQ(s.Blank(Margins(2, 3, 8, 0), 5, 100), 0);
    for (int y = 0; y < 3; ++y)
        EXPECT_TRUE(s.RowIs(y, 0xFF)) << y;
    for (int y = 3; y < 6; ++y) {
        for (int i = 0; i < 6; ++i)
            EXPECT_EQ(s.At(y, i), 0xFF) << y << "," << i;
        for (int i = 6; i < 21; ++i)
            EXPECT_EQ(s.At(y, i), kInk) << y << "," << i;
        for (int i = 21; i < 30; ++i)
            EXPECT_EQ(s.At(y, i), 0xFF) << y << "," << i;
    }
    EXPECT_TRUE(s.GuardIntact());
}

TEST(BlankOutsideArea, RowsPastTheBottomMarginWhitened)
{
    // Page rows 12..21 of a 20-row page with bottom margin 4: rows from 16 on are outside.
    CStrip s(4, 10);
    EXPECT_EQ(s.Blank(Margins(0, 0, 0, 4), 12, 20), 0);
    for (int y = 0; y < 4; ++y)
        EXPECT_TRUE(s.RowIs(y, kInk)) << y;
    for (int y = 4; y < 10; ++y)
        EXPECT_TRUE(s.RowIs(y, 0xFF)) << y;
    EXPECT_TRUE(s.GuardIntact());
}

TEST(BlankOutsideArea, StripInsideTheAreaWithoutSideMarginsIsUntouched)
{
    CStrip s(7, 3);
    EXPECT_EQ(s.Blank(Margins(0, 0, 2, 2), 5, 100), 0);
    for (int y = 0; y < 3; ++y)
        EXPECT_TRUE(s.RowIs(y, kInk));
    // The last strip row just above the bottom margin stays too.
    EXPECT_EQ(s.Blank(Margins(0, 0, 0, 2), 95, 101), 0);
    EXPECT_TRUE(s.RowIs(2, kInk));
}

TEST(BlankOutsideArea, MarginsWiderThanTheRowStayInsideIt)
{
    CStrip s(4, 2);
    EXPECT_EQ(s.Blank(Margins(50, 0, 0, 0), 0, 10), 0);
    EXPECT_TRUE(s.RowIs(0, 0xFF));
    EXPECT_TRUE(s.GuardIntact());
    CStrip t(4, 2);
    EXPECT_EQ(t.Blank(Margins(0, 9, 0, 0), 0, 10), 0);
    EXPECT_TRUE(t.RowIs(1, 0xFF));
    EXPECT_TRUE(t.GuardIntact());
    CStrip u(4, 2);
    EXPECT_EQ(u.Blank(Margins(INT_MAX, INT_MAX, INT_MIN, INT_MIN), INT_MIN, INT_MAX), 0);
    EXPECT_TRUE(u.GuardIntact());
}

TEST(BlankOutsideArea, OneBitRowsUseWholeBytesOfTheMargins)
{
    // 20 pixels = 3 bytes; left 9 pixels = 1 byte, right 9 pixels start at byte 11 / 8 = 1.
    CStrip s(20, 1, 1);
    EXPECT_EQ(s.Blank(Margins(9, 9, 0, 0), 0, 10), 0);
    EXPECT_EQ(s.At(0, 0), 0xFF);
    EXPECT_EQ(s.At(0, 1), 0xFF);
    EXPECT_EQ(s.At(0, 2), kInk);
}

TEST(BlankOutsideArea, NullDataEmptyStripAndBadDescriptors)
{
    CStrip s(4, 2);
    EXPECT_EQ(BlankOutsideArea(s.m_desc, nullptr, Margins(1, 1, 1, 1), 0, 10), 1);
    _ImageDesc empty{0, 12, 4, 24, 0, 0};
    EXPECT_EQ(BlankOutsideArea(empty, s.m_data.data(), Margins(1, 1, 5, 1), 0, 10), 0);
    EXPECT_TRUE(s.RowIs(0, kInk));
    _ImageDesc shortRows{2, 11, 4, 24, 0, 0};
    EXPECT_EQ(BlankOutsideArea(shortRows, s.m_data.data(), Margins(1, 1, 5, 1), 0, 10), 1);
    EXPECT_TRUE(s.RowIs(0, kInk));
}
