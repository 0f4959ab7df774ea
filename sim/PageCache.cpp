#include "sim/PageCache.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <optional>

namespace {

class CHeapPageMemory : public CPageMemory {
public:
    explicit CHeapPageMemory(size_t nBytes) : m_bytes(nBytes) {}
    uint8_t* Data() override { return m_bytes.data(); }

private:
    std::vector<uint8_t> m_bytes;
};

uint64_t WorkBytes(const CChartRenderer& renderer, const SScanAdjustments& adjust)
{
    const bool bGreyBytes = renderer.BitsPerPixel() == 1 && !adjust.IsNeutral();
    return uint64_t(bGreyBytes ? renderer.Width() : renderer.RowBytes()) * uint64_t(renderer.Height());
}

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

CPageRows::CPageRows(const SChartRequest& request, std::unique_ptr<CPageMemory> pMemory,
                     const SScanAdjustments& adjust)
    : m_renderer(request), m_nRowBytes(m_renderer.RowBytes()), m_adjust(adjust),
      m_nMemoryBytes(WorkBytes(m_renderer, adjust)), m_pMemory(std::move(pMemory))
{
}

uint64_t CPageRows::MemoryBytes(const SChartRequest& request, const SScanAdjustments& adjust)
{
    return WorkBytes(CChartRenderer(request), adjust);
}

void CPageRows::DrawAdjusted()
{
    const bool bBw = m_renderer.BitsPerPixel() == 1;
    std::optional<CChartRenderer> grey;
    if (bBw) {
        SChartRequest greyRequest = m_renderer.Request();
        greyRequest.nMode = kChartGrey;
        grey.emplace(greyRequest);
    }
    const CChartRenderer& renderer = bBw ? *grey : m_renderer;
    const int nWorkRowBytes = renderer.RowBytes();
    uint8_t* pData = m_pMemory->Data();
    for (int y = 0; y < Height(); ++y)
        renderer.RenderRow(y, pData + uint64_t(y) * uint64_t(nWorkRowBytes));
    const _ImageDesc desc{Height(), nWorkRowBytes, Width(), renderer.BitsPerPixel(), 0, 0};
    AdjustPage(m_adjust, m_renderer.Request().nMode, m_renderer.Request().nThreshold, desc, pData);
    if (!bBw)
        return;
    // Packed in place: each packed byte lands at or before the first grey byte it was made from.
    for (int y = 0; y < Height(); ++y) {
        const uint8_t* pGrey = pData + uint64_t(y) * uint64_t(nWorkRowBytes);
        uint8_t* pBits = pData + uint64_t(y) * uint64_t(m_nRowBytes);
        for (int nByte = 0; nByte < m_nRowBytes; ++nByte) {
            uint8_t bits = 0;
            for (int x = nByte * 8; x < std::min(nByte * 8 + 8, Width()); ++x)
                bits |= pGrey[x] >= 128 ? static_cast<uint8_t>(0x80 >> (x & 7)) : 0;
            pBits[nByte] = bits;
        }
    }
}

void CPageRows::DrawUpTo(int nRows)
{
    std::lock_guard lock(m_mutex);
    if (!m_adjust.IsNeutral()) {
        if (m_nDrawn == 0 && Height() > 0)
            DrawAdjusted();
        m_nDrawn = Height();
        return;
    }
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

std::shared_ptr<CPageRows> CPageCache::Page(const SChartRequest& request, const SScanAdjustments& adjust)
{
    std::lock_guard lock(m_mutex);
    // A picture is read afresh at every opening, so its pages are not known again.
    if (!request.pPicture) {
        auto it = std::find_if(m_entries.begin(), m_entries.end(), [&](const SEntry& e) {
            return e.adjust == adjust && SamePage(e.request, request);
        });
        if (it != m_entries.end()) {
            m_entries.splice(m_entries.begin(), m_entries, it);
            return it->pPage;
        }
    }
    const uint64_t nBytes = CPageRows::MemoryBytes(request, adjust);
    if (request.pPicture || nBytes == 0 || nBytes > m_nBudget || !m_factory) {
        // Adjusting needs the whole page at hand, kept or not.
        const bool bOwnMemory = !adjust.IsNeutral() && nBytes > 0 && m_factory;
        return std::make_shared<CPageRows>(request, bOwnMemory ? m_factory(nBytes) : nullptr, adjust);
    }
    MakeRoom(nBytes);
    auto pMemory = m_factory(nBytes);
    auto pPage = std::make_shared<CPageRows>(request, std::move(pMemory), adjust);
    if (pPage->Kept()) {
        m_entries.push_front({request, adjust, pPage});
        m_nKept += nBytes;
    }
    return pPage;
}

void CPageCache::MakeRoom(uint64_t nBytes)
{
    // A page still being read stays with its reader; the cache only lets go of it.
    while (!m_entries.empty() && (m_nKept + nBytes > m_nBudget || m_entries.size() >= kMaxPages)) {
        m_nKept -= m_entries.back().pPage->MemoryBytes();
        m_entries.pop_back();
    }
}

uint64_t CPageCache::KeptBytes() const
{
    std::lock_guard lock(m_mutex);
    return m_nKept;
}
