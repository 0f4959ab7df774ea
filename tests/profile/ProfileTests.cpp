#include <gtest/gtest.h>

#include <filesystem>

#include "harness/TestEnv.h"
#include "profile/ProductProfile.h"

using namespace mvltest;
namespace fs = std::filesystem;

namespace {

// Writes the profile this executable reads, removed again with the object.
class CScopedProfile {
public:
    explicit CScopedProfile(const std::string& sBody)
    {
        std::wstring sModel;
        m_path = ProfilePathForModule(OwnModulePath(), &sModel);
        std::string sText = sBody;
        for (size_t pos; (pos = sText.find("%MODEL%")) != std::string::npos;)
            sText.replace(pos, 7, std::string(sModel.begin(), sModel.end()));
        WriteTextFile(m_path, sText);
    }
    ~CScopedProfile()
    {
        std::error_code ec;
        fs::remove(m_path, ec);
    }

private:
    fs::path m_path;
};

}  // namespace

TEST(ProductProfile, PathDropsTheLastFiveCharactersOfTheLibraryName)
{
    std::wstring sModel;
    EXPECT_EQ(WindowsDir() + L"\\abcdefghi.ini", ProfilePathForModule(L"C:\\X\\Model1\\abcdefghij.dll", &sModel));
    EXPECT_EQ(L"Model1", sModel);
    EXPECT_EQ(WindowsDir() + L"\\mvlTWAIN.ini", ProfilePathForModule(L"C:\\Windows\\twain_64\\MV4200\\mvlTWAIN64.ds", &sModel));
    EXPECT_EQ(L"MV4200", sModel);
}

TEST(ProductProfile, ShortOrBareNamesDoNotBreakThePath)
{
    std::wstring sModel = L"unchanged";
    EXPECT_EQ(WindowsDir() + L"\\.ini", ProfilePathForModule(L"a.ds", &sModel));
    EXPECT_EQ(L"", sModel);
    EXPECT_EQ(WindowsDir() + L"\\.ini", ProfilePathForModule(L"", &sModel));
    std::wstring sLongFolder(400, L'f');
    ProfilePathForModule(L"C:\\" + sLongFolder + L"\\abcdefghij.dll", &sModel);
    EXPECT_EQ(260u, sModel.size());
}

TEST(ProductProfile, ModelKeysCarryTheFolderName)
{
    CScopedProfile profile("[TWAIN]\r\nHasADF(%MODEL%)=FALSE\r\nHasADF(other)=TRUE\r\n");
    EXPECT_FALSE(ReadModelFlag(L"HasADF", true));
    EXPECT_FALSE(ReadModelFlag(L"HasManualDuplex", false));
    EXPECT_TRUE(ReadModelFlag(L"HasManualDuplex", true));
}

// The flags are process-wide and never cleared, so the steps run in this order in one test.
TEST(ProductProfile, FlagRulesInOrder)
{
    {
        CScopedProfile profile("[TWAIN]\r\nIsPlatformK(%MODEL%)=true\r\nHasOFD=no\r\nIsKRV=yes\r\n");
        ReadOpenDsFlags();
        ReadDialogFlags();
        EXPECT_FALSE(g_bIsPlatformK);
        EXPECT_FALSE(g_bKRV);
        EXPECT_TRUE(g_bHasOFD);
        // With neither platform flag the duplex capability is not available.
        EXPECT_FALSE(DuplexCapAvailable());
        EXPECT_EQ(18, DefaultGammaTenths());
        EXPECT_EQ(72, DefaultThreshold());
        EXPECT_EQ(5, DefaultScanSizeIndex());
    }
    {
        CScopedProfile profile("[TWAIN]\r\nIsTevoA3Plus=TRUE\r\nHasOFD=FALSE\r\n");
        ReadDialogFlags();
        EXPECT_TRUE(g_bIsTevoA3Plus);
        EXPECT_TRUE(g_bIsTevoA3);
        EXPECT_FALSE(g_bHasOFD);
        EXPECT_EQ(12, DefaultScanSizeIndex());
        EXPECT_EQ(10, DefaultGammaTenths());
    }
    {
        // Re-reading a profile without the keys leaves the flags set.
        CScopedProfile profile("[TWAIN]\r\n");
        ReadDialogFlags();
        EXPECT_TRUE(g_bIsTevoA3Plus);
        EXPECT_FALSE(g_bHasOFD);
    }
    {
        CScopedProfile profile("[TWAIN]\r\nIsPlatformK(%MODEL%)=TRUE\r\n");
        ReadOpenDsFlags();
        EXPECT_TRUE(g_bIsPlatformK);
        EXPECT_TRUE(DuplexCapAvailable());
        EXPECT_EQ(183, DefaultThreshold());
    }
    {
        CScopedProfile profile("[TWAIN]\r\nIsPlatformL_RGB_ZT4410QRS(%MODEL%)=TRUE\r\n");
        ReadOpenDsFlags();
        EXPECT_FALSE(DuplexCapAvailable());
    }
}

TEST(ProductProfile, FilePrefixIsKeptAndCut)
{
    {
        CScopedProfile profile("[TWAIN]\r\nFile Prefix=mvl\r\n");
        EXPECT_EQ(L"mvl", ReadFilePrefix());
        EXPECT_STREQ(L"mvl", g_szFilePrefix);
    }
    {
        CScopedProfile profile("[TWAIN]\r\nFile Prefix=" + std::string(300, 'p') + "\r\n");
        EXPECT_EQ(260u, ReadFilePrefix().size());
    }
    EXPECT_EQ(L"", ReadFilePrefix());
}
