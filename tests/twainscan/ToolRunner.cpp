#include "tests/twainscan/ToolRunner.h"

#include <windows.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

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

SToolRun RunTool(const std::vector<std::wstring>& args, unsigned nMillis)
{
    mvltest::CTempDir dir;
    std::wstring sCmd = Quote(BinDir() + L"\\twainscan.exe");
    for (const std::wstring& arg : args)
        sCmd += L" " + Quote(arg);
    HANDLE hOut = InheritableFile(dir.Path() / "out.txt");
    HANDLE hErr = InheritableFile(dir.Path() / "err.txt");
    STARTUPINFOW si{};
    si.cb = sizeof(si);
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    si.hStdOutput = hOut;
    si.hStdError = hErr;
    PROCESS_INFORMATION pi{};
    SToolRun run;
    if (CreateProcessW(nullptr, sCmd.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si, &pi)) {
        if (WaitForSingleObject(pi.hProcess, nMillis) == WAIT_OBJECT_0) {
            DWORD dwExit = 0;
            GetExitCodeProcess(pi.hProcess, &dwExit);
            run.nExit = static_cast<int>(dwExit);
        } else {
            TerminateProcess(pi.hProcess, 255);
            WaitForSingleObject(pi.hProcess, 5000);
        }
        CloseHandle(pi.hProcess);
        CloseHandle(pi.hThread);
    }
    CloseHandle(hOut);
    CloseHandle(hErr);
    run.sOut = ReadAll(dir.Path() / "out.txt");
    run.sErr = ReadAll(dir.Path() / "err.txt");
    return run;
}
