#include "harness/ChildProcess.h"

#include <map>

namespace mvltest {

namespace {

std::map<std::wstring, ChildAction>& Actions()
{
    static std::map<std::wstring, ChildAction> s_actions;
    return s_actions;
}

std::wstring Quote(const std::wstring& s)
{
    return L"\"" + s + L"\"";
}

}  // namespace

bool RegisterChildAction(const std::wstring& sName, ChildAction action)
{
    Actions()[sName] = std::move(action);
    return true;
}

bool RunChildIfRequested(int argc, wchar_t** argv, int* pExitCode)
{
    if (argc < 3 || std::wstring(argv[1]) != L"--child")
        return false;
    auto it = Actions().find(argv[2]);
    if (it == Actions().end()) {
        *pExitCode = 97;
        return true;
    }
    std::vector<std::wstring> args(argv + 3, argv + argc);
    *pExitCode = it->second(args);
    return true;
}

CChildProcess::CChildProcess(const std::wstring& sAction, const std::vector<std::wstring>& args)
{
    wchar_t szExe[MAX_PATH] = L"";
    GetModuleFileNameW(nullptr, szExe, MAX_PATH);
    std::wstring sCmd = Quote(szExe) + L" --child " + Quote(sAction);
    for (const auto& a : args)
        sCmd += L" " + Quote(a);
    STARTUPINFOW si{};
    si.cb = sizeof si;
    if (!CreateProcessW(szExe, sCmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &m_pi))
        m_pi = PROCESS_INFORMATION{};
}

CChildProcess::~CChildProcess()
{
    if (!m_pi.hProcess)
        return;
    if (WaitForSingleObject(m_pi.hProcess, 0) == WAIT_TIMEOUT)
        TerminateProcess(m_pi.hProcess, 99);
    CloseHandle(m_pi.hThread);
    CloseHandle(m_pi.hProcess);
}

int CChildProcess::Wait(DWORD dwMillis)
{
    if (!m_pi.hProcess || WaitForSingleObject(m_pi.hProcess, dwMillis) != WAIT_OBJECT_0)
        return -1;
    DWORD dwCode = 0;
    GetExitCodeProcess(m_pi.hProcess, &dwCode);
    return static_cast<int>(dwCode);
}

CNamedEvent::CNamedEvent(const std::wstring& sName)
{
    m_hEvent = CreateEventW(nullptr, TRUE, FALSE, sName.c_str());
}

CNamedEvent::~CNamedEvent()
{
    if (m_hEvent)
        CloseHandle(m_hEvent);
}

}  // namespace mvltest
