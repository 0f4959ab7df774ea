#include "tests/twainscan/ToolRunner.h"

#include <windows.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "harness/TestEnv.h"
#include "tests/twainscan/FakeInstall.h"

namespace fs = std::filesystem;

namespace {

std::wstring Quote(const std::wstring& s)
{
    if (!s.empty() && s.find_first_of(L" \t\"") == std::wstring::npos)
        return s;
    std::wstring q = L"\"";
    for (wchar_t c : s) {
        if (c == L'"')
            q += L'\\';
        q += c;
    }
    return q + L"\"";
}

HANDLE InheritableFile(const fs::path& path)
{
    SECURITY_ATTRIBUTES sa{sizeof(sa), nullptr, TRUE};
    return CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &sa, CREATE_ALWAYS, 0, nullptr);
}

std::string ReadAll(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    // The console runtime writes line ends as CR LF; compare lines as text.
    std::string s = ss.str();
    s.erase(std::remove(s.begin(), s.end(), '\r'), s.end());
    return s;
}

}  // namespace

CToolProcess::CToolProcess(const std::vector<std::wstring>& args)
{
    std::wstring sCmd = Quote(BinDir() + L"\\twainscan.exe");
    for (const std::wstring& arg : args)
        sCmd += L" " + Quote(arg);
    m_hOut = InheritableFile(m_dir.Path() / "out.txt");
    m_hErr = InheritableFile(m_dir.Path() / "err.txt");
    STARTUPINFOW si{};
    si.cb = sizeof(si);
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    si.hStdOutput = m_hOut;
    si.hStdError = m_hErr;
    if (!CreateProcessW(nullptr, sCmd.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si, &m_pi)) {
        m_dwStartError = GetLastError();
        m_pi = PROCESS_INFORMATION{};
    }
}

CToolProcess::~CToolProcess()
{
    if (Running()) {
        TerminateProcess(m_pi.hProcess, 255);
        WaitForSingleObject(m_pi.hProcess, 5000);
    }
    if (m_pi.hProcess) {
        CloseHandle(m_pi.hProcess);
        CloseHandle(m_pi.hThread);
    }
    CloseOutputs();
}

bool CToolProcess::Running() const
{
    return m_pi.hProcess && WaitForSingleObject(m_pi.hProcess, 0) == WAIT_TIMEOUT;
}

void CToolProcess::CloseOutputs()
{
    for (HANDLE* p : {&m_hOut, &m_hErr}) {
        if (*p != INVALID_HANDLE_VALUE)
            CloseHandle(*p);
        *p = INVALID_HANDLE_VALUE;
    }
}

SToolRun CToolProcess::Finish(unsigned nMillis)
{
    SToolRun run;
    if (m_pi.hProcess) {
        if (WaitForSingleObject(m_pi.hProcess, nMillis) == WAIT_OBJECT_0) {
            DWORD dwExit = 0;
            GetExitCodeProcess(m_pi.hProcess, &dwExit);
            run.nExit = static_cast<int>(dwExit);
        } else {
            TerminateProcess(m_pi.hProcess, 255);
            WaitForSingleObject(m_pi.hProcess, 5000);
        }
    }
    CloseOutputs();
    run.sOut = ReadAll(m_dir.Path() / "out.txt");
    run.sErr = ReadAll(m_dir.Path() / "err.txt");
    if (!m_pi.hProcess)
        run.sErr += "twainscan.exe could not be started: error " + std::to_string(m_dwStartError) + "\n";
    return run;
}

SToolRun RunTool(const std::vector<std::wstring>& args, unsigned nMillis)
{
    return CToolProcess(args).Finish(nMillis);
}
