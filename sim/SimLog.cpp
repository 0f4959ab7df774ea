#include "sim/SimLog.h"

#include <fstream>

void CSimLog::SetPath(const std::string& sPath)
{
    std::lock_guard lock(m_mutex);
    m_sPath = sPath;
}

void CSimLog::Line(const std::string& sLine)
{
    std::lock_guard lock(m_mutex);
    if (m_sPath.empty())
        return;
    // Opened per line so that a test can read or delete the file at any moment.
    std::ofstream out(m_sPath, std::ios::app | std::ios::binary);
    out << sLine << '\n';
}
