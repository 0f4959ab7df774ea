// The plain and the AVX2 versions of every row kernel give the same bytes, and the row bands
// given to the threads cover a range exactly once. The oracle tests only reach the version the
// test machine picks, so the other one is checked here against it.
#include "imaging/CropRowKernel.h"
#include "imaging/DeskewBound.h"
#include "imaging/DeskewRowKernel.h"
#include "imaging/ImagingThreads.h"
#include "imaging/PageRows.h"
#include "imaging/RotateRows.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <mutex>
#include <random>
#include <vector>

namespace {

bool MachineHasAvx2()
{
#if defined(__x86_64__) || defined(__i386__)
    return __builtin_cpu_supports("avx2") != 0;
#else
    return false;
#endif
}

// Grey values that cross the levels the kernels compare with (128, 145, 150, 250).
std::vector<uint8_t> RandomBytes(std::mt19937& rng, size_t n)
{
    std::vector<uint8_t> v(n);
    std::uniform_int_distribution<int> kind(0, 3), any(0, 255), near(120, 160);
    for (uint8_t& b : v) b = uint8_t(kind(rng) == 0 ? near(rng) : kind(rng) == 1 ? 255 : any(rng));
    return v;
}

class KernelVersions : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!MachineHasAvx2()) GTEST_SKIP() << "no AVX2 on this processor";
    }
    std::mt19937 m_rng{20261208};
    int32_t Pick(int32_t lo, int32_t hi) { return std::uniform_int_distribution<int32_t>(lo, hi)(m_rng); }
};

struct CCropState {
    std::vector<uint8_t> dark, age, s1, s2, s4, s8, count;
    explicit CCropState(int32_t w) : dark(w), age(w, 255), s1(w), s2(w), s4(w), s8(w), count(w) {}
    CCropRowBuffers Buffers() { return {dark.data(), age.data(), s1.data(), s2.data(), s4.data(), s8.data(), count.data()}; }
};

TEST_F(KernelVersions, CropRowsAgreeOverManyRows)
{
    for (int nCase = 0; nCase < 40; ++nCase) {
        const int32_t w = Pick(101, 700), nThreshold = nCase % 5 == 0 ? -1 : nCase % 7 == 0 ? 300 : Pick(0, 255);
        CCropState plain(w), avx2(w);
        for (int nRow = 0; nRow < 300; ++nRow) {  // past 255 rows: the byte counters wrap alike
            const std::vector<uint8_t> g = RandomBytes(m_rng, w);
            ASSERT_EQ(CropDarkRowPlain(g.data(), w, nThreshold, plain.Buffers()),
                      CropDarkRowAvx2(g.data(), w, nThreshold, avx2.Buffers()));
            CropDilateRowPlain(w, plain.Buffers());
            CropDilateRowAvx2(w, avx2.Buffers());
        }
        EXPECT_EQ(plain.dark, avx2.dark) << "width " << w;
        EXPECT_EQ(plain.age, avx2.age) << "width " << w;
        EXPECT_EQ(plain.count, avx2.count) << "width " << w;
    }
}

TEST_F(KernelVersions, PackedBitmapAgreesAtEveryWidth)
{
    for (int32_t w = 1; w <= 200; ++w) {
        const std::vector<uint8_t> g = RandomBytes(m_rng, w);
        const size_t nWords = (size_t(w) + 63) / 64;
        std::vector<uint64_t> a(nWords, ~uint64_t(0)), b(nWords, ~uint64_t(0));
        PackAtOrBelow(g.data(), w, 250, a.data());
        PackAtOrBelowAvx2(g.data(), w, 250, b.data());
        ASSERT_EQ(a, b) << "width " << w;
    }
}

TEST_F(KernelVersions, DeskewRowsAgree)
{
    const CDeskewRowKernels plain = DeskewRowKernelsPlain(), avx2 = DeskewRowKernelsAvx2();
    for (int nCase = 0; nCase < 30; ++nCase) {
        const int32_t w = Pick(101, 500), h = Pick(101, 160);
        const std::vector<uint8_t> page = RandomBytes(m_rng, size_t(w) * h);
        std::vector<uint8_t> ea(w), eb(w);
        for (int32_t e = 0; e < h; ++e) {
            plain.pEdgeRow(page.data(), w, h, e, ea.data());
            avx2.pEdgeRow(page.data(), w, h, e, eb.data());
            ASSERT_EQ(ea, eb) << "row " << e;
        }
        const uint8_t* rows[5];
        for (int k = 0; k < 5; ++k) rows[k] = page.data() + size_t(w) * k;
        std::vector<uint8_t> ca(w), cb(w), da(w), db(w);
        std::vector<uint16_t> sa(w), sb(w);
        for (int32_t r : {0, 52, 53, 60, h - 53, h - 52}) {
            plain.pDilatedSums(rows, ca.data(), da.data(), w, h, r, sa.data());
            avx2.pDilatedSums(rows, cb.data(), db.data(), w, h, r, sb.data());
            ASSERT_EQ(sa, sb) << "row " << r;
        }
        std::vector<uint16_t> prev(w), cur(w);
        for (int32_t x = 0; x < w; ++x) prev[x] = uint16_t(Pick(0, 1275)), cur[x] = uint16_t(x % 3 ? prev[x] : Pick(0, 1275));
        for (int32_t nThreshold : {1, 145, 0, 2000}) {
            const size_t nWords = (size_t(w) + 63) / 64;
            std::vector<uint64_t> wa(nWords), wb(nWords);
            ASSERT_EQ(plain.pPointBits(prev.data(), cur.data(), w, nThreshold, wa.data()),
                      avx2.pPointBits(prev.data(), cur.data(), w, nThreshold, wb.data()));
            ASSERT_EQ(wa, wb) << "threshold " << nThreshold;
        }
        for (int32_t x0 : {0, 50, 77}) {
            ASSERT_EQ(plain.pRowSum(page.data(), x0, w - 50), avx2.pRowSum(page.data(), x0, w - 50));
            std::vector<uint8_t> ka(w, 250), kb(w, 250);  // near wrapping
            ASSERT_EQ(plain.pDarkRow(page.data(), x0, w - 50, 150, ka.data()),
                      avx2.pDarkRow(page.data(), x0, w - 50, 150, kb.data()));
            ASSERT_EQ(ka, kb);
        }
    }
}

TEST_F(KernelVersions, RotationRowsAgreeForGreyAndColour)
{
    // The first cases are narrow colour rows whose last block ends within a vector store of
    // the row's (and the page's) end.
    constexpr int32_t kNarrow[] = {8, 9, 10, 11, 13, 16, 18, 19};
    for (int nCase = 0; nCase < 56; ++nCase) {
        const bool bNarrow = nCase < 16;
        const int32_t w = bNarrow ? kNarrow[nCase / 2] : Pick(1, 300), h = bNarrow ? 1 + nCase % 2 : Pick(1, 300);
        const int32_t ch = bNarrow || nCase % 2 ? 3 : 1;
        const std::vector<uint8_t> src = RandomBytes(m_rng, size_t(w) * h * ch);
        const float theta = float(Pick(-3600, 3600)) / 10.0f * 3.1415927f / 180;
        std::vector<uint8_t> a(src.size(), 7), b(src.size(), 9);
        const CRotateGeometry ga{src.data(), a.data(), w, h, ch, 255, std::cos(theta), std::sin(theta)};
        CRotateGeometry gb = ga;
        gb.pDst = b.data();
        RotateRowsPlain(ga, 0, h);
        RotateRowsAvx2(gb, 0, h);
        ASSERT_EQ(a, b) << w << "x" << h << " channels " << ch;
    }
}

TEST_F(KernelVersions, HoughBoundSpansAgree)
{
    constexpr size_t n = 203;  // not a multiple of four: the tail takes the plain path
    std::vector<int32_t> y(n), x1(n), len(n);
    for (int nCase = 0; nCase < 50; ++nCase) {
        for (size_t k = 0; k < n; ++k) y[k] = Pick(53, 7000), x1[k] = Pick(54, 5000), len[k] = Pick(1, nCase % 2 ? 8 : 3000);
        const int32_t c = Pick(-100000, 100000), s = nCase % 10 == 0 ? 0 : Pick(-100000, 100000);
        const CBoundStep st = MakeBoundStep(c, s, Pick(10, 1200));
        std::vector<int32_t> a(5 * n), b(5 * n);
        BoundSpansPlain(st, y.data(), x1.data(), len.data(), n, &a[0], &a[n], &a[2 * n], &a[3 * n], &a[4 * n]);
        BoundSpansAvx2(st, y.data(), x1.data(), len.data(), n, &b[0], &b[n], &b[2 * n], &b[3 * n], &b[4 * n]);
        ASSERT_EQ(a, b) << "cos " << c << " sin " << s;
    }
}

TEST_F(KernelVersions, HoughBoundPairsAgree)
{
    constexpr size_t n = 203;
    std::vector<int32_t> y(n), x1(n), len(n);
    for (int nCase = 0; nCase < 50; ++nCase) {
        for (size_t k = 0; k < n; ++k) y[k] = Pick(53, 7000), x1[k] = Pick(54, 5000), len[k] = Pick(1, nCase % 2 ? 8 : 3000);
        auto step = [&](int32_t c, int32_t s) { return MakeBoundStep(c, s, 700); };
        const int32_t c = Pick(-100000, 0), s = Pick(0, 100000);
        const CBoundPair p{step(c, s), step(-c - Pick(0, 1), -s - Pick(0, 1)), 702};
        std::vector<int32_t> a(6 * n), b(6 * n);
        const size_t nA = BoundPairPlain(p, y.data(), x1.data(), len.data(), n, &a[0], &a[n], &a[2 * n], &a[3 * n], &a[4 * n], &a[5 * n]);
        const size_t nB = BoundPairAvx2(p, y.data(), x1.data(), len.data(), n, &b[0], &b[n], &b[2 * n], &b[3 * n], &b[4 * n], &b[5 * n]);
        ASSERT_EQ(a, b) << "cos " << c << " sin " << s;
        ASSERT_EQ(nA, nB);
        ASSERT_EQ(nA, size_t(std::count(a.begin() + 5 * n, a.end(), 1)));
    }
}

TEST(RowBands, CoverEveryRowOnceWhateverTheSplit)
{
    for (int nThreads : {1, 2, 3}) {
        SetImagingThreads(nThreads);
        for (auto [nBegin, nEnd, nBand] : {std::tuple{0, 1000, 128}, {5, 6, 128}, {0, 0, 16}, {10, 3, 4},
                                           {0, 257, 1}, {-20, 40, 0}, {0, 300, 300}}) {
            std::vector<int> seen(std::max(0, nEnd - nBegin), 0);
            std::mutex lock;
            std::atomic<int> nMaxPart{-1};
            const int nUsed = ForEachRowBand(nBegin, nEnd, nBand, 2, [&](int k, int32_t y0, int32_t y1) {
                std::lock_guard<std::mutex> guard(lock);
                for (int32_t y = y0; y < y1; ++y) ++seen[y - nBegin];
                if (k > nMaxPart) nMaxPart = k;
            });
            for (size_t i = 0; i < seen.size(); ++i) ASSERT_EQ(seen[i], 1) << "row " << nBegin + int(i);
            EXPECT_GE(nUsed, 1);
            EXPECT_LE(nUsed, 2);  // never more parts than the caller has state for
            EXPECT_LT(nMaxPart.load(), nUsed);
        }
    }
    SetImagingThreads(2);
}

}  // namespace
