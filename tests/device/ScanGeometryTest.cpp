#include "device/NoUIScanParam.h"
#include "device/ScanGeometry.h"
#include "profile/Trace.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::vector<std::string> g_lines;
void Capture(const char* line) { g_lines.emplace_back(line); }

class CTraceCapture {
public:
    CTraceCapture()
    {
        g_lines.clear();
        SetTraceSinks(&Capture, nullptr);
    }
    ~CTraceCapture() { SetTraceSinks(nullptr, nullptr); }
};

TEST(ScanGeometry, ResolutionTableAndLabels)
{
    ResetResolutionTable();
    EXPECT_EQ(GetResolutionTable(), (std::vector<int>{75, 150, 300, 600, 1200, 300}));
    EXPECT_EQ(ResolutionAt(4), 1200);
    EXPECT_EQ(ResolutionAt(6), 0);
    EXPECT_EQ(ResolutionAt(-1), 0);
    SetResolutionTable({100, 200});
    EXPECT_EQ(ResolutionAt(1), 200);
    EXPECT_EQ(ResolutionAt(2), 0);
    ResetResolutionTable();
    EXPECT_EQ(ResolutionLabelId(75), 1032);
    EXPECT_EQ(ResolutionLabelId(100), 1166);
    EXPECT_EQ(ResolutionLabelId(400), 1148);
    EXPECT_EQ(ResolutionLabelId(1200), 1036);
    EXPECT_EQ(ResolutionLabelId(250), 0);
}

TEST(ScanGeometry, PreviewRangeInInchesAndPlatformLClip)
{
    CTraceCapture trace;
    SProductFlags l;
    l.bIsPlatformL = true;
    SInchRect r = GetScanRangeFromPreview({25.4f, 50.8f, 254.0f, 127.0f, true}, l);
    EXPECT_NEAR(r.dLeft, 1.0, 1e-6);
    EXPECT_NEAR(r.dTop, 2.0, 1e-6);
    EXPECT_DOUBLE_EQ(r.dRight, 8.5);  // 11 in clipped
    EXPECT_NEAR(r.dBottom, 7.0, 1e-6);
    ASSERT_EQ(g_lines.size(), 2u);
    EXPECT_EQ(g_lines[1], "inchRect.Right = WIDTH_MAX_INCH_LX;");

    l.bHasA3 = true;  // A3 platform L products keep the full width
    EXPECT_NEAR(GetScanRangeFromPreview({1, 0, 10, 1, false}, l).dRight, 11.0, 1e-6);
    EXPECT_NEAR(GetScanRangeFromPreview({1, 0, 10, 1, false}, SProductFlags{}).dRight, 11.0, 1e-6);
}

TEST(ScanGeometry, ImageSizeRoundsUp)
{
    SImageSize s = ComputeImageSize({0, 0, 8.27, 11.69}, 300, {});
    EXPECT_EQ(s.nWidth, 2481);
    EXPECT_EQ(s.nHeight, 3507);
    s = ComputeImageSize({1.0, 1.0, 2.0, 2.0}, 75, {});
    EXPECT_EQ(s.nWidth, 75);
    EXPECT_EQ(s.nHeight, 75);
    s = ComputeImageSize({2.0, 2.0, 1.0, 1.0}, 300, {});  // inverted area: empty, not negative
    EXPECT_EQ(s.nWidth, 0);
    EXPECT_EQ(s.nHeight, 0);
}

TEST(ScanGeometry, EvenAndMultipleOfFourRules)
{
    const SInchRect r{0, 0, 1.0, 1.0};  // 301 x 301 at 301 dpi
    SImageSizeRules even{true, false, false, 0};
    EXPECT_EQ(ComputeImageSize(r, 301, even).nWidth, 300);
    EXPECT_EQ(ComputeImageSize(r, 301, even).nHeight, 300);
    SImageSizeRules evenNoUI{true, true, false, 0};
    EXPECT_EQ(ComputeImageSize(r, 301, evenNoUI).nHeight, 298);
    EXPECT_EQ(ComputeImageSize(r, 301, evenNoUI).nWidth, 300);
    SImageSizeRules four{false, false, true, 0};
    EXPECT_EQ(ComputeImageSize(r, 302, four).nWidth, 300);
    EXPECT_EQ(ComputeImageSize(r, 302, four).nHeight, 302);
    for (int nRot : {1, 2}) {
        SImageSizeRules fourRot{false, false, true, nRot};
        EXPECT_EQ(ComputeImageSize(r, 302, fourRot).nWidth, 302);
        EXPECT_EQ(ComputeImageSize(r, 302, fourRot).nHeight, 300);
    }
    SImageSizeRules four180{false, false, true, 3};
    EXPECT_EQ(ComputeImageSize(r, 302, four180).nWidth, 300);
    // Both rules, in order: even first (and -2), then the multiple of four.
    SImageSizeRules all{true, true, true, 1};
    SImageSize s = ComputeImageSize(r, 307, all);
    EXPECT_EQ(s.nWidth, 306);
    EXPECT_EQ(s.nHeight, 304);
    // A tiny page cannot go negative.
    EXPECT_EQ(ComputeImageSize({0, 0, 0.001, 0.001}, 300, evenNoUI).nHeight, 0);
}

TEST(ScanGeometry, DeviceParameters)
{
    SScanParamRecord rec{};
    rec.nColourMode = 1;
    rec.nThreshold = 99;
    rec.nSource = 0;
    const SInchRect r{0.5, 0.25, 8.5, 11.0};
    SImageSize size = ComputeImageSize(r, 300, {});
    SDeviceScanParams p = MakeDeviceScanParams(rec, r, size, 300, false);
    EXPECT_EQ(p.nXDpi, 300);
    EXPECT_EQ(p.nYDpi, 300);
    EXPECT_EQ(p.nColourMode, 1);
    EXPECT_EQ(p.nLeft, 600);
    EXPECT_EQ(p.nTop, 300);
    EXPECT_EQ(p.nRight, 600 + 2400 * 4);
    EXPECT_EQ(p.nBottom, 300 + 3225 * 4);
    EXPECT_EQ(p.nThreshold, 99);
    EXPECT_EQ(p.nSource, 0);
    // Integer division of width x 1200 / dpi.
    SDeviceScanParams odd = MakeDeviceScanParams(rec, {0, 0, 1, 1}, {7, 7}, 700, false);
    EXPECT_EQ(odd.nRight, 12);
    // Device source: 3 for duplex, 2 for a feeder with manual duplex.
    rec.nSource = 2;
    EXPECT_EQ(MakeDeviceScanParams(rec, r, size, 300, false).nSource, 3);
    rec.nSource = 1;
    EXPECT_EQ(MakeDeviceScanParams(rec, r, size, 300, true).nSource, 2);
    EXPECT_EQ(MakeDeviceScanParams(rec, r, size, 300, false).nSource, 1);
    rec.nSource = 0;
    EXPECT_EQ(MakeDeviceScanParams(rec, r, size, 300, true).nSource, 0);
    // An index outside the resolution table gives dpi 0: an empty area, no division by zero.
    SDeviceScanParams zero = MakeDeviceScanParams(rec, r, size, 0, false);
    EXPECT_EQ(zero.nRight, zero.nLeft);
    SDeviceScanParams prev = MakePreviewScanParams(75, 638 * 16, 877 * 16);
    EXPECT_EQ(prev.nColourMode, 3);
    EXPECT_EQ(prev.nThreshold, 127);
    EXPECT_EQ(prev.nSource, 0);
    EXPECT_EQ(prev.nBottom, 14032);
}

TEST(ScanGeometry, AdjustmentsUseMinusOneForAutomaticThreshold)
{
    SScanParamRecord rec{};
    rec.nBrightness[2] = 5;
    rec.nContrast[3] = -7;
    rec.nCurve[0] = 3;
    rec.nGamma = 22;
    rec.nThreshold = 140;
    rec.nDescreen = 2;
    rec.nFading = 1;
    SDeviceAdjustments a = MakeDeviceAdjustments(rec);
    EXPECT_EQ(a.nBrightness[2], 5);
    EXPECT_EQ(a.nContrast[3], -7);
    EXPECT_EQ(a.nCurve[0], 3);
    EXPECT_EQ(a.nGamma, 22);
    EXPECT_EQ(a.nThreshold, 140);
    EXPECT_EQ(a.nDescreen, 2);
    EXPECT_EQ(a.nFading, 1);
    rec.nAutoThreshold = 1;
    EXPECT_EQ(MakeDeviceAdjustments(rec).nThreshold, -1);
}

TEST(NoUIScanParam, ColourSourceAndResolution)
{
    struct SCase {
        int nBits, nSource, nDpi;
        bool bKRV;
        int nMode, nRecSource, nIndex;
    } cases[] = {
        {1, 0, 75, false, 0, 0, 0},    {8, 1, 300, false, 1, 1, 2},   {24, 2, 600, false, 2, 2, 3},
        {16, 3, 1200, false, 2, 0, 4}, {24, -1, 100, false, 2, 0, 1}, {24, 0, 150, false, 2, 0, 1},
        {24, 0, 75, true, 2, 0, 0},    {24, 0, 150, true, 2, 0, 2},   {24, 0, 200, true, 2, 0, 3},
        {24, 0, 300, true, 2, 0, 4},   {24, 0, 400, true, 2, 0, 5},   {24, 0, 600, true, 2, 0, 6},
        {24, 0, 1200, true, 2, 0, 7},  {24, 0, 100, true, 2, 0, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.nBits << "/" << c.nSource << "/" << c.nDpi << "/" << c.bKRV);
        SScanParamRecord rec{};
        SProductFlags f;
        f.bKRV = c.bKRV;
        EXPECT_EQ(UpdateNoUIScanParam(rec, {c.nBits, c.nDpi, 1, c.nSource}, f), 0);
        EXPECT_EQ(rec.nColourMode, c.nMode);
        EXPECT_EQ(rec.nSource, c.nRecSource);
        EXPECT_EQ(rec.nResolutionIndex, c.nIndex);
    }
}

TEST(NoUIScanParam, PaperIndexFromTwainSize)
{
    struct SCase {
        int nSize, nSource, nIndex;
    } cases[] = {{1, 0, 0}, {2, 0, 3},  {3, 1, 4},  {4, 0, 5}, {5, 0, 1}, {13, 0, 2},
                 {11, 0, 6}, {11, 1, 7}, {11, 2, 7}, {6, 0, 0}, {0, 1, 0}, {-4, 0, 0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.nSize << "/" << c.nSource);
        SScanParamRecord rec{};
        UpdateNoUIScanParam(rec, {24, 300, c.nSize, c.nSource}, SProductFlags{});
        EXPECT_EQ(rec.nPaperIndex, c.nIndex);
    }
}

TEST(NoUIScanParam, ResetsAdjustmentsAndKeepsTheRest)
{
    CTraceCapture trace;
    SScanParamRecord rec{};
    rec.nBrightness[1] = 9;
    rec.nContrast[0] = 9;
    rec.nCurve[3] = 9;
    rec.nDescreen = rec.nFading = rec.nRotation = 2;
    rec.nUnit = 1;
    rec.nAutoDeskew = 1;
    rec.nAutoThreshold = 1;
    rec.nConnection = 1;
    SProductFlags k;
    k.bIsPlatformK = true;
    UpdateNoUIScanParam(rec, {8, 200, 11, 2}, k);
    EXPECT_EQ(rec.nBrightness[1], 0);
    EXPECT_EQ(rec.nContrast[0], 0);
    EXPECT_EQ(rec.nCurve[3], 0);
    EXPECT_EQ(rec.nDescreen, 0);
    EXPECT_EQ(rec.nFading, 0);
    EXPECT_EQ(rec.nRotation, 0);
    EXPECT_EQ(rec.nGamma, 10);
    EXPECT_EQ(rec.nThreshold, 183);
    EXPECT_EQ(rec.nUnit, 1);
    EXPECT_EQ(rec.nAutoDeskew, 1);
    EXPECT_EQ(rec.nAutoThreshold, 1);
    EXPECT_EQ(rec.nConnection, 1u);
    ASSERT_EQ(g_lines.size(), 1u);
    EXPECT_EQ(g_lines[0],
              "UpdateNoUIScanParam(): nColorMode = 8, nResolution = 200, nScanSize = 11, nScanSource = 2\r\n");
    UpdateNoUIScanParam(rec, {8, 200, 11, 2}, SProductFlags{});
    EXPECT_EQ(rec.nGamma, 18);
    EXPECT_EQ(rec.nThreshold, 72);
}

}  // namespace
