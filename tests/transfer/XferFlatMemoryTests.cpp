// The page path's memory does not grow with the page: a 1200 dpi A3 colour page (835 MB)
// taken by memory transfer raises the process's committed private memory by at most 64 MB
// over the idle source, and by native transfer by at most the bitmap handed over and 64 MB.
#include <windows.h>
#include <psapi.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <atomic>
#include <thread>

#include "AcquisitionFixture.h"

using namespace xfertest;

namespace {

constexpr uint64_t kAllowance = 64ull << 20;

// The process's committed private memory: the commit charge, which Windows reports as
// PagefileUsage (and again as PrivateUsage); Wine reports the touched anonymous memory there.
uint64_t PrivateBytes()
{
    PROCESS_MEMORY_COUNTERS pmc{};
    pmc.cb = sizeof pmc;
    GetProcessMemoryInfo(GetCurrentProcess(), &pmc, sizeof pmc);
    return pmc.PagefileUsage;
}

// The highest private memory while it lives, sampled every few milliseconds.
class CPeakPrivate {
public:
    CPeakPrivate() : m_nPeak(PrivateBytes()), m_thread([this] {
        while (!m_bStop) {
            m_nPeak = std::max<uint64_t>(m_nPeak, PrivateBytes());
            Sleep(2);
        }
    })
    {
    }
    ~CPeakPrivate() { Stop(); }
    uint64_t Stop()
    {
        m_bStop = true;
        if (m_thread.joinable())
            m_thread.join();
        return m_nPeak = std::max<uint64_t>(m_nPeak, PrivateBytes());
    }

private:
    std::atomic<bool> m_bStop{false};
    std::atomic<uint64_t> m_nPeak;
    std::thread m_thread;
};

TW_FIX32 Fix(double d)
{
    const auto n = static_cast<TW_INT32>(d * 65536.0 + 0.5);
    return TW_FIX32{static_cast<TW_INT16>(n >> 16), static_cast<TW_UINT16>(n & 0xFFFF)};
}

// The simulator's row of the page the source asked for, in the bitmap's colour order when bBgr.
std::vector<uint8_t> SimRow(const SDeviceParams& p, int nRow, bool bBgr)
{
    SChartRequest req;
    req.nDpi = p.nDpi;
    req.nMode = p.nMode;
    req.nThreshold = p.nThreshold;
    req.area = p.area;
    req.placement.nPageWidth = 14031;  // the A3 sheet of the simulator's settings, in 1/1200 inch
    req.placement.nPageHeight = 19843;
    CChartRenderer r(req);
    std::vector<uint8_t> row(r.RowBytes());
    r.RenderRow(nRow, row.data());
    for (size_t x = 0; bBgr && x + 2 < row.size(); x += 3)
        std::swap(row[x], row[x + 2]);
    return row;
}

}  // namespace

TEST(XferFlatMemory, A3At1200DpiColourByMemoryAndNativeTransfer)
{
    CAcquisition acq("PageWidthMm=297\r\nPageHeightMm=420", "", "HasA3(%MODEL%)=TRUE\r\n");
    // The simulator keeps its drawn page while the test holds its library: drawn once, scanned twice.
    HMODULE hSim = LoadLibraryW((std::wstring(acq.Src().ModelDir()) + L"\\" + acq.Src().Prefix() + L"lld.dll").c_str());
    ASSERT_EQ(acq.Src().Open(), TWRC_SUCCESS);
    ASSERT_TRUE(acq.Configure(2, 1200, 11, 0));
    // The application's frame: the A3 sheet, 297 x 420 mm.
    TW_IMAGELAYOUT layout{};
    layout.Frame = {Fix(0), Fix(0), Fix(297 / 25.4), Fix(420 / 25.4)};
    ASSERT_EQ(acq.Src().Call(DG_IMAGE, DAT_IMAGELAYOUT, MSG_SET, &layout), TWRC_SUCCESS);
    std::vector<uint8_t> strip(0xFFFF);

    ASSERT_EQ(acq.Enable(), TWRC_SUCCESS);
    const uint64_t nIdle = PrivateBytes();
    uint64_t nRows = 0, nPeak = 0;
    std::vector<uint8_t> firstRow, lastRow;
    {
        CPeakPrivate peak;
        TW_UINT16 rc;
        do {
            TW_IMAGEMEMXFER mx{};
            mx.Memory.Flags = TWMF_APPOWNS | TWMF_POINTER;
            mx.Memory.Length = static_cast<TW_UINT32>(strip.size());
            mx.Memory.TheMem = strip.data();
            rc = acq.Src().Call(DG_IMAGE, DAT_IMAGEMEMXFER, MSG_GET, &mx);
            if (mx.Rows > 0 && mx.YOffset == 0)
                firstRow.assign(strip.begin(), strip.begin() + mx.Columns * 3);
            if (rc == TWRC_XFERDONE)
                lastRow.assign(strip.begin() + (mx.Rows - 1) * mx.BytesPerRow,
                               strip.begin() + (mx.Rows - 1) * mx.BytesPerRow + mx.Columns * 3);
            nRows += mx.Rows;
        } while (rc == TWRC_SUCCESS);
        ASSERT_EQ(rc, TWRC_XFERDONE);
        nPeak = peak.Stop();
    }
    const SDeviceParams p = acq.LastDeviceParams();
    ASSERT_EQ(p.nDpi, 1200);
    const int nHeight = static_cast<int>(nRows);
    EXPECT_GE(nHeight, 19800);
    EXPECT_GE(firstRow.size(), 14000u * 3);
    EXPECT_EQ(firstRow, SimRow(p, 0, false));
    EXPECT_EQ(lastRow, SimRow(p, nHeight - 1, false));
    std::printf("memory transfer: peak %llu MB over the idle source\n", static_cast<unsigned long long>((nPeak - nIdle) >> 20));
    EXPECT_LE(nPeak, nIdle + kAllowance) << "memory transfer: " << ((nPeak - nIdle) >> 20) << " MB over the idle source";
    TW_PENDINGXFERS pending{};
    acq.Src().Control(DAT_PENDINGXFERS, MSG_ENDXFER, &pending);
    acq.Disable();

    ASSERT_EQ(acq.Enable(), TWRC_SUCCESS);
    const uint64_t nIdleNative = PrivateBytes();
    TW_HANDLE hDib = nullptr;
    {
        CPeakPrivate peak;
        ASSERT_EQ(acq.Src().Call(DG_IMAGE, DAT_IMAGENATIVEXFER, MSG_GET, &hDib), TWRC_XFERDONE);
        nPeak = peak.Stop();
    }
    ASSERT_NE(hDib, nullptr);
    const uint64_t nDib = GlobalSize(hDib);
    std::printf("native transfer: peak %llu MB over the idle source, the bitmap %llu MB\n",
                static_cast<unsigned long long>((nPeak - nIdleNative) >> 20), static_cast<unsigned long long>(nDib >> 20));
    EXPECT_LE(nPeak, nIdleNative + nDib + kAllowance)
        << "native transfer: " << ((nPeak - nIdleNative - std::min(nPeak - nIdleNative, nDib)) >> 20)
        << " MB over the idle source and the bitmap";
    // The bitmap's last row is the page's first, its first row the page's last.
    const auto* pDib = static_cast<const uint8_t*>(GlobalLock(hDib));
    const auto* pHeader = reinterpret_cast<const BITMAPINFOHEADER*>(pDib);
    const uint32_t nStride = (pHeader->biWidth * 3 + 3) / 4 * 4;
    const uint8_t* pPixels = pDib + pHeader->biSize;
    EXPECT_EQ(pHeader->biHeight, nHeight);
    const std::vector<uint8_t> bottom(pPixels, pPixels + pHeader->biWidth * 3);
    const uint8_t* pTop = pPixels + uint64_t(nStride) * (nHeight - 1);
    EXPECT_EQ(bottom, SimRow(p, nHeight - 1, true));
    EXPECT_EQ(std::vector<uint8_t>(pTop, pTop + pHeader->biWidth * 3), SimRow(p, 0, true));
    GlobalUnlock(hDib);
    GlobalFree(hDib);
    acq.Src().Control(DAT_PENDINGXFERS, MSG_ENDXFER, &pending);
    acq.Disable();
    if (hSim)
        FreeLibrary(hSim);
}
