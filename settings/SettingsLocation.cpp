#include "settings/SettingsLocation.h"

#include "settings/ScanSettingsStore.h"
#include "settings/SettingsProfile.h"
#include "settings/WideUtf8.h"

#include <filesystem>
#include <system_error>

namespace {

bool EnsureDirectory(const std::wstring& szPath)
{
    const std::filesystem::path path = WideToPath(szPath);
    if (path.empty())
        return false;
    std::error_code ec;
    std::filesystem::create_directories(path, ec);
    return std::filesystem::is_directory(path, ec);
}

bool IsSeparator(wchar_t c)
{
    return c == L'\\' || c == L'/';
}

// A part without its own separator is still a folder below the one before it.
std::wstring Join(const std::wstring& szBase, const std::wstring& szPart)
{
    if (szBase.empty() || szPart.empty() || IsSeparator(szBase.back()) || IsSeparator(szPart.front()))
        return szBase + szPart;
    return szBase + static_cast<wchar_t>(std::filesystem::path::preferred_separator) + szPart;
}

}  // namespace

CSettingsLocation MakeSettingsLocation(const std::wstring& szAppData, const std::wstring& szSettingFolder,
                                       const std::wstring& szSettingPath)
{
    // The file names are appended to the directory directly: it ends with a separator.
    std::wstring szDirectory = Join(szAppData, szSettingPath);
    if (!szDirectory.empty() && !IsSeparator(szDirectory.back()))
        szDirectory += static_cast<wchar_t>(std::filesystem::path::preferred_separator);
    return CSettingsLocation{szDirectory, Join(szAppData, szSettingFolder)};
}

CSettingsLocation SettingsLocationFromProfile(const std::wstring& szAppData)
{
    return MakeSettingsLocation(szAppData, ReadTwainProfileString(L"Setting Folder"),
                                ReadTwainProfileString(L"Setting Path"));
}

bool CreateSettingsDirectories(const CSettingsLocation& location)
{
    EnsureDirectory(location.m_szFolder);
    return EnsureDirectory(location.m_szDirectory);
}

std::wstring SettingsFilePath(const CSettingsLocation& location, bool bFileOutputMode)
{
    return location.m_szDirectory + SettingsFileName(bFileOutputMode);
}

std::wstring NetInstallMarkerPath(const CSettingsLocation& location)
{
    return location.m_szDirectory + L"net_install.dat";
}

std::wstring ImgSaveSettingsPath(const CSettingsLocation& location)
{
    return location.m_szDirectory + L"imgSaveSettings.dat";
}
