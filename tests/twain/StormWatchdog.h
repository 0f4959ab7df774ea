// A hang must fail the run, not block it: the storm reports each triplet before sending it,
// and when one has not come back within the limit the watchdog prints the seed and the
// triplet and ends the process with exit code 3 (a failed test for CTest).
#pragma once

#include <windows.h>

#include <atomic>
#include <thread>

#include "twain/TwainTypes.h"

namespace mvltest {

class CStormWatchdog {
public:
    CStormWatchdog(unsigned nSeed, DWORD dwLimitMs);
    ~CStormWatchdog();
    CStormWatchdog(const CStormWatchdog&) = delete;
    CStormWatchdog& operator=(const CStormWatchdog&) = delete;

    // The triplet about to be sent; nState the state the storm believes the source in.
    void Beat(int nStep, TW_UINT16 wDat, TW_UINT16 wMsg, int nState);

private:
    void Watch();

    unsigned m_nSeed;
    DWORD m_dwLimitMs;
    std::atomic<ULONGLONG> m_nLastBeat;
    std::atomic<int> m_nStep{0};
    std::atomic<unsigned> m_nDat{0}, m_nMsg{0};
    std::atomic<int> m_nState{3};
    HANDLE m_hStop;
    std::thread m_thread;
};

}  // namespace mvltest
