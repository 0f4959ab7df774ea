// What the adjustment dialogs draw and show, without a window: the tone curves as the effect
// library applies them, in their drawing order; the histogram's clipping rule and its empty
// cases; the statistics text in a comma language; the gamma/threshold enabling.
#include <gtest/gtest.h>

#include <cmath>

#include "imgeffect/ImgEffectCore.h"
#include "ui/AdjustDialogRules.h"

// The dialog draws what the image gets: every preset at every input, within 0..255.
TEST(AdjustDialogRules, ToneCurvesDrawnAsTheLibraryAppliesThemAndOnTheScale)
{
    for (int nPreset = 0; nPreset < 5; ++nPreset)
        for (int x = 0; x < 256; ++x)
            EXPECT_EQ(ToneCurveDisplayValue(nPreset, x), imgfx::ToneCurveValue(nPreset, x)) << nPreset << " " << x;
    EXPECT_EQ(ToneCurveDisplayValue(4, 0), 255);  // 256 - 0 clamped
    EXPECT_EQ(ToneCurveDisplayValue(3, 0), 0);    // -0.75 clamped
    EXPECT_EQ(ToneCurveDisplayValue(2, 128), 91);
    EXPECT_EQ(ToneCurveDisplayValue(9, 300), 255);
    // The selected colour curve is drawn last, on top.
    EXPECT_EQ(CurveDrawOrder(1), (std::vector<int>{2, 3, 1}));
    EXPECT_EQ(CurveDrawOrder(0), std::vector<int>{0});
}

TEST(AdjustDialogRules, HistogramClipsBinsAboveOneSixtyFourthAndNeverDividesByZero)
{
    uint32_t counts[256] = {};
    // 4096 pixels: 3072 in one bin, 16 in each of 64 others. Share 64; A/total = 0.75;
    // peak = int(64 / 1.18758...) = 53; scale 200/53: 16 counts give 60 (unclipped scale: 1).
    counts[255] = 3072;
    for (int i = 0; i < 64; ++i)
        counts[10 + 2 * i] = 16;
    std::array<int, 256> h = HistogramColumnHeights(counts);
    EXPECT_EQ(h[255], 200);
    EXPECT_EQ(h[10], 60);
    EXPECT_EQ(h[11], 0);
    // No bin above the share: the peak is the scale.
    uint32_t flat[256];
    std::fill(std::begin(flat), std::end(flat), 10u);
    flat[7] = 20;
    h = HistogramColumnHeights(flat);
    EXPECT_EQ(h[7], 200);
    EXPECT_EQ(h[8], 100);
    // Nothing counted: an empty plot. Fewer than 64 pixels: the share is 0, every counted bin
    // fills the plot; no scale of 0 to divide by either way.
    uint32_t tiny[256] = {};
    h = HistogramColumnHeights(tiny);
    EXPECT_TRUE(std::all_of(h.begin(), h.end(), [](int n) { return n == 0; }));
    tiny[3] = 5;
    h = HistogramColumnHeights(tiny);
    EXPECT_EQ(h[3], 200);
    EXPECT_EQ(h[4], 0);
}

TEST(AdjustDialogRules, StatisticsTextTakesTheSeparatorInItsNumbersOnly)
{
    const std::array<std::wstring, 4> labels{L"Moy. :", L"Écart type :", L"Médiane :", L"Pixels :"};
    SHistogramStats stats{127.456, 3.1, 128.9, 4096};
    EXPECT_EQ(HistogramStatsText(labels, stats, L','), L"Moy. : 127,46\nÉcart type : 3,10\nMédiane : 128\nPixels : 4096");
    SHistogramStats broken{std::nan(""), INFINITY, std::nan(""), 0};
    EXPECT_EQ(HistogramStatsText(labels, broken, L'.'), L"Moy. : 0.00\nÉcart type : 0.00\nMédiane : 0\nPixels : 0");
}

TEST(AdjustDialogRules, GammaInGreyAndColourThresholdInBlackAndWhiteUnlessHalftone)
{
    auto e = GammaThresholdEnabling(2, false, true);
    EXPECT_TRUE(e.bGamma);
    EXPECT_FALSE(e.bThreshold || e.bHalftoneShown || e.bHalftoneEnabled);
    e = GammaThresholdEnabling(0, false, true);  // no box: the field cannot switch it off
    EXPECT_TRUE(e.bThreshold && !e.bGamma && !e.bHalftoneShown);
    e = GammaThresholdEnabling(0, true, true);
    EXPECT_TRUE(e.bHalftoneShown && e.bHalftoneEnabled && !e.bThreshold);
    e = GammaThresholdEnabling(1, true, false);
    EXPECT_TRUE(e.bHalftoneShown && !e.bHalftoneEnabled && !e.bThreshold && e.bGamma);
}
