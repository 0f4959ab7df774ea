#include "device/DevMonStatus.h"

#include <gtest/gtest.h>

namespace {

TEST(DevMonStatus, RawCodeMapping)
{
    const int expected[28] = {0,   -1,  200, -21, -4,  0,   -7,  -73, -72, -12, -1,  -1,  -210, -74,
                              -9,  -75, -76, -77, -78, -79, -80, -81, -82, -83, -1,  -1,  -84,  0};
    for (int r = 0; r < 28; ++r)
        EXPECT_EQ(MapDrvCode(r), expected[r]) << r;
    EXPECT_EQ(MapDrvCode(28), -1);
    EXPECT_EQ(MapDrvCode(-3), -1);
    EXPECT_EQ(MapDrvCode(0x100000000LL), -1);
}

TEST(DevMonStatus, MessageTable)
{
    EXPECT_EQ(DevErrorMessageId(0, -21, false), 1104);
    EXPECT_EQ(DevErrorMessageId(0, -1, false), 1101);
    EXPECT_EQ(DevErrorMessageId(0, -1, true), 1154);
    EXPECT_EQ(DevErrorMessageId(1, -73, false), 1139);
    EXPECT_EQ(DevErrorMessageId(1, -72, false), 1143);
    EXPECT_EQ(DevErrorMessageId(1, -7, false), 1140);
    EXPECT_EQ(DevErrorMessageId(1, -83, true), 1103);
    EXPECT_EQ(DevErrorMessageId(2, -78, false), 1152);
    EXPECT_EQ(DevErrorMessageId(2, -1, false), 1103);
    EXPECT_EQ(DevErrorMessageId(6, -210, true), 1154);
    EXPECT_EQ(DevErrorMessageId(6, -4, false), 1101);
    EXPECT_EQ(DevErrorMessageId(6, -100, false), 1105);
    EXPECT_EQ(DevErrorMessageId(6, -84, false), 1105);
    EXPECT_EQ(DevErrorMessageId(6, -82, false), 1162);
    EXPECT_EQ(DevErrorMessageId(6, -81, false), 1160);
    EXPECT_EQ(DevErrorMessageId(6, -80, false), 1155);
    EXPECT_EQ(DevErrorMessageId(6, -79, false), 1153);
    EXPECT_EQ(DevErrorMessageId(6, -77, false), 1151);
    EXPECT_EQ(DevErrorMessageId(6, -76, false), 1149);
    EXPECT_EQ(DevErrorMessageId(6, -75, false), 1103);
    EXPECT_EQ(DevErrorMessageId(21, -85, false), 1186);
    EXPECT_EQ(DevErrorMessageId(21, -1, false), 1185);
    EXPECT_EQ(DevErrorMessageId(13, -21, false), 1103);
    EXPECT_EQ(DevErrorMessageId(10, -1, true), 1103);
    EXPECT_TRUE(ShouldShowDevError(1, -1));
    EXPECT_FALSE(ShouldShowDevError(1, 0));
    EXPECT_FALSE(ShouldShowDevError(6, 200));
    EXPECT_TRUE(ShouldShowDevError(5, 0));
}

}  // namespace
