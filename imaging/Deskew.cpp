#include "imaging/Deskew.h"

#include "imaging/CpuFeatures.h"
#include "imaging/DeskewParts.h"
#include "imaging/DeskewRowKernel.h"
#include "imaging/DeskewTables.h"
#include "imaging/ImagingThreads.h"
#include "imaging/PageRows.h"
#include "profile/Trace.h"

#include <algorithm>
#include <cmath>
#include <new>

namespace {

constexpr int32_t kEdge = 50;  // search margin on every side
constexpr int32_t kBlock = 14; // neighbourhood of the corner measurements (trace only)

struct CDeskewThresholds {
    int32_t nThreshold;
    int32_t nCount;
};

CDeskewRowKernels RowKernels()
{
    return HasAvx2() ? DeskewRowKernelsAvx2() : DeskewRowKernelsPlain();
}

CDeskewThresholds ThresholdsFor(int32_t nResolution, double m)
{
    auto pick = [m](double dFloor, double dMinus) {
        return static_cast<int32_t>(m >= dFloor ? m - dMinus : m);
    };
    switch (nResolution) {
    case 75: return {pick(20, 50), 15};
    case 150: return {pick(40, 70), 25};
    case 300: return {pick(50, 80), 30};
    case 600: return {pick(60, 90), 60};
    case 1200: return {pick(80, 80), 15};
    default: return {0, 15};
    }
}

// Mean of the searched area: the per-row means added up in row order, as doubles.
double PageMean(const uint8_t* pGray, int32_t W, int32_t H)
{
    std::vector<int64_t> rowSum(H, 0);
    const CDeskewRowKernels k = RowKernels();
    ForEachRowBand(kEdge, H - kEdge, 256, 0, [&](int, int32_t y0, int32_t y1) {
        for (int32_t y = y0; y < y1; ++y) rowSum[y] = k.pRowSum(pGray + static_cast<size_t>(W) * y, kEdge, W - kEdge);
    });
    double dTotal = 0;
    for (int32_t y = kEdge; y < H - kEdge; ++y) dTotal += static_cast<double>(rowSum[y]) / (W - 2 * kEdge);
    return dTotal / (H - 2 * kEdge);
}

// Dark pixel counts (at or below the threshold) per row and per column of the searched area.
struct CDarkCounts {
    std::vector<int32_t> row;
    std::vector<int32_t> col;
    int64_t nTotal = 0;
};

void CountDark(const uint8_t* pGray, int32_t W, int32_t H, int32_t nThreshold, CDarkCounts& dark)
{
    dark.row.assign(H, 0);
    const int nParts = GetImagingThreads();
    std::vector<std::vector<int32_t>> cols(nParts, std::vector<int32_t>(W, 0));
    std::vector<std::vector<uint8_t>> bytes(nParts, std::vector<uint8_t>(W, 0));  // emptied into cols every 255 rows
    const uint8_t level = static_cast<uint8_t>(std::clamp(nThreshold, -1, 255));
    const bool bNone = nThreshold < 0;
    const CDeskewRowKernels kernels = RowKernels();
    // Bands of 255 rows: each band's byte counters are emptied into the part's totals at its end.
    const int nUsed = ForEachRowBand(kEdge, H - kEdge, 255, cols.size(), [&](int k, int32_t y0, int32_t y1) {
        int32_t* col = cols[k].data();
        uint8_t* counts = bytes[k].data();
        for (int32_t y = y0; y < y1 && !bNone; ++y)
            dark.row[y] = kernels.pDarkRow(pGray + static_cast<size_t>(W) * y, kEdge, W - kEdge, level, counts);
        for (int32_t x = 0; x < W; ++x) {
            col[x] += counts[x];
            counts[x] = 0;
        }
    });
    dark.col.assign(W, 0);
    for (int k = 0; k < nUsed; ++k)
        for (int32_t x = 0; x < W; ++x) dark.col[x] += cols[k][x];
    for (int32_t y = 0; y < H; ++y) dark.nTotal += dark.row[y];
}

// Where a 14 x 14 block at an edge row or column holds at least nCount dark pixels: the first
// and last position along it (-1 when none). Written to the trace only.
std::pair<int32_t, int32_t> DenseSpan(const uint8_t* pGray, int32_t W, int32_t H, int32_t nThreshold, int32_t nCount,
                                      bool bRow, int32_t nAt)
{
    const int32_t nLen = bRow ? W : H, nAcross = bRow ? H : W;
    const int32_t a0 = std::clamp(nAt, 0, std::max(0, nAcross - kBlock));
    const int32_t a1 = std::min(a0 + kBlock, nAcross);
    std::vector<int32_t> line(nLen, 0);
    // Walked in memory order: a column block is read a row piece at a time.
    for (int32_t p = 0; p < nLen; ++p)
        for (int32_t a = a0; a < a1; ++a) {
            const uint8_t v = bRow ? pGray[static_cast<size_t>(W) * a + p] : pGray[static_cast<size_t>(W) * p + a];
            line[p] += v <= nThreshold;
        }
    int32_t nFirst = -1, nLast = -1, nSum = 0;
    for (int32_t p = 0; p < nLen; ++p) {
        nSum += line[p] - (p >= kBlock ? line[p - kBlock] : 0);
        const int32_t nStart = p - kBlock + 1;
        if (nStart >= kEdge && p < nLen - kEdge && nSum >= nCount) {
            if (nFirst < 0) nFirst = nStart;
            nLast = nStart;
        }
    }
    return {nFirst, nLast};
}

void TraceCorners(const uint8_t* pGray, int32_t W, int32_t H, const CDeskewThresholds& t, int32_t top, int32_t bottom,
                  int32_t left, int32_t right)
{
    const auto [tl, tr] = DenseSpan(pGray, W, H, t.nThreshold, t.nCount, true, top);
    const auto [bl, br] = DenseSpan(pGray, W, H, t.nThreshold, t.nCount, true, bottom - kBlock + 1);
    const auto [lmin, lmax] = DenseSpan(pGray, W, H, t.nThreshold, t.nCount, false, left);
    const auto [rmin, rmax] = DenseSpan(pGray, W, H, t.nThreshold, t.nCount, false, right - kBlock + 1);
    TraceA("top = %ld,bottom = %ld,topleft_x=%d,topright_x=%d,bottomleft_x=%d,bottomright_x=%d,BWthreshold=%d\n",
           long(top), long(bottom), tl, tr, bl, br, t.nThreshold);
    TraceA("left = %ld,right = %ld,rihgtmin_y =%d,rightmax_y =%d,leftmin_y =%d,leftmax_y=%d\n", long(left),
           long(right), rmin, rmax, lmin, lmax);
    TraceA("top = %ld,bottom = %ld,topleft_x=%d,topright_x=%d,bottomleft_x=%d,bottomright_x=%d\n", long(top),
           long(bottom), tl, tr, bl, br);
}

// Steps 7 to 10: edge points and the Hough angle. 0 when memory ran out.
double MeasureAngle(const uint8_t* pGray, int32_t W, int32_t H, int32_t nPixelType)
{
    std::vector<CEdgePoints> parts;
    if (!FindEdgePoints(pGray, W, H, nPixelType == 0 ? 1 : 145, parts))
        return 0;
    size_t nPoints = 0;
    for (const CEdgePoints& p : parts) nPoints += p.Count();
    TraceA("xxxxxxxxxxxxpisition_num=%d\n", static_cast<int>(nPoints));
    TraceA("pisition_num=%d\n", static_cast<int>(nPoints));
    const int32_t nDiagonal = static_cast<int32_t>(std::sqrt(double(W) * W + double(H) * H));
    TraceA("tmp_size = %d, \n", nDiagonal + 1);
    CHoughMaxima maxima;
    if (!FindHoughMaxima(parts, W, nDiagonal, maxima))
        return 0;
    return DeskewAngleFromMaxima(maxima.cells);
}

}  // namespace

const int32_t* DeskewCosTable() { return deskew_tables::kCos; }
const int32_t* DeskewSinTable() { return deskew_tables::kSin; }

double DeskewAngleFromMaxima(const std::vector<std::pair<int32_t, int32_t>>& maxima)
{
    double dAngle = maxima.empty() ? 0.0 : maxima.back().second + 1.0;
    TraceA("01 %d, dect last angle=%lf\n", static_cast<int>(maxima.size()), dAngle);
    int32_t nMin = 180, nMax = -1;
    for (const auto& cell : maxima) {
        TraceA("02 dect last angle=%lf\n", double(cell.second));
        const int32_t nFolded = cell.second >= 180 ? cell.second - 180 : cell.second;
        nMin = std::min(nMin, nFolded);
        nMax = std::max(nMax, nFolded);
    }
    if (nMax - nMin > 4)
        dAngle = 0;
    if (dAngle > 90 && dAngle <= 180)
        dAngle = 180 - dAngle;
    else if (dAngle > 180 && dAngle <= 270)
        dAngle = 270 - dAngle;
    else if (dAngle > 270 && dAngle <= 360)
        dAngle = dAngle - 360;
    if (std::fabs(dAngle) >= 15)
        dAngle = 0;
    TraceA("03 dect last angle=%lf\n", dAngle);
    return dAngle;
}

float auto_deskew(CImageEffects*, const uint8_t* pGray, int32_t W, int32_t H, int32_t nPixelType, int32_t nResolution)
{
    TraceA("auto_deskew<-------------");
    // The page mean divides by W - 100 and H - 100: smaller pages have no searchable area.
    if (!pGray || W <= 2 * kEdge || H <= 2 * kEdge || W > kMaxPageSide || H > kMaxPageSide || nResolution <= 0 ||
        nPixelType < 0 || nPixelType > 2)
        return 0;
    try {
        const double m = PageMean(pGray, W, H);
        const CDeskewThresholds t = ThresholdsFor(nResolution, m);
        CDarkCounts dark;
        CountDark(pGray, W, H, t.nThreshold, dark);
        int32_t top = H, bottom = 0, left = W, right = 0;
        for (int32_t y = kEdge; y < H - kEdge; ++y)
            if (dark.row[y] >= t.nCount) { top = std::min(top, y); bottom = y; }
        const double dBlank = double(W) * H * 0.001;
        if (dBlank >= double(dark.nTotal) || top == H) {
            TraceA("pixels_col_num_total=%ld,BWthreshold=%d,sum=%f\n", long(dark.nTotal), t.nThreshold, m);
            return 0;
        }
        for (int32_t x = kEdge; x < W - kEdge; ++x)
            if (dark.col[x] >= t.nCount) { left = std::min(left, x); right = x; }
        TraceA("content_pixles_num=%d\n", static_cast<int>(dark.nTotal));
        TraceCorners(pGray, W, H, t, top, bottom, left, right);
        double dAngle = MeasureAngle(pGray, W, H, nPixelType);
        TraceA("$$$$angle = %lf\n", dAngle);
        if (dAngle > 40) {
            if (dAngle > 90 && dAngle < 130) dAngle -= 90;
            else if (dAngle > 50 && dAngle < 90) dAngle = -(90 - dAngle);
            else if (dAngle > 330 && dAngle < 360) dAngle = -(360 - dAngle);
        }
        const bool bNone = dAngle == 90 || dAngle == 360 || dBlank >= double(dark.nTotal);
        TraceA("auto_deskew------------->");
        return bNone ? 0.0f : static_cast<float>(dAngle);
    } catch (const std::bad_alloc&) {
        return 0;
    }
}
