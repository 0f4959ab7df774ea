#include "profile/Trace.h"

#include <cstdio>
#include <cstdlib>
#include <cwchar>

#if defined(_WIN32)
#include <windows.h>
#endif

namespace {

constexpr int kTraceChars = 256;

TraceSinkA g_pfnSinkA = nullptr;
TraceSinkW g_pfnSinkW = nullptr;

void WriteA(const char* line)
{
    if (g_pfnSinkA) {
        g_pfnSinkA(line);
        return;
    }
#if defined(_WIN32)
    OutputDebugStringA(line);
#endif
}

void WriteW(const wchar_t* line)
{
    if (g_pfnSinkW) {
        g_pfnSinkW(line);
        return;
    }
#if defined(_WIN32)
    OutputDebugStringW(line);
#endif
}

}  // namespace

void SetTraceSinks(TraceSinkA narrow, TraceSinkW wide)
{
    g_pfnSinkA = narrow;
    g_pfnSinkW = wide;
}

void TraceVA(const char* fmt, va_list args)
{
    char szLine[kTraceChars];
    std::vsnprintf(szLine, sizeof szLine, fmt, args);
    WriteA(szLine);
}

void TraceA(const char* fmt, ...)
{
    va_list args;
    va_start(args, fmt);
    TraceVA(fmt, args);
    va_end(args);
}

void TraceW(const wchar_t* fmt, ...)
{
    wchar_t szLine[kTraceChars];
    va_list args;
    va_start(args, fmt);
    int n = std::vswprintf(szLine, kTraceChars, fmt, args);
    va_end(args);
    if (n < 0)  // vswprintf reports truncation as an error and may leave the buffer unterminated
        szLine[kTraceChars - 1] = L'\0';
    WriteW(szLine);
}

bool IsTestTraceOn()
{
#if defined(_WIN32)
    wchar_t szValue[4] = {};
    return GetEnvironmentVariableW(L"mvlTWAINtest", szValue, 4) == 1;
#else
    const char* value = std::getenv("mvlTWAINtest");
    return value && value[0] != '\0' && value[1] == '\0';
#endif
}
