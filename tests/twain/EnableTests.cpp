// MSG_ENABLEDS and MSG_DISABLEDS through the real data source: the scanning dialog's life,
// the sign mutex seen from another process, and the states 4, 5 and 6.
#include <gtest/gtest.h>

#include <aclapi.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "harness/ChildProcess.h"
#include "harness/DsLoader.h"
#include "harness/TestEnv.h"

using namespace mvltest;

namespace {

std::vector<HWND> ScanningDialogs()
{
    std::vector<HWND> found;
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND hWnd, LPARAM lParam) -> BOOL {
            wchar_t szClass[64] = L"";
            GetClassNameW(hWnd, szClass, 64);
            if (std::wstring(szClass) == L"Q7100UIFLAG")
                reinterpret_cast<std::vector<HWND>*>(lParam)->push_back(hWnd);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&found));
    return found;
}

void PumpPending()
{
    MSG msg;
    for (int i = 0; i < 200 && PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE); ++i) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

TW_UINT16 Enable(CTestSource& ds, bool bShowUI, HWND hParent = nullptr)
{
    TW_USERINTERFACE ui{static_cast<TW_BOOL>(bShowUI), FALSE, hParent};
    return ds.Control(DAT_USERINTERFACE, MSG_ENABLEDS, &ui);
}

TW_UINT16 Disable(CTestSource& ds)
{
    TW_USERINTERFACE ui{FALSE, FALSE, nullptr};
    return ds.Control(DAT_USERINTERFACE, MSG_DISABLEDS, &ui);
}

bool SignMutexExists(const std::wstring& sPrefix)
{
    HANDLE h = OpenMutexW(READ_CONTROL, FALSE, (L"Global\\" + sPrefix + L"_sign").c_str());
    if (h)
        CloseHandle(h);
    return h != nullptr;
}

// Child: loads the data source at args[0] and tries to open it; 0 opened, 1 refused.
int TryOpen(const std::vector<std::wstring>& args)
{
    if (args.empty())
        return 2;
    HMODULE h = LoadLibraryW(args[0].c_str());
    auto pfn = h ? reinterpret_cast<DSENTRYPROC>(GetProcAddress(h, "DS_Entry")) : nullptr;
    if (!pfn)
        return 3;
    TW_IDENTITY app = MakeAppIdentity(5, "other process"), ds{};
    pfn(&app, DG_CONTROL, DAT_IDENTITY, MSG_GET, &ds);
    ds.Id = 9;
    int nResult = pfn(&app, DG_CONTROL, DAT_IDENTITY, MSG_OPENDS, &ds) == TWRC_SUCCESS ? 0 : 1;
    if (nResult == 0)
        pfn(&app, DG_CONTROL, DAT_IDENTITY, MSG_CLOSEDS, &ds);
    FreeLibrary(h);
    return nResult;
}
MVL_CHILD_ACTION(L"try-open", TryOpen);

TW_UINT16 SetCapBool(CTestSource& ds, TW_UINT16 wCap, bool bValue)
{
    HGLOBAL h = GlobalAlloc(GHND, sizeof(TW_ONEVALUE));
    auto* p = static_cast<TW_ONEVALUE*>(GlobalLock(h));
    p->ItemType = TWTY_BOOL;
    p->Item = bValue ? 1 : 0;
    GlobalUnlock(h);
    TW_CAPABILITY cap{wCap, TWON_ONEVALUE, h};
    TW_UINT16 twRc = ds.Control(DAT_CAPABILITY, MSG_SET, &cap);
    GlobalFree(h);
    return twRc;
}

// Writes what the screen shows of the window as a 24-bit BMP.
bool SaveWindowBmp(HWND hWnd, const std::filesystem::path& path)
{
    RECT rc{};
    GetWindowRect(hWnd, &rc);
    int w = rc.right - rc.left, h = rc.bottom - rc.top;
    if (w <= 0 || h <= 0)
        return false;
    HDC hScreen = GetDC(nullptr);
    HDC hMem = CreateCompatibleDC(hScreen);
    BITMAPINFO bi{};
    bi.bmiHeader = {sizeof(BITMAPINFOHEADER), w, h, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
    void* pBits = nullptr;
    HBITMAP hBmp = CreateDIBSection(hScreen, &bi, DIB_RGB_COLORS, &pBits, nullptr, 0);
    HGDIOBJ hOld = SelectObject(hMem, hBmp);
    // From the screen: the window and its controls as they were painted there.
    bool bOk = BitBlt(hMem, 0, 0, w, h, hScreen, rc.left, rc.top, SRCCOPY);
    GdiFlush();
    DWORD dwStride = (static_cast<DWORD>(w) * 3 + 3) & ~3u, dwImage = dwStride * static_cast<DWORD>(h);
    BITMAPFILEHEADER bf{0x4D42, static_cast<DWORD>(sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER) + dwImage), 0, 0,
                        sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER)};
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(&bf), sizeof bf);
    out.write(reinterpret_cast<const char*>(&bi.bmiHeader), sizeof bi.bmiHeader);
    out.write(static_cast<const char*>(pBits), dwImage);
    bOk = bOk && out.good();
    SelectObject(hMem, hOld);
    DeleteObject(hBmp);
    DeleteDC(hMem);
    ReleaseDC(nullptr, hScreen);
    return bOk;
}

}  // namespace

TEST(Enable, ShowsTheDialogAndDisableDestroysIt)
{
    CTestSource ds;
    ASSERT_TRUE(ds.Loaded());
    ASSERT_EQ(TWRC_SUCCESS, ds.Open());
    ASSERT_EQ(TWRC_SUCCESS, Enable(ds, true));
    auto dialogs = ScanningDialogs();
    ASSERT_EQ(1u, dialogs.size());
    EXPECT_TRUE(IsWindowVisible(dialogs[0]));
    // The fallback template the source carries: no language library is installed beside it.
    HWND hScan = GetDlgItem(dialogs[0], 20006);
    EXPECT_NE(nullptr, hScan);

    ASSERT_EQ(TWRC_SUCCESS, Disable(ds));
    EXPECT_TRUE(ScanningDialogs().empty());
    EXPECT_FALSE(IsWindow(dialogs[0]));
    EXPECT_TRUE(ds.Trace().Contains("out DisableDS"));
    ASSERT_EQ(TWRC_SUCCESS, ds.Close());

    // Back in state 3 with no application: another one may open.
    TW_IDENTITY other = MakeAppIdentity(8, "second app");
    TW_IDENTITY dsId = ds.DsId();
    EXPECT_EQ(TWRC_SUCCESS, ds.Call(&other, DG_CONTROL, DAT_IDENTITY, MSG_OPENDS, &dsId));
    EXPECT_EQ(TWRC_SUCCESS, ds.Call(&other, DG_CONTROL, DAT_IDENTITY, MSG_CLOSEDS, &dsId));
}

TEST(Enable, TwiceKeepsOneDialog)
{
    CTestSource ds;
    ASSERT_TRUE(ds.Loaded());
    ASSERT_EQ(TWRC_SUCCESS, ds.Open());
    ASSERT_EQ(TWRC_SUCCESS, Enable(ds, true));
    auto first = ScanningDialogs();
    ASSERT_EQ(1u, first.size());
    ds.Trace().Clear();
    EXPECT_EQ(TWRC_SUCCESS, Enable(ds, true));
    EXPECT_EQ(TWRC_SUCCESS, Enable(ds, false));
    EXPECT_EQ(TWCC_SUCCESS, ds.Status());
    EXPECT_EQ(first, ScanningDialogs());
    // Still state 5: one disable brings it to 4, a second one is out of sequence.
    EXPECT_EQ(TWRC_SUCCESS, Disable(ds));
    EXPECT_EQ(TWRC_FAILURE, Disable(ds));
    EXPECT_EQ(TWCC_SEQERROR, ds.Status());
    EXPECT_EQ(TWRC_SUCCESS, ds.Close());
}

TEST(Enable, DisableInStateFourFailsAndStillTraces)
{
    CTestSource ds;
    ASSERT_TRUE(ds.Loaded());
    ASSERT_EQ(TWRC_SUCCESS, ds.Open());
    ds.Trace().Clear();
    EXPECT_EQ(TWRC_FAILURE, Disable(ds));
    EXPECT_EQ(TWCC_SEQERROR, ds.Status());
    EXPECT_EQ(1u, ds.Trace().Count("out DisableDS"));
    EXPECT_EQ(TWRC_SUCCESS, ds.Close());
    // In state 3 as well.
    EXPECT_EQ(TWRC_FAILURE, Disable(ds));
    EXPECT_EQ(TWCC_SEQERROR, ds.Status());
    EXPECT_EQ(2u, ds.Trace().Count("out DisableDS"));
}

TEST(Enable, WithoutUIKeepsTheDialogHidden)
{
    CTestSource ds;
    ASSERT_TRUE(ds.Loaded());
    ASSERT_EQ(TWRC_SUCCESS, ds.Open());
    ASSERT_EQ(TWRC_SUCCESS, Enable(ds, false));
    auto dialogs = ScanningDialogs();
    ASSERT_EQ(1u, dialogs.size());
    EXPECT_FALSE(IsWindowVisible(dialogs[0]));
    EXPECT_TRUE(SignMutexExists(ds.Prefix()));
    // State 6 is left by the disable like state 5.
    EXPECT_EQ(TWRC_SUCCESS, Disable(ds));
    EXPECT_TRUE(ScanningDialogs().empty());
    EXPECT_FALSE(SignMutexExists(ds.Prefix()));
    EXPECT_EQ(TWRC_SUCCESS, ds.Close());
}

TEST(Enable, CloseInStateFiveLeavesTheDialog)
{
    HWND hDialog = nullptr;
    {
        CTestSource ds;
        ASSERT_TRUE(ds.Loaded());
        ASSERT_EQ(TWRC_SUCCESS, ds.Open());
        ASSERT_EQ(TWRC_SUCCESS, Enable(ds, true));
        ASSERT_EQ(TWRC_SUCCESS, ds.Close());
        auto dialogs = ScanningDialogs();
        ASSERT_EQ(1u, dialogs.size());
        hDialog = dialogs[0];
        EXPECT_TRUE(IsWindowVisible(hDialog));
        // Closed: the disable that would have ended the dialog is out of sequence now.
        EXPECT_EQ(TWRC_FAILURE, Disable(ds));
        EXPECT_EQ(1u, ScanningDialogs().size());
    }
    // Unloading the library ends the window and its class with it.
    EXPECT_FALSE(IsWindow(hDialog));
    EXPECT_TRUE(ScanningDialogs().empty());
}

TEST(Enable, SignMutexLocksOtherProcessesOutUntilDisable)
{
    CTestSource ds;
    ASSERT_TRUE(ds.Loaded());
    ASSERT_EQ(TWRC_SUCCESS, ds.Open());
    EXPECT_FALSE(SignMutexExists(ds.Prefix()));
    ASSERT_EQ(TWRC_SUCCESS, Enable(ds, true));
    ASSERT_TRUE(SignMutexExists(ds.Prefix()));
    {
        CChildProcess child(L"try-open", {ds.DsPath()});
        ASSERT_TRUE(child.Started());
        EXPECT_EQ(1, child.Wait(30000));
    }
    ASSERT_EQ(TWRC_SUCCESS, Disable(ds));
    EXPECT_FALSE(SignMutexExists(ds.Prefix()));
    {
        CChildProcess child(L"try-open", {ds.DsPath()});
        ASSERT_TRUE(child.Started());
        EXPECT_EQ(0, child.Wait(30000));
    }
    EXPECT_EQ(TWRC_SUCCESS, ds.Close());
}

TEST(Enable, SignMutexHasNoAccessList)
{
    CTestSource ds;
    ASSERT_TRUE(ds.Loaded());
    ASSERT_EQ(TWRC_SUCCESS, ds.Open());
    ASSERT_EQ(TWRC_SUCCESS, Enable(ds, false));
    HANDLE h = OpenMutexW(READ_CONTROL, FALSE, (L"Global\\" + ds.Prefix() + L"_sign").c_str());
    ASSERT_NE(nullptr, h);
    PACL pDacl = reinterpret_cast<PACL>(1);
    PSECURITY_DESCRIPTOR pSd = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, GetSecurityInfo(h, SE_KERNEL_OBJECT, DACL_SECURITY_INFORMATION, nullptr, nullptr, &pDacl,
                                             nullptr, &pSd));
    EXPECT_EQ(nullptr, pDacl);
    LocalFree(pSd);
    CloseHandle(h);
    Disable(ds);
    ds.Close();
}

TEST(Enable, RefusalsLeaveNoDialogAndNoMutex)
{
    CTestSource ds;
    ASSERT_TRUE(ds.Loaded());
    // Before the source is open: nothing to enable, and nothing that would lock others out.
    EXPECT_EQ(TWRC_SUCCESS, Enable(ds, true));
    EXPECT_TRUE(ScanningDialogs().empty());
    EXPECT_FALSE(SignMutexExists(ds.Prefix()));
    ASSERT_EQ(TWRC_SUCCESS, ds.Open());

    EXPECT_EQ(TWRC_FAILURE, ds.Control(DAT_USERINTERFACE, MSG_ENABLEDS, nullptr));
    EXPECT_EQ(TWCC_BADPROTOCOL, ds.Status());
    TW_USERINTERFACE ui{TRUE, FALSE, nullptr};
    EXPECT_EQ(TWRC_FAILURE, ds.Control(DAT_USERINTERFACE, MSG_ENABLEDSUIONLY, &ui));
    EXPECT_EQ(TWCC_BADPROTOCOL, ds.Status());
    EXPECT_EQ(TWRC_FAILURE, ds.Control(DAT_USERINTERFACE, MSG_GET, &ui));
    EXPECT_EQ(TWCC_BADPROTOCOL, ds.Status());
    EXPECT_TRUE(ScanningDialogs().empty());
    EXPECT_FALSE(SignMutexExists(ds.Prefix()));
    EXPECT_EQ(TWRC_SUCCESS, ds.Close());
}

TEST(Enable, DialogIsOwnedByTheApplicationWindow)
{
    HWND hApp = CreateWindowExW(0, L"STATIC", L"app", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, nullptr, nullptr, nullptr,
                                nullptr);
    ASSERT_NE(nullptr, hApp);
    {
        CTestSource ds;
        ASSERT_TRUE(ds.Loaded());
        ASSERT_EQ(TWRC_SUCCESS, ds.Open());
        ASSERT_EQ(TWRC_SUCCESS, Enable(ds, true, hApp));
        auto dialogs = ScanningDialogs();
        ASSERT_EQ(1u, dialogs.size());
        EXPECT_EQ(hApp, GetWindow(dialogs[0], GW_OWNER));
        ASSERT_EQ(TWRC_SUCCESS, Disable(ds));
        ds.Close();
    }
    {
        // A parent handle that is no window: the dialog is made without an owner.
        CTestSource ds;
        ASSERT_TRUE(ds.Loaded());
        ASSERT_EQ(TWRC_SUCCESS, ds.Open());
        ASSERT_EQ(TWRC_SUCCESS, Enable(ds, true, reinterpret_cast<HWND>(static_cast<UINT_PTR>(0x7FFF0))));
        auto dialogs = ScanningDialogs();
        ASSERT_EQ(1u, dialogs.size());
        EXPECT_EQ(nullptr, GetWindow(dialogs[0], GW_OWNER));
        Disable(ds);
        ds.Close();
    }
    DestroyWindow(hApp);
}

TEST(Enable, FileOutputModeUsesItsTemplateAndSurvivesDisable)
{
    CTestSource ds;
    ASSERT_TRUE(ds.Loaded());
    ASSERT_EQ(TWRC_SUCCESS, ds.Open());
    if (SetCapBool(ds, 0x8123, true) != TWRC_SUCCESS)
        GTEST_SKIP() << "custom capability 0x8123 cannot be set yet";
    ASSERT_EQ(TWRC_SUCCESS, Enable(ds, true));
    auto dialogs = ScanningDialogs();
    ASSERT_EQ(1u, dialogs.size());
    wchar_t szTitle[64] = L"";
    GetWindowTextW(dialogs[0], szTitle, 64);
    // The file-output title of the profile's language section.
    EXPECT_STREQ(L"MV Scan to File", szTitle);
    ASSERT_EQ(TWRC_SUCCESS, Disable(ds));
    EXPECT_EQ(dialogs, ScanningDialogs());
    // The next enable replaces the surviving dialog.
    ASSERT_EQ(TWRC_SUCCESS, Enable(ds, true));
    auto second = ScanningDialogs();
    ASSERT_EQ(1u, second.size());
    EXPECT_FALSE(IsWindow(dialogs[0]));
    Disable(ds);
    ds.Close();
}

TEST(Enable, ShellDialogScreenshot)
{
    CTestSource ds;
    ASSERT_TRUE(ds.Loaded());
    ASSERT_EQ(TWRC_SUCCESS, ds.Open());
    ASSERT_EQ(TWRC_SUCCESS, Enable(ds, true));
    auto dialogs = ScanningDialogs();
    ASSERT_EQ(1u, dialogs.size());
    RedrawWindow(dialogs[0], nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
    for (int i = 0; i < 5; ++i) {
        PumpPending();
        Sleep(50);
    }
    std::filesystem::create_directories(ArtifactDir());
    EXPECT_TRUE(SaveWindowBmp(dialogs[0], ArtifactDir() / "scanning-dialog-shell.bmp"));
    Disable(ds);
    ds.Close();
}
