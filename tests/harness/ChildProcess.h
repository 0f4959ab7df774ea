// Cross-process tests: the test executable starts itself in child mode
// ("--child NAME ARGS...") to run a registered action in a second process
// under the same wineserver.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace mvltest {

using ChildAction = std::function<int(const std::vector<std::wstring>& args)>;

// Registers an action a child process can run; use at namespace scope through MVL_CHILD_ACTION.
bool RegisterChildAction(const std::wstring& sName, ChildAction action);
// Runs the action named on the command line when this process is a child; false otherwise.
bool RunChildIfRequested(int argc, wchar_t** argv, int* pExitCode);

class CChildProcess {
public:
    CChildProcess(const std::wstring& sAction, const std::vector<std::wstring>& args);
    ~CChildProcess();  // kills a child still running
    bool Started() const { return m_pi.hProcess != nullptr; }
    // The exit code, or -1 when it did not end within the limit.
    int Wait(DWORD dwMillis);

private:
    PROCESS_INFORMATION m_pi{};
};

// A named manual-reset event shared with a child.
class CNamedEvent {
public:
    explicit CNamedEvent(const std::wstring& sName);
    ~CNamedEvent();
    void Set() { SetEvent(m_hEvent); }
    bool Wait(DWORD dwMillis) { return WaitForSingleObject(m_hEvent, dwMillis) == WAIT_OBJECT_0; }

private:
    HANDLE m_hEvent;
};

}  // namespace mvltest

#define MVL_CHILD_ACTION(name, fn) \
    static const bool s_bRegistered_##fn = ::mvltest::RegisterChildAction(name, fn)
