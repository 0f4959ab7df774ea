#include "imaging/AutoCrop.h"

#include "imaging/CpuFeatures.h"
#include "imaging/CropRowKernel.h"
#include "imaging/ImagingThreads.h"
#include "imaging/PageRows.h"
#include "imaging/PixelConvert.h"
#include "profile/Trace.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <new>
#include <vector>

namespace {

constexpr int32_t kEdge = kCropEdge;
constexpr int32_t kHalfWindow = kCropHalfWindow;
constexpr uint8_t kWhiteLevel = 250;  // brighter than this is paper in the tightening steps
constexpr int32_t kCountRows = 255;   // rows the byte counters take before they are emptied

// What the whole-page pass leaves behind: dark counts per row and column, and one bit per pixel
// for "not paper" (at or below the white level) for the tightening steps.
struct CCropScan {
    int32_t nWords = 0;  // 64-bit words per bitmap row
    std::vector<uint64_t> nonWhite;
    std::vector<int32_t> rowCount;
    std::vector<uint32_t> colCount;
};

// Scratch of one thread of the whole-page pass.
struct CCropScratch {
    std::vector<uint8_t> grey, dark, s1, s2, s4, s8, age, count;
    std::vector<uint32_t> colCount;
    explicit CCropScratch(int32_t nWidth)
        : grey(nWidth), dark(nWidth), s1(nWidth), s2(nWidth), s4(nWidth), s8(nWidth), age(nWidth),
          count(nWidth), colCount(nWidth)
    {
    }
    CCropRowBuffers Buffers()
    {
        return {dark.data(), age.data(), s1.data(), s2.data(), s4.data(), s8.data(), count.data()};
    }
    // Moves the byte counters into the column totals.
    void FlushCounts()
    {
        for (size_t x = 0; x < count.size(); ++x) colCount[x] += count[x];
        std::fill(count.begin(), count.end(), uint8_t(0));
    }
};

struct CCropKernels {
    int32_t (*pDark)(const uint8_t*, int32_t, int32_t, const CCropRowBuffers&);
    void (*pDilate)(int32_t, const CCropRowBuffers&);
    void (*pPack)(const uint8_t*, int32_t, uint8_t, uint64_t*);
};

CCropKernels CropKernels()
{
    if (HasAvx2())
        return {&CropDarkRowAvx2, &CropDilateRowAvx2, &PackAtOrBelowAvx2};
    return {&CropDarkRowPlain, &CropDilateRowPlain, &PackAtOrBelow};
}

// Rows [y0, y1) of the page: bitmap rows, dark columns per row and column counts.
void ScanCropRows(const CPageRows& page, int32_t nThreshold, int32_t y0, int32_t y1, CCropScratch& s,
                  CCropScan& scan)
{
    const int32_t W = page.Width(), H = page.Height();
    const bool bSearch = W > 2 * kEdge;
    const CCropKernels k = CropKernels();
    const CCropRowBuffers buffers = s.Buffers();
    std::fill(s.age.begin(), s.age.end(), uint8_t(255));
    int32_t nPending = 0;
    const int32_t ys = std::max(0, y0 - kHalfWindow), ye = std::min(H, y1 + kHalfWindow);
    for (int32_t y = ys; y < ye; ++y) {
        const uint8_t* g = page.GreyRow(y, s.grey.data());
        const bool bOwn = y >= y0 && y < y1;
        if (bOwn)
            k.pPack(g, W, kWhiteLevel, &scan.nonWhite[static_cast<size_t>(y) * scan.nWords]);
        if (!bSearch)
            continue;
        const int32_t nDark = k.pDark(g, W, nThreshold, buffers);
        const int32_t r = y - kHalfWindow;
        if (r >= std::max(y0, kEdge) && r < std::min(y1, H - kEdge))
            scan.rowCount[r] = nDark;
        if (bOwn && y >= kEdge && y < H - kEdge) {
            k.pDilate(W, buffers);
            if (++nPending == kCountRows) {
                s.FlushCounts();
                nPending = 0;
            }
        }
    }
    s.FlushCounts();
}

bool ScanCropPage(const CPageRows& page, int32_t nThreshold, CCropScan& scan)
{
    const int32_t W = page.Width(), H = page.Height();
    std::vector<CCropScratch> scratch;
    try {
        scan.nWords = (W + 63) / 64;
        scan.nonWhite.assign(static_cast<size_t>(scan.nWords) * H, 0);
        scan.rowCount.assign(H, 0);
        scan.colCount.assign(W, 0);
        const int nParts = GetImagingThreads();
        scratch.reserve(nParts);
        for (int k = 0; k < nParts; ++k) scratch.emplace_back(W);
    } catch (const std::bad_alloc&) {
        return false;
    }
    const int nUsed = ForEachRowPart(0, H, 256, scratch.size(), [&](int nPart, int32_t y0, int32_t y1) {
        ScanCropRows(page, nThreshold, y0, y1, scratch[nPart], scan);
    });
    for (int k = 0; k < nUsed; ++k)
        for (int32_t x = 0; x < W; ++x) scan.colCount[x] += scratch[k].colCount[x];
    return true;
}

int32_t CountNonWhiteInRow(const CCropScan& scan, int32_t y, int32_t x0, int32_t x1)
{
    return CountBits(&scan.nonWhite[static_cast<size_t>(y) * scan.nWords], x0, x1);
}

// Non-white counts over rows [y0, y1) for the columns [x0, x1). Eight columns are counted
// together in the bytes of one 64-bit word (a table spreads 8 bits over 8 bytes), emptied into
// the totals before a byte can overflow.
std::vector<int32_t> CountNonWhiteInColumns(const CCropScan& scan, int32_t x0, int32_t x1, int32_t y0, int32_t y1)
{
    std::vector<int32_t> counts(std::max(0, x1 - x0), 0);
    if (x1 <= x0 || y1 <= y0)
        return counts;
    static const auto s_spread = [] {
        std::array<uint64_t, 256> t{};
        for (int v = 0; v < 256; ++v)
            for (int b = 0; b < 8; ++b) t[v] |= uint64_t((v >> b) & 1) << (8 * b);
        return t;
    }();
    const int32_t b0 = x0 / 8, b1 = (x1 + 7) / 8;  // bytes of the bitmap rows covering the columns
    std::vector<uint64_t> acc(b1 - b0, 0);
    std::vector<int32_t> wide(static_cast<size_t>(b1 - b0) * 8, 0);
    auto flush = [&] {
        for (size_t k = 0; k < acc.size(); ++k) {
            for (int b = 0; b < 8; ++b) wide[8 * k + b] += int32_t((acc[k] >> (8 * b)) & 0xFF);
            acc[k] = 0;
        }
    };
    int32_t nPending = 0;
    for (int32_t y = y0; y < y1; ++y) {
        const auto* row = reinterpret_cast<const uint8_t*>(&scan.nonWhite[static_cast<size_t>(y) * scan.nWords]);
        for (int32_t b = b0; b < b1; ++b) acc[b - b0] += s_spread[row[b]];
        if (++nPending == 255) {
            flush();
            nPending = 0;
        }
    }
    flush();
    for (int32_t x = x0; x < x1; ++x) counts[x - x0] = wide[x - 8 * b0];
    return counts;
}

struct CBox {
    int32_t top, bottom, left, right;
    bool bNothing;
};

// Tightening: every sparse row of the band next to an edge moves that edge inwards by one.
// The bands are clamped to the page: the widened box can reach past it.
void TightenBox(const CCropScan& scan, const CCropConstants& k, int32_t W, int32_t H, CBox& box)
{
    if (k.nWiden <= 0)
        return;
    int32_t newTop = box.top, newBottom = box.bottom;
    for (int32_t y = std::max(box.top, 0); y < std::min(box.top + k.nWiden, H); ++y)
        if (CountNonWhiteInRow(scan, y, box.left, box.right) < k.nCount) ++newTop;
    for (int32_t y = std::min(box.bottom, H - 1); y > std::max(box.bottom - k.nWiden, -1); --y)
        if (CountNonWhiteInRow(scan, y, box.left, box.right) < k.nCount) --newBottom;
    box.top = newTop;
    box.bottom = newBottom;

    const int32_t y0 = std::max(box.top, 0), y1 = std::min(box.bottom, H);
    int32_t newLeft = box.left, newRight = box.right;
    const int32_t l0 = std::max(box.left, 0), l1 = std::min(box.left + k.nWiden, W);
    for (int32_t n : CountNonWhiteInColumns(scan, l0, l1, y0, y1))
        if (n < k.nCount) ++newLeft;
    const int32_t r0 = std::max(box.right - k.nWiden + 1, 0), r1 = std::min(box.right + 1, W);
    for (int32_t n : CountNonWhiteInColumns(scan, r0, r1, y0, y1))
        if (n < k.nCount) --newRight;
    box.left = newLeft;
    box.right = newRight;
}

CBox FindCropBox(const CCropScan& scan, const CCropConstants& k, int32_t W, int32_t H)
{
    int32_t firstRow = H, lastRow = 0, firstCol = W, lastCol = 0;
    for (int32_t y = kEdge; y < H - kEdge; ++y)
        if (scan.rowCount[y] >= k.nCount) {
            firstRow = std::min(firstRow, y);
            lastRow = y;
        }
    TraceA("max_col_index = %ld,min_col_index = %ld,num_threshold %d\n", long(lastRow), long(firstRow), k.nCount);
    for (int32_t x = kEdge; x < W - kEdge; ++x)
        if (static_cast<int64_t>(scan.colCount[x]) >= k.nCount) {
            firstCol = std::min(firstCol, x);
            lastCol = x;
        }
    TraceA("max_row_index = %ld,min_row_index = %ld,num_threshold = %d\n", long(lastCol), long(firstCol), k.nCount);

    CBox box;
    // Nothing found: the widening would turn the sentinels into an arbitrary box of blank paper.
    box.bNothing = firstRow == H || firstCol == W;
    box.top = firstRow - k.nWiden < 1 ? firstRow : firstRow - k.nWiden;
    box.bottom = lastRow + k.nWiden >= H ? lastRow : lastRow + k.nWiden;
    box.left = firstCol - k.nWiden < 1 ? firstCol : firstCol - k.nWiden;
    box.right = lastCol + k.nWiden >= W ? lastCol : lastCol + k.nWiden;
    TightenBox(scan, k, W, H, box);
    if (box.top - k.nMargin >= 1) box.top -= k.nMargin;
    if (box.bottom + k.nMargin < H) box.bottom += k.nMargin;
    if (box.left - k.nMargin >= 1) box.left -= k.nMargin;
    if (box.right + k.nMargin < W) box.right += k.nMargin;
    return box;
}

void CopyBox(const CPageRows& page, const CBox& box, uint8_t* pDst)
{
    const int32_t nOutWidth = box.right - box.left;
    if (page.PixelType() == 0) {
        std::vector<uint8_t> row(page.Width());
        const size_t nOutRow = BwRowBytes(nOutWidth);
        for (int32_t y = box.top; y < box.bottom; ++y) {
            BwRowToGray(page.SrcRow(y), row.data(), page.Width());
            GrayRowToBW(row.data() + box.left, pDst + nOutRow * (y - box.top), nOutWidth);
        }
        return;
    }
    const size_t nPixel = page.PixelType() == 2 ? 3 : 1;
    const size_t nOutRow = nPixel * nOutWidth;
    ForEachRowPart(box.top, box.bottom, 64, 0, [&](int, int32_t y0, int32_t y1) {
        for (int32_t y = y0; y < y1; ++y)
            std::memcpy(pDst + nOutRow * (y - box.top), page.SrcRow(y) + nPixel * box.left, nOutRow);
    });
}

}  // namespace

CCropConstants CropConstantsFor(int32_t nResolution)
{
    switch (nResolution) {
    case 75: return {220, 15, 0, 0};
    case 150: return {200, 15, 0, 0};
    case 300: return {150, 30, 400, 50};
    case 600: return {150, 160, 400, 80};
    case 1200: return {150, 160, 400, 80};
    default: return {0, 0, 0, 0};
    }
}

int auto_crop(CImageEffects*, const uint8_t* pSrc, uint8_t* pDst, CAutoCropParam* pParam)
{
    TraceA("auto_crop()<---------");
    if (!pParam || !pSrc || !pDst || pParam->nResolution <= 0)
        return 0;
    const CPageRows page(pSrc, pParam->nPixelType, pParam->nWidth, pParam->nHeight);
    if (!page.IsUsable())
        return 0;
    const int32_t W = page.Width(), H = page.Height();
    const CCropConstants k = CropConstantsFor(pParam->nResolution);
    // The working copy the crop searches: the same trace as a whole-page conversion.
    const char* szConvert = page.PixelType() == 2 ? "RgbToGray()" : page.PixelType() == 0 ? "BwToGray()" : nullptr;
    if (szConvert) TraceA("%s<--------", szConvert);
    CCropScan scan;
    const bool bScanned = ScanCropPage(page, k.nThreshold, scan);
    if (szConvert) TraceA("%s-------->", szConvert);
    if (!bScanned) {
        TraceA("pGray == NULL");
        return 0;
    }
    TraceA("image_width=%ld,image_height=%ld, BWthreshold = %ld \n", long(W), long(H), long(k.nThreshold));
    const CBox box = FindCropBox(scan, k, W, H);
    // An inverted or empty box (the tightening can cross over) is no crop either.
    if (box.bNothing || box.top == H || box.left == W || box.bottom == 0 || box.right == 0 || box.bottom <= box.top ||
        box.right <= box.left) {
        TraceA("不在裁剪范围内，不裁剪");
        return 0;
    }
    CopyBox(page, box, pDst);
    pParam->nOutWidth = box.right - box.left;
    pParam->nOutHeight = box.bottom - box.top;
    TraceA("auto_crop()---------->");
    return 1;
}
