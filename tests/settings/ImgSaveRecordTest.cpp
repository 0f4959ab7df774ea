// The save-settings record the calling program reads: its bytes at their offsets, and a file of
// any other size taken for nothing.
#include "SettingsTestUtil.h"

#include "settings/ImgSaveRecord.h"

#include <gtest/gtest.h>

namespace {

uint32_t U32At(const ImgSaveBytes& b, size_t n)
{
    return b[n] | (b[n + 1] << 8) | (b[n + 2] << 16) | (uint32_t(b[n + 3]) << 24);
}

std::u16string TextAt(const ImgSaveBytes& b, size_t n)
{
    std::u16string s;
    for (; b[n] || b[n + 1]; n += 2)
        s += char16_t(b[n] | (b[n + 1] << 8));
    return s;
}

TEST(ImgSaveRecord, FieldsLieAtTheirOffsetsWithTheTypeInLowerCase)
{
    SImgSaveRecord rec = DefaultImgSaveRecord(u"C:\\Users\\Ann\\Pictures");
    SetImgSaveText(rec.szBaseName, u"2024-05-17_003");
    SetImgSaveText(rec.szFileType, u"PDF(\u516c\u6587)");
    SetImgSaveText(rec.szEmailProgram, std::u16string(300, u'x'));  // cut to 259 and ended
    rec.bOpenFile = 1;
    rec.nDestination = kSaveToEmail;
    rec.bManualDuplex = 1;
    rec.nReserved = 0xDEADBEEF;
    rec.bMergeScan = 0x01020304;
    const ImgSaveBytes b = ImgSaveToBytes(rec);
    EXPECT_EQ(TextAt(b, 0), u"C:\\Users\\Ann\\Pictures");
    EXPECT_EQ(TextAt(b, 520), u"2024-05-17_003");
    EXPECT_EQ(TextAt(b, 1040), u"pdf(\u516c\u6587)");
    EXPECT_EQ(U32At(b, 1560), 1u);
    EXPECT_EQ(U32At(b, 1564), 1u);
    EXPECT_EQ(U32At(b, 1568), 1u);
    EXPECT_EQ(TextAt(b, 1572), std::u16string(259, u'x'));
    EXPECT_EQ(U32At(b, 2092), 1u);
    EXPECT_EQ(U32At(b, 2096), 0u);
    EXPECT_EQ(b[2100], 0x04);
    EXPECT_EQ(b[2103], 0x01);

    SImgSaveRecord back{};
    ASSERT_TRUE(ImgSaveFromBytes(b.data(), b.size(), back));
    EXPECT_EQ(ImgSaveText(back.szFileType), u"pdf(\u516c\u6587)");
    EXPECT_EQ(ImgSaveText(back.szBaseName), u"2024-05-17_003");
    EXPECT_EQ(back.bMergeScan, 0x01020304u);
}

TEST(ImgSaveRecord, OnlyAFileOfExactlyTheRecordsSizeIsRead)
{
    CScratchDir dir;
    const std::wstring sPath = dir.Wide("imgSaveSettings.dat");
    SImgSaveRecord rec{};
    EXPECT_EQ(ReadImgSaveFile(sPath, rec), ImgSaveReadStatus::CannotOpen);

    SImgSaveRecord stored = DefaultImgSaveRecord(u"D:\\Scans");
    ASSERT_TRUE(WriteImgSaveFile(sPath, stored));
    EXPECT_EQ(ReadBytes(NarrowPath(sPath)).size(), kImgSaveRecordBytes);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()), {}), 1);  // no temporary left
    ASSERT_EQ(ReadImgSaveFile(sPath, rec), ImgSaveReadStatus::Ok);
    EXPECT_EQ(ImgSaveText(rec.szFolder), u"D:\\Scans");
    EXPECT_EQ(rec.bOpenFolder, 1u);

    const std::vector<uint8_t> bytes = ReadBytes(NarrowPath(sPath));
    for (size_t nSize : {size_t(0), kImgSaveRecordBytes - 1, kImgSaveRecordBytes + 1}) {
        std::string s(bytes.begin(), bytes.end());
        s.resize(nSize, '\x01');
        WriteBytes(NarrowPath(sPath), s);
        SImgSaveRecord untouched{};
        untouched.bOpenFile = 7;
        EXPECT_EQ(ReadImgSaveFile(sPath, untouched), ImgSaveReadStatus::WrongSize) << nSize;
        EXPECT_EQ(untouched.bOpenFile, 7u);
    }
}

}  // namespace
