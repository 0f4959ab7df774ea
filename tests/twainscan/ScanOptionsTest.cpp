// The command line: every option, its accepted forms, and the refusals with their messages.
#include <gtest/gtest.h>

#include "twain/TwainTypes.h"
#include "twainscan/ScanOptions.h"

namespace {

SParseResult Parse(std::vector<std::string> args)
{
    return ParseOptions(args);
}

SScanOptions Ok(std::vector<std::string> args)
{
    SParseResult r = ParseOptions(args);
    EXPECT_TRUE(r.bOk) << r.sError;
    return r.options;
}

void ExpectError(std::vector<std::string> args, const std::string& sPart)
{
    SParseResult r = ParseOptions(args);
    EXPECT_FALSE(r.bOk);
    EXPECT_NE(std::string::npos, r.sError.find(sPart)) << r.sError;
}

}  // namespace

TEST(ScanOptions, NoArgumentsScanOnePageToTheDefaultFile)
{
    SScanOptions o = Ok({});
    EXPECT_FALSE(o.bBatch);
    EXPECT_EQ("scan.bmp", OutputName(o, 0));
    EXPECT_EQ(1, WantedTransferCount(o));
    EXPECT_EQ(EXferMech::Default, o.xfer);
    EXPECT_EQ(120, o.nTimeoutSeconds);
}

TEST(ScanOptions, Flags)
{
    SScanOptions o = Ok({"-L", "--list-caps", "-v", "-p", "-n", "--ui", "-h", "--no-callback"});
    EXPECT_TRUE(o.bList && o.bListCaps && o.bVerbose && o.bProgress && o.bNegotiateOnly && o.bShowUi && o.bHelp);
    EXPECT_TRUE(o.bNoCallback);
    EXPECT_FALSE(Ok({}).bNoCallback);
    SScanOptions l = Ok({"--list-devices", "--verbose", "--progress", "--dont-scan", "--help"});
    EXPECT_TRUE(l.bList && l.bVerbose && l.bProgress && l.bNegotiateOnly && l.bHelp);
    ExpectError({"--ui=1"}, "takes no value");
}

TEST(ScanOptions, DeviceInEveryForm)
{
    EXPECT_EQ("Fake 1", Ok({"-d", "Fake 1"}).sDevice);
    EXPECT_EQ("Fake", Ok({"-dFake"}).sDevice);
    EXPECT_EQ("Fake", Ok({"--device=Fake"}).sDevice);
    EXPECT_EQ("Fake", Ok({"--device", "Fake"}).sDevice);
    ExpectError({"-d"}, "-d needs a value");
    ExpectError({"--device="}, "needs a source name");
    EXPECT_EQ("x.dll", Ok({"--dsm", "x.dll"}).sManager);
}

TEST(ScanOptions, ModeIsCaseInsensitiveWithUnambiguousPrefixes)
{
    EXPECT_EQ(TWPT_BW, *Ok({"--mode", "Lineart"}).wPixelType);
    EXPECT_EQ(TWPT_BW, *Ok({"--mode", "lin"}).wPixelType);
    EXPECT_EQ(TWPT_GRAY, *Ok({"--mode=GRAY"}).wPixelType);
    EXPECT_EQ(TWPT_GRAY, *Ok({"--mode", "g"}).wPixelType);
    EXPECT_EQ(TWPT_RGB, *Ok({"--mode", "colOR"}).wPixelType);
    ExpectError({"--mode", "Colour"}, "--mode must be Lineart, Gray or Color");
    ExpectError({"--mode", ""}, "--mode must be");
    ExpectError({"--mode"}, "needs a value");
}

TEST(ScanOptions, SourceExactNameWinsOverPrefix)
{
    EXPECT_EQ(0, *Ok({"--source", "flat"}).nSource);
    EXPECT_EQ(1, *Ok({"--source", "ADF"}).nSource);
    EXPECT_EQ(1, *Ok({"--source", "adf"}).nSource);
    EXPECT_EQ(2, *Ok({"--source", "ADF Duplex"}).nSource);
    EXPECT_EQ(2, *Ok({"--source", "adf d"}).nSource);
    // "A" begins both feeder choices.
    ExpectError({"--source", "A"}, "--source must be");
}

TEST(ScanOptions, Sizes)
{
    EXPECT_EQ(TWSS_A4, *Ok({"--size", "a4"}).wSize);
    EXPECT_EQ(TWSS_A5, *Ok({"--size", "A5"}).wSize);
    EXPECT_EQ(TWSS_A6, *Ok({"--size", "A6"}).wSize);
    EXPECT_EQ(TWSS_JISB5, *Ok({"--size", "B5"}).wSize);
    EXPECT_EQ(TWSS_USLETTER, *Ok({"--size", "let"}).wSize);
    EXPECT_EQ(TWSS_USLEGAL, *Ok({"--size", "Legal"}).wSize);
    EXPECT_EQ(TWSS_A3, *Ok({"--size", "A3"}).wSize);
    ExpectError({"--size", "Le"}, "--size must be");
    ExpectError({"--size", "A"}, "--size must be");
    ExpectError({"--size", "B4"}, "--size must be");
}

TEST(ScanOptions, ResolutionBounds)
{
    EXPECT_EQ(300, *Ok({"--resolution", "300"}).nResolution);
    EXPECT_EQ(150, *Ok({"--resolution=150dpi"}).nResolution);
    EXPECT_EQ(1, *Ok({"--resolution", "1"}).nResolution);
    EXPECT_EQ(32767, *Ok({"--resolution", "32767"}).nResolution);
    for (const char* psz : {"0", "-5", "32768", "3e2", "300x", "", "99999999999999999999"})
        ExpectError({"--resolution", psz}, "--resolution must be");
}

TEST(ScanOptions, GeometryInMillimetres)
{
    // "-y=50" is not a long option: the attached value is "=50".
    EXPECT_FALSE(Parse({"-y=50"}).bOk);
    SScanOptions o = Ok({"-l", "10", "-t5.5", "-x", "100.25", "-y", "50"});
    EXPECT_DOUBLE_EQ(10, *o.dLeft);
    EXPECT_DOUBLE_EQ(5.5, *o.dTop);
    EXPECT_DOUBLE_EQ(100.25, *o.dWidth);
    EXPECT_DOUBLE_EQ(50, *o.dHeight);
    EXPECT_TRUE(o.HasGeometry());
    EXPECT_FALSE(Ok({}).HasGeometry());
    EXPECT_TRUE(Ok({"-l", "0"}).HasGeometry());
    ExpectError({"-l", "-1"}, "-l must be a length");
    ExpectError({"-x", "1000.5"}, "-x must be");
    ExpectError({"-t", "nan"}, "-t must be");
    ExpectError({"-y", "inf"}, "-y must be");
    ExpectError({"-x", "0"}, "larger than 0");
}

TEST(ScanOptions, TransferMechanism)
{
    EXPECT_EQ(EXferMech::Native, Ok({"--xfer", "native"}).xfer);
    EXPECT_EQ(EXferMech::Memory, Ok({"--xfer", "MEM"}).xfer);
    EXPECT_EQ(EXferMech::File, Ok({"--xfer=f"}).xfer);
    ExpectError({"--xfer", "buffer"}, "--xfer must be");
}

TEST(ScanOptions, CountAndBatch)
{
    ExpectError({"--count", "0"}, "--count must be");
    ExpectError({"--count", "3"}, "needs --batch");
    EXPECT_EQ(1, WantedTransferCount(Ok({"--count", "1"})));
    EXPECT_EQ(-1, WantedTransferCount(Ok({"-b"})));
    EXPECT_EQ(4, WantedTransferCount(Ok({"-b", "--count", "4"})));
    EXPECT_EQ(-1, WantedTransferCount(Ok({"-b", "--count", "-1"})));
    // --batch-count alone asks for a batch.
    SScanOptions o = Ok({"--batch-count", "2"});
    EXPECT_TRUE(o.bBatch);
    EXPECT_EQ(2, WantedTransferCount(o));
    EXPECT_EQ("out1.bmp", OutputName(o, 0));
    EXPECT_EQ("out2.bmp", OutputName(o, 1));
    ExpectError({"--batch-count", "0"}, "--batch-count must be");
    ExpectError({"-o", "a.bmp", "-b"}, "-o names one file");
}

TEST(ScanOptions, BatchPatternAndStart)
{
    SScanOptions o = Ok({"--batch=page-%03d.png", "--batch-start", "7"});
    EXPECT_EQ("page-007.png", OutputName(o, 0));
    EXPECT_EQ("page-008.png", OutputName(o, 1));
    EXPECT_EQ(EImageFormat::Png, EffectiveFormat(o));
    EXPECT_EQ("out0.jpg", OutputName(Ok({"-b", "--format", "jpeg", "--batch-start=0"}), 0));
    ExpectError({"--batch=page.png"}, "exactly one %d");
    ExpectError({"--batch=%d-%d.png"}, "exactly one %d");
    ExpectError({"--batch=%s.png"}, "exactly one %d");
    ExpectError({"--batch=%n%d"}, "exactly one %d");
    ExpectError({"--batch=%0123d"}, "exactly one %d");
    ExpectError({"--batch-start", "-1"}, "--batch-start must be");
}

TEST(ScanOptions, BatchNamesAreFormattedWithoutPrintf)
{
    EXPECT_TRUE(IsValidBatchPattern("%d"));
    EXPECT_TRUE(IsValidBatchPattern("100%%-%d"));
    EXPECT_TRUE(IsValidBatchPattern("x%05d.tif"));
    EXPECT_FALSE(IsValidBatchPattern("%"));
    EXPECT_FALSE(IsValidBatchPattern("a%"));
    EXPECT_FALSE(IsValidBatchPattern("%5d"));
    EXPECT_FALSE(IsValidBatchPattern("%ld"));
    EXPECT_EQ("100%-3", FormatBatchName("100%%-%d", 3));
    EXPECT_EQ("x00042.tif", FormatBatchName("x%05d.tif", 42));
    EXPECT_EQ("x123456.tif", FormatBatchName("x%05d.tif", 123456));
}

TEST(ScanOptions, FormatFromOptionThenExtension)
{
    EXPECT_EQ(EImageFormat::Png, EffectiveFormat(Ok({"-o", "a.PNG"})));
    EXPECT_EQ(EImageFormat::Tiff, EffectiveFormat(Ok({"-o", "a.tiff"})));
    EXPECT_EQ(EImageFormat::Tiff, EffectiveFormat(Ok({"-o", "a.tif"})));
    EXPECT_EQ(EImageFormat::Jpeg, EffectiveFormat(Ok({"-o", "a.jpeg"})));
    EXPECT_EQ(EImageFormat::Bmp, EffectiveFormat(Ok({"-o", "a.raw"})));
    EXPECT_EQ(EImageFormat::Bmp, EffectiveFormat(Ok({"-o", "dir.png\\file"})));
    EXPECT_EQ(EImageFormat::Png, EffectiveFormat(Ok({"-o", "a.bmp", "--format", "png"})));
    EXPECT_EQ("scan.tif", OutputName(Ok({"--format", "TIFF"}), 0));
    ExpectError({"--format", "gif"}, "--format must be");
}

TEST(ScanOptions, CapabilitySettings)
{
    SScanOptions o = Ok({"--cap", "ICAP_BRIGHTNESS=-20.5", "--cap=0x1101=3", "--cap", "4353=true"});
    ASSERT_EQ(3u, o.caps.size());
    EXPECT_EQ(ICAP_BRIGHTNESS, o.caps[0].wCap);
    EXPECT_EQ("-20.5", o.caps[0].sValue);
    EXPECT_EQ(0x1101, o.caps[1].wCap);
    EXPECT_EQ(4353, o.caps[2].wCap);
    EXPECT_EQ(CAP_DUPLEXENABLED, Ok({"--cap", "cap_duplexenabled=1"}).caps[0].wCap);
    ExpectError({"--cap", "ICAP_NOSUCH=1"}, "--cap must be ID=VALUE");
    ExpectError({"--cap", "ICAP_BRIGHTNESS"}, "--cap must be ID=VALUE");
    ExpectError({"--cap", "ICAP_BRIGHTNESS="}, "--cap must be ID=VALUE");
    ExpectError({"--cap", "0x10000=1"}, "--cap must be ID=VALUE");
    ExpectError({"--cap", "-1=1"}, "--cap must be ID=VALUE");
}

TEST(ScanOptions, TimeoutAndUnknownOptions)
{
    EXPECT_EQ(5, Ok({"--timeout", "5"}).nTimeoutSeconds);
    ExpectError({"--timeout", "0"}, "--timeout must be");
    ExpectError({"--colour"}, "unknown option \"--colour\"");
    ExpectError({"scan.bmp"}, "unknown option");
    ExpectError({"-Z"}, "unknown option");
}

TEST(ScanOptions, UsageNamesEveryOption)
{
    std::string s = UsageText();
    for (const char* psz : {"-L", "-d", "--mode", "--resolution", "--source", "--size", "-l", "-x", "--xfer", "--ui",
                            "--count", "--cap", "--list-caps", "-o", "--batch", "--batch-start", "--batch-count",
                            "--format", "--progress", "--verbose", "-n", "--timeout", "--dsm", "--no-callback"})
        EXPECT_NE(std::string::npos, s.find(psz)) << psz;
}
