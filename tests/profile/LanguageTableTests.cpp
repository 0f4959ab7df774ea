// The language table: names chosen by the registry, locales mapped by the fallback,
// the per-language separator and Alt letters.
#include <gtest/gtest.h>

#include <string>

#include "profile/LanguageTable.h"

TEST(LanguageTable, RegistryNamesAreCaseSensitiveAndSomeAreNotSelectable)
{
    EXPECT_EQ(1, LanguageIndexFromName(L"English"));
    EXPECT_EQ(-1, LanguageIndexFromName(L"english"));
    EXPECT_EQ(-1, LanguageIndexFromName(L"ENGLISH"));
    EXPECT_EQ(10, LanguageIndexFromName(L"Arabic"));
    EXPECT_EQ(20, LanguageIndexFromName(L"Traditional_Chinese"));
    EXPECT_EQ(19, LanguageIndexFromName(L"Hungarian"));
    for (const wchar_t* p : {L"Dutch", L"Danish", L"Finnish", L"Slovak", L"", L"English "})
        EXPECT_EQ(-1, LanguageIndexFromName(p)) << std::wstring(p).size();
    EXPECT_EQ(-1, LanguageIndexFromName(nullptr));
    // Every selectable name leads back to its own row.
    for (int i = 0; i < kLanguageCount; ++i) {
        int n = LanguageIndexFromName(LanguageNameAt(i));
        EXPECT_TRUE(n == i || (n == -1 && (i == 12 || i == 13 || i == 14 || i == 18))) << i;
    }
}

TEST(LanguageTable, LocalesMapWithEnglishForTheRest)
{
    EXPECT_EQ(14, LanguageIndexFromLcid(0x0413));
    EXPECT_EQ(L"enus", std::wstring(LanguageCodeAt(14)));
    EXPECT_EQ(1, LanguageIndexFromLcid(0x0409));
    EXPECT_EQ(0, LanguageIndexFromLcid(0x1004));
    EXPECT_EQ(20, LanguageIndexFromLcid(0x0C04));
    EXPECT_EQ(1, LanguageIndexFromLcid(0x7C04));  // a Chinese locale the table does not list
    EXPECT_EQ(5, LanguageIndexFromLcid(0x540A));
    EXPECT_EQ(1, LanguageIndexFromLcid(0x580A));
    EXPECT_EQ(6, LanguageIndexFromLcid(0x180C));
    EXPECT_EQ(1, LanguageIndexFromLcid(0x1C0C));
    EXPECT_EQ(8, LanguageIndexFromLcid(0x1407));
    EXPECT_EQ(10, LanguageIndexFromLcid(0x4001));
    EXPECT_EQ(1, LanguageIndexFromLcid(0x4401));
    EXPECT_EQ(21, LanguageIndexFromLcid(0x040D));
    EXPECT_EQ(24, LanguageIndexFromLcid(0x0402));
    EXPECT_EQ(1, LanguageIndexFromLcid(0x0427));  // Lithuanian
    EXPECT_EQ(1, LanguageIndexFromLcid(0));
}

TEST(LanguageTable, CodesAndRightToLeft)
{
    EXPECT_EQ(L"esmx", std::wstring(LanguageCodeAt(5)));
    EXPECT_EQ(L"bu", std::wstring(LanguageCodeAt(24)));
    EXPECT_EQ(L"enus", std::wstring(LanguageCodeAt(27)));
    EXPECT_EQ(nullptr, LanguageNameAt(-1));
    EXPECT_EQ(L"Greek", std::wstring(LanguageNameAt(26)));
    EXPECT_TRUE(IsRightToLeftCode(L"ar"));
    EXPECT_TRUE(IsRightToLeftCode(L"he"));
    EXPECT_FALSE(IsRightToLeftCode(L"AR"));
    EXPECT_FALSE(IsRightToLeftCode(nullptr));
}

TEST(LanguageTable, SeparatorAndAltLetters)
{
    SLanguageChars en = LanguageCharsAt(1);
    EXPECT_EQ(L'.', en.wcDecimal);
    EXPECT_EQ(0x50, en.byPreviewKey);
    EXPECT_EQ(0x53, en.byScanKey);
    SLanguageChars ru = LanguageCharsAt(3);
    EXPECT_EQ(L',', ru.wcDecimal);
    EXPECT_EQ(177, ru.byPreviewKey);
    EXPECT_EQ(179, ru.byScanKey);
    SLanguageChars ar = LanguageCharsAt(10);
    EXPECT_EQ(L'.', ar.wcDecimal);
    EXPECT_EQ(0x3F, ar.byPreviewKey);
    EXPECT_EQ(0x3F, ar.byScanKey);
    EXPECT_EQ(0x56, LanguageCharsAt(5).byPreviewKey);
    EXPECT_EQ(0x45, LanguageCharsAt(5).byScanKey);
    EXPECT_EQ(L',', LanguageCharsAt(6).wcDecimal);
    EXPECT_EQ(0x50, LanguageCharsAt(6).byPreviewKey);
    EXPECT_EQ(0x41, LanguageCharsAt(9).byPreviewKey);
    EXPECT_EQ(0x46, LanguageCharsAt(17).byPreviewKey);
    EXPECT_EQ(0x53, LanguageCharsAt(17).byScanKey);
    EXPECT_EQ(L',', LanguageCharsAt(11).wcDecimal);
    EXPECT_EQ(L'.', LanguageCharsAt(12).wcDecimal);
}
