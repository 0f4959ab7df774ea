// Collects the narrow trace lines written while it lives.
#pragma once

#include "profile/Trace.h"

#include <algorithm>
#include <string>
#include <vector>

class CTraceCapture {
public:
    CTraceCapture()
    {
        Lines().clear();
        SetTraceSinks(&Collect, nullptr);
    }
    ~CTraceCapture() { SetTraceSinks(nullptr, nullptr); }
    CTraceCapture(const CTraceCapture&) = delete;
    CTraceCapture& operator=(const CTraceCapture&) = delete;

    const std::vector<std::string>& All() const { return Lines(); }
    bool Has(const std::string& line) const { return std::find(Lines().begin(), Lines().end(), line) != Lines().end(); }
    bool HasPrefix(const std::string& prefix) const
    {
        return std::any_of(Lines().begin(), Lines().end(), [&](const std::string& l) { return l.rfind(prefix, 0) == 0; });
    }

private:
    static std::vector<std::string>& Lines()
    {
        static std::vector<std::string> s_lines;
        return s_lines;
    }
    static void Collect(const char* line) { Lines().emplace_back(line); }
};
