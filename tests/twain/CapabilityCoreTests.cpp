// The negotiation core with a fake host: the conversions, the parsing of untrusted containers,
// and the paths the real data source cannot be driven into (no memory, unlockable blocks, the
// device and dialog seams).
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <deque>
#include <limits>

#include "profile/Trace.h"
#include "twain/CapContainers.h"
#include "twain/CapTable.h"
#include "twain/ScanValues.h"

namespace {

template <typename T>
void Put(CapBytes& out, const T& value)
{
    const auto* p = reinterpret_cast<const std::uint8_t*>(&value);
    out.insert(out.end(), p, p + sizeof value);
}

template <typename T>
T Get(const CapBytes& in, size_t nOffset)
{
    T value{};
    if (nOffset + sizeof value <= in.size())
        std::memcpy(&value, in.data() + nOffset, sizeof value);
    return value;
}

CapBytes OneValue(TW_UINT16 wType, TW_UINT32 dwItem)
{
    CapBytes b;
    Put(b, wType);
    Put(b, dwItem);
    return b;
}

CapBytes Enumeration(TW_UINT16 wType, TW_UINT32 nItems, const CapBytes& items)
{
    CapBytes b;
    Put(b, wType);
    Put(b, nItems);
    Put(b, TW_UINT32{0});
    Put(b, TW_UINT32{0});
    b.insert(b.end(), items.begin(), items.end());
    return b;
}

class CFakeHost : public ICapabilityHost {
public:
    TW_HANDLE AllocReply(const CapBytes& bytes) override
    {
        if (bFailAlloc)
            return nullptr;
        m_replies.push_back(bytes);
        return &m_replies.back();
    }
    bool ReadContainer(TW_HANDLE h, const std::function<void(std::span<const std::uint8_t>)>& fn) override
    {
        if (bFailLock || !h)
            return false;
        const auto* p = static_cast<const CapBytes*>(h);
        fn(std::span<const std::uint8_t>(p->data(), p->size()));
        return true;
    }
    bool IsCancelled() override { return bCancelled; }
    bool DuplexAvailable() override { return bDuplex; }
    bool FeederLoaded() override { return bFeederLoaded; }
    int ShowMergeScanDialog() override
    {
        ++nMergeAsked;
        return nMergeResult;
    }
    void PixelFlavorAnswered() override { ++nPixelFlavor; }
    void SetAutoFeed(int n) override { nAutoFeed = n; }

    static const CapBytes& Bytes(TW_HANDLE h) { return *static_cast<const CapBytes*>(h); }

    bool bFailAlloc = false, bFailLock = false, bCancelled = false, bDuplex = false, bFeederLoaded = false;
    int nMergeResult = -1, nMergeAsked = 0, nPixelFlavor = 0, nAutoFeed = -7;

private:
    std::deque<CapBytes> m_replies;
};

class CapabilityCore : public ::testing::Test {
protected:
    void SetUp() override { m_table.Build(false, true); }

    TW_UINT16 Send(TW_UINT16 wMsg, TW_UINT16 wCap, CapBytes* pContainer = nullptr, TW_UINT16 wConType = TWON_ONEVALUE,
                   TW_UINT16 wMinor = 2)
    {
        m_cap = TW_CAPABILITY{wCap, wConType, pContainer};
        return m_table.HandleCapMessage(wMsg, &m_cap, m_wCC, 2, wMinor, m_host);
    }
    const CapBytes& ReplyBytes() const { return CFakeHost::Bytes(m_cap.hContainer); }

    CCapabilityTable m_table;
    CFakeHost m_host;
    TW_CAPABILITY m_cap{};
    TW_UINT16 m_wCC = 0xFFFF;
};

}  // namespace

TEST(CapItems, Fix32FollowsTheSampleCodeAndStaysDefined)
{
    TW_FIX32 f = FloatToFix32(8.5f);
    EXPECT_EQ(8, f.Whole);
    EXPECT_EQ(0x8000, f.Frac);
    // Plus 0.5 then truncation toward zero: a negative whole number keeps one unit of Frac.
    f = FloatToFix32(-1000.0f);
    EXPECT_EQ(-1000, f.Whole);
    EXPECT_EQ(1, f.Frac);
    EXPECT_NEAR(-1000.0, Fix32ToFloat(f), 1e-4);
    EXPECT_NEAR(11.69, Fix32ToFloat(FloatToFix32(11.69f)), 1e-4);
    // Out of range and NaN clamp instead of overflowing the conversion.
    f = FloatToFix32(1e10f);
    EXPECT_EQ(32767, f.Whole);
    EXPECT_EQ(0xFFFF, f.Frac);
    f = FloatToFix32(-1e10f);
    EXPECT_EQ(-32768, f.Whole);
    EXPECT_EQ(0, f.Frac);
    f = FloatToFix32(std::numeric_limits<float>::quiet_NaN());
    EXPECT_EQ(0, f.Whole);
    EXPECT_EQ(0, f.Frac);
    // The largest TW_FIX32 rounds up to 32768 as a float and still converts.
    f = FloatToFix32(Fix32ToFloat(TW_FIX32{32767, 0xFFFF}));
    EXPECT_EQ(32767, f.Whole);
}

TEST(CapItems, SizesOfStoredAndCarriedItems)
{
    EXPECT_EQ(2u, StoredItemSize(TWTY_BOOL));
    EXPECT_EQ(4u, StoredItemSize(TWTY_FIX32));
    EXPECT_EQ(16u, StoredItemSize(TWTY_FRAME));
    EXPECT_EQ(34u, StoredItemSize(TWTY_STR255));
    EXPECT_EQ(256u, ContainerItemSize(TWTY_STR255));
    EXPECT_EQ(0u, ContainerItemSize(0x0010));
    EXPECT_EQ(4u, OneValueItemSize(TWTY_UINT8));
    EXPECT_EQ(34u, OneValueItemSize(TWTY_STR32));
}

TEST(CapContainers, UntrustedSetContainersAreRefusedWhole)
{
    // Shorter than a TW_ONEVALUE.
    CapBytes b = OneValue(TWTY_UINT16, 1);
    b.resize(5);
    EXPECT_EQ(ESetParse::BadValue, ParseSetContainer(TWON_ONEVALUE, TWTY_UINT16, b).eResult);
    // An item type outside the standard's is not a "wrong type" whose Item is used.
    EXPECT_EQ(ESetParse::BadValue, ParseSetContainer(TWON_ONEVALUE, TWTY_UINT16, OneValue(0x0010, 1)).eResult);
    EXPECT_EQ(ESetParse::WrongType, ParseSetContainer(TWON_ONEVALUE, TWTY_UINT16, OneValue(TWTY_UINT32, 7)).eResult);
    // A frame or string ONEVALUE cut short.
    CapBytes frame = OneValue(TWTY_FRAME, 0);
    EXPECT_EQ(ESetParse::BadValue, ParseSetContainer(TWON_ONEVALUE, TWTY_FRAME, frame).eResult);
    frame.resize(2 + 16);
    EXPECT_EQ(ESetParse::Ok, ParseSetContainer(TWON_ONEVALUE, TWTY_FRAME, frame).eResult);
    // A string that fills its field without terminator.
    CapBytes str;
    Put(str, TWTY_STR32);
    str.resize(2 + 34, 'A');
    EXPECT_EQ(ESetParse::BadValue, ParseSetContainer(TWON_ONEVALUE, TWTY_STR32, str).eResult);
    str.back() = 0;
    SSetParse parse = ParseSetContainer(TWON_ONEVALUE, TWTY_STR32, str);
    ASSERT_EQ(ESetParse::Ok, parse.eResult);
    EXPECT_EQ(std::string(33, 'A'), std::string(reinterpret_cast<const char*>(parse.stored.data())));

    // Counts that do not fit in the block, including ones whose byte size overflows.
    CapBytes items = StoredU16({1, 2, 3});
    for (TW_UINT32 n : {0u, 4u, 0x80000000u, 0xFFFFFFFFu})
        EXPECT_EQ(ESetParse::BadValue, ParseSetContainer(TWON_ENUMERATION, TWTY_UINT16, Enumeration(TWTY_UINT16, n, items)).eResult) << n;
    parse = ParseSetContainer(TWON_ENUMERATION, TWTY_UINT16, Enumeration(TWTY_UINT16, 3, items));
    ASSERT_EQ(ESetParse::Ok, parse.eResult);
    EXPECT_EQ(StoredU16({3}), parse.stored);
    // One unterminated string anywhere in an enumeration refuses all of it.
    CapBytes strs(34 * 2, 'B');
    strs[33] = 0;
    EXPECT_EQ(ESetParse::BadValue, ParseSetContainer(TWON_ENUMERATION, TWTY_STR32, Enumeration(TWTY_STR32, 2, strs)).eResult);
    EXPECT_EQ(ESetParse::BadValue, ParseSetContainer(TWON_RANGE, TWTY_UINT16, OneValue(TWTY_UINT16, 1)).eResult);
}

TEST_F(CapabilityCore, TableFillsInOrderAndEmptiesWhole)
{
    EXPECT_EQ(45u, m_table.FilledSlots());
    ASSERT_EQ(TWRC_SUCCESS, Send(MSG_GET, CAP_SUPPORTEDCAPS));
    const CapBytes& ids = ReplyBytes();
    ASSERT_EQ(45u, Get<TW_UINT32>(ids, 2));
    const auto& descs = CapDescriptors();
    for (size_t i = 0; i < descs.size(); ++i)
        EXPECT_EQ(descs[i].wCapId, Get<TW_UINT16>(ids, 6 + 2 * i)) << i;
    m_table.Release();
    EXPECT_EQ(0u, m_table.FilledSlots());
    // A cleared slot has id 0 but is no capability 0.
    EXPECT_EQ(nullptr, m_table.Find(0));
    EXPECT_EQ(TWRC_FAILURE, Send(MSG_QUERYSUPPORT, 0));
    EXPECT_EQ(TWCC_CAPUNSUPPORTED, m_wCC);
}

TEST_F(CapabilityCore, NoMemoryAndUnlockableContainers)
{
    m_host.bFailAlloc = true;
    EXPECT_EQ(TWRC_FAILURE, Send(MSG_GET, ICAP_PIXELTYPE));
    EXPECT_EQ(TWCC_LOWMEMORY, m_wCC);
    EXPECT_EQ(nullptr, m_cap.hContainer);
    // A reset whose reply cannot be built changes nothing.
    CapBytes gray = OneValue(TWTY_UINT16, TWPT_GRAY);
    EXPECT_EQ(TWRC_SUCCESS, Send(MSG_SET, ICAP_PIXELTYPE, &gray));
    EXPECT_EQ(TWRC_FAILURE, Send(MSG_RESET, ICAP_PIXELTYPE));
    EXPECT_EQ(TWCC_LOWMEMORY, m_wCC);
    EXPECT_EQ(TWPT_GRAY, m_table.CurrentU16(ICAP_PIXELTYPE));
    m_host.bFailAlloc = false;
    ASSERT_EQ(TWRC_SUCCESS, Send(MSG_RESET, ICAP_PIXELTYPE));

    m_host.bFailLock = true;
    EXPECT_EQ(TWRC_FAILURE, Send(MSG_SET, ICAP_PIXELTYPE, &gray));
    EXPECT_EQ(TWCC_BADVALUE, m_wCC);
    EXPECT_EQ(TWPT_RGB, m_table.CurrentU16(ICAP_PIXELTYPE));
    m_host.bFailLock = false;
    EXPECT_EQ(TWRC_FAILURE, Send(MSG_SET, ICAP_PIXELTYPE, nullptr));
    EXPECT_EQ(TWCC_BADVALUE, m_wCC);
}

TEST_F(CapabilityCore, DeviceAndDialogSeams)
{
    m_host.bFeederLoaded = true;
    ASSERT_EQ(TWRC_SUCCESS, Send(MSG_GET, CAP_FEEDERLOADED));
    EXPECT_EQ(1u, Get<TW_UINT32>(ReplyBytes(), 2));
    m_host.bFeederLoaded = false;
    ASSERT_EQ(TWRC_SUCCESS, Send(MSG_GET, CAP_FEEDERLOADED));
    EXPECT_EQ(0u, Get<TW_UINT32>(ReplyBytes(), 2));

    // The merge question is asked only in file-output mode, and -1 (no dialog) keeps the value.
    g_bFileOutputMode = false;
    ASSERT_EQ(TWRC_SUCCESS, Send(MSG_GET, CAP_SHOW_MERGE_SCAN_DIALOG_FLAG));
    EXPECT_EQ(0, m_host.nMergeAsked);
    CapBytes on = OneValue(TWTY_BOOL, 1);
    ASSERT_EQ(TWRC_SUCCESS, Send(MSG_SET, CAP_FILE_OUTPUT_MODE_FLAG, &on));
    EXPECT_TRUE(g_bFileOutputMode);
    m_host.nMergeResult = 1;
    ASSERT_EQ(TWRC_SUCCESS, Send(MSG_GET, CAP_SHOW_MERGE_SCAN_DIALOG_FLAG));
    EXPECT_EQ(1u, Get<TW_UINT32>(ReplyBytes(), 2));
    m_host.nMergeResult = -1;
    ASSERT_EQ(TWRC_SUCCESS, Send(MSG_GET, CAP_SHOW_MERGE_SCAN_DIALOG_FLAG));
    EXPECT_EQ(1u, Get<TW_UINT32>(ReplyBytes(), 2));
    m_host.nMergeResult = 2;  // Finish
    ASSERT_EQ(TWRC_SUCCESS, Send(MSG_GET, CAP_SHOW_MERGE_SCAN_DIALOG_FLAG));
    EXPECT_EQ(0u, Get<TW_UINT32>(ReplyBytes(), 2));
    EXPECT_EQ(3, m_host.nMergeAsked);
    CapBytes off = OneValue(TWTY_BOOL, 0);
    Send(MSG_SET, CAP_FILE_OUTPUT_MODE_FLAG, &off);
    EXPECT_FALSE(g_bFileOutputMode);

    ASSERT_EQ(TWRC_SUCCESS, Send(MSG_GET, ICAP_PIXELFLAVOR));
    ASSERT_EQ(TWRC_SUCCESS, Send(MSG_GETCURRENT, ICAP_PIXELFLAVOR));
    EXPECT_EQ(1, m_host.nPixelFlavor);

    CapBytes autofeed = OneValue(TWTY_BOOL, 1);
    ASSERT_EQ(TWRC_SUCCESS, Send(MSG_SET, CAP_AUTOFEED, &autofeed));
    EXPECT_EQ(1, m_host.nAutoFeed);
}

TEST_F(CapabilityCore, FramesTravelLeftTopRightBottom)
{
    CapBytes frame;
    Put(frame, TWTY_FRAME);
    for (float f : {1.0f, 2.0f, 3.5f, 4.25f})
        Put(frame, FloatToFix32(f));
    ASSERT_EQ(TWRC_SUCCESS, Send(MSG_SET, ICAP_FRAMES, &frame));
    TW_FRAME cur = m_table.CurrentFrame();
    EXPECT_EQ(1, cur.Left.Whole);
    EXPECT_EQ(2, cur.Top.Whole);
    EXPECT_EQ(3, cur.Right.Whole);
    EXPECT_EQ(4, cur.Bottom.Whole);
    ASSERT_EQ(TWRC_SUCCESS, Send(MSG_GETCURRENT, ICAP_FRAMES));
    EXPECT_EQ(frame, ReplyBytes());
    m_table.SetCurrentFrame(TW_FRAME{{0, 0}, {0, 0}, {5, 0}, {6, 0}});
    ASSERT_EQ(TWRC_SUCCESS, Send(MSG_GETCURRENT, ICAP_FRAMES));
    EXPECT_EQ(5, Get<TW_INT16>(ReplyBytes(), 2 + 8));
}

TEST_F(CapabilityCore, CompatibilityRuleFollowsTheProtocol)
{
    // Protocol 2.x: no rule, whatever the minor number.
    EXPECT_EQ(TWRC_FAILURE, Send(MSG_RESET, CAP_AUTOFEED, nullptr, TWON_ONEVALUE, 1));
    EXPECT_EQ(TWCC_CAPBADOPERATION, m_wCC);
    m_cap = TW_CAPABILITY{CAP_AUTOFEED, TWON_ONEVALUE, nullptr};
    for (auto [wMajor, wMinor, wExpected] : {std::tuple{1, 5, TWCC_BADCAP}, {1, 6, TWCC_CAPBADOPERATION}, {0, 0, TWCC_BADCAP},
                                             {1, 0, TWCC_BADCAP}, {2, 0, TWCC_CAPBADOPERATION}}) {
        m_table.HandleCapMessage(MSG_RESET, &m_cap, m_wCC, wMajor, wMinor, m_host);
        EXPECT_EQ(wExpected, m_wCC) << wMajor << "." << wMinor;
    }
    // Codes below CAPUNSUPPORTED are kept.
    CapBytes bad = OneValue(TWTY_UINT32, 1);
    m_cap = TW_CAPABILITY{ICAP_PIXELTYPE, TWON_ONEVALUE, &bad};
    m_table.HandleCapMessage(MSG_SET, &m_cap, m_wCC, 1, 5, m_host);
    EXPECT_EQ(TWCC_BADVALUE, m_wCC);
}

TEST_F(CapabilityCore, ScanValuesFollowTheirCapabilities)
{
    CapBytes b = OneValue(TWTY_FIX32, Fix32Bits(FloatToFix32(300)));
    ASSERT_EQ(TWRC_SUCCESS, Send(MSG_SET, ICAP_XRESOLUTION, &b));
    EXPECT_EQ(300, g_nResolution);
    // Refused and not taken: the scan controller keeps what the application was granted.
    b = OneValue(TWTY_FIX32, Fix32Bits(FloatToFix32(200.75f)));
    EXPECT_EQ(TWRC_FAILURE, Send(MSG_SET, ICAP_XRESOLUTION, &b));
    EXPECT_EQ(TWCC_BADVALUE, m_wCC);
    EXPECT_EQ(300, g_nResolution);
    // Through an enumeration no side effect runs.
    CapBytes item;
    Put(item, FloatToFix32(600));
    CapBytes e = Enumeration(TWTY_FIX32, 1, item);
    ASSERT_EQ(TWRC_SUCCESS, Send(MSG_SET, ICAP_XRESOLUTION, &e, TWON_ENUMERATION));
    EXPECT_EQ(300, g_nResolution);

    for (auto [wPixel, nBits] : {std::pair{TWPT_BW, 1}, {TWPT_GRAY, 8}, {TWPT_RGB, 24}}) {
        b = OneValue(TWTY_UINT16, wPixel);
        ASSERT_EQ(TWRC_SUCCESS, Send(MSG_SET, ICAP_PIXELTYPE, &b));
        EXPECT_EQ(nBits, g_nColorMode);
    }
    b = OneValue(TWTY_UINT16, TWPT_PALETTE);
    EXPECT_EQ(TWRC_FAILURE, Send(MSG_SET, ICAP_PIXELTYPE, &b));
    EXPECT_EQ(24, g_nColorMode);
    // The 32-bit bit depth sets the colour mode, and is refused all the same.
    b = OneValue(TWTY_UINT32, 8);
    EXPECT_EQ(TWRC_FAILURE, Send(MSG_SET, ICAP_BITDEPTH, &b));
    EXPECT_EQ(8, g_nColorMode);

    CapBytes on = OneValue(TWTY_BOOL, 1), off = OneValue(TWTY_BOOL, 0);
    ASSERT_EQ(TWRC_SUCCESS, Send(MSG_SET, CAP_DUPLEXENABLED, &on));
    EXPECT_EQ(0, g_nScanSource);
    ASSERT_EQ(TWRC_SUCCESS, Send(MSG_SET, CAP_FEEDERENABLED, &on));
    EXPECT_EQ(2, g_nScanSource);
    ASSERT_EQ(TWRC_SUCCESS, Send(MSG_SET, CAP_DUPLEXENABLED, &off));
    EXPECT_EQ(1, g_nScanSource);
    ASSERT_EQ(TWRC_SUCCESS, Send(MSG_SET, CAP_FEEDERENABLED, &off));
    EXPECT_EQ(0, g_nScanSource);
    b = OneValue(TWTY_UINT32, 1);
    EXPECT_EQ(TWRC_FAILURE, Send(MSG_SET, CAP_FEEDERENABLED, &b));
    EXPECT_EQ(1, g_nScanSource);
    EXPECT_EQ(1, m_table.CurrentU16(CAP_FEEDERENABLED));

    b = OneValue(TWTY_UINT16, TWSS_A3);
    ASSERT_EQ(TWRC_SUCCESS, Send(MSG_SET, ICAP_SUPPORTEDSIZES, &b));
    EXPECT_EQ(TWSS_A3, g_nScanSize);
    ASSERT_EQ(TWRC_SUCCESS, Send(MSG_SET, CAP_NO_SCAN_PARAM_ADJ_FLAG, &on));
    EXPECT_TRUE(g_bNoScanParamAdj);
    // A reset restores the value but runs no side effect.
    ASSERT_EQ(TWRC_SUCCESS, Send(MSG_RESET, CAP_NO_SCAN_PARAM_ADJ_FLAG));
    EXPECT_TRUE(g_bNoScanParamAdj);
    EXPECT_EQ(0, m_table.CurrentU16(CAP_NO_SCAN_PARAM_ADJ_FLAG));
    g_bNoScanParamAdj = false;
}

TEST_F(CapabilityCore, BitDepthFollowsThePixelTypeAndTheFormatOnlyItsList)
{
    for (auto [wPixel, wDepth] : {std::pair<TW_UINT16, TW_UINT16>{TWPT_BW, 1}, {TWPT_GRAY, 8}, {TWPT_RGB, 24}}) {
        CapBytes b = OneValue(TWTY_UINT16, wPixel);
        ASSERT_EQ(TWRC_SUCCESS, Send(MSG_SET, ICAP_PIXELTYPE, &b));
        ASSERT_EQ(TWRC_SUCCESS, Send(MSG_GET, ICAP_BITDEPTH));
        EXPECT_EQ(1u, Get<TW_UINT32>(ReplyBytes(), 2));
        EXPECT_EQ(wDepth, Get<TW_UINT16>(ReplyBytes(), 14));
        b = OneValue(TWTY_UINT16, wDepth == 8 ? 24 : 8);
        EXPECT_EQ(TWRC_FAILURE, Send(MSG_SET, ICAP_BITDEPTH, &b));
    }
    // A reset of the pixel type is followed as well.
    CapBytes b = OneValue(TWTY_UINT16, TWPT_GRAY);
    ASSERT_EQ(TWRC_SUCCESS, Send(MSG_SET, ICAP_PIXELTYPE, &b));
    ASSERT_EQ(TWRC_SUCCESS, Send(MSG_RESET, ICAP_PIXELTYPE));
    ASSERT_EQ(TWRC_SUCCESS, Send(MSG_GETCURRENT, ICAP_BITDEPTH));
    EXPECT_EQ(24u, Get<TW_UINT32>(ReplyBytes(), 2));
    EXPECT_FALSE(m_table.SetCurrentU16(ICAP_IMAGEFILEFORMAT, 7 /* TWFF_PNG */));
    EXPECT_TRUE(m_table.SetCurrentU16(ICAP_IMAGEFILEFORMAT, TWFF_TIFF));
    EXPECT_EQ(TWFF_TIFF, m_table.CurrentU16(ICAP_IMAGEFILEFORMAT));
}
