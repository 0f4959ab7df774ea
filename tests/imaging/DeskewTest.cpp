#include "imaging/Deskew.h"
#include "imaging/DeskewBound.h"
#include "imaging/DeskewParts.h"
#include "imaging/ImagingOracle.h"
#include "imaging/ImagingThreads.h"
#include "imaging/PixelConvert.h"
#include "imaging/Rotate.h"
#include "imaging/SyntheticPage.h"
#include "imaging/TraceCapture.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <random>

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
    constexpr int32_t W = 400, nDiagonal = 565;  // a 400 x 400 page
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

// What the coarse pass gives each bin of 8 rho values must never be less than the points that
// truly fall into it, or a step holding the maximum could be skipped. Runs and spans at random
// places, for steps of the table (step 89 puts points exactly on bin boundaries).
TEST(DeskewHough, CoarseBinsNeverHoldLessThanThePoints)
{
    std::mt19937 rng(8122026);
    auto pick = [&](int32_t lo, int32_t hi) { return std::uniform_int_distribution<int32_t>(lo, hi)(rng); };
    constexpr int32_t kLast = 600;  // highest bin + 1: points beyond it are lumped into the top bin
    for (int32_t step : {0, 1, 44, 89, 90, 134, 135, 179, 269, 270, 300, 356, 359}) {
        const int32_t c = DeskewCosTable()[step], s = DeskewSinTable()[step];
        const CBoundStep st = MakeBoundStep(c, s, kLast);
        for (bool bSpans : {false, true}) {
            constexpr size_t n = 400;
            std::vector<int32_t> y(n), x1(n), len(n), out(5 * n);
            for (size_t k = 0; k < n; ++k)
                y[k] = pick(53, 3400), x1[k] = pick(1, 2400), len[k] = bSpans ? pick(9, 700) : pick(1, 8);
            int32_t *slotA = &out[0], *cntA = &out[n], *slotB = &out[2 * n], *cntB = &out[3 * n], *inner = &out[4 * n];
            BoundSpansPlain(st, y.data(), x1.data(), len.data(), n, slotA, cntA, slotB, cntB, inner);
            for (size_t k = 0; k < n; ++k) {
                std::vector<int64_t> given(size_t(kLast) + 1, 0), truth(size_t(kLast) + 1, 0);
                given[slotA[k]] += cntA[k];
                given[slotB[k]] += cntB[k];
                for (int32_t slot = slotA[k] + 1; bSpans && slot < slotB[k]; ++slot) given[slot] += inner[k];
                for (int32_t i = 0; i < len[k]; ++i) {
                    const int64_t num = int64_t(y[k]) * int64_t(c) + int64_t(x1[k] + i) * int64_t(s);
                    if (num >= 100000) ++truth[size_t(std::min<int64_t>(num / 800000, int64_t(kLast) - 1)) + 1];
                }
                for (size_t slot = 1; slot < truth.size(); ++slot)
                    ASSERT_GE(given[slot], truth[slot]) << "step " << step << " run " << y[k] << "," << x1[k] << "+" << len[k]
                                                        << " slot " << slot;
            }
        }
    }
}

// A step and the one 180 degrees on, bounded in one pass: every run goes to the step where it
// counts, and a run across the line through the origin is added to the second step as well.
TEST(DeskewHough, PairedStepsNeverHoldLessThanThePoints)
{
    std::mt19937 rng(9122026);
    auto pick = [&](int32_t lo, int32_t hi) { return std::uniform_int_distribution<int32_t>(lo, hi)(rng); };
    constexpr int32_t kBins = 602, kSlots = 2 * kBins;
    auto step = [&](int32_t i) { return MakeBoundStep(DeskewCosTable()[i], DeskewSinTable()[i], kBins - 2); };
    int nCrossings = 0;
    for (int32_t i : {90, 100, 134, 160, 178}) {
        const CBoundPair p{step(i), step(i + 180), kBins};
        for (bool bSpans : {false, true}) {
            constexpr size_t n = 400;
            std::vector<int32_t> y(n), x1(n), len(n), out(6 * n);
            for (size_t k = 0; k < n; ++k) {
                y[k] = pick(53, 3400), len[k] = bSpans ? pick(9, 700) : pick(1, 8);
                // Half of them near the line where the first step's rho is 0.
                const int32_t nOnLine = int32_t(-y[k] * p.a.c / p.a.s);
                x1[k] = k % 2 ? pick(1, 2400) : std::clamp(nOnLine - len[k] / 2 + pick(-3, 3), 1, 2400);
            }
            BoundPairPlain(p, y.data(), x1.data(), len.data(), n, &out[0], &out[n], &out[2 * n], &out[3 * n], &out[4 * n],
                           &out[5 * n]);
            for (size_t k = 0; k < n; ++k) {
                std::vector<int64_t> given(kSlots + 1, 0), truth(kSlots + 1, 0);
                auto give = [&](int32_t slotA, int32_t cntA, int32_t slotB, int32_t cntB, int32_t kInner) {
                    given[slotA] += cntA;
                    given[slotB] += cntB;
                    for (int32_t slot = slotA + 1; slot < slotB; ++slot) given[slot] += kInner;
                };
                give(out[k], out[n + k], out[2 * n + k], out[3 * n + k], out[4 * n + k]);
                if (out[5 * n + k]) {
                    ++nCrossings;
                    int32_t sA, cA, sB, cB, kI;
                    BoundSpansPlain(p.b, &y[k], &x1[k], &len[k], 1, &sA, &cA, &sB, &cB, &kI);
                    give(sA + kBins, cA, sB + kBins, cB, kI);
                }
                for (int32_t j = 0; j < len[k]; ++j) {
                    for (int nFrame = 0; nFrame < 2; ++nFrame) {
                        const CBoundStep& st = nFrame ? p.b : p.a;
                        const int64_t num = int64_t(y[k]) * int64_t(st.c) + int64_t(x1[k] + j) * int64_t(st.s);
                        if (num >= 100000) ++truth[nFrame * kBins + std::min<int64_t>(num / 800000, kBins - 3) + 1];
                    }
                }
                for (int32_t slot = 1; slot < kSlots; ++slot) {
                    if (slot == kBins) continue;  // the second step's slot 0
                    ASSERT_GE(given[slot], truth[slot]) << "step " << i << " run " << y[k] << "," << x1[k] << "+" << len[k]
                                                        << " slot " << slot;
                }
            }
        }
    }
    EXPECT_GT(nCrossings, 0);
}

// Runs read from a row, whether kept as columns or (dense) as a bitmap, are exactly the
// groups of neighbouring columns: runs across word boundaries, a run filling whole words and
// runs ending at the row's last column included.
TEST(EdgePoints, RunsAreTheGroupsOfNeighbouringColumns)
{
    std::mt19937 rng(11122026);
    for (int32_t W : {64, 100, 128, 131, 700}) {
        CEdgePoints points(W);
        std::vector<std::vector<uint32_t>> expected;
        for (int32_t y = 0; y < 60; ++y) {
            std::vector<uint64_t> words((W + 63) / 64, 0);
            constexpr int kDensity[] = {1, 3, 12, 30, 50, 59};  // in 60: a column list up to a bitmap
            const int nDensity = kDensity[y % 6];
            uint32_t nCount = 0;
            for (int32_t x = 0; x < W; ++x) {
                const bool bSet = y % 10 == 9 ? (x >= 60 || x % 64 == 63) : int(rng() % 60) < nDensity;
                if (bSet) words[x / 64] |= uint64_t(1) << (x % 64), ++nCount;
            }
            points.AddRow(y, words.data(), nCount);
            if (nCount == 0) continue;
            std::vector<uint32_t> runs;  // first, length, ...
            for (int32_t x = 0; x < W;) {
                if (!(words[x / 64] >> (x % 64) & 1)) { ++x; continue; }
                int32_t e = x;
                while (e < W && (words[e / 64] >> (e % 64) & 1)) ++e;
                runs.push_back(uint32_t(x)), runs.push_back(uint32_t(e - x));
                x = e;
            }
            expected.push_back(runs);
        }
        ASSERT_EQ(points.RowCount(), expected.size());
        for (size_t k = 0; k < points.RowCount(); ++k) {
            std::vector<uint32_t> got;
            points.ForEachRun(k, [&](uint32_t x, uint32_t n) { got.push_back(x), got.push_back(n); });
            ASSERT_EQ(got, expected[k]) << "width " << W << ", row " << points.RowY(k);
        }
    }
}

// The whole coarse pass (runs, splits, the bins' copies and the sums over them) against the
// points truly in each bin of every step: lines of points at several angles, dense rows (kept as bitmaps)
// and scattered points, on one thread and on two.
TEST(DeskewHough, StepBoundsHoldTheFullestBin)
{
    std::mt19937 rng(10122026);
    auto pick = [&](int32_t lo, int32_t hi) { return std::uniform_int_distribution<int32_t>(lo, hi)(rng); };
    constexpr int32_t W = 900, H = 1300;
    const int32_t nDiagonal = int32_t(std::sqrt(double(W) * W + double(H) * H));
    for (int nCase = 0; nCase < 4; ++nCase) {
        std::vector<std::vector<uint64_t>> rows(H, std::vector<uint64_t>((W + 63) / 64, 0));
        auto set = [&](int32_t x, int32_t y) {
            if (x >= 0 && x < W && y >= 53 && y < H - 52) rows[y][x / 64] |= uint64_t(1) << (x % 64);
        };
        for (int nLine = 0; nLine < 12; ++nLine) {  // lines at -20 to 20 degrees from either axis
            const double a = pick(-20, 20) * 3.14159265358979 / 180;
            const int32_t x0 = pick(0, W - 1), y0 = pick(53, H - 53), nLen = pick(50, 700);
            const bool bSteep = nLine % 2 == 1;
            for (int32_t t = 0; t < nLen; ++t) {
                const double u = t * std::cos(a), v = t * std::sin(a);
                set(x0 + int32_t(bSteep ? v : u), y0 + int32_t(bSteep ? u : v));
            }
        }
        for (int32_t y = 53 + pick(0, 50); y < H - 52; y += pick(40, 200))  // dense rows
            for (int32_t x = 0; x < W; ++x)
                if (pick(0, 3) != 0) set(x, y);
        for (int n = 0; n < 3000; ++n) set(pick(0, W - 1), pick(53, H - 53));
        std::vector<CEdgePoints> parts(2, CEdgePoints(W));
        size_t nPoints = 0;
        for (int32_t y = 0; y < H; ++y) {
            uint32_t nCount = 0;
            for (uint64_t word : rows[y]) nCount += uint32_t(std::popcount(word));
            parts[y < H / 2 ? 0 : 1].AddRow(y, rows[y].data(), nCount);
            nPoints += nCount;
        }
        const CBoundRuns runs = MakeRuns(parts, nPoints * 16);
        ASSERT_FALSE(runs.empty());
        // The most points in one bin of 8 rho values (what the bound must hold; the exact
        // maximum of the step is at most that).
        const int32_t nLastBin = nDiagonal / 8 + 1;
        std::vector<int32_t> binMax(360, 0);
        for (int i = 0; i < 360; ++i) {
            std::vector<int32_t> bins(nLastBin, 0);
            for (int32_t y = 0; y < H; ++y)
                for (int32_t x = 0; x < W; ++x)
                    if (rows[y][x / 64] >> (x % 64) & 1) {
                        const int32_t num = y * DeskewCosTable()[i] + (x + 1) * DeskewSinTable()[i];
                        if (num >= 100000) binMax[i] = std::max(binMax[i], ++bins[std::min(num / 800000, nLastBin - 1)]);
                    }
        }
        for (int nThreads : {1, 2}) {
            std::vector<int32_t> bound(360, -1);
            ASSERT_TRUE(BoundSteps(runs, nDiagonal, nThreads, bound));
            for (int i = 0; i < 360; ++i) ASSERT_GE(bound[i], binMax[i]) << "step " << i << ", case " << nCase;
        }
    }
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
            const std::vector<uint8_t> level = oracle::AsBytes(normal_rotate(nullptr, g.data(), &rp));
            ASSERT_EQ(level.size(), g.size());
            EXPECT_LE(std::fabs(Measure(level, w, h, dpi)), 1.0) << dpi << " dpi, " << a << " degrees, measured " << measured;
        }
    }
}

}  // namespace
