#include "sim/PageCache.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace {

class CHeapPageMemory : public CPageMemory {
public:
    explicit CHeapPageMemory(size_t nBytes) : m_bytes(nBytes) {}
    uint8_t* Data() override { return m_bytes.data(); }

private:
    std::vector<uint8_t> m_bytes;
};

}  // namespace

std::unique_ptr<CPageMemory> HeapPageMemory(uint64_t nBytes)
{
    if (nBytes == 0 || nBytes > SIZE_MAX / 2)
        return nullptr;
    try {
        return std::make_unique<CHeapPageMemory>(static_cast<size_t>(nBytes));
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

CPageRows::CPageRows(const SChartRequest& request, std::unique_ptr<CPageMemory> pMemory)
    : m_renderer(request), m_nRowBytes(m_renderer.RowBytes()), m_pMemory(std::move(pMemory))
{
}

void CPageRows::DrawUpTo(int nRows)
{
    std::lock_guard lock(m_mutex);
    for (; m_nDrawn < std::min(nRows, Height()); ++m_nDrawn)
        m_renderer.RenderRow(m_nDrawn, m_pMemory->Data() + uint64_t(m_nDrawn) * uint64_t(m_nRowBytes));
}

void CPageRows::Copy(uint64_t nOffset, uint8_t* pDest, uint64_t nBytes)
{
    if (nBytes == 0 || m_nRowBytes <= 0)
        return;
    if (m_pMemory) {
        DrawUpTo(static_cast<int>((nOffset + nBytes + uint64_t(m_nRowBytes) - 1) / uint64_t(m_nRowBytes)));
        std::memcpy(pDest, m_pMemory->Data() + nOffset, static_cast<size_t>(nBytes));
        return;
    }
    m_row.resize(static_cast<size_t>(m_nRowBytes));
    while (nBytes > 0) {
        const int nRow = static_cast<int>(nOffset / uint64_t(m_nRowBytes));
        const uint64_t nCol = nOffset % uint64_t(m_nRowBytes);
        if (nRow != m_nRowInBuffer) {
            m_renderer.RenderRow(nRow, m_row.data());
            m_nRowInBuffer = nRow;
        }
        const uint64_t n = std::min<uint64_t>(nBytes, uint64_t(m_nRowBytes) - nCol);
        std::memcpy(pDest, m_row.data() + nCol, static_cast<size_t>(n));
        pDest += n;
        nOffset += n;
        nBytes -= n;
    }
}

CPageCache::CPageCache(PageMemoryFactory factory, uint64_t nBudget) : m_factory(std::move(factory)), m_nBudget(nBudget)
{
}

bool CPageCache::SamePage(const SChartRequest& a, const SChartRequest& b)
{
    const SChartPlacement &p = a.placement, &q = b.placement;
    return a.nPage == b.nPage && a.nSide == b.nSide && a.nDpi == b.nDpi && a.nMode == b.nMode &&
           a.nThreshold == b.nThreshold && a.area.nLeft == b.area.nLeft && a.area.nTop == b.area.nTop &&
           a.area.nRight == b.area.nRight && a.area.nBottom == b.area.nBottom && p.dSkewDegrees == q.dSkewDegrees &&
           p.nOffsetX == q.nOffsetX && p.nOffsetY == q.nOffsetY && p.bUpsideDown == q.bUpsideDown &&
           p.nPageWidth == q.nPageWidth && p.nPageHeight == q.nPageHeight && p.nPlatenGrey == q.nPlatenGrey;
}

std::shared_ptr<CPageRows> CPageCache::Page(const SChartRequest& request)
{
    std::lock_guard lock(m_mutex);
    // A picture is read afresh at every opening, so its pages are not known again.
    if (!request.pPicture) {
        auto it = std::find_if(m_entries.begin(), m_entries.end(),
                               [&](const SEntry& e) { return SamePage(e.request, request); });
        if (it != m_entries.end()) {
            m_entries.splice(m_entries.begin(), m_entries, it);
            return it->pPage;
        }
    }
    const CChartRenderer probe(request);
    const uint64_t nBytes = uint64_t(probe.RowBytes()) * uint64_t(probe.Height());
    if (request.pPicture || nBytes == 0 || nBytes > m_nBudget || !m_factory)
        return std::make_shared<CPageRows>(request, nullptr);
    MakeRoom(nBytes);
    auto pMemory = m_factory(nBytes);
    auto pPage = std::make_shared<CPageRows>(request, std::move(pMemory));
    if (pPage->Kept()) {
        m_entries.push_front({request, pPage});
        m_nKept += nBytes;
    }
    return pPage;
}

void CPageCache::MakeRoom(uint64_t nBytes)
{
    // A page still being read stays with its reader; the cache only lets go of it.
    while (!m_entries.empty() && (m_nKept + nBytes > m_nBudget || m_entries.size() >= kMaxPages)) {
        m_nKept -= m_entries.back().pPage->Bytes();
        m_entries.pop_back();
    }
}

uint64_t CPageCache::KeptBytes() const
{
    std::lock_guard lock(m_mutex);
    return m_nKept;
}
