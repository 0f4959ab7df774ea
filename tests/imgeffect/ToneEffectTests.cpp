// Gamma, brightness/contrast and tone curves against the formulas of the library header.
#include "imgeffect/ImgEffectCore.h"
#include "imgeffect/ImageFixtures.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <thread>

namespace {

int GammaOf(int x, double g) { return static_cast<int>(std::floor(255.0 * std::pow(x / 255.0, 1.0 / g) + 0.5)); }

int BrightContrastOf(int x, int b, int c)
{
    const double v = std::floor((x - 128) * (100.0 + c) / 100.0 + 128.0 + b * 127.0 / 100.0 + 0.5);
    return static_cast<int>(std::min(255.0, std::max(0.0, v)));
}

struct GreyFlagReset {
    ~GreyFlagReset() { SetGrayPreviewFlag(0); }
};

}  // namespace

TEST(Gamma, ColourPixelFollowsFormulaPerChannel)
{
    CTestImage img(1, 1, 24, {64, 128, 200});
    ASSERT_EQ(ChangeGamma(img.Desc(), img.Data(), 2.0f), 0);
    EXPECT_EQ(img.m_data, (std::vector<uint8_t>{uint8_t(GammaOf(64, 2.0)), uint8_t(GammaOf(128, 2.0)),
                                                uint8_t(GammaOf(200, 2.0))}));
    EXPECT_EQ(img.m_data[0], 128);  // sqrt(64/255) * 255 = 127.75
}

TEST(Gamma, OneIsIdentityAndEndsStayFixed)
{
    CTestImage img(5, 3, 8);
    img.FillRandom(1);
    const auto before = img.m_data;
    ASSERT_EQ(ChangeGamma(img.Desc(), img.Data(), 1.0f), 0);
    EXPECT_EQ(img.m_data, before);
    CTestImage ends(2, 1, 8, {0, 255});
    ASSERT_EQ(ChangeGamma(ends.Desc(), ends.Data(), 0.1f), 0);
    EXPECT_EQ(ends.m_data, (std::vector<uint8_t>{0, 255}));
}

TEST(Gamma, RefusesNonPositiveOrNonFiniteGammaWithoutTouchingData)
{
    CTestImage img(3, 1, 24, {1, 2, 3, 4, 5, 6, 7, 8, 9});
    const auto before = img.m_data;
    for (float g : {0.0f, -1.0f, std::numeric_limits<float>::quiet_NaN(), std::numeric_limits<float>::infinity()}) {
        EXPECT_EQ(ChangeGamma(img.Desc(), img.Data(), g), IMGEFFECT_BAD_ARGUMENT) << g;
        EXPECT_EQ(img.m_data, before);
    }
}

TEST(Gamma, GreyFlagWritesMappedGreyValueToAllChannels)
{
    GreyFlagReset reset;
    CTestImage img(2, 1, 24, {255, 0, 0, 10, 200, 30});
    SetGrayPreviewFlag(1);
    ASSERT_EQ(ChangeGamma(img.Desc(), img.Data(), 1.0f), 0);
    const int y2 = (299 * 10 + 587 * 200 + 114 * 30 + 500) / 1000;
    EXPECT_EQ(img.m_data, (std::vector<uint8_t>{76, 76, 76, uint8_t(y2), uint8_t(y2), uint8_t(y2)}));
    SetGrayPreviewFlag(0);
    ASSERT_EQ(ChangeGamma(img.Desc(), img.Data(), 1.0f), 0);
    EXPECT_EQ(img.m_data[0], 76);
}

TEST(Gamma, OddWidthLeavesRowPaddingAndOneBitDataAlone)
{
    CTestImage img = CTestImage::Padded(3, 2, 8, 1);
    std::fill(img.m_data.begin(), img.m_data.end(), 100);
    ASSERT_EQ(ChangeGamma(img.Desc(), img.Data(), 2.0f), 0);
    EXPECT_EQ(img.Row(0)[2], GammaOf(100, 2.0));
    EXPECT_EQ(img.Row(0)[3], 100);
    EXPECT_EQ(img.Row(1)[3], 100);
    CTestImage bits(9, 1, 1, {0xA5, 0x80});
    ASSERT_EQ(ChangeGamma(bits.Desc(), bits.Data(), 2.0f), 0);
    EXPECT_EQ(bits.m_data, (std::vector<uint8_t>{0xA5, 0x80}));
}

TEST(BrightContrast, MappingMatchesFormulaAtTheLimits)
{
    for (int x : {0, 1, 127, 128, 129, 200, 255}) {
        EXPECT_EQ(imgfx::BrightContrastValue(0, 0, x), x);
        EXPECT_EQ(imgfx::BrightContrastValue(100, 0, x), std::min(255, x + 127));
        EXPECT_EQ(imgfx::BrightContrastValue(-100, 0, x), std::max(0, x - 127));
        EXPECT_EQ(imgfx::BrightContrastValue(0, 100, x), std::clamp(2 * x - 128, 0, 255));
        EXPECT_EQ(imgfx::BrightContrastValue(0, -100, x), 128);
        EXPECT_EQ(imgfx::BrightContrastValue(30, -40, x), BrightContrastOf(x, 30, -40));
    }
    // Values outside -100..100 act as the nearest limit.
    EXPECT_EQ(imgfx::BrightContrastValue(500, 0, 10), imgfx::BrightContrastValue(100, 0, 10));
    EXPECT_EQ(imgfx::BrightContrastValue(0, -900, 10), 128);
}

TEST(BrightContrast, MasterThenChannelOnColour)
{
    CTestImage img(1, 1, 24, {10, 100, 200});
    ASSERT_EQ(Change_BrightAndConsent(img.Desc(), img.Data(), 20, -50, 0, 10, 0, 0, 30, 0), 0);
    EXPECT_EQ(img.m_data[0], BrightContrastOf(BrightContrastOf(10, 20, 0), -50, 0));
    EXPECT_EQ(img.m_data[1], BrightContrastOf(BrightContrastOf(100, 20, 0), 0, 30));
    EXPECT_EQ(img.m_data[2], BrightContrastOf(BrightContrastOf(200, 20, 0), 10, 0));
}

TEST(BrightContrast, GreyDataUseOnlyTheMasterValues)
{
    CTestImage img(3, 1, 8, {0, 128, 255});
    ASSERT_EQ(Change_BrightAndConsent(img.Desc(), img.Data(), 10, 90, 90, 90, 20, -90, -90, -90), 0);
    EXPECT_EQ(img.m_data, (std::vector<uint8_t>{uint8_t(BrightContrastOf(0, 10, 20)),
                                                uint8_t(BrightContrastOf(128, 10, 20)),
                                                uint8_t(BrightContrastOf(255, 10, 20))}));
}

TEST(BrightContrast, TableRewriteIsTheSameMappingAsTheImage)
{
    int32_t table[256];
    CTestImage ramp(256, 1, 8);
    for (int i = 0; i < 256; ++i)
        table[i] = ramp.m_data[i] = static_cast<uint8_t>(i);
    ASSERT_EQ(Curve_BrightAndConsent(-35, 60, table), 0);
    ASSERT_EQ(Change_BrightAndConsent(ramp.Desc(), ramp.Data(), -35, 0, 0, 0, 60, 0, 0, 0), 0);
    for (int i = 0; i < 256; ++i)
        ASSERT_EQ(table[i], ramp.m_data[i]) << i;
    // Entries outside 0..255 are taken at the nearest end; a null table is refused.
    int32_t odd[256] = {-7, 999};
    ASSERT_EQ(Curve_BrightAndConsent(0, 0, odd), 0);
    EXPECT_EQ(odd[0], 0);
    EXPECT_EQ(odd[1], 255);
    EXPECT_EQ(Curve_BrightAndConsent(0, 0, nullptr), IMGEFFECT_BAD_ARGUMENT);
}

TEST(ToneCurve, PresetsMatchTheDialogCurves)
{
    for (int x = 0; x < 256; ++x) {
        const double d = x;
        EXPECT_EQ(imgfx::ToneCurveValue(0, x), x);
        const double v1 = (0.03168 + 6.6347 * d) / (1 + 0.024496 * d - 8.9e-6 * d * d);
        EXPECT_EQ(imgfx::ToneCurveValue(1, x), static_cast<int>(std::min(v1 + 0.5, 255.0) + 0.5)) << x;
        EXPECT_EQ(imgfx::ToneCurveValue(2, x),
                  static_cast<int>(std::min(255 * std::pow(255.0, -1.5) * std::pow(d, 1.5), 255.0) + 0.5))
            << x;
        const int v3 = static_cast<int>(((-3.977e-5 * d + 0.0152614) * d - 0.283512) * d - 0.753321);
        EXPECT_EQ(imgfx::ToneCurveValue(3, x), std::clamp(v3, 0, 255)) << x;
        EXPECT_EQ(imgfx::ToneCurveValue(4, x), std::min(255, 256 - x));
    }
    EXPECT_EQ(imgfx::ToneCurveValue(1, 0), 1);
    EXPECT_EQ(imgfx::ToneCurveValue(2, 255), 255);
    EXPECT_EQ(imgfx::ToneCurveValue(3, 0), 0);
    EXPECT_EQ(imgfx::ToneCurveValue(3, 255), 255);
    EXPECT_EQ(imgfx::ToneCurveValue(4, 0), 255);
}

TEST(ToneCurve, AppliesMasterThenChannelAndRefusesUnknownPresets)
{
    CTestImage img(1, 1, 24, {10, 20, 30});
    ASSERT_EQ(ColorCurse_Ajust(img.Desc(), img.Data(), 0, 4, 0, 2), 0);
    EXPECT_EQ(img.m_data, (std::vector<uint8_t>{246, 20, uint8_t(imgfx::ToneCurveValue(2, 30))}));
    ASSERT_EQ(ColorCurse_Ajust(img.Desc(), img.Data(), 4, 0, 0, 0), 0);
    EXPECT_EQ(img.m_data[1], 236);
    const auto before = img.m_data;
    EXPECT_EQ(ColorCurse_Ajust(img.Desc(), img.Data(), 5, 0, 0, 0), IMGEFFECT_BAD_ARGUMENT);
    EXPECT_EQ(ColorCurse_Ajust(img.Desc(), img.Data(), 0, 0, 0, -1), IMGEFFECT_BAD_ARGUMENT);
    EXPECT_EQ(img.m_data, before);
}

TEST(Descriptor, InconsistentDescriptorsAndNullPointersAreRefused)
{
    CTestImage img(4, 2, 24);
    _ImageDesc bad = img.m_desc;
    bad.m_nBytesPerRow = 11;  // 4 colour pixels need 12
    EXPECT_EQ(ChangeGamma(&bad, img.Data(), 2.0f), IMGEFFECT_BAD_ARGUMENT);
    bad = img.m_desc;
    bad.m_nBitsPerPixel = 16;
    EXPECT_EQ(Descreen(&bad, img.Data()), IMGEFFECT_BAD_ARGUMENT);
    bad = img.m_desc;
    bad.m_nRows = -1;
    EXPECT_EQ(ChangeToGray_Preview(&bad, img.Data()), IMGEFFECT_BAD_ARGUMENT);
    EXPECT_EQ(CorrectFading(img.Desc(), nullptr, 1), IMGEFFECT_BAD_ARGUMENT);
    EXPECT_EQ(Theashold_Preview(nullptr, img.Data(), 1), IMGEFFECT_BAD_ARGUMENT);
    EXPECT_EQ(Halftone_Preview(nullptr, img.Data()), IMGEFFECT_BAD_ARGUMENT);
    EXPECT_EQ(Change_BrightAndConsent(nullptr, img.Data(), 0, 0, 0, 0, 0, 0, 0, 0), IMGEFFECT_BAD_ARGUMENT);
    EXPECT_EQ(ColorCurse_Ajust(nullptr, img.Data(), 0, 0, 0, 0), IMGEFFECT_BAD_ARGUMENT);
    // An empty image needs no data.
    _ImageDesc empty{0, 0, 0, 24, 0, 0};
    EXPECT_EQ(ChangeGamma(&empty, nullptr, 2.0f), 0);
    EXPECT_EQ(Halftone_Preview(&empty, nullptr), 0);
    EXPECT_EQ(Descreen(&empty, nullptr), 0);
}

TEST(Gamma, GreyFlagBelongsToTheThreadThatSetIt)
{
    // The preview and scan threads each run their own chain of flag on, gamma, flag off.
    GreyFlagReset reset;
    SetGrayPreviewFlag(1);
    CTestImage img(1, 1, 24, {255, 0, 0});
    std::thread other([&img] { ASSERT_EQ(ChangeGamma(img.Desc(), img.Data(), 1.0f), 0); });
    other.join();
    EXPECT_EQ(img.m_data, (std::vector<uint8_t>{255, 0, 0}));
    ASSERT_EQ(ChangeGamma(img.Desc(), img.Data(), 1.0f), 0);
    EXPECT_EQ(img.m_data, (std::vector<uint8_t>{76, 76, 76}));
}
