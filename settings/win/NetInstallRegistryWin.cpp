#include "settings/win/SettingsWin.h"

#include <windows.h>

#include <memory>
#include <vector>

namespace {

// Address and time stamp are short texts; a value far larger is not the installer's.
constexpr DWORD kMaxValueBytes = 4096;

struct CKeyCloser {
    void operator()(HKEY hKey) const { RegCloseKey(hKey); }
};
using CKeyPtr = std::unique_ptr<std::remove_pointer_t<HKEY>, CKeyCloser>;

}  // namespace

std::optional<std::wstring> CRegistryNetInstallSource::ReadValue(const std::wstring& szKeyPath,
                                                                 const wchar_t* szValueName)
{
    HKEY hRaw = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, szKeyPath.c_str(), 0, KEY_QUERY_VALUE | KEY_WOW64_64KEY, &hRaw) !=
        ERROR_SUCCESS)
        return std::nullopt;
    CKeyPtr pKey(hRaw);
    DWORD nType = 0, nBytes = 0;
    if (RegQueryValueExW(pKey.get(), szValueName, nullptr, &nType, nullptr, &nBytes) != ERROR_SUCCESS ||
        (nType != REG_SZ && nType != REG_EXPAND_SZ) || nBytes > kMaxValueBytes)
        return std::nullopt;
    std::vector<wchar_t> buf(nBytes / sizeof(wchar_t) + 1, L'\0');
    if (RegQueryValueExW(pKey.get(), szValueName, nullptr, &nType, reinterpret_cast<BYTE*>(buf.data()), &nBytes) !=
        ERROR_SUCCESS)
        return std::nullopt;
    // Stored strings need not be terminated; the extra element guarantees it.
    buf[std::min<size_t>(nBytes / sizeof(wchar_t), buf.size() - 1)] = L'\0';
    return std::wstring(buf.data());
}
