// Dated and numbered file names, DIB sizes and the metric country test.
#include <gtest/gtest.h>

#include "profile/FileNaming.h"

TEST(FileNaming, DatedNamesContinueTodaysNumbers)
{
    const std::wstring sPrefix = DatedPrefix(2026, 12, 6);
    EXPECT_EQ(L"2026-12-06_", sPrefix);
    EXPECT_EQ(L"2026-12-06_008", NextDatedName({L"2026-12-06_001.bmp", L"2026-12-06_007.pdf", L"2026-12-05_042.bmp"}, sPrefix));
    EXPECT_EQ(L"2026-12-06_001", NextDatedName({}, sPrefix));
    EXPECT_EQ(L"2026-12-06_001", NextDatedName({L"2026-12-05_009.jpg"}, sPrefix));
    // A name with no digits after the prefix counts as 0; past 999 the number just grows.
    EXPECT_EQ(L"2026-12-06_001", NextDatedName({L"2026-12-06_x.bmp"}, sPrefix));
    EXPECT_EQ(L"2026-12-06_1000", NextDatedName({L"2026-12-06_999.bmp"}, sPrefix));
    // An absurd run of digits is capped, never wrapped into a small or negative number.
    EXPECT_EQ(L"2026-12-06_1000000000", NextDatedName({L"2026-12-06_99999999999999999999999.bmp"}, sPrefix));
}

TEST(FileNaming, NumberedNamesFollowTheBase)
{
    EXPECT_EQ(L"scan 4", NextNumberedName({L"scan.jpg", L"scan 3.jpg", L"other 9.jpg"}, L"scan"));
    EXPECT_EQ(L"scan", NextNumberedName({L"other.jpg"}, L"scan"));
    EXPECT_EQ(L"scan", NextNumberedName({}, L"scan"));
    EXPECT_EQ(L"scan 1", NextNumberedName({L"scan.jpg"}, L"scan"));
    EXPECT_EQ(L"scan 1", NextNumberedName({L"SCAN.JPG"}, L"scan"));  // file names ignore case
}

TEST(FileNaming, DibSizesIncludeHeaderAndColours)
{
    EXPECT_EQ(52u, DibCheckBytes(10, 1, 0));
    EXPECT_EQ(48u + 8 * 3, DibCheckBytes(33, 3, 0));  // 5 bytes of pixels padded to 8
    EXPECT_EQ(1064u + 12 * 2, DibCheckBytes(10, 2, 1));
    EXPECT_EQ(40u + 32 * 2, DibCheckBytes(10, 2, 2));
    EXPECT_EQ(40u + 32 * 2, DibCheckBytes(10, 2, 7));
    EXPECT_EQ(32u, DibRowBytes24(10));
    EXPECT_EQ(0u, DibRowBytes24(0));
    // An A3 page at 1200 dpi in colour passes 4 GB: the size is not cut to 32 bits.
    EXPECT_EQ(40u + 42120ull * 19843, DibCheckBytes(14040, 19843, 2));
}

TEST(FileNaming, AmericasTakeUsPaper)
{
    EXPECT_FALSE(IsMetricCountryCode(52));
    EXPECT_TRUE(IsMetricCountryCode(44));
    for (int n : {1, 2, 50, 59, 500, 599})
        EXPECT_FALSE(IsMetricCountryCode(n)) << n;
    for (int n : {0, 3, 49, 60, 86, 499, 600, 7})
        EXPECT_TRUE(IsMetricCountryCode(n)) << n;
}
