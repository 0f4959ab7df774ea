// The simulated scanner's record of what it was asked to do: calls, events and every breach
// of the calling order ("VIOLATION ..."), one line each, appended to a file the tests read.
#pragma once

#include <mutex>
#include <string>

class CSimLog {
public:
    void SetPath(const std::string& sPath);
    void Line(const std::string& sLine);
    void Violation(const std::string& sWhat) { Line("VIOLATION " + sWhat); }

private:
    std::mutex m_mutex;
    std::string m_sPath;
};
