// Connects the settings store to the product profile INI when the data source loads.
#include "profile/ProductProfile.h"
#include "settings/SettingsProfile.h"

namespace {

std::wstring ReadTwainKey(const wchar_t* szKey)
{
    return ReadProfileString(L"TWAIN", szKey);
}

struct CSettingsProfileInstaller {
    CSettingsProfileInstaller() { SetTwainProfileReader(&ReadTwainKey); }
};

const CSettingsProfileInstaller g_settingsProfileInstaller;

}  // namespace
