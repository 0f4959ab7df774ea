// What the tool writes: the same pixels whichever transfer mechanism and notification path
// brought them, pages of a batch in order, and PNG, TIFF and JPEG files WIC reads back.
#include "tests/twainscan/ToolFixture.h"
#include "tests/twainscan/WicDecode.h"

namespace {

const wchar_t* ModeName(int nType)
{
    return nType == 0 ? L"Lineart" : nType == 1 ? L"Gray" : L"Color";
}

}  // namespace

TEST_F(ToolTest, ThreeMechanismsGiveThePagesPixels)
{
    {
        for (int nType : {0, 1, 2}) {
            CFakePage expected = GenerateFakePage(200, 150, nType, 1, 50, 50);
            for (const wchar_t* pszXfer : {L"native", L"memory", L"file"}) {
                std::wstring sFile = File("m.bmp");
                SToolRun run = Scan({L"--mode", ModeName(nType), L"--resolution", L"50", L"--xfer", pszXfer, L"-o", sFile});
                ASSERT_EQ(EXIT_OK, run.nExit) << run.sErr;
                CRaster raster = ReadBmp(sFile);
                EXPECT_EQ(expected.nBitsPerPixel, raster.nBitsPerPixel);
                EXPECT_EQ(50, raster.nXRes);
                EXPECT_TRUE(expected.rows == raster.pixels) << "mode " << nType << " xfer " << pszXfer;
                char szLine[96];
                snprintf(szLine, sizeof(szLine), "page 1: 200 x 150 pixels, 50 x 50 dpi, %d bits, ",
                         expected.nBitsPerPixel);
                EXPECT_TRUE(Contains(run.sOut, szLine)) << run.sOut;
            }
        }
    }
    EXPECT_EQ(9, m_fake.CountInLog("close"));
    EXPECT_EQ(9, m_fake.CountInLog("dat=0x0009 msg=0x0501"));
}

// The source speaks from its own window or from inside MSG_ENABLEDS; the tool hears it through
// the callback, which it registers only with a TWAIN 2 source, or else through the manager's held
// message and MSG_PROCESSEVENT.
TEST_F(ToolTest, EveryNotificationPathBringsThePage)
{
    CFakePage expected = GenerateFakePage(200, 150, 2, 1, 50, 50);
    struct SPath {
        const wchar_t* pszDs2;
        bool bNoCallback;
    };
    for (const wchar_t* pszNotify : {L"posted", L"inline"}) {
        m_fake.Set(L"Notify", pszNotify);
        for (SPath path : {SPath{L"1", false}, SPath{L"1", true}, SPath{L"0", false}}) {
            m_fake.Set(L"DS2", path.pszDs2);
            std::vector<std::wstring> args{L"-v", L"--resolution", L"50", L"-o", File("n.bmp"), L"--timeout", L"20"};
            if (path.bNoCallback)
                args.push_back(L"--no-callback");
            SToolRun run = Scan(args);
            ASSERT_EQ(EXIT_OK, run.nExit) << run.sErr;
            EXPECT_TRUE(expected.rows == ReadBmp(File("n.bmp")).pixels);
            const bool bRegisters = path.pszDs2[0] == L'1' && !path.bNoCallback;
            EXPECT_EQ(bRegisters, Contains(run.sErr, "MSG_REGISTER_CALLBACK")) << run.sErr;
        }
    }
}

TEST_F(ToolTest, PngIsReadableAndHoldsThePage)
{
    for (int nType : {0, 1, 2}) {
        std::wstring sFile = File("p.png");
        SToolRun run = Scan({L"--mode", ModeName(nType), L"--resolution", L"50", L"--xfer", L"memory", L"-o", sFile});
        ASSERT_EQ(EXIT_OK, run.nExit) << run.sErr;
        std::ifstream in(std::filesystem::path(sFile), std::ios::binary);
        char sig[4] = {};
        in.read(sig, 4);
        EXPECT_EQ(std::string("\x89PNG", 4), std::string(sig, 4));
        CFakePage expected = GenerateFakePage(200, 150, nType, 1, 50, 50);
        CRaster decoded = DecodeWithWic(sFile, expected.nBitsPerPixel);
        EXPECT_EQ(200, decoded.nWidth);
        EXPECT_EQ(150, decoded.nHeight);
        EXPECT_TRUE(expected.rows == decoded.pixels) << "mode " << nType;
    }
}

TEST_F(ToolTest, TiffAndJpegAreReadable)
{
    SToolRun run = Scan({L"--mode", L"Gray", L"--resolution", L"50", L"--format", L"tiff", L"-o", File("t.img")});
    ASSERT_EQ(EXIT_OK, run.nExit) << run.sErr;
    CFakePage expected = GenerateFakePage(200, 150, 1, 1, 50, 50);
    EXPECT_TRUE(expected.rows == DecodeWithWic(File("t.img"), 8).pixels);
    for (const wchar_t* pszMode : {L"Color", L"Lineart"}) {
        run = Scan({L"--mode", pszMode, L"--resolution", L"50", L"-o", File("j.jpg")});
        ASSERT_EQ(EXIT_OK, run.nExit) << run.sErr;
        // JPEG has no 1-bit form: line art is stored as grey.
        CRaster decoded = DecodeWithWic(File("j.jpg"), wcscmp(pszMode, L"Color") == 0 ? 24 : 8);
        EXPECT_EQ(200, decoded.nWidth);
        EXPECT_EQ(150, decoded.nHeight);
    }
}

TEST_F(ToolTest, BatchFromTheFeederInPageOrder)
{
    m_fake.Set(L"Pages", L"3");
    SToolRun run = Scan({L"--source", L"ADF", L"--resolution", L"50", L"--mode", L"Gray",
                         L"--batch=" + File("b%02d.bmp"), L"--batch-start", L"4"});
    ASSERT_EQ(EXIT_OK, run.nExit) << run.sErr;
    for (int nPage = 1; nPage <= 3; ++nPage) {
        char szName[16];
        snprintf(szName, sizeof(szName), "b%02d.bmp", nPage + 3);
        CRaster raster = ReadBmp(File(szName));
        EXPECT_TRUE(GenerateFakePage(200, 150, 1, nPage, 50, 50).rows == raster.pixels) << nPage;
        char szLine[32];
        snprintf(szLine, sizeof(szLine), "page %d: ", nPage);
        EXPECT_TRUE(Contains(run.sOut, szLine));
    }
    EXPECT_FALSE(std::filesystem::exists(File("b07.bmp")));
    EXPECT_EQ(0, m_fake.CountInLog("dat=0x0005 msg=0x0007"));
    ExpectClosed();
}

TEST_F(ToolTest, DuplexDoublesThePagesAndBatchCountStopsEarly)
{
    m_fake.Set(L"Pages", L"2");
    SToolRun run = Scan({L"--source", L"ADF Duplex", L"--resolution", L"50", L"-b", L"--batch=" + File("d%d.bmp")});
    ASSERT_EQ(EXIT_OK, run.nExit) << run.sErr;
    EXPECT_TRUE(std::filesystem::exists(File("d4.bmp")));
    EXPECT_FALSE(std::filesystem::exists(File("d5.bmp")));
    m_fake.ClearLog();
    run = Scan({L"--source", L"ADF Duplex", L"--resolution", L"50", L"--batch=" + File("e%d.bmp"), L"--batch-count",
                L"2", L"--count", L"-1"});
    ASSERT_EQ(EXIT_OK, run.nExit) << run.sErr;
    EXPECT_TRUE(std::filesystem::exists(File("e2.bmp")));
    EXPECT_FALSE(std::filesystem::exists(File("e3.bmp")));
    // The pages left in the feeder are given up before the source is disabled.
    EXPECT_EQ(1, m_fake.CountInLog("dat=0x0005 msg=0x0007"));
    ExpectClosed();
}

TEST_F(ToolTest, SinglePageFromAFeederWithMorePages)
{
    m_fake.Set(L"Pages", L"3");
    SToolRun run = Scan({L"--source", L"ADF", L"--resolution", L"50", L"-o", File("s.bmp")});
    ASSERT_EQ(EXIT_OK, run.nExit) << run.sErr;
    EXPECT_EQ(1, m_fake.CountInLog("transfer dat="));
    EXPECT_FALSE(Contains(run.sOut, "page 2"));
}
