#include "harness/TestEnv.h"

#include <atomic>
#include <fstream>
#include <sstream>
#include <vector>

namespace fs = std::filesystem;

namespace mvltest {

std::wstring WindowsDir()
{
    wchar_t sz[MAX_PATH] = L"";
    GetWindowsDirectoryW(sz, MAX_PATH);
    return sz;
}

std::wstring TwainDir()
{
    return WindowsDir() + L"\\twain_64";
}

std::wstring InstalledModelDir()
{
    return TwainDir() + L"\\MV4200";
}

std::wstring InstalledDsPath()
{
    return InstalledModelDir() + L"\\mvlTWAIN64.ds";
}

std::wstring UniqueName(const std::wstring& sPrefix)
{
    static std::atomic<int> s_nCounter{0};
    return sPrefix + std::to_wstring(GetCurrentProcessId()) + L"x" + std::to_wstring(++s_nCounter);
}

CTempDir::CTempDir()
{
    m_path = fs::temp_directory_path() / UniqueName(L"mvltest");
    fs::create_directories(m_path);
}

CTempDir::~CTempDir()
{
    std::error_code ec;
    fs::remove_all(m_path, ec);
}

CScopedEnv::CScopedEnv(const wchar_t* pszName, const wchar_t* pszValue) : m_sName(pszName)
{
    std::vector<wchar_t> buf(32768);
    DWORD n = GetEnvironmentVariableW(pszName, buf.data(), static_cast<DWORD>(buf.size()));
    if (n > 0 && n < buf.size()) {
        m_bHadOld = true;
        m_sOld.assign(buf.data(), n);
    }
    SetEnvironmentVariableW(pszName, pszValue);
}

CScopedEnv::~CScopedEnv()
{
    SetEnvironmentVariableW(m_sName.c_str(), m_bHadOld ? m_sOld.c_str() : nullptr);
}

CScopedRegKey::CScopedRegKey(HKEY hRoot, const std::wstring& sSubKey) : m_hRoot(hRoot), m_sSubKey(sSubKey)
{
    RegCreateKeyExW(hRoot, sSubKey.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &m_hKey, nullptr);
}

CScopedRegKey::~CScopedRegKey()
{
    if (m_hKey)
        RegCloseKey(m_hKey);
    RegDeleteTreeW(m_hRoot, m_sSubKey.c_str());
}

bool CScopedRegKey::SetString(const wchar_t* pszName, const std::wstring& sValue)
{
    return m_hKey && RegSetValueExW(m_hKey, pszName, 0, REG_SZ, reinterpret_cast<const BYTE*>(sValue.c_str()),
                                    static_cast<DWORD>((sValue.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
}

bool CScopedRegKey::SetDword(const wchar_t* pszName, DWORD dwValue)
{
    return m_hKey && RegSetValueExW(m_hKey, pszName, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&dwValue),
                                    sizeof dwValue) == ERROR_SUCCESS;
}

bool CScopedRegKey::GetDword(const wchar_t* pszName, DWORD* pValue) const
{
    DWORD cb = sizeof(DWORD), dwType = 0;
    return m_hKey && RegQueryValueExW(m_hKey, pszName, nullptr, &dwType, reinterpret_cast<BYTE*>(pValue), &cb) ==
                         ERROR_SUCCESS && dwType == REG_DWORD;
}

bool CScopedRegKey::HasValue(const wchar_t* pszName) const
{
    return m_hKey && RegQueryValueExW(m_hKey, pszName, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
}

bool WriteTextFile(const fs::path& path, const std::string& sText)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << sText;
    return static_cast<bool>(out);
}

std::string ReadTextFile(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

namespace {

fs::path DirFromEnv(const wchar_t* pszVariable, const wchar_t* pszFallback)
{
    wchar_t sz[MAX_PATH] = L"";
    fs::path dir = GetEnvironmentVariableW(pszVariable, sz, MAX_PATH) ? fs::path(sz) : fs::temp_directory_path() / pszFallback;
    std::error_code ec;
    fs::create_directories(dir, ec);
    return dir;
}

}  // namespace

fs::path ArtifactDir()
{
    return DirFromEnv(L"MVL_TEST_ARTIFACTS", L"mvl-artifacts");
}

fs::path GalleryDir()
{
    return DirFromEnv(L"MVL_GALLERY", L"mvl-gallery");
}

}  // namespace mvltest
