// Capability negotiation through the real data source: the edge cases of the negotiation
// rules, the product flags, the application's protocol, and untrusted containers.
#include <gtest/gtest.h>

#include "harness/DsLoader.h"
#include "twain/CapabilityTestUtil.h"

using namespace mvltest;

namespace {

std::string ProfileWith(const std::string& sExtra)
{
    return DefaultProfile() + sExtra;
}

// The A4 model without automatic duplex: neither platform flag is set.
std::string SimplexProfile()
{
    std::string s = DefaultProfile();
    s.erase(s.find("IsPlatformK"), s.find("\r\n", s.find("IsPlatformK")) + 2 - s.find("IsPlatformK"));
    return s;
}

struct SEnumReply {
    TW_UINT16 wConType = 0;
    TW_UINT16 wItemType = 0;
    TW_UINT32 nItems = 0, nCurrent = 0, nDefault = 0;
    std::vector<TW_UINT32> items;  // 4-byte items
};

SEnumReply GetEnum4(CTestSource& ds, TW_UINT16 wCap)
{
    SEnumReply r;
    CGlobalBlock reply;
    if (CapCall(ds, MSG_GET, wCap, &reply, &r.wConType) != TWRC_SUCCESS)
        return r;
    Bytes b = reply.Read();
    r.wItemType = At<TW_UINT16>(b, 0);
    r.nItems = At<TW_UINT32>(b, 2);
    r.nCurrent = At<TW_UINT32>(b, 6);
    r.nDefault = At<TW_UINT32>(b, 10);
    for (TW_UINT32 i = 0; i < r.nItems && 14 + 4 * (i + 1) <= b.size(); ++i)
        r.items.push_back(At<TW_UINT32>(b, 14 + 4 * i));
    return r;
}

std::vector<TW_UINT32> Fix32Items(std::initializer_list<int> values)
{
    std::vector<TW_UINT32> out;
    for (int n : values)
        out.push_back(Fix32Item(n));
    return out;
}

}  // namespace

TEST(Capabilities, ResolutionListsFollowTheProductFlag)
{
    {
        CTestSource ds;
        ASSERT_TRUE(ds.Loaded());
        ASSERT_EQ(TWRC_SUCCESS, ds.Open());
        for (TW_UINT16 wCap : {ICAP_XRESOLUTION, ICAP_YRESOLUTION}) {
            SEnumReply r = GetEnum4(ds, wCap);
            EXPECT_EQ(TWON_ENUMERATION, r.wConType);
            EXPECT_EQ(TWTY_FIX32, r.wItemType);
            EXPECT_EQ(5u, r.nItems);
            EXPECT_EQ(1u, r.nCurrent);
            EXPECT_EQ(1u, r.nDefault);
            EXPECT_EQ(Fix32Items({75, 150, 300, 600, 1200}), r.items);
        }
        EXPECT_EQ(TWCC_SUCCESS, ds.Status());
    }
    SSourceOptions options;
    options.sProfile = ProfileWith("IsKRV=TRUE\r\n");
    CTestSource ds(options);
    ASSERT_TRUE(ds.Loaded());
    ASSERT_EQ(TWRC_SUCCESS, ds.Open());
    SEnumReply r = GetEnum4(ds, ICAP_XRESOLUTION);
    EXPECT_EQ(7u, r.nItems);
    EXPECT_EQ(2u, r.nCurrent);
    EXPECT_EQ(2u, r.nDefault);
    EXPECT_EQ(Fix32Items({75, 100, 150, 200, 300, 400, 600}), r.items);
    // 200 dpi is offered here, 1200 is not.
    EXPECT_EQ(TWRC_SUCCESS, CapSetOne(ds, ICAP_XRESOLUTION, TWTY_FIX32, Fix32Item(200)));
    EXPECT_EQ(TWRC_FAILURE, CapSetOne(ds, ICAP_YRESOLUTION, TWTY_FIX32, Fix32Item(1200)));
    EXPECT_EQ(TWCC_BADVALUE, ds.Status());
}

TEST(Capabilities, UnofferedResolutionIsRefusedAndNotStored)
{
    CTestSource ds;
    ASSERT_TRUE(ds.Loaded());
    ASSERT_EQ(TWRC_SUCCESS, ds.Open());
    EXPECT_EQ(TWRC_SUCCESS, CapSetOne(ds, ICAP_XRESOLUTION, TWTY_FIX32, Fix32Item(300)));
    EXPECT_EQ(TWCC_SUCCESS, ds.Status());
    EXPECT_EQ(2u, GetEnum4(ds, ICAP_XRESOLUTION).nCurrent);

    // A value outside the list would have no position in the enumeration: it is not taken.
    EXPECT_EQ(TWRC_FAILURE, CapSetOne(ds, ICAP_XRESOLUTION, TWTY_FIX32, Fix32Item(200)));
    EXPECT_EQ(TWCC_BADVALUE, ds.Status());
    EXPECT_EQ(Fix32Item(300), CapItem(ds, MSG_GETCURRENT, ICAP_XRESOLUTION));
    EXPECT_EQ(2u, GetEnum4(ds, ICAP_XRESOLUTION).nCurrent);
    // The fraction is cut: 600.5 dpi is taken as the 600 scanned.
    EXPECT_EQ(TWRC_SUCCESS, CapSetOne(ds, ICAP_XRESOLUTION, TWTY_FIX32, Fix32Item(600.5)));
    EXPECT_EQ(Fix32Item(600), CapItem(ds, MSG_GETCURRENT, ICAP_XRESOLUTION));
}

TEST(Capabilities, WrongItemTypesAreRefused)
{
    CTestSource ds;
    ASSERT_TRUE(ds.Loaded());
    ASSERT_EQ(TWRC_SUCCESS, ds.Open());
    EXPECT_EQ(TWRC_FAILURE, CapSetOne(ds, ICAP_PIXELTYPE, TWTY_UINT32, TWPT_GRAY));
    EXPECT_EQ(TWCC_BADVALUE, ds.Status());
    EXPECT_EQ(TW_UINT32{TWPT_RGB}, CapItem(ds, MSG_GETCURRENT, ICAP_PIXELTYPE));

    // The feeder as a 32-bit value: refused, yet taken.
    EXPECT_EQ(TWRC_FAILURE, CapSetOne(ds, CAP_FEEDERENABLED, TWTY_UINT32, 1));
    EXPECT_EQ(TWCC_BADVALUE, ds.Status());
    EXPECT_EQ(1u, CapItem(ds, MSG_GETCURRENT, CAP_FEEDERENABLED));

    // An enumeration of the wrong type, an empty one, a range and an array are all refused.
    Bytes e;
    Put(e, TWTY_UINT32);
    Put(e, TW_UINT32{1});
    Put(e, TW_UINT32{0});
    Put(e, TW_UINT32{0});
    Put(e, TW_UINT32{TWPT_BW});
    EXPECT_EQ(TWRC_FAILURE, CapSet(ds, ICAP_PIXELTYPE, TWON_ENUMERATION, e, e.size()));
    EXPECT_EQ(TWCC_BADVALUE, ds.Status());
    Bytes empty = e;
    empty[0] = TWTY_UINT16;
    std::memset(empty.data() + 2, 0, 4);
    EXPECT_EQ(TWRC_FAILURE, CapSet(ds, ICAP_PIXELTYPE, TWON_ENUMERATION, empty, empty.size()));
    EXPECT_EQ(TWCC_BADVALUE, ds.Status());
    Bytes one = OneValue(TWTY_UINT16, TWPT_BW);
    for (TW_UINT16 wConType : {TWON_RANGE, TWON_ARRAY, TW_UINT16{0x1234}}) {
        EXPECT_EQ(TWRC_FAILURE, CapSet(ds, ICAP_PIXELTYPE, wConType, one, 64));
        EXPECT_EQ(TWCC_BADVALUE, ds.Status());
    }
    EXPECT_EQ(TW_UINT32{TWPT_RGB}, CapItem(ds, MSG_GETCURRENT, ICAP_PIXELTYPE));
}

TEST(Capabilities, EnumerationSetKeepsTheLastItem)
{
    CTestSource ds;
    ASSERT_TRUE(ds.Loaded());
    ASSERT_EQ(TWRC_SUCCESS, ds.Open());
    Bytes e;
    Put(e, TWTY_UINT16);
    Put(e, TW_UINT32{3});
    Put(e, TW_UINT32{0});  // CurrentIndex is not looked at
    Put(e, TW_UINT32{0});
    for (TW_UINT16 w : {TWSS_A3, TWSS_USLETTER, TWSS_A5})
        Put(e, w);
    EXPECT_EQ(TWRC_SUCCESS, CapSet(ds, ICAP_SUPPORTEDSIZES, TWON_ENUMERATION, e, e.size()));
    EXPECT_EQ(TWCC_SUCCESS, ds.Status());
    EXPECT_EQ(TW_UINT32{TWSS_A5}, CapItem(ds, MSG_GETCURRENT, ICAP_SUPPORTEDSIZES));
    // A count one past the items in the block: nothing changes.
    Bytes cut = e;
    cut[2] = 4;
    EXPECT_EQ(TWRC_FAILURE, CapSet(ds, ICAP_SUPPORTEDSIZES, TWON_ENUMERATION, cut, cut.size()));
    EXPECT_EQ(TWCC_BADVALUE, ds.Status());
    cut[2] = 0xFF;
    cut[5] = 0xFF;
    EXPECT_EQ(TWRC_FAILURE, CapSet(ds, ICAP_SUPPORTEDSIZES, TWON_ENUMERATION, cut, cut.size()));
    EXPECT_EQ(TW_UINT32{TWSS_A5}, CapItem(ds, MSG_GETCURRENT, ICAP_SUPPORTEDSIZES));
}

TEST(Capabilities, ResetFollowsTheApplicationsProtocol)
{
    for (auto [wMinor, wMajor, wExpected] : {std::tuple{2, 2, TWCC_CAPBADOPERATION}, {6, 1, TWCC_CAPBADOPERATION},
                                             {5, 1, TWCC_BADCAP}}) {
        CTestSource ds;
        ASSERT_TRUE(ds.Loaded());
        ds.AppId().ProtocolMajor = static_cast<TW_UINT16>(wMajor);
        ds.AppId().ProtocolMinor = static_cast<TW_UINT16>(wMinor);
        ASSERT_EQ(TWRC_SUCCESS, ds.Open());
        EXPECT_EQ(TWRC_FAILURE, CapCall(ds, MSG_RESET, CAP_AUTOFEED));
        EXPECT_EQ(wExpected, ds.Status()) << wMajor << "." << wMinor;
        // Bad values keep their own code whatever the protocol.
        EXPECT_EQ(TWRC_FAILURE, CapSetOne(ds, ICAP_PIXELTYPE, TWTY_INT32, 0));
        EXPECT_EQ(TWCC_BADVALUE, ds.Status());
        EXPECT_EQ(TWRC_FAILURE, CapCall(ds, MSG_GET, 0x1234));
        EXPECT_EQ(wMajor == 1 && wMinor == 5 ? TWCC_BADCAP : TWCC_CAPUNSUPPORTED, ds.Status());
    }
    CTestSource ds;
    ASSERT_TRUE(ds.Loaded());
    ASSERT_EQ(TWRC_SUCCESS, ds.Open());
    ASSERT_EQ(TWRC_SUCCESS, CapSetOne(ds, ICAP_BRIGHTNESS, TWTY_FIX32, Fix32Item(250)));
    EXPECT_EQ(Fix32Item(250), CapItem(ds, MSG_GETCURRENT, ICAP_BRIGHTNESS));
    EXPECT_EQ(Fix32Item(0), CapItem(ds, MSG_RESET, ICAP_BRIGHTNESS));
    EXPECT_EQ(Fix32Item(0), CapItem(ds, MSG_GETCURRENT, ICAP_BRIGHTNESS));
}

TEST(Capabilities, DuplexFollowsTheProductAtOpen)
{
    {
        SSourceOptions options;
        options.sProfile = SimplexProfile();
        CTestSource ds(options);
        ASSERT_TRUE(ds.Loaded());
        ASSERT_EQ(TWRC_SUCCESS, ds.Open());
        EXPECT_EQ(TWRC_FAILURE, CapSetOne(ds, CAP_DUPLEXENABLED, TWTY_BOOL, 1));
        EXPECT_EQ(TWCC_CAPBADOPERATION, ds.Status());
        EXPECT_EQ(0x0Du, CapItem(ds, MSG_QUERYSUPPORT, CAP_DUPLEXENABLED));
        EXPECT_EQ(TW_UINT32{TWDX_1PASSDUPLEX}, CapItem(ds, MSG_GET, CAP_DUPLEX));
    }
    CTestSource ds;
    ASSERT_TRUE(ds.Loaded());
    ASSERT_EQ(TWRC_SUCCESS, ds.Open());
    EXPECT_EQ(0x1Fu, CapItem(ds, MSG_QUERYSUPPORT, CAP_DUPLEXENABLED));
    EXPECT_EQ(TWRC_SUCCESS, CapSetOne(ds, CAP_DUPLEXENABLED, TWTY_BOOL, 1));
    EXPECT_EQ(1u, CapItem(ds, MSG_GETCURRENT, CAP_DUPLEXENABLED));
    // The reply's current value is replaced at each MSG_GET only.
    EXPECT_EQ(TW_UINT32{TWDX_1PASSDUPLEX}, CapItem(ds, MSG_GETCURRENT, CAP_DUPLEX));
    EXPECT_EQ(TW_UINT32{TWDX_2PASSDUPLEX}, CapItem(ds, MSG_GET, CAP_DUPLEX));
    EXPECT_EQ(TW_UINT32{TWDX_2PASSDUPLEX}, CapItem(ds, MSG_GETCURRENT, CAP_DUPLEX));
    EXPECT_EQ(TW_UINT32{TWDX_1PASSDUPLEX}, CapItem(ds, MSG_GETDEFAULT, CAP_DUPLEX));
}

TEST(Capabilities, QuerySupportReportsTheOperations)
{
    CTestSource ds;
    ASSERT_TRUE(ds.Loaded());
    ASSERT_EQ(TWRC_SUCCESS, ds.Open());
    CGlobalBlock reply;
    TW_UINT16 wConType = 0;
    ASSERT_EQ(TWRC_SUCCESS, CapCall(ds, MSG_QUERYSUPPORT, CAP_AUTOFEED, &reply, &wConType));
    EXPECT_EQ(TWON_ONEVALUE, wConType);
    EXPECT_EQ(TWTY_UINT32, At<TW_UINT16>(reply.Read(), 0));
    EXPECT_EQ(0x0Fu, At<TW_UINT32>(reply.Read(), 2));
    EXPECT_EQ(0x01u, CapItem(ds, MSG_QUERYSUPPORT, CAP_SHOW_MERGE_SCAN_DIALOG_FLAG));
    EXPECT_EQ(0x0Du, CapItem(ds, MSG_QUERYSUPPORT, CAP_SUPPORTEDCAPS));
    EXPECT_EQ(0x1Fu, CapItem(ds, MSG_QUERYSUPPORT, ICAP_FRAMES));
    // Answered whatever the operations; refused for what the source does not have.
    EXPECT_EQ(TWRC_FAILURE, CapCall(ds, MSG_QUERYSUPPORT, ICAP_GAMMA));
    EXPECT_EQ(TWCC_CAPUNSUPPORTED, ds.Status());
    // A read-only capability refuses what it does not allow.
    EXPECT_EQ(TWRC_FAILURE, CapSetOne(ds, CAP_DEVICEONLINE, TWTY_BOOL, 0));
    EXPECT_EQ(TWCC_CAPBADOPERATION, ds.Status());
    EXPECT_EQ(TWRC_FAILURE, CapCall(ds, MSG_GETCURRENT, CAP_SHOW_MERGE_SCAN_DIALOG_FLAG));
    EXPECT_EQ(TWCC_CAPBADOPERATION, ds.Status());
    EXPECT_EQ(TWRC_FAILURE, CapCall(ds, MSG_GETFIRST, CAP_AUTOFEED));
    EXPECT_EQ(TWCC_CAPUNSUPPORTED, ds.Status());
}

TEST(Capabilities, NothingIsSupportedOutsideAnOpenSource)
{
    CTestSource ds;
    ASSERT_TRUE(ds.Loaded());
    // Before any MSG_OPENDS the application's protocol reads 0.0.
    EXPECT_EQ(TWRC_FAILURE, CapCall(ds, MSG_GET, ICAP_PIXELTYPE));
    EXPECT_EQ(TWCC_BADCAP, ds.Status());
    EXPECT_EQ(TWRC_FAILURE, CapCall(ds, MSG_QUERYSUPPORT, CAP_SUPPORTEDCAPS));
    EXPECT_EQ(TWCC_BADCAP, ds.Status());
    EXPECT_TRUE(ds.Trace().Contains("HandleCapMessage===>Enter"));
    ASSERT_EQ(TWRC_SUCCESS, ds.Open());
    EXPECT_EQ(TWRC_SUCCESS, CapCall(ds, MSG_GET, ICAP_PIXELTYPE));
    EXPECT_TRUE(ds.Trace().Contains("gbcancel is false"));
    ASSERT_EQ(TWRC_SUCCESS, ds.Close());
    EXPECT_EQ(TWRC_FAILURE, CapCall(ds, MSG_GET, ICAP_PIXELTYPE));
    EXPECT_EQ(TWCC_CAPUNSUPPORTED, ds.Status());
    // Without a TW_CAPABILITY there is nothing to negotiate.
    EXPECT_EQ(TWRC_FAILURE, ds.Control(DAT_CAPABILITY, MSG_GET, nullptr));
    EXPECT_EQ(TWCC_BADPROTOCOL, ds.Status());
}

TEST(Capabilities, ScalingsShareOneValueAndValuesSurviveClosing)
{
    CTestSource ds;
    ASSERT_TRUE(ds.Loaded());
    ASSERT_EQ(TWRC_SUCCESS, ds.Open());
    // Only 100 % is offered: 50 is refused for both.
    EXPECT_EQ(TWRC_FAILURE, CapSetOne(ds, ICAP_XSCALING, TWTY_FIX32, Fix32Item(50)));
    EXPECT_EQ(Fix32Item(100), CapItem(ds, MSG_GETCURRENT, ICAP_YSCALING));
    ASSERT_EQ(TWRC_SUCCESS, CapSetOne(ds, ICAP_UNITS, TWTY_UINT16, TWUN_PIXELS));
    ASSERT_EQ(TWRC_SUCCESS, CapSetOne(ds, ICAP_PIXELTYPE, TWTY_UINT16, TWPT_GRAY));
    ASSERT_EQ(TWRC_SUCCESS, CapSetOne(ds, CAP_XFERCOUNT, TWTY_INT16, 0xFFFF));
    ASSERT_EQ(TWRC_SUCCESS, ds.Close());
    ASSERT_EQ(TWRC_SUCCESS, ds.Open());
    EXPECT_EQ(TW_UINT32{TWUN_PIXELS}, CapItem(ds, MSG_GETCURRENT, ICAP_UNITS));
    EXPECT_EQ(TW_UINT32{TWPT_GRAY}, CapItem(ds, MSG_GETCURRENT, ICAP_PIXELTYPE));
    // A 16-bit value is zero-extended into the Item, also a negative INT16.
    EXPECT_EQ(0xFFFFu, CapItem(ds, MSG_GETCURRENT, CAP_XFERCOUNT));
    EXPECT_EQ(Fix32Item(100), CapItem(ds, MSG_RESET, ICAP_YSCALING));
    EXPECT_EQ(Fix32Item(100), CapItem(ds, MSG_GETCURRENT, ICAP_XSCALING));
}

TEST(Capabilities, UntrustedContainersChangeNothing)
{
    CTestSource ds;
    ASSERT_TRUE(ds.Loaded());
    ASSERT_EQ(TWRC_SUCCESS, ds.Open());
    // No container at all.
    TW_CAPABILITY cap{ICAP_UNITS, TWON_ONEVALUE, nullptr};
    EXPECT_EQ(TWRC_FAILURE, ds.Control(DAT_CAPABILITY, MSG_SET, &cap));
    EXPECT_EQ(TWCC_BADVALUE, ds.Status());
    // A ONEVALUE cut to its item type.
    Bytes one = OneValue(TWTY_UINT16, TWUN_PIXELS);
    EXPECT_EQ(TWRC_FAILURE, CapSet(ds, ICAP_UNITS, TWON_ONEVALUE, one, 2));
    EXPECT_EQ(TWCC_BADVALUE, ds.Status());
    // An item type outside the standard's is not taken as a 32-bit value.
    EXPECT_EQ(TWRC_FAILURE, CapSetOne(ds, CAP_FEEDERENABLED, 0x7777, 1));
    EXPECT_EQ(TWCC_BADVALUE, ds.Status());
    EXPECT_EQ(0u, CapItem(ds, MSG_GETCURRENT, CAP_FEEDERENABLED));
    // A halftone name that fills its field without a terminator, and one that has it.
    Bytes str;
    Put(str, TWTY_STR32);
    str.resize(2 + 34, 'Z');
    EXPECT_EQ(TWRC_FAILURE, CapSet(ds, ICAP_HALFTONES, TWON_ONEVALUE, str, str.size()));
    EXPECT_EQ(TWCC_BADVALUE, ds.Status());
    std::memcpy(str.data() + 2, "ORDERED", 8);
    EXPECT_EQ(TWRC_SUCCESS, CapSet(ds, ICAP_HALFTONES, TWON_ONEVALUE, str, str.size()));
    CGlobalBlock reply;
    ASSERT_EQ(TWRC_SUCCESS, CapCall(ds, MSG_GETCURRENT, ICAP_HALFTONES, &reply));
    Bytes b = reply.Read();
    EXPECT_EQ("ORDERED", std::string(reinterpret_cast<const char*>(b.data() + 2)));
    // The bytes after the terminator are not kept.
    EXPECT_EQ(Bytes(34 - 7, 0), Bytes(b.begin() + 2 + 7, b.begin() + 2 + 34));
    // Not a global memory handle at all: a plain address.
    unsigned char stackBytes[64] = {};
    cap = TW_CAPABILITY{ICAP_UNITS, TWON_ONEVALUE, stackBytes};
    EXPECT_EQ(TWRC_FAILURE, ds.Control(DAT_CAPABILITY, MSG_SET, &cap));
    EXPECT_EQ(TWCC_BADVALUE, ds.Status());
    EXPECT_EQ(TW_UINT32{TWUN_INCHES}, CapItem(ds, MSG_GETCURRENT, ICAP_UNITS));
}

TEST(Capabilities, DeviceAndDialogAnswersWithoutThem)
{
    CTestSource ds;
    ASSERT_TRUE(ds.Loaded());
    ASSERT_EQ(TWRC_SUCCESS, ds.Open());
    EXPECT_EQ(0u, CapItem(ds, MSG_GET, CAP_FEEDERLOADED));
    EXPECT_EQ(0u, CapItem(ds, MSG_GET, CAP_SHOW_MERGE_SCAN_DIALOG_FLAG));
    EXPECT_FALSE(ds.Trace().Contains("show merge scan"));
    ASSERT_EQ(TWRC_SUCCESS, CapSetOne(ds, CAP_FILE_OUTPUT_MODE_FLAG, TWTY_BOOL, 1));
    EXPECT_EQ(0u, CapItem(ds, MSG_GET, CAP_SHOW_MERGE_SCAN_DIALOG_FLAG));
    EXPECT_TRUE(ds.Trace().Contains("*** get CAP_SHOW_MERGE_SCAN_DIALOG_FLAG, show merge scan"));
    EXPECT_FALSE(ds.Trace().Contains("DoModal() return"));
}
