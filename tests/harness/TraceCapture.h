// Captures the trace lines a loaded module writes with OutputDebugStringA/W by pointing
// that module's import entries at our own functions.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace mvltest {

class CTraceCapture {
public:
    // Redirects the module's debug-output imports; lines are kept until Clear.
    explicit CTraceCapture(HMODULE hModule);
    ~CTraceCapture();
    CTraceCapture(const CTraceCapture&) = delete;
    CTraceCapture& operator=(const CTraceCapture&) = delete;

    bool Hooked() const { return m_nPatched > 0; }
    std::vector<std::string> Lines() const;
    void Clear();
    // True when some captured line contains the fragment.
    bool Contains(const std::string& sFragment) const;
    size_t Count(const std::string& sFragment) const;

private:
    HMODULE m_hModule;
    int m_nPatched = 0;
};

// Points the module's imports of OutputDebugStringA and W at pfnA and pfnW (null: back at the
// system's own); the number of entries changed.
int RedirectDebugOutput(HMODULE hModule, FARPROC pfnA, FARPROC pfnW);

// UTF-8 of a wide string.
std::string Narrow(const std::wstring& s);
std::wstring Widen(const std::string& s);

}  // namespace mvltest
