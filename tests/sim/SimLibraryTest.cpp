// The simulated device library as the data source meets it: a DLL with undecorated ScanDrv_
// exports, its settings beside it or named by MVLSIM_INI, events from its own thread, and
// faults raised on demand. The job logic itself is tested in sim_core_tests.
#include "device/FaultGuard.h"
#include "device/ScanDrvApi.h"
#include "harness/TestEnv.h"
#include "sim/ChartRenderer.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <mutex>
#include <sstream>
#include <thread>

namespace fs = std::filesystem;

namespace {

const char* const kExports[] = {
    "ScanDrv_SetResolution1200", "ScanDrv_SetHorizontal",     "ScanDrv_SetAutofeed",        "ScanDrv_SetExtraParam",
    "ScanDrv_Open",              "ScanDrv_Open_C",            "ScanDrv_Close",              "ScanDrv_SetScanParameter",
    "ScanDrv_SetScanParameterAdj", "ScanDrv_StartScan",       "ScanDrv_SetContinueFlag",    "ScanDrv_ReadScanData",
    "ScanDrv_GetScanParameter",  "ScanDrv_GetCurScanLineNum", "ScanDrv_GetCurTransferSize", "ScanDrv_AbortScan",
    "ScanDrv_CancelScan",        "ScanDrv_GetLastError",      "ScanDrv_GetADFStatus",       "ScanDrv_IsDocumentInFeeder",
    "ScanDrv_CheckConnect",      "ScanDrv_BroadcastMFP",      "ScanDrv_DetectNetMFP",       "ScanDrv_SetCallBackFun",
    "ScanDrv_LocateMFP",
};

fs::path ProgramDir()
{
    wchar_t sz[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, sz, MAX_PATH);
    return fs::path(sz).parent_path();
}

struct SEvents {
    std::mutex mutex;
    std::condition_variable cv;
    std::vector<int> codes;
    std::vector<DWORD> threads;
    static int CallBack(void* pContext, int nEvent, int)
    {
        auto* p = static_cast<SEvents*>(pContext);
        std::lock_guard lock(p->mutex);
        p->codes.push_back(nEvent);
        p->threads.push_back(GetCurrentThreadId());
        p->cv.notify_all();
        return 0;
    }
    bool WaitFor(int nEvent, int nCount = 1)
    {
        std::unique_lock lock(mutex);
        return cv.wait_for(lock, std::chrono::seconds(10),
                           [&] { return std::count(codes.begin(), codes.end(), nEvent) >= nCount; });
    }
    std::vector<int> Codes()
    {
        std::lock_guard lock(mutex);
        return codes;
    }
};

// The library loaded from a folder of its own, so that each test has its own copy of its state.
class CSimLibrary {
public:
    explicit CSimLibrary(const fs::path& dir)
    {
        fs::copy_file(ProgramDir() / "mvllld.dll", dir / "mvllld.dll", fs::copy_options::overwrite_existing);
        m_h = LoadLibraryW((dir / "mvllld.dll").wstring().c_str());
    }
    ~CSimLibrary()
    {
        if (m_h)
            FreeLibrary(m_h);
    }
    CSimLibrary(const CSimLibrary&) = delete;
    CSimLibrary& operator=(const CSimLibrary&) = delete;
    void Unload()
    {
        FreeLibrary(m_h);
        m_h = nullptr;
    }
    HMODULE Handle() const { return m_h; }
    template <typename T>
    T Fn(const char* pszName) const
    {
        auto p = reinterpret_cast<T>(reinterpret_cast<void*>(GetProcAddress(m_h, pszName)));
        EXPECT_NE(p, nullptr) << pszName;
        return p;
    }

    PFN_ScanDrv_Open Open() const { return Fn<PFN_ScanDrv_Open>("ScanDrv_Open"); }
    PFN_ScanDrv_Handle Handle(const char* psz) const { return Fn<PFN_ScanDrv_Handle>(psz); }
    PFN_ScanDrv_SetScanParameter SetParams() const { return Fn<PFN_ScanDrv_SetScanParameter>("ScanDrv_SetScanParameter"); }
    PFN_ScanDrv_ReadScanData Read() const { return Fn<PFN_ScanDrv_ReadScanData>("ScanDrv_ReadScanData"); }
    PFN_ScanDrv_SetCallBackFun SetCallBack() const { return Fn<PFN_ScanDrv_SetCallBackFun>("ScanDrv_SetCallBackFun"); }

private:
    HMODULE m_h = nullptr;
};

class SimLibraryTest : public testing::Test {
protected:
    void SetUp() override
    {
        m_pIni = std::make_unique<mvltest::CScopedEnv>(L"MVLSIM_INI", (m_dir.Path() / "named.ini").wstring().c_str());
        m_pLog = std::make_unique<mvltest::CScopedEnv>(L"MVLSIM_LOG", (m_dir.Path() / "sim.log").wstring().c_str());
        WriteIni("");
        m_pLib = std::make_unique<CSimLibrary>(m_dir.Path());
        ASSERT_NE(m_pLib->Handle(), nullptr);
    }
    void TearDown() override { m_pLib.reset(); }
    void WriteIni(const std::string& sText) { mvltest::WriteTextFile(m_dir.Path() / "named.ini", sText); }
    std::string Log() { return mvltest::ReadTextFile(m_dir.Path() / "sim.log"); }
    ScanDrvHandle OpenUsb()
    {
        ScanDrvHandle h = nullptr;
        EXPECT_EQ(m_pLib->Open()("\\\\.\\Usbscan", &h), 0);
        EXPECT_NE(h, nullptr);
        return h;
    }
    // Reads pages of nRowBytes x nRows until nPages are in or the library stops.
    int ReadPages(ScanDrvHandle h, int nRowBytes, int nRows, int nPages)
    {
        std::vector<unsigned char> row(nRowBytes);
        for (int p = 0; p < nPages; ++p)
            for (int y = 0; y < nRows; ++y) {
                int nRead = 0;
                if (m_pLib->Read()(h, row.data(), nRowBytes, &nRead) != 0)
                    return p;
            }
        return nPages;
    }

    mvltest::CTempDir m_dir;
    std::unique_ptr<mvltest::CScopedEnv> m_pIni, m_pLog;
    std::unique_ptr<CSimLibrary> m_pLib;
};

TEST_F(SimLibraryTest, ExportsEveryFunctionUndecorated)
{
    for (const char* psz : kExports)
        EXPECT_NE(GetProcAddress(m_pLib->Handle(), psz), nullptr) << psz;
}

TEST_F(SimLibraryTest, DuplexFeederJobOfThreeSheets)
{
    ScanDrvHandle h = OpenUsb();
    SEvents ev;
    ASSERT_EQ(m_pLib->SetCallBack()(h, &SEvents::CallBack, &ev), 0);
    ASSERT_EQ(m_pLib->SetParams()(h, 300, 300, 1, 0, 0, 1200, 600, 128, 3), 0);
    ASSERT_EQ(m_pLib->Handle("ScanDrv_StartScan")(h), 0);
    // Second sheet, back side, read through the library, is the renderer's page.
    std::vector<unsigned char> row(300);
    std::vector<std::vector<uint8_t>> rows;
    EXPECT_EQ(ReadPages(h, 300, 150, 3), 3);
    for (int y = 0; y < 150; ++y) {
        int nRead = 0;
        ASSERT_EQ(m_pLib->Read()(h, row.data(), 300, &nRead), 0);
        rows.emplace_back(row.begin(), row.end());
    }
    EXPECT_EQ(rows, RenderChart(2, 1, 300, 1, {0, 0, 1200, 600}));
    EXPECT_EQ(ReadPages(h, 300, 150, 2), 2);
    ASSERT_TRUE(ev.WaitFor(9));
    EXPECT_EQ(ev.Codes(), (std::vector<int>{2, 3, 3, 3, 3, 3, 3, 9}));
    EXPECT_NE(ev.threads[0], GetCurrentThreadId());
    int nRead = 0;
    EXPECT_EQ(m_pLib->Read()(h, row.data(), 300, &nRead), 2);
    EXPECT_EQ(m_pLib->Handle("ScanDrv_Close")(h), 0);
    EXPECT_EQ(Log().find("VIOLATION"), std::string::npos) << Log();
}

TEST_F(SimLibraryTest, SettingsBesideTheLibraryWithoutTheVariable)
{
    m_pLib.reset();
    mvltest::CScopedEnv noIni(L"MVLSIM_INI", nullptr);
    mvltest::CScopedEnv noLog(L"MVLSIM_LOG", nullptr);
    fs::path beside = m_dir.Path() / "beside";
    fs::create_directories(beside);
    std::string sLog = (beside / "own.log").string();
    mvltest::WriteTextFile(beside / "mvlsim.ini", "[Faults]\nOpenResult=9\n[Log]\nPath=" + sLog + "\n");
    CSimLibrary lib(beside);
    ScanDrvHandle h = nullptr;
    EXPECT_EQ(lib.Open()("\\\\.\\Usbscan", &h), 9);
    EXPECT_NE(mvltest::ReadTextFile(sLog).find("CALL ScanDrv_Open"), std::string::npos);
}

TEST_F(SimLibraryTest, ResultSwitchesThroughTheLibrary)
{
    WriteIni("[Faults]\nStartResult=6\nLastError=13\nADFStatus=8\n");
    ScanDrvHandle h = OpenUsb();
    EXPECT_EQ(m_pLib->Handle("ScanDrv_GetADFStatus")(h), 8);
    EXPECT_EQ(m_pLib->Handle("ScanDrv_GetLastError")(h), 13);
    ASSERT_EQ(m_pLib->SetParams()(h, 100, 100, 2, 0, 0, 1200, 1200, 128, 0), 0);
    EXPECT_EQ(m_pLib->Handle("ScanDrv_StartScan")(h), 6);
    EXPECT_EQ(m_pLib->Handle("ScanDrv_Close")(h), 0);
    EXPECT_EQ(m_pLib->Handle("ScanDrv_Close")(h), 1);
    EXPECT_NE(Log().find("VIOLATION ScanDrv_Close with a handle that is not open"), std::string::npos);
    WriteIni("[Faults]\nOpenResult=3\n");
    h = nullptr;
    EXPECT_EQ(m_pLib->Open()("\\\\.\\Usbscan", &h), 3);
    EXPECT_EQ(h, nullptr);
}

TEST_F(SimLibraryTest, FaultSwitchesRaiseRealFaults)
{
    struct SCase {
        const char* pszKind;
        unsigned long nCode;
    } cases[] = {{"null", EXCEPTION_ACCESS_VIOLATION}, {"div0", EXCEPTION_INT_DIVIDE_BY_ZERO}, {"throw", 0}};
    auto pfnConnect = m_pLib->Fn<PFN_ScanDrv_CheckConnect>("ScanDrv_CheckConnect");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.pszKind);
        WriteIni(std::string("[Faults]\nFault=ScanDrv_CheckConnect:") + c.pszKind + "\n");
        unsigned long nCaught = GuardCatchCount();
        EXPECT_EQ(Guarded([&] { pfnConnect(1, nullptr); return 0; }), -1);
        EXPECT_EQ(GuardCatchCount(), nCaught + 1);
        if (c.nCode) {
            EXPECT_EQ(LastGuardFaultCode(), c.nCode);
        }
    }
    WriteIni("");
    EXPECT_EQ(pfnConnect(1, nullptr), 0);  // the library goes on working
}

TEST_F(SimLibraryTest, UnloadWithAnOpenDeviceIsReported)
{
    OpenUsb();
    m_pLib->Unload();
    EXPECT_NE(Log().find("not closed before unload"), std::string::npos) << Log();
}

}  // namespace
