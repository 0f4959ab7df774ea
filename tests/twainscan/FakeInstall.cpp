#include "tests/twainscan/FakeInstall.h"

#include <filesystem>
#include <fstream>
#include <sstream>

#include "harness/TestEnv.h"

namespace fs = std::filesystem;

std::wstring BinDir()
{
    wchar_t sz[MAX_PATH] = L"";
    GetModuleFileNameW(nullptr, sz, MAX_PATH);
    return fs::path(sz).parent_path().wstring();
}

CFakeInstall::CFakeInstall()
{
    std::wstring sUnique = mvltest::UniqueName(L"fake");
    m_sName = "mvl " + std::string(sUnique.begin(), sUnique.end());
    m_sDir = mvltest::TwainDir() + L"\\" + sUnique;
    m_sDsPath = m_sDir + L"\\mvlfake.ds";
    m_sIni = m_sDir + L"\\fake.ini";
    m_sLog = m_sDir + L"\\fake.log";
    std::error_code ec;
    fs::create_directories(m_sDir, ec);
    m_bInstalled = fs::copy_file(BinDir() + L"\\mvlfake.ds", m_sDsPath, fs::copy_options::overwrite_existing, ec);
    Set(L"Name", std::wstring(m_sName.begin(), m_sName.end()));
    Set(L"Log", m_sLog);
}

CFakeInstall::~CFakeInstall()
{
    std::error_code ec;
    fs::remove_all(m_sDir, ec);
}

void CFakeInstall::Set(const wchar_t* pszKey, const std::wstring& sValue)
{
    WritePrivateProfileStringW(L"fake", pszKey, sValue.c_str(), m_sIni.c_str());
}

std::string CFakeInstall::Log() const
{
    std::ifstream in(fs::path(m_sLog), std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

void CFakeInstall::ClearLog()
{
    DeleteFileW(m_sLog.c_str());
}

int CFakeInstall::CountInLog(const std::string& sPart) const
{
    std::istringstream in(Log());
    int n = 0;
    for (std::string sLine; std::getline(in, sLine);)
        n += sLine.find(sPart) != std::string::npos;
    return n;
}
