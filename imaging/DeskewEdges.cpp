// Edge points of a page, streamed over rows: only five edge-map rows and two dilated rows are
// kept at a time, never the two whole-page maps.
#include "imaging/DeskewParts.h"
#include "imaging/CpuFeatures.h"
#include "imaging/DeskewRowKernel.h"
#include "imaging/ImagingThreads.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <new>

namespace {

constexpr int32_t kRing = 8;  // edge-map rows kept (five are needed)

struct CEdgeScratch {
    std::vector<uint8_t> edge;  // kRing rows
    std::vector<uint8_t> column, dilated;
    std::vector<uint64_t> bits;
    std::vector<uint16_t> sum5[2];
    explicit CEdgeScratch(int32_t W)
        : edge(static_cast<size_t>(W) * kRing), column(W), dilated(W), bits((static_cast<size_t>(W) + 63) / 64)
    {
        sum5[0].assign(W, 0);
        sum5[1].assign(W, 0);
    }
    uint8_t* EdgeSlot(int32_t e, int32_t W) { return edge.data() + static_cast<size_t>(W) * (e % kRing); }
};

// Point rows [y0, y1).
void FindPointsInRows(const uint8_t* pGray, int32_t W, int32_t H, int32_t nThreshold, int32_t y0, int32_t y1,
                      CEdgeScratch& s, CEdgePoints& points)
{
    const CDeskewRowKernels k = HasAvx2() ? DeskewRowKernelsAvx2() : DeskewRowKernelsPlain();
    int32_t nNextEdge = y0 - 2;
    for (int32_t r = y0; r <= y1; ++r) {
        for (; nNextEdge <= r + 2; ++nNextEdge) k.pEdgeRow(pGray, W, H, nNextEdge, s.EdgeSlot(nNextEdge, W));
        uint16_t* cur = s.sum5[r & 1].data();
        const uint8_t* const rows[5] = {s.EdgeSlot(r - 2, W), s.EdgeSlot(r - 1, W), s.EdgeSlot(r, W),
                                        s.EdgeSlot(r + 1, W), s.EdgeSlot(r + 2, W)};
        k.pDilatedSums(rows, s.column.data(), s.dilated.data(), W, H, r, cur);
        if (r == y0)
            continue;
        const uint16_t* prev = s.sum5[(r - 1) & 1].data();
        const uint32_t nCount = k.pPointBits(prev, cur, W, nThreshold, s.bits.data());
        points.AddRow(r - 1, s.bits.data(), nCount);
    }
}

}  // namespace

void CEdgePoints::AddRow(int32_t y, const uint64_t* pWords, uint32_t nCount)
{
    if (nCount == 0)
        return;
    CRow row{y, nCount, 0, false};
    if (static_cast<int64_t>(nCount) * 32 <= m_nWidth) {
        row.nOffset = m_xs.size();
        for (int32_t w = 0; w < m_nWords; ++w)
            for (uint64_t bits = pWords[w]; bits; bits &= bits - 1)
                m_xs.push_back(static_cast<uint32_t>(w * 64 + std::countr_zero(bits)));
    } else {
        row.bBitmap = true;
        row.nOffset = m_words.size();
        m_words.insert(m_words.end(), pWords, pWords + m_nWords);
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
