// When the data source passed the points at which the report splits the page path, taken
// from its own trace lines: the source's debug-output imports are pointed at a recorder that
// notes the time of the lines it knows and passes every line on to the system as before,
// timing the system's handling of them too.
#pragma once

#include <windows.h>

#include <chrono>
#include <string>
#include <vector>

enum class EMark {
    kScanEnd,       // the scan thread has the page in the spool
    kConvertStart,  // the bitmap or file is begun
    kConvertEnd,    // ... and done
    kCount
};

class CStageClock {
public:
    using Clock = std::chrono::steady_clock;
    explicit CStageClock(HMODULE hSource);
    ~CStageClock();
    CStageClock(const CStageClock&) = delete;
    CStageClock& operator=(const CStageClock&) = delete;

    bool Hooked() const { return m_bHooked; }
    void Reset();
    // Keeps every line with its time from now on (for a timeline of one page).
    void KeepLines(bool bKeep);
    // The lines kept since Reset, each with its milliseconds from t0.
    std::vector<std::string> Timeline(Clock::time_point t0) const;
    // The time of the mark's last line since Reset; the epoch when it did not come.
    Clock::time_point At(EMark eMark) const;
    // Milliseconds the system spent on the source's trace lines since Reset.
    double TraceMs() const;

private:
    HMODULE m_hSource;
    bool m_bHooked = false;
};

// Milliseconds from a to b.
inline double Ms(CStageClock::Clock::time_point a, CStageClock::Clock::time_point b)
{
    return std::chrono::duration<double, std::milli>(b - a).count();
}
