#include "settings/win/SettingsWin.h"

#include "profile/Trace.h"
#include "settings/SettingsProfile.h"

#include <shlobj.h>
#include <windows.h>

#include <cstring>

namespace {

std::wstring WithoutTrailingSeparator(std::wstring szPath)
{
    while (szPath.size() > 3 && (szPath.back() == L'\\' || szPath.back() == L'/'))
        szPath.pop_back();
    return szPath;
}

}  // namespace

std::wstring AppDataFolder()
{
    wchar_t szPath[MAX_PATH] = {};
    if (SUCCEEDED(SHGetFolderPathW(nullptr, CSIDL_APPDATA | CSIDL_FLAG_CREATE, nullptr, SHGFP_TYPE_CURRENT, szPath)))
        return WithoutTrailingSeparator(szPath);
    const DWORD nLen = GetTempPathW(MAX_PATH, szPath);
    if (nLen == 0 || nLen >= MAX_PATH)
        return std::wstring();
    TraceW(L"AppDataFolder: no application-data folder, using %ls", szPath);
    return WithoutTrailingSeparator(szPath);
}

CSettingsLocation CurrentSettingsLocation()
{
    CSettingsLocation location = SettingsLocationFromProfile(AppDataFolder());
    CreateSettingsDirectories(location);
    return location;
}

std::wstring CurrentImgSaveSettingsPath()
{
    for (const char* pszKey : {"Setting Folder", "Setting Path"}) {
        const std::wstring szKey(pszKey, pszKey + strlen(pszKey));
        if (ReadTwainProfileString(szKey.c_str()).empty())
            TraceA("Error: GetPrivateProfileString(%s) failed with 0x%x", pszKey, static_cast<unsigned>(GetLastError()));
    }
    const std::wstring szPath = ImgSaveSettingsPath(CurrentSettingsLocation());
    TraceW(L"%ls", szPath.c_str());
    return szPath;
}
