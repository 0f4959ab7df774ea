// The settings text format: exact bytes written, what the reader accepts and rejects, and the
// operations on the tree.
#include "SettingsTestUtil.h"

#include "settings/CfgFileHlper.h"
#include "settings/CfgReader.h"
#include "settings/CfgWriter.h"
#include "settings/WideUtf8.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

using namespace std::string_literals;

CfgParseResult Parse(const std::string& szBytes)
{
    return ParseCfg(std::span(reinterpret_cast<const uint8_t*>(szBytes.data()), szBytes.size()));
}

std::string Serialize(const CfgFile& root)
{
    const std::vector<char> buf = SerializeCfg(root);
    return std::string(buf.begin(), buf.end());
}

std::unique_ptr<CfgFile> MakeRoot()
{
    auto pRoot = std::make_unique<CfgFile>();
    pRoot->m_szName = "cfgobj";
    pRoot->m_szType = "null";
    return pRoot;
}

std::string DataOf(const CfgFile& obj)
{
    return std::string(obj.m_data.begin(), obj.m_data.begin() + obj.m_nDataLen);
}

class CfgFormatTest : public testing::Test {
protected:
    CTestProfile m_profile;
    CfgFileHlper m_hlp;
};

TEST_F(CfgFormatTest, WritesHeadersDataAndEndTagsExactly)
{
    auto pRoot = MakeRoot();
    CfgFile* pScan = m_hlp.Add(pRoot.get(), L"ScanParam", "null", nullptr, 0);
    ASSERT_NE(pScan, nullptr);
    for (const wchar_t* szName : {L"savesetting", L"cursetting", L"cuspapersetting"})
        ASSERT_NE(m_hlp.Add(pScan, szName, "null", nullptr, 0), nullptr);
    ASSERT_NE(m_hlp.Add(pRoot.get(), L"v", "string", "1.0", 4), nullptr);
    EXPECT_EQ(Serialize(*pRoot),
              ("<object:cfgobj,type:null,len:0,childobjs:2>\n"
                          "<object:ScanParam,type:null,len:0,childobjs:3>\n"
                          "<object:savesetting,type:null,len:0,childobjs:0>\n<endobj>\n"
                          "<object:cursetting,type:null,len:0,childobjs:0>\n<endobj>\n"
                          "<object:cuspapersetting,type:null,len:0,childobjs:0>\n<endobj>\n"
                          "<endobj>\n"
                          "<object:v,type:string,len:4,childobjs:0>1.0\0<endobj>\n"
                          "<endobj>\n"s));
}

TEST_F(CfgFormatTest, NameWithGreaterThanBeforeChildobjsReadsBack)
{
    auto pRoot = MakeRoot();
    ASSERT_NE(m_hlp.Add(pRoot.get(), L"a>b>", "null", nullptr, 0), nullptr);
    const std::string szFile = Serialize(*pRoot);
    EXPECT_NE(szFile.find("<object:a>b>,type:null,len:0,childobjs:0>\n"), std::string::npos);
    CfgParseResult parsed = Parse(szFile);
    ASSERT_TRUE(parsed.m_pRoot);
    ASSERT_EQ(parsed.m_pRoot->m_children.size(), 1u);
    EXPECT_EQ(parsed.m_pRoot->m_children[0]->m_szName, "a>b>");
}

TEST_F(CfgFormatTest, DataIsCountedNotScanned)
{
    const std::string szData = "<endobj>\n<object:x,type:null,len:0,childobjs:0>>\0<"s;
    auto pRoot = MakeRoot();
    ASSERT_NE(m_hlp.Add(pRoot.get(), L"rec", "binary", szData.data(), static_cast<int32_t>(szData.size())), nullptr);
    ASSERT_NE(m_hlp.Add(pRoot.get(), L"after", "null", nullptr, 0), nullptr);
    CfgParseResult parsed = Parse(Serialize(*pRoot));
    ASSERT_TRUE(parsed.m_pRoot) << static_cast<int>(parsed.m_eError);
    ASSERT_EQ(parsed.m_pRoot->m_children.size(), 2u);
    EXPECT_EQ(DataOf(*parsed.m_pRoot->m_children[0]), szData);
    EXPECT_EQ(parsed.m_pRoot->m_children[1]->m_szName, "after");
    // The slack beyond the data is zero, so text data is always terminated.
    const CfgFile& rec = *parsed.m_pRoot->m_children[0];
    ASSERT_EQ(rec.m_data.size(), szData.size() + kCfgDataSlack);
    for (size_t i = szData.size(); i < rec.m_data.size(); ++i)
        EXPECT_EQ(rec.m_data[i], 0) << i;
}

TEST_F(CfgFormatTest, CommaNamesFollowTheValueSplit)
{
    auto pRoot = MakeRoot();
    ASSERT_NE(m_hlp.Add(pRoot.get(), L",", "null", nullptr, 0), nullptr);
    ASSERT_NE(m_hlp.Add(pRoot.get(), L",,,", "null", nullptr, 0), nullptr);
    const std::string szFile = Serialize(*pRoot);
    EXPECT_NE(szFile.find("<object:,,type:null,len:0,childobjs:0>"), std::string::npos);
    CfgParseResult parsed = Parse(szFile);
    ASSERT_TRUE(parsed.m_pRoot);
    EXPECT_EQ(parsed.m_pRoot->m_children[0]->m_szName, ",");
    EXPECT_EQ(parsed.m_pRoot->m_children[1]->m_szName, ",,,");

    // A comma inside other text would be cut at the comma on reading: refused, not mangled.
    EXPECT_EQ(m_hlp.Add(pRoot.get(), L"a,b", "null", nullptr, 0), nullptr);
    EXPECT_EQ(m_hlp.Add(pRoot.get(), L",a", "null", nullptr, 0), nullptr);
    EXPECT_EQ(pRoot->m_nChildCount, 2);

    // Files from elsewhere: an empty value, and a cut value, read as the split defines them.
    parsed = Parse("<object:,type:null,len:0,childobjs:0><endobj>");
    ASSERT_TRUE(parsed.m_pRoot);
    EXPECT_EQ(parsed.m_pRoot->m_szName, "");
    parsed = Parse("<object:a,b,type:null,len:0,childobjs:0><endobj>");
    ASSERT_TRUE(parsed.m_pRoot);
    EXPECT_EQ(parsed.m_pRoot->m_szName, "a");
    EXPECT_EQ(parsed.m_pRoot->m_szType, "null");
}

TEST_F(CfgFormatTest, NameLengthsAtTheFieldLimit)
{
    auto pRoot = MakeRoot();
    const std::wstring sz127(127, L'n'), sz128(128, L'n');
    ASSERT_NE(m_hlp.Add(pRoot.get(), sz127.c_str(), "null", nullptr, 0), nullptr);
    EXPECT_EQ(m_hlp.Add(pRoot.get(), sz128.c_str(), "null", nullptr, 0), nullptr);
    EXPECT_EQ(m_hlp.Add(pRoot.get(), L"", "null", nullptr, 0), nullptr);
    // 127 commas: a run of 128 in the file, within the reader's look-ahead.
    const std::wstring szCommas(127, L',');
    ASSERT_NE(m_hlp.Add(pRoot.get(), szCommas.c_str(), "null", nullptr, 0), nullptr);
    // 43 three-byte characters are 129 bytes of UTF-8.
    const std::wstring szWide(43, L'\x4E2D');
    EXPECT_EQ(m_hlp.Add(pRoot.get(), szWide.c_str(), "null", nullptr, 0), nullptr);
    CfgParseResult parsed = Parse(Serialize(*pRoot));
    ASSERT_TRUE(parsed.m_pRoot);
    EXPECT_TRUE(CfgTreesEqual(*parsed.m_pRoot, *pRoot));

    const std::string szLong = "<object:" + std::string(128, 'n') + ",type:null,len:0,childobjs:0><endobj>";
    EXPECT_EQ(Parse(szLong).m_eError, CfgParseError::MalformedHeader);
}

TEST_F(CfgFormatTest, ReaderIgnoresBytesOutsideTagsAndSurplusEndTags)
{
    CfgParseResult parsed =
        Parse("junk\r\n<object:cfgobj,type:null,len:0,childobjs:1>xx\n<object:a,type:t,len:2,childobjs:0>hi"
              "<endobj> <endobj>\n<endobj>\n");
    ASSERT_TRUE(parsed.m_pRoot);
    ASSERT_EQ(parsed.m_pRoot->m_children.size(), 1u);
    EXPECT_EQ(DataOf(*parsed.m_pRoot->m_children[0]), "hi");
    EXPECT_EQ(parsed.m_pRoot->m_children[0]->m_pParent, parsed.m_pRoot.get());
}

struct CBadFile {
    const char* m_szWhy;
    std::string m_szBytes;
    CfgParseError m_eError;
};

TEST_F(CfgFormatTest, ChildCountsFollowTheChildrenRead)
{
    CfgParseResult parsed = Parse(
        "<object:cfgobj,type:null,len:0,childobjs:5>\n<object:a,type:null,len:0,childobjs:0>\n<endobj>\n<endobj>\n");
    ASSERT_TRUE(parsed.m_pRoot);
    EXPECT_EQ(parsed.m_pRoot->m_nChildCount, 1);
}

TEST_F(CfgFormatTest, ReaderRejectsWholeCorruptFiles)
{
    const std::string szRootOpen = "<object:cfgobj,type:null,len:0,childobjs:1>\n";
    std::string szDeep;
    for (int i = 0; i <= kCfgMaxDepth; ++i)
        szDeep += "<object:d,type:null,len:0,childobjs:1>";
    for (int i = 0; i <= kCfgMaxDepth; ++i)
        szDeep += "<endobj>";
    const std::vector<CBadFile> cases = {
        {"empty", "", CfgParseError::NoObject},
        {"text only", "no tags here", CfgParseError::NoObject},
        {"tag longer than its buffer", "<object:" + std::string(300, 'x') + ">", CfgParseError::TagTooLong},
        {"unknown tag", "<foo endobj>", CfgParseError::NotObjectTag},
        {"missing fields", "<object:a,type:null,childobjs>", CfgParseError::MalformedHeader},
        {"length not a number", "<object:a,type:null,len:x,childobjs:0><endobj>", CfgParseError::MalformedHeader},
        {"count not a number", "<object:a,type:null,len:0,childobjs:1z><endobj>", CfgParseError::MalformedHeader},
        {"length overflows", "<object:a,type:null,len:99999999999,childobjs:0>", CfgParseError::MalformedHeader},
        {"zero byte in a tag", "<object:a\0,type:n,len:0,childobjs:0>"s, CfgParseError::MalformedHeader},
        {"end before any object", "<endobj>\n" + szRootOpen + "<endobj>\n", CfgParseError::EndBeforeObject},
        {"negative length", "<object:a,type:b,len:-1,childobjs:0><endobj>", CfgParseError::BadLength},
        {"length beyond the file", "<object:a,type:b,len:20,childobjs:0>0123456789<endobj>", CfgParseError::BadLength},
        {"negative count", "<object:a,type:null,len:0,childobjs:-2><endobj>", CfgParseError::BadChildCount},
        {"count beyond the file", "<object:a,type:null,len:0,childobjs:1000><endobj>", CfgParseError::BadChildCount},
        {"data and children", "<object:a,type:b,len:1,childobjs:1>x<endobj>", CfgParseError::BadChildCount},
        {"child inside data object",
         szRootOpen + "<object:a,type:b,len:1,childobjs:0>x<object:c,type:null,len:0,childobjs:0><endobj><endobj>"
                      "<endobj>",
         CfgParseError::DataAndChildren},
        {"too deep", szDeep, CfgParseError::TooDeep},
        {"second root", szRootOpen + "<endobj>\n" + szRootOpen + "<endobj>\n", CfgParseError::AfterRoot},
        {"cut inside a tag", szRootOpen + "<object:a,ty", CfgParseError::Truncated},
        {"cut before the end tags", szRootOpen + "<object:a,type:null,len:0,childobjs:0>\n<endobj>\n",
         CfgParseError::Truncated},
    };
    for (const CBadFile& bad : cases) {
        CfgParseResult parsed = Parse(bad.m_szBytes);
        EXPECT_EQ(parsed.m_pRoot, nullptr) << bad.m_szWhy;
        EXPECT_EQ(parsed.m_eError, bad.m_eError) << bad.m_szWhy;
    }
}

TEST_F(CfgFormatTest, ReaderRejectsAFileCutInsideItsData)
{
    auto pRoot = MakeRoot();
    const std::string szRecord(616, '\x5A');
    ASSERT_NE(m_hlp.Add(pRoot.get(), L"rec", "binary", szRecord.data(), 616), nullptr);
    const std::string szFile = Serialize(*pRoot);
    const size_t nDataStart = szFile.find("childobjs:0>") + 12;
    // Every cut from inside the data to the last byte leaves something unfinished.
    for (size_t nCut = nDataStart + 1; nCut < szFile.size(); nCut += 7)
        EXPECT_EQ(Parse(szFile.substr(0, nCut)).m_pRoot, nullptr) << nCut;
    EXPECT_TRUE(Parse(szFile).m_pRoot);
}

TEST_F(CfgFormatTest, FindAndRemoveGoDepthFirstInListOrder)
{
    auto pRoot = MakeRoot();
    CfgFile* pA = m_hlp.Add(pRoot.get(), L"a", "null", nullptr, 0);
    CfgFile* pDeepX = m_hlp.Add(pA, L"x", "string", "deep", 5);
    CfgFile* pTopX = m_hlp.Add(pRoot.get(), L"x", "string", "top", 4);
    ASSERT_TRUE(pA && pDeepX && pTopX);

    EXPECT_EQ(m_hlp.Find(pRoot.get(), L"x", true), pTopX);
    EXPECT_EQ(m_hlp.Find(pRoot.get(), L"x", false), pDeepX);
    EXPECT_EQ(m_hlp.Find(pRoot.get(), L"cfgobj", false), pRoot.get());
    EXPECT_EQ(m_hlp.Find(pRoot.get(), L"cfgobj", true), nullptr);
    EXPECT_EQ(m_hlp.Find(pDeepX, L"x", true), nullptr);  // no children at all
    EXPECT_EQ(m_hlp.Find(nullptr, L"x", true), nullptr);
    EXPECT_EQ(m_hlp.Find(pRoot.get(), nullptr, true), nullptr);

    ASSERT_TRUE(m_hlp.Remove(pRoot.get(), L"x", false));
    EXPECT_EQ(pA->m_nChildCount, 0);
    EXPECT_TRUE(pA->m_children.empty());
    EXPECT_EQ(pRoot->m_nChildCount, 2);
    EXPECT_TRUE(m_hlp.Remove(pRoot.get(), L"x", true));
    EXPECT_EQ(pRoot->m_nChildCount, 1);
    EXPECT_FALSE(m_hlp.Remove(pRoot.get(), L"x", false));
    EXPECT_FALSE(m_hlp.Remove(pRoot.get(), L"", false));
    CfgFile* pData = m_hlp.Add(pRoot.get(), L"d", "binary", "z", 1);
    ASSERT_TRUE(pData);
    EXPECT_EQ(m_hlp.Add(pData, L"child", "null", nullptr, 0), nullptr);  // data objects take no children
    EXPECT_EQ(m_hlp.Add(pRoot.get(), L"y", "binary", nullptr, 5), nullptr);
    EXPECT_EQ(m_hlp.Add(pRoot.get(), L"y", "bad,type", nullptr, 0), nullptr);
    EXPECT_EQ(m_hlp.Add(pRoot.get(), L"endobj>", "null", nullptr, 0), nullptr);
}

TEST_F(CfgFormatTest, ListNamesAndNameConvertFromUtf8)
{
    auto pRoot = MakeRoot();
    for (const wchar_t* szName : {L"one", L"\x00E9t\x00E9", L"\x4E2D\x6587"})
        ASSERT_NE(m_hlp.Add(pRoot.get(), szName, "null", nullptr, 0), nullptr);
    EXPECT_EQ(pRoot->m_children[1]->m_szName, "\xC3\xA9t\xC3\xA9");
    std::vector<std::wstring> names;
    EXPECT_EQ(m_hlp.ListNames(pRoot.get(), names, 2), 2);
    EXPECT_EQ(names, (std::vector<std::wstring>{L"one", L"\x00E9t\x00E9"}));
    EXPECT_EQ(m_hlp.ListNames(pRoot.get(), names, 10), 3);
    EXPECT_EQ(names[2], L"\x4E2D\x6587");
    EXPECT_EQ(m_hlp.ListNames(nullptr, names, 10), 0);
    std::wstring szName;
    ASSERT_TRUE(m_hlp.Name(pRoot->m_children[2].get(), szName));
    EXPECT_EQ(szName, L"\x4E2D\x6587");
    // A name read from a damaged file still converts, with the damage marked.
    pRoot->m_children[0]->m_szName = "a\xFF" "b";
    ASSERT_TRUE(m_hlp.Name(pRoot->m_children[0].get(), szName));
    EXPECT_EQ(szName, L"a\xFFFD" L"b");
}

TEST_F(CfgFormatTest, TextConversionsAreStrictOneWayAndLenientTheOther)
{
    EXPECT_EQ(WideToUtf8(L"\x00E9\x4E2D"), "\xC3\xA9\xE4\xB8\xAD");
    EXPECT_EQ(Utf8ToWide("\xE4\xB8\xAD"), L"\x4E2D");
    EXPECT_EQ(Utf8ToWide("\xC0\xAF"), L"\xFFFD\xFFFD");  // overlong "/"
    EXPECT_EQ(Utf8ToWide("\xE4\xB8"), L"\xFFFD\xFFFD");  // cut short
    if constexpr (sizeof(wchar_t) == 2) {
        const wchar_t szPair[] = {0xD83D, 0xDE00, 0};
        EXPECT_EQ(WideToUtf8(szPair), "\xF0\x9F\x98\x80");
        EXPECT_EQ(Utf8ToWide("\xF0\x9F\x98\x80"), szPair);
        const wchar_t szLone[] = {L'a', 0xD83D, 0};
        EXPECT_FALSE(WideToUtf8(szLone));
    } else {
        const wchar_t szLone[] = {L'a', static_cast<wchar_t>(0xD83D), 0};
        EXPECT_FALSE(WideToUtf8(szLone));
        EXPECT_EQ(WideToUtf8(std::wstring(1, static_cast<wchar_t>(0x1F600))), "\xF0\x9F\x98\x80");
    }
}

TEST_F(CfgFormatTest, LoadCreatesAMissingFileWithRootAndVersion)
{
    CScratchDir dir;
    m_profile.Set(L"Version", L"2.3.4.5-abcdefghijklmnop");  // 24 characters: only 19 are kept
    const std::wstring szPath = dir.Wide("settings.dat");
    CfgLoadStatus eStatus = CfgLoadStatus::Corrupt;
    std::unique_ptr<CfgDocument> pDoc = m_hlp.Load(szPath, &eStatus);
    ASSERT_TRUE(pDoc);
    EXPECT_EQ(eStatus, CfgLoadStatus::Ok);
    EXPECT_EQ(ReadText(NarrowPath(szPath)),
              ("<object:cfgobj,type:null,len:0,childobjs:1>\n"
                          "<object:version,type:string,len:20,childobjs:0>2.3.4.5-abcdefghijk\0<endobj>\n"
                          "<endobj>\n"s));
    CfgFile* pVersion = m_hlp.Find(pDoc->m_pRoot.get(), L"version", true);
    ASSERT_TRUE(pVersion);
    EXPECT_EQ(CfgDataText(*pVersion), "2.3.4.5-abcdefghijk");
    EXPECT_EQ(pDoc->m_szPath, szPath);
    m_hlp.Free(pDoc);
    EXPECT_FALSE(pDoc);
    // Only the settings file is left, no temporary files beside it.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()), std::filesystem::directory_iterator()), 1);
}

TEST_F(CfgFormatTest, LoadFailsOnCorruptOrUnreachableFilesAndLeavesThemAlone)
{
    CScratchDir dir;
    const std::string szCorrupt = "<object:cfgobj,type:null,len:0,childobjs:1>\n<object:version,type:string,len:400";
    WriteBytes(dir.Path() / "bad.dat", szCorrupt);
    CfgLoadStatus eStatus = CfgLoadStatus::Ok;
    EXPECT_FALSE(m_hlp.Load(dir.Wide("bad.dat"), &eStatus));
    EXPECT_EQ(eStatus, CfgLoadStatus::Corrupt);
    EXPECT_EQ(ReadText(dir.Path() / "bad.dat"), szCorrupt);

    EXPECT_FALSE(m_hlp.Load(dir.Wide("no-such-folder/s.dat"), &eStatus));
    EXPECT_EQ(eStatus, CfgLoadStatus::CannotCreate);
    EXPECT_FALSE(m_hlp.Save(nullptr));
    CfgDocument empty;
    EXPECT_FALSE(m_hlp.Save(&empty));
}

TEST_F(CfgFormatTest, RemoveThenSaveWritesTheLowerCount)
{
    CScratchDir dir;
    const std::wstring szPath = dir.Wide("s.dat");
    std::unique_ptr<CfgDocument> pDoc = m_hlp.Load(szPath);
    ASSERT_TRUE(pDoc);
    CfgFile* pRoot = pDoc->m_pRoot.get();
    ASSERT_TRUE(m_hlp.Add(pRoot, L"extra", "null", nullptr, 0));
    ASSERT_TRUE(m_hlp.Save(pDoc.get()));
    EXPECT_NE(ReadText(NarrowPath(szPath)).find("<object:cfgobj,type:null,len:0,childobjs:2>"), std::string::npos);
    ASSERT_TRUE(m_hlp.Remove(pRoot, L"version", true));
    ASSERT_TRUE(m_hlp.Save(pDoc.get()));
    m_hlp.Free(pDoc);

    pDoc = m_hlp.Load(szPath);
    ASSERT_TRUE(pDoc);
    EXPECT_EQ(pDoc->m_pRoot->m_nChildCount, 1);
    EXPECT_EQ(ReadText(NarrowPath(szPath)),
              "<object:cfgobj,type:null,len:0,childobjs:1>\n<object:extra,type:null,len:0,childobjs:0>\n<endobj>\n"
              "<endobj>\n");
}

}  // namespace
