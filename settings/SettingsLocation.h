// Where the settings files live: the user's application-data folder followed by the profile's
// "Setting Path". The profile values normally carry their own separators; where a part lacks
// one it is added, so that the files never land beside the application-data folder.
#pragma once

#include <string>

struct CSettingsLocation {
    std::wstring m_szDirectory;  // application data + "Setting Path": the files live here
    std::wstring m_szFolder;     // application data + "Setting Folder": created as well
};

CSettingsLocation MakeSettingsLocation(const std::wstring& szAppData, const std::wstring& szSettingFolder,
                                       const std::wstring& szSettingPath);

// Reads "Setting Folder" and "Setting Path" from section "TWAIN" of the product profile.
CSettingsLocation SettingsLocationFromProfile(const std::wstring& szAppData);

// Creates both folders when missing; true when the settings directory exists afterwards.
bool CreateSettingsDirectories(const CSettingsLocation& location);

std::wstring SettingsFilePath(const CSettingsLocation& location, bool bFileOutputMode);
std::wstring NetInstallMarkerPath(const CSettingsLocation& location);
// The save-settings record of file-output mode, beside the scan settings.
std::wstring ImgSaveSettingsPath(const CSettingsLocation& location);
