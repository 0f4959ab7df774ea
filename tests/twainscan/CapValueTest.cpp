// Capability containers: reading what sources return, bounded by the memory it came in,
// and building the single values the tool sets.
#include <gtest/gtest.h>

#include <cstring>

#include "twain/TwainTypes.h"
#include "twainscan/CapValue.h"
#include "twainscan/TwainNames.h"

namespace {

std::vector<std::uint8_t> Enumeration(TW_UINT16 wType, std::vector<std::uint32_t> items, std::uint32_t nCur,
                                      std::uint32_t nDef, std::uint32_t nClaimed = 0xFFFFFFFF)
{
    size_t nItem = CapItemSize(wType);
    std::vector<std::uint8_t> b(14 + items.size() * nItem);
    std::uint32_t nCount = nClaimed == 0xFFFFFFFF ? static_cast<std::uint32_t>(items.size()) : nClaimed;
    memcpy(b.data(), &wType, 2);
    memcpy(b.data() + 2, &nCount, 4);
    memcpy(b.data() + 6, &nCur, 4);
    memcpy(b.data() + 10, &nDef, 4);
    for (size_t i = 0; i < items.size(); ++i)
        memcpy(b.data() + 14 + i * nItem, &items[i], nItem);
    return b;
}

std::uint32_t Fix(double d)
{
    CapItem item = NumberItem(TWTY_FIX32, d);
    std::uint32_t n;
    memcpy(&n, item.data(), 4);
    return n;
}

}  // namespace

TEST(CapValue, OneValueOfEachSize)
{
    TW_ONEVALUE one{TWTY_INT16, 0xFFFF};
    SCapValue v;
    std::string sError;
    ASSERT_TRUE(ParseCapContainer(TWON_ONEVALUE, reinterpret_cast<std::uint8_t*>(&one), sizeof(one), &v, &sError));
    EXPECT_EQ("current -1", DescribeCapValue(v));
    EXPECT_EQ(-1.0, *CurrentNumber(v));
    one = TW_ONEVALUE{TWTY_BOOL, 1};
    ASSERT_TRUE(ParseCapContainer(TWON_ONEVALUE, reinterpret_cast<std::uint8_t*>(&one), sizeof(one), &v, &sError));
    EXPECT_EQ("current TRUE", DescribeCapValue(v));
    // A string value is longer than the Item field; cut short it is refused.
    std::vector<std::uint8_t> str(2 + 34, 0);
    str[0] = TWTY_STR32;
    memcpy(str.data() + 2, "abc", 3);
    ASSERT_TRUE(ParseCapContainer(TWON_ONEVALUE, str.data(), str.size(), &v, &sError));
    EXPECT_EQ("current \"abc\"", DescribeCapValue(v));
    EXPECT_FALSE(CurrentNumber(v));
    EXPECT_FALSE(ParseCapContainer(TWON_ONEVALUE, str.data(), 20, &v, &sError));
    EXPECT_FALSE(ParseCapContainer(TWON_ONEVALUE, str.data(), 1, &v, &sError));
    EXPECT_FALSE(ParseCapContainer(TWON_ONEVALUE, nullptr, 10, &v, &sError));
}

TEST(CapValue, EnumerationWithCurrentAndDefault)
{
    auto b = Enumeration(TWTY_FIX32, {Fix(50), Fix(100), Fix(300)}, 1, 2);
    SCapValue v;
    std::string sError;
    ASSERT_TRUE(ParseCapContainer(TWON_ENUMERATION, b.data(), b.size(), &v, &sError)) << sError;
    EXPECT_EQ("current 100, default 300, allowed 50, 100, 300", DescribeCapValue(v));
    EXPECT_EQ(100.0, *CurrentNumber(v));
}

TEST(CapValue, CountsLargerThanTheContainerAreRefused)
{
    SCapValue v;
    std::string sError;
    auto b = Enumeration(TWTY_UINT16, {1, 2, 3}, 0, 0, 4);
    EXPECT_FALSE(ParseCapContainer(TWON_ENUMERATION, b.data(), b.size(), &v, &sError));
    EXPECT_EQ("item count larger than the container", sError);
    // A count so large that count times item size wraps.
    b = Enumeration(TWTY_UINT32, {1}, 0, 0, 0x40000001);
    EXPECT_FALSE(ParseCapContainer(TWON_ENUMERATION, b.data(), b.size(), &v, &sError));
    b = Enumeration(TWTY_UINT16, {1, 2}, 2, 0);
    EXPECT_FALSE(ParseCapContainer(TWON_ENUMERATION, b.data(), b.size(), &v, &sError));
    EXPECT_EQ("current or default index outside the list", sError);
    b = Enumeration(TWTY_UINT16, {1, 2}, 0, 0);
    EXPECT_FALSE(ParseCapContainer(TWON_ENUMERATION, b.data(), 13, &v, &sError));
    EXPECT_FALSE(ParseCapContainer(99, b.data(), b.size(), &v, &sError));
    b[0] = 0x42;
    EXPECT_FALSE(ParseCapContainer(TWON_ENUMERATION, b.data(), b.size(), &v, &sError));
    EXPECT_EQ("unknown item type", sError);
}

TEST(CapValue, ArrayAndRange)
{
    std::vector<std::uint8_t> arr{TWTY_UINT16, 0, 2, 0, 0, 0, 0x01, 0x00, 0x01, 0x11};
    SCapValue v;
    std::string sError;
    ASSERT_TRUE(ParseCapContainer(TWON_ARRAY, arr.data(), arr.size(), &v, &sError));
    EXPECT_EQ("values 1, 4353", DescribeCapValue(v));
    EXPECT_FALSE(ParseCapContainer(TWON_ARRAY, arr.data(), arr.size() - 1, &v, &sError));
    TW_RANGE range{TWTY_FIX32, Fix(-1000), Fix(1000), Fix(0.5), Fix(0), Fix(-2.25)};
    ASSERT_TRUE(ParseCapContainer(TWON_RANGE, reinterpret_cast<std::uint8_t*>(&range), sizeof(range), &v, &sError));
    EXPECT_EQ("current -2.25, default 0, allowed -1000 to 1000 step 0.5", DescribeCapValue(v));
    EXPECT_EQ(-2.25, *CurrentNumber(v));
    EXPECT_FALSE(
        ParseCapContainer(TWON_RANGE, reinterpret_cast<std::uint8_t*>(&range), sizeof(range) - 1, &v, &sError));
}

TEST(CapValue, EncodingChecksTheItemType)
{
    CapItem item;
    std::string sError;
    ASSERT_TRUE(EncodeCapItem(TWTY_FIX32, "-1.5", &item, &sError));
    TW_FIX32 fix;
    memcpy(&fix, item.data(), 4);
    EXPECT_EQ(-2, fix.Whole);
    EXPECT_EQ(0x8000, fix.Frac);
    ASSERT_TRUE(EncodeCapItem(TWTY_INT16, "-1", &item, &sError));
    EXPECT_EQ((CapItem{0xFF, 0xFF}), item);
    EXPECT_FALSE(EncodeCapItem(TWTY_INT16, "32768", &item, &sError));
    EXPECT_FALSE(EncodeCapItem(TWTY_UINT16, "-1", &item, &sError));
    EXPECT_FALSE(EncodeCapItem(TWTY_UINT16, "1.5", &item, &sError));
    EXPECT_FALSE(EncodeCapItem(TWTY_UINT8, "256", &item, &sError));
    EXPECT_FALSE(EncodeCapItem(TWTY_UINT32, "abc", &item, &sError));
    EXPECT_FALSE(EncodeCapItem(TWTY_FIX32, "40000", &item, &sError));
    ASSERT_TRUE(EncodeCapItem(TWTY_BOOL, "TRUE", &item, &sError));
    EXPECT_EQ((CapItem{1, 0}), item);
    ASSERT_TRUE(EncodeCapItem(TWTY_BOOL, "no", &item, &sError));
    EXPECT_EQ((CapItem{0, 0}), item);
    EXPECT_FALSE(EncodeCapItem(TWTY_BOOL, "2", &item, &sError));
    ASSERT_TRUE(EncodeCapItem(TWTY_STR32, "author", &item, &sError));
    EXPECT_EQ(34u, item.size());
    EXPECT_FALSE(EncodeCapItem(TWTY_STR32, std::string(33, 'a'), &item, &sError));
    EXPECT_FALSE(EncodeCapItem(TWTY_FRAME, "1", &item, &sError));
}

TEST(CapValue, OneValueBytesFillTheItemField)
{
    std::vector<std::uint8_t> b = OneValueBytes(TWTY_UINT16, CapItem{2, 0});
    EXPECT_EQ(sizeof(TW_ONEVALUE), b.size());
    EXPECT_EQ(TWTY_UINT16, b[0]);
    EXPECT_EQ(2, b[2]);
    EXPECT_EQ(2u + 130u, OneValueBytes(TWTY_STR128, CapItem(130, 0)).size());
}

TEST(TwainNames, NamesAndWords)
{
    EXPECT_STREQ("ICAP_XRESOLUTION", CapabilityName(ICAP_XRESOLUTION));
    EXPECT_STREQ("", CapabilityName(0x8123));
    EXPECT_EQ(ICAP_XRESOLUTION, *CapabilityFromText("icap_xresolution"));
    EXPECT_EQ(0x8123, *CapabilityFromText("0x8123"));
    EXPECT_FALSE(CapabilityFromText(""));
    EXPECT_FALSE(CapabilityFromText("12ab"));
    EXPECT_STREQ("TWCC_MAXCONNECTIONS", ConditionCodeName(TWCC_MAXCONNECTIONS));
    EXPECT_STREQ("paper jam in the feeder", ConditionCodeText(TWCC_PAPERJAM));
    EXPECT_STREQ("unknown condition", ConditionCodeText(999));
    EXPECT_STREQ("MSG_PROCESSEVENT", MsgName(MSG_PROCESSEVENT));
    EXPECT_STREQ("DAT_IMAGEMEMXFER", DatName(DAT_IMAGEMEMXFER));
    EXPECT_STREQ("TWRC_XFERDONE", ReturnCodeName(TWRC_XFERDONE));
}
