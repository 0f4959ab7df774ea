// The source and its manager: notifications and handed-over memory through the entry points a
// TWAIN 2 manager gives, never from inside a transfer; and without any manager, no library that
// somebody planted under a manager's or a sibling's bare name is ever loaded.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <mutex>
#include <vector>

#include "AcquisitionFixture.h"
#include "harness/ChildProcess.h"

using namespace xfertest;
namespace fs = std::filesystem;

namespace {

// What the manager of these tests was asked for.
struct SManagerRecord {
    std::atomic<int> nXferReady{0}, nCloseRequests{0}, nDuringTransfer{0};
    std::atomic<bool> bInTransfer{false};
    std::mutex mutex;
    std::vector<TW_HANDLE> allocated;
};
SManagerRecord g_manager;

TW_UINT16 TW_CALLINGSTYLE RecordingEntry(TW_IDENTITY*, TW_IDENTITY*, TW_UINT32, TW_UINT16 DAT, TW_UINT16 MSG,
                                         TW_MEMREF)
{
    if (DAT != DAT_NULL)
        return TWRC_FAILURE;
    g_manager.nDuringTransfer += g_manager.bInTransfer ? 1 : 0;
    g_manager.nXferReady += MSG == MSG_XFERREADY ? 1 : 0;
    g_manager.nCloseRequests += MSG == MSG_CLOSEDSREQ ? 1 : 0;
    return TWRC_SUCCESS;
}

TW_HANDLE TW_CALLINGSTYLE RecordingAlloc(TW_UINT32 nSize)
{
    TW_HANDLE h = GlobalAlloc(GHND, nSize);
    std::lock_guard lock(g_manager.mutex);
    g_manager.allocated.push_back(h);
    return h;
}
void TW_CALLINGSTYLE ManagerFree(TW_HANDLE h) { GlobalFree(h); }
TW_MEMREF TW_CALLINGSTYLE ManagerLock(TW_HANDLE h) { return GlobalLock(h); }
void TW_CALLINGSTYLE ManagerUnlock(TW_HANDLE h) { GlobalUnlock(h); }

bool AllocatedByTheManager(TW_HANDLE h)
{
    std::lock_guard lock(g_manager.mutex);
    return std::ranges::find(g_manager.allocated, h) != g_manager.allocated.end();
}

}  // namespace

TEST(XferManager, Twain2SessionUsesTheGivenEntryAndNeverNotifiesInsideATransfer)
{
    CAcquisition acq;
    TW_ENTRYPOINT ep{sizeof(TW_ENTRYPOINT), &RecordingEntry, reinterpret_cast<TW_MEMREF>(&RecordingAlloc),
                     reinterpret_cast<TW_MEMREF>(&ManagerFree), reinterpret_cast<TW_MEMREF>(&ManagerLock),
                     reinterpret_cast<TW_MEMREF>(&ManagerUnlock)};
    ASSERT_EQ(acq.Src().Control(DAT_ENTRYPOINT, MSG_SET, &ep), TWRC_SUCCESS);
    ASSERT_EQ(acq.Src().Open(), TWRC_SUCCESS);
    ASSERT_TRUE(acq.Configure(1, 75, 13, 0));
    ASSERT_EQ(acq.Enable(), TWRC_SUCCESS);
    EXPECT_EQ(g_manager.nXferReady, 1);
    EXPECT_EQ(acq.Calls(MSG_XFERREADY), 0) << "the manager loaded in the process was not asked";
    TW_CAPABILITY cap{ICAP_PIXELTYPE, TWON_DONTCARE16, nullptr};
    ASSERT_EQ(acq.Src().Control(DAT_CAPABILITY, MSG_GET, &cap), TWRC_SUCCESS);
    EXPECT_TRUE(AllocatedByTheManager(cap.hContainer));
    GlobalFree(cap.hContainer);

    TW_HANDLE hDib = nullptr;
    g_manager.bInTransfer = true;
    ASSERT_EQ(acq.Src().Call(DG_IMAGE, DAT_IMAGENATIVEXFER, MSG_GET, &hDib), TWRC_XFERDONE);
    g_manager.bInTransfer = false;
    EXPECT_TRUE(AllocatedByTheManager(hDib));
    GlobalFree(hDib);
    // The flatbed page ended the job: the close request waits for the end of the transfers.
    EXPECT_EQ(g_manager.nCloseRequests, 0);
    TW_PENDINGXFERS pending{};
    ASSERT_EQ(acq.Src().Control(DAT_PENDINGXFERS, MSG_ENDXFER, &pending), TWRC_SUCCESS);
    EXPECT_EQ(pending.Count, 0);
    EXPECT_EQ(g_manager.nCloseRequests, 1);
    EXPECT_EQ(g_manager.nDuringTransfer, 0);
    EXPECT_EQ(acq.Calls(MSG_CLOSEDSREQ), 0);
    EXPECT_EQ(acq.Disable(), TWRC_SUCCESS);
    EXPECT_EQ(acq.Src().Close(), TWRC_SUCCESS);
}

namespace {

// Child, started from a copy of this program in a folder of planted libraries and with another
// such folder as its current directory: scans a flatbed page with automatic crop (which binds
// the effect library) through the source at args[0] (File Prefix args[1]) with no manager
// loaded. Bits of the result: 1 a triplet failed, 2 and 4 the ready and close notifications
// were not traced as undelivered, 8 the effect library was not looked for, 16 a planted library
// was loaded, 32 the planted libraries could not have been found by a bare name anyway.
int ScanWithoutManager(const std::vector<std::wstring>& args)
{
    if (args.size() < 3)
        return 64;
    HMODULE h = LoadLibraryW(args[0].c_str());
    auto pfn = h ? reinterpret_cast<DSENTRYPROC>(reinterpret_cast<void*>(GetProcAddress(h, "DS_Entry"))) : nullptr;
    if (!pfn)
        return 64;
    int nResult = 0;
    {
        mvltest::CTraceCapture trace(h);
        TW_IDENTITY app = mvltest::MakeAppIdentity(1), ds{};
        auto call = [&](TW_UINT32 DG, TW_UINT16 DAT, TW_UINT16 MSG, TW_MEMREF p, TW_UINT16 wWant = TWRC_SUCCESS) {
            if (pfn(&app, DG, DAT, MSG, p) != wWant)
                nResult |= 1;
        };
        call(DG_CONTROL, DAT_IDENTITY, MSG_GET, &ds);
        ds.Id = 77;
        call(DG_CONTROL, DAT_IDENTITY, MSG_OPENDS, &ds);
        HGLOBAL hOne = GlobalAlloc(GHND, sizeof(TW_ONEVALUE) + 4);
        *static_cast<TW_ONEVALUE*>(GlobalLock(hOne)) = TW_ONEVALUE{TWTY_UINT16, 4};  // the full platen: cropped
        GlobalUnlock(hOne);
        TW_CAPABILITY cap{ICAP_SUPPORTEDSIZES, TWON_ONEVALUE, hOne};
        call(DG_CONTROL, DAT_CAPABILITY, MSG_SET, &cap);
        GlobalFree(hOne);
        TW_USERINTERFACE ui{FALSE, FALSE, nullptr};
        call(DG_CONTROL, DAT_USERINTERFACE, MSG_ENABLEDS, &ui);
        TW_HANDLE hDib = nullptr;
        call(DG_IMAGE, DAT_IMAGENATIVEXFER, MSG_GET, &hDib, TWRC_XFERDONE);
        GlobalFree(hDib);
        TW_PENDINGXFERS pending{};
        call(DG_CONTROL, DAT_PENDINGXFERS, MSG_ENDXFER, &pending);
        call(DG_CONTROL, DAT_USERINTERFACE, MSG_DISABLEDS, &ui);
        call(DG_CONTROL, DAT_IDENTITY, MSG_CLOSEDS, &ds);
        nResult |= trace.Contains("MSG 0x0101 not delivered") ? 0 : 2;
        nResult |= trace.Contains("MSG 0x0102 not delivered") ? 0 : 4;
        nResult |= trace.Contains("load ImgEffect.dll fail!") ? 0 : 8;
    }
    FreeLibrary(h);
    nResult |= fs::is_empty(args[2]) ? 0 : 16;
    // The check is worth something only if a bare name would have found them.
    const std::wstring sEffect = args[1] + L"ImgEffect.dll";
    LoadLibraryW(L"TWAIN_32.DLL");
    LoadLibraryW(sEffect.c_str());
    const bool bFindable = fs::exists(fs::path(args[2]) / L"TWAIN_32.DLL.loaded") &&
                           fs::exists(fs::path(args[2]) / (sEffect + L".loaded"));
    return nResult | (bFindable ? 0 : 32);
}
MVL_CHILD_ACTION(L"scan-without-manager", ScanWithoutManager);

}  // namespace

TEST(XferManager, PlantedLibrariesAreNeverLoaded)
{
    mvltest::CTempDir programDir, currentDir, markers;
    CAcquisition acq;
    const std::wstring sPrefix = acq.Src().Prefix();
    const std::wstring sDs = acq.Src().DsPath();
    // Whatever effect library the source folder had is gone: only a planted one could be found.
    std::error_code ec;
    for (const wchar_t* pszName : {L"ImgEffect.dll", L"mvlImgEffect.dll"})
        fs::remove(fs::path(acq.Src().ModelDir()) / pszName, ec);
    fs::remove(fs::path(acq.Src().ModelDir()) / (sPrefix + L"ImgEffect.dll"), ec);
    acq.Src().Unload();

    wchar_t szExe[MAX_PATH] = L"";
    GetModuleFileNameW(nullptr, szExe, MAX_PATH);
    const fs::path planted = fs::path(szExe).parent_path() / L"mvlplanted.dll";
    const fs::path program = programDir.Path() / L"planting_host.exe";
    ASSERT_TRUE(fs::copy_file(szExe, program, ec)) << ec.message();
    for (const fs::path& dir : {programDir.Path(), currentDir.Path()})
        for (const std::wstring& sName : {std::wstring(L"TWAIN_32.DLL"), std::wstring(L"ImgEffect.dll"), sPrefix + L"ImgEffect.dll"})
            ASSERT_TRUE(fs::copy_file(planted, dir / sName, ec)) << ec.message();

    // Native libraries only for the host: Wine would otherwise answer the bare name with its own
    // manager, where Windows has none.
    const std::wstring sAppKey = L"Software\\Wine\\AppDefaults\\planting_host.exe";
    mvltest::CScopedRegKey appKey(HKEY_CURRENT_USER, sAppKey);
    mvltest::CScopedRegKey overrides(HKEY_CURRENT_USER, sAppKey + L"\\DllOverrides");
    ASSERT_TRUE(overrides.SetString(L"twain_32", L"native"));
    mvltest::CScopedEnv markerDir(L"MVL_PLANT_MARKERS", markers.Path().c_str());
    std::wstring sLine = L"\"" + program.wstring() + L"\" --child scan-without-manager \"" + sDs + L"\" \"" + sPrefix +
                         L"\" \"" + markers.Path().wstring() + L"\"";
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    ASSERT_TRUE(CreateProcessW(program.c_str(), sLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                               currentDir.Path().c_str(), &si, &pi));
    DWORD dwCode = 0xFFFF;
    if (WaitForSingleObject(pi.hProcess, 120000) == WAIT_OBJECT_0)
        GetExitCodeProcess(pi.hProcess, &dwCode);
    else
        TerminateProcess(pi.hProcess, 99);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    EXPECT_EQ(0u, dwCode);
}
