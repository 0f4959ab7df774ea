#include "profile/ProductProfile.h"

#include <vector>

#include "profile/Trace.h"

BOOL g_bIsPlatformL = FALSE;
BOOL g_bIsPlatformL_RGB = FALSE;
BOOL g_bIsPlatformL_RGB_ZT4410QRS = FALSE;
BOOL g_bIsPlatformK = FALSE;
BOOL g_bIsVireo = FALSE;
BOOL g_bIsTevoA3 = FALSE;
BOOL g_bIsTevoA3Plus = FALSE;
BOOL g_bHasOFD = TRUE;
BOOL g_bAutoDuplexSaveasPDF = FALSE;
BOOL g_bQX5031 = FALSE;
BOOL g_bHasPDFDOC = FALSE;
BOOL g_bKRV = FALSE;
BOOL g_bHasAutoCrop = FALSE;
BOOL g_bHasA3 = FALSE;
BOOL g_bHasHorizontal = FALSE;
BOOL g_bHasMergeScan = FALSE;

wchar_t g_szFilePrefix[kProfileValueChars + 1] = L"";
wchar_t g_szModelName[kProfileValueChars + 1] = L"";

namespace {

std::wstring CopyLimited(const std::wstring& s)
{
    return s.substr(0, kProfileValueChars);
}

void StoreLimited(wchar_t* pszDest, const std::wstring& s)
{
    std::wstring sCut = CopyLimited(s);
    std::copy(sCut.begin(), sCut.end(), pszDest);
    pszDest[sCut.size()] = L'\0';
}

std::wstring WindowsDirectory()
{
    std::vector<wchar_t> buf(MAX_PATH + 1);
    UINT n = GetWindowsDirectoryW(buf.data(), static_cast<UINT>(buf.size()));
    if (n >= buf.size()) {
        buf.resize(n + 1);
        n = GetWindowsDirectoryW(buf.data(), static_cast<UINT>(buf.size()));
    }
    return n ? std::wstring(buf.data(), n) : std::wstring();
}

void SetFlagIfTrue(BOOL& bFlag, const std::wstring& sValue, const char* pszTrace = nullptr)
{
    if (!IsProfileTrue(sValue))
        return;
    bFlag = TRUE;
    if (pszTrace)
        TraceA("%s", pszTrace);
}

}  // namespace

std::wstring ProfilePathForModule(const std::wstring& sModulePath, std::wstring* pModelName)
{
    size_t nSlash = sModulePath.find_last_of(L"\\/");
    std::wstring sFile = nSlash == std::wstring::npos ? sModulePath : sModulePath.substr(nSlash + 1);
    if (pModelName) {
        std::wstring sFolder = nSlash == std::wstring::npos ? std::wstring() : sModulePath.substr(0, nSlash);
        size_t nPrev = sFolder.find_last_of(L"\\/");
        *pModelName = CopyLimited(nPrev == std::wstring::npos ? sFolder : sFolder.substr(nPrev + 1));
    }
    // "mvlTWAIN64.ds" loses "64.ds": the profile of every build of a model family is the same.
    std::wstring sBase = sFile.size() > 5 ? sFile.substr(0, sFile.size() - 5) : std::wstring();
    return WindowsDirectory() + L"\\" + sBase + L".ini";
}

std::wstring OwnModulePath()
{
    HMODULE hModule = nullptr;
    if (!GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                            reinterpret_cast<LPCWSTR>(&OwnModulePath), &hModule))
        return std::wstring();
    std::vector<wchar_t> buf(MAX_PATH + 1);
    for (;;) {
        DWORD n = GetModuleFileNameW(hModule, buf.data(), static_cast<DWORD>(buf.size()));
        if (n == 0)
            return std::wstring();
        if (n < buf.size())
            return std::wstring(buf.data(), n);
        buf.resize(buf.size() * 2);
    }
}

std::wstring GetProfilePath()
{
    std::wstring sModel;
    std::wstring sPath = ProfilePathForModule(OwnModulePath(), &sModel);
    StoreLimited(g_szModelName, sModel);
    return sPath;
}

std::wstring ReadProfileString(const wchar_t* pszSection, const wchar_t* pszKey)
{
    wchar_t szValue[kProfileValueChars + 1] = L"";
    std::wstring sPath = GetProfilePath();
    GetPrivateProfileStringW(pszSection, pszKey, L"", szValue, kProfileValueChars + 1, sPath.c_str());
    return szValue;
}

std::wstring ModelKeyName(const wchar_t* pszKeyBase)
{
    GetProfilePath();  // refreshes the model folder name
    return std::wstring(pszKeyBase) + L"(" + g_szModelName + L")";
}

std::wstring ReadModelKey(const wchar_t* pszKeyBase)
{
    return ReadProfileString(L"TWAIN", ModelKeyName(pszKeyBase).c_str());
}

std::wstring ReadFilePrefix()
{
    std::wstring sPrefix = ReadProfileString(L"TWAIN", L"File Prefix");
    StoreLimited(g_szFilePrefix, sPrefix);
    return sPrefix;
}

bool ReadModelFlag(const wchar_t* pszKeyBase, bool bDefault)
{
    std::wstring sValue = ReadModelKey(pszKeyBase);
    return bDefault ? !IsProfileFalse(sValue) : IsProfileTrue(sValue);
}

namespace {

void ReadPlatformFlags()
{
    SetFlagIfTrue(g_bIsPlatformK, ReadModelKey(L"IsPlatformK"));
    SetFlagIfTrue(g_bIsPlatformL, ReadModelKey(L"IsPlatformL"));
    SetFlagIfTrue(g_bIsPlatformL_RGB, ReadModelKey(L"IsPlatformL_RGB"));
    SetFlagIfTrue(g_bIsPlatformL_RGB_ZT4410QRS, ReadModelKey(L"IsPlatformL_RGB_ZT4410QRS"));
}

}  // namespace

void ReadOpenDsFlags()
{
    SetFlagIfTrue(g_bKRV, ReadProfileString(L"TWAIN", L"IsKRV"), "g_bKRV = TRUE");
    ReadPlatformFlags();
}

void ReadDialogFlags()
{
    ReadPlatformFlags();
    SetFlagIfTrue(g_bIsVireo, ReadProfileString(L"TWAIN", L"IsVireo"));
    SetFlagIfTrue(g_bIsTevoA3, ReadProfileString(L"TWAIN", L"IsTevoA3"), "g_bIsTevoA3 = TRUE");
    if (IsProfileTrue(ReadProfileString(L"TWAIN", L"IsTevoA3Plus"))) {
        g_bIsTevoA3Plus = TRUE;
        g_bIsTevoA3 = TRUE;
        TraceA("g_bIsTevoA3Plus = TRUE");
    }
    if (IsProfileFalse(ReadProfileString(L"TWAIN", L"HasOFD"))) {
        g_bHasOFD = FALSE;
        TraceA("g_bHasOFD = FALSE");
    }
    SetFlagIfTrue(g_bAutoDuplexSaveasPDF, ReadProfileString(L"TWAIN", L"AutoDuplexSaveasPDF"),
                  "g_bAutoDuplexSaveasPDF = TRUE");
    SetFlagIfTrue(g_bQX5031, ReadProfileString(L"TWAIN", L"IsQX5031"), "g_bQX5031 = TRUE");
    SetFlagIfTrue(g_bHasPDFDOC, ReadProfileString(L"TWAIN", L"HasPDFDOC"), "g_bHasPDFDOC = TRUE");
}

void ReadPageFlags()
{
    SetFlagIfTrue(g_bHasAutoCrop, ReadModelKey(L"HasAutoCrop"));
    SetFlagIfTrue(g_bHasA3, ReadModelKey(L"HasA3"));
    SetFlagIfTrue(g_bHasHorizontal, ReadModelKey(L"HasHorizontal"));
    // The one flag read afresh each time: a profile may take merge scanning away again.
    g_bHasMergeScan = FALSE;
    SetFlagIfTrue(g_bHasMergeScan, ReadModelKey(L"HasMergeScan"));
}

BOOL DuplexCapAvailable()
{
    return (g_bIsPlatformL || g_bIsPlatformK) && !g_bIsPlatformL_RGB_ZT4410QRS;
}

int DefaultGammaTenths()
{
    return (g_bIsPlatformL || g_bIsPlatformK || g_bIsTevoA3 || g_bIsVireo || g_bQX5031) ? 10 : 18;
}

int DefaultThreshold()
{
    return (g_bIsPlatformK || g_bIsPlatformL) ? 183 : 72;
}

int DefaultScanSizeIndex()
{
    if (g_bIsTevoA3Plus)
        return 12;
    if (g_bIsTevoA3)
        return 6;
    if (g_bHasA3)
        return 7;
    return 5;
}
