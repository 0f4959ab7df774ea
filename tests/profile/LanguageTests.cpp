// Language selection through the registry and the locale fallback, and strings loaded from
// the language libraries built beside this program.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "harness/TestEnv.h"
#include "profile/Language.h"
#include "profile/ProductProfile.h"
#include "profile/Resources.h"
#include "profile/Trace.h"

using namespace mvltest;
namespace fs = std::filesystem;

namespace {

std::vector<std::string> g_lines;

void CaptureA(const char* psz)
{
    g_lines.emplace_back(psz);
}

void CaptureW(const wchar_t* psz)
{
    std::wstring s(psz);
    g_lines.emplace_back(s.begin(), s.end());  // the lines tested are ASCII
}

bool Traced(const std::string& sLine)
{
    for (const auto& s : g_lines)
        if (s == sLine)
            return true;
    return false;
}

LCID g_lcid = 0x0409;
LCID FakeLcid()
{
    return g_lcid;
}

// This program's profile (named after it, as the source's is) with its own registry key.
class Language : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_sKey = L"Software\\MvlTest\\" + UniqueName(L"lang");
        m_profile = ProfilePathForModule(OwnModulePath(), nullptr);
        std::string sKey(m_sKey.begin(), m_sKey.end());
        WriteTextFile(m_profile, "[TWAIN]\r\nFile Prefix=mvl\r\nRegistry=" + sKey + "\r\n");
        SetSystemLcidQuery(&FakeLcid);
        SetTraceSinks(&CaptureA, &CaptureW);
        g_lines.clear();
    }
    void TearDown() override
    {
        SetTraceSinks(nullptr, nullptr);
        SetSystemLcidQuery(nullptr);
        std::error_code ec;
        fs::remove(m_profile, ec);
    }
    std::wstring Select(LCID lcid)
    {
        g_lcid = lcid;
        wchar_t szCode[kLanguageCodeChars] = L"?";
        SelectLanguage(szCode);
        return szCode;
    }

    std::wstring m_sKey;
    fs::path m_profile;
};

std::wstring FolderOfThisProgram()
{
    return fs::path(OwnModulePath()).parent_path().wstring();
}

}  // namespace

TEST_F(Language, DutchIsReachedOnlyThroughTheLocale)
{
    CScopedRegKey key(HKEY_LOCAL_MACHINE, m_sKey);
    ASSERT_TRUE(key.SetString(L"Language", L"Dutch"));
    EXPECT_EQ(L"enus", Select(0x0413));
    EXPECT_EQ(14, g_LangugueID);
    EXPECT_TRUE(Traced("MFP_REG_PATH = " + std::string(m_sKey.begin(), m_sKey.end())));
    EXPECT_TRUE(Traced("g_LangugueID == 14"));
    EXPECT_EQ(L"enus", Select(0x0409));
    EXPECT_EQ(1, g_LangugueID);
    EXPECT_EQ(L"Dutch", std::wstring(LanguageName(14)));
}

// Each of the 27 languages reaches an installed library of its own: through the registry value
// where it can be named, and through a system locale of its own for all of them (the four
// without a library of their own, Dutch through 0x0413 among them, reach English).
TEST_F(Language, EveryLanguageSelectsItsLibrary)
{
    const LCID kLocales[kLanguageCount] = {0x0804, 0x0409, 0x0411, 0x0419, 0x0416, 0x080A, 0x040C, 0x0415, 0x0407,
                                           0x0410, 0x0401, 0x041F, 0x0406, 0x040B, 0x0413, 0x0405, 0x0414, 0x041D,
                                           0x041B, 0x040E, 0x0404, 0x040D, 0x0412, 0x0418, 0x0402, 0x041E, 0x0408};
    CScopedRegKey key(HKEY_LOCAL_MACHINE, m_sKey);
    std::wstring sEnglishCancel;
    {
        CLangResource english(ResourceLibraryPath(L"enus"));
        sEnglishCancel = LoadLangString(1092);
    }
    for (int n = 0; n < kLanguageCount; ++n) {
        const std::wstring sCode = LanguageCodeAt(n);
        const bool bNamed = LanguageIndexFromName(LanguageName(n)) >= 0;
        ASSERT_TRUE(key.SetString(L"Language", LanguageName(n)));
        EXPECT_EQ(bNamed ? sCode : L"enus", Select(0x0409)) << n;
        ASSERT_TRUE(key.SetString(L"Language", L"none"));
        EXPECT_EQ(sCode, Select(kLocales[n])) << n;
        EXPECT_EQ(n, g_LangugueID);
        CLangResource lib(ResourceLibraryPath(sCode));
        ASSERT_TRUE(lib.Loaded()) << n;
        EXPECT_EQ(sCode == L"enus", LoadLangString(1092) == sEnglishCancel) << n;
    }
    EXPECT_EQ(L"Dutch", std::wstring(LanguageName(14)));
    EXPECT_EQ(L"enus", Select(0x0413));
}

TEST_F(Language, ArabicIsRightToLeftWithItsLetters)
{
    CScopedRegKey key(HKEY_LOCAL_MACHINE, m_sKey);
    ASSERT_TRUE(key.SetString(L"Language", L"Arabic"));
    EXPECT_EQ(L"ar", Select(0x0409));
    EXPECT_EQ(10, g_LangugueID);
    EXPECT_TRUE(g_bHebrew);
    EXPECT_TRUE(Traced("g_bHebrew = TRUE;"));
    EXPECT_EQ(0x3F, g_byPreviewKey);
    EXPECT_EQ(0x3F, g_byScanKey);
    // The next selection resets what Arabic set.
    ASSERT_TRUE(key.SetString(L"Language", L"Russian"));
    EXPECT_EQ(L"ru", Select(0x0409));
    EXPECT_FALSE(g_bHebrew);
    EXPECT_EQ(L',', g_wcDecimalSep);
    EXPECT_EQ(177, g_byPreviewKey);
}

TEST_F(Language, LowerCaseNamesAndMissingValuesFallBackToTheLocale)
{
    CScopedRegKey key(HKEY_LOCAL_MACHINE, m_sKey);
    ASSERT_TRUE(key.SetString(L"Language", L"english"));
    EXPECT_EQ(L"fr", Select(0x040C));
    EXPECT_EQ(6, g_LangugueID);
    EXPECT_EQ(L',', g_wcDecimalSep);
    EXPECT_EQ(0x50, g_byPreviewKey);
    // A key without the value, then no key at all.
    CScopedRegKey other(HKEY_LOCAL_MACHINE, m_sKey + L"x");
    std::string sKey(m_sKey.begin(), m_sKey.end());
    WriteTextFile(m_profile, "[TWAIN]\r\nRegistry=" + sKey + "x\r\n");
    EXPECT_EQ(L"ja", Select(0x0411));
    WriteTextFile(m_profile, "[TWAIN]\r\nRegistry=Software\\MvlTest\\NoSuchKey\r\n");
    EXPECT_EQ(L"enus", Select(0x0427));
    EXPECT_EQ(1, g_LangugueID);
    EXPECT_EQ(L'.', g_wcDecimalSep);
    SelectLanguage(nullptr);  // the code is optional
}

TEST_F(Language, LibraryAndHelpPathsCarryPrefixAndCode)
{
    EXPECT_EQ(FolderOfThisProgram() + L"\\mvltwrcfr.dll", ResourceLibraryPath(L"fr"));
    EXPECT_EQ(FolderOfThisProgram() + L"\\mvltwenus.chm", HelpFilePath(L"enus", false));
    EXPECT_EQ(FolderOfThisProgram() + L"\\mvlAppar.chm", HelpFilePath(L"ar", true));  // the host is this program
    std::wstring sHelp = FolderOfThisProgram() + L"\\mvltwenus.chm";
    EXPECT_TRUE(Traced("helpFile = " + std::string(sHelp.begin(), sHelp.end())));
}

TEST_F(Language, StringsComeFromTheLoadedLibrary)
{
    EXPECT_EQ(L"Load String Error!", LoadLangString(1090));  // this program has no string table
    {
        CLangResource english(ResourceLibraryPath(L"enus"));
        ASSERT_TRUE(english.Loaded());
        EXPECT_EQ(L"OK", LoadLangString(1090));
        EXPECT_EQ(L"Load String Error!", LoadLangString(999));
        EXPECT_EQ(L"Load String Error!", LoadLangString(1187 + 10000));
        {
            CLangResource french(ResourceLibraryPath(L"fr"));
            ASSERT_TRUE(french.Loaded());
            EXPECT_EQ(L"Largeur ", LoadLangString(1010));
            EXPECT_EQ(L"Millim\u00e8tres", LoadLangString(1003));
        }
        EXPECT_EQ(L"Width", LoadLangString(1010));  // back to English when French goes
    }
    EXPECT_EQ(L"Load String Error!", LoadLangString(1090));
    CLangResource missing(ResourceLibraryPath(L"xx"));
    EXPECT_FALSE(missing.Loaded());
    {
        // A name without its folder is never looked up, even where the current directory has it.
        wchar_t szCwd[MAX_PATH] = L"";
        GetCurrentDirectoryW(MAX_PATH, szCwd);
        SetCurrentDirectoryW(FolderOfThisProgram().c_str());
        CLangResource bare(L"mvltwrcenus.dll"), relative(L".\\mvltwrcenus.dll");
        SetCurrentDirectoryW(szCwd);
        EXPECT_FALSE(bare.Loaded());
        EXPECT_FALSE(relative.Loaded());
    }
    CLangResource arabic(ResourceLibraryPath(L"ar"));
    ASSERT_TRUE(arabic.Loaded());
    EXPECT_EQ(L"\u0645\u0648\u0627\u0641\u0642", LoadLangString(1090));
}

TEST_F(Language, ControlButtonAndComboTexts)
{
    CLangResource english(ResourceLibraryPath(L"enus"));
    ASSERT_TRUE(english.Loaded());
    HWND hParent = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 200, 200, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(nullptr, hParent);
    HWND hLabel = CreateWindowExW(0, L"STATIC", L"", WS_CHILD, 0, 0, 50, 10, hParent, reinterpret_cast<HMENU>(101), nullptr, nullptr);
    HWND hButton = CreateWindowExW(0, L"BUTTON", L"", WS_CHILD, 0, 20, 50, 10, hParent, reinterpret_cast<HMENU>(102), nullptr, nullptr);
    HWND hCombo = CreateWindowExW(0, L"COMBOBOX", L"", WS_CHILD | CBS_DROPDOWNLIST, 0, 40, 100, 100, hParent,
                                  reinterpret_cast<HMENU>(103), nullptr, nullptr);
    ASSERT_TRUE(hLabel && hButton && hCombo);
    const SCtrlText labels[] = {{101, 1027}};
    SetControlTexts(hParent, labels, 1);
    const SCtrlText buttons[] = {{102, 1177}};
    SetButtonTexts(hParent, buttons, 1);
    wchar_t sz[128] = L"";
    GetWindowTextW(hLabel, sz, 128);
    EXPECT_EQ(L"Color mode:", std::wstring(sz));
    GetWindowTextW(hButton, sz, 128);
    EXPECT_EQ(L" Continue ", std::wstring(sz));

    SendMessageW(hCombo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(L"old"));
    const UINT ids[] = {1028, 1029, 4242};
    FillComboBox(hCombo, ids, 3);
    EXPECT_EQ(3, SendMessageW(hCombo, CB_GETCOUNT, 0, 0));
    SendMessageW(hCombo, CB_GETLBTEXT, 1, reinterpret_cast<LPARAM>(sz));
    EXPECT_EQ(L"Grayscale", std::wstring(sz));
    SendMessageW(hCombo, CB_GETLBTEXT, 2, reinterpret_cast<LPARAM>(sz));
    EXPECT_EQ(L"Load String Error!", std::wstring(sz));
    FillComboBox(hCombo, nullptr, 3);  // no list: untouched
    FillComboBox(nullptr, ids, 3);
    EXPECT_EQ(3, SendMessageW(hCombo, CB_GETCOUNT, 0, 0));
    SetControlTexts(nullptr, labels, 1);
    DestroyWindow(hParent);
}
