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

}  // namespace

CSettingsLocation MakeSettingsLocation(const std::wstring& szAppData, const std::wstring& szSettingFolder,
                                       const std::wstring& szSettingPath)
{
    return CSettingsLocation{szAppData + szSettingPath, szAppData + szSettingFolder};
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
