// The size read-out's texts: data sizes at the unit boundaries, the units of the extents, the
// French unit letters and the placing of the separator line.
#include <gtest/gtest.h>

#include "ui/SizeInfoText.h"

TEST(SizeInfoText, DataSizesChangeUnitAboveEachPowerOf1024)
{
    EXPECT_EQ(DataSizeText(0, L'.', false), L": 0 B");
    EXPECT_EQ(DataSizeText(1024, L'.', false), L": 1024 B");
    EXPECT_EQ(DataSizeText(1025, L'.', false), L": 1.00 KB");
    EXPECT_EQ(DataSizeText(1u << 20, L'.', false), L": 1024.00 KB");
    EXPECT_EQ(DataSizeText((1u << 20) + 1, L'.', false), L": 1.00 MB");
    EXPECT_EQ(DataSizeText(1ull << 30, L'.', false), L": 1024.00 MB");
    EXPECT_EQ(DataSizeText((1ull << 30) + 1, L'.', false), L": 1.00 GB");
    EXPECT_EQ(DataSizeText(5ull << 40, L'.', false), L": 5120.00 GB");
    // French counts octets, with its comma.
    EXPECT_EQ(DataSizeText(1536, L',', true), L": 1,50 Ko");
    EXPECT_EQ(DataSizeText(3u << 20, L',', true), L": 3,00 Mo");
    EXPECT_EQ(DataSizeText(3ull << 30, L',', true), L": 3,00 Go");
    EXPECT_EQ(DataSizeText(1000, L',', true), L": 1000 o");
}

TEST(SizeInfoText, BytesFollowTheColourModeAndRoundedPixels)
{
    // 8.5 x 11 in at 300 dpi: 2550 x 3300 pixels
    EXPECT_EQ(ScanDataBytes(8.5, 11, 300, 1), 319u * 3300);
    EXPECT_EQ(ScanDataBytes(8.5, 11, 300, 8), 2550u * 3300);
    EXPECT_EQ(ScanDataBytes(8.5, 11, 300, 24), 2550u * 3 * 3300);
    EXPECT_EQ(ScanDataBytes(0.01, 0.01, 75, 1), 1u);  // 1 x 1 pixel still needs its byte
    EXPECT_EQ(ScanDataBytes(-1, 5, 300, 24), 0u);
    // 12 x 22 in at 1200 dpi in colour: past 2^30 bytes
    SSizeInfoTexts big = FormatSizeInfo(12, 22, kSizePixels, 1200, 24, L'.', false);
    EXPECT_EQ(big.sDataSize, L": 1.06 GB");
    EXPECT_EQ(big.sWidth, L": 14400 px");
}

TEST(SizeInfoText, ExtentsInEachUnitWithTheLanguagesSeparator)
{
    SSizeInfoTexts in = FormatSizeInfo(8.5, 11.69, kSizeInches, 300, 8, L'.', false);
    EXPECT_EQ(in.sWidth, L": 8.50 in");
    EXPECT_EQ(in.sHeight, L": 11.69 in");
    SSizeInfoTexts mm = FormatSizeInfo(8.5, 11.69, kSizeMillimetres, 300, 8, L',', true);
    EXPECT_EQ(mm.sWidth, L": 215,9 mm");
    EXPECT_EQ(mm.sHeight, L": 296,9 mm");
    EXPECT_EQ(mm.sDataSize, L": 8,53 Mo");
    SSizeInfoTexts px = FormatSizeInfo(8.5, 11.69, kSizePixels, 300, 8, L'.', false);
    EXPECT_EQ(px.sHeight, L": 3507 px");
}

TEST(SizeInfoText, SeparatorAndFontFollowLanguageAndResolution)
{
    EXPECT_EQ(SizeInfoSeparatorX(600, false, 96), 378);
    EXPECT_EQ(SizeInfoSeparatorX(600, true, 96), 368);
    EXPECT_EQ(SizeInfoSeparatorX(900, false, 144), 567);
    EXPECT_EQ(std::wstring(SizeInfoFontFace(0x0412)), L"MS Shell Dlg");
    EXPECT_EQ(std::wstring(SizeInfoFontFace(0x0409)), L"Arial");
    EXPECT_EQ(std::wstring(SizeInfoFontFace(0x0812)), L"Arial");
}
