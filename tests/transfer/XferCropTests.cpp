// Automatic crop and deskew for an application that scans without the dialog: a skewed sheet
// on the platen comes out cropped to the sheet and straight, by native and by file transfer,
// each scanned once; a feeder batch with crop loses no page.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <fstream>
#include <iterator>

#include "AcquisitionFixture.h"

using namespace xfertest;
namespace fs = std::filesystem;

namespace {

constexpr int kTwssUsLegal = 4;  // maps to the flatbed's full-platen paper
constexpr int kTwssA3 = 11;      // maps to the feeder's custom area on an A4 model
constexpr int kDpi = 150;

uint32_t Get32(const uint8_t* p) { return p[0] | p[1] << 8 | p[2] << 16 | uint32_t(p[3]) << 24; }

double Pixels(double dMm) { return dMm * kDpi / 25.4; }

// An 8-bit packed DIB read top row first.
class CGreyDib {
public:
    explicit CGreyDib(const uint8_t* pDib)
        : m_p(pDib), m_nWidth(static_cast<int>(Get32(pDib + 4))), m_nHeight(static_cast<int>(Get32(pDib + 8)))
    {
    }
    int Width() const { return m_nWidth; }
    int Height() const { return m_nHeight; }
    int At(int x, int y) const
    {
        const int nStride = (m_nWidth + 3) / 4 * 4;
        return m_p[40 + 1024 + size_t(m_nHeight - 1 - y) * nStride + x];
    }
    // Where the sheet's printed border ends going inwards from the top (bVertical) or the left
    // at line n: the first light pixel after a dark one, -1 when none in the first third.
    int BorderAt(int n, bool bVertical) const
    {
        bool bDark = false;
        const int nEnd = (bVertical ? m_nHeight : m_nWidth) / 3;
        for (int i = 0; i < nEnd; ++i) {
            int v = bVertical ? At(n, i) : At(i, n);
            if (v < 100)
                bDark = true;
            else if (v > 200 && bDark)
                return i;
        }
        return -1;
    }

private:
    const uint8_t* m_p;
    int m_nWidth, m_nHeight;
};

// Under a white lid the content ends at the sheet's printed border, 4 mm inside its edges and
// 1 mm wide (only the grey ramp and the patches low on the chart may reach further down): the
// page is cut to that box widened by the crop's 15-pixel search window, and the border runs
// straight along both edges. Left skewed, the box would be some 14 mm wider.
void ExpectCroppedAndStraight(const CGreyDib& dib, double dSheetWmm, double dSheetHmm)
{
    constexpr int kWindow = 15;
    EXPECT_NEAR(dib.Width(), Pixels(dSheetWmm - 8) + 2 * kWindow, Pixels(2));
    EXPECT_GE(dib.Height(), Pixels(dSheetHmm - 8) + 2 * kWindow - Pixels(2));
    EXPECT_LE(dib.Height(), Pixels(dSheetHmm) + 2 * kWindow);
    const int nTop1 = dib.BorderAt(dib.Width() / 4, true), nTop2 = dib.BorderAt(dib.Width() * 3 / 4, true);
    const int nLeft1 = dib.BorderAt(dib.Height() / 4, false), nLeft2 = dib.BorderAt(dib.Height() * 3 / 4, false);
    ASSERT_GE(nTop1, 0);
    ASSERT_GE(nTop2, 0);
    ASSERT_GE(nLeft1, 0);
    ASSERT_GE(nLeft2, 0);
    // A quarter of a degree over half the page at most; the sheet lay at four degrees.
    const double dMaxTilt = std::tan(0.25 * 3.14159265 / 180);
    EXPECT_LE(std::abs(nTop1 - nTop2), 1 + dMaxTilt * dib.Width() / 2) << nTop1 << " " << nTop2;
    EXPECT_LE(std::abs(nLeft1 - nLeft2), 1 + dMaxTilt * dib.Height() / 2) << nLeft1 << " " << nLeft2;
    // Cut at the border: its 1 mm line starts the page after the window's margin.
    EXPECT_NEAR(nTop1, kWindow + Pixels(1), Pixels(1));
    EXPECT_NEAR(nLeft1, kWindow + Pixels(1), Pixels(1));
}

const char* const kSkewedA5 = "PlatenGrey=255\r\nSkewDegrees=4\r\nOffsetXmm=25\r\nOffsetYmm=25\r\nPageWidthMm=148\r\nPageHeightMm=210\r\n";

void StartCroppedFlatbed(CAcquisition& acq)
{
    ASSERT_EQ(acq.Src().Open(), TWRC_SUCCESS);
    ASSERT_TRUE(acq.Configure(1, kDpi, kTwssUsLegal, 0));
    ASSERT_EQ(acq.Enable(), TWRC_SUCCESS);
    // The page is scanned, straightened and cropped before the application hears of it.
    EXPECT_TRUE(acq.Src().Trace().Contains("Scan_() - MsgLib_StartScan()"));
    EXPECT_TRUE(acq.Src().Trace().Contains("AutoCrop--------->"));
    EXPECT_EQ(acq.Calls(MSG_XFERREADY), 1);
}

}  // namespace

TEST(XferCrop, SkewedSheetComesOutCroppedAndStraightByNativeTransferScannedOnce)
{
    const size_t nSpools = SpoolFileCount();
    {
        CAcquisition acq(kSkewedA5);
        ASSERT_NO_FATAL_FAILURE(StartCroppedFlatbed(acq));
        TW_IMAGEINFO info{};
        ASSERT_EQ(acq.Src().Call(DG_IMAGE, DAT_IMAGEINFO, MSG_GET, &info), TWRC_SUCCESS);
        TW_HANDLE hDib = nullptr;
        ASSERT_EQ(acq.Src().Call(DG_IMAGE, DAT_IMAGENATIVEXFER, MSG_GET, &hDib), TWRC_XFERDONE);
        ASSERT_NE(hDib, nullptr);
        const auto* pDib = static_cast<const uint8_t*>(GlobalLock(hDib));
        CGreyDib dib(pDib);
        EXPECT_EQ(dib.Width(), info.ImageWidth);
        EXPECT_EQ(dib.Height(), info.ImageLength);
        ExpectCroppedAndStraight(dib, 148, 210);
        GlobalUnlock(hDib);
        GlobalFree(hDib);
        TW_PENDINGXFERS pending{};
        EXPECT_EQ(acq.Src().Control(DAT_PENDINGXFERS, MSG_ENDXFER, &pending), TWRC_SUCCESS);
        EXPECT_EQ(pending.Count, 0);
        EXPECT_EQ(acq.SimCount("CALL ScanDrv_StartScan"), 1);
        EXPECT_EQ(acq.SimCount("EVENT 3 "), 1);
        EXPECT_EQ(acq.Disable(), TWRC_SUCCESS);
    }
    EXPECT_EQ(SpoolFileCount(), nSpools);
}

TEST(XferCrop, SkewedSheetComesOutCroppedAndStraightByFileTransferScannedOnce)
{
    CAcquisition acq(kSkewedA5);
    ASSERT_NO_FATAL_FAILURE(StartCroppedFlatbed(acq));
    fs::path file = acq.Dir() / L"cropped.bmp";
    TW_SETUPFILEXFER setup{};
    std::strncpy(setup.FileName, file.string().c_str(), sizeof setup.FileName - 1);
    setup.Format = 2;  // TWFF_BMP
    ASSERT_EQ(acq.Src().Control(DAT_SETUPFILEXFER, MSG_SET, &setup), TWRC_SUCCESS);
    ASSERT_EQ(acq.Src().Call(DG_IMAGE, DAT_IMAGEFILEXFER, MSG_GET, nullptr), TWRC_XFERDONE);
    std::ifstream in(file, std::ios::binary);
    std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    ASSERT_GT(bytes.size(), 1078u);
    CGreyDib dib(bytes.data() + 14);
    ASSERT_GE(bytes.size(), 1078 + size_t((dib.Width() + 3) / 4 * 4) * dib.Height());
    ExpectCroppedAndStraight(dib, 148, 210);
    EXPECT_EQ(acq.SimCount("CALL ScanDrv_StartScan"), 1);
    EXPECT_EQ(acq.SimCount("EVENT 3 "), 1);
    TW_PENDINGXFERS pending{};
    EXPECT_EQ(acq.Src().Control(DAT_PENDINGXFERS, MSG_ENDXFER, &pending), TWRC_SUCCESS);
    EXPECT_EQ(acq.Disable(), TWRC_SUCCESS);
}

TEST(XferCrop, FeederBatchWithCropDeliversEverySheetStraight)
{
    CAcquisition acq(std::string("FeederSheets=3\r\nPlatenGrey=255\r\nSkewDegrees=4\r\nOffsetXmm=20\r\nOffsetYmm=10\r\n"
                                 "PageWidthMm=180\r\nPageHeightMm=250\r\n"));
    ASSERT_EQ(acq.Src().Open(), TWRC_SUCCESS);
    ASSERT_TRUE(acq.Configure(1, kDpi, kTwssA3, 1));
    ASSERT_EQ(acq.Enable(), TWRC_SUCCESS);
    EXPECT_TRUE(acq.Src().Trace().Contains("Scan_() - MsgLib_StartScan()"));
    for (int nPage = 1; nPage <= 3; ++nPage) {
        SCOPED_TRACE(testing::Message() << "sheet " << nPage);
        TW_IMAGEINFO info{};
        ASSERT_EQ(acq.Src().Call(DG_IMAGE, DAT_IMAGEINFO, MSG_GET, &info), TWRC_SUCCESS);
        TW_HANDLE hDib = nullptr;
        ASSERT_EQ(acq.Src().Call(DG_IMAGE, DAT_IMAGENATIVEXFER, MSG_GET, &hDib), TWRC_XFERDONE);
        ASSERT_NE(hDib, nullptr);
        CGreyDib dib(static_cast<const uint8_t*>(GlobalLock(hDib)));
        EXPECT_EQ(dib.Width(), info.ImageWidth);
        EXPECT_EQ(dib.Height(), info.ImageLength);
        ExpectCroppedAndStraight(dib, 180, 250);
        GlobalUnlock(hDib);
        GlobalFree(hDib);
        TW_PENDINGXFERS pending{};
        ASSERT_EQ(acq.Src().Control(DAT_PENDINGXFERS, MSG_ENDXFER, &pending), TWRC_SUCCESS);
        EXPECT_EQ(pending.Count, nPage < 3 ? 1 : 0);
    }
    EXPECT_EQ(acq.SimCount("EVENT 3 "), 3);
    EXPECT_EQ(acq.SimCount("CALL ScanDrv_StartScan"), 1);
    acq.Pump();
    EXPECT_EQ(acq.Calls(MSG_CLOSEDSREQ), 1);
    EXPECT_EQ(acq.Disable(), TWRC_SUCCESS);
}
