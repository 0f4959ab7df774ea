// What a Windows test needs around it: the installed product's paths, unique names,
// and scoped registry values, environment variables and files that undo themselves.
#pragma once

#include <windows.h>

#include <filesystem>
#include <string>

namespace mvltest {

std::wstring WindowsDir();
// C:\Windows\twain_64
std::wstring TwainDir();
// The model folder of the installed A4 duplex model and its data source.
std::wstring InstalledModelDir();
std::wstring InstalledDsPath();
// A name no other test of this run uses: prefix + process id + counter.
std::wstring UniqueName(const std::wstring& sPrefix);
// A fresh folder under the temporary folder, removed with the object.
class CTempDir {
public:
    CTempDir();
    ~CTempDir();
    const std::filesystem::path& Path() const { return m_path; }

private:
    std::filesystem::path m_path;
};

// Sets an environment variable of this process for the scope.
class CScopedEnv {
public:
    CScopedEnv(const wchar_t* pszName, const wchar_t* pszValue);
    ~CScopedEnv();

private:
    std::wstring m_sName;
    std::wstring m_sOld;
    bool m_bHadOld = false;
};

// A registry key created for the scope and deleted with everything below it.
class CScopedRegKey {
public:
    CScopedRegKey(HKEY hRoot, const std::wstring& sSubKey);
    ~CScopedRegKey();
    bool SetString(const wchar_t* pszName, const std::wstring& sValue);
    bool SetDword(const wchar_t* pszName, DWORD dwValue);
    bool GetDword(const wchar_t* pszName, DWORD* pValue) const;
    bool HasValue(const wchar_t* pszName) const;
    const std::wstring& SubKey() const { return m_sSubKey; }

private:
    HKEY m_hRoot;
    std::wstring m_sSubKey;
    HKEY m_hKey = nullptr;
};

bool WriteTextFile(const std::filesystem::path& path, const std::string& sText);
std::string ReadTextFile(const std::filesystem::path& path);

// Where tests keep screenshots and other artifacts worth looking at.
std::filesystem::path ArtifactDir();
// The gallery: screenshots by dialog and language, <dialog>-<file code>.png, that the end of the
// test run shows together in index.html (build/win/gallery).
std::filesystem::path GalleryDir();

}  // namespace mvltest
