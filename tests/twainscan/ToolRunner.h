// Runs the built twainscan.exe with arguments and collects its exit status and output.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "harness/TestEnv.h"

struct SToolRun {
    int nExit = -1;  // -1: did not end within the limit and was killed
    std::string sOut;
    std::string sErr;
};

// One run of the tool in its own process, for tests that act on it while it runs (its dialog);
// killed at destruction if it is still running.
class CToolProcess {
public:
    explicit CToolProcess(const std::vector<std::wstring>& args);
    ~CToolProcess();
    CToolProcess(const CToolProcess&) = delete;
    CToolProcess& operator=(const CToolProcess&) = delete;

    bool Started() const { return m_pi.hProcess != nullptr; }
    bool Running() const;
    DWORD ProcessId() const { return m_pi.dwProcessId; }
    // Waits up to nMillis; a run still going then is killed and reported with nExit -1.
    SToolRun Finish(unsigned nMillis);

private:
    void CloseOutputs();

    mvltest::CTempDir m_dir;
    DWORD m_dwStartError = 0;
    HANDLE m_hOut = INVALID_HANDLE_VALUE;
    HANDLE m_hErr = INVALID_HANDLE_VALUE;
    PROCESS_INFORMATION m_pi{};
};

SToolRun RunTool(const std::vector<std::wstring>& args, unsigned nMillis = 60000);
