#include "profile/Language.h"

#include <algorithm>
#include <cwchar>
#include <string>

#include "profile/ProductProfile.h"
#include "profile/Trace.h"

namespace {

LCID (*g_pfnSystemLcid)() = nullptr;

LCID SystemLcid()
{
    return g_pfnSystemLcid ? g_pfnSystemLcid() : GetSystemDefaultLCID();
}

void ApplyChars(const SLanguageChars& c)
{
    g_wcDecimalSep = c.wcDecimal;
    g_byPreviewKey = c.byPreviewKey;
    g_byScanKey = c.byScanKey;
}

// The "Language" value under HKEY_LOCAL_MACHINE\<key>; empty when the key or value is missing.
std::wstring ReadRegistryLanguage(const std::wstring& sKey)
{
    HKEY hKey = nullptr;
    if (sKey.empty() || RegOpenKeyExW(HKEY_LOCAL_MACHINE, sKey.c_str(), 0, KEY_READ, &hKey) != ERROR_SUCCESS)
        return L"";
    wchar_t szValue[129] = L"";  // 256 bytes and a guaranteed end
    DWORD dwType = 0, dwBytes = 256;
    LONG lResult = RegQueryValueExW(hKey, L"Language", nullptr, &dwType, reinterpret_cast<BYTE*>(szValue), &dwBytes);
    RegCloseKey(hKey);
    if (lResult != ERROR_SUCCESS || (dwType != REG_SZ && dwType != REG_EXPAND_SZ))
        return L"";
    szValue[std::min<DWORD>(dwBytes / sizeof(wchar_t), 128)] = L'\0';
    return szValue;
}

}  // namespace

void SetSystemLcidQuery(LCID (*pfnQuery)())
{
    g_pfnSystemLcid = pfnQuery;
}

const wchar_t* LanguageName(int nIndex)
{
    return LanguageNameAt(nIndex);
}

void SelectLanguage(wchar_t* pszCode)
{
    ApplyChars(SLanguageChars{});
    const std::wstring sKey = ReadProfileString(L"TWAIN", L"Registry");
    TraceW(L"MFP_REG_PATH = %ls", sKey.c_str());
    int nIndex = LanguageIndexFromName(ReadRegistryLanguage(sKey).c_str());
    if (nIndex < 0)
        nIndex = LanguageIndexFromLcid(static_cast<uint32_t>(SystemLcid()));
    g_LangugueID = nIndex;
    TraceA("g_LangugueID == %d", g_LangugueID);
    const wchar_t* pszFileCode = LanguageCodeAt(nIndex);
    ApplyChars(LanguageCharsAt(nIndex));
    g_bHebrew = IsRightToLeftCode(pszFileCode) ? TRUE : FALSE;
    if (g_bHebrew)
        TraceA("g_bHebrew = TRUE;");
    if (pszCode) {
        std::wcsncpy(pszCode, pszFileCode, kLanguageCodeChars - 1);
        pszCode[kLanguageCodeChars - 1] = L'\0';
    }
}
