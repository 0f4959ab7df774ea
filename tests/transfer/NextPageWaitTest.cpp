#include "transfer/NextPageWait.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

// A clock that moves only when the code under test sleeps, and a device whose page counter
// follows a script of values read one after the other (the last one repeats).
struct SFakeDevice {
    uint32_t nNow = 0;
    int nSleeps = 0;
    int nError = 0;
    std::vector<int> pages;
    size_t nRead = 0;

    SNextPageHooks Hooks()
    {
        SNextPageHooks h;
        h.tick = [this] { return nNow; };
        h.sleep = [this](uint32_t ms) {
            nNow += ms;
            ++nSleeps;
        };
        h.deviceError = [this] { return nError; };
        h.devicePages = [this] {
            int v = pages[std::min(nRead, pages.size() - 1)];
            ++nRead;
            return v;
        };
        return h;
    }
};

}  // namespace

TEST(NextPageWait, DuplexBatchOfFiveSheetsHasMoreAfterNinePagesOnly)
{
    // Ten pages: the device has always finished one page more than was handed over, and the
    // job has ended when the tenth is handed over.
    for (int nTransferred = 1; nTransferred <= 10; ++nTransferred) {
        SFakeDevice d;
        d.pages = {nTransferred < 10 ? nTransferred + 1 : 10010};
        SNextPageResult r = WaitForNextPage(nTransferred, false, kNextPageTimeoutMs, d.Hooks());
        EXPECT_EQ(r.bMore, nTransferred < 10) << nTransferred;
        EXPECT_FALSE(r.bFailed);
        EXPECT_EQ(d.nSleeps, 0);
    }
}

TEST(NextPageWait, WaitsUntilTheDeviceFinishesThePage)
{
    SFakeDevice d;
    d.pages = {1, 1, 1, 1, 1, 1, 2};
    SNextPageResult r = WaitForNextPage(1, false, kNextPageTimeoutMs, d.Hooks());
    EXPECT_TRUE(r.bMore);
    EXPECT_EQ(d.nSleeps, 3);
}

TEST(NextPageWait, CancelEndsAtOnceWithoutAskingTheDevice)
{
    SFakeDevice d;
    d.pages = {5};
    SNextPageResult r = WaitForNextPage(1, true, kNextPageTimeoutMs, d.Hooks());
    EXPECT_FALSE(r.bMore);
    EXPECT_FALSE(r.bFailed);
    EXPECT_EQ(d.nRead, 0u);
}

TEST(NextPageWait, APageThatNeverComesFailsAtTheDeadline)
{
    SFakeDevice d;
    d.pages = {1};
    SNextPageResult r = WaitForNextPage(1, false, 1000, d.Hooks());
    EXPECT_FALSE(r.bMore);
    EXPECT_TRUE(r.bFailed);
    EXPECT_EQ(d.nSleeps, 10);
}

TEST(NextPageWait, DeadlineHoldsAcrossTickWrap)
{
    SFakeDevice d;
    d.nNow = 0xFFFFFF00u;
    d.pages = {1};
    SNextPageResult r = WaitForNextPage(1, false, 1000, d.Hooks());
    EXPECT_TRUE(r.bFailed);
    EXPECT_EQ(d.nSleeps, 10);
}

TEST(NextPageWait, DeviceErrorBelowMinusOneFailsAtOnce)
{
    SFakeDevice d;
    d.pages = {1};
    d.nError = -5;
    SNextPageResult r = WaitForNextPage(1, false, kNextPageTimeoutMs, d.Hooks());
    EXPECT_TRUE(r.bFailed);
    EXPECT_EQ(r.nError, -5);
    EXPECT_EQ(d.nSleeps, 0);
    d.nError = -1;  // a general failure alone is no reason to give up
    d.pages = {2};
    EXPECT_TRUE(WaitForNextPage(1, false, kNextPageTimeoutMs, d.Hooks()).bMore);
}

TEST(NextPageWait, JobEndingBetweenTheTwoReadsIsCheckedAgainWithoutSleeping)
{
    SFakeDevice d;
    d.pages = {1, 10001};
    SNextPageResult r = WaitForNextPage(1, false, kNextPageTimeoutMs, d.Hooks());
    EXPECT_FALSE(r.bMore);
    EXPECT_FALSE(r.bFailed);
    EXPECT_EQ(d.nSleeps, 0);
    EXPECT_EQ(d.nRead, 3u);
}

TEST(NextPageWait, ManualDuplexWaitRunsAfterEachSleep)
{
    SFakeDevice d;
    d.pages = {1, 1, 1, 1, 2};
    int nWaits = 0;
    SNextPageHooks h = d.Hooks();
    h.manualDuplexWait = [&] { ++nWaits; };
    EXPECT_TRUE(WaitForNextPage(1, false, kNextPageTimeoutMs, h).bMore);
    EXPECT_EQ(nWaits, d.nSleeps);
    EXPECT_EQ(nWaits, 2);
}
