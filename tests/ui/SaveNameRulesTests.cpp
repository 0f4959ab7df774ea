// What the save and connection dialogs accept without a window: the checks of OK in their
// order, the target file, and what the host field keeps of typing.
#include <gtest/gtest.h>

#include "ui/HostTextRule.h"
#include "ui/SaveNameRules.h"

TEST(SaveNameRules, OkChecksInTheirOrderWithTheirMessages)
{
    const std::wstring sFolder200(200, L'f'), sFolder201(201, L'f');
    EXPECT_EQ(TrimBlanks(L" \t scan 1 \r\n"), L"scan 1");
    EXPECT_EQ(TrimBlanks(L"   "), L"");
    EXPECT_EQ(CheckSaveTexts(TrimBlanks(L"   "), L"C:\\x"), ESaveTextCheck::EmptyName);
    for (wchar_t c : std::wstring(L"\\/:*?\"<>|"))
        EXPECT_EQ(CheckSaveTexts(std::wstring(L"a") + c + L"b", L"C:\\x"), ESaveTextCheck::ForbiddenName) << int(c);
    EXPECT_EQ(CheckSaveTexts(L"a", L""), ESaveTextCheck::EmptyFolder);
    EXPECT_EQ(CheckSaveTexts(L"a", sFolder200), ESaveTextCheck::Ok);
    EXPECT_EQ(CheckSaveTexts(L"a", sFolder201), ESaveTextCheck::FolderTooLong);
    EXPECT_EQ(CheckSaveTexts(L"a", L".\\scans"), ESaveTextCheck::FolderUnusable);
    EXPECT_EQ(CheckSaveTexts(L"a", L"\\\\server\\scans"), ESaveTextCheck::FolderUnusable);
    const unsigned expected[] = {0, 1126, 1125, 1124, 1127, 1128};
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(MessageIdOf(static_cast<ESaveTextCheck>(i)), expected[i]);
    EXPECT_EQ(SaveTargetPath(L"C:\\s", L"n", L"tif"), L"C:\\s\\n.tif");
    EXPECT_EQ(SaveTargetPath(L"C:\\", L"n", L"PDF(\u516c\u6587)"), L"C:\\n.pdf");
    EXPECT_EQ(SaveTargetPath(L"C:\\s", L"n", L"pdf(\u516c\u6587)"), L"C:\\s\\n.pdf");
}

TEST(HostTextRule, KeepsHostCharactersAndFourGroups)
{
    EXPECT_EQ(FilterHostText(L"192.168.1.20.5", L""), L"192.168.1.20");
    EXPECT_EQ(FilterHostText(L"1.2.3.4.", L""), L"1.2.3.4");
    EXPECT_EQ(FilterHostText(L"my_scan ner", L""), L"myscanner");
    EXPECT_EQ(FilterHostText(L"fe80::1%eth0/64", L""), L"fe80::1%eth0/64");
    EXPECT_EQ(FilterHostText(L"h\u00f6st-\u5bbf.lan", L""), L"hst-.lan");
    EXPECT_EQ(FilterHostText(std::wstring(48, L'a'), L"old"), std::wstring(48, L'a'));
    EXPECT_EQ(FilterHostText(std::wstring(49, L'a'), L"old"), L"old");
}
