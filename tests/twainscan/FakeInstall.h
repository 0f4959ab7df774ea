// The fake data source installed for one test under the Windows twain_64 folder, in a folder
// and under a product name no other test uses, with its settings file and triplet log.
#pragma once

#include <windows.h>

#include <string>

class CFakeInstall {
public:
    CFakeInstall();
    ~CFakeInstall();
    CFakeInstall(const CFakeInstall&) = delete;
    CFakeInstall& operator=(const CFakeInstall&) = delete;

    bool Installed() const { return m_bInstalled; }
    const std::string& Name() const { return m_sName; }
    const std::wstring& DsPath() const { return m_sDsPath; }
    // Writes one key of the [fake] section (Fault, Notify, Pages, DS2).
    void Set(const wchar_t* pszKey, const std::wstring& sValue);
    std::string Log() const;
    void ClearLog();
    // Lines of the log that contain sPart.
    int CountInLog(const std::string& sPart) const;

private:
    std::string m_sName;
    std::wstring m_sDir;
    std::wstring m_sDsPath;
    std::wstring m_sIni;
    std::wstring m_sLog;
    bool m_bInstalled = false;
};

// The folder of the running test executable, where the built tools and libraries are.
std::wstring BinDir();
