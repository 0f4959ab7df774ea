// Hough transform over the edge points: rho = (y * cos + (x + 1) * sin) / 100000 for 360 steps,
// truncated, counted where rho > 0 (a numerator below 100000 gives rho 0 and is not counted).
// The full (rho, step) table is never built: each thread counts one step at a time over all
// points in a histogram that stays in cache, only for the steps whose bound can still reach the
// best count, and keeps only the cells at the largest count it has seen.
#include "imaging/DeskewBound.h"
#include "imaging/DeskewParts.h"
#include "imaging/Deskew.h"
#include "imaging/ImagingThreads.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <climits>
#include <new>

namespace {

constexpr int32_t kSteps = 360;
constexpr int32_t kScale = 100000;

struct CHoughThread {
    CHoughMaxima best;
    std::vector<int32_t> hist;      // nDiagonal + 1 counters of the step being counted
    std::vector<uint32_t> scratch;  // columns of a dense point row
};

// Counts the points of one row into the histogram of one step. Num is the arithmetic type:
// 32 bits whenever the page is small enough for the products to fit, else 64.
template <typename Num>
void CountRow(int32_t* pHist, int32_t nRhoMax, Num y, Num c, Num s, const uint32_t* xs, size_t n)
{
    const Num base = y * c + s;  // the (x + 1) * sin term's extra sin
    for (size_t k = 0; k < n; ++k) {
        const Num num = base + static_cast<Num>(xs[k]) * s;
        if (num >= kScale) {
            const Num rho = num / kScale;
            if (rho <= nRhoMax) ++pHist[rho];
        }
    }
}

// The cells at the largest count of steps [s0, s1), merged into t.best.
void KeepMaxima(CHoughThread& t, int32_t nRhoMax, int32_t s0, int32_t s1)
{
    const size_t nRho = static_cast<size_t>(nRhoMax) + 1;
    for (int32_t step = s0; step < s1; ++step) {
        const int32_t* h = &t.hist[nRho * (step - s0)];
        const int32_t nMax = *std::max_element(h, h + nRho);
        if (nMax == 0 || nMax < t.best.nVotes)
            continue;
        if (nMax > t.best.nVotes) {
            t.best.nVotes = nMax;
            t.best.cells.clear();
        }
        for (size_t rho = 0; rho < nRho; ++rho)
            if (h[rho] == nMax) t.best.cells.emplace_back(static_cast<int32_t>(rho), step);
    }
}

// Exact counts of one step into t.hist (one row of nRhoMax + 1 counters).
template <typename Num>
void CountStep(const std::vector<CEdgePoints>& parts, int32_t nRhoMax, int32_t step, CHoughThread& t)
{
    std::fill(t.hist.begin(), t.hist.end(), 0);
    for (const CEdgePoints& part : parts)
        for (size_t k = 0; k < part.RowCount(); ++k) {
            const auto [xs, n] = part.RowColumns(k, t.scratch.data());
            CountRow<Num>(t.hist.data(), nRhoMax, Num(part.RowY(k)), DeskewCosTable()[step], DeskewSinTable()[step], xs, n);
        }
}

}  // namespace

bool FindHoughMaxima(const std::vector<CEdgePoints>& parts, int32_t nWidth, int32_t nDiagonal, CHoughMaxima& result)
{
    std::vector<CHoughThread> threads;
    CBoundRuns runs;
    size_t nPoints = 0;
    for (const CEdgePoints& p : parts) nPoints += p.Count();
    try {
        threads.resize(GetImagingThreads());
        for (CHoughThread& t : threads) {
            t.hist.resize(static_cast<size_t>(nDiagonal) + 1);
            t.scratch.resize(nWidth);
        }
        runs = MakeRuns(parts, nPoints * sizeof(uint32_t));  // no more than the points themselves
    } catch (const std::bad_alloc&) {
        return false;
    }
    // Bounds first (without runs every step is simply counted), then exact counts in order of
    // falling bound until no remaining step can reach the best count found.
    std::vector<int32_t> bound(kSteps, INT32_MAX);
    if (!runs.empty() && !BoundSteps(runs, nDiagonal, int(threads.size()), bound))
        return false;
    std::vector<int32_t> order(kSteps);
    for (int32_t i = 0; i < kSteps; ++i) order[i] = i;
    std::stable_sort(order.begin(), order.end(), [&](int32_t a, int32_t b) { return bound[a] > bound[b]; });
    std::atomic<int32_t> nNext{0}, nBest{0};
    // |y * cos + (x + 1) * sin| stays below (W + H) * 100000: 32-bit arithmetic is exact below
    // 21474 pixels of width plus height, beyond that it would wrap.
    const bool bNarrow = int64_t(nWidth) + nDiagonal < 21000;
    const int nUsed = ForEachRowPart(0, int32_t(threads.size()), 1, threads.size(), [&](int k, int32_t, int32_t) {
        CHoughThread& t = threads[k];
        for (int32_t i = nNext++; i < kSteps; i = nNext++) {
            const int32_t step = order[i];
            if (bound[step] < nBest.load() || bound[step] == 0)
                break;  // sorted: no later step can reach the best either
            if (bNarrow)
                CountStep<int32_t>(parts, nDiagonal, step, t);
            else
                CountStep<int64_t>(parts, nDiagonal, step, t);
            KeepMaxima(t, nDiagonal, step, step + 1);
            int32_t nSeen = nBest.load();
            while (t.best.nVotes > nSeen && !nBest.compare_exchange_weak(nSeen, t.best.nVotes)) {}
        }
    });
    result = CHoughMaxima{};
    for (int k = 0; k < nUsed; ++k) {
        const CHoughThread& t = threads[k];
        if (t.best.nVotes > result.nVotes)
            result = t.best;
        else if (t.best.nVotes == result.nVotes && t.best.nVotes > 0)
            result.cells.insert(result.cells.end(), t.best.cells.begin(), t.best.cells.end());
    }
    std::sort(result.cells.begin(), result.cells.end());
    return true;
}
