// The coarse pass of the Hough search: for one step, how each run of neighbouring edge points
// splits between two neighbouring bins of 8 rho values. One version per instruction set; all
// give the same splits (every quantity is exact in double precision).
#pragma once

#include <cstddef>
#include <cstdint>

struct CBoundStep {
    double c, s;      // cos and sin table entries of the step
    double inv;       // 1 / |sin| (a large number for sin = 0)
    double last;      // highest coarse bin
};

// Runs k in [0, count): first row y[k], first column + 1 in x1[k], length n[k]. Writes the two
// slots (bin + 1, slot 0 for rho not above 0) and the points each is given.
void BoundSplitsPlain(const CBoundStep& st, const int32_t* y, const int32_t* x1, const int32_t* n, size_t count,
                      int32_t* slotA, int32_t* cntA, int32_t* slotB, int32_t* cntB);
void BoundSplitsAvx2(const CBoundStep& st, const int32_t* y, const int32_t* x1, const int32_t* n, size_t count,
                     int32_t* slotA, int32_t* cntA, int32_t* slotB, int32_t* cntB);

// Spans longer than a run: a span's rho range may cross several bins. Writes the bins of its two
// ends (slots as above) with the points each is given, and kInner: what every bin strictly
// between them is given (0 when there is none), to be added over the slots slotA + 1 to slotB - 1.
void BoundSpansPlain(const CBoundStep& st, const int32_t* y, const int32_t* x1, const int32_t* n, size_t count,
                     int32_t* slotA, int32_t* cntA, int32_t* slotB, int32_t* cntB, int32_t* kInner);
void BoundSpansAvx2(const CBoundStep& st, const int32_t* y, const int32_t* x1, const int32_t* n, size_t count,
                    int32_t* slotA, int32_t* cntA, int32_t* slotB, int32_t* cntB, int32_t* kInner);

// 1 / (8 * 100000), nudged up so that floor(num * kInvCoarse) never falls below num / 800000.
constexpr double kInvCoarse = (1.0 / 800000.0) * (1.0 + 1.0 / (1ull << 50));
constexpr double kScaleD = 100000.0;
constexpr double kCoarseD = 800000.0;
