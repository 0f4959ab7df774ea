// Scanning from the dialog as a user does it: an application (twainscan --ui, through the
// source manager stand-in) enables the source with its dialog, the user clicks Scan, and the
// application receives the simulator's pages by each transfer mechanism, from the flatbed and
// the feeder, with automatic crop, and keeps what it received when the user closes the dialog
// during a batch.
#include <cmath>
#include <functional>

#include "tests/twainscan/RealSourceFixture.h"
#include "ui/DialogDriver.h"
#include "ui/MainDialogIds.h"
#include "ui/MainDialogSession.h"

namespace {

constexpr int kFlatbed = 0, kFeeder = 1, kGrey = 1, k75Dpi = 0, k300Dpi = 2, kA5 = 1, kFullPlaten = 5;

class DialogScanTest : public RealToolTest {
protected:
    void SetUp() override
    {
        RealToolTest::SetUp();
        ASSERT_TRUE(m_install.AddLanguageLibraries());
    }

    // Starts the application with the dialog open on setting rec, runs before() once the dialog
    // is on screen, clicks Scan, runs during() meanwhile and waits for the application to end.
    SToolRun ScanFromDialog(const SScanParamRecord& rec, std::vector<std::wstring> args,
                            const std::function<void(HWND)>& during = {},
                            const std::function<void(HWND)>& before = {})
    {
        EXPECT_TRUE(dlgtest::StoreCurrentSetting(m_install.SettingsDir() + L"settings.dat", rec, L"Default"));
        args.insert(args.begin(), {L"-d", Name(), L"--ui"});
        CToolProcess tool(args);
        HWND hDlg = nullptr;
        for (int i = 0; i < 300 && !hDlg && tool.Running(); ++i) {
            Sleep(100);
            hDlg = FindVisibleScanDialog(tool.ProcessId());
        }
        EXPECT_NE(hDlg, nullptr) << "the dialog did not open";
        if (!hDlg)
            return tool.Finish(0);
        if (before)
            before(hDlg);
        PostMessageW(GetDlgItem(hDlg, IDC_SCAN), BM_CLICK, 0, 0);
        if (during)
            during(hDlg);
        return tool.Finish(kRunMillis);
    }
};

}  // namespace

TEST_F(DialogScanTest, EachTransferMechanismDeliversTheSimulatorsPage)
{
    for (const wchar_t* pszXfer : {L"native", L"memory", L"file"}) {
        SCOPED_TRACE(testing::Message() << "xfer " << static_cast<char>(pszXfer[0]));
        m_install.ClearSimLog();
        SToolRun run =
            ScanFromDialog(dlgtest::TestRecord(kFlatbed, kGrey, k75Dpi, kA5), {L"--xfer", pszXfer, L"-o", File("p.bmp")});
        ASSERT_EQ(EXIT_OK, run.nExit) << run.sErr;
        // The dialog's setting decides, not the application's defaults.
        SSimScanParams params = LastParams();
        EXPECT_EQ(params.nDpi, 75);
        EXPECT_EQ(params.nSource, 0);
        CRaster raster = ReadBmp(File("p.bmp"));
        EXPECT_EQ(raster.nBitsPerPixel, 8);
        EXPECT_TRUE(IsSimPage(raster, params));
    }
}

TEST_F(DialogScanTest, FeederBatchOfThreeSheets)
{
    m_install.SetSim("FeederSheets=3\r\nPaperInFeeder=1\r\n");
    SToolRun run = ScanFromDialog(dlgtest::TestRecord(kFeeder, kGrey, k75Dpi, kA5), {L"--batch=" + File("p%d.bmp")});
    ASSERT_EQ(EXIT_OK, run.nExit) << run.sErr;
    SSimScanParams params = LastParams();
    EXPECT_EQ(params.nSource, 1);
    for (int nSheet = 1; nSheet <= 3; ++nSheet)
        EXPECT_TRUE(IsSimPage(ReadBmp(File(("p" + std::to_string(nSheet) + ".bmp").c_str())), params, nSheet))
            << "sheet " << nSheet;
    EXPECT_FALSE(Exists("p4.bmp"));
}

TEST_F(DialogScanTest, AutomaticCropCutsTheFullPlatenToTheSheet)
{
    // An A5 sheet under a white lid; the full platen is A4 wide.
    m_install.SetSim("PlatenGrey=255\r\nPageWidthMm=148\r\nPageHeightMm=210\r\nOffsetXmm=30\r\nOffsetYmm=20\r\n");
    SToolRun run = ScanFromDialog(dlgtest::TestRecord(kFlatbed, kGrey, k75Dpi, kFullPlaten), {L"-o", File("c.bmp")});
    ASSERT_EQ(EXIT_OK, run.nExit) << run.sErr;
    CRaster raster = ReadBmp(File("c.bmp"));
    // The content box of the sheet (its printed border 4 mm inside) and the crop's margin.
    const double dPerMm = 75 / 25.4;
    EXPECT_NEAR(raster.nWidth, (148 - 8) * dPerMm + 30, 6);
    EXPECT_LT(raster.nHeight, 240 * dPerMm);
    EXPECT_GT(raster.nHeight, (210 - 8) * dPerMm);
}

TEST_F(DialogScanTest, ClosingDuringABatchKeepsThePagesReceived)
{
    m_install.SetSim("FeederSheets=3\r\nPaperInFeeder=1\r\nScanSpeed=250\r\n");
    SToolRun run = ScanFromDialog(dlgtest::TestRecord(kFeeder, kGrey, k75Dpi, kA5), {L"--batch=" + File("p%d.bmp")},
                                  [this](HWND hDlg) {
                                      for (int i = 0; i < 300 && !Exists("p1.bmp"); ++i)
                                          Sleep(50);
                                      // The window's close box while the second sheet is read.
                                      PostMessageW(hDlg, WM_CLOSE, 0, 0);
                                  });
    EXPECT_TRUE(run.nExit == EXIT_OK || run.nExit == EXIT_CANCELLED) << run.nExit << " " << run.sErr;
    SSimScanParams params = LastParams();
    ASSERT_TRUE(Exists("p1.bmp"));
    EXPECT_TRUE(IsSimPage(ReadBmp(File("p1.bmp")), params, 1));
    if (Exists("p2.bmp")) {
        EXPECT_TRUE(IsSimPage(ReadBmp(File("p2.bmp")), params, 2));
    }
    EXPECT_FALSE(Exists("p3.bmp"));
}

TEST_F(DialogScanTest, TheAreaDrawnOnThePreviewIsTheAreaScanned)
{
    // An area of 2 x 3 inches drawn beside the paper (A5 at 0, 0), 6.2 inches from the left and 2
    // from the top, as near as the preview's pixels come (about 28 to the inch at zoom 1),
    // scanned at 300 dpi.
    double dX = 0, dY = 0, dW = 0, dH = 0, dPixelInches = 0;
    auto draw = [&](HWND hDlg) {
        HWND hPreview = GetDlgItem(hDlg, IDC_PREVIEW_FRAME);
        RECT rc{};
        GetClientRect(hPreview, &rc);
        const double dx = rc.right - 22, dy = rc.bottom - 22, dMaxW = 8.503937, dMaxH = 11.692913;
        const POINT a{21 + std::lround(dx * 6.2 / dMaxW), 21 + std::lround(dy * 2 / dMaxH)};
        const POINT b{a.x + std::lround(dx * 2 / dMaxW), a.y + std::lround(dy * 3 / dMaxH)};
        mvltest::PostDrag(hPreview, a, b);
        dX = (a.x - 21) * dMaxW / dx, dY = (a.y - 21) * dMaxH / dy;
        dW = (b.x - a.x) * dMaxW / dx, dH = (b.y - a.y) * dMaxH / dy;
        dPixelInches = std::max(dMaxW / dx, dMaxH / dy);
        mvltest::WaitUntil([&] { return mvltest::CtrlText(hDlg, IDC_SETTING_NAME) == L"Custom"; }, 5000);
    };
    SToolRun run = ScanFromDialog(dlgtest::TestRecord(kFlatbed, kGrey, k300Dpi, kA5), {L"-o", File("a.bmp")}, {}, draw);
    ASSERT_EQ(EXIT_OK, run.nExit) << run.sErr;
    const SSimScanParams params = LastParams();
    // The device was asked for the area drawn (1/1200 inch, in whole pixels at 300 dpi), and the
    // page is that area.
    EXPECT_NEAR(params.area.nLeft, dX * 1200, 5);
    EXPECT_NEAR(params.area.nTop, dY * 1200, 5);
    EXPECT_NEAR(params.area.nRight - params.area.nLeft, dW * 1200, 5);
    EXPECT_NEAR(params.area.nBottom - params.area.nTop, dH * 1200, 5);
    const CRaster raster = ReadBmp(File("a.bmp"));
    EXPECT_NEAR(raster.nWidth, 600, dPixelInches * 300);
    EXPECT_NEAR(raster.nHeight, 900, dPixelInches * 300);
    EXPECT_NEAR(raster.nWidth, dW * 300, 1);
    EXPECT_NEAR(raster.nHeight, dH * 300, 1);
    EXPECT_TRUE(IsSimPage(raster, params));
}
