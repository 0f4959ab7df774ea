#include "imaging/Deskew.h"
#include "imaging/DeskewParts.h"
#include "imaging/ImagingOracle.h"
#include "imaging/ImagingThreads.h"
#include "imaging/PixelConvert.h"
#include "imaging/Rotate.h"
#include "imaging/SyntheticPage.h"
#include "imaging/TraceCapture.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

using Cells = std::vector<std::pair<int32_t, int32_t>>;

std::vector<uint8_t> Page(int32_t w, int32_t h, uint8_t v) { return std::vector<uint8_t>(size_t(w) * h, v); }

TEST(DeskewTables, MatchTheDefinition)
{
    const std::vector<int32_t> c = oracle::CosTable(), s = oracle::SinTable();
    for (int i = 0; i < 360; ++i) {
        EXPECT_EQ(DeskewCosTable()[i], c[i]) << i;
        EXPECT_EQ(DeskewSinTable()[i], s[i]) << i;
    }
    EXPECT_EQ(DeskewCosTable()[359], 100000);   // 360 degrees
    EXPECT_EQ(DeskewSinTable()[29], 49999);     // sin 30 degrees lies just below a half
}

TEST(DeskewHough, RhoZeroIsNotCounted)
{
    // Points on the line x = y lie at rho 0 for step 134 (135 degrees): truncated to 0, they
    // must not vote there, so that line cannot be the maximum.
    constexpr int32_t W = 400, H = 400, nDiagonal = 565;
    std::vector<CEdgePoints> parts;
    parts.emplace_back(W);
    for (int32_t y = 60; y < 340; ++y) {
        std::vector<uint64_t> words((W + 63) / 64, 0);
        words[y / 64] |= uint64_t(1) << (y % 64);
        parts.back().AddRow(y, words.data(), 1);
    }
    CHoughMaxima maxima;
    ASSERT_TRUE(FindHoughMaxima(parts, W, nDiagonal, maxima));
    // The same count written out: every point, every step, rho > 0 only.
    std::vector<int32_t> acc(size_t(nDiagonal + 1) * 360, 0);
    int32_t nBest = 0;
    for (int32_t y = 60; y < 340; ++y)
        for (int i = 0; i < 360; ++i) {
            const int32_t rho = (y * DeskewCosTable()[i] + (y + 1) * DeskewSinTable()[i]) / 100000;
            if (rho > 0 && rho <= nDiagonal) nBest = std::max(nBest, ++acc[size_t(rho) * 360 + i]);
        }
    Cells expected;
    for (int32_t rho = 0; rho <= nDiagonal; ++rho)
        for (int i = 0; i < 360; ++i)
            if (acc[size_t(rho) * 360 + i] == nBest) expected.emplace_back(rho, i);
    EXPECT_EQ(maxima.nVotes, nBest);
    EXPECT_EQ(maxima.cells, expected);
    EXPECT_LT(nBest, 280);
}

TEST(DeskewAngle, NormalisesTheLastMaximum)
{
    EXPECT_EQ(DeskewAngleFromMaxima(Cells{{500, 179}}), 0);    // candidate 180
    EXPECT_EQ(DeskewAngleFromMaxima(Cells{{500, 2}}), 3);
    EXPECT_EQ(DeskewAngleFromMaxima(Cells{{500, 357}}), -2);   // candidate 358
    EXPECT_EQ(DeskewAngleFromMaxima(Cells{{500, 263}}), 6);    // (180, 270]: 270 - 264
    EXPECT_EQ(DeskewAngleFromMaxima(Cells{{500, 20}}), 0);     // 21 is past 14
    EXPECT_EQ(DeskewAngleFromMaxima(Cells{{500, 340}}), 0);    // -19 is past -14
    EXPECT_EQ(DeskewAngleFromMaxima(Cells{}), 0);
}

TEST(DeskewAngle, SpreadOverFourDegreesIsUnsure)
{
    EXPECT_EQ(DeskewAngleFromMaxima(Cells{{10, 1}, {20, 5}}), 6);      // spread 4: kept
    EXPECT_EQ(DeskewAngleFromMaxima(Cells{{10, 0}, {20, 5}}), 0);      // spread 5
    EXPECT_EQ(DeskewAngleFromMaxima(Cells{{10, 182}, {20, 3}}), 4);    // 182 folds to 2
    EXPECT_EQ(DeskewAngleFromMaxima(Cells{{10, 359}, {20, 3}}), 0);    // 179 against 3
}

TEST(Deskew, SmallOrBadPagesHaveNoSkew)
{
    const std::vector<uint8_t> g = Page(300, 300, 0);
    CTraceCapture trace;
    EXPECT_EQ(auto_deskew(nullptr, g.data(), 100, 300, 1, 300), 0);  // width 100: nothing to search
    EXPECT_EQ(auto_deskew(nullptr, g.data(), 300, 100, 1, 300), 0);
    EXPECT_EQ(auto_deskew(nullptr, g.data(), 0, 300, 1, 300), 0);
    EXPECT_EQ(auto_deskew(nullptr, nullptr, 300, 300, 1, 300), 0);
    EXPECT_EQ(auto_deskew(nullptr, g.data(), 300, 300, 1, 0), 0);
    EXPECT_EQ(auto_deskew(nullptr, g.data(), 300, 300, 3, 300), 0);
    EXPECT_TRUE(trace.Has("auto_deskew<-------------"));
    EXPECT_FALSE(trace.Has("auto_deskew------------->"));
}

TEST(Deskew, BlankPageStopsBeforeTheEdgeMap)
{
    const std::vector<uint8_t> g = Page(400, 500, 240);
    CTraceCapture trace;
    EXPECT_EQ(auto_deskew(nullptr, g.data(), 400, 500, 1, 300), 0);
    EXPECT_TRUE(trace.Has("pixels_col_num_total=0,BWthreshold=160,sum=240.000000\n"));
    EXPECT_FALSE(trace.HasPrefix("pisition_num="));
    EXPECT_FALSE(trace.Has("auto_deskew------------->"));
}

TEST(Deskew, AllBlackPageHasNoEdgesAndNoSkew)
{
    const std::vector<uint8_t> g = Page(300, 300, 0);
    CTraceCapture trace;
    EXPECT_EQ(auto_deskew(nullptr, g.data(), 300, 300, 1, 150), 0);
    EXPECT_TRUE(trace.Has("pisition_num=0\n"));
    EXPECT_FALSE(trace.HasPrefix("02 dect"));  // no votes: nothing listed
    EXPECT_TRUE(trace.Has("auto_deskew------------->"));
}

double Measure(const std::vector<uint8_t>& g, int32_t w, int32_t h, int32_t dpi)
{
    return auto_deskew(nullptr, g.data(), w, h, 1, dpi);
}

// Every whole angle the measurement covers, at three resolutions: the page measured, turned by
// the result and measured again comes out level.
TEST(Deskew, StraightensSkewedPages)
{
    for (int32_t dpi : {150, 300, 600}) {
        // about a million pixels or fewer; at 150 dpi a page of a few lines is too short to be sure
        const double inches = dpi == 150 ? 3.0 : 1.6;
        const int32_t w = int32_t(inches * dpi), h = int32_t(inches * 1.2 * dpi);
        for (int a = -14; a <= 14; ++a) {
            CSyntheticPage spec;
            spec.nWidth = w, spec.nHeight = h, spec.nDpi = dpi, spec.dAngle = a, spec.bPlaten = false;
            spec.dMargin = 0.25, spec.nSeed = uint32_t(a + 100);
            const std::vector<uint8_t> g = MakeSyntheticPage(spec);
            const double measured = Measure(g, w, h, dpi);
            EXPECT_NEAR(std::fabs(measured), std::abs(a), 1.0) << dpi << " dpi, " << a << " degrees";
            CRotateParam rp{1, dpi, w, h, 0, 0, float(measured)};
            const std::vector<uint8_t> level = normal_rotate(nullptr, g.data(), &rp);
            ASSERT_EQ(level.size(), g.size());
            EXPECT_LE(std::fabs(Measure(level, w, h, dpi)), 1.0) << dpi << " dpi, " << a << " degrees, measured " << measured;
        }
    }
}

}  // namespace
