// The driver wrapper against the simulated device library, loaded from this program's folder.
#include "device/DevMonStatus.h"
#include "device/FaultGuard.h"
#include "device/LLDMorvel.h"
#include "device/LLDState.h"
#include "harness/TestEnv.h"
#include "profile/Trace.h"
#include "sim/ChartRenderer.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <condition_variable>
#include <cstring>
#include <mutex>
#include <sstream>
#include <string>
#include <vector>

namespace {

std::vector<std::string> g_trace;
void TraceNarrow(const char* psz) { g_trace.emplace_back(psz); }
void TraceWide(const wchar_t* psz)
{
    std::string s;
    for (const wchar_t* p = psz; *p; ++p)
        s += static_cast<char>(*p < 128 ? *p : '?');
    g_trace.push_back(s);
}
int TraceCount(const std::string& sLine) { return static_cast<int>(std::count(g_trace.begin(), g_trace.end(), sLine)); }

std::wstring SimPrefix() { return L"mvl"; }
std::wstring NoOpenPrefix() { return L"mvlnoopen"; }
std::wstring MissingPrefix() { return L"nosuch"; }

struct SEvents {
    std::mutex mutex;
    std::condition_variable cv;
    std::vector<int> codes;
    DWORD dwThread = 0;
    static int CallBack(void* pContext, int nEvent, int)
    {
        auto* p = static_cast<SEvents*>(pContext);
        std::lock_guard lock(p->mutex);
        p->codes.push_back(nEvent);
        p->dwThread = GetCurrentThreadId();
        p->cv.notify_all();
        return 0;
    }
    bool WaitFor(int nEvent)
    {
        std::unique_lock lock(mutex);
        return cv.wait_for(lock, std::chrono::seconds(10),
                           [&] { return std::find(codes.begin(), codes.end(), nEvent) != codes.end(); });
    }
};

class WrapperTest : public testing::Test {
protected:
    void SetUp() override
    {
        WriteIni("");
        m_pIni = std::make_unique<mvltest::CScopedEnv>(L"MVLSIM_INI", (m_dir.Path() / "mvlsim.ini").wstring().c_str());
        m_pLog = std::make_unique<mvltest::CScopedEnv>(L"MVLSIM_LOG", (m_dir.Path() / "sim.log").wstring().c_str());
        g_lldOpenFlags = {};
        gbcancel = FALSE;
        g_trace.clear();
        SetTraceSinks(&TraceNarrow, &TraceWide);
    }
    void TearDown() override { SetTraceSinks(nullptr, nullptr); }
    void WriteIni(const std::string& sText) { mvltest::WriteTextFile(m_dir.Path() / "mvlsim.ini", sText); }
    std::vector<std::string> LogLines()
    {
        std::stringstream ss(mvltest::ReadTextFile(m_dir.Path() / "sim.log"));
        std::vector<std::string> lines;
        for (std::string s; std::getline(ss, s);)
            lines.push_back(s);
        return lines;
    }
    int LogCount(const std::string& sPrefix)
    {
        auto lines = LogLines();
        return static_cast<int>(std::count_if(lines.begin(), lines.end(), [&](const std::string& s) {
            return s.compare(0, sPrefix.size(), sPrefix) == 0;
        }));
    }
    void OpenUsb(CLLDMorvel& lld)
    {
        ASSERT_EQ(lld.DevMon_Load(), 1);
        ASSERT_EQ(lld.DevMon_Open("\\\\.\\Usbscan"), 0);
        ASSERT_TRUE(lld.IsOpen());
    }

    mvltest::CTempDir m_dir;
    std::unique_ptr<mvltest::CScopedEnv> m_pIni, m_pLog;
};

TEST_F(WrapperTest, LoadFormsThePathBesideThisModuleAndLoadsOnce)
{
    CLLDMorvel lld(&SimPrefix);
    wchar_t szExe[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, szExe, MAX_PATH);
    std::wstring sDir(szExe);
    sDir.resize(sDir.find_last_of(L'\\') + 1);
    EXPECT_EQ(lld.LibraryPath(), sDir + L"mvllld.dll");
    EXPECT_EQ(lld.DevMon_Load(), 1);
    ASSERT_EQ(g_trace.size(), 1u);
    EXPECT_EQ(g_trace[0].rfind("DevMon_Load: ", 0), 0u) << g_trace[0];
    EXPECT_NE(g_trace[0].find("mvllld.dll"), std::string::npos);
    EXPECT_EQ(lld.DevMon_Load(), 1);
    EXPECT_EQ(g_trace.size(), 1u);
    EXPECT_EQ(lld.DevMon_Unload(), 0);
    EXPECT_FALSE(lld.IsLoaded());
    // One load, one reference: the library is gone after one unload.
    EXPECT_EQ(GetModuleHandleW(L"mvllld.dll"), nullptr);
}

TEST_F(WrapperTest, WithoutTheLibraryEveryOperationFails)
{
    CLLDMorvel lld(&MissingPrefix);
    EXPECT_EQ(lld.DevMon_Load(), 0);
    EXPECT_FALSE(lld.IsLoaded());
    unsigned char b[4] = {};
    int n = 0, m = 0;
    EXPECT_EQ(lld.DevMon_Open("\\\\.\\Usbscan"), -1);
    EXPECT_EQ(lld.DevMon_Close(), -1);
    EXPECT_EQ(lld.DevMon_ReadScanData(b, 4, &n), -1);
    EXPECT_EQ(lld.DevMon_SetScanParameter(300, 300, 2, 0, 0, 100, 100, 128, 0), -1);
    EXPECT_EQ(lld.DevMon_StartScan(), -1);
    EXPECT_EQ(lld.DevMon_GetCurScanLineNum(&n, &m), -1);
    EXPECT_EQ(lld.DevMon_CheckConnect(1, nullptr), -1);
    EXPECT_EQ(lld.DevMon_BroadcastMFP(&n, nullptr), -1);
    EXPECT_EQ(lld.DevMon_GetADFStatus(), -73);
    EXPECT_EQ(lld.DevMon_IsDocumentInFeeder(), 0);
    EXPECT_EQ(lld.DevMon_LocateMFP("10.0.0.1", "orchid", nullptr), 0);
    EXPECT_EQ(lld.DevMon_EndJob(), 0);
    EXPECT_EQ(lld.DevMon_Reserved(), 0);
}

TEST_F(WrapperTest, LibraryWithoutOpenSkipsTheSetters)
{
    CLLDMorvel lld(&NoOpenPrefix);
    ASSERT_EQ(lld.DevMon_Load(), 1);
    g_lldOpenFlags = {TRUE, TRUE, 1, TRUE, FALSE};
    EXPECT_EQ(lld.DevMon_Open("\\\\.\\Usbscan"), -1);
    EXPECT_FALSE(lld.IsOpen());
    EXPECT_EQ(LogCount("CALL ScanDrv_Set"), 0);
    EXPECT_EQ(TraceCount("DevMon_Open()"), 1);
}

TEST_F(WrapperTest, OpenHandsOverTheFourFlagsInOrder)
{
    CLLDMorvel lld(&SimPrefix);
    g_lldOpenFlags = {TRUE, FALSE, 1, TRUE, FALSE};
    OpenUsb(lld);
    auto lines = LogLines();
    std::vector<std::string> expected = {"CALL ScanDrv_SetResolution1200 1", "CALL ScanDrv_SetHorizontal 0",
                                         "CALL ScanDrv_SetAutofeed 1", "CALL ScanDrv_SetExtraParam 1",
                                         "CALL ScanDrv_Open \\\\.\\Usbscan"};
    EXPECT_EQ(lines, expected);
    EXPECT_EQ(TraceCount("DevMon_Open()"), 1);
    EXPECT_EQ(lld.DevMon_Close(), 0);
    EXPECT_FALSE(lld.IsOpen());
    EXPECT_EQ(TraceCount("DevMon_Close"), 1);
    EXPECT_EQ(lld.DevMon_Close(), -1);  // no device: the library is not asked again
    EXPECT_EQ(LogCount("CALL ScanDrv_Close"), 1);
    EXPECT_EQ(LogCount("VIOLATION"), 0);
}

TEST_F(WrapperTest, OlderPlatformOpensThroughOpenC)
{
    CLLDMorvel lld(&SimPrefix);
    g_lldOpenFlags.bOlderPlatform = TRUE;
    OpenUsb(lld);
    EXPECT_EQ(LogCount("CALL ScanDrv_Open_C"), 1);
    EXPECT_EQ(TraceCount("CLLDMorvel::DevMon_Open_C_()"), 1);
    EXPECT_EQ(lld.DevMon_Close(), 0);
}

TEST_F(WrapperTest, FailedOpenLeavesTheDeviceClosed)
{
    WriteIni("[Faults]\nOpenResult=3\n");
    CLLDMorvel lld(&SimPrefix);
    ASSERT_EQ(lld.DevMon_Load(), 1);
    EXPECT_EQ(lld.DevMon_Open("\\\\.\\Usbscan"), -21);
    EXPECT_FALSE(lld.IsOpen());
    // A success code without a handle opens nothing usable.
    WriteIni("[Faults]\nOpenResult=27\n");
    EXPECT_EQ(lld.DevMon_Open("\\\\.\\Usbscan"), -1);
    EXPECT_FALSE(lld.IsOpen());
    EXPECT_EQ(lld.DevMon_Open(nullptr), -1);
}

TEST_F(WrapperTest, RawCodesMapToStatus)
{
    for (auto [nRaw, nStatus] : {std::pair{5, 0}, {27, 0}, {28, -1}, {-3, -1}, {18, -78}, {2, 200}, {12, -210}}) {
        SCOPED_TRACE(nRaw);
        WriteIni("[Faults]\nSetParamResult=" + std::to_string(nRaw) + "\n");
        CLLDMorvel lld(&SimPrefix);
        OpenUsb(lld);
        EXPECT_EQ(lld.DevMon_SetScanParameter(100, 100, 2, 0, 0, 1200, 1200, 128, 0), nStatus);
        EXPECT_EQ(lld.DevMon_Close(), 0);
    }
}

TEST_F(WrapperTest, ScanThroughTheWrapper)
{
    CLLDMorvel lld(&SimPrefix);
    OpenUsb(lld);
    SEvents ev;
    EXPECT_EQ(lld.DevMon_SetCallBackFun(&SEvents::CallBack, &ev), 0);
    const int zero[4] = {};
    gbcancel = TRUE;
    EXPECT_EQ(lld.DevMon_SetScanParameterAdj(zero, zero, zero, 10, 128, 0, 0), 0);
    EXPECT_FALSE(gbcancel);
    EXPECT_EQ(lld.DevMon_SetScanParameter(100, 100, 2, 0, 0, 2400, 1200, 128, 0), 0);
    int nRowBytes = 0, nLines = 0;
    EXPECT_EQ(lld.DevMon_GetScanParameter(&nRowBytes, &nLines), 0);
    EXPECT_EQ(nRowBytes, 600);
    EXPECT_EQ(nLines, 100);
    gbcancel = TRUE;
    EXPECT_EQ(lld.DevMon_StartScan(), 0);
    EXPECT_FALSE(gbcancel);
    EXPECT_EQ(TraceCount("DevMon_StartScan"), 1);
    EXPECT_EQ(LogCount("CALL ScanDrv_SetContinueFlag 0"), 1);
    auto expected = RenderChart(1, 0, 100, 2, {0, 0, 2400, 1200});
    std::vector<unsigned char> row(600);
    for (int y = 0; y < 100; ++y) {
        int nRead = 0;
        ASSERT_EQ(lld.DevMon_ReadScanData(row.data(), 600, &nRead), 0) << y;
        ASSERT_EQ(nRead, 600);
        ASSERT_EQ(row, expected[y]) << y;
    }
    EXPECT_EQ(lld.ReadBufferSize(), 600);
    // After the last line: end of data, and the destination keeps what it had.
    std::fill(row.begin(), row.end(), 0xA5);
    int nRead = -9;
    EXPECT_EQ(lld.DevMon_ReadScanData(row.data(), 600, &nRead), ScanDrv_STATUS_EOF);
    EXPECT_TRUE(std::all_of(row.begin(), row.end(), [](unsigned char c) { return c == 0xA5; }));
    EXPECT_EQ(nRead, -9);
    // A new size replaces the buffer.
    const unsigned char* pOld = lld.ReadBuffer();
    EXPECT_EQ(lld.DevMon_ReadScanData(row.data(), 300, &nRead), ScanDrv_STATUS_EOF);
    EXPECT_EQ(lld.ReadBufferSize(), 300);
    EXPECT_TRUE(pOld != lld.ReadBuffer() || lld.ReadBufferSize() == 300);
    ASSERT_TRUE(ev.WaitFor(9));
    EXPECT_EQ(ev.codes, (std::vector<int>{2, 3, 9}));
    EXPECT_NE(ev.dwThread, GetCurrentThreadId());
    EXPECT_EQ(lld.DevMon_EndJob(), 0);
    EXPECT_EQ(lld.DevMon_Close(), 0);
    EXPECT_EQ(LogCount("VIOLATION"), 0);
}

TEST_F(WrapperTest, EndOfDataBeforeTheLastLineLeavesDestUntouched)
{
    WriteIni("[Faults]\nEofAtLine=0\n");
    CLLDMorvel lld(&SimPrefix);
    OpenUsb(lld);
    ASSERT_EQ(lld.DevMon_SetScanParameter(100, 100, 1, 0, 0, 2400, 1200, 128, 0), 0);
    ASSERT_EQ(lld.DevMon_StartScan(), 0);
    std::vector<unsigned char> row(200, 0x3C);
    int nRead = 77;
    EXPECT_EQ(lld.DevMon_ReadScanData(row.data(), 200, &nRead), 200);
    EXPECT_TRUE(std::all_of(row.begin(), row.end(), [](unsigned char c) { return c == 0x3C; }));
    EXPECT_EQ(nRead, 77);
    EXPECT_EQ(lld.DevMon_ReadScanData(nullptr, 200, &nRead), -1);
    EXPECT_EQ(lld.DevMon_ReadScanData(row.data(), 0, &nRead), -1);
    EXPECT_EQ(lld.DevMon_ReadScanData(row.data(), -5, &nRead), -1);
    EXPECT_EQ(lld.DevMon_Close(), 0);
}

TEST_F(WrapperTest, FeederQueriesBeforeAndAfterOpening)
{
    WriteIni("[Faults]\nADFStatus=23\n");
    CLLDMorvel lld(&SimPrefix);
    ASSERT_EQ(lld.DevMon_Load(), 1);
    EXPECT_EQ(lld.DevMon_GetADFStatus(), -73);
    EXPECT_EQ(TraceCount("DevMon_GetADFStatus ret:-73"), 1);
    EXPECT_EQ(lld.DevMon_IsDocumentInFeeder(), 0);
    EXPECT_EQ(LogCount("CALL ScanDrv_GetADFStatus"), 0);
    ASSERT_EQ(lld.DevMon_Open("\\\\.\\Usbscan"), 0);
    EXPECT_EQ(lld.DevMon_GetADFStatus(), -83);
    EXPECT_EQ(TraceCount("DevMon_GetADFStatus ret:-83"), 1);
    EXPECT_EQ(lld.DevMon_IsDocumentInFeeder(), 0);
    EXPECT_EQ(lld.DevMon_Close(), 0);
    WriteIni("");
    ASSERT_EQ(lld.DevMon_Open("\\\\.\\Usbscan"), 0);
    EXPECT_EQ(lld.DevMon_GetADFStatus(), 0);
    EXPECT_EQ(lld.DevMon_IsDocumentInFeeder(), 1);
    EXPECT_EQ(lld.DevMon_Close(), 0);
}

TEST_F(WrapperTest, StopAbortCancelAndDeviceError)
{
    WriteIni("[Device]\nScanSpeed=100\n[Faults]\nLastError=21\n");
    CLLDMorvel lld(&SimPrefix);
    OpenUsb(lld);
    SEvents ev;
    lld.DevMon_SetCallBackFun(&SEvents::CallBack, &ev);
    ASSERT_EQ(lld.DevMon_SetScanParameter(100, 100, 2, 0, 0, 2400, 1200, 128, 1), 0);
    ASSERT_EQ(lld.DevMon_StartScan(), 0);
    int nLines = -1, nState = -1, nTotal = -1, nDone = -1;
    EXPECT_EQ(lld.DevMon_GetCurScanLineNum(&nLines, nullptr), -1);
    EXPECT_EQ(lld.DevMon_GetCurTransferSize(nullptr, &nDone), -1);
    Sleep(100);
    EXPECT_EQ(lld.DevMon_GetCurScanLineNum(&nLines, &nState), 0);
    EXPECT_EQ(nState, 15);
    EXPECT_EQ(lld.DevMon_GetCurTransferSize(&nTotal, &nDone), 0);
    EXPECT_EQ(nTotal, 60000);
    EXPECT_EQ(lld.DevMon_GetLLDError(), -81);
    EXPECT_EQ(lld.DevMon_StopScan(), 0);
    ASSERT_GE(g_trace.size(), 2u);
    EXPECT_EQ(TraceCount("DevMon_StopScan"), 1);
    EXPECT_EQ(TraceCount("DevMon_AbortScan()"), 1);
    EXPECT_EQ(lld.DevMon_Stop(), 0);
    EXPECT_EQ(TraceCount("DevMon_StopScan"), 1);
    EXPECT_EQ(TraceCount("DevMon_AbortScan()"), 2);
    EXPECT_EQ(lld.DevMon_CancelScan(), 0);
    ASSERT_TRUE(ev.WaitFor(9));
    EXPECT_EQ(ev.codes, (std::vector<int>{2, 11, 9}));
    EXPECT_EQ(lld.DevMon_Close(), 0);
}

TEST_F(WrapperTest, NetworkOperations)
{
    WriteIni("[Network]\nScanners=MFP-A;MFP-B\nReachable=10.0.0.9\n[Device]\nUsbPresent=0\n");
    CLLDMorvel lld(&SimPrefix);
    ASSERT_EQ(lld.DevMon_Load(), 1);
    EXPECT_EQ(lld.DevMon_CheckConnect(1, nullptr), 1);
    int nCount = 0;
    EXPECT_EQ(lld.DevMon_BroadcastMFP(&nCount, nullptr), 0);
    ASSERT_EQ(nCount, 2);
    std::vector<char> list(nCount * kDeviceNameBytes);
    EXPECT_EQ(lld.DevMon_BroadcastMFP(&nCount, list.data()), 0);
    EXPECT_STREQ(list.data() + kDeviceNameBytes, "MFP-B");
    EXPECT_EQ(lld.DevMon_BroadcastMFP(nullptr, nullptr), -1);
    SNetProbe probe{};
    std::strcpy(probe.szTarget, "10.0.0.9");
    std::strcpy(probe.szCommunity, "orchid");
    EXPECT_EQ(lld.DevMon_DetectNetMFP(&probe), 0);
    std::strcpy(probe.szTarget, "10.0.0.10");
    EXPECT_EQ(lld.DevMon_DetectNetMFP(&probe), -1);
    EXPECT_EQ(lld.DevMon_DetectNetMFP(nullptr), -1);
    EXPECT_EQ(lld.DevMon_LocateMFP("10.0.0.9", "orchid", nullptr), 0);
    EXPECT_EQ(LogCount("CALL ScanDrv_LocateMFP"), 0);
    EXPECT_EQ(lld.DevMon_Open("MFP-A"), 0);
    EXPECT_EQ(lld.DevMon_Close(), 0);
    EXPECT_EQ(lld.DevMon_Open("\\\\.\\Usbscan"), -21);
}

TEST_F(WrapperTest, UnloadClosesAnOpenDevice)
{
    {
        CLLDMorvel lld(&SimPrefix);
        OpenUsb(lld);
        ASSERT_EQ(lld.DevMon_SetScanParameter(100, 100, 1, 0, 0, 2400, 1200, 128, 1), 0);
        ASSERT_EQ(lld.DevMon_StartScan(), 0);
    }  // the destructor unloads, which closes first
    EXPECT_EQ(LogCount("CALL ScanDrv_Close"), 1);
    EXPECT_EQ(LogCount("VIOLATION"), 0);
    EXPECT_EQ(GetModuleHandleW(L"mvllld.dll"), nullptr);
}

// Faults injected into the library: the operation gives -1, the wrapper keeps its state
// and this process goes on.
class WrapperFaultTest : public WrapperTest, public testing::WithParamInterface<const char*> {};

TEST_P(WrapperFaultTest, FaultInsideTheLibraryIsContained)
{
    const std::string sKind = GetParam();
    auto faultIn = [&](const char* pszFunction) { WriteIni(std::string("[Faults]\nFault=") + pszFunction + ":" + sKind + "\n"); };
    CLLDMorvel lld(&SimPrefix);
    ASSERT_EQ(lld.DevMon_Load(), 1);
    unsigned long nCaught = GuardCatchCount();

    faultIn("ScanDrv_Open");
    EXPECT_EQ(lld.DevMon_Open("\\\\.\\Usbscan"), -1);
    EXPECT_FALSE(lld.IsOpen());

    faultIn("ScanDrv_StartScan");
    ASSERT_EQ(lld.DevMon_Open("\\\\.\\Usbscan"), 0);
    ASSERT_EQ(lld.DevMon_SetScanParameter(100, 100, 1, 0, 0, 2400, 1200, 128, 0), 0);
    EXPECT_EQ(lld.DevMon_StartScan(), -1);
    EXPECT_TRUE(lld.IsOpen());
    EXPECT_EQ(lld.DevMon_Close(), 0);

    faultIn("ScanDrv_ReadScanData");
    ASSERT_EQ(lld.DevMon_Open("\\\\.\\Usbscan"), 0);
    ASSERT_EQ(lld.DevMon_SetScanParameter(100, 100, 1, 0, 0, 2400, 1200, 128, 0), 0);
    ASSERT_EQ(lld.DevMon_StartScan(), 0);
    std::vector<unsigned char> row(200, 0x11);
    int nRead = 5;
    EXPECT_EQ(lld.DevMon_ReadScanData(row.data(), 200, &nRead), -1);
    EXPECT_EQ(nRead, 5);
    EXPECT_EQ(row[0], 0x11);
    EXPECT_TRUE(lld.IsOpen());
    EXPECT_EQ(lld.DevMon_Close(), 0);

    faultIn("ScanDrv_Close");
    ASSERT_EQ(lld.DevMon_Open("\\\\.\\Usbscan"), 0);
    EXPECT_EQ(lld.DevMon_Close(), -1);
    EXPECT_TRUE(lld.IsOpen());  // the handle is kept for a later close
    WriteIni("");
    EXPECT_EQ(lld.DevMon_CheckConnect(1, nullptr), 0);  // the library reads its settings again
    EXPECT_EQ(lld.DevMon_Close(), 0);
    EXPECT_FALSE(lld.IsOpen());

    EXPECT_EQ(GuardCatchCount(), nCaught + 4);
    EXPECT_EQ(LogCount("FAULT " + sKind), 4);
    EXPECT_EQ(LogCount("VIOLATION"), 0);
}

INSTANTIATE_TEST_SUITE_P(Kinds, WrapperFaultTest, testing::Values("null", "div0", "throw"));

TEST(LLDState, ContinueScanHosts)
{
    EXPECT_TRUE(IsContinueScanHostName(L"C:\\Program Files\\Office\\MSPVIEW.EXE"));
    EXPECT_TRUE(IsContinueScanHostName(L"mspscan.exe"));
    EXPECT_FALSE(IsContinueScanHostName(L"C:\\MSPVIEW.EXE\\other.exe"));
    EXPECT_FALSE(IsContinueScanHostName(L"MSPVIEW.EXE.bak"));
    EXPECT_FALSE(IsContinueScanHostName(nullptr));
    EXPECT_FALSE(IsContinueScanHost());  // this test program
}

}  // namespace
