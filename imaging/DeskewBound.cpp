// The coarse pass of the Hough search: an upper bound of every step's largest counter, from
// runs of neighbouring points and bins of 8 rho values, so that only the steps that can still
// reach the best count are counted exactly.
#include "imaging/DeskewBound.h"

#include "imaging/CpuFeatures.h"
#include "imaging/Deskew.h"
#include "imaging/DeskewParts.h"
#include "imaging/ImagingThreads.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstring>
#include <new>

namespace {

constexpr int32_t kSteps = 360;
constexpr int32_t kChunk = 8;       // the longest short run: its rho changes by less than a bin
constexpr size_t kBinCopies = 2;
constexpr size_t kBlock = 512;      // runs split at once

// What a split kernel wrote for a block of runs.
struct CSplits {
    const int32_t *slotA, *cntA, *slotB, *cntB, *kInner;
};

// One thread's bins for two steps, each slot s (slot 0: rho not above 0, then bin b at b + 1)
// in kBinCopies copies: neighbouring runs mostly land in the same bin, so consecutive short
// runs add into different copies and one add does not wait for the store of the one before;
// a span's two ends add into different copies.
//
// Every add is one 64-bit add of two counts into neighbouring 32-bit counters, neither of
// which can carry into the other (all are sums of points, far below 2^31). Two adds into the
// same copy either meet exactly or not at all, since a store partly overlapped by a later load
// cannot be forwarded to it and stalls the loop:
// - a short run's two bins are always neighbours (its rho changes by less than a bin):
//   shortBins keeps per slot s the pair (points of runs starting in s, points of runs ending
//   in s + 1);
// - a span gives its two end bins points and the bins between them what one bin can hold,
//   kept as a difference: up at the slot after the low end, down at the high end. spanBins
//   keeps per slot s the triple (down, points, up at s + 1); the low end adds (points, up)
//   and the high end (down, points), into different copies.
struct CBoundWork {
    size_t nSlots = 0;              // both steps
    std::vector<uint32_t> shortBins, spanBins;
    std::vector<int32_t> out;       // the kernels' six output arrays of kBlock
    uint32_t* Short(size_t k) { return shortBins.data() + k * 2 * nSlots; }
    uint32_t* Span(size_t k) { return spanBins.data() + k * 3 * nSlots; }
    int32_t* Out(size_t k) { return out.data() + k * kBlock; }
    CSplits Splits() { return {Out(0), Out(1), Out(2), Out(3), Out(4)}; }
};

using SpanKernel = decltype(&BoundSpansPlain);
using PairKernel = decltype(&BoundPairPlain);

inline void Add2(uint32_t* p, int32_t lo, int32_t hi)
{
    uint64_t v;
    std::memcpy(&v, p, sizeof v);
    v += uint64_t(uint32_t(lo)) | uint64_t(uint32_t(hi)) << 32;
    std::memcpy(p, &v, sizeof v);
}

bool CanVote(int32_t step)
{
    // y * cos + (x + 1) * sin is never positive when both are at most 0: no votes.
    return DeskewCosTable()[step] > 0 || DeskewSinTable()[step] > 0;
}

CBoundStep StepOf(int32_t step, size_t nBins)
{
    return MakeBoundStep(DeskewCosTable()[step], DeskewSinTable()[step], int32_t(nBins - 2));
}

// Short runs: slotB is slotA or the slot after it, and cntB is 0 in the first case.
void AddShortSlots(CBoundWork& w, const CSplits& o, size_t nOffset, size_t m)
{
    const int32_t *slotA = o.slotA, *cntA = o.cntA, *cntB = o.cntB;
    uint32_t* h[kBinCopies];
    for (size_t k = 0; k < kBinCopies; ++k) h[k] = w.Short(k) + 2 * nOffset;
    size_t k = 0;
    for (; k + 2 <= m; k += 2) {
        Add2(h[0] + 2 * slotA[k], cntA[k], cntB[k]);
        Add2(h[1] + 2 * slotA[k + 1], cntA[k + 1], cntB[k + 1]);
    }
    for (; k < m; ++k) Add2(h[0] + 2 * slotA[k], cntA[k], cntB[k]);
}

// Spans: the low end's points with the rise after it, the high end's fall with its points.
void AddSpanSlots(CBoundWork& w, const CSplits& o, size_t nOffset, size_t m)
{
    const int32_t *slotA = o.slotA, *cntA = o.cntA, *slotB = o.slotB, *cntB = o.cntB, *kInner = o.kInner;
    uint32_t *low = w.Span(0) + 3 * nOffset, *high = w.Span(1) + 3 * nOffset;
    for (size_t k = 0; k < m; ++k) {
        Add2(low + 3 * slotA[k] + 1, cntA[k], kInner[k]);
        Add2(high + 3 * slotB[k], kInner[k], cntB[k]);
    }
}

void AddSlots(CBoundWork& w, const CSplits& o, size_t nOffset, size_t m, bool bSpans)
{
    if (bSpans)
        AddSpanSlots(w, o, nOffset, m);
    else
        AddShortSlots(w, o, nOffset, m);
}

// Runs placed in the first step of a pair that also count in the second: added there alone
// (they lie across the line where both steps' rho is near 0, so there are few of them).
void AddCrossings(const CRunList& r, size_t k0, size_t m, const CBoundPair& p, CBoundWork& w, bool bSpans)
{
    const int32_t* bCross = w.Out(5);
    for (size_t k = 0; k < m; ++k)
        if (bCross[k]) {
            const size_t i = k0 + k;
            int32_t slotA, cntA, slotB, cntB, kInner;
            BoundSpansPlain(p.b, &r.y[i], &r.x1[i], &r.n[i], 1, &slotA, &cntA, &slotB, &cntB, &kInner);
            AddSlots(w, CSplits{&slotA, &cntA, &slotB, &cntB, &kInner}, size_t(p.nOffsetB), 1, bSpans);
        }
}

void AddSingle(const CBoundRuns& runs, const CBoundStep& st, CBoundWork& w, SpanKernel split)
{
    for (const bool bSpans : {false, true}) {
        const CRunList& r = bSpans ? runs.spans : runs.shortRuns;
        for (size_t k0 = 0; k0 < r.size(); k0 += kBlock) {
            const size_t m = std::min(kBlock, r.size() - k0);
            split(st, &r.y[k0], &r.x1[k0], &r.n[k0], m, w.Out(0), w.Out(1), w.Out(2), w.Out(3), w.Out(4));
            AddSlots(w, w.Splits(), 0, m, bSpans);
        }
    }
}

void AddPair(const CBoundRuns& runs, const CBoundPair& p, CBoundWork& w, PairKernel pair)
{
    for (const bool bSpans : {false, true}) {
        const CRunList& r = bSpans ? runs.spans : runs.shortRuns;
        for (size_t k0 = 0; k0 < r.size(); k0 += kBlock) {
            const size_t m = std::min(kBlock, r.size() - k0);
            const size_t nCrossings =
                pair(p, &r.y[k0], &r.x1[k0], &r.n[k0], m, w.Out(0), w.Out(1), w.Out(2), w.Out(3), w.Out(4), w.Out(5));
            AddSlots(w, w.Splits(), 0, m, bSpans);
            if (nCrossings != 0)
                AddCrossings(r, k0, m, p, w, bSpans);
        }
    }
}

// The largest bin of each of the two steps in w (slot 0 of each holds rho not above 0).
std::pair<int32_t, int32_t> Maxima(CBoundWork& w)
{
    const size_t nBins = w.nSlots / 2;
    int64_t nMax[2] = {0, 0}, nInner = 0, nUpNext = 0, nEndingNext = 0;
    for (size_t b = 0; b < w.nSlots; ++b) {
        int64_t nPoints = nEndingNext, nDown = 0, nUp = 0, nEnding = 0;
        for (size_t k = 0; k < kBinCopies; ++k) {
            const uint32_t *h = w.Short(k) + 2 * b, *t = w.Span(k) + 3 * b;
            nPoints += h[0] + t[1];
            nEnding += h[1];
            nDown += t[0], nUp += t[2];
        }
        nInner += nUpNext - nDown;
        nUpNext = nUp, nEndingNext = nEnding;
        if (b % nBins != 0)
            nMax[b / nBins] = std::max(nMax[b / nBins], nPoints + nInner);
    }
    return {int32_t(std::min<int64_t>(nMax[0], INT32_MAX)), int32_t(std::min<int64_t>(nMax[1], INT32_MAX))};
}

// The runs of one part's point rows; false when they pass nBudget bytes.
bool AddRunsOf(const CEdgePoints& part, size_t nBudget, CBoundRuns& runs)
{
    const size_t nMaxRuns = nBudget / (3 * sizeof(int32_t));
    bool bFits = true;
    for (size_t k = 0; k < part.RowCount() && bFits; ++k)
        part.ForEachRun(k, [&](uint32_t x, uint32_t n) {
            (n > uint32_t(kChunk) ? runs.spans : runs.shortRuns).push(part.RowY(k), int32_t(x) + 1, int32_t(n));
            bFits = bFits && runs.shortRuns.size() + runs.spans.size() <= nMaxRuns;
        });
    return bFits;
}

void Append(CRunList& to, const CRunList& from)
{
    to.y.insert(to.y.end(), from.y.begin(), from.y.end());
    to.x1.insert(to.x1.end(), from.x1.begin(), from.x1.end());
    to.n.insert(to.n.end(), from.n.begin(), from.n.end());
}

}  // namespace

CBoundRuns MakeRuns(const std::vector<CEdgePoints>& parts, size_t nBudget)
{
    // Each thread takes whole parts; their runs are joined in the parts' order.
    std::vector<CBoundRuns> pieces(parts.size());
    std::vector<char> failed(parts.size(), 0);
    ForEachRowPart(0, int32_t(parts.size()), 1, parts.size(), [&](int, int32_t p0, int32_t p1) {
        for (int32_t p = p0; p < p1; ++p) {
            try {
                failed[p] = !AddRunsOf(parts[p], nBudget, pieces[p]);
            } catch (const std::bad_alloc&) {
                failed[p] = 2;
            }
        }
    });
    if (std::find(failed.begin(), failed.end(), 2) != failed.end())
        throw std::bad_alloc();
    CBoundRuns runs;
    size_t nRuns = 0;
    for (const CBoundRuns& piece : pieces) nRuns += piece.shortRuns.size() + piece.spans.size();
    if (std::find(failed.begin(), failed.end(), 1) != failed.end() || nRuns * 3 * sizeof(int32_t) > nBudget)
        return {};
    for (const CBoundRuns& piece : pieces) {
        Append(runs.shortRuns, piece.shortRuns);
        Append(runs.spans, piece.spans);
    }
    return runs;
}

bool BoundSteps(const CBoundRuns& runs, int32_t nDiagonal, int nThreads, std::vector<int32_t>& bound)
{
    // A step and the one 180 degrees on share a pass when both can vote: the points positive
    // for one are (nearly) the points negative for the other.
    std::vector<std::pair<int32_t, int32_t>> tasks;  // (step, second step or -1)
    std::vector<CBoundWork> work(std::max(nThreads, 1));
    // Width plus height is below 1.5 times the diagonal: below the limit, every numerator fits
    // the 32-bit kernels.
    const bool bNarrow = (int64_t(nDiagonal) + 1) * 3 / 2 < kBoundNarrowLimit;
    const SpanKernel split = HasAvx2() && bNarrow ? BoundSpansAvx2 : BoundSpansPlain;
    const PairKernel pair = HasAvx2() && bNarrow ? BoundPairAvx2 : BoundPairPlain;
    const size_t nBins = static_cast<size_t>(nDiagonal) / kChunk + 3;  // per step
    try {
        for (int32_t i = 0; i < kSteps / 2; ++i) {
            const bool bA = CanVote(i), bB = CanVote(i + kSteps / 2);
            if (bA || bB)
                tasks.emplace_back(bA ? i : i + kSteps / 2, bA && bB ? i + kSteps / 2 : -1);
        }
        for (CBoundWork& w : work) {
            w.nSlots = 2 * nBins;
            w.shortBins.resize(kBinCopies * 2 * w.nSlots);
            w.spanBins.resize(kBinCopies * 3 * w.nSlots);
            w.out.resize(6 * kBlock);
        }
    } catch (const std::bad_alloc&) {
        return false;
    }
    std::fill(bound.begin(), bound.end(), 0);
    std::atomic<size_t> nNext{0};
    ForEachRowPart(0, int32_t(work.size()), 1, work.size(), [&](int k, int32_t, int32_t) {
        CBoundWork& w = work[k];
        for (size_t t = nNext++; t < tasks.size(); t = nNext++) {
            const auto [a, b] = tasks[t];
            std::fill(w.shortBins.begin(), w.shortBins.end(), 0);
            std::fill(w.spanBins.begin(), w.spanBins.end(), 0);
            if (b < 0)
                AddSingle(runs, StepOf(a, nBins), w, split);
            else
                AddPair(runs, CBoundPair{StepOf(a, nBins), StepOf(b, nBins), int32_t(nBins)}, w, pair);
            const auto [nA, nB] = Maxima(w);
            bound[a] = nA;
            if (b >= 0) bound[b] = nB;
        }
    });
    return true;
}

CBoundStep MakeBoundStep(int32_t c, int32_t s, int32_t last)
{
    const int32_t nAbs = s < 0 ? -s : s;
    return {c, s, nAbs == 0 ? 0.0f : 1.0f / float(nAbs), last, nAbs == 0 ? INT32_MAX : kBoundCoarse / nAbs + 1};
}

namespace {

int64_t BinOf(int64_t num, int32_t last) { return num < kBoundScale ? -1 : std::min<int64_t>(num / kBoundCoarse, last - 1); }

// How many steps of the run's sin lie below a distance d of numerators, estimated in single
// precision: never more than one below the true number (d * inv is within a thousandth of it).
int32_t Steps(int64_t d, float inv) { return int32_t(std::trunc(float(d) * inv)); }

// Where a run of n points from lo to hi (numerators, either direction) falls: the end bins with
// the points each is given, and what every bin between them is given.
void SplitSpan(int64_t lo, int64_t hi, int32_t n, const CBoundStep& st, int32_t nOffset, int32_t& slotA, int32_t& cntA,
               int32_t& slotB, int32_t& cntB, int32_t& kInner)
{
    const int64_t bl = BinOf(lo, st.last), bh = BinOf(hi, st.last);
    slotA = int32_t(bl + 1) + nOffset;
    slotB = int32_t(bh + 1) + nOffset;
    if (bl == bh) {
        cntA = n, cntB = 0, kInner = 0;
        return;
    }
    // Points below the first value past the low bin (at most one more than the steps below it),
    // and from the first value of the high one; each estimate is at most one short.
    const int64_t dLo = std::max<int64_t>((bl + 1) * kBoundCoarse, kBoundScale) - lo;
    const int64_t dHi = std::max<int64_t>(bh * kBoundCoarse, kBoundScale) - lo;
    cntA = std::min(Steps(dLo, st.inv) + 2, n);
    cntB = std::max(std::min(n - Steps(dHi, st.inv) + 1, n), 0);
    kInner = bh - bl >= 2 ? std::min(st.perBin, n) : 0;
}

}  // namespace

void BoundSpansPlain(const CBoundStep& st, const int32_t* y, const int32_t* x1, const int32_t* n, size_t count,
                     int32_t* slotA, int32_t* cntA, int32_t* slotB, int32_t* cntB, int32_t* kInner)
{
    for (size_t k = 0; k < count; ++k) {
        const int64_t num0 = int64_t(y[k]) * st.c + int64_t(x1[k]) * st.s;
        const int64_t numL = num0 + int64_t(n[k] - 1) * st.s;
        SplitSpan(std::min(num0, numL), std::max(num0, numL), n[k], st, 0, slotA[k], cntA[k], slotB[k], cntB[k], kInner[k]);
    }
}

size_t BoundPairPlain(const CBoundPair& p, const int32_t* y, const int32_t* x1, const int32_t* n, size_t count,
                      int32_t* slotA, int32_t* cntA, int32_t* slotB, int32_t* cntB, int32_t* kInner, int32_t* bCross)
{
    size_t nCrossings = 0;
    for (size_t k = 0; k < count; ++k) {
        const int64_t a0 = int64_t(y[k]) * p.a.c + int64_t(x1[k]) * p.a.s, aL = a0 + int64_t(n[k] - 1) * p.a.s;
        const int64_t b0 = int64_t(y[k]) * p.b.c + int64_t(x1[k]) * p.b.s, bL = b0 + int64_t(n[k] - 1) * p.b.s;
        const bool bUseB = std::max(a0, aL) < kBoundScale;  // nothing of the run counts in the first step
        if (bUseB)
            SplitSpan(std::min(b0, bL), std::max(b0, bL), n[k], p.b, p.nOffsetB, slotA[k], cntA[k], slotB[k], cntB[k], kInner[k]);
        else
            SplitSpan(std::min(a0, aL), std::max(a0, aL), n[k], p.a, 0, slotA[k], cntA[k], slotB[k], cntB[k], kInner[k]);
        bCross[k] = !bUseB && std::max(b0, bL) >= kBoundScale;
        nCrossings += size_t(bCross[k]);
    }
    return nCrossings;
}
