// Hough transform over the edge points: rho = (y * cos + (x + 1) * sin) / 100000 for 360 steps,
// truncated, counted where rho > 0 (a numerator below 100000 gives rho 0 and is not counted). The full (rho, step) table is never built: each thread counts a few
// steps at a time over all points in cache-sized histograms and keeps only the cells at the
// largest count it has seen.
#include "imaging/CpuFeatures.h"
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
constexpr int32_t kStepsPerBlock = 8;
constexpr int32_t kScale = 100000;

struct CHoughThread {
    CHoughMaxima best;
    std::vector<int32_t> hist;      // kStepsPerBlock rows of nDiagonal + 1 counters
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

// Runs of neighbouring points of a row: the coarse pass bounds the count of every (rho, step)
// cell from them before any step is counted exactly. Runs of at most kChunk points fall into one
// or two bins; longer ones (the top and bottom edges of text lines) are kept whole as spans,
// which cost the same whatever their length.
constexpr int32_t kChunk = 8;
constexpr size_t kBinCopies = 4;
constexpr size_t kBlock = 512;  // runs split at once

// Runs as three arrays, so that the coarse pass can load four of a kind at once.
struct CRunList {
    std::vector<int32_t> y, x1, n;  // row, first column + 1, length
    size_t size() const { return y.size(); }
    void push(int32_t nY, int32_t nX1, int32_t nLen) { y.push_back(nY), x1.push_back(nX1), n.push_back(nLen); }
};
struct CRuns {
    CRunList shortRuns, spans;
    bool empty() const { return shortRuns.size() + spans.size() == 0; }
};

// Splits the point rows into runs; empty when that would take more memory than the budget.
CRuns MakeRuns(const std::vector<CEdgePoints>& parts, int32_t nWidth, size_t nBudget)
{
    CRuns runs;
    std::vector<uint32_t> scratch(nWidth);
    for (const CEdgePoints& part : parts)
        for (size_t k = 0; k < part.RowCount(); ++k) {
            const auto [xs, n] = part.RowColumns(k, scratch.data());
            for (size_t j = 0; j < n;) {
                size_t e = j + 1;
                while (e < n && xs[e] == xs[e - 1] + 1) ++e;
                (e - j > size_t(kChunk) ? runs.spans : runs.shortRuns).push(part.RowY(k), int32_t(xs[j]) + 1, int32_t(e - j));
                if ((runs.shortRuns.size() + runs.spans.size()) * 3 * sizeof(int32_t) > nBudget)
                    return {};
                j = e;
            }
        }
    return runs;
}

// For one step: the largest number of points any bin of 8 rho values can hold. It bounds every
// cell of the step from above: rho of a short run changes by less than 8 over its length, so it
// falls into one coarse bin or is split between two neighbours; a span gives its two end bins
// what falls into them and every bin between at most one bin's width of points. The split
// points are found with a multiply by 1/|sin| instead of a division; they can be one off at an
// exact boundary, so each side takes one point more than found (still a bound). Slot 0 of
// coarse collects points whose rho is not above 0; bin b is slot b + 1. inner holds the
// differences of what spans give the bins between their ends.
int32_t CoarseBound(const CRuns& runs, int32_t step, std::vector<int32_t>& coarse, std::vector<int32_t>& inner,
                    std::vector<int32_t>& splits)
{
    const int32_t c = DeskewCosTable()[step], s = DeskewSinTable()[step];
    if (c <= 0 && s <= 0)
        return 0;  // y * cos + (x + 1) * sin is never positive: the step gets no votes
    std::fill(coarse.begin(), coarse.end(), 0);
    std::fill(inner.begin(), inner.end(), 0);
    // Neighbouring runs mostly land in the same bin: four copies of the bins, so that one add
    // does not wait for the store of the one before.
    const size_t nBins = coarse.size() / kBinCopies;
    const CBoundStep st{double(c), double(s), s == 0 ? 1e9 : 1.0 / double(s < 0 ? -s : s), double(nBins - 2)};
    int32_t *slotA = splits.data(), *cntA = slotA + kBlock, *slotB = cntA + kBlock, *cntB = slotB + kBlock;
    int32_t* kInner = cntB + kBlock;
    const bool bAvx2 = HasAvx2();
    int32_t *h0 = coarse.data(), *h1 = h0 + nBins, *h2 = h1 + nBins, *h3 = h2 + nBins;
    const CRunList& r = runs.shortRuns;
    for (size_t k0 = 0; k0 < r.size(); k0 += kBlock) {
        const size_t m = std::min(kBlock, r.size() - k0);
        (bAvx2 ? BoundSplitsAvx2 : BoundSplitsPlain)(st, &r.y[k0], &r.x1[k0], &r.n[k0], m, slotA, cntA, slotB, cntB);
        size_t k = 0;
        for (; k + 2 <= m; k += 2) {
            h0[slotA[k]] += cntA[k];
            h1[slotB[k]] += cntB[k];
            h2[slotA[k + 1]] += cntA[k + 1];
            h3[slotB[k + 1]] += cntB[k + 1];
        }
        for (; k < m; ++k) {
            h0[slotA[k]] += cntA[k];
            h1[slotB[k]] += cntB[k];
        }
    }
    const CRunList& sp = runs.spans;
    for (size_t k0 = 0; k0 < sp.size(); k0 += kBlock) {
        const size_t m = std::min(kBlock, sp.size() - k0);
        (bAvx2 ? BoundSpansAvx2 : BoundSpansPlain)(st, &sp.y[k0], &sp.x1[k0], &sp.n[k0], m, slotA, cntA, slotB, cntB, kInner);
        for (size_t k = 0; k < m; ++k) {
            h2[slotA[k]] += cntA[k];
            h3[slotB[k]] += cntB[k];
            inner[slotA[k] + 1] += kInner[k];
            inner[slotB[k]] -= kInner[k];
        }
    }
    int32_t nBound = 0, nInner = inner[0];
    for (size_t b = 1; b < nBins; ++b) {  // slot 0: rho not above 0
        nInner += inner[b];
        nBound = std::max(nBound, h0[b] + h1[b] + h2[b] + h3[b] + nInner);
    }
    return nBound;
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
    CRuns runs;
    size_t nPoints = 0;
    for (const CEdgePoints& p : parts) nPoints += p.Count();
    try {
        threads.resize(GetImagingThreads());
        for (CHoughThread& t : threads) {
            t.hist.resize(static_cast<size_t>(nDiagonal) + 1);
            t.scratch.resize(nWidth);
        }
        runs = MakeRuns(parts, nWidth, nPoints * sizeof(uint32_t));  // no more than the points themselves
    } catch (const std::bad_alloc&) {
        return false;
    }
    // Bounds first (without runs every step is simply counted), then exact counts in order of
    // falling bound until no remaining step can reach the best count found.
    std::vector<int32_t> bound(kSteps, INT32_MAX);
    if (!runs.empty()) {
        std::vector<std::vector<int32_t>> coarse(threads.size()), inner(threads.size()), splits(threads.size());
        try {
            for (auto& c : coarse) c.resize(kBinCopies * (static_cast<size_t>(nDiagonal) / kChunk + 3));
            for (auto& in : inner) in.resize(static_cast<size_t>(nDiagonal) / kChunk + 4);
            for (auto& sp : splits) sp.resize(5 * kBlock);
        } catch (const std::bad_alloc&) {
            return false;
        }
        // Steps handed out a few at a time: a quarter of them get no votes and cost nothing, and
        // they all lie in the second half.
        std::atomic<int32_t> nNextBlock{0};
        constexpr int32_t kBlocks = (kSteps + kStepsPerBlock - 1) / kStepsPerBlock;
        ForEachRowPart(0, kBlocks, 1, coarse.size(), [&](int k, int32_t, int32_t) {
            for (int32_t b = nNextBlock++; b < kBlocks; b = nNextBlock++)
                for (int32_t step = b * kStepsPerBlock; step < std::min(kSteps, (b + 1) * kStepsPerBlock); ++step)
                    bound[step] = CoarseBound(runs, step, coarse[k], inner[k], splits[k]);
        });
    }
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

void BoundSplitsPlain(const CBoundStep& st, const int32_t* y, const int32_t* x1, const int32_t* n, size_t count,
                      int32_t* slotA, int32_t* cntA, int32_t* slotB, int32_t* cntB)
{
    const bool bRising = st.s >= 0;
    for (size_t k = 0; k < count; ++k) {
        const double num0 = double(y[k]) * st.c + double(x1[k]) * st.s;
        const double b0 = num0 < kScaleD ? -1.0 : std::min(std::floor(num0 * kInvCoarse), st.last - 1);
        const double room = bRising ? (b0 + 1) * kCoarseD - num0 : num0 - std::max(b0 * kCoarseD, kScaleD);
        const double bNext = bRising ? b0 + 1 : std::max(b0 - 1, -1.0);
        const double q = std::max(std::min(room * st.inv, 64.0), -1.0);
        const double first = std::trunc(q) + 1;
        const double nk = n[k];
        slotA[k] = int32_t(b0 + 1);
        cntA[k] = int32_t(std::max(std::min(first + 1, nk), 0.0));
        slotB[k] = int32_t(bNext + 1);
        cntB[k] = int32_t(std::max(std::min(nk - first + 1, nk), 0.0));
    }
}

void BoundSpansPlain(const CBoundStep& st, const int32_t* y, const int32_t* x1, const int32_t* n, size_t count,
                     int32_t* slotA, int32_t* cntA, int32_t* slotB, int32_t* cntB, int32_t* kInner)
{
    const double nPerBin = std::floor(kCoarseD * st.inv) + 2;  // most points of one span in one bin
    for (size_t k = 0; k < count; ++k) {
        const double nk = n[k];
        const double num0 = double(y[k]) * st.c + double(x1[k]) * st.s;
        const double numL = num0 + (nk - 1) * st.s;
        const double lo = std::min(num0, numL), hi = std::max(num0, numL);
        const double bl = lo < kScaleD ? -1.0 : std::min(std::floor(lo * kInvCoarse), st.last - 1);
        const double bh = hi < kScaleD ? -1.0 : std::min(std::floor(hi * kInvCoarse), st.last - 1);
        const bool bOne = bl == bh;
        // Points below the first value past the low bin, and from the first value of the high one.
        const double qLo = (std::max((bl + 1) * kCoarseD, kScaleD) - lo) * st.inv;
        const double qHi = (std::max(bh * kCoarseD, kScaleD) - lo) * st.inv;
        slotA[k] = int32_t(bl + 1);
        cntA[k] = int32_t(bOne ? nk : std::min(std::trunc(qLo) + 2, nk));
        slotB[k] = int32_t(bh + 1);
        cntB[k] = int32_t(bOne ? 0.0 : std::max(std::min(nk - std::trunc(qHi) + 1, nk), 0.0));
        kInner[k] = int32_t(bh - bl >= 2 ? std::min(nPerBin, nk) : 0.0);
    }
}
