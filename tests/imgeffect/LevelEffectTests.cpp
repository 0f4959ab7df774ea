// Fading correction, descreen and the histogram.
#include "imgeffect/ImgEffectApi.h"
#include "imgeffect/ImageFixtures.h"

#include <gtest/gtest.h>

TEST(Fading, StretchesTheUsedRangeOverTheFullRange)
{
    CTestImage img(4, 1, 8, {50, 60, 70, 80});
    ASSERT_EQ(CorrectFading(img.Desc(), img.Data(), 1), 0);
    EXPECT_EQ(img.m_data, (std::vector<uint8_t>{0, 85, 170, 255}));
}

TEST(Fading, IgnoresTheOutlierShareOfTheLevel)
{
    // 1000 pixels; level 3 ignores up to 20 at each end, level 1 only up to 5.
    std::vector<uint8_t> values(10, 0);
    values.insert(values.end(), 490, 100);
    values.insert(values.end(), 490, 150);
    values.insert(values.end(), 10, 255);
    CTestImage img(1000, 1, 8, values);
    ASSERT_EQ(CorrectFading(img.Desc(), img.Data(), 3), 0);
    EXPECT_EQ(img.m_data[0], 0);
    EXPECT_EQ(img.m_data[10], 0);
    EXPECT_EQ(img.m_data[500], 255);
    EXPECT_EQ(img.m_data[999], 255);
    CTestImage mild(1000, 1, 8, values);
    ASSERT_EQ(CorrectFading(mild.Desc(), mild.Data(), 1), 0);
    EXPECT_EQ(mild.m_data, values);  // lo 0 and hi 255 already span the range
}

TEST(Fading, ColourChannelsStretchIndependentlyAndFlatChannelsStay)
{
    CTestImage img(2, 1, 24, {10, 7, 0, 20, 7, 255});
    ASSERT_EQ(CorrectFading(img.Desc(), img.Data(), 2), 0);
    EXPECT_EQ(img.m_data, (std::vector<uint8_t>{0, 7, 0, 255, 7, 255}));
}

TEST(Fading, OffAndUnknownLevels)
{
    CTestImage img(2, 1, 8, {50, 60});
    EXPECT_EQ(CorrectFading(img.Desc(), img.Data(), 0), 0);
    EXPECT_EQ(CorrectFading(img.Desc(), img.Data(), 4), IMGEFFECT_BAD_ARGUMENT);
    EXPECT_EQ(CorrectFading(img.Desc(), img.Data(), -1), IMGEFFECT_BAD_ARGUMENT);
    EXPECT_EQ(img.m_data, (std::vector<uint8_t>{50, 60}));
}

TEST(Descreen, SmoothsWithTheBinomialKernelAndRepeatedEdges)
{
    CTestImage img(3, 3, 8, {0, 0, 0, 0, 160, 0, 0, 0, 0});
    ASSERT_EQ(Descreen(img.Desc(), img.Data()), 0);
    EXPECT_EQ(img.m_data, (std::vector<uint8_t>{10, 20, 10, 20, 40, 20, 10, 20, 10}));
    CTestImage column(1, 3, 24, {0, 0, 0, 160, 16, 0, 0, 0, 0});
    ASSERT_EQ(Descreen(column.Desc(), column.Data()), 0);
    EXPECT_EQ(column.m_data, (std::vector<uint8_t>{40, 4, 0, 80, 8, 0, 40, 4, 0}));
}

TEST(Descreen, OnePixelAndFlatImagesStay)
{
    CTestImage one(1, 1, 24, {3, 99, 250});
    ASSERT_EQ(Descreen(one.Desc(), one.Data()), 0);
    EXPECT_EQ(one.m_data, (std::vector<uint8_t>{3, 99, 250}));
    CTestImage flat = CTestImage::Padded(5, 4, 8, 3);
    std::fill(flat.m_data.begin(), flat.m_data.end(), 77);
    ASSERT_EQ(Descreen(flat.Desc(), flat.Data()), 0);
    EXPECT_EQ(flat.m_data, std::vector<uint8_t>(flat.m_data.size(), 77));
}

TEST(Histogram, CountsAndStatisticsInTheDialogOrder)
{
    CTestImage img(2, 1, 24, {255, 0, 0, 0, 0, 255});
    _HistogramData h{};
    ASSERT_EQ(GetHistogramData(&h, img.Desc(), img.Data()), 0);
    EXPECT_EQ(h.m_nCounts[0][255], 1u);  // red
    EXPECT_EQ(h.m_nCounts[0][0], 1u);
    EXPECT_EQ(h.m_nCounts[2][255], 1u);  // blue
    EXPECT_EQ(h.m_nCounts[1][0], 2u);    // green
    EXPECT_EQ(h.m_nCounts[3][76], 1u);   // all: grey values 76 and 29
    EXPECT_EQ(h.m_nCounts[3][29], 1u);
    EXPECT_DOUBLE_EQ(h.m_dMean[0], 52.5);
    EXPECT_DOUBLE_EQ(h.m_dStdDev[0], 23.5);
    EXPECT_DOUBLE_EQ(h.m_dMedian[0], 29);
    EXPECT_DOUBLE_EQ(h.m_dMean[1], 127.5);  // red
    EXPECT_DOUBLE_EQ(h.m_dMedian[1], 0);
    EXPECT_DOUBLE_EQ(h.m_dStdDev[2], 0);  // green
    EXPECT_EQ(h.m_nPixels, 2);
}

TEST(Histogram, OneBitGreyAndEmptyImages)
{
    CTestImage bits(3, 1, 1, {0xA0});
    _HistogramData h{};
    ASSERT_EQ(GetHistogramData(&h, bits.Desc(), bits.Data()), 0);
    EXPECT_EQ(h.m_nCounts[3][255], 2u);
    EXPECT_EQ(h.m_nCounts[3][0], 1u);
    EXPECT_DOUBLE_EQ(h.m_dMedian[0], 255);
    CTestImage grey(3, 1, 8, {10, 20, 60});
    ASSERT_EQ(GetHistogramData(&h, grey.Desc(), grey.Data()), 0);
    EXPECT_EQ(h.m_nCounts[0][20], 1u);
    EXPECT_DOUBLE_EQ(h.m_dMean[0], 30);
    EXPECT_DOUBLE_EQ(h.m_dMedian[3], 20);
    _ImageDesc empty{0, 9, 3, 24, 0, 0};
    h.m_nPixels = 99;
    ASSERT_EQ(GetHistogramData(&h, &empty, nullptr), 0);
    EXPECT_EQ(h.m_nPixels, 0);
    EXPECT_DOUBLE_EQ(h.m_dMean[0], 0);
    EXPECT_EQ(GetHistogramData(nullptr, grey.Desc(), grey.Data()), IMGEFFECT_BAD_ARGUMENT);
}
