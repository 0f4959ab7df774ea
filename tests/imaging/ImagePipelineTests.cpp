// The adjustment chain: which effect calls are made, in which order, with which values.
#include "imaging/ImagePipeline.h"
#include "imaging/RecordingEffects.h"
#include "profile/Trace.h"

#include <gtest/gtest.h>

#include <climits>

namespace {

std::vector<std::string> g_lines;

void CaptureA(const char* line) { g_lines.emplace_back(line); }

class ImagePipeline : public ::testing::Test {
protected:
    void SetUp() override
    {
        g_lines.clear();
        SetTraceSinks(CaptureA, nullptr);
    }
    void TearDown() override { SetTraceSinks(nullptr, nullptr); }

    int Run(const _ImageAdjustments& adj, bool bRemap = false)
    {
        return ApplyImageEffects(m_fx, m_desc, m_pixels.data(), adj, bRemap);
    }

    CRecordingEffects m_fx;
    _ImageDesc m_desc{2, 6, 2, 24, 0, 0};
    std::vector<uint8_t> m_pixels = std::vector<uint8_t>(12, 0x40);
};

using Calls = std::vector<std::string>;

_ImageAdjustments Mode(int nType)
{
    _ImageAdjustments adj;
    adj.m_nImageType = nType;
    return adj;
}

}  // namespace

TEST(ThresholdRemap, EndsAndPivotMapAsDescribed)
{
    EXPECT_EQ(RemapThreshold(0), 0);
    EXPECT_EQ(RemapThreshold(72), 183);
    EXPECT_EQ(RemapThreshold(255), 255);  // 256 before clamping
    EXPECT_EQ(RemapThreshold(73), 183);
    EXPECT_EQ(RemapThreshold(100), 194);  // 28 * 73 / 183 = 11
    EXPECT_EQ(RemapThreshold(36), 92);    // 183 - 36 * 183 / 72 = 183 - 91
    EXPECT_EQ(RemapThreshold(-50), 0);
    EXPECT_EQ(RemapThreshold(INT_MAX), 255);
    EXPECT_EQ(RemapThreshold(INT_MIN), 0);
}

TEST_F(ImagePipeline, BlackAndWhiteThresholdChainWithRemapTrace)
{
    _ImageAdjustments adj = Mode(0);
    adj.m_nThreshold = 72;
    adj.m_nGamma = 18;        // not used in black and white
    adj.m_nCurve[0] = 2;      // nor are curves and brightness
    adj.m_nBrightness[1] = 5;
    m_fx.m_results["Theashold_Preview"] = 9;
    EXPECT_EQ(Run(adj, true), 9);
    EXPECT_EQ(m_fx.m_calls, (Calls{"ChangeToGray_Preview", "SetGrayPreviewFlag(1)", "ChangeGamma(1)",
                                   "SetGrayPreviewFlag(0)", "Theashold_Preview(183)"}));
    EXPECT_EQ(g_lines, (Calls{"iThreshold :72,  New Threshold:183"}));
}

TEST_F(ImagePipeline, ThresholdPassesUnchangedWithoutRemap)
{
    _ImageAdjustments adj = Mode(0);
    adj.m_nThreshold = 72;
    Run(adj, false);
    EXPECT_EQ(m_fx.m_calls.back(), "Theashold_Preview(72)");
    EXPECT_TRUE(g_lines.empty());
    adj.m_nThreshold = 0;
    Run(adj, true);
    EXPECT_EQ(m_fx.m_calls.back(), "Theashold_Preview(0)");
    adj.m_nThreshold = 255;
    Run(adj, true);
    EXPECT_EQ(m_fx.m_calls.back(), "Theashold_Preview(255)");
    EXPECT_EQ(g_lines.back(), "iThreshold :255,  New Threshold:255");
}

TEST_F(ImagePipeline, BlackAndWhiteHalftoneEndsTheChain)
{
    _ImageAdjustments adj = Mode(0);
    adj.m_bHalftone = 1;
    adj.m_nDescreen = 1;
    m_fx.m_results["Halftone_Preview"] = 3;
    EXPECT_EQ(Run(adj), 3);
    EXPECT_EQ(m_fx.m_calls, (Calls{"ChangeToGray_Preview", "Halftone_Preview"}));
}

TEST_F(ImagePipeline, BlackAndWhiteStopsAtTheFirstFailure)
{
    _ImageAdjustments adj = Mode(0);
    m_fx.m_results["ChangeToGray_Preview"] = 4;
    EXPECT_EQ(Run(adj), 4);
    EXPECT_EQ(m_fx.m_calls, (Calls{"ChangeToGray_Preview"}));
    m_fx.m_calls.clear();
    m_fx.m_results = {{"ChangeGamma", 1}};
    EXPECT_EQ(Run(adj), 1);
    EXPECT_EQ(m_fx.m_calls, (Calls{"ChangeToGray_Preview", "SetGrayPreviewFlag(1)", "ChangeGamma(1)"}));
}

TEST_F(ImagePipeline, GreyChainRunsEverythingButFading)
{
    _ImageAdjustments adj = Mode(1);
    adj.m_nDescreen = 2;
    adj.m_nGamma = 22;
    adj.m_nFadeLevel = 3;
    adj.m_nCurve[0] = 1;
    adj.m_nContrast[0] = -7;
    m_fx.m_results["Change_BrightAndConsent"] = 6;
    EXPECT_EQ(Run(adj), 6);
    EXPECT_EQ(m_fx.m_calls,
              (Calls{"ChangeToGray_Preview", "Descreen", "SetGrayPreviewFlag(1)", "ChangeGamma(2.2)",
                     "SetGrayPreviewFlag(0)", "ColorCurse_Ajust(1,0,0,0)", "Change_BrightAndConsent(0,0,0,0; -7,0,0,0)"}));
    EXPECT_EQ(g_lines, (Calls{"Adjust descreen, the gamma=2!\n", "Adjust gamma, the gamma=22!\n",
                              "Adjust curver, CURVE= 1, 0, 0, 0!\n"}));
}

TEST_F(ImagePipeline, ColourStripWithNeutralGammaStillGetsFadeCurveAndBrightness)
{
    _ImageAdjustments adj = Mode(2);
    adj.m_nFadeLevel = 2;
    adj.m_nCurve[3] = 4;
    adj.m_nBrightness[0] = 10;
    adj.m_nContrast[2] = 20;
    EXPECT_EQ(Run(adj), 0);
    EXPECT_EQ(m_fx.m_calls, (Calls{"SetGrayPreviewFlag(0)", "CorrectFading(2)", "ColorCurse_Ajust(0,0,0,4)",
                                   "Change_BrightAndConsent(10,0,0,0; 0,0,20,0)"}));
    EXPECT_EQ(g_lines, (Calls{"Adjust fade, the fade=2!\n", "Adjust curver, CURVE= 0, 0, 0, 4!\n"}));
}

TEST_F(ImagePipeline, ColourWithNothingToDoMakesNoEffectCall)
{
    EXPECT_EQ(Run(Mode(2)), 2);
    EXPECT_EQ(m_fx.m_calls, (Calls{"SetGrayPreviewFlag(0)"}));
    EXPECT_EQ(g_lines, (Calls{"Adjust fade, the fade=0!\n"}));  // logged even when off
}

TEST_F(ImagePipeline, ResultIsTheLastCallMade)
{
    _ImageAdjustments adj = Mode(2);
    adj.m_nDescreen = 1;
    EXPECT_EQ(Run(adj), 0);
    EXPECT_EQ(m_fx.m_calls, (Calls{"Descreen", "SetGrayPreviewFlag(0)"}));
}

TEST_F(ImagePipeline, GammaFailureIsLoggedAndStopsTheChain)
{
    _ImageAdjustments adj = Mode(2);
    adj.m_nGamma = 0;
    adj.m_nFadeLevel = 1;
    m_fx.m_results["ChangeGamma"] = 1;
    EXPECT_EQ(Run(adj), 1);
    EXPECT_EQ(m_fx.m_calls, (Calls{"SetGrayPreviewFlag(0)", "ChangeGamma(0)"}));
    EXPECT_EQ(g_lines, (Calls{"Adjust gamma, the gamma=0!\n", "gamma error"}));
}

TEST_F(ImagePipeline, LaterFailuresStopBeforeTheNextStep)
{
    _ImageAdjustments adj = Mode(2);
    adj.m_nDescreen = 1;
    adj.m_nFadeLevel = 1;
    adj.m_nCurve[1] = 2;
    adj.m_nBrightness[3] = 1;
    m_fx.m_results["Descreen"] = 7;
    EXPECT_EQ(Run(adj), 7);
    EXPECT_EQ(m_fx.m_calls, (Calls{"Descreen"}));
    m_fx.m_calls.clear();
    m_fx.m_results = {{"CorrectFading", 8}};
    EXPECT_EQ(Run(adj), 8);
    EXPECT_EQ(m_fx.m_calls.back(), "CorrectFading(1)");
    m_fx.m_calls.clear();
    m_fx.m_results = {{"ColorCurse_Ajust", 5}};
    EXPECT_EQ(Run(adj), 5);
    EXPECT_EQ(m_fx.m_calls.back(), "ColorCurse_Ajust(0,2,0,0)");
}

TEST_F(ImagePipeline, EveryCallGetsAFreshCopyOfTheDescriptor)
{
    _ImageAdjustments adj = Mode(1);
    adj.m_nDescreen = 1;
    adj.m_nGamma = 5;
    adj.m_nCurve[0] = 3;
    adj.m_nBrightness[0] = 1;
    const _ImageDesc original = m_desc;
    Run(adj);
    ASSERT_EQ(m_fx.m_descs.size(), 5u);
    for (const _ImageDesc& d : m_fx.m_descs) {
        EXPECT_EQ(d.m_nRows, original.m_nRows);  // the fake scribbles -1 after each call
        EXPECT_EQ(d.m_nBytesPerRow, original.m_nBytesPerRow);
        EXPECT_EQ(d.m_nWidth, original.m_nWidth);
        EXPECT_EQ(d.m_nBitsPerPixel, original.m_nBitsPerPixel);
    }
    EXPECT_EQ(m_desc.m_nRows, original.m_nRows);
}
