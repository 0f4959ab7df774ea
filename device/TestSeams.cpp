#include "device/TestSeams.h"

#include <windows.h>

#include <cwchar>

std::optional<uint64_t> SeamValue(const wchar_t* pszName)
{
    if (!pszName)
        return std::nullopt;
    wchar_t szValue[32] = L"";
    const DWORD n = GetEnvironmentVariableW(pszName, szValue, 32);
    if (n == 0 || n >= 32)
        return std::nullopt;
    wchar_t* pEnd = nullptr;
    const unsigned long long v = std::wcstoull(szValue, &pEnd, 10);
    if (pEnd == szValue || *pEnd != L'\0')
        return std::nullopt;
    return static_cast<uint64_t>(v);
}
