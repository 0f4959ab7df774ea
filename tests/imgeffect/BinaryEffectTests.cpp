// Grey conversion, threshold and halftone.
#include "imgeffect/ImgEffectApi.h"
#include "imgeffect/ImageFixtures.h"

#include <gtest/gtest.h>

TEST(Grey, ColourBecomesWeightedGreyInAllChannels)
{
    CTestImage img(3, 1, 24, {255, 0, 0, 0, 0, 255, 200, 180, 190});
    ASSERT_EQ(ChangeToGray_Preview(img.Desc(), img.Data()), 0);
    const uint8_t y3 = (299 * 200 + 587 * 180 + 114 * 190 + 500) / 1000;
    EXPECT_EQ(img.m_data, (std::vector<uint8_t>{76, 76, 76, 29, 29, 29, y3, y3, y3}));
    CTestImage grey(3, 1, 8, {1, 2, 3});
    ASSERT_EQ(ChangeToGray_Preview(grey.Desc(), grey.Data()), 0);
    EXPECT_EQ(grey.m_data, (std::vector<uint8_t>{1, 2, 3}));
}

TEST(Threshold, WhiteFromTheThresholdUpOnGreyValue)
{
    CTestImage img(3, 1, 24, {100, 100, 100, 99, 99, 99, 255, 0, 0});
    ASSERT_EQ(Theashold_Preview(img.Desc(), img.Data(), 100), 0);
    EXPECT_EQ(img.m_data, (std::vector<uint8_t>{255, 255, 255, 0, 0, 0, 0, 0, 0}));
    CTestImage grey(4, 1, 8, {0, 76, 77, 255});
    ASSERT_EQ(Theashold_Preview(grey.Desc(), grey.Data(), 77), 0);
    EXPECT_EQ(grey.m_data, (std::vector<uint8_t>{0, 0, 255, 255}));
}

TEST(Threshold, OutOfRangeThresholdsAreLimited)
{
    CTestImage low(2, 1, 8, {0, 255});
    ASSERT_EQ(Theashold_Preview(low.Desc(), low.Data(), -5), 0);
    EXPECT_EQ(low.m_data, (std::vector<uint8_t>{255, 255}));
    CTestImage high(2, 1, 8, {254, 255});
    ASSERT_EQ(Theashold_Preview(high.Desc(), high.Data(), 300), 0);
    EXPECT_EQ(high.m_data, (std::vector<uint8_t>{0, 255}));
    CTestImage bits(3, 1, 1, {0xA0});
    ASSERT_EQ(Theashold_Preview(bits.Desc(), bits.Data(), 128), 0);
    EXPECT_EQ(bits.m_data[0], 0xA0);
}

TEST(Halftone, SinglePixelAtMidGreyIsWhite)
{
    CTestImage img(1, 1, 24, {128, 128, 128});
    ASSERT_EQ(Halftone_Preview(img.Desc(), img.Data()), 0);
    EXPECT_EQ(img.m_data, (std::vector<uint8_t>{255, 255, 255}));
    CTestImage dark(1, 1, 8, {127});
    ASSERT_EQ(Halftone_Preview(dark.Desc(), dark.Data()), 0);
    EXPECT_EQ(dark.m_data[0], 0);
}

TEST(Halftone, ErrorSpreadsRightAndDownAsWrittenDown)
{
    // Row of three 100s: 0 (err 100, +43 right), 143 -> 255 (err -112, -49 right), 51 -> 0.
    CTestImage row(3, 1, 8, {100, 100, 100});
    ASSERT_EQ(Halftone_Preview(row.Desc(), row.Data()), 0);
    EXPECT_EQ(row.m_data, (std::vector<uint8_t>{0, 255, 0}));
    // 2 x 2 of 100s: the second row receives 31 - 21 = 10 and 6 - 35 = -29, then +48 from the left.
    CTestImage square(2, 2, 8, {100, 100, 100, 100});
    ASSERT_EQ(Halftone_Preview(square.Desc(), square.Data()), 0);
    EXPECT_EQ(square.m_data, (std::vector<uint8_t>{0, 255, 0, 0}));
}

TEST(Halftone, KeepsTheAverageBrightnessOfAFlatArea)
{
    CTestImage img(31, 17, 24);
    std::fill(img.m_data.begin(), img.m_data.end(), 64);
    ASSERT_EQ(Halftone_Preview(img.Desc(), img.Data()), 0);
    int nWhite = 0;
    for (size_t i = 0; i < img.m_data.size(); i += 3) {
        ASSERT_TRUE(img.m_data[i] == 0 || img.m_data[i] == 255);
        ASSERT_EQ(img.m_data[i], img.m_data[i + 1]);
        nWhite += img.m_data[i] == 255;
    }
    EXPECT_NEAR(nWhite / (31.0 * 17.0), 64 / 255.0, 0.03);
}
