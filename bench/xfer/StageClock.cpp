#include "StageClock.h"

#include <array>
#include <atomic>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <utility>
#include <vector>

#include "harness/TraceCapture.h"

namespace {

struct SMarkLine {
    EMark eMark;
    const char* pszStart;
};
constexpr SMarkLine kLines[] = {
    {EMark::kScanEnd, "CMsgLib: Scanthread END"},
    {EMark::kConvertStart, "dwDIBSize :"},
    {EMark::kConvertEnd, "nativexfer done"},
    {EMark::kConvertEnd, "file xfer done"},
};

std::array<std::atomic<int64_t>, static_cast<size_t>(EMark::kCount)> g_marks;
std::atomic<int64_t> g_nTraceTicks{0};  // spent in the system's debug output since Reset
std::atomic<bool> g_bKeep{false};
std::mutex g_linesLock;
std::vector<std::pair<int64_t, std::string>> g_lines;

void WINAPI OnTraceA(LPCSTR psz)
{
    if (psz) {
        const int64_t nNow = CStageClock::Clock::now().time_since_epoch().count();
        for (const SMarkLine& m : kLines)
            if (std::strncmp(psz, m.pszStart, std::strlen(m.pszStart)) == 0)
                g_marks[static_cast<size_t>(m.eMark)] = nNow;
        if (g_bKeep) {
            std::lock_guard lock(g_linesLock);
            g_lines.emplace_back(nNow, psz);
        }
    }
    const CStageClock::Clock::time_point t0 = CStageClock::Clock::now();
    OutputDebugStringA(psz);
    g_nTraceTicks += (CStageClock::Clock::now() - t0).count();
}

void WINAPI OnTraceW(LPCWSTR psz)
{
    const CStageClock::Clock::time_point t0 = CStageClock::Clock::now();
    OutputDebugStringW(psz);
    g_nTraceTicks += (CStageClock::Clock::now() - t0).count();
}

}  // namespace

CStageClock::CStageClock(HMODULE hSource) : m_hSource(hSource)
{
    Reset();
    m_bHooked = hSource && mvltest::RedirectDebugOutput(hSource, reinterpret_cast<FARPROC>(&OnTraceA),
                                                                   reinterpret_cast<FARPROC>(&OnTraceW)) > 0;
}

CStageClock::~CStageClock()
{
    if (m_bHooked)
        mvltest::RedirectDebugOutput(m_hSource, nullptr, nullptr);
}

void CStageClock::Reset()
{
    for (auto& n : g_marks)
        n = 0;
    g_nTraceTicks = 0;
    std::lock_guard lock(g_linesLock);
    g_lines.clear();
}

double CStageClock::TraceMs() const
{
    return std::chrono::duration<double, std::milli>(Clock::duration(g_nTraceTicks.load())).count();
}

void CStageClock::KeepLines(bool bKeep)
{
    g_bKeep = bKeep;
}

std::vector<std::string> CStageClock::Timeline(Clock::time_point t0) const
{
    std::lock_guard lock(g_linesLock);
    std::vector<std::string> out;
    for (const auto& [nAt, s] : g_lines) {
        char szMs[32];
        std::snprintf(szMs, sizeof szMs, "%9.2f ms  ", Ms(t0, Clock::time_point(Clock::duration(nAt))));
        out.push_back(szMs + s);
    }
    return out;
}

CStageClock::Clock::time_point CStageClock::At(EMark eMark) const
{
    return Clock::time_point(Clock::duration(g_marks[static_cast<size_t>(eMark)].load()));
}
