// Quarter turns: the direction convention, exact round trips and refused arguments.
#include "imgeffect/ImgEffectApi.h"
#include "imgeffect/ImageFixtures.h"

#include <gtest/gtest.h>

#include <tuple>

namespace {

CTestImage Rotate(int nAngle, CTestImage& src)
{
    const bool bQuarter = nAngle != 180;
    CTestImage dst(bQuarter ? src.m_desc.m_nRows : src.m_desc.m_nWidth,
                   bQuarter ? src.m_desc.m_nWidth : src.m_desc.m_nRows, src.m_desc.m_nBitsPerPixel);
    std::fill(dst.m_data.begin(), dst.m_data.end(), 0xCD);  // nothing may survive from before
    EXPECT_EQ(RotationImg(nAngle, src.Desc(), src.Data(), dst.Desc(), dst.Data()), 0);
    return dst;
}

int PixelAt(CTestImage& img, int x, int y)
{
    const uint8_t* p = img.Row(y);
    switch (img.m_desc.m_nBitsPerPixel) {
    case 1:
        return (p[x / 8] >> (7 - x % 8)) & 1;
    case 8:
        return p[x];
    default:
        return p[3 * x] << 16 | p[3 * x + 1] << 8 | p[3 * x + 2];
    }
}

}  // namespace

TEST(Rotation, NinetyPutsTheRightEdgeAtTheTop)
{
    CTestImage src(3, 2, 8, {1, 2, 3, 4, 5, 6});
    EXPECT_EQ(Rotate(90, src).m_data, (std::vector<uint8_t>{3, 6, 2, 5, 1, 4}));
    EXPECT_EQ(Rotate(270, src).m_data, (std::vector<uint8_t>{4, 1, 5, 2, 6, 3}));
    EXPECT_EQ(Rotate(180, src).m_data, (std::vector<uint8_t>{6, 5, 4, 3, 2, 1}));
}

TEST(Rotation, ColourPixelsMoveAsWholes)
{
    CTestImage src(2, 1, 24, {1, 2, 3, 4, 5, 6});
    EXPECT_EQ(Rotate(90, src).m_data, (std::vector<uint8_t>{4, 5, 6, 1, 2, 3}));
    EXPECT_EQ(Rotate(270, src).m_data, (std::vector<uint8_t>{1, 2, 3, 4, 5, 6}));
    EXPECT_EQ(Rotate(180, src).m_data, (std::vector<uint8_t>{4, 5, 6, 1, 2, 3}));
}

class RotationSizes : public ::testing::TestWithParam<std::tuple<int, int, int>> {};

TEST_P(RotationSizes, EveryPixelLandsWhereTheFormulaSays)
{
    const auto [nBits, nWidth, nRows] = GetParam();
    CTestImage src(nWidth, nRows, nBits);
    src.FillRandom(nWidth * 1000 + nRows);
    CTestImage r90 = Rotate(90, src), r180 = Rotate(180, src), r270 = Rotate(270, src);
    for (int y = 0; y < nRows; ++y)
        for (int x = 0; x < nWidth; ++x) {
            const int v = PixelAt(src, x, y);
            ASSERT_EQ(PixelAt(r90, y, nWidth - 1 - x), v) << x << "," << y;
            ASSERT_EQ(PixelAt(r270, nRows - 1 - y, x), v) << x << "," << y;
            ASSERT_EQ(PixelAt(r180, nWidth - 1 - x, nRows - 1 - y), v) << x << "," << y;
        }
}

TEST_P(RotationSizes, RoundTripsGiveBackTheSourceBitForBit)
{
    const auto [nBits, nWidth, nRows] = GetParam();
    CTestImage src(nWidth, nRows, nBits);
    src.FillRandom(nWidth * 7 + nRows * 13 + nBits);
    CTestImage a = Rotate(90, src);
    CTestImage b = Rotate(90, a);
    CTestImage c = Rotate(90, b);
    EXPECT_EQ(Rotate(90, c).m_data, src.m_data);
    EXPECT_EQ(Rotate(180, b).m_data, src.m_data);
    CTestImage half = Rotate(180, src);
    EXPECT_EQ(Rotate(180, half).m_data, src.m_data);
    EXPECT_EQ(Rotate(270, a).m_data, src.m_data);
    CTestImage back = Rotate(270, src);
    EXPECT_EQ(Rotate(90, back).m_data, src.m_data);
}

// 600 x 300: target rows in more bands than the two threads take, rows longer than a staging span.
INSTANTIATE_TEST_SUITE_P(OddSizes, RotationSizes,
                         ::testing::Combine(::testing::Values(1, 8, 24),
                                            ::testing::Values(1, 7, 9, 65, 131, 600),
                                            ::testing::Values(1, 3, 17, 67, 300)));

TEST(Rotation, UnusedBitsOfOneBitRowsComeOutZero)
{
    // 3 x 2 source whose unused low bits are set; 90 turn gives 3 rows of 2 pixels.
    CTestImage src(3, 2, 1, {0xFF, 0xBF});
    CTestImage dst = Rotate(90, src);
    EXPECT_EQ(dst.m_data, (std::vector<uint8_t>{0xC0, 0x80, 0xC0}));
    EXPECT_EQ(Rotate(180, src).m_data, (std::vector<uint8_t>{0xA0, 0xE0}));
    EXPECT_EQ(Rotate(270, src).m_data, (std::vector<uint8_t>{0xC0, 0x40, 0xC0}));
}

TEST(Rotation, HonoursRowStridesOfSourceAndTarget)
{
    CTestImage src = CTestImage::Padded(3, 2, 8, 2);
    const uint8_t values[2][3] = {{1, 2, 3}, {4, 5, 6}};
    for (int y = 0; y < 2; ++y)
        std::copy(values[y], values[y] + 3, src.Row(y));
    CTestImage dst = CTestImage::Padded(2, 3, 8, 1);
    ASSERT_EQ(RotationImg(90, src.Desc(), src.Data(), dst.Desc(), dst.Data()), 0);
    EXPECT_EQ(dst.m_data, (std::vector<uint8_t>{3, 6, 0, 2, 5, 0, 1, 4, 0}));
}

TEST(Rotation, RefusesBadAnglesSizesAndPointers)
{
    CTestImage src(3, 2, 24);
    CTestImage dst(2, 3, 24);
    for (int nAngle : {0, 45, -90, 360})
        EXPECT_EQ(RotationImg(nAngle, src.Desc(), src.Data(), dst.Desc(), dst.Data()), IMGEFFECT_BAD_ANGLE);
    EXPECT_EQ(RotationImg(180, src.Desc(), src.Data(), dst.Desc(), dst.Data()), IMGEFFECT_BAD_ARGUMENT);
    _ImageDesc wrongBits = dst.m_desc;
    wrongBits.m_nBitsPerPixel = 8;
    EXPECT_EQ(RotationImg(90, src.Desc(), src.Data(), &wrongBits, dst.Data()), IMGEFFECT_BAD_ARGUMENT);
    _ImageDesc shortRows = dst.m_desc;
    shortRows.m_nBytesPerRow = 5;
    EXPECT_EQ(RotationImg(90, src.Desc(), src.Data(), &shortRows, dst.Data()), IMGEFFECT_BAD_ARGUMENT);
    EXPECT_EQ(RotationImg(90, src.Desc(), nullptr, dst.Desc(), dst.Data()), IMGEFFECT_BAD_ARGUMENT);
    EXPECT_EQ(RotationImg(90, src.Desc(), src.Data(), dst.Desc(), nullptr), IMGEFFECT_BAD_ARGUMENT);
    EXPECT_EQ(RotationImg(90, nullptr, src.Data(), dst.Desc(), dst.Data()), IMGEFFECT_BAD_ARGUMENT);
    EXPECT_EQ(RotationImg(90, src.Desc(), src.Data(), nullptr, dst.Data()), IMGEFFECT_BAD_ARGUMENT);
}
