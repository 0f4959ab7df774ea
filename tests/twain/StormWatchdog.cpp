#include "twain/StormWatchdog.h"

#include <cstdio>

namespace mvltest {

CStormWatchdog::CStormWatchdog(unsigned nSeed, DWORD dwLimitMs)
    : m_nSeed(nSeed), m_dwLimitMs(dwLimitMs), m_nLastBeat(GetTickCount64()),
      m_hStop(CreateEventW(nullptr, TRUE, FALSE, nullptr)), m_thread([this] { Watch(); })
{
}

CStormWatchdog::~CStormWatchdog()
{
    if (m_hStop)
        SetEvent(m_hStop);
    m_thread.join();
    if (m_hStop)
        CloseHandle(m_hStop);
}

void CStormWatchdog::Beat(int nStep, TW_UINT16 wDat, TW_UINT16 wMsg, int nState)
{
    m_nStep = nStep;
    m_nDat = wDat;
    m_nMsg = wMsg;
    m_nState = nState;
    m_nLastBeat = GetTickCount64();
}

void CStormWatchdog::Watch()
{
    while (m_hStop && WaitForSingleObject(m_hStop, 500) == WAIT_TIMEOUT) {
        if (GetTickCount64() - m_nLastBeat.load() < m_dwLimitMs)
            continue;
        // Both streams: GoogleTest's output goes to stdout, a crash report to stderr.
        for (FILE* f : {stdout, stderr}) {
            std::fprintf(f,
                         "\nTRIPLET STORM HANG: seed %u, step %d, DAT 0x%04X MSG 0x%04X in state %d gave no answer "
                         "within %lu ms; replay with MVL_STORM_SEED=%u\n",
                         m_nSeed, m_nStep.load(), m_nDat.load(), m_nMsg.load(), m_nState.load(),
                         static_cast<unsigned long>(m_dwLimitMs), m_nSeed);
            std::fflush(f);
        }
        TerminateProcess(GetCurrentProcess(), 3);
    }
}

}  // namespace mvltest
