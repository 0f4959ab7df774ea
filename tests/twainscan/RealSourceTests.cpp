// twainscan against the real data source and the simulated scanner: the pixels the tool writes
// are the simulator's own page, whatever mode, mechanism, format or geometry was asked for.
#include <cstdlib>

#include "tests/twainscan/RealSourceFixture.h"
#include "tests/twainscan/WicDecode.h"

namespace {

const wchar_t* const kModes[] = {L"Lineart", L"Gray", L"Color"};
const int kModeBits[] = {1, 8, 24};

}  // namespace

TEST_F(RealToolTest, ListsThisSourceBesideTheInstalledModels)
{
    SToolRun run = RunTool({L"-L"});
    ASSERT_EQ(EXIT_OK, run.nExit) << run.sErr;
    EXPECT_TRUE(Contains(run.sOut, "\"" + m_install.Name() + "\" by Morvel Imaging")) << run.sOut;
    EXPECT_TRUE(Contains(run.sOut, "\"MV4200 Series TWAIN\" by Morvel Imaging")) << run.sOut;
    EXPECT_TRUE(Contains(run.sOut, "\"MV3300 A3 Series TWAIN\" by Morvel Imaging")) << run.sOut;
    SToolRun caps = Scan({L"--list-caps"});
    ASSERT_EQ(EXIT_OK, caps.nExit) << caps.sErr;
    for (const char* pszCap : {"ICAP_PIXELTYPE(0x0101): ", "ICAP_XRESOLUTION(0x1118): ", "ICAP_SUPPORTEDSIZES(0x1122): ",
                               "CAP_FEEDERENABLED(0x1002): ", "CAP_DUPLEXENABLED(0x1013): "})
        EXPECT_TRUE(Contains(caps.sOut, pszCap)) << pszCap << "\n" << caps.sOut;
    // Listing opens and closes the source without ever starting the device.
    EXPECT_TRUE(m_install.DeviceParams().empty());
}

TEST_F(RealToolTest, EachModeGivesTheSimulatorsPage)
{
    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE(testing::Message() << "mode " << i);
        m_install.ClearSimLog();
        SToolRun run = Scan({L"--source", L"Flatbed", L"--mode", kModes[i], L"--resolution", L"75", L"--format", L"bmp",
                             L"-o", File("mode.img")});
        ASSERT_EQ(EXIT_OK, run.nExit) << run.sErr;
        CRaster raster = ReadBmp(File("mode.img"));
        EXPECT_EQ(kModeBits[i], raster.nBitsPerPixel);
        EXPECT_EQ(75, raster.nXRes);
        SSimScanParams params = LastParams();
        EXPECT_EQ(75, params.nDpi);
        EXPECT_EQ(0, params.nSource);
        EXPECT_TRUE(IsSimPage(raster, params));
    }
}

TEST_F(RealToolTest, ThreeTransferMechanismsGiveIdenticalPixels)
{
    std::vector<CRaster> pages;
    for (const wchar_t* pszXfer : {L"native", L"memory", L"file"}) {
        SCOPED_TRACE(testing::Message() << "xfer " << static_cast<char>(pszXfer[0]));
        m_install.ClearSimLog();
        SToolRun run = Scan({L"--mode", L"Color", L"--resolution", L"75", L"--xfer", pszXfer, L"-o", File("x.bmp")});
        ASSERT_EQ(EXIT_OK, run.nExit) << run.sErr;
        pages.push_back(ReadBmp(File("x.bmp")));
        EXPECT_TRUE(IsSimPage(pages.back(), LastParams()));
    }
    for (size_t i = 1; i < pages.size(); ++i) {
        EXPECT_EQ(pages[0].nWidth, pages[i].nWidth);
        EXPECT_EQ(pages[0].nHeight, pages[i].nHeight);
        EXPECT_TRUE(pages[0].pixels == pages[i].pixels) << "mechanism " << i;
    }
}

TEST_F(RealToolTest, DuplexFeederBatchNumbersFrontsAndBacks)
{
    m_install.SetSim("FeederSheets=2\r\nPaperInFeeder=1\r\n");
    SToolRun run = Scan({L"--source", L"ADF Duplex", L"--mode", L"Gray", L"--resolution", L"75",
                         L"--batch=" + File("p%02d.bmp"), L"--batch-start", L"5", L"--batch-count", L"3"});
    ASSERT_EQ(EXIT_OK, run.nExit) << run.sErr;
    EXPECT_TRUE(Exists("p05.bmp"));
    EXPECT_TRUE(Exists("p06.bmp"));
    EXPECT_TRUE(Exists("p07.bmp"));
    EXPECT_FALSE(Exists("p08.bmp"));
    EXPECT_FALSE(Exists("p04.bmp"));
    SSimScanParams params = LastParams();
    EXPECT_EQ(3, params.nSource);  // the device's own code for a duplex feeder scan
    EXPECT_TRUE(IsSimPage(ReadBmp(File("p05.bmp")), params, 1, 0));
    EXPECT_TRUE(IsSimPage(ReadBmp(File("p06.bmp")), params, 1, 1));
    EXPECT_TRUE(IsSimPage(ReadBmp(File("p07.bmp")), params, 2, 0));
    // A simplex feeder run limited to one page of three by --count.
    m_install.ClearSimLog();
    run = Scan({L"--source", L"ADF", L"--mode", L"Lineart", L"--resolution", L"75", L"--count", L"1", L"-b",
                L"--batch=" + File("s%d.bmp")});
    ASSERT_EQ(EXIT_OK, run.nExit) << run.sErr;
    EXPECT_TRUE(Exists("s1.bmp"));
    EXPECT_FALSE(Exists("s2.bmp"));
    EXPECT_EQ(1, LastParams().nSource);
}

TEST_F(RealToolTest, PaperSizeAndScanAreaReachTheDeviceOrAreReported)
{
    SToolRun run = Scan({L"--size", L"A5", L"--mode", L"Gray", L"--resolution", L"75", L"-o", File("a5.bmp")});
    ASSERT_EQ(EXIT_OK, run.nExit) << run.sErr;
    SSimScanParams a5 = LastParams();
    // A5 is 148 x 210 mm: about 6992 x 9921 in 1/1200 inch.
    EXPECT_NEAR(6992, a5.area.nRight - a5.area.nLeft, 60);
    EXPECT_NEAR(9921, a5.area.nBottom - a5.area.nTop, 60);
    CRaster page = ReadBmp(File("a5.bmp"));
    EXPECT_NEAR(437, page.nWidth, 2);
    EXPECT_NEAR(620, page.nHeight, 2);
    EXPECT_TRUE(IsSimPage(page, a5));

    // The area reaches the device through DAT_IMAGELAYOUT; where a source takes the layout and
    // scans its paper size all the same, the tool writes what came and says it is not the area.
    m_install.ClearSimLog();
    run = Scan({L"--mode", L"Color", L"--resolution", L"150", L"-l", L"20", L"-t", L"30", L"-x", L"60", L"-y", L"40",
                L"-o", File("area.bmp")});
    ASSERT_EQ(EXIT_OK, run.nExit) << run.sErr;
    SSimScanParams area = LastParams();
    page = ReadBmp(File("area.bmp"));
    EXPECT_TRUE(IsSimPage(page, area));
    bool bAreaScanned = std::abs(page.nWidth - 354) <= 2 && std::abs(page.nHeight - 236) <= 2;
    if (bAreaScanned) {
        EXPECT_NEAR(945, area.area.nLeft, 12);  // 20 mm in 1/1200 inch
        EXPECT_NEAR(1417, area.area.nTop, 12);  // 30 mm
    }
    EXPECT_EQ(!bAreaScanned, Contains(run.sErr, "not the area asked for")) << run.sErr;
    // An area the source does scan (the A5 page at the origin) draws no warning.
    run = Scan({L"--size", L"A5", L"--mode", L"Gray", L"--resolution", L"75", L"-x", L"148", L"-y", L"210", L"-o",
                File("a5b.bmp")});
    ASSERT_EQ(EXIT_OK, run.nExit) << run.sErr;
    EXPECT_FALSE(Contains(run.sErr, "not the area asked for")) << run.sErr;
}

TEST_F(RealToolTest, LosslessFormatsKeepThePixelsAndJpegStaysClose)
{
    SToolRun run = Scan({L"--mode", L"Color", L"--resolution", L"75", L"-o", File("ref.bmp")});
    ASSERT_EQ(EXIT_OK, run.nExit) << run.sErr;
    CRaster reference = ReadBmp(File("ref.bmp"));
    ASSERT_TRUE(IsSimPage(reference, LastParams()));
    for (const char* pszFormat : {"png", "tiff", "jpeg"}) {
        SCOPED_TRACE(pszFormat);
        std::string sName = std::string("f.") + pszFormat;
        std::wstring sFormat(pszFormat, pszFormat + std::char_traits<char>::length(pszFormat));
        run = Scan({L"--mode", L"Color", L"--resolution", L"75", L"--format", sFormat, L"-o", File(sName.c_str())});
        ASSERT_EQ(EXIT_OK, run.nExit) << run.sErr;
        CRaster decoded = DecodeWithWic(File(sName.c_str()), 24);
        ASSERT_EQ(reference.nWidth, decoded.nWidth);
        ASSERT_EQ(reference.nHeight, decoded.nHeight);
        if (std::string(pszFormat) != "jpeg") {
            EXPECT_TRUE(reference.pixels == decoded.pixels);
            continue;
        }
        double dSum = 0;
        for (size_t i = 0; i < reference.pixels.size(); ++i)
            dSum += std::abs(int(reference.pixels[i]) - int(decoded.pixels[i]));
        EXPECT_LT(dSum / reference.pixels.size(), 8.0);
    }
}

TEST_F(RealToolTest, CapabilitiesProgressTraceAndNegotiationOnly)
{
    SToolRun dry = Scan({L"-n", L"--cap", L"CAP_AUTOFEED=1", L"--mode", L"Gray", L"--resolution", L"150"});
    ASSERT_EQ(EXIT_OK, dry.nExit) << dry.sErr;
    EXPECT_TRUE(m_install.DeviceParams().empty()) << "-n must not scan";
    SToolRun refused = Scan({L"-n", L"--cap", L"CAP_AUTOSCAN=1"});
    EXPECT_EQ(EXIT_CAP_REFUSED, refused.nExit) << refused.sErr;
    EXPECT_TRUE(Contains(refused.sErr, "CAP_AUTOSCAN")) << refused.sErr;

    SToolRun run = Scan({L"-v", L"-p", L"--mode", L"Lineart", L"--resolution", L"75", L"-o", File("v.bmp")});
    ASSERT_EQ(EXIT_OK, run.nExit) << run.sErr;
    EXPECT_TRUE(Contains(run.sErr, "page 1: ")) << run.sErr;
    EXPECT_TRUE(Contains(run.sErr + run.sOut, "MSG_OPENDS")) << run.sOut;
    EXPECT_TRUE(Contains(run.sErr + run.sOut, "MSG_ENABLEDS")) << run.sOut;
    EXPECT_TRUE(Contains(run.sErr + run.sOut, "MSG_CLOSEDS")) << run.sOut;
}

// A console program gives the manager no window. The source declares TWAIN 2, so the tool
// registers its callback and every page of a three-sheet feeder batch arrives by each mechanism;
// a file transfer is written by the source itself in the format the tool named.
TEST_F(RealToolTest, ConsoleProgramWithoutAWindowGetsEveryFeederPageByCallback)
{
    m_install.SetSim("FeederSheets=3\r\nPaperInFeeder=1\r\n");
    struct SCase {
        const wchar_t* pszXfer;
        const wchar_t* pszMode;
        const char* pszExt;
        int nBits;
    };
    const SCase kCases[] = {{L"native", L"Gray", "bmp", 8}, {L"memory", L"Lineart", "bmp", 1},
                            {L"file", L"Color", "bmp", 24}, {L"file", L"Lineart", "tif", 1}};
    for (const SCase& c : kCases) {
        SCOPED_TRACE(testing::Message() << static_cast<char>(c.pszXfer[0]) << " " << c.pszExt);
        m_install.ClearSimLog();
        const std::string sPrefix = std::string("c") + static_cast<char>(c.pszXfer[0]) + c.pszExt;
        SToolRun run = Scan({L"--no-window", L"-v", L"--source", L"ADF", L"--mode", c.pszMode, L"--resolution", L"75",
                             L"--xfer", c.pszXfer, L"--batch=" + File((sPrefix + "%d." + c.pszExt).c_str())});
        ASSERT_EQ(EXIT_OK, run.nExit) << run.sErr;
        EXPECT_TRUE(Contains(run.sErr, "DAT_CALLBACK2 MSG_REGISTER_CALLBACK -> TWRC_SUCCESS")) << run.sErr;
        EXPECT_FALSE(Contains(run.sErr, "TWRC_DSEVENT")) << run.sErr;
        const SSimScanParams params = LastParams();
        for (int nSheet = 1; nSheet <= 3; ++nSheet) {
            const std::string sName = sPrefix + std::to_string(nSheet) + "." + c.pszExt;
            CRaster page = std::string(c.pszExt) == "tif" ? DecodeWithWic(File(sName.c_str()), c.nBits)
                                                         : ReadBmp(File(sName.c_str()));
            EXPECT_EQ(c.nBits, page.nBitsPerPixel);
            EXPECT_TRUE(IsSimPage(page, params, nSheet)) << sName;
        }
        EXPECT_FALSE(Exists((sPrefix + "4." + c.pszExt).c_str()));
    }
}

// The profile's 1.8 identity: the tool registers no callback and, with its window, gets the
// pages through MSG_PROCESSEVENT.
TEST_F(RealToolTest, Twain18SourceReachesTheToolThroughItsWindow)
{
    m_install.SetProfileKey(L"Twain18Identity", L"TRUE");
    SToolRun list = RunTool({L"-L"});
    EXPECT_TRUE(Contains(list.sOut, "\"" + m_install.Name() + "\" by Morvel Imaging, version 1.30 ( 1.030), TWAIN 1.8"))
        << list.sOut;
    m_install.SetSim("FeederSheets=3\r\nPaperInFeeder=1\r\n");
    SToolRun run = Scan({L"-v", L"--source", L"ADF", L"--mode", L"Gray", L"--resolution", L"75", L"--batch=" + File("o%d.bmp")});
    ASSERT_EQ(EXIT_OK, run.nExit) << run.sErr;
    EXPECT_FALSE(Contains(run.sErr, "MSG_REGISTER_CALLBACK")) << run.sErr;
    EXPECT_TRUE(Contains(run.sErr, "DAT_EVENT MSG_PROCESSEVENT -> TWRC_DSEVENT")) << run.sErr;
    for (int nSheet = 1; nSheet <= 3; ++nSheet)
        EXPECT_TRUE(IsSimPage(ReadBmp(File(("o" + std::to_string(nSheet) + ".bmp").c_str())), LastParams(), nSheet));
}
