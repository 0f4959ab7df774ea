// The network-install marker: its bytes on disk and the decision whether to apply an address.
#include "SettingsTestUtil.h"

#include "settings/NetInstallMarker.h"

#include <gtest/gtest.h>

namespace {

using namespace std::string_literals;

TEST(NetInstallMarkerTest, DecidesByStampModeAndLetter)
{
    struct CCase {
        std::optional<std::wstring> m_szMarker;
        bool m_bFileOutput;
        bool m_bApply;
        std::wstring m_szText;
    };
    const std::wstring szStamp = L"20261207-1015";
    const CCase cases[] = {
        {std::nullopt, false, true, L"T" + szStamp},
        {std::nullopt, true, true, L"A" + szStamp},
        {L"T20250101-0000", false, true, L"T" + szStamp},
        {L"D20250101-0000", true, true, L"A" + szStamp},
        {L"T" + szStamp, false, false, L"T" + szStamp},
        {L"A" + szStamp, true, false, L"A" + szStamp},
        {L"D" + szStamp, false, false, L"D" + szStamp},
        {L"D" + szStamp, true, false, L"D" + szStamp},
        {L"T" + szStamp, true, true, L"D" + szStamp},
        {L"A" + szStamp, false, true, L"D" + szStamp},
        {L"X" + szStamp, false, true, L"D" + szStamp},
        {L"", false, true, L"T" + szStamp},
    };
    for (const CCase& c : cases) {
        const CNetInstallDecision decision = DecideNetInstall(c.m_szMarker, szStamp, c.m_bFileOutput);
        const std::wstring szWhat = c.m_szMarker.value_or(L"(none)") + (c.m_bFileOutput ? L" file-output" : L" twain");
        EXPECT_EQ(decision.m_bApply, c.m_bApply) << NarrowPath(szWhat).string();
        EXPECT_EQ(decision.m_szMarkerText, c.m_szText) << NarrowPath(szWhat).string();
    }
    // An empty marker and an empty stamp: nothing says the address was applied in this mode.
    EXPECT_EQ(DecideNetInstall(std::wstring(), L"", false).m_szMarkerText, L"D");
}

TEST(NetInstallMarkerTest, IsUtf16LeWithoutMarkOrTerminatorAndReplacedWhole)
{
    CScratchDir dir;
    const std::wstring szPath = dir.Wide("net_install.dat");
    EXPECT_FALSE(ReadNetInstallMarker(szPath));
    ASSERT_TRUE(WriteNetInstallMarker(szPath, L"T2026-12-07 10:15:00"));
    ASSERT_TRUE(WriteNetInstallMarker(szPath, L"D1\x00E9"));
    EXPECT_EQ(ReadText(dir.Path() / "net_install.dat"), "D\0001\0\xE9\0"s);
    EXPECT_EQ(ReadNetInstallMarker(szPath), L"D1\x00E9");
}

TEST(NetInstallMarkerTest, OddOversizedOrTerminatedMarkers)
{
    CScratchDir dir;
    const std::wstring szPath = dir.Wide("net_install.dat");
    WriteBytes(dir.Path() / "net_install.dat", "T\0001\0x"s);
    EXPECT_FALSE(ReadNetInstallMarker(szPath));
    WriteBytes(dir.Path() / "net_install.dat", std::string(kNetInstallMarkerMaxBytes + 2, 'A'));
    EXPECT_FALSE(ReadNetInstallMarker(szPath));
    WriteBytes(dir.Path() / "net_install.dat", std::string(kNetInstallMarkerMaxBytes, 'A'));
    EXPECT_TRUE(ReadNetInstallMarker(szPath));
    WriteBytes(dir.Path() / "net_install.dat", "A\0005\0\0\0zz"s);
    EXPECT_EQ(ReadNetInstallMarker(szPath), L"A5");
    WriteBytes(dir.Path() / "net_install.dat", "");
    EXPECT_EQ(ReadNetInstallMarker(szPath), L"");
    ASSERT_TRUE(CreateNetInstallMarker(dir.Wide("fresh.dat")));
    EXPECT_EQ(ReadNetInstallMarker(dir.Wide("fresh.dat")), L"");
    EXPECT_FALSE(CreateNetInstallMarker(dir.Wide("missing-folder/m.dat")));
}

TEST(NetInstallMarkerTest, SurrogatePairsSurviveTheEncoding)
{
    std::wstring szText = L"T";
    if constexpr (sizeof(wchar_t) == 2)
        szText += {static_cast<wchar_t>(0xD83D), static_cast<wchar_t>(0xDE00)};
    else
        szText += static_cast<wchar_t>(0x1F600);
    EXPECT_EQ(EncodeUtf16Le(szText), "T\0\x3D\xD8\x00\xDE"s);
    EXPECT_EQ(DecodeUtf16Le(EncodeUtf16Le(szText)), szText);
}

}  // namespace
