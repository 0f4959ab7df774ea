// The simulated scanner's rendered pages. Drawing a page costs far more than handing it over,
// so each distinct page (sheet, side, resolution, mode, threshold, area, placement and image
// adjustments) is drawn once, row by row as it is first read, and every later scan of it is
// served by copying. A page with adjustments is drawn whole and adjusted before its first row
// goes out, since some effects (fading correction, descreen, halftone) need the whole page.
// Where the bytes live is the library's choice (a factory): the Windows library keeps them in
// temporary file mappings, so that even a 1200 dpi A3 page does not weigh on the process's
// private memory; the portable tests keep them on the heap.
#pragma once

#include "sim/ChartRenderer.h"
#include "sim/ScanAdjustments.h"

#include <cstdint>
#include <functional>
#include <list>
#include <memory>
#include <mutex>
#include <vector>

// Memory for one page's bytes, released with the object.
class CPageMemory {
public:
    virtual ~CPageMemory() = default;
    virtual uint8_t* Data() = 0;
};
// Null when the memory cannot be had.
using PageMemoryFactory = std::function<std::unique_ptr<CPageMemory>(uint64_t nBytes)>;
std::unique_ptr<CPageMemory> HeapPageMemory(uint64_t nBytes);

// One page as a stream of its rows, top row first, without padding.
class CPageRows {
public:
    // Without memory the rows are drawn again for each read (the renderer keeps no page), and
    // adjustments cannot be applied.
    CPageRows(const SChartRequest& request, std::unique_ptr<CPageMemory> pMemory,
              const SScanAdjustments& adjust = {});
    // Bytes of memory a page needs: a black-and-white page is adjusted as grey bytes.
    static uint64_t MemoryBytes(const SChartRequest& request, const SScanAdjustments& adjust);
    int Width() const { return m_renderer.Width(); }
    int Height() const { return m_renderer.Height(); }
    int RowBytes() const { return m_nRowBytes; }
    uint64_t Bytes() const { return uint64_t(m_nRowBytes) * uint64_t(m_renderer.Height()); }
    bool Kept() const { return m_pMemory != nullptr; }
    uint64_t MemoryBytes() const { return m_nMemoryBytes; }
    // Copies nBytes of the page from byte nOffset on (the range lies inside the page).
    void Copy(uint64_t nOffset, uint8_t* pDest, uint64_t nBytes);

private:
    void DrawUpTo(int nRows);
    void DrawAdjusted();

    CChartRenderer m_renderer;
    int m_nRowBytes;
    SScanAdjustments m_adjust;
    uint64_t m_nMemoryBytes;
    std::unique_ptr<CPageMemory> m_pMemory;
    std::mutex m_mutex;
    int m_nDrawn = 0;
    std::vector<uint8_t> m_row;  // without memory: the row drawn last
    int m_nRowInBuffer = -1;
};

class CPageCache {
public:
    // nBudget: bytes of pages kept, and at most kMaxPages of them; beyond either, pages are
    // dropped, least recently used first.
    static constexpr size_t kMaxPages = 16;
    CPageCache(PageMemoryFactory factory, uint64_t nBudget);
    // The page of the request: kept, newly kept, or (a picture page, a page beyond the budget,
    // no memory) drawn for this reader alone.
    std::shared_ptr<CPageRows> Page(const SChartRequest& request, const SScanAdjustments& adjust = {});
    uint64_t KeptBytes() const;

private:
    struct SEntry {
        SChartRequest request;
        SScanAdjustments adjust;
        std::shared_ptr<CPageRows> pPage;
    };
    static bool SamePage(const SChartRequest& a, const SChartRequest& b);
    void MakeRoom(uint64_t nBytes);

    PageMemoryFactory m_factory;
    uint64_t m_nBudget;
    mutable std::mutex m_mutex;
    std::list<SEntry> m_entries;  // most recently used first
    uint64_t m_nKept = 0;
};
