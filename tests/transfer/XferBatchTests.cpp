// Feeder batches through the data source without its dialog: Cancel pressed while a page is
// read, a next page that never comes, and the scan controller's checks before and around a
// job (space, memory, opening the device, an empty feeder that falls back to the flatbed).
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>

#include <windows.h>
#include <psapi.h>

#include "AcquisitionFixture.h"

using namespace xfertest;

namespace {

uint32_t Get32(const uint8_t* p) { return p[0] | p[1] << 8 | p[2] << 16 | uint32_t(p[3]) << 24; }

// A grey page by native transfer, compared with what the simulator rendered for it.
// nRows: the rows the page keeps when the device ends it early (0: all of them).
::testing::AssertionResult GreyPageIs(CAcquisition& acq, int nSheet, int nSide, size_t nRows = 0)
{
    TW_HANDLE hDib = nullptr;
    TW_UINT16 rc = acq.Src().Call(DG_IMAGE, DAT_IMAGENATIVEXFER, MSG_GET, &hDib);
    if (rc != TWRC_XFERDONE || !hDib)
        return ::testing::AssertionFailure() << "native transfer returned " << rc;
    const auto* pDib = static_cast<const uint8_t*>(GlobalLock(hDib));
    auto rows = ExpectedPage(acq.LastDeviceParams(), nSheet, nSide);
    if (nRows && nRows < rows.size())
        rows.resize(nRows);
    const uint32_t nWidth = Get32(pDib + 4), nHeight = Get32(pDib + 8), nStride = (nWidth + 3) / 4 * 4;
    bool bSame = nHeight == rows.size() && !rows.empty() && rows[0].size() == nWidth;
    for (uint32_t y = 0; y < nHeight && bSame; ++y)
        bSame = std::equal(rows[y].begin(), rows[y].end(), pDib + 1064 + size_t(nHeight - 1 - y) * nStride);
    GlobalUnlock(hDib);
    GlobalFree(hDib);
    return bSame ? ::testing::AssertionSuccess() : ::testing::AssertionFailure() << "pixels differ";
}

bool StartFeeder(CAcquisition& acq)
{
    EXPECT_EQ(acq.Src().Open(), TWRC_SUCCESS);
    EXPECT_TRUE(acq.Configure(1, 75, 13, 1));
    EXPECT_EQ(acq.Enable(), TWRC_SUCCESS);
    return !::testing::Test::HasFailure();
}

// Takes every page of a simplex feeder batch of grey sheets by native transfer, each compared
// with the simulator's page (nRows as for GreyPageIs) and ended with the Count left after it.
void TakeGreyFeederPages(CAcquisition& acq, int nSheets, size_t nRows = 0)
{
    for (int nPage = 1; nPage <= nSheets; ++nPage) {
        SCOPED_TRACE(testing::Message() << "page " << nPage);
        EXPECT_TRUE(GreyPageIs(acq, nPage, 0, nRows));
        TW_PENDINGXFERS pending{};
        ASSERT_EQ(acq.Src().Control(DAT_PENDINGXFERS, MSG_ENDXFER, &pending), TWRC_SUCCESS);
        EXPECT_EQ(pending.Count, nPage < nSheets ? 1 : 0);
    }
}

long long MillisSince(std::chrono::steady_clock::time_point t0)
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - t0).count();
}

}  // namespace

TEST(XferFeeder, CancelWhileTheThirdPageIsReadEndsTheBatchAfterItWithNothingLost)
{
    const size_t nSpools = SpoolFileCount();
    {
        mvltest::CScopedEnv cancel(L"mvlTWAINseamCancelAtPage", L"3");
        CAcquisition acq("FeederSheets=5\r\n");
        ASSERT_TRUE(StartFeeder(acq));
        for (int nPage = 1; nPage <= 3; ++nPage) {
            SCOPED_TRACE(testing::Message() << "page " << nPage);
            EXPECT_TRUE(GreyPageIs(acq, nPage, 0));
            TW_PENDINGXFERS pending{};
            const auto t0 = std::chrono::steady_clock::now();
            ASSERT_EQ(acq.Src().Control(DAT_PENDINGXFERS, MSG_ENDXFER, &pending), TWRC_SUCCESS);
            EXPECT_EQ(pending.Count, nPage < 3 ? 1 : 0);
            if (nPage == 3) {
                // No wait for a page after a Cancel.
                EXPECT_LT(MillisSince(t0), 1000);
            }
        }
        acq.Pump();
        EXPECT_EQ(acq.Calls(MSG_CLOSEDSREQ), 1);
        // The device heard the Cancel: the stack was not scanned to its end.
        EXPECT_LT(acq.SimCount("EVENT 3 "), 5);
        EXPECT_EQ(acq.SimCount("CALL ScanDrv_Close"), 1);
        // State 5: no further page to describe.
        TW_IMAGEINFO info{};
        EXPECT_EQ(acq.Src().Call(DG_IMAGE, DAT_IMAGEINFO, MSG_GET, &info), TWRC_FAILURE);
        EXPECT_EQ(acq.Disable(), TWRC_SUCCESS);
    }
    EXPECT_EQ(SpoolFileCount(), nSpools);
}

TEST(XferFeeder, PagesEndingEarlyDoNotShortenOrHoldUpTheSheetsAfterThem)
{
    // Were the next sheet read only as far as the short page before it, its unread rows would
    // keep the device from the sheet after, and the batch would wait for the deadline.
    mvltest::CScopedEnv deadline(L"mvlTWAINseamNextPageMs", L"8000");
    CAcquisition acq("FeederSheets=3\r\n", "EofAtLine=20\r\n");
    ASSERT_TRUE(StartFeeder(acq));
    ASSERT_NO_FATAL_FAILURE(TakeGreyFeederPages(acq, 3, 20));
    EXPECT_FALSE(acq.Src().Trace().Contains("get next page TIMEOUT"));
    EXPECT_EQ(acq.Disable(), TWRC_SUCCESS);
}

TEST(XferFeeder, DeviceEventsCountPagesMarkTheJobEndAndSignalEveryPageButTheFirst)
{
    mvltest::CScopedEnv testTrace(L"mvlTWAINtest", L"1");
    CAcquisition acq("FeederSheets=3\r\n");
    ASSERT_TRUE(StartFeeder(acq));
    ASSERT_NO_FATAL_FAILURE(TakeGreyFeederPages(acq, 3));
    const auto& trace = acq.Src().Trace();
    // The first page is already being read when it ends: no signal for it.
    EXPECT_TRUE(trace.Contains("event 3, g_nDevicePages 1, m_devState 1"));
    EXPECT_FALSE(trace.Contains("event 3, g_nDevicePages 1, m_devState 2"));
    EXPECT_TRUE(trace.Contains("event 3, g_nDevicePages 2, m_devState 2"));
    EXPECT_TRUE(trace.Contains("event 3, g_nDevicePages 3, m_devState 2"));
    // Three page events, then the job end: 10003.
    EXPECT_TRUE(trace.Contains("event 9, g_nDevicePages 10003, m_devState 7"));
    EXPECT_EQ(acq.Disable(), TWRC_SUCCESS);
}

TEST(XferFeeder, NextPageThatNeverComesFailsAtTheDeadline)
{
    mvltest::CScopedEnv deadline(L"mvlTWAINseamNextPageMs", L"1500");
    CAcquisition acq("FeederSheets=3\r\n", "StallAfterPage=1\r\n");
    ASSERT_TRUE(StartFeeder(acq));
    EXPECT_TRUE(GreyPageIs(acq, 1, 0));
    TW_PENDINGXFERS pending{};
    pending.Count = 7;
    const auto t0 = std::chrono::steady_clock::now();
    EXPECT_EQ(acq.Src().Control(DAT_PENDINGXFERS, MSG_ENDXFER, &pending), TWRC_FAILURE);
    const long long nWaited = MillisSince(t0);
    EXPECT_GE(nWaited, 1400);
    EXPECT_LT(nWaited, 10000);
    EXPECT_EQ(pending.Count, 0);
    EXPECT_TRUE(acq.Src().Trace().Contains("get next page TIMEOUT"));
    acq.Pump();
    EXPECT_EQ(acq.Calls(MSG_CLOSEDSREQ), 1);
    EXPECT_EQ(acq.Disable(), TWRC_SUCCESS);
}

TEST(XferController, FlatbedJobReachesStateSixAndTellsTheApplication)
{
    CAcquisition acq;
    ASSERT_EQ(acq.Src().Open(), TWRC_SUCCESS);
    ASSERT_TRUE(acq.Configure(1, 75, 13, 0));
    ASSERT_EQ(acq.Enable(), TWRC_SUCCESS);
    EXPECT_EQ(acq.Calls(MSG_XFERREADY), 1);
    EXPECT_TRUE(acq.Src().Trace().Contains("Scan_() - p_DsAss->NotifyXferReady()"));
    // State 6: one page pending, and image info is answered.
    TW_PENDINGXFERS pending{};
    EXPECT_EQ(acq.Src().Control(DAT_PENDINGXFERS, MSG_GET, &pending), TWRC_SUCCESS);
    EXPECT_EQ(pending.Count, 1);
    TW_IMAGEINFO info{};
    EXPECT_EQ(acq.Src().Call(DG_IMAGE, DAT_IMAGEINFO, MSG_GET, &info), TWRC_SUCCESS);
    EXPECT_EQ(acq.Disable(), TWRC_SUCCESS);
}

TEST(XferController, EmptyFeederReportingMinus83ScansFromTheFlatbed)
{
    CAcquisition acq("", "ADFStatus=23\r\n");  // raw 23 is status -83
    ASSERT_TRUE(StartFeeder(acq));
    EXPECT_EQ(acq.Calls(MSG_XFERREADY), 1);
    EXPECT_TRUE(GreyPageIs(acq, 1, 0));
    SDeviceParams dev = acq.LastDeviceParams();
    ASSERT_TRUE(dev.bFound);
    EXPECT_EQ(dev.nSource, 0);
    TW_PENDINGXFERS pending{};
    EXPECT_EQ(acq.Src().Control(DAT_PENDINGXFERS, MSG_ENDXFER, &pending), TWRC_SUCCESS);
    EXPECT_EQ(pending.Count, 0);
    EXPECT_EQ(acq.Disable(), TWRC_SUCCESS);
}

TEST(XferController, DeviceThatCannotBeOpenedShowsItsMessageAndAsksToClose)
{
    // Raw 3 is status -21, the busy device; raw 1 is a general failure: the product's own text
    // (1154 on this platform K model).
    for (auto [pszRaw, pszMessage] : {std::pair{"3", "Scan message: string 1104"}, std::pair{"1", "Scan message: string 1154"}}) {
        SCOPED_TRACE(pszRaw);
        CAcquisition acq("", std::string("OpenResult=") + pszRaw + "\r\n");
        ASSERT_EQ(acq.Src().Open(), TWRC_SUCCESS);
        ASSERT_TRUE(acq.Configure(1, 75, 13, 0));
        EXPECT_EQ(acq.Enable(), TWRC_SUCCESS);
        acq.Pump();
        EXPECT_TRUE(acq.Src().Trace().Contains("DevMon_Open Fail"));
        EXPECT_TRUE(acq.Src().Trace().Contains(pszMessage));
        EXPECT_EQ(acq.Calls(MSG_CLOSEDSREQ), 1);
        EXPECT_EQ(acq.Calls(MSG_XFERREADY), 0);
        EXPECT_EQ(acq.SimCount("CALL ScanDrv_StartScan"), 0);
        EXPECT_EQ(acq.Disable(), TWRC_SUCCESS);
    }
}

TEST(XferController, TooLittleMemoryOrDiskRefusesBeforeAnyDeviceCall)
{
    const std::pair<const wchar_t*, const wchar_t*> cases[] = {
        {L"mvlTWAINseamAvailVirtual", L"299999999"},
        {L"mvlTWAINseamFreeBytes", L"314572800"},  // the 300 MiB reserve alone fills it
    };
    for (const auto& [pszSeam, pszValue] : cases) {
        SCOPED_TRACE(testing::Message() << pszSeam);
        mvltest::CScopedEnv seam(pszSeam, pszValue);
        CAcquisition acq;
        ASSERT_EQ(acq.Src().Open(), TWRC_SUCCESS);
        ASSERT_TRUE(acq.Configure(1, 75, 13, 0));
        EXPECT_EQ(acq.Enable(), TWRC_SUCCESS);
        acq.Pump();
        EXPECT_TRUE(acq.Src().Trace().Contains("ERROR_NOENOUGHSPACE"));
        EXPECT_TRUE(acq.Src().Trace().Contains("Scan message: string 1105"));
        EXPECT_EQ(acq.Calls(MSG_CLOSEDSREQ), 1);
        EXPECT_EQ(acq.Calls(MSG_XFERREADY), 0);
        EXPECT_EQ(acq.SimCount("CALL ScanDrv_Open"), 0);
        EXPECT_EQ(acq.Disable(), TWRC_SUCCESS);
    }
    // Exactly 300000000 bytes of address space is enough.
    mvltest::CScopedEnv seam(L"mvlTWAINseamAvailVirtual", L"300000000");
    CAcquisition acq;
    ASSERT_EQ(acq.Src().Open(), TWRC_SUCCESS);
    ASSERT_TRUE(acq.Configure(1, 75, 13, 0));
    EXPECT_EQ(acq.Enable(), TWRC_SUCCESS);
    EXPECT_EQ(acq.Calls(MSG_XFERREADY), 1);
    EXPECT_EQ(acq.Disable(), TWRC_SUCCESS);
}

namespace {

struct SProcessUse {
    uintptr_t nHandleMark = 0;  // a fresh handle's value: the table's lowest free slot
    size_t nPrivateBytes = 0;   // committed private pages
};

// Wine reports neither a handle count nor private usage, so both are measured directly: a
// leaked handle pushes the next free slot up, and a leaked page stays committed.
SProcessUse ProcessUse()
{
    SProcessUse use;
    if (HANDLE h = CreateEventW(nullptr, FALSE, FALSE, nullptr)) {
        use.nHandleMark = reinterpret_cast<uintptr_t>(h);
        CloseHandle(h);
    }
    MEMORY_BASIC_INFORMATION mbi{};
    for (const char* p = nullptr; VirtualQuery(p, &mbi, sizeof mbi) == sizeof mbi; p = static_cast<const char*>(mbi.BaseAddress) + mbi.RegionSize) {
        if (mbi.State == MEM_COMMIT && mbi.Type == MEM_PRIVATE)
            use.nPrivateBytes += mbi.RegionSize;
        if (static_cast<const char*>(mbi.BaseAddress) + mbi.RegionSize < p)
            break;
    }
    return use;
}

}  // namespace

TEST(XferFeeder, TwoHundredPagesKeepHandlesAndPrivateBytesFlat)
{
    constexpr int kPages = 200;
    CAcquisition acq("FeederSheets=200\r\n");
    ASSERT_EQ(acq.Src().Open(), TWRC_SUCCESS);
    ASSERT_TRUE(acq.Configure(1, 150, 13 /* A6 */, 1));
    ASSERT_EQ(acq.Enable(), TWRC_SUCCESS);
    SProcessUse atTwenty;
    for (int nPage = 1; nPage <= kPages; ++nPage) {
        TW_HANDLE hDib = nullptr;
        ASSERT_EQ(acq.Src().Call(DG_IMAGE, DAT_IMAGENATIVEXFER, MSG_GET, &hDib), TWRC_XFERDONE) << "page " << nPage;
        ASSERT_NE(hDib, nullptr);
        GlobalFree(hDib);
        TW_PENDINGXFERS pending{};
        ASSERT_EQ(acq.Src().Control(DAT_PENDINGXFERS, MSG_ENDXFER, &pending), TWRC_SUCCESS) << "page " << nPage;
        ASSERT_EQ(pending.Count, nPage < kPages ? 1 : 0) << "page " << nPage;
        if (nPage == 20)
            atTwenty = ProcessUse();
        if (nPage == kPages) {
            const SProcessUse atEnd = ProcessUse();
            std::printf("handle mark %zu -> %zu, private bytes %zu -> %zu\n", size_t(atTwenty.nHandleMark),
                        size_t(atEnd.nHandleMark), atTwenty.nPrivateBytes, atEnd.nPrivateBytes);
            ASSERT_NE(atTwenty.nHandleMark, 0u);
            ASSERT_GT(atTwenty.nPrivateBytes, 0u);
            // Handle values step by 4: a few slots of slack, far below one per page.
            EXPECT_LE(atEnd.nHandleMark, atTwenty.nHandleMark + 4 * 8);
            // A page is 0.5 MB here: 180 leaked pages, or one leaked buffer per page of even a
            // few KiB of rows, could not hide in 4 MiB.
            EXPECT_LE(atEnd.nPrivateBytes, atTwenty.nPrivateBytes + (4u << 20));
        }
    }
    EXPECT_EQ(acq.SimCount("EVENT 3 "), kPages);
    EXPECT_EQ(acq.Disable(), TWRC_SUCCESS);
}

TEST(XferFeeder, SourceUnloadedMidBatchDoesNotCallTheDeviceLibrary)
{
    // An application that frees the source with a job still open: the unload must not wait on
    // the device library under the loader lock, so it only takes its callback away; the
    // library stays loaded, since its scanning thread goes on (freeing it, or a callback into
    // the freed source, would crash this process while the device finishes the sheet).
    std::unique_ptr<CAcquisition> pAcq = std::make_unique<CAcquisition>("FeederSheets=3\r\n");
    ASSERT_TRUE(StartFeeder(*pAcq));
    EXPECT_TRUE(GreyPageIs(*pAcq, 1, 0));
    const int nCallsBefore = pAcq->SimCount("CALL ");
    const std::vector<std::string> before = pAcq->SimLog();
    pAcq->Src().Unload();
    Sleep(1500);
    const std::vector<std::string> after = pAcq->SimLog();
    for (size_t i = before.size(); i < after.size(); ++i)
        if (after[i].find("CALL ") != std::string::npos)
            EXPECT_NE(after[i].find("ScanDrv_SetCallBackFun"), std::string::npos) << after[i];
    EXPECT_GT(nCallsBefore, 0);
}
