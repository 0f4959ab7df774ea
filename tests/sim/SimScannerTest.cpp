#include "sim/ChartRenderer.h"
#include "sim/SimScanner.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <condition_variable>
#include <filesystem>
#include <fstream>
#include <map>
#include <mutex>
#include <sstream>
#include <thread>

namespace fs = std::filesystem;

namespace {

std::map<std::string, std::string> g_env;
std::string Env(const char* pszName)
{
    auto it = g_env.find(pszName);
    return it == g_env.end() ? std::string() : it->second;
}

struct SEvents {
    std::mutex mutex;
    std::condition_variable cv;
    std::vector<int> codes;

    static int CallBack(void* pContext, int nEvent, int)
    {
        auto* p = static_cast<SEvents*>(pContext);
        std::lock_guard lock(p->mutex);
        p->codes.push_back(nEvent);
        p->cv.notify_all();
        return 0;
    }
    bool WaitFor(int nEvent, int nCount = 1, int nMs = 5000)
    {
        std::unique_lock lock(mutex);
        return cv.wait_for(lock, std::chrono::milliseconds(nMs),
                           [&] { return std::count(codes.begin(), codes.end(), nEvent) >= nCount; });
    }
    std::vector<int> Codes()
    {
        std::lock_guard lock(mutex);
        return codes;
    }
};

class SimScannerTest : public testing::Test {
protected:
    void SetUp() override
    {
        m_dir = fs::temp_directory_path() / ("mvlsim_core_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
                                             "_" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(m_dir);
        fs::create_directories(m_dir);
        g_env["MVLSIM_INI"] = (m_dir / "mvlsim.ini").string();
        g_env["MVLSIM_LOG"] = (m_dir / "sim.log").string();
        WriteIni("");
    }
    void TearDown() override
    {
        m_pScanner.reset();
        fs::remove_all(m_dir);
    }
    void WriteIni(const std::string& sText) { std::ofstream(m_dir / "mvlsim.ini") << sText; }
    CSimScanner& Scanner()
    {
        if (!m_pScanner)
            m_pScanner = std::make_unique<CSimScanner>(&Env, "unused.ini");
        return *m_pScanner;
    }
    std::string LogText()
    {
        std::ifstream in(m_dir / "sim.log");
        std::stringstream ss;
        ss << in.rdbuf();
        return ss.str();
    }
    ScanDrvHandle OpenUsb()
    {
        Scanner().Reload();
        ScanDrvHandle h = nullptr;
        EXPECT_EQ(Scanner().Open("\\\\.\\Usbscan", &h), 0);
        EXPECT_NE(h, nullptr);
        return h;
    }
    std::shared_ptr<CSimDevice> Device(ScanDrvHandle h) { return Scanner().Find(h, "test"); }
    // Reads one page row by row; returns the rows (fewer when the device stops early).
    std::vector<std::vector<uint8_t>> ReadPage(CSimDevice& d, int nRowBytes, int nRows, int* pnLast = nullptr)
    {
        std::vector<std::vector<uint8_t>> rows;
        for (int y = 0; y < nRows; ++y) {
            std::vector<uint8_t> row(nRowBytes);
            int nRead = 0;
            int r = d.Read(row.data(), nRowBytes, &nRead);
            if (pnLast)
                *pnLast = r;
            if (r != 0)
                break;
            EXPECT_EQ(nRead, nRowBytes);
            rows.push_back(std::move(row));
        }
        return rows;
    }

    fs::path m_dir;
    std::unique_ptr<CSimScanner> m_pScanner;
};

// 2 x 1 inch at 100 dpi from the platen corner.
const SChartArea kArea{0, 0, 2400, 1200};

TEST_F(SimScannerTest, FlatbedPageIsTheChartAndEventsFrameTheJob)
{
    ScanDrvHandle h = OpenUsb();
    auto d = Device(h);
    SEvents ev;
    d->SetCallBack(&SEvents::CallBack, &ev);
    ASSERT_EQ(d->SetScanParameter(100, 100, 2, 0, 0, 2400, 1200, 128, 0), 0);
    int nRowBytes = 0, nLines = 0;
    ASSERT_EQ(d->GetScanParameter(&nRowBytes, &nLines), 0);
    EXPECT_EQ(nRowBytes, 600);
    EXPECT_EQ(nLines, 100);
    ASSERT_EQ(d->StartScan(), 0);
    auto rows = ReadPage(*d, nRowBytes, nLines);
    EXPECT_EQ(rows, RenderChart(1, 0, 100, 2, kArea));
    uint8_t b[8];
    int nRead = -1;
    EXPECT_EQ(d->Read(b, 8, &nRead), 2);  // end of data
    EXPECT_EQ(nRead, 0);
    ASSERT_TRUE(ev.WaitFor(9));
    EXPECT_EQ(ev.Codes(), (std::vector<int>{2, 3, 9}));
    EXPECT_EQ(Scanner().Close(h), 0);
    EXPECT_EQ(LogText().find("VIOLATION"), std::string::npos) << LogText();
}

TEST_F(SimScannerTest, ReadsOfAnySizeFollowTheByteStream)
{
    ScanDrvHandle h = OpenUsb();
    auto d = Device(h);
    ASSERT_EQ(d->SetScanParameter(100, 100, 0, 0, 0, 2400, 1200, 128, 0), 0);  // 25 bytes a row
    ASSERT_EQ(d->StartScan(), 0);
    std::vector<uint8_t> all;
    uint8_t buf[7];
    int nRead = 0;
    while (d->Read(buf, sizeof buf, &nRead) == 0)
        all.insert(all.end(), buf, buf + nRead);
    std::vector<uint8_t> expected;
    for (const auto& row : RenderChart(1, 0, 100, 0, kArea))
        expected.insert(expected.end(), row.begin(), row.end());
    EXPECT_EQ(all, expected);  // the last read is short
    EXPECT_EQ(Scanner().Close(h), 0);
}

TEST_F(SimScannerTest, DuplexFeederJobOfThreeSheets)
{
    ScanDrvHandle h = OpenUsb();
    auto d = Device(h);
    SEvents ev;
    d->SetCallBack(&SEvents::CallBack, &ev);
    ASSERT_EQ(d->SetScanParameter(100, 100, 1, 0, 0, 2400, 1200, 128, 3), 0);
    ASSERT_EQ(d->StartScan(), 0);
    for (int nImage = 0; nImage < 6; ++nImage) {
        ASSERT_TRUE(ev.WaitFor(3, nImage + 1)) << nImage;
        // One page of buffer: the device does not finish the next page before this one is read.
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        auto codes = ev.Codes();
        EXPECT_EQ(std::count(codes.begin(), codes.end(), 3), nImage + 1);
        auto rows = ReadPage(*d, 200, 100);
        EXPECT_EQ(rows, RenderChart(nImage / 2 + 1, nImage % 2, 100, 1, kArea)) << nImage;
    }
    ASSERT_TRUE(ev.WaitFor(9));
    EXPECT_EQ(ev.Codes(), (std::vector<int>{2, 3, 3, 3, 3, 3, 3, 9}));
    EXPECT_EQ(Scanner().Close(h), 0);
    EXPECT_EQ(LogText().find("VIOLATION"), std::string::npos) << LogText();
}

TEST_F(SimScannerTest, ManualDuplexWaitsBetweenFrontsAndTurnedBacks)
{
    WriteIni("[Device]\nFeederSheets=2\nManualDuplexWaitMs=50\n");
    ScanDrvHandle h = OpenUsb();
    auto d = Device(h);
    SEvents ev;
    d->SetCallBack(&SEvents::CallBack, &ev);
    ASSERT_EQ(d->SetScanParameter(100, 100, 1, 0, 0, 2400, 1200, 128, 2), 0);
    ASSERT_EQ(d->StartScan(), 0);
    std::vector<std::vector<std::vector<uint8_t>>> pages;
    for (int i = 0; i < 4; ++i)
        pages.push_back(ReadPage(*d, 200, 100));
    ASSERT_TRUE(ev.WaitFor(9));
    EXPECT_EQ(ev.Codes(), (std::vector<int>{2, 3, 3, 7, 8, 3, 3, 9}));
    EXPECT_EQ(pages[1], RenderChart(2, 0, 100, 1, kArea));
    SChartRequest back;
    back.nPage = 2;  // the turned stack gives the last sheet's back first, upside down
    back.nSide = 1;
    back.nDpi = 100;
    back.nMode = 1;
    back.area = kArea;
    back.placement.bUpsideDown = true;
    EXPECT_EQ(pages[2], CChartRenderer(back).RenderAll());
    EXPECT_EQ(Scanner().Close(h), 0);
}

TEST_F(SimScannerTest, ProgressMovesWithTheScanSpeed)
{
    WriteIni("[Device]\nScanSpeed=400\n");  // 100 lines in 250 ms
    ScanDrvHandle h = OpenUsb();
    auto d = Device(h);
    ASSERT_EQ(d->SetScanParameter(100, 100, 2, 0, 0, 2400, 1200, 128, 0), 0);
    int nLines = -1, nState = -1, nTotal = -1, nDone = -1;
    EXPECT_EQ(d->GetCurScanLineNum(&nLines, &nState), 0);
    EXPECT_EQ(nState, 0);
    ASSERT_EQ(d->StartScan(), 0);
    std::this_thread::sleep_for(std::chrono::milliseconds(60));
    EXPECT_EQ(d->GetCurScanLineNum(&nLines, &nState), 0);
    EXPECT_EQ(nState, 15);
    EXPECT_GT(nLines, 0);
    EXPECT_LT(nLines, 100);
    auto t0 = std::chrono::steady_clock::now();
    auto rows = ReadPage(*d, 600, 50);
    EXPECT_EQ(d->GetCurTransferSize(&nTotal, &nDone), 0);
    EXPECT_EQ(nTotal, 60000);
    EXPECT_EQ(nDone, 30000);
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    EXPECT_EQ(d->GetCurScanLineNum(&nLines, &nState), 0);
    EXPECT_EQ(nLines, 100);
    EXPECT_EQ(nState, 254);  // scanned, not yet all read
    EXPECT_GE(std::chrono::steady_clock::now() - t0, std::chrono::milliseconds(50));
    EXPECT_EQ(d->GetCurScanLineNum(nullptr, &nState), 1);
    EXPECT_EQ(d->GetCurTransferSize(&nTotal, nullptr), 1);
    EXPECT_EQ(Scanner().Close(h), 0);
}

TEST_F(SimScannerTest, AbortEndsTheJobWithAbortAndJobEnd)
{
    WriteIni("[Device]\nScanSpeed=100\n");
    ScanDrvHandle h = OpenUsb();
    auto d = Device(h);
    SEvents ev;
    d->SetCallBack(&SEvents::CallBack, &ev);
    ASSERT_EQ(d->SetScanParameter(100, 100, 2, 0, 0, 2400, 1200, 128, 1), 0);
    ASSERT_EQ(d->StartScan(), 0);
    ReadPage(*d, 600, 3);
    EXPECT_EQ(d->Abort(), 0);
    ASSERT_TRUE(ev.WaitFor(9));
    EXPECT_EQ(ev.Codes(), (std::vector<int>{2, 11, 9}));
    uint8_t b[4];
    int nRead = 0;
    EXPECT_EQ(d->Read(b, 4, &nRead), 2);
    EXPECT_EQ(Scanner().Close(h), 0);
}

TEST_F(SimScannerTest, ResultSwitches)
{
    WriteIni("[Faults]\nOpenResult=3\n");
    Scanner().Reload();
    ScanDrvHandle h = nullptr;
    EXPECT_EQ(Scanner().Open("\\\\.\\Usbscan", &h), 3);
    EXPECT_EQ(h, nullptr);

    WriteIni("[Faults]\nADFStatus=23\nSetParamResult=18\nStartResult=4\nLastError=21\n");
    h = OpenUsb();
    auto d = Device(h);
    EXPECT_EQ(d->GetADFStatus(), 23);
    EXPECT_EQ(d->IsDocumentInFeeder(), 0);
    EXPECT_EQ(d->SetScanParameter(100, 100, 2, 0, 0, 2400, 1200, 128, 0), 18);
    EXPECT_EQ(d->StartScan(), 4);
    EXPECT_EQ(d->GetLastError(), 21);
    EXPECT_EQ(Scanner().Close(h), 0);

    WriteIni("[Device]\nPaperInFeeder=0\n");
    h = OpenUsb();
    d = Device(h);
    EXPECT_EQ(d->GetADFStatus(), 7);
    ASSERT_EQ(d->SetScanParameter(100, 100, 2, 0, 0, 2400, 1200, 128, 1), 0);
    EXPECT_EQ(d->StartScan(), 7);  // nothing to feed
    EXPECT_EQ(d->SetScanParameter(100, 100, 2, 0, 0, 2400, 1200, 128, 0), 0);
    EXPECT_EQ(d->StartScan(), 0);  // the flatbed still works
    EXPECT_EQ(Scanner().Close(h), 0);

    WriteIni("[Device]\nUsbPresent=0\n");
    Scanner().Reload();
    h = nullptr;
    EXPECT_EQ(Scanner().Open("\\\\.\\Usbscan", &h), 3);
    EXPECT_EQ(Scanner().CheckConnect(1, nullptr), 1);
}

TEST_F(SimScannerTest, BadParametersAreRefused)
{
    ScanDrvHandle h = OpenUsb();
    auto d = Device(h);
    EXPECT_EQ(d->SetScanParameter(100, 200, 2, 0, 0, 2400, 1200, 128, 0), 1);
    EXPECT_EQ(d->SetScanParameter(0, 0, 2, 0, 0, 2400, 1200, 128, 0), 1);
    EXPECT_EQ(d->SetScanParameter(100, 100, 4, 0, 0, 2400, 1200, 128, 0), 1);
    EXPECT_EQ(d->SetScanParameter(100, 100, 2, 100, 0, 100, 1200, 128, 0), 1);
    EXPECT_EQ(d->SetScanParameter(100, 100, 2, 0, 0, 99999, 1200, 128, 0), 1);
    EXPECT_EQ(d->SetScanParameter(100, 100, 2, 0, 0, 2400, 1200, 128, 4), 1);
    int a = 0, b = 0;
    EXPECT_EQ(d->GetScanParameter(&a, &b), 1);  // nothing accepted yet
    EXPECT_EQ(Scanner().Close(h), 0);
}

TEST_F(SimScannerTest, ReadErrorAndEarlyEndOfData)
{
    WriteIni("[Faults]\nReadErrorLine=10\nReadErrorCode=21\n");
    ScanDrvHandle h = OpenUsb();
    auto d = Device(h);
    ASSERT_EQ(d->SetScanParameter(100, 100, 1, 0, 0, 2400, 1200, 128, 0), 0);
    ASSERT_EQ(d->StartScan(), 0);
    int nLast = 0;
    EXPECT_EQ(ReadPage(*d, 200, 100, &nLast).size(), 10u);
    EXPECT_EQ(nLast, 21);
    EXPECT_EQ(d->GetLastError(), 21);
    EXPECT_EQ(Scanner().Close(h), 0);

    WriteIni("[Faults]\nEofAtLine=30\n[Device]\nFeederSheets=2\n");
    h = OpenUsb();
    d = Device(h);
    ASSERT_EQ(d->SetScanParameter(100, 100, 1, 0, 0, 2400, 1200, 128, 1), 0);
    ASSERT_EQ(d->StartScan(), 0);
    EXPECT_EQ(ReadPage(*d, 200, 100, &nLast).size(), 30u);
    EXPECT_EQ(nLast, 2);
    // The rest of that page is gone; the next page comes from its first line.
    auto second = ReadPage(*d, 200, 30);
    ASSERT_EQ(second.size(), 30u);
    EXPECT_EQ(second[0], RenderChart(2, 0, 100, 1, kArea)[0]);
    EXPECT_EQ(Scanner().Close(h), 0);
}

TEST_F(SimScannerTest, StalledJobDeliversNoFurtherPage)
{
    WriteIni("[Faults]\nStallAfterPage=1\n");
    ScanDrvHandle h = OpenUsb();
    auto d = Device(h);
    SEvents ev;
    d->SetCallBack(&SEvents::CallBack, &ev);
    ASSERT_EQ(d->SetScanParameter(100, 100, 1, 0, 0, 2400, 1200, 128, 1), 0);
    ASSERT_EQ(d->StartScan(), 0);
    ReadPage(*d, 200, 100);
    EXPECT_FALSE(ev.WaitFor(3, 2, 200));
    EXPECT_EQ(ev.Codes(), (std::vector<int>{2, 3}));
    EXPECT_EQ(Scanner().Close(h), 0);  // ends the stalled job
    EXPECT_EQ(ev.Codes(), (std::vector<int>{2, 3}));
}

TEST_F(SimScannerTest, OrderViolationsAreLogged)
{
    ScanDrvHandle h = OpenUsb();
    auto d = Device(h);
    uint8_t b[4];
    int n = 0;
    EXPECT_EQ(d->Read(b, 4, &n), 1);
    EXPECT_EQ(d->StartScan(), 1);
    ScanDrvHandle h2 = nullptr;
    EXPECT_EQ(Scanner().Open("\\\\.\\Usbscan", &h2), 3);
    ASSERT_EQ(d->SetScanParameter(100, 100, 1, 0, 0, 2400, 1200, 128, 1), 0);
    ASSERT_EQ(d->StartScan(), 0);
    EXPECT_EQ(d->StartScan(), 1);
    EXPECT_EQ(Scanner().Close(h), 0);
    EXPECT_EQ(Scanner().Close(h), 1);
    EXPECT_EQ(Scanner().Find(reinterpret_cast<ScanDrvHandle>(0x77), "ScanDrv_GetLastError"), nullptr);
    h = OpenUsb();  // left open: reported when the library goes away
    m_pScanner.reset();
    std::string sLog = LogText();
    for (const char* psz : {"VIOLATION ScanDrv_ReadScanData before ScanDrv_StartScan",
                            "VIOLATION ScanDrv_StartScan before ScanDrv_SetScanParameter",
                            "VIOLATION ScanDrv_Open while a device is open", "VIOLATION ScanDrv_StartScan while a job runs",
                            "VIOLATION ScanDrv_Close with a handle that is not open",
                            "VIOLATION ScanDrv_GetLastError with a handle that is not open", "not closed before unload"})
        EXPECT_NE(sLog.find(psz), std::string::npos) << psz << "\n" << sLog;
}

TEST_F(SimScannerTest, NetworkSearchAndProbe)
{
    WriteIni("[Network]\nScanners=MFP-A;MFP-B;MFP-C\nReachable=10.1.2.3\nDetectResult=9\n");
    Scanner().Reload();
    int nCount = -1;
    EXPECT_EQ(Scanner().BroadcastMFP(&nCount, nullptr), 0);
    EXPECT_EQ(nCount, 3);
    std::vector<char> list(2 * kDeviceNameBytes, 'x');
    nCount = 2;  // room for two only
    EXPECT_EQ(Scanner().BroadcastMFP(&nCount, list.data()), 0);
    EXPECT_EQ(nCount, 2);
    EXPECT_STREQ(list.data(), "MFP-A");
    EXPECT_STREQ(list.data() + kDeviceNameBytes, "MFP-B");
    EXPECT_EQ(Scanner().BroadcastMFP(nullptr, nullptr), 1);
    SNetProbe probe{};
    std::strcpy(probe.szTarget, "10.1.2.3");
    std::strcpy(probe.szCommunity, "orchid");
    EXPECT_EQ(Scanner().DetectNetMFP(&probe), 0);
    std::strcpy(probe.szTarget, "10.1.2.4");
    EXPECT_EQ(Scanner().DetectNetMFP(&probe), 9);
    std::memset(probe.szTarget, 'M', sizeof probe.szTarget);  // unterminated
    EXPECT_EQ(Scanner().DetectNetMFP(&probe), 9);
    EXPECT_EQ(Scanner().DetectNetMFP(nullptr), 1);
    ScanDrvHandle h = nullptr;
    EXPECT_EQ(Scanner().Open("MFP-B", &h), 0);
    EXPECT_EQ(Scanner().Close(h), 0);
    EXPECT_EQ(Scanner().Open("MFP-Z", &h), 3);
    EXPECT_EQ(Scanner().LocateMFP("10.1.2.3", "orchid"), 0);
    EXPECT_EQ(Scanner().LocateMFP(nullptr, nullptr), 1);
}

TEST_F(SimScannerTest, NetworkAnswersTakeTheirTimeOrFail)
{
    WriteIni("[Network]\nScanners=MFP-A\nSearchDelayMs=150\nDetectDelayMs=100\n");
    Scanner().Reload();
    int nCount = -1;
    auto t0 = std::chrono::steady_clock::now();
    EXPECT_EQ(Scanner().BroadcastMFP(&nCount, nullptr), 0);
    EXPECT_EQ(nCount, 1);
    SNetProbe probe{};
    std::strcpy(probe.szTarget, "MFP-A");
    EXPECT_EQ(Scanner().DetectNetMFP(&probe), 0);
    EXPECT_GE(std::chrono::steady_clock::now() - t0, std::chrono::milliseconds(250));
    WriteIni("[Network]\nScanners=MFP-A\nSearchResult=12\n");
    Scanner().Reload();
    nCount = -1;
    EXPECT_EQ(Scanner().BroadcastMFP(&nCount, nullptr), 12);
    EXPECT_EQ(nCount, 0);
}

}  // namespace
