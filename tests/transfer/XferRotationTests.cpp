// The page rotation setting through the data source, scanned from the dialog that opens on the
// user's setting: settings 1 (a quarter turn clockwise), 2 (a quarter turn the other way) and 3
// (half a turn) swap or keep the sizes in image info and deliver the simulator's page turned;
// manual duplex turns the backs of the turned stack.
#include <gtest/gtest.h>

#include <string>

#include "AcquisitionFixture.h"

using namespace xfertest;

namespace {

constexpr int kA6 = 2;  // in the flatbed's and the feeder's paper lists
constexpr int k75Dpi = 0;

// Rows top first turned as the setting says; nBytes per pixel (1 or 3). Setting 2 puts the
// right edge at the top, setting 1 the left edge.
CRows Turned(const CRows& rows, int nSetting, int nBytes)
{
    const size_t nH = rows.size(), nW = rows.empty() ? 0 : rows[0].size() / nBytes;
    const bool bQuarter = nSetting == 1 || nSetting == 2;
    CRows out(bQuarter ? nW : nH, std::vector<uint8_t>((bQuarter ? nH : nW) * nBytes));
    for (size_t r = 0; r < out.size(); ++r)
        for (size_t c = 0; c < out[r].size() / nBytes; ++c) {
            size_t sy = 0, sx = 0;
            if (nSetting == 1) {
                sy = nH - 1 - c;
                sx = r;
            } else if (nSetting == 2) {
                sy = c;
                sx = nW - 1 - r;
            } else {
                sy = nH - 1 - r;
                sx = nW - 1 - c;
            }
            for (int b = 0; b < nBytes; ++b)
                out[r][c * nBytes + b] = rows[sy][sx * nBytes + b];
        }
    return out;
}

}  // namespace

TEST(XferRotation, EachSettingTurnsThePageAndReportsItsSize)
{
    for (int nType : {1, 2}) {
        for (int nSetting : {1, 2, 3}) {
            SCOPED_TRACE(testing::Message() << "pixel type " << nType << ", setting " << nSetting);
            CAcquisition acq;
            SScanParamRecord rec = TestRecord(0, nType, k75Dpi, kA6);
            rec.nRotation = nSetting;
            ASSERT_TRUE(acq.StoreSetting(rec));
            ASSERT_EQ(acq.Src().Open(), TWRC_SUCCESS);
            ASSERT_EQ(acq.ScanFromDialog(), TWRC_SUCCESS);
            TW_IMAGEINFO info{};
            ASSERT_EQ(acq.Src().Call(DG_IMAGE, DAT_IMAGEINFO, MSG_GET, &info), TWRC_SUCCESS);
            TW_UINT16 rc = 0;
            CRows got = NativeRows(acq, &rc);
            ASSERT_EQ(rc, TWRC_XFERDONE);
            const int nBytes = nType == 2 ? 3 : 1;
            CRows want = Turned(ExpectedPage(acq.LastDeviceParams()), nSetting, nBytes);
            ASSERT_FALSE(want.empty());
            EXPECT_EQ(info.ImageWidth, static_cast<TW_INT32>(want[0].size() / nBytes));
            EXPECT_EQ(info.ImageLength, static_cast<TW_INT32>(want.size()));
            // A6 is taller than wide: a quarter turn shows in the sizes.
            EXPECT_EQ(info.ImageWidth > info.ImageLength, nSetting != 3);
            EXPECT_TRUE(got == want);
            TW_PENDINGXFERS pending{};
            EXPECT_EQ(acq.Src().Control(DAT_PENDINGXFERS, MSG_ENDXFER, &pending), TWRC_SUCCESS);
            EXPECT_EQ(acq.Disable(), TWRC_SUCCESS);
        }
    }
}

TEST(XferRotation, ManualDuplexTurnsTheBacksHalfATurnMore)
{
    // Fronts first, then the turned stack: backs last sheet first, upside down on the glass.
    // For the backs setting 0 becomes 3 and setting 1 becomes 2.
    for (int nSetting : {0, 1}) {
        SCOPED_TRACE(testing::Message() << "setting " << nSetting);
        mvltest::CScopedEnv duplex(L"mvlTWAINseamManualDuplex", L"1");
        CAcquisition acq("FeederSheets=2\r\nManualDuplexWaitMs=100\r\n");
        SScanParamRecord rec = TestRecord(1, 1, k75Dpi, kA6);
        rec.nRotation = nSetting;
        ASSERT_TRUE(acq.StoreSetting(rec));
        ASSERT_EQ(acq.Src().Open(), TWRC_SUCCESS);
        ASSERT_EQ(acq.ScanFromDialog(), TWRC_SUCCESS);
        const std::pair<int, int> pages[] = {{1, 0}, {2, 0}, {2, 1}, {1, 1}};
        for (size_t i = 0; i < 4; ++i) {
            SCOPED_TRACE(testing::Message() << "page " << i + 1);
            TW_UINT16 rc = 0;
            CRows got = NativeRows(acq, &rc);
            ASSERT_EQ(rc, TWRC_XFERDONE);
            SDeviceParams dev = acq.LastDeviceParams();
            EXPECT_EQ(dev.nSource, 2);  // the device's manual duplex
            const bool bBack = pages[i].second == 1;
            SChartRequest req;
            req.nPage = pages[i].first;
            req.nSide = pages[i].second;
            req.nDpi = dev.nDpi;
            req.nMode = dev.nMode;
            req.nThreshold = dev.nThreshold;
            req.area = dev.area;
            req.placement.bUpsideDown = bBack;
            CRows scanned = CChartRenderer(req).RenderAll();
            const int nApplied = !bBack ? nSetting : nSetting == 0 ? 3 : 2;
            EXPECT_TRUE(got == (nApplied == 0 ? scanned : Turned(scanned, nApplied, 1)));
            TW_PENDINGXFERS pending{};
            ASSERT_EQ(acq.Src().Control(DAT_PENDINGXFERS, MSG_ENDXFER, &pending), TWRC_SUCCESS);
            EXPECT_EQ(pending.Count, i < 3 ? 1 : 0);
        }
        EXPECT_TRUE(acq.Src().Trace().Contains("eScnrNotify_endMannalDuplexWait"));
        EXPECT_EQ(acq.Disable(), TWRC_SUCCESS);
    }
}
