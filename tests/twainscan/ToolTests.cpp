// twainscan against the fake source: listing, options reaching the source, and a distinct exit
// status and message for each failure, with the source disabled and closed on every path.
#include "tests/twainscan/ToolFixture.h"

TEST_F(ToolTest, ListsSourcesWithVersionAndProtocol)
{
    SToolRun run = RunTool({L"-L"});
    ASSERT_EQ(EXIT_OK, run.nExit) << run.sErr;
    EXPECT_TRUE(Contains(run.sOut, "\"" + m_fake.Name() + "\" by mvl tests, version 1.2 (fake 1.2), TWAIN 2.4\n"))
        << run.sOut;
    // Real managers may discover without an origin; the listing is the same.
    mvltest::CScopedEnv env(L"MVLDSM_NULL_ORIGIN", L"1");
    SToolRun nullRun = RunTool({L"--list-devices"});
    EXPECT_EQ(EXIT_OK, nullRun.nExit) << nullRun.sErr;
    EXPECT_EQ(run.sOut, nullRun.sOut) << nullRun.sErr;
}

TEST_F(ToolTest, HelpAndBadCommandLines)
{
    SToolRun help = RunTool({L"--help"});
    EXPECT_EQ(EXIT_OK, help.nExit);
    EXPECT_TRUE(Contains(help.sOut, "Usage: twainscan"));
    SToolRun bad = RunTool({L"--mode", L"sepia"});
    EXPECT_EQ(EXIT_USAGE, bad.nExit);
    EXPECT_TRUE(Contains(bad.sErr, "twainscan: --mode must be Lineart, Gray or Color, not \"sepia\""));
}

TEST_F(ToolTest, NoSourceManager)
{
    SToolRun run = RunTool({L"--dsm", L"C:\\nowhere\\TWAINDSM.dll", L"-L"});
    EXPECT_EQ(EXIT_NO_MANAGER, run.nExit);
    EXPECT_TRUE(Contains(run.sErr, "cannot load the TWAIN source manager C:\\nowhere\\TWAINDSM.dll")) << run.sErr;
}

TEST_F(ToolTest, NoSourceByThatName)
{
    SToolRun run = RunTool({L"-d", L"no such scanner", L"-n"});
    EXPECT_EQ(EXIT_NO_SOURCE, run.nExit);
    EXPECT_TRUE(Contains(run.sErr, "no TWAIN data source named \"no such scanner\"")) << run.sErr;
}

TEST_F(ToolTest, OpenRefusedGivesTheConditionInWords)
{
    m_fake.Set(L"Fault", L"refuseopen");
    SToolRun run = Scan({L"-n"});
    EXPECT_EQ(EXIT_OPEN_REFUSED, run.nExit);
    EXPECT_TRUE(Contains(run.sErr, "refused to open: the source is in use by another application (TWCC_MAXCONNECTIONS)"))
        << run.sErr;
}

TEST_F(ToolTest, CancelledTransfer)
{
    m_fake.Set(L"Fault", L"cancel");
    SToolRun run = Scan({L"-o", File("c.bmp")});
    EXPECT_EQ(EXIT_CANCELLED, run.nExit);
    EXPECT_TRUE(Contains(run.sErr, "cancelled by the source"));
    EXPECT_EQ(1, m_fake.CountInLog("msg=0x0701"));  // the cancelled transfer is ended
    EXPECT_FALSE(std::filesystem::exists(File("c.bmp")));
    ExpectClosed();
}

TEST_F(ToolTest, DialogClosedByTheUser)
{
    m_fake.Set(L"Fault", L"closereq");
    SToolRun run = Scan({L"--ui", L"-o", File("c.bmp")});
    EXPECT_EQ(EXIT_CANCELLED, run.nExit);
    EXPECT_TRUE(Contains(run.sErr, "cancelled in the source's dialog"));
    EXPECT_EQ(1, m_fake.CountInLog("enable ui=1"));
    ExpectClosed();
}

TEST_F(ToolTest, DeviceErrors)
{
    m_fake.Set(L"Fault", L"deviceerror");
    SToolRun run = Scan({L"-o", File("d.bmp")});
    EXPECT_EQ(EXIT_DEVICE_ERROR, run.nExit);
    EXPECT_TRUE(Contains(run.sErr, "the native transfer failed: paper jam in the feeder (TWCC_PAPERJAM)")) << run.sErr;
    EXPECT_EQ(1, m_fake.CountInLog("msg=0x0007"));  // the pending pages are reset
    ExpectClosed();
    m_fake.ClearLog();
    m_fake.Set(L"Fault", L"enablefail");
    run = Scan({L"-o", File("d.bmp")});
    EXPECT_EQ(EXIT_DEVICE_ERROR, run.nExit);
    EXPECT_TRUE(Contains(run.sErr, "could not start: the device is offline (TWCC_CHECKDEVICEONLINE)")) << run.sErr;
    EXPECT_EQ(1, m_fake.CountInLog("close"));
    EXPECT_EQ(0, m_fake.CountInLog("msg=0x0501"));
}

TEST_F(ToolTest, JamOnTheSecondPageKeepsTheFirst)
{
    m_fake.Set(L"Fault", L"jam2");
    SToolRun run = Scan({L"--source", L"ADF", L"--batch=" + File("j%d.bmp"), L"--resolution", L"50"});
    EXPECT_EQ(EXIT_DEVICE_ERROR, run.nExit);
    EXPECT_TRUE(std::filesystem::exists(File("j1.bmp")));
    EXPECT_FALSE(std::filesystem::exists(File("j2.bmp")));
    EXPECT_TRUE(Contains(run.sOut, "page 1: 200 x 150 pixels")) << run.sOut;
    ExpectClosed();
}

TEST_F(ToolTest, NothingToScan)
{
    m_fake.Set(L"Fault", L"nopaper");
    SToolRun run = Scan({L"--source", L"ADF", L"-o", File("n.bmp")});
    EXPECT_EQ(EXIT_NOTHING_TO_SCAN, run.nExit);
    EXPECT_TRUE(Contains(run.sErr, "the document feeder is empty"));
    // The feeder was asked before enabling.
    EXPECT_EQ(0, m_fake.CountInLog("enable ui="));
    EXPECT_EQ(1, m_fake.CountInLog("close"));
    // A source that closes without a page and without a dialog had nothing either.
    m_fake.Set(L"Fault", L"closereq");
    run = Scan({L"-o", File("n.bmp")});
    EXPECT_EQ(EXIT_NOTHING_TO_SCAN, run.nExit);
}

TEST_F(ToolTest, SilentSourceTimesOut)
{
    m_fake.Set(L"Fault", L"silent");
    SToolRun run = Scan({L"--timeout", L"2", L"-o", File("t.bmp")}, 30000);
    EXPECT_EQ(EXIT_TIMEOUT, run.nExit);
    EXPECT_TRUE(Contains(run.sErr, "did not get ready within 2 seconds"));
    ExpectClosed();
}

TEST_F(ToolTest, OutputThatCannotBeWritten)
{
    SToolRun run = Scan({L"-o", File("missing\\dir\\x.bmp")});
    EXPECT_EQ(EXIT_OUTPUT_ERROR, run.nExit);
    EXPECT_TRUE(Contains(run.sErr, "cannot write ")) << run.sErr;
    ExpectClosed();
}

TEST_F(ToolTest, RefusedSettings)
{
    SToolRun run = Scan({L"--size", L"A3", L"-n"});
    EXPECT_EQ(EXIT_CAP_REFUSED, run.nExit);
    EXPECT_TRUE(Contains(run.sErr, "refused ICAP_SUPPORTEDSIZES(0x1122) = 11: value out of range (TWCC_BADVALUE)"))
        << run.sErr;
    run = Scan({L"--cap", L"ICAP_BRIGHTNESS=2000", L"-n"});
    EXPECT_EQ(EXIT_CAP_REFUSED, run.nExit);
    run = Scan({L"--cap", L"ICAP_BRIGHTNESS=bright", L"-n"});
    EXPECT_EQ(EXIT_CAP_REFUSED, run.nExit);
    EXPECT_TRUE(Contains(run.sErr, "\"bright\" is not a number for ICAP_BRIGHTNESS(0x1101) (TWTY_FIX32)")) << run.sErr;
    run = Scan({L"--cap", L"0x7777=1", L"-n"});
    EXPECT_EQ(EXIT_CAP_REFUSED, run.nExit);
    EXPECT_TRUE(Contains(run.sErr, "capability not supported by the source")) << run.sErr;
    m_fake.ClearLog();
    run = Scan({L"--cap", L"CAP_FEEDERLOADED=true", L"-n"});
    EXPECT_EQ(EXIT_CAP_REFUSED, run.nExit);
    ExpectClosed();
}

TEST_F(ToolTest, NegotiateOnlyReportsWhatTheSourceTook)
{
    SToolRun run = Scan({L"-n", L"--mode", L"gray", L"--resolution", L"150", L"--source", L"ADF Duplex", L"--size",
                         L"B5", L"--xfer", L"memory", L"--cap", L"ICAP_BRIGHTNESS=-12.5"});
    ASSERT_EQ(EXIT_OK, run.nExit) << run.sErr;
    for (const char* psz : {"ICAP_PIXELTYPE(0x0101) = 1\n", "ICAP_XRESOLUTION(0x1118) = 150\n",
                            "ICAP_YRESOLUTION(0x1119) = 150\n", "CAP_FEEDERENABLED(0x1002) = TRUE\n",
                            "CAP_DUPLEXENABLED(0x1013) = TRUE\n", "ICAP_SUPPORTEDSIZES(0x1122) = 2\n",
                            "ICAP_XFERMECH(0x0103) = 2\n", "CAP_XFERCOUNT(0x0001) = 1\n",
                            "ICAP_BRIGHTNESS(0x1101) = -12.5\n"})
        EXPECT_TRUE(Contains(run.sOut, psz)) << psz << run.sOut;
    EXPECT_EQ(0, m_fake.CountInLog("enable ui="));
    ExpectClosed();
}

TEST_F(ToolTest, GeometryGoesThroughTheImageLayoutInInches)
{
    SToolRun run = Scan({L"-l", L"25.4", L"-t", L"12.7", L"-x", L"50.8", L"-y", L"25.4", L"--resolution", L"100",
                         L"-o", File("g.bmp")});
    ASSERT_EQ(EXIT_OK, run.nExit) << run.sErr;
    EXPECT_EQ(1, m_fake.CountInLog("set cap=0x0102 value=0"));
    EXPECT_EQ(1, m_fake.CountInLog("layout 1.000 0.500 3.000 1.500")) << m_fake.Log();
    EXPECT_TRUE(Contains(run.sOut, "page 1: 200 x 100 pixels, 100 x 100 dpi, 24 bits")) << run.sOut;
    // Edges not given keep the source's.
    run = Scan({L"-x", L"25.4", L"-n"});
    EXPECT_EQ(1, m_fake.CountInLog("layout 0.000 0.000 1.000 3.000")) << m_fake.Log();
    run = Scan({L"-l", L"200", L"-x", L"100", L"-n"});
    EXPECT_EQ(EXIT_CAP_REFUSED, run.nExit);
    EXPECT_TRUE(Contains(run.sErr, "refused the scan area 200.0,0.0 100.0 x 76.2 mm")) << run.sErr;
}

TEST_F(ToolTest, ListCapsShowsTypesContainersAndValues)
{
    SToolRun run = Scan({L"--list-caps"});
    ASSERT_EQ(EXIT_OK, run.nExit) << run.sErr;
    for (const char* psz :
         {"ICAP_XRESOLUTION(0x1118): TWTY_FIX32 TWON_ENUMERATION, current 100, default 100, allowed 50, 75, 100, 150, 200, "
          "300\n",
          "ICAP_BRIGHTNESS(0x1101): TWTY_FIX32 TWON_RANGE, current 0, default 0, allowed -1000 to 1000 step 1\n",
          "CAP_XFERCOUNT(0x0001): TWTY_INT16 TWON_ONEVALUE, current -1\n",
          "CAP_AUTHOR(0x1000): TWTY_STR128 TWON_ONEVALUE, current \"fake author\"\n",
          "CAP_SUPPORTEDCAPS(0x1005): TWTY_UINT16 TWON_ARRAY, values 1, 257, "})
        EXPECT_TRUE(Contains(run.sOut, psz)) << psz << run.sOut;
    ExpectClosed();
}

TEST_F(ToolTest, VerboseTracesTripletsWithCodes)
{
    SToolRun run = Scan({L"-v", L"--cap", L"ICAP_BRIGHTNESS=5000", L"-n"});
    EXPECT_EQ(EXIT_CAP_REFUSED, run.nExit);
    for (const char* psz : {"twain: DG_CONTROL DAT_PARENT MSG_OPENDSM -> TWRC_SUCCESS\n",
                            "twain: DG_CONTROL DAT_IDENTITY MSG_OPENDS -> TWRC_SUCCESS\n",
                            "twain: DG_CONTROL DAT_CAPABILITY MSG_SET ICAP_BRIGHTNESS(0x1101) -> TWRC_FAILURE, "
                            "TWCC_BADVALUE\n",
                            "twain: DG_CONTROL DAT_IDENTITY MSG_CLOSEDS -> TWRC_SUCCESS\n",
                            "twain: DG_CONTROL DAT_PARENT MSG_CLOSEDSM -> TWRC_SUCCESS\n"})
        EXPECT_TRUE(Contains(run.sErr, psz)) << psz << run.sErr;
}

TEST_F(ToolTest, CountReachesTheSource)
{
    SToolRun run =
        Scan({L"--count", L"1", L"-p", L"--resolution", L"50", L"--xfer", L"memory", L"-o", File("one.bmp")});
    ASSERT_EQ(EXIT_OK, run.nExit) << run.sErr;
    EXPECT_EQ(1, m_fake.CountInLog("set cap=0x0001 value=1"));
    EXPECT_TRUE(Contains(run.sErr, "page 1: 90000 bytes, done")) << run.sErr;
    run = Scan({L"-b", L"--count", L"-1", L"-n"});
    EXPECT_TRUE(Contains(run.sOut, "CAP_XFERCOUNT(0x0001) = -1"));
}
