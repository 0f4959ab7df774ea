// Scanning from the dialog as a user does it: an application (twainscan --ui, through the
// source manager stand-in) enables the source with its dialog, the user clicks Scan, and the
// application receives the simulator's pages by each transfer mechanism, from the flatbed and
// the feeder, with automatic crop, and keeps what it received when the user closes the dialog
// during a batch.
#include <functional>

#include "tests/twainscan/RealSourceFixture.h"
#include "ui/MainDialogIds.h"
#include "ui/MainDialogSession.h"

namespace {

constexpr int kFlatbed = 0, kFeeder = 1, kGrey = 1, k75Dpi = 0, kA5 = 1, kFullPlaten = 5;

class DialogScanTest : public RealToolTest {
protected:
    void SetUp() override
    {
        RealToolTest::SetUp();
        ASSERT_TRUE(m_install.AddLanguageLibraries());
    }

    // Starts the application with the dialog open on setting rec, clicks Scan once the dialog is
    // on screen, runs during() meanwhile and waits for the application to end.
    SToolRun ScanFromDialog(const SScanParamRecord& rec, std::vector<std::wstring> args,
                            const std::function<void(HWND)>& during = {})
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
