// Text between the console, Windows' wide calls and the tool's messages: UTF-8 inside the tool,
// UTF-16 at the Windows boundary, and one form for every failure message.
#pragma once

#include <windows.h>

#include <cstdio>
#include <string>

inline std::string Narrow(const wchar_t* psz)
{
    if (!psz)
        return {};
    int n = WideCharToMultiByte(CP_UTF8, 0, psz, -1, nullptr, 0, nullptr, nullptr);
    std::string s(n > 0 ? n - 1 : 0, '\0');
    if (n > 1)
        WideCharToMultiByte(CP_UTF8, 0, psz, -1, s.data(), n, nullptr, nullptr);
    return s;
}

inline std::wstring Widen(const std::string& s)
{
    int n = MultiByteToWideChar(CP_UTF8, 0, s.c_str(), -1, nullptr, 0);
    std::wstring w(n > 0 ? n - 1 : 0, L'\0');
    if (n > 1)
        MultiByteToWideChar(CP_UTF8, 0, s.c_str(), -1, w.data(), n);
    return w;
}

// The full path of a file named relative to the current directory; empty when it is too long.
inline std::wstring FullPath(const std::wstring& sPath)
{
    wchar_t szFull[MAX_PATH] = L"";
    DWORD n = GetFullPathNameW(sPath.c_str(), MAX_PATH, szFull, nullptr);
    return n > 0 && n < MAX_PATH ? std::wstring(szFull, n) : std::wstring();
}

// Prints the failure the way scripts and users see every one of them, and passes its status on.
inline int Fail(int nStatus, const std::string& sText)
{
    fprintf(stderr, "twainscan: %s\n", sText.c_str());
    return nStatus;
}
