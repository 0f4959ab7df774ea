// Trace lines on the system debugger channel. Each line is formatted into a buffer of
// 256 characters (longer output is cut) and written unconditionally. Portable: natively the
// lines go to a sink the tests install, on Windows to OutputDebugString.
#pragma once

#include <cstdarg>

using TraceSinkA = void (*)(const char* line);
using TraceSinkW = void (*)(const wchar_t* line);

// Replaces where lines go (null restores the platform channel). For tests and tools.
void SetTraceSinks(TraceSinkA narrow, TraceSinkW wide);

void TraceA(const char* fmt, ...) __attribute__((format(printf, 1, 2)));
void TraceW(const wchar_t* fmt, ...);
void TraceVA(const char* fmt, va_list args);

// The extra-trace switch: the environment variable "mvlTWAINtest" holds a
// one-character value. Call sites cache the answer (see TRACE_TEST).
bool IsTestTraceOn();

// A line written only when the extra-trace switch is on; the switch is queried once per call site.
#define TRACE_TEST(...)                                      \
    do {                                                     \
        static const bool s_bTestTraceOn = IsTestTraceOn();  \
        if (s_bTestTraceOn) TraceA(__VA_ARGS__);             \
    } while (0)
