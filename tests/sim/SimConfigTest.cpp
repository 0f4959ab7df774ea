#include "sim/SimConfig.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

TEST(SimConfig, DefaultsMakeAHealthyUsbScanner)
{
    SSimConfig c = ParseSimConfig("");
    EXPECT_EQ(c.nFeederSheets, 3);
    EXPECT_TRUE(c.bUsbPresent);
    EXPECT_EQ(c.AdfStatus(), 0);
    EXPECT_EQ(c.CheckConnectResult(), 0);
    EXPECT_EQ(c.FaultFor("ScanDrv_Open"), EFaultKind::kNone);
    EXPECT_TRUE(c.scanners.empty());
}

TEST(SimConfig, KeysAndSections)
{
    SSimConfig c = ParseSimConfig(
        "; comment\r\n[Device]\r\nFeederSheets = 5\r\nPaperInFeeder=0\r\nScanSpeed=1200\r\n"
        "SkewDegrees=-2.5\r\nOffsetXmm=12.5\r\nPageBmp=C:\\pages\\one.bmp\r\n"
        "[faults]\nOpenResult=3\nReadErrorLine=40\nEofAtLine=0x10\nStallAfterPage=2\n"
        "Fault=ScanDrv_ReadScanData:null, ScanDrv_StartScan:THROW,ScanDrv_Close:div0,ScanDrv_Open:bogus,nocolon\n"
        "[Network]\nScanners=MFP-1; MFP-2 ;;\nReachable=10.0.0.7\nCheckConnect=4\n[Log]\nPath=/tmp/sim.log\n"
        "[Other]\nFeederSheets=9\n");
    EXPECT_EQ(c.nFeederSheets, 5);
    EXPECT_FALSE(c.bPaperInFeeder);
    EXPECT_EQ(c.AdfStatus(), 7);
    EXPECT_EQ(c.nScanSpeed, 1200);
    EXPECT_DOUBLE_EQ(c.dSkewDegrees, -2.5);
    EXPECT_DOUBLE_EQ(c.dOffsetXmm, 12.5);
    EXPECT_EQ(c.sPageBmp, "C:\\pages\\one.bmp");
    EXPECT_EQ(c.nOpenResult, 3);
    EXPECT_EQ(c.nReadErrorLine, 40);
    EXPECT_EQ(c.nEofAtLine, 16);
    EXPECT_EQ(c.nStallAfterPage, 2);
    EXPECT_EQ(c.FaultFor("ScanDrv_ReadScanData"), EFaultKind::kNullPointer);
    EXPECT_EQ(c.FaultFor("ScanDrv_StartScan"), EFaultKind::kThrow);
    EXPECT_EQ(c.FaultFor("ScanDrv_Close"), EFaultKind::kDivideByZero);
    EXPECT_EQ(c.FaultFor("ScanDrv_Open"), EFaultKind::kNone);
    EXPECT_EQ(c.scanners, (std::vector<std::string>{"MFP-1", "MFP-2"}));
    EXPECT_TRUE(c.IsKnownNetworkName("10.0.0.7"));
    EXPECT_TRUE(c.IsKnownNetworkName("MFP-2"));
    EXPECT_FALSE(c.IsKnownNetworkName("10.0.0.8"));
    EXPECT_EQ(c.CheckConnectResult(), 4);
    EXPECT_EQ(c.sLogPath, "/tmp/sim.log");
}

TEST(SimConfig, BadNumbersKeepTheDefault)
{
    SSimConfig c = ParseSimConfig("[Device]\nFeederSheets=three\nScanSpeed=12x\nSkewDegrees=\n"
                                  "UsbPresent=maybe\n[Faults]\nADFStatus=99999999999999\n");
    EXPECT_EQ(c.nFeederSheets, 3);
    EXPECT_EQ(c.nScanSpeed, 0);
    EXPECT_DOUBLE_EQ(c.dSkewDegrees, 0);
    EXPECT_TRUE(c.bUsbPresent);
    EXPECT_EQ(c.nADFStatus, -1);
}

TEST(SimConfig, ForcedAdfStatusAndMissingFile)
{
    EXPECT_EQ(ParseSimConfig("[Faults]\nADFStatus=23\n").AdfStatus(), 23);
    EXPECT_EQ(ParseSimConfig("[Device]\nFeederSheets=0\n").AdfStatus(), 7);
    EXPECT_EQ(ParseSimConfig("[Device]\nUsbPresent=0\n").CheckConnectResult(), 1);
    EXPECT_EQ(LoadSimConfig("/nonexistent/mvlsim.ini").nFeederSheets, 3);
}

TEST(SimConfig, InlineCommentsAndTheExampleFile)
{
    SSimConfig c = ParseSimConfig("[Device]\nFeederSheets=4   ; four sheets\n[Network]\nScanners=A;B ; two\n");
    EXPECT_EQ(c.nFeederSheets, 4);
    EXPECT_EQ(c.scanners, (std::vector<std::string>{"A", "B"}));
    const char* pszSource = std::getenv("MVL_SOURCE_DIR");
    if (!pszSource)
        GTEST_SKIP() << "source folder unknown";
    // The documented example states the defaults.
    SSimConfig e = LoadSimConfig(std::string(pszSource) + "/sim/mvlsim.ini.example");
    SSimConfig d;
    EXPECT_EQ(e.nFeederSheets, d.nFeederSheets);
    EXPECT_EQ(e.nManualDuplexWaitMs, d.nManualDuplexWaitMs);
    EXPECT_EQ(e.nADFStatus, d.nADFStatus);
    EXPECT_EQ(e.nReadErrorLine, d.nReadErrorLine);
    EXPECT_EQ(e.nDetectResult, d.nDetectResult);
    EXPECT_EQ(e.nCheckConnect, d.nCheckConnect);
    EXPECT_DOUBLE_EQ(e.dPageHeightMm, d.dPageHeightMm);
    EXPECT_TRUE(e.faults.empty());
    EXPECT_TRUE(e.sPageBmp.empty());
}

}  // namespace
