// The scan settings file: preparing it, named and current settings, and where it lives.
#include "SettingsTestUtil.h"

#include "settings/CfgFileHlper.h"
#include "settings/ScanSettingsStore.h"
#include "settings/SettingsLocation.h"

#include <gtest/gtest.h>

namespace {

using namespace std::string_literals;

ScanParamBlob Record(uint8_t nFill)
{
    ScanParamBlob record;
    record.fill(nFill);
    record[0] = 0x3C;  // "<": records are data, never scanned for tags
    record[615] = 0x3E;
    return record;
}

const std::string kPreparedFile =
    "<object:cfgobj,type:null,len:0,childobjs:2>\n"
    "<object:version,type:string,len:8,childobjs:0>1.0.0.1\0<endobj>\n"
    "<object:ScanParam,type:null,len:0,childobjs:3>\n"
    "<object:savesetting,type:null,len:0,childobjs:0>\n<endobj>\n"
    "<object:cursetting,type:null,len:0,childobjs:0>\n<endobj>\n"
    "<object:cuspapersetting,type:null,len:0,childobjs:0>\n<endobj>\n"
    "<endobj>\n"
    "<endobj>\n"s;

class ScanSettingsStoreTest : public testing::Test {
protected:
    CTestProfile m_profile;
    CScratchDir m_dir;
    CScanSettingsStore m_store{m_dir.Wide("settings.dat")};

    std::string FileText() const { return ReadText(m_dir.Path() / "settings.dat"); }
    std::vector<std::wstring> Names() const
    {
        std::vector<std::wstring> names;
        m_store.ListNamed(&names, 100);
        return names;
    }
};

TEST_F(ScanSettingsStoreTest, PrepareMakesRootVersionAndEmptyContainers)
{
    ASSERT_TRUE(m_store.PrepareFile());
    EXPECT_EQ(FileText(), kPreparedFile);
    ASSERT_TRUE(m_store.PrepareFile());  // a prepared file stays as it is
    EXPECT_EQ(FileText(), kPreparedFile);
    EXPECT_EQ(m_store.ListNamed(nullptr, 0), 0);
}

TEST_F(ScanSettingsStoreTest, PrepareAddsMissingContainersAndKeepsSettings)
{
    WriteBytes(m_dir.Path() / "settings.dat",
               "<object:cfgobj,type:null,len:0,childobjs:2>\n"
               "<object:version,type:string,len:8,childobjs:0>1.0.0.1\0<endobj>\n"
               "<object:ScanParam,type:null,len:0,childobjs:1>\n"
               "<object:savesetting,type:null,len:0,childobjs:1>\n"
               "<object:Mine,type:binary,len:616,childobjs:0>"s +
                   std::string(616, 'm') + "<endobj>\n<endobj>\n<endobj>\n<endobj>\n");
    ASSERT_TRUE(m_store.PrepareFile());
    EXPECT_EQ(Names(), std::vector<std::wstring>{L"Mine"});
    ScanParamBlob record{};
    ASSERT_TRUE(m_store.LoadNamed(L"Mine", record));
    EXPECT_EQ(record[300], 'm');
    EXPECT_TRUE(m_store.WriteCurrent(L"Mine", record));  // "cursetting" exists now
}

TEST_F(ScanSettingsStoreTest, VersionMismatchReplacesTheWholeFile)
{
    m_profile.Set(L"Version", L"0.9");
    ASSERT_TRUE(m_store.PrepareFile());
    ASSERT_TRUE(m_store.SaveNamed(L"Old", Record(1)));
    ASSERT_TRUE(m_store.WriteCurrent(L"Old", Record(1)));

    m_profile.Set(L"Version", L"1.0.0.1");
    ASSERT_TRUE(m_store.PrepareFile());
    EXPECT_EQ(FileText(), kPreparedFile);
}

TEST_F(ScanSettingsStoreTest, UnreadableFileIsStartedAfresh)
{
    WriteBytes(m_dir.Path() / "settings.dat", "<object:cfgobj,type:null,len:0,childobjs:2>\n<object:version,ty");
    EXPECT_FALSE(m_store.SaveNamed(L"A", Record(1)));
    ASSERT_TRUE(m_store.PrepareFile());
    EXPECT_EQ(FileText(), kPreparedFile);
}

TEST_F(ScanSettingsStoreTest, SavingAnExistingNameReplacesItAndMovesItToTheEnd)
{
    ASSERT_TRUE(m_store.PrepareFile());
    for (const wchar_t* szName : {L"A", L"B", L"C"})
        ASSERT_TRUE(m_store.SaveNamed(szName, Record(1)));
    ASSERT_TRUE(m_store.SaveNamed(L"A", Record(9)));
    EXPECT_EQ(Names(), (std::vector<std::wstring>{L"B", L"C", L"A"}));
    ScanParamBlob record{};
    ASSERT_TRUE(m_store.LoadNamed(L"A", record));
    EXPECT_EQ(record, Record(9));
    EXPECT_EQ(m_store.ListNamed(nullptr, 0), 3);
    std::vector<std::wstring> names;
    EXPECT_EQ(m_store.ListNamed(&names, 2), 2);
    EXPECT_EQ(names, (std::vector<std::wstring>{L"B", L"C"}));
}

TEST_F(ScanSettingsStoreTest, NamesLongerThanFortyCharactersAreRefusedEverywhere)
{
    ASSERT_TRUE(m_store.PrepareFile());
    const std::wstring sz40(40, L'x'), sz41(41, L'x');
    ASSERT_TRUE(m_store.SaveNamed(sz40, Record(4)));
    const std::string szBefore = FileText();
    ScanParamBlob record{};
    std::wstring szName;
    EXPECT_FALSE(m_store.SaveNamed(sz41, Record(1)));
    EXPECT_FALSE(m_store.LoadNamed(sz41, record));
    EXPECT_FALSE(m_store.DeleteNamed(sz41));
    EXPECT_FALSE(m_store.WriteCurrent(sz41, Record(1)));
    EXPECT_FALSE(m_store.ReadCurrent(szName, record));
    EXPECT_EQ(FileText(), szBefore);
    EXPECT_TRUE(m_store.LoadNamed(sz40, record));
    EXPECT_TRUE(m_store.DeleteNamed(sz40));
    EXPECT_FALSE(m_store.DeleteNamed(sz40));
    EXPECT_FALSE(m_store.SaveNamed(L"", Record(1)));
}

TEST_F(ScanSettingsStoreTest, RecordsOfTheWrongLengthCountAsMissing)
{
    WriteBytes(m_dir.Path() / "settings.dat",
               "<object:cfgobj,type:null,len:0,childobjs:2>\n"
               "<object:version,type:string,len:8,childobjs:0>1.0.0.1\0<endobj>\n"
               "<object:ScanParam,type:null,len:0,childobjs:3>\n"
               "<object:savesetting,type:null,len:0,childobjs:1>\n"
               "<object:Short,type:binary,len:615,childobjs:0>"s +
                   std::string(615, 's') +
                   "<endobj>\n<endobj>\n"
                   "<object:cursetting,type:null,len:0,childobjs:1>\n"
                   "<object:Cur,type:binary,len:617,childobjs:0>" +
                   std::string(617, 'c') +
                   "<endobj>\n<endobj>\n"
                   "<object:cuspapersetting,type:null,len:0,childobjs:0>\n<endobj>\n<endobj>\n<endobj>\n");
    ScanParamBlob record = Record(7);
    std::wstring szName = L"unchanged";
    EXPECT_FALSE(m_store.LoadNamed(L"Short", record));
    EXPECT_FALSE(m_store.ReadCurrent(szName, record));
    EXPECT_EQ(record, Record(7));
    ASSERT_TRUE(m_store.WriteCurrent(L"New", Record(2)));
    ASSERT_TRUE(m_store.ReadCurrent(szName, record));
    EXPECT_EQ(szName, L"New");
    EXPECT_EQ(record, Record(2));
}

TEST_F(ScanSettingsStoreTest, WriteCurrentReplacesTheOneCurrentSetting)
{
    ASSERT_TRUE(m_store.PrepareFile());
    std::wstring szName;
    ScanParamBlob record{};
    EXPECT_FALSE(m_store.ReadCurrent(szName, record));
    ASSERT_TRUE(m_store.WriteCurrent(L"\x9ED8\x8BA4", Record(3)));
    ASSERT_TRUE(m_store.WriteCurrent(L"Second", Record(5)));
    ASSERT_TRUE(m_store.ReadCurrent(szName, record));
    EXPECT_EQ(szName, L"Second");
    EXPECT_EQ(record, Record(5));
    EXPECT_NE(FileText().find("<object:cursetting,type:null,len:0,childobjs:1>"), std::string::npos);
}

TEST_F(ScanSettingsStoreTest, OperationsFailWithoutTheirContainerAndChangeNothing)
{
    WriteBytes(m_dir.Path() / "settings.dat",
               "<object:cfgobj,type:null,len:0,childobjs:1>\n"
               "<object:version,type:string,len:8,childobjs:0>1.0.0.1\0<endobj>\n<endobj>\n"s);
    const std::string szBefore = FileText();
    ScanParamBlob record{};
    std::wstring szName;
    EXPECT_FALSE(m_store.SaveNamed(L"A", Record(1)));
    EXPECT_FALSE(m_store.LoadNamed(L"A", record));
    EXPECT_FALSE(m_store.DeleteNamed(L"A"));
    EXPECT_EQ(m_store.ListNamed(nullptr, 0), -1);
    EXPECT_FALSE(m_store.WriteCurrent(L"A", Record(1)));
    EXPECT_FALSE(m_store.ReadCurrent(szName, record));
    EXPECT_EQ(FileText(), szBefore);
}

TEST_F(ScanSettingsStoreTest, FileOutputModeKeepsItsOwnFile)
{
    const std::wstring szSep = m_dir.Separator();
    const CSettingsLocation location = MakeSettingsLocation(m_dir.Wide(), szSep + L"Vendor" + szSep,
                                                            szSep + L"Vendor" + szSep + L"Scanner" + szSep);
    ASSERT_TRUE(CreateSettingsDirectories(location));
    EXPECT_TRUE(std::filesystem::is_directory(m_dir.Path() / "Vendor" / "Scanner"));
    EXPECT_EQ(location.m_szDirectory, m_dir.Wide() + szSep + L"Vendor" + szSep + L"Scanner" + szSep);
    EXPECT_EQ(SettingsFilePath(location, false), location.m_szDirectory + L"settings.dat");
    EXPECT_EQ(NetInstallMarkerPath(location), location.m_szDirectory + L"net_install.dat");

    CScanSettingsStore twain(SettingsFilePath(location, false));
    ASSERT_TRUE(twain.PrepareFile());
    ASSERT_TRUE(twain.SaveNamed(L"Twain", Record(1)));
    const std::string szTwainFile = ReadText(NarrowPath(twain.FilePath()));

    CScanSettingsStore app(SettingsFilePath(location, true));
    EXPECT_EQ(app.FilePath(), location.m_szDirectory + L"APPsettings.dat");
    ASSERT_TRUE(app.PrepareFile());
    ASSERT_TRUE(app.SaveNamed(L"App", Record(2)));
    ASSERT_TRUE(app.WriteCurrent(L"App", Record(2)));
    ASSERT_TRUE(app.DeleteNamed(L"App"));
    EXPECT_EQ(ReadText(NarrowPath(twain.FilePath())), szTwainFile);
    ScanParamBlob record{};
    EXPECT_FALSE(app.LoadNamed(L"Twain", record));
}

TEST_F(ScanSettingsStoreTest, LocationComesFromTheProfile)
{
    m_profile.Set(L"Setting Folder", L"/F");
    m_profile.Set(L"Setting Path", L"/F/P/");
    const CSettingsLocation location = SettingsLocationFromProfile(L"/data");
    EXPECT_EQ(location.m_szFolder, L"/data/F");
    EXPECT_EQ(location.m_szDirectory, L"/data/F/P/");
    // Parts without separators are folders below the application data all the same.
    const std::wstring szSep = m_dir.Separator();
    const CSettingsLocation bare = MakeSettingsLocation(L"D", L"Vendor", L"Vendor" + szSep + L"Scanner");
    EXPECT_EQ(bare.m_szFolder, L"D" + szSep + L"Vendor");
    EXPECT_EQ(bare.m_szDirectory, L"D" + szSep + L"Vendor" + szSep + L"Scanner" + szSep);
    WriteBytes(m_dir.Path() / "blocker", "a file where a folder should be");
    EXPECT_FALSE(CreateSettingsDirectories(MakeSettingsLocation(m_dir.Wide("blocker"), L"", m_dir.Separator() + L"x")));
}

}  // namespace
