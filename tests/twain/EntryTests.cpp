// The entry: triplet trace, caller check, MSG_PROCESSEVENT, dispatch by DAT, bad input.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>

#include "harness/ChildProcess.h"
#include "harness/DsLoader.h"
#include "harness/TestEnv.h"

using namespace mvltest;

namespace {

TW_CAPABILITY Cap(TW_UINT16 wCap)
{
    return TW_CAPABILITY{wCap, TWON_DONTCARE16, nullptr};
}

}  // namespace

TEST(Entry, ExportsDsEntryAndLoads)
{
    CTestSource ds;
    ASSERT_TRUE(ds.Loaded());
    ASSERT_TRUE(ds.Trace().Hooked());
}

TEST(Entry, TracesEveryTripletInAndOut)
{
    CTestSource ds;
    ASSERT_TRUE(ds.Loaded());
    TW_IDENTITY id{};
    EXPECT_EQ(TWRC_SUCCESS, ds.Control(DAT_IDENTITY, MSG_GET, &id));
    EXPECT_TRUE(ds.Trace().Contains(
        "CTwainDsApp::DS_Entry: MSG -> DG = 0x0001, DAT = 0x0003(DAT_IDENTITY), MSG = 0x0001(MSG_GET), "));
    EXPECT_TRUE(ds.Trace().Contains(
        "CTwainDsApp::DS_Entry: MSG <- DG = 0x0001, DAT = 0x0003(DAT_IDENTITY), MSG = 0x0001(MSG_GET), twRc = 0"));
}

TEST(Entry, CapabilityTraceNamesKnownCapsOnly)
{
    CTestSource ds;
    ASSERT_TRUE(ds.Loaded());
    ASSERT_EQ(TWRC_SUCCESS, ds.Open());
    TW_CAPABILITY duplex = Cap(CAP_DUPLEXENABLED);
    ds.Control(DAT_CAPABILITY, MSG_GET, &duplex);
    TW_CAPABILITY pixel = Cap(ICAP_PIXELTYPE);
    ds.Control(DAT_CAPABILITY, MSG_GET, &pixel);
    EXPECT_TRUE(ds.Trace().Contains("DAT = 0x0001(DAT_CAPABILITY), MSG = 0x0001(MSG_GET), CapId = 0x1013(CAP_DUPLEXENABLED), "));
    EXPECT_TRUE(ds.Trace().Contains("CapId = 0x0101(), "));
    // A capability triplet without data is traced without the capability fragment.
    ds.Control(DAT_CAPABILITY, MSG_GET, nullptr);
    EXPECT_TRUE(ds.Trace().Contains("DAT = 0x0001(DAT_CAPABILITY), MSG = 0x0001(MSG_GET), twRc = "));
    EXPECT_TRUE(ds.Trace().Contains("MSG = 0x0001(MSG_GET), twRc = "));
    ds.Close();
}

TEST(Entry, UnknownNamesLeaveParenthesesEmpty)
{
    CTestSource ds;
    ASSERT_TRUE(ds.Loaded());
    TW_STATUS status{};
    ds.Call(DG_IMAGE, DAT_IMAGEINFO, MSG_GETNEXT, &status);
    EXPECT_TRUE(ds.Trace().Contains("MSG -> DG = 0x0002, DAT = 0x0101(), MSG = 0x0005(), "));
}

TEST(Entry, ProcessEventIsNeverClaimed)
{
    CTestSource ds;
    ASSERT_TRUE(ds.Loaded());
    MSG msg{};
    TW_EVENT event{&msg, 0x1234};
    // Before any MSG_OPENDS, and with any DAT.
    EXPECT_EQ(TWRC_NOTDSEVENT, ds.Control(DAT_EVENT, MSG_PROCESSEVENT, &event));
    EXPECT_EQ(MSG_NULL, event.TWMessage);
    event.TWMessage = 0x4321;
    EXPECT_EQ(TWRC_NOTDSEVENT, ds.Call(DG_IMAGE, DAT_CAPABILITY, MSG_PROCESSEVENT, &event));
    EXPECT_EQ(MSG_NULL, event.TWMessage);
    EXPECT_EQ(1u, ds.Trace().Count("DAT = 0x0002(), MSG = 0x0601(), twRc = 5"));
    // With DAT_CAPABILITY the trace reads a capability id from the data, as for any capability triplet.
    EXPECT_EQ(2u, ds.Trace().Count("DAT = 0x0001(DAT_CAPABILITY), MSG = 0x0601(), CapId = 0x"));
    // No event record: nothing to write, still not ours.
    EXPECT_EQ(TWRC_NOTDSEVENT, ds.Control(DAT_EVENT, MSG_PROCESSEVENT, nullptr));
}

TEST(Entry, UnknownDatKeepsTheOldConditionCode)
{
    CTestSource ds;
    ASSERT_TRUE(ds.Loaded());
    ASSERT_EQ(TWRC_FAILURE, ds.Close());  // state 3: TWCC_SEQERROR
    TW_UINT32 dummy = 0;
    EXPECT_EQ(TWRC_FAILURE, ds.Call(DG_IMAGE, 0x0106, MSG_GET, &dummy));
    EXPECT_EQ(TWCC_SEQERROR, ds.Status());
    EXPECT_EQ(TWRC_FAILURE, ds.Call(DG_IMAGE, 0x0106, MSG_GET, &dummy));
    EXPECT_EQ(TWCC_SUCCESS, ds.Status());
}

TEST(Entry, DataGroupIsNotExamined)
{
    CTestSource ds;
    ASSERT_TRUE(ds.Loaded());
    TW_IDENTITY viaControl{}, viaImage{};
    EXPECT_EQ(TWRC_SUCCESS, ds.Call(DG_CONTROL, DAT_IDENTITY, MSG_GET, &viaControl));
    EXPECT_EQ(TWRC_SUCCESS, ds.Call(DG_IMAGE, DAT_IDENTITY, MSG_GET, &viaImage));
    EXPECT_EQ(0, std::memcmp(&viaControl, &viaImage, sizeof viaControl));
    // Opening through DG_IMAGE works like DG_CONTROL.
    viaImage.Id = 5;
    EXPECT_EQ(TWRC_SUCCESS, ds.Call(DG_IMAGE, DAT_IDENTITY, MSG_OPENDS, &viaImage));
    EXPECT_EQ(TWRC_SUCCESS, ds.Call(DG_IMAGE, DAT_IDENTITY, MSG_CLOSEDS, &viaImage));
}

TEST(Entry, SecondApplicationIsRefusedWithoutConditionCode)
{
    CTestSource ds;
    ASSERT_TRUE(ds.Loaded());
    ASSERT_EQ(TWRC_SUCCESS, ds.Open());
    ASSERT_EQ(TWRC_FAILURE, ds.Open());  // state 4: TWCC_SEQERROR pending for the first application
    TW_IDENTITY other = MakeAppIdentity(2, "intruder");
    TW_STATUS status{};
    EXPECT_EQ(TWRC_FAILURE, ds.Call(&other, DG_CONTROL, DAT_STATUS, MSG_GET, &status));
    EXPECT_EQ(TWRC_FAILURE, ds.Call(&other, DG_CONTROL, DAT_IDENTITY, MSG_CLOSEDS, &ds.DsId()));
    EXPECT_EQ(TWRC_FAILURE, ds.Call(nullptr, DG_CONTROL, DAT_STATUS, MSG_GET, &status));
    // The connected application is unaffected: its pending code is still there and it can close.
    EXPECT_EQ(TWCC_SEQERROR, ds.Status());
    EXPECT_EQ(TWRC_SUCCESS, ds.Close());
    // After closing, any caller is accepted again.
    EXPECT_EQ(TWRC_SUCCESS, ds.Call(&other, DG_CONTROL, DAT_STATUS, MSG_GET, &status));
}

TEST(Entry, NullOriginOrDataAtOpenIsRefused)
{
    CTestSource ds;
    ASSERT_TRUE(ds.Loaded());
    TW_IDENTITY dsId{};
    ds.Control(DAT_IDENTITY, MSG_GET, &dsId);
    dsId.Id = 9;
    EXPECT_EQ(TWRC_FAILURE, ds.Call(nullptr, DG_CONTROL, DAT_IDENTITY, MSG_OPENDS, &dsId));
    EXPECT_EQ(TWCC_BADPROTOCOL, ds.Status());
    EXPECT_EQ(TWRC_FAILURE, ds.Control(DAT_IDENTITY, MSG_OPENDS, nullptr));
    EXPECT_EQ(TWCC_BADPROTOCOL, ds.Status());
    // Still closed: a proper open works.
    EXPECT_EQ(TWRC_SUCCESS, ds.Open());
    EXPECT_EQ(TWRC_SUCCESS, ds.Close());
}

TEST(Entry, NullDataForQueriesIsRefused)
{
    CTestSource ds;
    ASSERT_TRUE(ds.Loaded());
    EXPECT_EQ(TWRC_FAILURE, ds.Control(DAT_IDENTITY, MSG_GET, nullptr));
    EXPECT_EQ(TWCC_BADPROTOCOL, ds.Status());
    EXPECT_EQ(TWRC_FAILURE, ds.Control(DAT_STATUS, MSG_GET, nullptr));
    EXPECT_EQ(TWCC_BADPROTOCOL, ds.Status());
}
