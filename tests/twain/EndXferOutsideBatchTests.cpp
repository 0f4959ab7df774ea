// MSG_ENDXFER outside a batch. The model of these tests scans from its document feeder by
// default, whose end-of-page wait polls the device for the next sheet for up to two minutes:
// before a device job exists no sheet can come, and the application's thread must not be held.
#include <gtest/gtest.h>

#include <windows.h>

#include <chrono>

#include "harness/DsLoader.h"

using namespace mvltest;

namespace {

TW_UINT16 EndXfer(CTestSource& ds, TW_PENDINGXFERS& pending)
{
    pending.Count = 7;
    return ds.Control(DAT_PENDINGXFERS, MSG_ENDXFER, &pending);
}

double SecondsSince(std::chrono::steady_clock::time_point t0)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
}

TW_UINT16 SetUI(CTestSource& ds, TW_UINT16 wMsg, bool bShowUI)
{
    TW_USERINTERFACE ui{static_cast<TW_BOOL>(bShowUI), FALSE, nullptr};
    return ds.Control(DAT_USERINTERFACE, wMsg, &ui);
}

}  // namespace

TEST(EndXferOutsideBatch, IsASequenceErrorWithoutAnApplication)
{
    CTestSource ds;
    ASSERT_TRUE(ds.Loaded());
    TW_PENDINGXFERS pending{};
    EXPECT_EQ(TWRC_FAILURE, EndXfer(ds, pending));
    EXPECT_EQ(TWCC_SEQERROR, ds.Status());
    EXPECT_FALSE(ds.Trace().Contains("MSG_ENDXFER, read pages"));
}

TEST(EndXferOutsideBatch, AnswersAtOnceBeforeTheSourceIsEnabled)
{
    CTestSource ds;
    ASSERT_TRUE(ds.Loaded());
    ASSERT_EQ(TWRC_SUCCESS, ds.Open());
    TW_PENDINGXFERS pending{};
    auto t0 = std::chrono::steady_clock::now();
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(TWRC_SUCCESS, EndXfer(ds, pending));
        EXPECT_EQ(0, pending.Count);
    }
    // Three waits for a sheet would take six minutes; anything near that is the old hang.
    EXPECT_LT(SecondsSince(t0), 20.0);
    EXPECT_FALSE(ds.Trace().Contains("MSG_ENDXFER, read pages"));
    // Still state 4: a disable has nothing to undo, and the source closes.
    EXPECT_EQ(TWRC_FAILURE, SetUI(ds, MSG_DISABLEDS, false));
    EXPECT_EQ(TWCC_SEQERROR, ds.Status());
    EXPECT_EQ(TWRC_SUCCESS, ds.Close());
}

TEST(EndXferOutsideBatch, AnswersAtOnceWhileTheUserWorksInTheDialog)
{
    CTestSource ds;
    ASSERT_TRUE(ds.Loaded());
    ASSERT_EQ(TWRC_SUCCESS, ds.Open());
    ASSERT_EQ(TWRC_SUCCESS, SetUI(ds, MSG_ENABLEDS, true));
    TW_PENDINGXFERS pending{};
    auto t0 = std::chrono::steady_clock::now();
    EXPECT_EQ(TWRC_SUCCESS, EndXfer(ds, pending));
    EXPECT_EQ(0, pending.Count);
    EXPECT_LT(SecondsSince(t0), 20.0);
    EXPECT_FALSE(ds.Trace().Contains("MSG_ENDXFER, read pages"));
    // State 5 is kept: the disable is accepted there.
    EXPECT_EQ(TWRC_SUCCESS, SetUI(ds, MSG_DISABLEDS, false));
    EXPECT_EQ(TWRC_SUCCESS, ds.Close());
}
