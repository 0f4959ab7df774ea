// States 3 and 4, the source identity from the profile, and the cross-process open refusal.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <string>

#include "harness/ChildProcess.h"
#include "harness/DsLoader.h"
#include "harness/TestEnv.h"

using namespace mvltest;
namespace fs = std::filesystem;

namespace {

// Child: creates the sign mutex of a prefix as an enabled source would, holds it until told to stop.
int HoldSignMutex(const std::vector<std::wstring>& args)
{
    if (args.size() < 3)
        return 2;
    HANDLE hMutex = CreateMutexW(nullptr, FALSE, (L"Global\\" + args[0] + L"_sign").c_str());
    if (!hMutex)
        return 3;
    CNamedEvent ready(args[1]), release(args[2]);
    ready.Set();
    bool bReleased = release.Wait(30000);
    CloseHandle(hMutex);
    return bReleased ? 0 : 4;
}
MVL_CHILD_ACTION(L"hold-sign-mutex", HoldSignMutex);

// Child: loads the data source at args[0] and reports whether its product name is empty.
int ProductNameIsEmpty(const std::vector<std::wstring>& args)
{
    if (args.empty())
        return 2;
    HMODULE h = LoadLibraryW(args[0].c_str());
    auto pfn = h ? reinterpret_cast<DSENTRYPROC>(GetProcAddress(h, "DS_Entry")) : nullptr;
    if (!pfn)
        return 3;
    TW_IDENTITY app = MakeAppIdentity(1), ds{};
    if (pfn(&app, DG_CONTROL, DAT_IDENTITY, MSG_GET, &ds) != TWRC_SUCCESS)
        return 4;
    int nResult = ds.ProductName[0] == '\0' ? 0 : 1;
    FreeLibrary(h);
    return nResult;
}
MVL_CHILD_ACTION(L"product-name-empty", ProductNameIsEmpty);

std::string Str32(const TW_STR32& s)
{
    return std::string(s, strnlen(s, sizeof s));
}

}  // namespace

TEST(States, IdentityBeforeOpenComesFromTheProfile)
{
    CTestSource ds;
    ASSERT_TRUE(ds.Loaded());
    TW_IDENTITY id{};
    std::memset(&id, 0xCC, sizeof id);
    ASSERT_EQ(TWRC_SUCCESS, ds.Control(DAT_IDENTITY, MSG_GET, &id));
    EXPECT_EQ(0u, id.Id);
    EXPECT_EQ(1, id.Version.MajorNum);
    EXPECT_EQ(30, id.Version.MinorNum);
    EXPECT_EQ(TWLG_ENGLISH, id.Version.Language);
    EXPECT_EQ(TWCY_USA, id.Version.Country);
    EXPECT_EQ(" 1.030", Str32(id.Version.Info));
    // A TWAIN 2 source, so that TWAIN 2 applications register their callback with it.
    EXPECT_EQ(2, id.ProtocolMajor);
    EXPECT_EQ(1, id.ProtocolMinor);
    EXPECT_EQ(DG_CONTROL | DG_IMAGE | DF_DS2, id.SupportedGroups);
    EXPECT_EQ("Morvel Imaging", Str32(id.Manufacturer));
    EXPECT_EQ("TWAIN", Str32(id.ProductFamily));
    EXPECT_EQ("MV4200 Series TWAIN", Str32(id.ProductName));
    // Unused bytes of the string fields are zero, not left as they were.
    EXPECT_EQ(0, id.ProductName[sizeof id.ProductName - 1]);

    // The profile restores the 1.8 identity exactly: only the protocol and the groups differ.
    SSourceOptions options;
    options.sProfile = DefaultProfile() + "Twain18Identity=TRUE\r\n";
    CTestSource old(options);
    ASSERT_TRUE(old.Loaded());
    TW_IDENTITY id18{};
    ASSERT_EQ(TWRC_SUCCESS, old.Control(DAT_IDENTITY, MSG_GET, &id18));
    EXPECT_EQ(1, id18.ProtocolMajor);
    EXPECT_EQ(8, id18.ProtocolMinor);
    EXPECT_EQ(3u, id18.SupportedGroups);
    id18.ProtocolMajor = id.ProtocolMajor;
    id18.ProtocolMinor = id.ProtocolMinor;
    id18.SupportedGroups = id.SupportedGroups;
    EXPECT_EQ(0, std::memcmp(&id, &id18, sizeof id));
}

TEST(States, OpenCloseCyclesReturnToStateThree)
{
    CTestSource ds;
    ASSERT_TRUE(ds.Loaded());
    for (int i = 0; i < 50; ++i) {
        ASSERT_EQ(TWRC_SUCCESS, ds.Open()) << "cycle " << i;
        ASSERT_EQ(TWRC_SUCCESS, ds.Close()) << "cycle " << i;
    }
    EXPECT_EQ(TWRC_FAILURE, ds.Close());
    EXPECT_EQ(TWCC_SEQERROR, ds.Status());
    // The application Id was forgotten: another application may open now.
    TW_IDENTITY other = MakeAppIdentity(8, "second app");
    TW_IDENTITY dsId = ds.DsId();
    EXPECT_EQ(TWRC_SUCCESS, ds.Call(&other, DG_CONTROL, DAT_IDENTITY, MSG_OPENDS, &dsId));
    EXPECT_EQ(TWRC_SUCCESS, ds.Call(&other, DG_CONTROL, DAT_IDENTITY, MSG_CLOSEDS, &dsId));
}

TEST(States, OpenRecordsTheCompletedIdentity)
{
    CTestSource ds;
    ASSERT_TRUE(ds.Loaded());
    ASSERT_EQ(TWRC_SUCCESS, ds.Open());
    TW_IDENTITY id{};
    ASSERT_EQ(TWRC_SUCCESS, ds.Control(DAT_IDENTITY, MSG_GET, &id));
    EXPECT_EQ(77u, id.Id);
    EXPECT_TRUE(ds.Trace().Contains("CDsAssistor::ConnectApp: AP -- ProductName:mvl test app, ProtocolMajor:2,ProtocolMinor:2"));
    EXPECT_TRUE(ds.Trace().Contains("CDsAssistor::ConnectApp: DS -- ProductName:MV4200 Series TWAIN, ProtocolMajor:2,ProtocolMinor:1"));
    EXPECT_TRUE(ds.Trace().Contains("CDsAssistor::GetDsIdInfo: ProductName: MV4200 Series TWAIN"));
    EXPECT_EQ(TWRC_FAILURE, ds.Open());
    EXPECT_EQ(TWCC_SEQERROR, ds.Status());
    EXPECT_EQ(TWRC_SUCCESS, ds.Close());
}

TEST(States, UnterminatedIdentityStringsAreTracedSafely)
{
    CTestSource ds;
    ASSERT_TRUE(ds.Loaded());
    std::memset(ds.AppId().ProductName, 'A', sizeof ds.AppId().ProductName);
    ASSERT_EQ(TWRC_SUCCESS, ds.Open());
    EXPECT_TRUE(ds.Trace().Contains("AP -- ProductName:" + std::string(33, 'A') + ", ProtocolMajor:2"));
    ds.Close();
}

TEST(States, StatusReportsTheRefusalOnce)
{
    CTestSource ds;
    ASSERT_TRUE(ds.Loaded());
    ASSERT_EQ(TWRC_FAILURE, ds.Close());
    EXPECT_EQ(TWCC_SEQERROR, ds.Status());
    EXPECT_EQ(TWCC_SUCCESS, ds.Status());
    TW_STATUS status{};
    EXPECT_EQ(TWRC_FAILURE, ds.Control(DAT_STATUS, MSG_SET, &status));
    EXPECT_EQ(TWCC_BADPROTOCOL, ds.Status());
    EXPECT_TRUE(ds.Trace().Contains("CMsgStatus::MSG_GET: twState.ConditionCode = 9, Data = 0, Reserved = 0"));
}

TEST(States, OpenIsRefusedWhileAnotherProcessHoldsTheSignMutex)
{
    CTestSource ds;
    ASSERT_TRUE(ds.Loaded());
    std::wstring sReady = UniqueName(L"Global\\mvlready"), sRelease = UniqueName(L"Global\\mvlrelease");
    CNamedEvent ready(sReady), release(sRelease);
    CChildProcess child(L"hold-sign-mutex", {ds.Prefix(), sReady, sRelease});
    ASSERT_TRUE(child.Started());
    ASSERT_TRUE(ready.Wait(20000));

    CScopedEnv testTrace(L"mvlTWAINtest", L"1");
    ds.Trace().Clear();
    TW_IDENTITY dsId{};
    ds.Control(DAT_IDENTITY, MSG_GET, &dsId);
    dsId.Id = 3;
    EXPECT_EQ(TWRC_FAILURE, ds.Control(DAT_IDENTITY, MSG_OPENDS, &dsId));
    EXPECT_TRUE(ds.Trace().Contains("MSG -> DG = 0x0001, DAT = 0x0003(DAT_IDENTITY), MSG = 0x0401(MSG_OPENDS), "));
    EXPECT_FALSE(ds.Trace().Contains("MSG = 0x0401(MSG_OPENDS), twRc"));
    EXPECT_TRUE(ds.Trace().Contains("==== enableDS =====OpenMutex  :true "));
    // No condition code, state untouched: the source is still closed.
    EXPECT_EQ(TWCC_SUCCESS, ds.Status());
    EXPECT_EQ(TWRC_FAILURE, ds.Close());

    release.Set();
    EXPECT_EQ(0, child.Wait(20000));
    EXPECT_EQ(TWRC_SUCCESS, ds.Open());
    EXPECT_EQ(TWRC_SUCCESS, ds.Close());
}

TEST(States, ProfileIsNamedAfterTheLibraryAndModelFolder)
{
    SSourceOptions options;
    options.sModel = L"Model1";
    options.sFileName = L"abcdefghij.dll";
    options.sProfile = "[TWAIN]\r\nFile Prefix=rule%PREFIX%\r\nProduct Name(Model1)=Rule Model\r\n"
                       "Product Name(Other)=Wrong\r\nManufacturer=Rule Maker\r\n";
    CTestSource ds(options);
    ASSERT_TRUE(ds.Loaded());
    EXPECT_EQ(WindowsDir() + L"\\abcdefghi.ini", ds.ProfilePath());
    TW_IDENTITY id{};
    ASSERT_EQ(TWRC_SUCCESS, ds.Control(DAT_IDENTITY, MSG_GET, &id));
    EXPECT_EQ("Rule Model TWAIN", Str32(id.ProductName));
    EXPECT_EQ("Rule Maker", Str32(id.Manufacturer));
}

TEST(States, FlagsAreOnOnlyForUpperCaseTrue)
{
    for (const char* pszValue : {"true", "True", "1", "TRUE "}) {
        SSourceOptions options;
        options.sProfile = DefaultProfile() + "IsKRV=" + pszValue + "\r\n";
        CTestSource ds(options);
        ASSERT_TRUE(ds.Loaded());
        ASSERT_EQ(TWRC_SUCCESS, ds.Open());
        // GetPrivateProfileString trims trailing blanks, so "TRUE " reads as "TRUE".
        bool bExpected = std::string(pszValue) == "TRUE ";
        EXPECT_EQ(bExpected, ds.Trace().Contains("g_bKRV = TRUE")) << pszValue;
        ds.Close();
    }
}

TEST(States, MissingProfileFallsBackToDefaults)
{
    CTestSource ds;
    ASSERT_TRUE(ds.Loaded());
    fs::remove(ds.ProfilePath());
    ds.Unload();
    // Loaded again without a profile: empty values, the source still works.
    HMODULE h = LoadLibraryW(ds.DsPath().c_str());
    ASSERT_NE(nullptr, h);
    auto pfn = reinterpret_cast<DSENTRYPROC>(GetProcAddress(h, "DS_Entry"));
    ASSERT_NE(nullptr, pfn);
    TW_IDENTITY app = MakeAppIdentity(1), id{};
    EXPECT_EQ(TWRC_SUCCESS, pfn(&app, DG_CONTROL, DAT_IDENTITY, MSG_GET, &id));
    EXPECT_EQ("", Str32(id.Manufacturer));
    EXPECT_EQ(" TWAIN", Str32(id.ProductName));
    id.Id = 4;
    EXPECT_EQ(TWRC_SUCCESS, pfn(&app, DG_CONTROL, DAT_IDENTITY, MSG_OPENDS, &id));
    EXPECT_EQ(TWRC_SUCCESS, pfn(&app, DG_CONTROL, DAT_IDENTITY, MSG_CLOSEDS, &id));
    FreeLibrary(h);
}

TEST(States, OverlongProfileValuesAreCut)
{
    SSourceOptions options;
    std::string sLong(600, 'x');
    options.sProfile = "[TWAIN]\r\nFile Prefix=" + sLong + "\r\nManufacturer=" + sLong +
                       "\r\nProduct Name(%MODEL%)=" + sLong + "\r\n";
    CTestSource ds(options);
    ASSERT_TRUE(ds.Loaded());
    TW_IDENTITY id{};
    ASSERT_EQ(TWRC_SUCCESS, ds.Control(DAT_IDENTITY, MSG_GET, &id));
    EXPECT_EQ(std::string(33, 'x'), Str32(id.Manufacturer));
    EXPECT_EQ(std::string(33, 'x'), Str32(id.ProductName));
    EXPECT_EQ(TWRC_SUCCESS, ds.Open());
    EXPECT_EQ(TWRC_SUCCESS, ds.Close());
}

TEST(States, OfficeScanHostSeesNoProductName)
{
    CTestSource ds;
    ASSERT_TRUE(ds.Loaded());
    CTempDir dir;
    wchar_t szExe[MAX_PATH] = L"";
    GetModuleFileNameW(nullptr, szExe, MAX_PATH);
    fs::path host = dir.Path() / L"MsPsCan.exe";
    fs::copy_file(szExe, host);
    // The child runs as MsPsCan.exe: the check ignores case.
    std::wstring sCmd;
    {
        PROCESS_INFORMATION pi{};
        STARTUPINFOW si{};
        si.cb = sizeof si;
        std::wstring sLine = L"\"" + host.wstring() + L"\" --child product-name-empty \"" + ds.DsPath() + L"\"";
        ASSERT_TRUE(CreateProcessW(host.c_str(), sLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi));
        ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(pi.hProcess, 30000));
        DWORD dwCode = 99;
        GetExitCodeProcess(pi.hProcess, &dwCode);
        CloseHandle(pi.hThread);
        CloseHandle(pi.hProcess);
        EXPECT_EQ(0u, dwCode);
    }
    // Any other host sees the name.
    CChildProcess child(L"product-name-empty", {ds.DsPath()});
    EXPECT_EQ(1, child.Wait(30000));
}
