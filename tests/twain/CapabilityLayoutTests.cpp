// Every reply container byte for byte: the standard's layout with 2-byte packing, the block
// sized to it, for each supported capability and each read operation.
#include <gtest/gtest.h>

#include <map>

#include "harness/DsLoader.h"
#include "twain/CapabilityTestUtil.h"

using namespace mvltest;

namespace {

// The published table as an application sees it: item type, GET container, the container of
// the other replies, and the operations (with automatic duplex).
struct SCapRow {
    TW_UINT16 wCap, wType, wGetCon, wCurCon;
    TW_UINT32 dwOps;
};

constexpr TW_UINT16 ONE = TWON_ONEVALUE, ENUM = TWON_ENUMERATION, RNG = TWON_RANGE, ARR = TWON_ARRAY;
constexpr TW_UINT32 R = 0x0D, A = 0x1F, AF = 0x0F, G = 0x01;

const SCapRow kRows[] = {
    {CAP_SUPPORTEDCAPS, TWTY_UINT16, ARR, ARR, R}, {CAP_FEEDERENABLED, TWTY_BOOL, ONE, ONE, A},
    {ICAP_XFERMECH, TWTY_UINT16, ENUM, ONE, A}, {ICAP_PIXELFLAVOR, TWTY_UINT16, ENUM, ONE, A},
    {ICAP_PLANARCHUNKY, TWTY_UINT16, ENUM, ONE, R}, {ICAP_COMPRESSION, TWTY_UINT16, ENUM, ONE, A},
    {ICAP_PHYSICALWIDTH, TWTY_FIX32, ONE, ONE, R}, {ICAP_PHYSICALHEIGHT, TWTY_FIX32, ONE, ONE, R},
    {ICAP_MINIMUMHEIGHT, TWTY_FIX32, ONE, ONE, R}, {ICAP_MINIMUMWIDTH, TWTY_FIX32, ONE, ONE, R},
    {ICAP_UNITS, TWTY_UINT16, ENUM, ONE, A}, {CAP_DEVICEONLINE, TWTY_BOOL, ONE, ONE, R},
    {ICAP_AUTOBRIGHT, TWTY_BOOL, ONE, ONE, A}, {ICAP_BRIGHTNESS, TWTY_FIX32, RNG, ONE, A},
    {ICAP_CONTRAST, TWTY_FIX32, RNG, ONE, A}, {ICAP_HIGHLIGHT, TWTY_FIX32, RNG, ONE, A},
    {ICAP_ORIENTATION, TWTY_UINT16, ENUM, ONE, A}, {ICAP_SHADOW, TWTY_FIX32, RNG, ONE, A},
    {ICAP_XSCALING, TWTY_FIX32, ENUM, ONE, A}, {ICAP_YSCALING, TWTY_FIX32, ENUM, ONE, A},
    {ICAP_PIXELTYPE, TWTY_UINT16, ENUM, ONE, A}, {ICAP_BITDEPTH, TWTY_UINT16, ENUM, ONE, A},
    {ICAP_BITDEPTHREDUCTION, TWTY_UINT16, ENUM, ONE, A}, {ICAP_BITORDER, TWTY_UINT16, ENUM, ONE, R},
    {ICAP_HALFTONES, TWTY_STR32, ENUM, ONE, A}, {ICAP_THRESHOLD, TWTY_FIX32, RNG, ONE, A},
    {ICAP_FRAMES, TWTY_FRAME, ONE, ONE, A}, {ICAP_MAXFRAMES, TWTY_UINT16, ONE, ONE, R},
    {ICAP_SUPPORTEDSIZES, TWTY_UINT16, ENUM, ONE, A}, {ICAP_XNATIVERESOLUTION, TWTY_FIX32, ONE, ONE, R},
    {ICAP_YNATIVERESOLUTION, TWTY_FIX32, ONE, ONE, R}, {ICAP_XRESOLUTION, TWTY_FIX32, ENUM, ONE, A},
    {ICAP_YRESOLUTION, TWTY_FIX32, ENUM, ONE, A}, {CAP_XFERCOUNT, TWTY_INT16, ONE, ONE, A},
    {ICAP_IMAGEFILEFORMAT, TWTY_UINT16, ENUM, ONE, A}, {ICAP_UNDEFINEDIMAGESIZE, TWTY_BOOL, ONE, ONE, A},
    {CAP_INDICATORS, TWTY_BOOL, ONE, ONE, A}, {CAP_UICONTROLLABLE, TWTY_BOOL, ONE, ONE, R},
    {CAP_FILE_OUTPUT_MODE_FLAG, TWTY_BOOL, ONE, ONE, A}, {CAP_NO_SCAN_PARAM_ADJ_FLAG, TWTY_BOOL, ONE, ONE, A},
    {CAP_DUPLEXENABLED, TWTY_BOOL, ONE, ONE, A}, {CAP_AUTOFEED, TWTY_BOOL, ONE, ONE, AF},
    {CAP_FEEDERLOADED, TWTY_BOOL, ONE, ONE, R}, {CAP_DUPLEX, TWTY_UINT16, ONE, ONE, R},
    {CAP_SHOW_MERGE_SCAN_DIALOG_FLAG, TWTY_BOOL, ONE, ONE, G},
};

size_t ListItemSize(TW_UINT16 wType)
{
    switch (wType) {
    case TWTY_UINT16: case TWTY_INT16: case TWTY_BOOL: return 2;
    case TWTY_FIX32: case TWTY_UINT32: return 4;
    case TWTY_FRAME: return 16;
    case TWTY_STR32: return 34;
    default: return 0;
    }
}

// The exact size of a reply, from its own header where it carries a count.
size_t ExpectedSize(TW_UINT16 wConType, TW_UINT16 wType, const Bytes& b)
{
    switch (wConType) {
    case TWON_ONEVALUE: return 2 + std::max<size_t>(4, ListItemSize(wType));
    case TWON_RANGE: return 22;
    case TWON_ENUMERATION: return 14 + At<TW_UINT32>(b, 2) * ListItemSize(wType);
    case TWON_ARRAY: return 6 + At<TW_UINT32>(b, 2) * ListItemSize(wType);
    default: return 0;
    }
}

// A reply an application can walk: the block holds the whole container, and an enumeration's
// indexes point at items it has.
testing::AssertionResult WellFormed(TW_UINT16 wConType, TW_UINT16 wType, const Bytes& b)
{
    const size_t nNeeded = ExpectedSize(wConType, wType, b);
    if (nNeeded == 0 || b.size() < nNeeded)
        return testing::AssertionFailure() << "container " << wConType << " of " << b.size() << " bytes, " << nNeeded
                                           << " needed";
    if (wConType == TWON_ENUMERATION) {
        const TW_UINT32 nItems = At<TW_UINT32>(b, 2);
        if (nItems == 0 || At<TW_UINT32>(b, 6) >= nItems || At<TW_UINT32>(b, 10) >= nItems)
            return testing::AssertionFailure() << "indexes " << At<TW_UINT32>(b, 6) << ", " << At<TW_UINT32>(b, 10)
                                               << " of " << nItems << " items";
    }
    return testing::AssertionSuccess();
}

bool Allows(const SCapRow& row, TW_UINT16 wMsg)
{
    const TW_UINT32 dwBit = wMsg == MSG_GET ? 0x01 : wMsg == MSG_SET ? 0x02 : wMsg == MSG_GETCURRENT ? 0x08
                            : wMsg == MSG_GETDEFAULT ? 0x04 : 0x10;
    return (row.dwOps & dwBit) != 0;
}

// Every read of every capability, each reply checked.
void ExpectEveryReplyWellFormed(CTestSource& ds)
{
    for (const SCapRow& row : kRows) {
        for (TW_UINT16 wMsg : {MSG_GET, MSG_GETCURRENT, MSG_GETDEFAULT}) {
            if (!Allows(row, wMsg))
                continue;
            CGlobalBlock reply;
            TW_UINT16 wConType = 0;
            ASSERT_EQ(TWRC_SUCCESS, CapCall(ds, wMsg, row.wCap, &reply, &wConType)) << std::hex << row.wCap;
            EXPECT_TRUE(WellFormed(wConType, row.wType, reply.Read())) << "cap 0x" << std::hex << row.wCap << " msg " << wMsg;
        }
    }
}

Bytes GetReply(CTestSource& ds, TW_UINT16 wCap, TW_UINT16* pConType)
{
    CGlobalBlock reply;
    EXPECT_EQ(TWRC_SUCCESS, CapCall(ds, MSG_GET, wCap, &reply, pConType));
    return reply.Read();
}

TW_UINT16 SetItem(CTestSource& ds, const SCapRow& row, const Bytes& item)
{
    Bytes one;
    Put(one, row.wType);
    one.insert(one.end(), item.begin(), item.end());
    one.resize(std::max<size_t>(one.size(), 6), 0);
    return CapSet(ds, row.wCap, TWON_ONEVALUE, one, one.size());
}

// The values an application finds offered in the MSG_GET reply, each as the item of a ONEVALUE.
std::vector<Bytes> OfferedItems(CTestSource& ds, const SCapRow& row)
{
    TW_UINT16 wConType = 0;
    const Bytes b = GetReply(ds, row.wCap, &wConType);
    const size_t nItem = ListItemSize(row.wType);
    std::vector<Bytes> items;
    auto take = [&](size_t nAt, size_t nSize) { items.emplace_back(b.begin() + nAt, b.begin() + nAt + nSize); };
    if (wConType == TWON_ENUMERATION) {
        for (TW_UINT32 i = 0; i < At<TW_UINT32>(b, 2) && 14 + (i + 1) * nItem <= b.size(); ++i)
            take(14 + i * nItem, nItem);
    } else if (wConType == TWON_RANGE) {
        take(2, 4);  // the minimum and the maximum
        take(6, 4);
    } else if (wConType == TWON_ONEVALUE && row.wType == TWTY_BOOL) {
        items = {Bytes{0, 0, 0, 0}, Bytes{1, 0, 0, 0}};
    } else if (wConType == TWON_ONEVALUE) {
        take(2, std::max<size_t>(4, nItem));
    }
    return items;
}

}  // namespace

TEST(CapabilityLayout, RepliesStayWellFormedAfterEverySetAndReset)
{
    CTestSource ds;
    ASSERT_TRUE(ds.Loaded());
    ASSERT_EQ(TWRC_SUCCESS, ds.Open());
    for (const SCapRow& row : kRows) {
        if (!Allows(row, MSG_SET))
            continue;
        const std::vector<Bytes> items = OfferedItems(ds, row);
        for (size_t i = 0; i < items.size(); ++i) {
            SCOPED_TRACE(testing::Message() << "set cap 0x" << std::hex << row.wCap << " item " << At<TW_UINT32>(items[i], 0));
            EXPECT_EQ(TWRC_SUCCESS, SetItem(ds, row, items[i]));
            ExpectEveryReplyWellFormed(ds);
            // What was set is what the enumeration points at.
            TW_UINT16 wConType = 0;
            const Bytes b = GetReply(ds, row.wCap, &wConType);
            if (wConType == TWON_ENUMERATION) {
                EXPECT_EQ(i, At<TW_UINT32>(b, 6));
            }
        }
        if (row.wGetCon == TWON_ENUMERATION && !items.empty()) {
            // A value the list does not hold is refused, and the list stays walkable.
            SCOPED_TRACE(testing::Message() << "unoffered value of cap 0x" << std::hex << row.wCap);
            Bytes unoffered = items.front();
            unoffered[0] ^= 0x5A;
            unoffered[1] ^= 0x5A;
            EXPECT_EQ(TWRC_FAILURE, SetItem(ds, row, unoffered));
            EXPECT_EQ(TWCC_BADVALUE, ds.Status());
            ExpectEveryReplyWellFormed(ds);
        }
        if (Allows(row, MSG_RESET)) {
            SCOPED_TRACE(testing::Message() << "reset cap 0x" << std::hex << row.wCap);
            EXPECT_EQ(TWRC_SUCCESS, CapCall(ds, MSG_RESET, row.wCap));
            ExpectEveryReplyWellFormed(ds);
        }
    }
}

TEST(CapabilityLayout, EveryReplyHasTheStandardLayout)
{
    CTestSource ds;
    ASSERT_TRUE(ds.Loaded());
    ASSERT_EQ(TWRC_SUCCESS, ds.Open());
    for (const SCapRow& row : kRows) {
        for (TW_UINT16 wMsg : {MSG_GET, MSG_GETCURRENT, MSG_GETDEFAULT, MSG_RESET, MSG_QUERYSUPPORT}) {
            SCOPED_TRACE(testing::Message() << "cap 0x" << std::hex << row.wCap << " msg " << wMsg);
            bool bAllowed = wMsg == MSG_QUERYSUPPORT || Allows(row, wMsg);
            CGlobalBlock reply;
            TW_UINT16 wConType = 0;
            TW_UINT16 twRc = CapCall(ds, wMsg, row.wCap, &reply, &wConType);
            TW_UINT16 wCC = ds.Status();
            if (!bAllowed) {
                EXPECT_EQ(TWRC_FAILURE, twRc);
                EXPECT_EQ(TWCC_CAPBADOPERATION, wCC);
                EXPECT_EQ(nullptr, reply.Get());
                continue;
            }
            ASSERT_EQ(TWRC_SUCCESS, twRc);
            EXPECT_EQ(TWCC_SUCCESS, wCC);
            TW_UINT16 wExpectedCon = wMsg == MSG_QUERYSUPPORT ? ONE : wMsg == MSG_GET ? row.wGetCon : row.wCurCon;
            TW_UINT16 wExpectedType = wMsg == MSG_QUERYSUPPORT ? TWTY_UINT32 : row.wType;
            EXPECT_EQ(wExpectedCon, wConType);
            // A movable block: its handle is not its address.
            ASSERT_NE(nullptr, reply.Get());
            void* pLocked = GlobalLock(reply.Get());
            EXPECT_NE(pLocked, static_cast<void*>(reply.Get()));
            GlobalUnlock(reply.Get());
            Bytes b = reply.Read();
            EXPECT_EQ(wExpectedType, At<TW_UINT16>(b, 0));
            // The block may be rounded up, never short.
            EXPECT_TRUE(WellFormed(wConType, wExpectedType, b));
            if (wMsg == MSG_QUERYSUPPORT) {
                EXPECT_EQ(row.dwOps, At<TW_UINT32>(b, 2));
            }
        }
    }
}

namespace {

Bytes Reply(CTestSource& ds, TW_UINT16 wMsg, TW_UINT16 wCap)
{
    CGlobalBlock reply;
    EXPECT_EQ(TWRC_SUCCESS, CapCall(ds, wMsg, wCap, &reply)) << std::hex << wCap;
    return reply.Read();
}

TW_INT16 Whole(const Bytes& b, size_t nOffset) { return At<TW_INT16>(b, nOffset); }
TW_UINT16 Frac(const Bytes& b, size_t nOffset) { return At<TW_UINT16>(b, nOffset + 2); }

}  // namespace

TEST(CapabilityLayout, FieldsSitAtTheStandardsOffsets)
{
    CTestSource ds;
    ASSERT_TRUE(ds.Loaded());
    ASSERT_EQ(TWRC_SUCCESS, ds.Open());

    // ONEVALUE: ItemType at 0, a TW_FIX32 Item at 2 (Whole) and 4 (Frac).
    Bytes b = Reply(ds, MSG_GET, ICAP_PHYSICALWIDTH);
    EXPECT_EQ(TWTY_FIX32, At<TW_UINT16>(b, 0));
    EXPECT_EQ(8, Whole(b, 2));
    EXPECT_EQ(0x8000, Frac(b, 2));
    // A BOOL zero-extended into the 32-bit Item.
    b = Reply(ds, MSG_GET, CAP_DEVICEONLINE);
    EXPECT_EQ(1u, At<TW_UINT32>(b, 2));

    // A frame: four TW_FIX32, left, top, right, bottom, from offset 2.
    b = Reply(ds, MSG_GETDEFAULT, ICAP_FRAMES);
    EXPECT_EQ(TWTY_FRAME, At<TW_UINT16>(b, 0));
    EXPECT_EQ(0, Whole(b, 2));
    EXPECT_EQ(0, Whole(b, 6));
    EXPECT_EQ(8, Whole(b, 10));
    EXPECT_EQ(0x8000, Frac(b, 10));
    EXPECT_EQ(11, Whole(b, 14));
    EXPECT_EQ(static_cast<TW_INT32>(11.69f * 65536.0 + 0.5) & 0xFFFF, Frac(b, 14));

    // ENUMERATION: NumItems at 2, CurrentIndex at 6, DefaultIndex at 10, 2-byte items from 14.
    b = Reply(ds, MSG_GET, ICAP_SUPPORTEDSIZES);
    EXPECT_EQ(7u, At<TW_UINT32>(b, 2));
    EXPECT_EQ(0u, At<TW_UINT32>(b, 6));
    EXPECT_EQ(0u, At<TW_UINT32>(b, 10));
    const TW_UINT16 kSizes[] = {TWSS_A4, TWSS_A5, TWSS_A6, TWSS_JISB5, TWSS_USLETTER, TWSS_USLEGAL, TWSS_A3};
    for (size_t i = 0; i < std::size(kSizes); ++i)
        EXPECT_EQ(kSizes[i], At<TW_UINT16>(b, 14 + 2 * i)) << i;
    b = Reply(ds, MSG_GET, ICAP_PIXELTYPE);
    EXPECT_EQ(2u, At<TW_UINT32>(b, 6));
    EXPECT_EQ(2u, At<TW_UINT32>(b, 10));

    // Strings: 34-byte items in a list, the whole 34 bytes in a ONEVALUE.
    b = Reply(ds, MSG_GET, ICAP_HALFTONES);
    EXPECT_EQ(TWTY_STR32, At<TW_UINT16>(b, 0));
    EXPECT_EQ(2u, At<TW_UINT32>(b, 2));
    EXPECT_STREQ("FLOYD/STEINBURG", reinterpret_cast<const char*>(b.data() + 14));
    EXPECT_STREQ("ORDERED", reinterpret_cast<const char*>(b.data() + 14 + 34));
    b = Reply(ds, MSG_GETCURRENT, ICAP_HALFTONES);
    EXPECT_STREQ("FLOYD/STEINBURG", reinterpret_cast<const char*>(b.data() + 2));

    // RANGE: MinValue 2, MaxValue 6, StepSize 10, DefaultValue 14, CurrentValue 18.
    ASSERT_EQ(TWRC_SUCCESS, CapSetOne(ds, ICAP_THRESHOLD, TWTY_FIX32, Fix32Item(200)));
    b = Reply(ds, MSG_GET, ICAP_THRESHOLD);
    EXPECT_EQ(0, Whole(b, 2));
    EXPECT_EQ(255, Whole(b, 6));
    EXPECT_EQ(1, Whole(b, 10));
    EXPECT_EQ(128, Whole(b, 14));
    EXPECT_EQ(200, Whole(b, 18));
    b = Reply(ds, MSG_GET, ICAP_BRIGHTNESS);
    // -1000 as the sample conversion makes it: plus 0.5, truncated toward zero.
    EXPECT_EQ(-1000, Whole(b, 2));
    EXPECT_EQ(1, Frac(b, 2));
    EXPECT_EQ(1000, Whole(b, 6));
    EXPECT_EQ(1000, Whole(b, 10));

    // ARRAY: NumItems at 2, the 45 ids from 6 in table order, also for the default.
    const TW_UINT16 kIds[] = {0x1005, 0x1002, 0x0103, 0x111F, 0x1120, 0x0100, 0x1111, 0x1112, 0x1130, 0x1131, 0x0102, 0x100F,
                              0x1100, 0x1101, 0x1103, 0x110A, 0x1110, 0x1113, 0x1124, 0x1125, 0x0101, 0x112B, 0x112C, 0x111C,
                              0x1109, 0x1123, 0x1114, 0x111A, 0x1122, 0x1116, 0x1117, 0x1118, 0x1119, 0x0001, 0x110C, 0x112D,
                              0x100B, 0x100E, 0x8123, 0x8124, 0x1013, 0x1007, 0x1003, 0x1012, 0x8125};
    for (TW_UINT16 wMsg : {MSG_GET, MSG_GETDEFAULT}) {
        b = Reply(ds, wMsg, CAP_SUPPORTEDCAPS);
        ASSERT_EQ(45u, At<TW_UINT32>(b, 2));
        for (size_t i = 0; i < std::size(kIds); ++i)
            EXPECT_EQ(kIds[i], At<TW_UINT16>(b, 6 + 2 * i)) << i;
    }
}
