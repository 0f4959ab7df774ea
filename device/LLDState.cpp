#include "device/LLDState.h"

#include <cwchar>

SLLDOpenFlags g_lldOpenFlags = {};
volatile BOOL gbcancel = FALSE;

bool IsContinueScanHostName(const wchar_t* pszModulePath)
{
    if (!pszModulePath)
        return false;
    const wchar_t* pszName = pszModulePath;
    for (const wchar_t* p = pszModulePath; *p; ++p)
        if (*p == L'\\' || *p == L'/')
            pszName = p + 1;
    return _wcsicmp(pszName, L"MSPVIEW.EXE") == 0 || _wcsicmp(pszName, L"MSPSCAN.EXE") == 0;
}

bool IsContinueScanHost()
{
    wchar_t szPath[MAX_PATH * 2] = {};
    DWORD n = GetModuleFileNameW(nullptr, szPath, MAX_PATH * 2);
    return n > 0 && n < MAX_PATH * 2 && IsContinueScanHostName(szPath);
}
