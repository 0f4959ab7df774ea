#include "profile/FileUtils.h"

#include <shlobj.h>

#include <memory>
#include <new>
#include <vector>

#include "profile/FileNaming.h"
#include "profile/Trace.h"

namespace {

int(WINAPI* g_pfnLocaleInfo)(LCID, LCTYPE, LPWSTR, int) = nullptr;

std::wstring WithSlash(const wchar_t* pszFolder)
{
    std::wstring s = pszFolder ? pszFolder : L"";
    if (!s.empty() && s.back() != L'\\')
        s += L'\\';
    return s;
}

// The names of the files (not folders) in a folder that start with sPrefix.
std::vector<std::wstring> FilesStartingWith(const std::wstring& sFolder, const std::wstring& sPrefix)
{
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW fd{};
    HANDLE hFind = FindFirstFileW((sFolder + sPrefix + L"*").c_str(), &fd);
    if (hFind == INVALID_HANDLE_VALUE)
        return names;
    do {
        if (!(fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            names.emplace_back(fd.cFileName);
    } while (FindNextFileW(hFind, &fd));
    FindClose(hFind);
    return names;
}

struct SLocalFree {
    void operator()(wchar_t* p) const { LocalFree(p); }
};

}  // namespace

std::wstring GetTmpDataFilePath(const wchar_t* pszFileName)
{
    wchar_t szBase[MAX_PATH + 1] = L"";
    if (FAILED(SHGetFolderPathW(nullptr, CSIDL_APPDATA | CSIDL_FLAG_CREATE, nullptr, SHGFP_TYPE_CURRENT, szBase))) {
        DWORD n = GetTempPathW(MAX_PATH, szBase);
        if (n == 0 || n > MAX_PATH)
            szBase[0] = L'\0';
    }
    std::wstring sDir = WithSlash(szBase) + L"Tmpdata";
    CreateDirectoryW(sDir.c_str(), nullptr);
    return sDir + L"\\" + (pszFileName ? pszFileName : L"");
}

BOOL GetDatedFileName(const wchar_t* pszFolder, std::wstring* pName)
{
    SYSTEMTIME st{};
    GetLocalTime(&st);
    const std::wstring sPrefix = DatedPrefix(st.wYear, st.wMonth, st.wDay);
    const std::wstring sName = NextDatedName(FilesStartingWith(WithSlash(pszFolder), sPrefix), sPrefix);
    if (pName)
        *pName = sName;
    return TRUE;
}

BOOL GetNumberedFileName(const wchar_t* pszFolder, const wchar_t* pszBase, std::wstring* pName)
{
    const std::wstring sBase = pszBase ? pszBase : L"";
    const std::wstring sName = NextNumberedName(FilesStartingWith(WithSlash(pszFolder), sBase), sBase);
    if (pName)
        *pName = sName;
    return TRUE;
}

BOOL CheckDibMemory(int nWidth, int nHeight, int nMode)
{
    const uint64_t nSize = DibCheckBytes(static_cast<uint32_t>(std::max(nWidth, 0)),
                                         static_cast<uint32_t>(std::max(nHeight, 0)), nMode);
    TraceA("dwDIBSize 1: %lld", static_cast<long long>(nSize));
    HGLOBAL hDib = nSize <= SIZE_MAX ? GlobalAlloc(GHND, static_cast<SIZE_T>(nSize)) : nullptr;
    if (!hDib) {
        TraceA("checkMem fasle");
        return FALSE;
    }
    TraceA("hDIB value:%x", static_cast<unsigned>(reinterpret_cast<uintptr_t>(hDib)));
    GlobalFree(hDib);
    TraceA("checkMem ok");
    return TRUE;
}

DWORD DibRowSize(int nWidth)
{
    return static_cast<DWORD>(DibRowBytes24(static_cast<uint32_t>(std::max(nWidth, 0))));
}

void SetLocaleInfoQuery(int(WINAPI* pfnQuery)(LCID, LCTYPE, LPWSTR, int))
{
    g_pfnLocaleInfo = pfnQuery;
}

BOOL IsMetricLocale()
{
    auto pfnQuery = g_pfnLocaleInfo ? g_pfnLocaleInfo : &GetLocaleInfoW;
    int nChars = pfnQuery(LOCALE_USER_DEFAULT, LOCALE_ICOUNTRY, nullptr, 0);
    if (nChars <= 0) {
        TraceA("GetLocaleInfoW error");
        return FALSE;
    }
    std::unique_ptr<wchar_t[]> pBuf(new (std::nothrow) wchar_t[static_cast<size_t>(nChars) + 1]());
    if (!pBuf) {
        TraceA("MEMALLOC error");
        return FALSE;
    }
    if (pfnQuery(LOCALE_USER_DEFAULT, LOCALE_ICOUNTRY, pBuf.get(), nChars) <= 0) {
        TraceA("GetLocaleInfoW error");
        return FALSE;
    }
    return IsMetricCountryCode(_wtoi(pBuf.get())) ? TRUE : FALSE;
}

void SetComboDropWidth(HWND hCombo)
{
    if (!hCombo)
        return;
    HDC hdc = GetDC(hCombo);
    if (!hdc)
        return;
    HGDIOBJ hOldFont = SelectObject(hdc, reinterpret_cast<HGDIOBJ>(SendMessageW(hCombo, WM_GETFONT, 0, 0)));
    TEXTMETRICW tm{};
    GetTextMetricsW(hdc, &tm);
    int nWidest = 0;
    const int nCount = static_cast<int>(SendMessageW(hCombo, CB_GETCOUNT, 0, 0));
    for (int i = 0; i < nCount; ++i) {
        LRESULT nLen = SendMessageW(hCombo, CB_GETLBTEXTLEN, i, 0);
        if (nLen == CB_ERR)
            continue;
        std::wstring sText(static_cast<size_t>(nLen) + 1, L'\0');
        SendMessageW(hCombo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(sText.data()));
        SIZE size{};
        GetTextExtentPoint32W(hdc, sText.c_str(), static_cast<int>(nLen), &size);
        nWidest = std::max(nWidest, static_cast<int>(size.cx + tm.tmAveCharWidth));
    }
    SelectObject(hdc, hOldFont);
    ReleaseDC(hCombo, hdc);
    const int nWidth = nWidest + GetSystemMetrics(SM_CXVSCROLL) + 2 * GetSystemMetrics(SM_CXEDGE);
    SendMessageW(hCombo, CB_SETDROPPEDWIDTH, nWidth, 0);
}

void TraceSystemError(const wchar_t* pszOperation)
{
    const DWORD dwError = GetLastError();
    wchar_t* pszRaw = nullptr;
    FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                   dwError, MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), reinterpret_cast<LPWSTR>(&pszRaw), 0, nullptr);
    std::unique_ptr<wchar_t, SLocalFree> pText(pszRaw);
    TraceW(L"%ls failed with error %d: %ls", pszOperation ? pszOperation : L"", static_cast<int>(dwError),
           pText ? pText.get() : L"");
}
