// The coarse pass of the Hough search: for every step, an upper bound of its largest counter,
// from how runs of neighbouring edge points fall into bins of 8 rho values. The kernels come in
// one version per instruction set; all give the same splits (the same integer and
// single-precision operations in the same order).
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

class CEdgePoints;

// Runs of neighbouring points of a row as three arrays (row, first column + 1, length), so
// that the kernels can load eight of a kind at once.
struct CRunList {
    std::vector<int32_t> y, x1, n;
    size_t size() const { return y.size(); }
    void push(int32_t nY, int32_t nX1, int32_t nLen) { y.push_back(nY), x1.push_back(nX1), n.push_back(nLen); }
};
// Runs of at most 8 points fall into one or two bins; longer ones (the top and bottom edges of
// text lines) are kept whole as spans, which cost the same whatever their length.
struct CBoundRuns {
    CRunList shortRuns, spans;
    bool empty() const { return shortRuns.size() + spans.size() == 0; }
};

// The runs of the point rows; empty when they would take more memory than nBudget bytes.
// May throw std::bad_alloc.
CBoundRuns MakeRuns(const std::vector<CEdgePoints>& parts, size_t nBudget);

// bound[step] for the 360 steps, on nThreads threads: no counter of the step exceeds it.
// False when memory ran out.
bool BoundSteps(const CBoundRuns& runs, int32_t nDiagonal, int nThreads, std::vector<int32_t>& bound);

// One step as the kernels use it. The bins are exact (integer division of the numerator); only
// the points given to the end bins of a run are estimated in single precision, with a margin
// that keeps them at or above the true counts.
struct CBoundStep {
    int32_t c, s;     // cos and sin table entries of the step
    float inv;        // 1 / |sin| (0 for sin = 0: then every run lies in one bin)
    int32_t last;     // highest coarse bin
    int32_t perBin;   // the most points of one run in one bin
};
CBoundStep MakeBoundStep(int32_t c, int32_t s, int32_t last);

// The AVX2 kernels compute numerators in 32 bits: they take runs whose |y * cos| + |(x + n) *
// sin| stays below 2^31, which holds when the page's width plus height is below 21000.
constexpr int64_t kBoundNarrowLimit = 21000;

// Runs k in [0, count): first row y[k], first column + 1 in x1[k], length n[k]. A run's rho
// range may cross several bins (a short run's at most two). Writes the bins of its two ends
// (bin + 1, slot 0 for rho not above 0) with the points each is given, and kInner: what every
// bin strictly between them is given (0 when there is none), to be added over the slots
// slotA + 1 to slotB - 1.
void BoundSpansPlain(const CBoundStep& st, const int32_t* y, const int32_t* x1, const int32_t* n, size_t count,
                     int32_t* slotA, int32_t* cntA, int32_t* slotB, int32_t* cntB, int32_t* kInner);
void BoundSpansAvx2(const CBoundStep& st, const int32_t* y, const int32_t* x1, const int32_t* n, size_t count,
                    int32_t* slotA, int32_t* cntA, int32_t* slotB, int32_t* cntB, int32_t* kInner);

// Two steps in one pass (a step and the one 180 degrees on, whose positive rho lie on the
// other side of the same line): each run is placed in the first step where any of its points
// counts there, else in the second (slots offset by nOffsetB). bCross[k] marks the runs that
// also count in the second step although placed in the first: the caller adds those alone.
// Returns how many there are.
struct CBoundPair {
    CBoundStep a, b;
    int32_t nOffsetB;
};
size_t BoundPairPlain(const CBoundPair& p, const int32_t* y, const int32_t* x1, const int32_t* n, size_t count,
                      int32_t* slotA, int32_t* cntA, int32_t* slotB, int32_t* cntB, int32_t* kInner, int32_t* bCross);
size_t BoundPairAvx2(const CBoundPair& p, const int32_t* y, const int32_t* x1, const int32_t* n, size_t count,
                     int32_t* slotA, int32_t* cntA, int32_t* slotB, int32_t* cntB, int32_t* kInner, int32_t* bCross);

constexpr int32_t kBoundScale = 100000;      // numerators below it give rho 0
constexpr int32_t kBoundCoarse = 8 * kBoundScale;  // one bin of 8 rho values
