// The file, path, memory and locale utilities under Wine.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "harness/TestEnv.h"
#include "profile/FileUtils.h"
#include "profile/Trace.h"

using namespace mvltest;
namespace fs = std::filesystem;

namespace {

std::vector<std::string> g_fileLines;

void KeepA(const char* psz)
{
    g_fileLines.emplace_back(psz);
}

void KeepW(const wchar_t* psz)
{
    std::wstring s(psz);
    g_fileLines.emplace_back(s.begin(), s.end());
}

class CTraceScope {
public:
    CTraceScope()
    {
        g_fileLines.clear();
        SetTraceSinks(&KeepA, &KeepW);
    }
    ~CTraceScope() { SetTraceSinks(nullptr, nullptr); }
    bool Has(const std::string& s) const
    {
        for (const auto& line : g_fileLines)
            if (line == s)
                return true;
        return false;
    }
    bool HasPrefix(const std::string& s) const
    {
        for (const auto& line : g_fileLines)
            if (line.rfind(s, 0) == 0)
                return true;
        return false;
    }
};

std::wstring TodayPrefix(int nDaysBack = 0)
{
    SYSTEMTIME st{};
    GetLocalTime(&st);
    FILETIME ft{};
    SystemTimeToFileTime(&st, &ft);
    ULARGE_INTEGER t{{ft.dwLowDateTime, ft.dwHighDateTime}};
    t.QuadPart -= static_cast<ULONGLONG>(nDaysBack) * 24 * 3600 * 10000000ULL;
    ft = FILETIME{t.LowPart, t.HighPart};
    FileTimeToSystemTime(&ft, &st);
    wchar_t sz[32];
    swprintf(sz, 32, L"%04d-%02d-%02d_", st.wYear, st.wMonth, st.wDay);
    return sz;
}

void Touch(const fs::path& p)
{
    WriteTextFile(p, "x");
}

const wchar_t* g_pszCountry = L"52";
int WINAPI FakeLocaleInfo(LCID, LCTYPE, LPWSTR pszOut, int nChars)
{
    if (!g_pszCountry)
        return 0;
    int nNeeded = static_cast<int>(wcslen(g_pszCountry)) + 1;
    if (nChars == 0)
        return nNeeded;
    if (nChars < nNeeded)
        return 0;
    wcscpy(pszOut, g_pszCountry);
    return nNeeded;
}

}  // namespace

TEST(FileUtils, TemporaryDataPathIsMade)
{
    std::wstring sPath = GetTmpDataFilePath(L"temp.bin");
    ASSERT_GE(sPath.size(), 17u);
    EXPECT_EQ(L"\\Tmpdata\\temp.bin", sPath.substr(sPath.size() - 17));
    EXPECT_TRUE(fs::is_directory(fs::path(sPath).parent_path()));
}

TEST(FileUtils, DatedNamesCountTodaysFilesOnly)
{
    CTempDir dir;
    std::wstring sName;
    ASSERT_TRUE(GetDatedFileName(dir.Path().c_str(), &sName));  // no trailing backslash given
    EXPECT_EQ(TodayPrefix() + L"001", sName);
    Touch(dir.Path() / (TodayPrefix() + L"001.bmp"));
    Touch(dir.Path() / (TodayPrefix() + L"007.pdf"));
    Touch(dir.Path() / (TodayPrefix(1) + L"050.pdf"));
    ASSERT_TRUE(GetDatedFileName((dir.Path().wstring() + L"\\").c_str(), &sName));
    EXPECT_EQ(TodayPrefix() + L"008", sName);
}

TEST(FileUtils, NumberedNamesFollowTheBase)
{
    CTempDir dir;
    std::wstring sName;
    ASSERT_TRUE(GetNumberedFileName(dir.Path().c_str(), L"scan", &sName));
    EXPECT_EQ(L"scan", sName);
    Touch(dir.Path() / L"scan.jpg");
    Touch(dir.Path() / L"scan 3.jpg");
    fs::create_directory(dir.Path() / L"scan 9");  // a folder is not a saved file
    ASSERT_TRUE(GetNumberedFileName(dir.Path().c_str(), L"scan", &sName));
    EXPECT_EQ(L"scan 4", sName);
}

TEST(FileUtils, DibMemoryCheck)
{
    CTraceScope trace;
    EXPECT_TRUE(CheckDibMemory(10, 1, 0));
    EXPECT_TRUE(trace.Has("dwDIBSize 1: 52"));
    EXPECT_TRUE(trace.HasPrefix("hDIB value:"));
    EXPECT_TRUE(trace.Has("checkMem ok"));
    // Three terabytes: the size is not cut to 32 bits, and the allocation fails.
    EXPECT_FALSE(CheckDibMemory(1000000, 1000000, 2));
    EXPECT_TRUE(trace.Has("dwDIBSize 1: 3000000000040"));
    EXPECT_TRUE(trace.Has("checkMem fasle"));
    EXPECT_EQ(32u, DibRowSize(10));
    EXPECT_EQ(0u, DibRowSize(-5));
}

TEST(FileUtils, MetricLocaleByCountryCode)
{
    CTraceScope trace;
    SetLocaleInfoQuery(&FakeLocaleInfo);
    g_pszCountry = L"52";
    EXPECT_FALSE(IsMetricLocale());
    g_pszCountry = L"44";
    EXPECT_TRUE(IsMetricLocale());
    g_pszCountry = L"1";
    EXPECT_FALSE(IsMetricLocale());
    g_pszCountry = nullptr;
    EXPECT_FALSE(IsMetricLocale());
    EXPECT_TRUE(trace.Has("GetLocaleInfoW error"));
    SetLocaleInfoQuery(nullptr);
    IsMetricLocale();  // the real query answers without failing
}

TEST(FileUtils, SystemErrorTrace)
{
    CTraceScope trace;
    SetLastError(ERROR_FILE_NOT_FOUND);
    TraceSystemError(L"CreateFile");
    EXPECT_TRUE(trace.HasPrefix("CreateFile failed with error 2: "));
    ASSERT_FALSE(g_fileLines.empty());
    EXPECT_GT(g_fileLines.back().size(), std::string("CreateFile failed with error 2: ").size());
}

TEST(FileUtils, ComboDropWidthFitsTheWidestItem)
{
    HWND hCombo = CreateWindowExW(0, L"COMBOBOX", L"", WS_POPUP | CBS_DROPDOWNLIST, 0, 0, 40, 200, nullptr, nullptr,
                                  nullptr, nullptr);
    ASSERT_NE(nullptr, hCombo);
    const wchar_t* pszLong = L"A rather long item that does not fit into forty pixels";
    SendMessageW(hCombo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(L"short"));
    SendMessageW(hCombo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(pszLong));
    SetComboDropWidth(hCombo);
    HDC hdc = GetDC(hCombo);
    HGDIOBJ hOld = SelectObject(hdc, reinterpret_cast<HGDIOBJ>(SendMessageW(hCombo, WM_GETFONT, 0, 0)));
    SIZE size{};
    GetTextExtentPoint32W(hdc, pszLong, static_cast<int>(wcslen(pszLong)), &size);
    SelectObject(hdc, hOld);
    ReleaseDC(hCombo, hdc);
    LRESULT nWidth = SendMessageW(hCombo, CB_GETDROPPEDWIDTH, 0, 0);
    EXPECT_GE(nWidth, size.cx + GetSystemMetrics(SM_CXVSCROLL));
    DestroyWindow(hCombo);
    SetComboDropWidth(nullptr);
}
