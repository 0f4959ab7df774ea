// The small control handlers through the real data source: transfer group, memory and file
// transfer set-ups, the palette, and the identity query's office-host registry rule.
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

const wchar_t kOfficeScanKey[] = L"Software\\Microsoft\\Office\\11.0\\Common\\Scan";

TW_SETUPFILEXFER FileSetup(const std::string& sName)
{
    TW_SETUPFILEXFER setup{};
    std::strncpy(setup.FileName, sName.c_str(), sizeof setup.FileName - 1);
    setup.Format = TWFF_BMP;
    return setup;
}

std::string FileName(const TW_SETUPFILEXFER& setup)
{
    return std::string(setup.FileName, strnlen(setup.FileName, sizeof setup.FileName));
}

// Child: loads the data source at args[0] and asks for its identity.
int QueryIdentity(const std::vector<std::wstring>& args)
{
    if (args.empty())
        return 2;
    HMODULE h = LoadLibraryW(args[0].c_str());
    auto pfn = h ? reinterpret_cast<DSENTRYPROC>(GetProcAddress(h, "DS_Entry")) : nullptr;
    if (!pfn)
        return 3;
    TW_IDENTITY app = MakeAppIdentity(1), ds{};
    int nResult = pfn(&app, DG_CONTROL, DAT_IDENTITY, MSG_GET, &ds) == TWRC_SUCCESS ? 0 : 1;
    FreeLibrary(h);
    return nResult;
}
MVL_CHILD_ACTION(L"query-identity", QueryIdentity);

// Runs the identity query in a copy of this program named sExeName.
DWORD RunAsHost(const std::wstring& sExeName, const std::wstring& sDsPath)
{
    CTempDir dir;
    wchar_t szExe[MAX_PATH] = L"";
    GetModuleFileNameW(nullptr, szExe, MAX_PATH);
    fs::path host = dir.Path() / sExeName;
    fs::copy_file(szExe, host);
    PROCESS_INFORMATION pi{};
    STARTUPINFOW si{};
    si.cb = sizeof si;
    std::wstring sLine = L"\"" + host.wstring() + L"\" --child query-identity \"" + sDsPath + L"\"";
    if (!CreateProcessW(host.c_str(), sLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
        return 98;
    DWORD dwCode = 99;
    if (WaitForSingleObject(pi.hProcess, 30000) == WAIT_OBJECT_0)
        GetExitCodeProcess(pi.hProcess, &dwCode);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return dwCode;
}

}  // namespace

TEST(Control, XferGroupIsAlwaysImagesInStatesFourToSix)
{
    CTestSource ds;
    ASSERT_TRUE(ds.Loaded());
    TW_UINT32 dwGroup = 0xDEAD;
    EXPECT_EQ(TWRC_FAILURE, ds.Control(DAT_XFERGROUP, MSG_GET, &dwGroup));
    EXPECT_EQ(TWCC_SEQERROR, ds.Status());
    // The state check comes before the message check.
    EXPECT_EQ(TWRC_FAILURE, ds.Control(DAT_XFERGROUP, MSG_GETFIRST, &dwGroup));
    EXPECT_EQ(TWCC_SEQERROR, ds.Status());
    EXPECT_EQ(0xDEADu, dwGroup);

    ASSERT_EQ(TWRC_SUCCESS, ds.Open());
    for (TW_UINT16 wMsg : {MSG_GET, MSG_GETCURRENT, MSG_GETDEFAULT, MSG_RESET}) {
        dwGroup = 0;
        EXPECT_EQ(TWRC_SUCCESS, ds.Control(DAT_XFERGROUP, wMsg, &dwGroup)) << wMsg;
        EXPECT_EQ(DG_IMAGE, dwGroup) << wMsg;
    }
    dwGroup = DG_CONTROL;
    EXPECT_EQ(TWRC_SUCCESS, ds.Control(DAT_XFERGROUP, MSG_SET, &dwGroup));
    EXPECT_EQ(TWRC_SUCCESS, ds.Control(DAT_XFERGROUP, MSG_GET, &dwGroup));
    EXPECT_EQ(DG_IMAGE, dwGroup);
    EXPECT_EQ(TWRC_FAILURE, ds.Control(DAT_XFERGROUP, MSG_GETFIRST, &dwGroup));
    EXPECT_EQ(TWCC_BADPROTOCOL, ds.Status());
    EXPECT_EQ(TWRC_FAILURE, ds.Control(DAT_XFERGROUP, MSG_GET, nullptr));
    EXPECT_EQ(TWCC_BADPROTOCOL, ds.Status());

    // State 5 too, through the DG_IMAGE group as well.
    TW_USERINTERFACE ui{FALSE, FALSE, nullptr};
    ASSERT_EQ(TWRC_SUCCESS, ds.Control(DAT_USERINTERFACE, MSG_ENABLEDS, &ui));
    EXPECT_EQ(TWRC_SUCCESS, ds.Call(DG_IMAGE, DAT_XFERGROUP, MSG_GET, &dwGroup));
    ds.Control(DAT_USERINTERFACE, MSG_DISABLEDS, &ui);
    ds.Close();
}

TEST(Control, SetupMemXferReportsTheBufferSizes)
{
    CTestSource ds;
    ASSERT_TRUE(ds.Loaded());
    TW_SETUPMEMXFER setup{};
    EXPECT_EQ(TWRC_FAILURE, ds.Control(DAT_SETUPMEMXFER, MSG_GET, &setup));
    EXPECT_EQ(TWCC_SEQERROR, ds.Status());
    ASSERT_EQ(TWRC_SUCCESS, ds.Open());
    ASSERT_EQ(TWRC_SUCCESS, ds.Control(DAT_SETUPMEMXFER, MSG_GET, &setup));
    EXPECT_EQ(16384u, setup.MinBufSize);
    EXPECT_EQ(65535u, setup.MaxBufSize);
    EXPECT_EQ(65535u, setup.Preferred);
    EXPECT_EQ(TWRC_FAILURE, ds.Control(DAT_SETUPMEMXFER, MSG_SET, &setup));
    EXPECT_EQ(TWCC_BADPROTOCOL, ds.Status());
    EXPECT_EQ(TWRC_FAILURE, ds.Control(DAT_SETUPMEMXFER, MSG_GET, nullptr));
    EXPECT_EQ(TWCC_BADPROTOCOL, ds.Status());
    ds.Close();
}

TEST(Control, SetupFileXferBeforeAnySetIsEmptyBmp)
{
    CTestSource ds;
    ASSERT_TRUE(ds.Loaded());
    ASSERT_EQ(TWRC_SUCCESS, ds.Open());
    for (TW_UINT16 wMsg : {MSG_GET, MSG_GETCURRENT, MSG_GETDEFAULT}) {
        TW_SETUPFILEXFER setup;
        std::memset(&setup, 0x55, sizeof setup);
        ASSERT_EQ(TWRC_SUCCESS, ds.Control(DAT_SETUPFILEXFER, wMsg, &setup)) << wMsg;
        EXPECT_EQ("", FileName(setup));
        EXPECT_EQ(TWFF_BMP, setup.Format);
        EXPECT_EQ(0, setup.VRefNum);
        EXPECT_EQ(0, setup.FileName[sizeof setup.FileName - 1]);
    }
    TW_SETUPFILEXFER setup{};
    EXPECT_EQ(TWRC_FAILURE, ds.Control(DAT_SETUPFILEXFER, 0, &setup));
    EXPECT_EQ(TWCC_BADPROTOCOL, ds.Status());
    EXPECT_EQ(TWRC_FAILURE, ds.Control(DAT_SETUPFILEXFER, MSG_RESET, &setup));
    EXPECT_EQ(TWCC_BADPROTOCOL, ds.Status());
    ds.Close();
    EXPECT_EQ(TWRC_FAILURE, ds.Control(DAT_SETUPFILEXFER, MSG_GET, &setup));
    EXPECT_EQ(TWCC_SEQERROR, ds.Status());
}

TEST(Control, SetupFileXferChecksTheFile)
{
    CTestSource ds;
    ASSERT_TRUE(ds.Loaded());
    ASSERT_EQ(TWRC_SUCCESS, ds.Open());
    CTempDir dir;

    // A new file is created empty.
    std::string sNew = dir.Path().string() + "\\page.bmp";
    TW_SETUPFILEXFER setup = FileSetup(sNew);
    ASSERT_EQ(TWRC_SUCCESS, ds.Control(DAT_SETUPFILEXFER, MSG_SET, &setup));
    ASSERT_TRUE(fs::exists(sNew));
    EXPECT_EQ(0u, fs::file_size(sNew));
    TW_SETUPFILEXFER got{};
    ASSERT_EQ(TWRC_SUCCESS, ds.Control(DAT_SETUPFILEXFER, MSG_GETCURRENT, &got));
    EXPECT_EQ(sNew, FileName(got));
    EXPECT_EQ(TWFF_BMP, got.Format);

    // An existing file is left as it is.
    std::string sOld = dir.Path().string() + "\\old.bmp";
    ASSERT_TRUE(WriteTextFile(sOld, "keep me"));
    setup = FileSetup(sOld);
    ASSERT_EQ(TWRC_SUCCESS, ds.Control(DAT_SETUPFILEXFER, MSG_SET, &setup));
    EXPECT_EQ("keep me", ReadTextFile(sOld));

    // A folder that does not exist: refused, and the name is reported anyway.
    std::string sMissing = dir.Path().string() + "\\no such folder\\page.bmp";
    setup = FileSetup(sMissing);
    EXPECT_EQ(TWRC_FAILURE, ds.Control(DAT_SETUPFILEXFER, MSG_SET, &setup));
    EXPECT_EQ(TWCC_BADVALUE, ds.Status());
    ASSERT_EQ(TWRC_SUCCESS, ds.Control(DAT_SETUPFILEXFER, MSG_GET, &got));
    EXPECT_EQ(sMissing, FileName(got));
    EXPECT_FALSE(fs::exists(sMissing));

    // A folder is no file, and neither is an empty name.
    setup = FileSetup(dir.Path().string());
    EXPECT_EQ(TWRC_FAILURE, ds.Control(DAT_SETUPFILEXFER, MSG_SET, &setup));
    EXPECT_EQ(TWCC_BADVALUE, ds.Status());
    setup = FileSetup("");
    EXPECT_EQ(TWRC_FAILURE, ds.Control(DAT_SETUPFILEXFER, MSG_SET, &setup));
    EXPECT_EQ(TWCC_BADVALUE, ds.Status());
    ds.Close();
}

TEST(Control, SetupFileXferNameWithoutTerminatorIsCut)
{
    CTestSource ds;
    ASSERT_TRUE(ds.Loaded());
    ASSERT_EQ(TWRC_SUCCESS, ds.Open());
    TW_SETUPFILEXFER setup{};
    std::memset(setup.FileName, 'a', sizeof setup.FileName);
    setup.Format = TWFF_BMP;
    // Such a name cannot be created; what matters is that nothing past the field is read.
    ds.Control(DAT_SETUPFILEXFER, MSG_SET, &setup);
    TW_SETUPFILEXFER got;
    std::memset(&got, 0x55, sizeof got);
    ASSERT_EQ(TWRC_SUCCESS, ds.Control(DAT_SETUPFILEXFER, MSG_GET, &got));
    EXPECT_EQ(std::string(255, 'a'), FileName(got));
    ds.Close();
}

TEST(Control, PaletteWithoutAPageHasNoColours)
{
    CTestSource ds;
    ASSERT_TRUE(ds.Loaded());
    TW_PALETTE8 palette;
    std::memset(&palette, 0x77, sizeof palette);
    EXPECT_EQ(TWRC_FAILURE, ds.Call(DG_IMAGE, DAT_PALETTE8, MSG_GET, &palette));
    EXPECT_EQ(TWCC_SEQERROR, ds.Status());
    ASSERT_EQ(TWRC_SUCCESS, ds.Open());
    ASSERT_EQ(TWRC_SUCCESS, ds.Call(DG_IMAGE, DAT_PALETTE8, MSG_GET, &palette));
    EXPECT_EQ(0, palette.NumColors);
    EXPECT_EQ(0, palette.PaletteType);

    // These succeed and touch nothing.
    for (TW_UINT16 wMsg : {MSG_GETDEFAULT, MSG_SET, MSG_RESET}) {
        std::memset(&palette, 0x77, sizeof palette);
        EXPECT_EQ(TWRC_SUCCESS, ds.Call(DG_IMAGE, DAT_PALETTE8, wMsg, &palette)) << wMsg;
        EXPECT_EQ(0x7777, palette.NumColors) << wMsg;
    }
    EXPECT_EQ(TWRC_SUCCESS, ds.Call(DG_IMAGE, DAT_PALETTE8, MSG_SET, nullptr));
    EXPECT_EQ(TWRC_FAILURE, ds.Call(DG_IMAGE, DAT_PALETTE8, MSG_GETCURRENT, &palette));
    EXPECT_EQ(TWCC_BADPROTOCOL, ds.Status());
    EXPECT_EQ(TWRC_FAILURE, ds.Call(DG_IMAGE, DAT_PALETTE8, MSG_GET, nullptr));
    EXPECT_EQ(TWCC_BADPROTOCOL, ds.Status());
    ds.Close();
}

TEST(Control, OfficeHostMarksOnlyItsOwnScannerEntry)
{
    CTestSource ds;
    ASSERT_TRUE(ds.Loaded());
    {
        CScopedRegKey key(HKEY_CURRENT_USER, kOfficeScanKey);
        ASSERT_TRUE(key.SetString(L"DEVICE0", L"Another Scanner"));
        ASSERT_TRUE(key.SetString(L"DEVICE1", L"MV4200 Series"));
        ASSERT_TRUE(key.SetString(L"DEVICE2", L"MV4200 Series TWAIN"));
        ASSERT_TRUE(key.SetString(L"DEVICE3", L"MV4200 Series TWAIN"));
        EXPECT_EQ(0u, RunAsHost(L"WINWORD.EXE", ds.DsPath()));
        DWORD dwFlags = 0;
        ASSERT_TRUE(key.GetDword(L"FLAGS2", &dwFlags));
        EXPECT_EQ(15u, dwFlags);
        EXPECT_FALSE(key.HasValue(L"FLAGS0"));
        EXPECT_FALSE(key.HasValue(L"FLAGS1"));
        EXPECT_FALSE(key.HasValue(L"FLAGS3"));
    }
    {
        // The list ends at the first missing DEVICE value.
        CScopedRegKey key(HKEY_CURRENT_USER, kOfficeScanKey);
        ASSERT_TRUE(key.SetString(L"DEVICE1", L"MV4200 Series TWAIN"));
        EXPECT_EQ(0u, RunAsHost(L"excel.exe", ds.DsPath()));
        EXPECT_FALSE(key.HasValue(L"FLAGS1"));
        EXPECT_FALSE(key.HasValue(L"FLAGS0"));
    }
    {
        // Another host writes nothing.
        CScopedRegKey key(HKEY_CURRENT_USER, kOfficeScanKey);
        ASSERT_TRUE(key.SetString(L"DEVICE0", L"MV4200 Series TWAIN"));
        EXPECT_EQ(0u, RunAsHost(L"WORDPAD.EXE", ds.DsPath()));
        EXPECT_FALSE(key.HasValue(L"FLAGS0"));
    }
}

TEST(Control, OfficeHostWithoutTheKeyStillAnswers)
{
    CTestSource ds;
    ASSERT_TRUE(ds.Loaded());
    RegDeleteTreeW(HKEY_CURRENT_USER, kOfficeScanKey);
    EXPECT_EQ(0u, RunAsHost(L"OUTLOOK.EXE", ds.DsPath()));
}

TEST(Control, SetupFileXferAndTheCapabilityShareTheFormat)
{
    CTestSource ds;
    ASSERT_TRUE(ds.Loaded());
    ASSERT_EQ(TWRC_SUCCESS, ds.Open());
    CTempDir dir;
    const std::string sTiff = dir.Path().string() + "\\page.tif";
    TW_SETUPFILEXFER setup = FileSetup(sTiff);
    setup.Format = TWFF_TIFF;
    ASSERT_EQ(TWRC_SUCCESS, ds.Control(DAT_SETUPFILEXFER, MSG_SET, &setup));
    auto format = [&ds] {
        TW_SETUPFILEXFER got{};
        EXPECT_EQ(TWRC_SUCCESS, ds.Control(DAT_SETUPFILEXFER, MSG_GETCURRENT, &got));
        TW_CAPABILITY cap{ICAP_IMAGEFILEFORMAT, TWON_DONTCARE16, nullptr};
        EXPECT_EQ(TWRC_SUCCESS, ds.Control(DAT_CAPABILITY, MSG_GETCURRENT, &cap));
        auto* pOne = static_cast<TW_ONEVALUE*>(GlobalLock(cap.hContainer));
        EXPECT_EQ(got.Format, pOne ? pOne->Item : 0xFFFFu);
        GlobalUnlock(cap.hContainer);
        GlobalFree(cap.hContainer);
        return got.Format;
    };
    EXPECT_EQ(TWFF_TIFF, format());
    // A format the source cannot write is refused before the name or the file change.
    TW_SETUPFILEXFER jpeg = FileSetup(dir.Path().string() + "\\page.jpg");
    jpeg.Format = 4;  // TWFF_JFIF
    EXPECT_EQ(TWRC_FAILURE, ds.Control(DAT_SETUPFILEXFER, MSG_SET, &jpeg));
    EXPECT_EQ(TWCC_BADVALUE, ds.Status());
    EXPECT_FALSE(fs::exists(dir.Path() / "page.jpg"));
    EXPECT_EQ(TWFF_TIFF, format());
    TW_SETUPFILEXFER got{};
    ASSERT_EQ(TWRC_SUCCESS, ds.Control(DAT_SETUPFILEXFER, MSG_GETDEFAULT, &got));
    EXPECT_EQ(sTiff, FileName(got));
    // The capability's reset is the file transfer's format too.
    TW_CAPABILITY cap{ICAP_IMAGEFILEFORMAT, TWON_DONTCARE16, nullptr};
    ASSERT_EQ(TWRC_SUCCESS, ds.Control(DAT_CAPABILITY, MSG_RESET, &cap));
    GlobalFree(cap.hContainer);
    EXPECT_EQ(TWFF_BMP, format());
}

namespace {

TW_UINT16 TW_CALLINGSTYLE NoEntry(TW_IDENTITY*, TW_IDENTITY*, TW_UINT32, TW_UINT16, TW_UINT16, TW_MEMREF)
{
    return TWRC_SUCCESS;
}

}  // namespace

// What a session does with the entry points is seen in the transfers (tests/transfer); here,
// which records are taken, and when.
TEST(Control, EntryPointsAreTakenBeforeOpenOnly)
{
    CTestSource ds;
    ASSERT_TRUE(ds.Loaded());
    int nStray = 0;
    const TW_ENTRYPOINT kBad[] = {{sizeof(TW_ENTRYPOINT) - 1, &NoEntry, nullptr, nullptr, nullptr, nullptr},
                                  {sizeof(TW_ENTRYPOINT), nullptr, nullptr, nullptr, nullptr, nullptr},
                                  {sizeof(TW_ENTRYPOINT), reinterpret_cast<DSMENTRYPROC>(&nStray), nullptr, nullptr,
                                   nullptr, nullptr}};
    for (TW_ENTRYPOINT ep : kBad) {
        EXPECT_EQ(TWRC_FAILURE, ds.Control(DAT_ENTRYPOINT, MSG_SET, &ep));
        EXPECT_EQ(TWCC_BADVALUE, ds.Status());
    }
    EXPECT_EQ(TWRC_FAILURE, ds.Control(DAT_ENTRYPOINT, MSG_SET, nullptr));
    TW_ENTRYPOINT ep{sizeof(TW_ENTRYPOINT), &NoEntry, nullptr, nullptr, nullptr, nullptr};
    EXPECT_EQ(TWRC_FAILURE, ds.Control(DAT_ENTRYPOINT, MSG_GET, &ep));
    EXPECT_EQ(TWCC_BADPROTOCOL, ds.Status());
    ASSERT_EQ(TWRC_SUCCESS, ds.Control(DAT_ENTRYPOINT, MSG_SET, &ep));
    ASSERT_EQ(TWRC_SUCCESS, ds.Open());
    // An open session keeps the manager it has.
    EXPECT_EQ(TWRC_FAILURE, ds.Control(DAT_ENTRYPOINT, MSG_SET, &ep));
    EXPECT_EQ(TWCC_SEQERROR, ds.Status());
    ds.Close();
}
