// Headless acquisition through the data source: enable without the dialog, image info,
// native transfer, end of transfer, disable, close; pages compared with the simulator's
// own rendering pixel for pixel.
#include <gtest/gtest.h>

#include <cstring>

#include "AcquisitionFixture.h"

using namespace xfertest;

namespace {

uint32_t Get32(const uint8_t* p) { return p[0] | p[1] << 8 | p[2] << 16 | uint32_t(p[3]) << 24; }

struct SGlobalFree {
    void operator()(void* h) const { GlobalFree(h); }
};

// Compares a packed DIB with the expected page, rows top first in spool order.
::testing::AssertionResult DibMatches(const uint8_t* pDib, const std::vector<std::vector<uint8_t>>& rows, int nBits)
{
    const uint32_t nWidth = Get32(pDib + 4), nHeight = Get32(pDib + 8);
    if (nHeight != rows.size())
        return ::testing::AssertionFailure() << "height " << nHeight << " expected " << rows.size();
    const uint32_t nRowBytes = (nWidth * nBits + 7) / 8;
    const uint32_t nStride = (nRowBytes + 3) / 4 * 4;
    const uint32_t nColours = nBits == 1 ? 2 : nBits == 8 ? 256 : 0;
    const uint8_t* pPixels = pDib + 40 + 4 * nColours;
    for (uint32_t y = 0; y < nHeight; ++y) {
        const uint8_t* pRow = pPixels + size_t(nHeight - 1 - y) * nStride;
        const auto& want = rows[y];
        if (want.size() != nRowBytes)
            return ::testing::AssertionFailure() << "row bytes " << nRowBytes << " expected " << want.size();
        for (uint32_t x = 0; x < nRowBytes; ++x) {
            uint32_t nSrc = nBits == 24 ? x / 3 * 3 + (2 - x % 3) : x;
            if (pRow[x] != want[nSrc])
                return ::testing::AssertionFailure() << "row " << y << " byte " << x;
        }
        for (uint32_t x = nRowBytes; x < nStride; ++x)
            if (pRow[x] != 0)
                return ::testing::AssertionFailure() << "pad byte of row " << y;
    }
    return ::testing::AssertionSuccess();
}

}  // namespace

TEST(XferNative, FlatbedPageInEachModeAndResolutionMatchesTheScanner)
{
    ASSERT_TRUE(CXferDsm::Instance().Loaded());
    const size_t nSpoolsBefore = SpoolFileCount();
    for (int nType : {0, 1, 2}) {
        for (int nDpi : {75, 300, 600}) {
            SCOPED_TRACE(testing::Message() << "pixel type " << nType << ", " << nDpi << " dpi");
            CAcquisition acq;
            ASSERT_TRUE(acq.Src().Loaded());
            ASSERT_EQ(acq.Src().Open(), TWRC_SUCCESS);
            ASSERT_TRUE(acq.Configure(nType, nDpi, 13 /* A6 */, 0));
            ASSERT_EQ(acq.Enable(), TWRC_SUCCESS);
            EXPECT_EQ(acq.Calls(MSG_XFERREADY), 1);

            TW_IMAGEINFO info{};
            ASSERT_EQ(acq.Src().Call(DG_IMAGE, DAT_IMAGEINFO, MSG_GET, &info), TWRC_SUCCESS);
            const int nBits = nType == 0 ? 1 : nType == 1 ? 8 : 24;
            EXPECT_EQ(info.BitsPerPixel, nBits);
            EXPECT_EQ(info.PixelType, nType);
            EXPECT_EQ(info.XResolution.Whole, nDpi);

            TW_HANDLE hDib = nullptr;
            ASSERT_EQ(acq.Src().Call(DG_IMAGE, DAT_IMAGENATIVEXFER, MSG_GET, &hDib), TWRC_XFERDONE);
            ASSERT_NE(hDib, nullptr);
            std::unique_ptr<void, SGlobalFree> owner(hDib);
            const auto* pDib = static_cast<const uint8_t*>(GlobalLock(hDib));
            ASSERT_NE(pDib, nullptr);
            SDeviceParams dev = acq.LastDeviceParams();
            ASSERT_TRUE(dev.bFound);
            auto rows = ExpectedPage(dev);
            EXPECT_EQ(Get32(pDib + 4), static_cast<uint32_t>(info.ImageWidth));
            EXPECT_EQ(Get32(pDib + 8), static_cast<uint32_t>(info.ImageLength));
            EXPECT_TRUE(DibMatches(pDib, rows, nBits));
            if (nDpi == 300) {
                EXPECT_EQ(Get32(pDib + 24), 11811u);
            }
            GlobalUnlock(hDib);
            // Not while the application is still inside its transfer.
            EXPECT_EQ(acq.Calls(MSG_CLOSEDSREQ), 0);

            TW_PENDINGXFERS pending{};
            EXPECT_EQ(acq.Src().Control(DAT_PENDINGXFERS, MSG_ENDXFER, &pending), TWRC_SUCCESS);
            EXPECT_EQ(pending.Count, 0);
            acq.Pump();
            EXPECT_EQ(acq.Calls(MSG_CLOSEDSREQ), 1);
            EXPECT_EQ(acq.Disable(), TWRC_SUCCESS);
            EXPECT_EQ(acq.Src().Close(), TWRC_SUCCESS);
        }
    }
    EXPECT_EQ(SpoolFileCount(), nSpoolsBefore);
}

TEST(XferNative, ReadErrorMidPageCancelsAndAsksToClose)
{
    CAcquisition acq("", "ReadErrorLine=40\r\nReadErrorCode=1\r\n");
    ASSERT_EQ(acq.Src().Open(), TWRC_SUCCESS);
    ASSERT_TRUE(acq.Configure(1, 75, 13, 0));
    ASSERT_EQ(acq.Enable(), TWRC_SUCCESS);
    TW_HANDLE hDib = reinterpret_cast<TW_HANDLE>(1);
    EXPECT_EQ(acq.Src().Call(DG_IMAGE, DAT_IMAGENATIVEXFER, MSG_GET, &hDib), TWRC_CANCEL);
    EXPECT_EQ(hDib, nullptr);
    acq.Pump();
    // State 5: image info is refused there, and the application is asked to close.
    TW_IMAGEINFO info{};
    EXPECT_EQ(acq.Src().Call(DG_IMAGE, DAT_IMAGEINFO, MSG_GET, &info), TWRC_FAILURE);
    EXPECT_EQ(acq.Src().Status(), TWCC_SEQERROR);
    EXPECT_EQ(acq.Calls(MSG_CLOSEDSREQ), 1);
    EXPECT_EQ(acq.Disable(), TWRC_SUCCESS);
}

TEST(XferNative, PageEndingEarlyKeepsTheRowsRead)
{
    CAcquisition acq("", "EofAtLine=50\r\n");
    ASSERT_EQ(acq.Src().Open(), TWRC_SUCCESS);
    ASSERT_TRUE(acq.Configure(1, 75, 13, 0));
    ASSERT_EQ(acq.Enable(), TWRC_SUCCESS);
    TW_HANDLE hDib = nullptr;
    ASSERT_EQ(acq.Src().Call(DG_IMAGE, DAT_IMAGENATIVEXFER, MSG_GET, &hDib), TWRC_XFERDONE);
    ASSERT_NE(hDib, nullptr);
    std::unique_ptr<void, SGlobalFree> owner(hDib);
    const auto* pDib = static_cast<const uint8_t*>(GlobalLock(hDib));
    auto rows = ExpectedPage(acq.LastDeviceParams());
    ASSERT_GT(rows.size(), 50u);
    rows.resize(50);
    EXPECT_TRUE(DibMatches(pDib, rows, 8));
    GlobalUnlock(hDib);
    EXPECT_TRUE(acq.Src().Trace().Contains("DevMon_ReadScanData return ScanDrv_STATUS_EOF"));
    EXPECT_TRUE(acq.Src().Trace().Contains("not equal height(50)"));
}

namespace {

TW_FIX32 Fix(double d)
{
    TW_INT32 n = static_cast<TW_INT32>(d * 65536.0 + 0.5);
    return TW_FIX32{static_cast<TW_INT16>(n >> 16), static_cast<TW_UINT16>(n & 0xFFFF)};
}

}  // namespace

TEST(XferNative, ApplicationFrameIsTheScanAreaKeptOnThePlaten)
{
    struct SCase {
        double l, t, r, b;
        int nWidth, nHeight, nLeft1200, nTop1200;
    };
    // A frame inside the platen; one reaching past it (cut to 8.503937 x 11.692913 in); an
    // empty one, which leaves the A6 paper in charge (105 x 148 mm).
    const SCase cases[] = {
        {1.0, 1.0, 3.0, 2.5, 150, 113, 1200, 1200},
        {-1.0, 0.5, 20.0, 30.0, 638, 840, 0, 600},
        {2.0, 2.0, 2.0, 5.0, 311, 438, 0, 0},
    };
    for (const SCase& c : cases) {
        SCOPED_TRACE(testing::Message() << "frame " << c.l << " " << c.t << " " << c.r << " " << c.b);
        CAcquisition acq;
        ASSERT_EQ(acq.Src().Open(), TWRC_SUCCESS);
        ASSERT_TRUE(acq.Configure(1, 75, 13, 0));
        TW_IMAGELAYOUT layout{};
        layout.Frame = {Fix(c.l), Fix(c.t), Fix(c.r), Fix(c.b)};
        if (c.l < 0)
            layout.Frame.Left = TW_FIX32{-1, 0};
        ASSERT_EQ(acq.Src().Call(DG_IMAGE, DAT_IMAGELAYOUT, MSG_SET, &layout), TWRC_SUCCESS);
        ASSERT_EQ(acq.Enable(), TWRC_SUCCESS);
        TW_IMAGEINFO info{};
        ASSERT_EQ(acq.Src().Call(DG_IMAGE, DAT_IMAGEINFO, MSG_GET, &info), TWRC_SUCCESS);
        EXPECT_EQ(info.ImageWidth, c.nWidth);
        EXPECT_EQ(info.ImageLength, c.nHeight);
        TW_HANDLE hDib = nullptr;
        ASSERT_EQ(acq.Src().Call(DG_IMAGE, DAT_IMAGENATIVEXFER, MSG_GET, &hDib), TWRC_XFERDONE);
        std::unique_ptr<void, SGlobalFree> owner(hDib);
        SDeviceParams dev = acq.LastDeviceParams();
        EXPECT_EQ(dev.area.nLeft, c.nLeft1200);
        EXPECT_EQ(dev.area.nTop, c.nTop1200);
        EXPECT_TRUE(DibMatches(static_cast<const uint8_t*>(GlobalLock(hDib)), ExpectedPage(dev), 8));
        GlobalUnlock(hDib);
        EXPECT_EQ(acq.Disable(), TWRC_SUCCESS);
    }
}
