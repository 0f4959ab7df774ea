#include "profile/LibraryLoad.h"

#include <cwctype>

namespace {

constexpr DWORD kBesideItself = LOAD_LIBRARY_SEARCH_DLL_LOAD_DIR | LOAD_LIBRARY_SEARCH_SYSTEM32;
constexpr DWORD kProgramOrSystem = LOAD_LIBRARY_SEARCH_APPLICATION_DIR | LOAD_LIBRARY_SEARCH_SYSTEM32;

bool IsSlash(wchar_t c)
{
    return c == L'\\' || c == L'/';
}

// Windows 7 without its loader update refuses the search flags; there the altered search path
// (dependencies from the library's folder first) is the nearest it offers.
HMODULE LoadWithSearch(const wchar_t* pszName, DWORD dwFlags, DWORD dwFallback)
{
    HMODULE h = LoadLibraryExW(pszName, nullptr, dwFlags);
    if (!h && GetLastError() == ERROR_INVALID_PARAMETER && dwFallback != 0)
        h = LoadLibraryExW(pszName, nullptr, dwFallback);
    return h;
}

}  // namespace

bool IsFullPath(const std::wstring& sPath)
{
    if (sPath.size() >= 3 && iswalpha(sPath[0]) && sPath[1] == L':' && IsSlash(sPath[2]))
        return true;
    return sPath.size() >= 3 && IsSlash(sPath[0]) && IsSlash(sPath[1]) && !IsSlash(sPath[2]);
}

HMODULE LoadLibraryByFullPath(const std::wstring& sFullPath)
{
    if (!IsFullPath(sFullPath)) {
        SetLastError(ERROR_BAD_PATHNAME);
        return nullptr;
    }
    return LoadWithSearch(sFullPath.c_str(), kBesideItself, LOAD_WITH_ALTERED_SEARCH_PATH);
}

HMODULE LoadSystemLibrary(const wchar_t* pszName)
{
    // Without the search flags there is no safe search for a bare name: nothing is loaded.
    return pszName ? LoadWithSearch(pszName, kProgramOrSystem, 0) : nullptr;
}
