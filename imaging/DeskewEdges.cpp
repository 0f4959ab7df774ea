// Edge points of a page, streamed over rows: only five edge-map rows and two dilated rows are
// kept at a time, never the two whole-page maps.
#include "imaging/DeskewParts.h"
#include "imaging/ImagingThreads.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <new>

namespace {

constexpr int32_t kEdgeFirst = 52;   // edge map rows/columns [52, size - 52)
constexpr int32_t kPointFirst = 53;  // dilated map and points [53, size - 52)
constexpr int32_t kRing = 8;         // edge-map rows kept (five are needed)

inline uint8_t Level(uint8_t v) { return v < 129 ? v : uint8_t(255); }

// Row e of the edge map (zero outside the band the map covers).
void EdgeRow(const uint8_t* pGray, int32_t W, int32_t H, int32_t e, uint8_t* pOut)
{
    std::memset(pOut, 0, W);
    if (e < kEdgeFirst || e >= H - kEdgeFirst)
        return;
    const uint8_t* up = pGray + static_cast<size_t>(W) * (e - 2);
    const uint8_t* dn = pGray + static_cast<size_t>(W) * (e + 2);
    // Byte arithmetic throughout, so that the loop runs 16 or 32 pixels at a time.
    for (int32_t x = kEdgeFirst; x < W - kEdgeFirst; ++x) {
        const uint8_t a = Level(up[x - 2]), c = Level(up[x + 2]);
        const uint8_t b = Level(dn[x - 2]), d = Level(dn[x + 2]);
        // (|a+b-c-d| + |a+c-b-d|) / 2 is exactly the larger of |a-d| and |b-c|
        const uint8_t ad = uint8_t(std::max(a, d) - std::min(a, d)), bc = uint8_t(std::max(b, c) - std::min(b, c));
        const uint16_t sum = uint16_t(uint16_t(a) + uint16_t(b) + uint16_t(c) + uint16_t(d));
        pOut[x] = sum < 765 ? std::max(ad, bc) : uint8_t(0);
    }
}

struct CEdgeScratch {
    std::vector<uint8_t> edge;  // kRing rows
    std::vector<uint8_t> column, dilated, flags;
    std::vector<uint16_t> sum5[2];
    explicit CEdgeScratch(int32_t W) : edge(static_cast<size_t>(W) * kRing), column(W), dilated(W), flags(W)
    {
        sum5[0].assign(W, 0);
        sum5[1].assign(W, 0);
    }
    uint8_t* EdgeSlot(int32_t e, int32_t W) { return edge.data() + static_cast<size_t>(W) * (e % kRing); }
};

// Horizontal 5-sums of dilated row r into pSum (zero outside the dilated band).
void DilatedRowSums(CEdgeScratch& s, int32_t W, int32_t H, int32_t r, uint16_t* pSum)
{
    std::memset(pSum, 0, sizeof(uint16_t) * W);
    if (r < kPointFirst || r >= H - kEdgeFirst)
        return;
    const uint8_t *e0 = s.EdgeSlot(r - 2, W), *e1 = s.EdgeSlot(r - 1, W), *e2 = s.EdgeSlot(r, W),
                  *e3 = s.EdgeSlot(r + 1, W), *e4 = s.EdgeSlot(r + 2, W);
    uint8_t* col = s.column.data();
    for (int32_t x = kPointFirst - 2; x < W - kEdgeFirst + 2; ++x)
        col[x] = std::max(std::max(std::max(e0[x], e1[x]), std::max(e2[x], e3[x])), e4[x]);
    uint8_t* dil = s.dilated.data();
    std::memset(dil, 0, W);
    for (int32_t x = kPointFirst; x < W - kEdgeFirst; ++x)
        dil[x] = std::max(std::max(std::max(col[x - 2], col[x - 1]), std::max(col[x], col[x + 1])), col[x + 2]);
    for (int32_t x = kPointFirst; x < W - kEdgeFirst; ++x)
        pSum[x] = static_cast<uint16_t>(dil[x - 2] + dil[x - 1] + dil[x] + dil[x + 1] + dil[x + 2]);
}

// Point rows [y0, y1).
void FindPointsInRows(const uint8_t* pGray, int32_t W, int32_t H, int32_t nThreshold, int32_t y0, int32_t y1,
                      CEdgeScratch& s, CEdgePoints& points)
{
    int32_t nNextEdge = y0 - 2;
    for (int32_t r = y0; r <= y1; ++r) {
        for (; nNextEdge <= r + 2; ++nNextEdge) EdgeRow(pGray, W, H, nNextEdge, s.EdgeSlot(nNextEdge, W));
        uint16_t* cur = s.sum5[r & 1].data();
        DilatedRowSums(s, W, H, r, cur);
        if (r == y0)
            continue;
        const uint16_t* prev = s.sum5[(r - 1) & 1].data();
        uint8_t* flags = s.flags.data();
        for (int32_t x = kPointFirst; x < W - kEdgeFirst; ++x) {
            const int v = int(prev[x]) - int(cur[x]);
            flags[x] = (v >= nThreshold) | (-v >= nThreshold);
        }
        points.AddRow(r - 1, flags, kPointFirst, W - kEdgeFirst);
    }
}

}  // namespace

void CEdgePoints::AddRow(int32_t y, const uint8_t* pFlags, int32_t x0, int32_t x1)
{
    uint32_t nCount = 0;
    for (int32_t x = x0; x < x1; ++x) nCount += pFlags[x] != 0;
    if (nCount == 0)
        return;
    CRow row{y, nCount, 0, false};
    if (static_cast<int64_t>(nCount) * 32 <= m_nWidth) {
        row.nOffset = m_xs.size();
        for (int32_t x = x0; x < x1; ++x)
            if (pFlags[x]) m_xs.push_back(static_cast<uint32_t>(x));
    } else {
        row.bBitmap = true;
        row.nOffset = m_words.size();
        m_words.resize(m_words.size() + m_nWords, 0);
        uint64_t* w = &m_words[row.nOffset];
        for (int32_t x = x0; x < x1; ++x)
            if (pFlags[x]) w[x / 64] |= uint64_t(1) << (x % 64);
    }
    m_rows.push_back(row);
    m_nCount += nCount;
}

std::pair<const uint32_t*, size_t> CEdgePoints::RowColumns(size_t k, uint32_t* pScratch) const
{
    const CRow& row = m_rows[k];
    if (!row.bBitmap)
        return {&m_xs[row.nOffset], row.nCount};
    size_t n = 0;
    for (int32_t w = 0; w < m_nWords; ++w) {
        uint64_t bits = m_words[row.nOffset + w];
        while (bits) {
            pScratch[n++] = static_cast<uint32_t>(w * 64 + std::countr_zero(bits));
            bits &= bits - 1;
        }
    }
    return {pScratch, n};
}

bool FindEdgePoints(const uint8_t* pGray, int32_t W, int32_t H, int32_t nPointThreshold, std::vector<CEdgePoints>& parts)
{
    std::vector<CEdgeScratch> scratch;
    try {
        const int nParts = GetImagingThreads();
        parts.assign(nParts, CEdgePoints(W));
        for (int k = 0; k < nParts; ++k) scratch.emplace_back(W);
    } catch (const std::bad_alloc&) {
        return false;
    }
    std::vector<char> failed(parts.size(), 0);
    const int nUsed = ForEachRowPart(kPointFirst, H - kEdgeFirst, 128, scratch.size(), [&](int k, int32_t y0, int32_t y1) {
        try {
            FindPointsInRows(pGray, W, H, nPointThreshold, y0, y1, scratch[k], parts[k]);
        } catch (const std::bad_alloc&) {
            failed[k] = 1;
        }
    });
    parts.resize(nUsed, CEdgePoints(W));
    return std::none_of(failed.begin(), failed.end(), [](char c) { return c != 0; });
}
