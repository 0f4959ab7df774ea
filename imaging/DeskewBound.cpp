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
#include <new>

namespace {

constexpr int32_t kSteps = 360;
constexpr int32_t kChunk = 8;       // the longest short run: its rho changes by less than a bin
constexpr size_t kBinCopies = 4;
constexpr size_t kBlock = 512;      // runs split at once

// One thread's bins: kBinCopies copies of two steps' slots. Neighbouring runs mostly land in
// the same bin, so consecutive runs add into different copies and one add does not wait for
// the store of the one before.
struct CBoundWork {
    size_t nBins = 0;               // slots per step: slot 0 (rho not above 0), then bin b at b + 1
    std::vector<int32_t> coarse;
    std::vector<int32_t> inner;     // differences of what spans give the bins between their ends, two copies
    std::vector<int32_t> out;       // the kernels' six output arrays of kBlock
    int32_t* Copy(size_t k) { return coarse.data() + k * 2 * nBins; }
    int32_t* Inner(size_t k) { return inner.data() + k * (2 * nBins + 1); }
    int32_t* Out(size_t k) { return out.data() + k * kBlock; }
};

bool CanVote(int32_t step)
{
    // y * cos + (x + 1) * sin is never positive when both are at most 0: no votes.
    return DeskewCosTable()[step] > 0 || DeskewSinTable()[step] > 0;
}

CBoundStep StepOf(int32_t step, size_t nBins)
{
    return MakeBoundStep(DeskewCosTable()[step], DeskewSinTable()[step], int32_t(nBins - 2));
}

// Short runs through a split kernel: two slots each.
template <typename Kernel>
void AddShortRuns(const CRunList& r, CBoundWork& w, Kernel split)
{
    int32_t *slotA = w.Out(0), *cntA = w.Out(1), *slotB = w.Out(2), *cntB = w.Out(3);
    int32_t *h0 = w.Copy(0), *h1 = w.Copy(1), *h2 = w.Copy(2), *h3 = w.Copy(3);
    for (size_t k0 = 0; k0 < r.size(); k0 += kBlock) {
        const size_t m = std::min(kBlock, r.size() - k0);
        split(k0, m);
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
}

// Spans: two slots and the bins between them. Most spans give the bins between nothing, so
// neighbouring spans add into different copies here too.
void AddSpanSlots(CBoundWork& w, size_t m)
{
    const int32_t *slotA = w.Out(0), *cntA = w.Out(1), *slotB = w.Out(2), *cntB = w.Out(3), *kInner = w.Out(4);
    int32_t *h0 = w.Copy(0), *h1 = w.Copy(1), *h2 = w.Copy(2), *h3 = w.Copy(3);
    int32_t *in0 = w.Inner(0), *in1 = w.Inner(1);
    size_t k = 0;
    for (; k + 2 <= m; k += 2) {
        h0[slotA[k]] += cntA[k];
        h1[slotB[k]] += cntB[k];
        in0[slotA[k] + 1] += kInner[k];
        in0[slotB[k]] -= kInner[k];
        h2[slotA[k + 1]] += cntA[k + 1];
        h3[slotB[k + 1]] += cntB[k + 1];
        in1[slotA[k + 1] + 1] += kInner[k + 1];
        in1[slotB[k + 1]] -= kInner[k + 1];
    }
    for (; k < m; ++k) {
        h0[slotA[k]] += cntA[k];
        h1[slotB[k]] += cntB[k];
        in0[slotA[k] + 1] += kInner[k];
        in0[slotB[k]] -= kInner[k];
    }
}

// Runs placed in the first step of a pair that also count in the second: added there alone
// (they lie across the line where both steps' rho is near 0, so there are few of them).
void AddCrossings(const CRunList& r, size_t k0, size_t m, size_t nCrossings, const CBoundPair& p, CBoundWork& w)
{
    if (nCrossings == 0)
        return;
    const int32_t* bCross = w.Out(5);
    const size_t nOffset = size_t(p.nOffsetB);
    for (size_t k = 0; k < m; ++k)
        if (bCross[k]) {
            const size_t i = k0 + k;
            int32_t slotA, cntA, slotB, cntB, kInner;
            BoundSpansPlain(p.b, &r.y[i], &r.x1[i], &r.n[i], 1, &slotA, &cntA, &slotB, &cntB, &kInner);
            w.Copy(2)[nOffset + slotA] += cntA;
            w.Copy(3)[nOffset + slotB] += cntB;
            w.Inner(0)[nOffset + slotA + 1] += kInner;
            w.Inner(0)[nOffset + slotB] -= kInner;
        }
}

void AddSingle(const CBoundRuns& runs, const CBoundStep& st, CBoundWork& w, bool bWide)
{
    const bool bAvx2 = HasAvx2() && !bWide;
    const CRunList& r = runs.shortRuns;
    const auto span = bAvx2 ? BoundSpansAvx2 : BoundSpansPlain;
    AddShortRuns(r, w, [&](size_t k0, size_t m) {
        span(st, &r.y[k0], &r.x1[k0], &r.n[k0], m, w.Out(0), w.Out(1), w.Out(2), w.Out(3), w.Out(4));
    });
    const CRunList& sp = runs.spans;
    for (size_t k0 = 0; k0 < sp.size(); k0 += kBlock) {
        const size_t m = std::min(kBlock, sp.size() - k0);
        span(st, &sp.y[k0], &sp.x1[k0], &sp.n[k0], m, w.Out(0), w.Out(1), w.Out(2), w.Out(3), w.Out(4));
        AddSpanSlots(w, m);
    }
}

void AddPair(const CBoundRuns& runs, const CBoundPair& p, CBoundWork& w, bool bWide)
{
    const auto pair = HasAvx2() && !bWide ? BoundPairAvx2 : BoundPairPlain;
    const CRunList& r = runs.shortRuns;
    AddShortRuns(r, w, [&](size_t k0, size_t m) {
        const size_t nCrossings = pair(p, &r.y[k0], &r.x1[k0], &r.n[k0], m, w.Out(0), w.Out(1), w.Out(2), w.Out(3), w.Out(4), w.Out(5));
        AddCrossings(r, k0, m, nCrossings, p, w);
    });
    const CRunList& sp = runs.spans;
    for (size_t k0 = 0; k0 < sp.size(); k0 += kBlock) {
        const size_t m = std::min(kBlock, sp.size() - k0);
        const size_t nCrossings =
            pair(p, &sp.y[k0], &sp.x1[k0], &sp.n[k0], m, w.Out(0), w.Out(1), w.Out(2), w.Out(3), w.Out(4), w.Out(5));
        AddCrossings(sp, k0, m, nCrossings, p, w);
        AddSpanSlots(w, m);
    }
}

// The largest bin of each of the two steps in w (slot 0 of each holds rho not above 0).
std::pair<int32_t, int32_t> Maxima(CBoundWork& w)
{
    int32_t *h0 = w.Copy(0), *h1 = w.Copy(1), *h2 = w.Copy(2), *h3 = w.Copy(3);
    int32_t nMax[2] = {0, 0}, nInner = 0;
    for (size_t b = 0; b < 2 * w.nBins; ++b) {
        nInner += w.Inner(0)[b] + w.Inner(1)[b];
        if (b % w.nBins != 0)
            nMax[b / w.nBins] = std::max(nMax[b / w.nBins], h0[b] + h1[b] + h2[b] + h3[b] + nInner);
    }
    return {nMax[0], nMax[1]};
}

}  // namespace

namespace {

// The runs of one part's point rows; false when they pass nBudget bytes.
bool AddRunsOf(const CEdgePoints& part, int32_t nWidth, size_t nBudget, CBoundRuns& runs)
{
    std::vector<uint32_t> scratch(nWidth);
    for (size_t k = 0; k < part.RowCount(); ++k) {
        const auto [xs, n] = part.RowColumns(k, scratch.data());
        for (size_t j = 0; j < n;) {
            size_t e = j + 1;
            while (e < n && xs[e] == xs[e - 1] + 1) ++e;
            (e - j > size_t(kChunk) ? runs.spans : runs.shortRuns).push(part.RowY(k), int32_t(xs[j]) + 1, int32_t(e - j));
            if ((runs.shortRuns.size() + runs.spans.size()) * 3 * sizeof(int32_t) > nBudget)
                return false;
            j = e;
        }
    }
    return true;
}

void Append(CRunList& to, const CRunList& from)
{
    to.y.insert(to.y.end(), from.y.begin(), from.y.end());
    to.x1.insert(to.x1.end(), from.x1.begin(), from.x1.end());
    to.n.insert(to.n.end(), from.n.begin(), from.n.end());
}

}  // namespace

CBoundRuns MakeRuns(const std::vector<CEdgePoints>& parts, int32_t nWidth, size_t nBudget)
{
    // Each thread takes whole parts; their runs are joined in the parts' order.
    std::vector<CBoundRuns> pieces(parts.size());
    std::vector<char> failed(parts.size(), 0);
    ForEachRowPart(0, int32_t(parts.size()), 1, parts.size(), [&](int, int32_t p0, int32_t p1) {
        for (int32_t p = p0; p < p1; ++p) {
            try {
                failed[p] = !AddRunsOf(parts[p], nWidth, nBudget, pieces[p]);
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
    const bool bWide = (int64_t(nDiagonal) + 1) * 3 / 2 >= kBoundNarrowLimit;
    try {
        for (int32_t i = 0; i < kSteps / 2; ++i) {
            const bool bA = CanVote(i), bB = CanVote(i + kSteps / 2);
            if (bA || bB)
                tasks.emplace_back(bA ? i : i + kSteps / 2, bA && bB ? i + kSteps / 2 : -1);
        }
        for (CBoundWork& w : work) {
            w.nBins = static_cast<size_t>(nDiagonal) / kChunk + 3;
            w.coarse.resize(kBinCopies * 2 * w.nBins);
            w.inner.resize(2 * (2 * w.nBins + 1));
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
            std::fill(w.coarse.begin(), w.coarse.end(), 0);
            std::fill(w.inner.begin(), w.inner.end(), 0);
            if (b < 0)
                AddSingle(runs, StepOf(a, w.nBins), w, bWide);
            else
                AddPair(runs, CBoundPair{StepOf(a, w.nBins), StepOf(b, w.nBins), int32_t(w.nBins)}, w, bWide);
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
