// The Windows side of the settings store: the user's application-data folder, the settings
// location of this product, and the registry key the installer leaves a network address in.
#pragma once

#include "settings/SettingsLocation.h"
#include "settings/SettingsRestore.h"

#include <string>

// The user's application-data folder (created when missing), without a trailing separator.
// When the system cannot name one, the user's temporary folder, so settings keep working.
std::wstring AppDataFolder();

// The settings location from the application-data folder and the product profile, with both
// folders created.
CSettingsLocation CurrentSettingsLocation();

// "imgSaveSettings.dat" in the current settings location, traced; a profile without the
// location's keys is traced as an error (the file then lands in the application-data folder).
std::wstring CurrentImgSaveSettingsPath();

// Reads string values under HKEY_LOCAL_MACHINE in its 64-bit view.
class CRegistryNetInstallSource : public INetInstallSource {
public:
    std::optional<std::wstring> ReadValue(const std::wstring& szKeyPath, const wchar_t* szValueName) override;
};
