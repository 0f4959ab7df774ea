// The Windows side of the settings store: application-data folder, settings location, the
// installer's registry key and atomic replacement, run under Wine.
#include "SettingsTestUtil.h"

#include "harness/TestEnv.h"
#include "settings/FileIo.h"
#include "settings/NetInstallMarker.h"
#include "settings/win/SettingsWin.h"

#include <gtest/gtest.h>

namespace {

TEST(SettingsWinTest, AppDataFolderExistsWithoutTrailingSeparator)
{
    const std::wstring szAppData = AppDataFolder();
    ASSERT_FALSE(szAppData.empty());
    EXPECT_NE(szAppData.back(), L'\\');
    EXPECT_TRUE(std::filesystem::is_directory(szAppData));
}

TEST(SettingsWinTest, CurrentLocationJoinsProfileValuesAndCreatesBothFolders)
{
    CTestProfile profile;
    const std::wstring szTop = mvltest::UniqueName(L"mvlsettings");
    profile.Set(L"Setting Folder", L"\\" + szTop + L"\\Shared");
    profile.Set(L"Setting Path", L"\\" + szTop + L"\\Scan\\");
    const CSettingsLocation location = CurrentSettingsLocation();
    EXPECT_EQ(location.m_szDirectory, AppDataFolder() + L"\\" + szTop + L"\\Scan\\");
    EXPECT_TRUE(std::filesystem::is_directory(location.m_szDirectory));
    EXPECT_TRUE(std::filesystem::is_directory(location.m_szFolder));
    EXPECT_EQ(SettingsFilePath(location, true), location.m_szDirectory + L"APPsettings.dat");
    std::filesystem::remove_all(AppDataFolder() + L"\\" + szTop);
}

TEST(SettingsWinTest, InstallerValuesComeFromTheLocalMachineKey)
{
    const std::wstring szKey = L"SOFTWARE\\" + mvltest::UniqueName(L"mvlsettings");
    mvltest::CScopedRegKey key(HKEY_LOCAL_MACHINE, szKey);
    ASSERT_TRUE(key.SetString(L"IP", L"192.168.7.20"));
    ASSERT_TRUE(key.SetDword(L"IP TIME", 5));
    CRegistryNetInstallSource source;
    EXPECT_EQ(source.ReadValue(szKey, L"IP"), L"192.168.7.20");
    EXPECT_FALSE(source.ReadValue(szKey, L"IP TIME"));  // not a string
    EXPECT_FALSE(source.ReadValue(szKey, L"Missing"));
    EXPECT_FALSE(source.ReadValue(szKey + L"\\none", L"IP"));
}

TEST(SettingsWinTest, RestoreAppliesTheAddressFromTheRegistry)
{
    CTestProfile profile;
    const std::wstring szKey = L"SOFTWARE\\" + mvltest::UniqueName(L"mvlsettings");
    mvltest::CScopedRegKey key(HKEY_LOCAL_MACHINE, szKey);
    ASSERT_TRUE(key.SetString(L"IP", L"10.1.2.3"));
    ASSERT_TRUE(key.SetString(L"IP TIME", L"20261207"));
    profile.Set(L"Registry", szKey);

    struct CHost : ISettingsRestoreHost {
        std::wstring SettingText(int nId) override { return nId == kIdsDefaultSettingName ? L"Default" : L"Custom"; }
        ScanParamBlob DefaultRecord() override { return ScanParamBlob{}; }
        void ApplyNetworkAddress(ScanParamBlob&, const std::string& szAddress) override { m_szAddress = szAddress; }
        void UseFlatbedSource(ScanParamBlob&) override {}
        void ShowSettingNames(const std::vector<std::wstring>&) override {}
        void ShowSelectedSetting(int, bool, bool) override {}
        void UseRecord(const ScanParamBlob&, const std::wstring& szName) override { m_szName = szName; }
        void UseOlderPlatformOpen() override {}
        void HidePortButton() override {}
        std::string m_szAddress;
        std::wstring m_szName;
    } host;
    CScratchDir dir;
    CRegistryNetInstallSource source;
    CRestoredSettings result;
    const CScanSettingsStore store(dir.Wide("APPsettings.dat"));
    ASSERT_TRUE(RestoreSettings(store, dir.Wide("net_install.dat"), CRestoreOptions{true, L"Model1", false}, host,
                                source, result));
    EXPECT_EQ(host.m_szAddress, "10.1.2.3");
    EXPECT_EQ(host.m_szName, L"Custom");
    EXPECT_EQ(ReadNetInstallMarker(dir.Wide("net_install.dat")), L"A20261207");
}

TEST(SettingsWinTest, AtomicReplaceKeepsTheOldFileOnFailure)
{
    CScratchDir dir;
    WriteBytes(dir.Path() / "s.dat", "old");
    WriteBytes(dir.Path() / "new.tmp", "new");
    EXPECT_FALSE(ReplaceFileAtomically(dir.Wide("missing.tmp"), dir.Wide("s.dat")));
    EXPECT_EQ(ReadText(dir.Path() / "s.dat"), "old");
    ASSERT_TRUE(ReplaceFileAtomically(dir.Wide("new.tmp"), dir.Wide("s.dat")));
    EXPECT_EQ(ReadText(dir.Path() / "s.dat"), "new");
    EXPECT_FALSE(std::filesystem::exists(dir.Path() / "new.tmp"));
    // A file held open without sharing cannot be replaced; the save fails and the file stays.
    HANDLE hLocked = CreateFileW(dir.Wide("s.dat").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(hLocked, INVALID_HANDLE_VALUE);
    const uint8_t bytes[] = {'x'};
    EXPECT_FALSE(WriteFileAtomically(dir.Wide("s.dat"), bytes));
    CloseHandle(hLocked);
    EXPECT_EQ(ReadText(dir.Path() / "s.dat"), "new");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()), std::filesystem::directory_iterator()), 1);
}

}  // namespace
