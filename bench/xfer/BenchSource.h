// The benchmark's application: the installed data source loaded as a source manager would
// load it, opened, set up for a colour flatbed page, and one page taken by each transfer
// mechanism, timed from the transfer request to the page in the application's hands.
#pragma once

#include <windows.h>

#include <filesystem>
#include <memory>
#include <vector>

#include "StageClock.h"
#include "twain/TwainTypes.h"

// One page through the source, in milliseconds: the whole transfer and its stages (until the
// scan thread has the page in the spool; from there until the bitmap, strips or file are done;
// from there until the transfer returns), and of the whole the time the system spent writing
// the source's trace lines (every triplet is traced twice, in and out).
struct SPathTimes {
    double dWhole = 0, dRead = 0, dConvert = 0, dHandOver = 0, dTrace = 0;
};

class CBenchSource {
public:
    explicit CBenchSource(const std::filesystem::path& ds);
    ~CBenchSource();
    CBenchSource(const CBenchSource&) = delete;
    CBenchSource& operator=(const CBenchSource&) = delete;

    // Loaded, opened and its trace hooked.
    bool Ready() const { return m_bOpen && m_pClock && m_pClock->Hooked(); }
    bool Configure(int nDpi);
    // Prints the source's trace lines of each page with their times.
    void ShowTimelines(bool bShow)
    {
        m_bTimelines = bShow;
        m_pClock->KeepLines(bShow);
    }
    // Each takes one page; false when the transfer failed. nBytes: what the application got.
    bool NativePage(SPathTimes& t, size_t& nBytes);
    bool MemoryPage(SPathTimes& t, size_t& nBytes);
    bool FilePage(const std::filesystem::path& file, SPathTimes& t);

private:
    TW_UINT16 Call(TW_UINT32 dg, TW_UINT16 dat, TW_UINT16 msg, void* p);
    bool Set(TW_UINT16 wCap, TW_UINT16 wType, const void* pItem, size_t nItem);
    bool Enable();
    void EndAndDisable();
    // The stages of a transfer that began at t0 and returned at t1.
    SPathTimes Stages(CStageClock::Clock::time_point t0, CStageClock::Clock::time_point t1) const;

    HMODULE m_hDs = nullptr;
    DSENTRYPROC m_pfn = nullptr;
    bool m_bOpen = false;
    std::unique_ptr<CStageClock> m_pClock;
    TW_IDENTITY m_app{};
    TW_IDENTITY m_ds{};
    std::vector<uint8_t> m_strip;
    bool m_bTimelines = false;  // the application's memory-transfer buffer
};
