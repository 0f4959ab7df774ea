// Restoring the settings when the scanning dialog opens, against a recording dialog and a
// scripted installer key.
#include "SettingsTestUtil.h"

#include "profile/Trace.h"
#include "settings/NetInstallMarker.h"
#include "settings/SettingsLocation.h"
#include "settings/SettingsRestore.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

namespace {

using namespace std::string_literals;

std::vector<std::wstring> g_traceLines;

void CaptureA(const char* szLine)
{
    g_traceLines.push_back(std::wstring(szLine, szLine + std::strlen(szLine)));
}

void CaptureW(const wchar_t* szLine)
{
    g_traceLines.push_back(szLine);
}

class CRecordingHost : public ISettingsRestoreHost {
public:
    std::wstring SettingText(int nStringId) override
    {
        return nStringId == kIdsDefaultSettingName ? L"Default" : nStringId == kIdsChangedSettingName ? L"Custom" : L"";
    }
    ScanParamBlob DefaultRecord() override
    {
        ScanParamBlob record;
        record.fill(0xD0);
        return record;
    }
    void ApplyNetworkAddress(ScanParamBlob& record, const std::string& szAddress) override
    {
        record[0] = 2;
        std::copy(szAddress.begin(), szAddress.end(), record.begin() + 16);
        m_szAddress = szAddress;
    }
    void UseFlatbedSource(ScanParamBlob& record) override { record[1] = 0; }
    void ShowSettingNames(const std::vector<std::wstring>& names) override { m_names = names; }
    void ShowSelectedSetting(int nPosition, bool bDeleteShown, bool bDeleteEnabled) override
    {
        m_nPosition = nPosition;
        m_bDeleteShown = bDeleteShown;
        m_bDeleteEnabled = bDeleteEnabled;
    }
    void UseRecord(const ScanParamBlob& record, const std::wstring& szName) override
    {
        m_record = record;
        m_szName = szName;
    }
    void UseOlderPlatformOpen() override { m_bOlderOpen = true; }
    void HidePortButton() override { m_bPortHidden = true; }

    std::string m_szAddress;
    std::vector<std::wstring> m_names;
    int m_nPosition = -2;
    bool m_bDeleteShown = false, m_bDeleteEnabled = false, m_bOlderOpen = false, m_bPortHidden = false;
    ScanParamBlob m_record{};
    std::wstring m_szName;
};

class CScriptedInstallerKey : public INetInstallSource {
public:
    std::optional<std::wstring> ReadValue(const std::wstring& szKeyPath, const wchar_t* szValueName) override
    {
        if (szKeyPath != L"SOFTWARE\\Vendor\\Scanner")
            return std::nullopt;
        const auto it = m_values.find(szValueName);
        return it == m_values.end() ? std::nullopt : std::optional<std::wstring>(it->second);
    }
    std::map<std::wstring, std::wstring> m_values;
};

class SettingsRestoreTest : public testing::Test {
protected:
    SettingsRestoreTest()
    {
        m_profile.Set(L"Registry", L"SOFTWARE\\Vendor\\Scanner");
        g_traceLines.clear();
        SetTraceSinks(&CaptureA, &CaptureW);
    }
    ~SettingsRestoreTest() override { SetTraceSinks(nullptr, nullptr); }

    bool Restore(bool bFileOutput = false, const std::wstring& szModel = L"Model1", bool bPlatformK = false)
    {
        m_host = CRecordingHost();
        const CScanSettingsStore store(m_dir.Wide(bFileOutput ? "APPsettings.dat" : "settings.dat"));
        return RestoreSettings(store, MarkerPath(), CRestoreOptions{bFileOutput, szModel, bPlatformK}, m_host,
                               m_installer, m_result);
    }
    std::wstring MarkerPath() const { return m_dir.Wide("net_install.dat"); }
    bool Traced(const std::wstring& szLine) const
    {
        return std::find(g_traceLines.begin(), g_traceLines.end(), szLine) != g_traceLines.end();
    }

    CTestProfile m_profile;
    CScratchDir m_dir;
    CRecordingHost m_host;
    CScriptedInstallerKey m_installer;
    CRestoredSettings m_result;
};

TEST_F(SettingsRestoreTest, FirstOpenStoresTheDefaultAsNamedAndCurrent)
{
    ASSERT_TRUE(Restore());
    EXPECT_EQ(m_host.m_names, std::vector<std::wstring>{L"Default"});
    EXPECT_EQ(m_host.m_nPosition, 0);
    EXPECT_TRUE(m_host.m_bDeleteShown);
    EXPECT_FALSE(m_host.m_bDeleteEnabled);  // the default setting cannot be deleted
    EXPECT_EQ(m_host.m_szName, L"Default");
    EXPECT_EQ(m_host.m_record, CRecordingHost().DefaultRecord());
    const CScanSettingsStore store(m_dir.Wide("settings.dat"));
    std::wstring szName;
    ScanParamBlob record{};
    ASSERT_TRUE(store.ReadCurrent(szName, record));
    EXPECT_EQ(szName, L"Default");
    EXPECT_FALSE(std::filesystem::exists(m_dir.Path() / "net_install.dat"));
}

TEST_F(SettingsRestoreTest, CurrentSettingIsSelectedWhereItIsInTheList)
{
    const CScanSettingsStore store(m_dir.Wide("settings.dat"));
    ASSERT_TRUE(store.PrepareFile());
    ScanParamBlob photo;
    photo.fill(0x22);
    ASSERT_TRUE(store.SaveNamed(L"Photo", photo));
    ASSERT_TRUE(store.WriteCurrent(L"Photo", photo));
    ASSERT_TRUE(Restore());
    EXPECT_EQ(m_host.m_names, (std::vector<std::wstring>{L"Photo", L"Default"}));
    EXPECT_EQ(m_host.m_nPosition, 0);
    EXPECT_TRUE(m_host.m_bDeleteEnabled);
    EXPECT_EQ(m_host.m_record, photo);

    ASSERT_TRUE(store.WriteCurrent(L"Unsaved", photo));
    ASSERT_TRUE(Restore());
    EXPECT_EQ(m_host.m_nPosition, -1);
    EXPECT_FALSE(m_host.m_bDeleteShown);
    EXPECT_EQ(m_host.m_szName, L"Unsaved");
}

TEST_F(SettingsRestoreTest, InstallerAddressIsAppliedOncePerMode)
{
    m_installer.m_values = {{L"IP", L"192.168.7.20"}, {L"IP TIME", L"2026-12-07 10:15"}};
    ASSERT_TRUE(Restore(false));
    EXPECT_TRUE(Traced(L"initializeSetting: IP:192.168.7.20"));
    EXPECT_TRUE(Traced(L"CMainUIDialog::initializeSetting, open failed: " + MarkerPath()));
    EXPECT_EQ(m_host.m_szAddress, "192.168.7.20");
    EXPECT_EQ(m_host.m_szName, L"Custom");
    EXPECT_EQ(m_host.m_names, (std::vector<std::wstring>{L"Default", L"Custom"}));
    EXPECT_EQ(m_host.m_nPosition, 1);
    EXPECT_EQ(m_host.m_record[0], 2);
    EXPECT_EQ(ReadText(m_dir.Path() / "net_install.dat"), std::string(EncodeUtf16Le(L"T2026-12-07 10:15")));

    // Again in TWAIN mode: already applied, the stored current setting comes back.
    ASSERT_TRUE(Restore(false));
    EXPECT_EQ(m_host.m_szAddress, "");
    EXPECT_EQ(m_host.m_szName, L"Custom");
    EXPECT_EQ(m_host.m_record[0], 2);

    // File-output mode after TWAIN mode: applied there too, and the letter becomes "D".
    ASSERT_TRUE(Restore(true));
    EXPECT_EQ(m_host.m_szAddress, "192.168.7.20");
    EXPECT_EQ(ReadNetInstallMarker(MarkerPath()), L"D2026-12-07 10:15");
    ASSERT_TRUE(Restore(true));
    EXPECT_EQ(m_host.m_szAddress, "");
    ASSERT_TRUE(Restore(false));
    EXPECT_EQ(m_host.m_szAddress, "");

    // A new installation (new stamp) applies again.
    m_installer.m_values[L"IP TIME"] = L"2027-01-01 09:00";
    ASSERT_TRUE(Restore(false));
    EXPECT_EQ(m_host.m_szAddress, "192.168.7.20");
    EXPECT_EQ(ReadNetInstallMarker(MarkerPath()), L"T2027-01-01 09:00");
}

TEST_F(SettingsRestoreTest, AddressWithoutTimeStampIsNotApplied)
{
    m_installer.m_values = {{L"IP", L"10.0.0.5"}};
    ASSERT_TRUE(Restore());
    EXPECT_TRUE(Traced(L"failed to get IP TIME"));
    EXPECT_EQ(m_host.m_szAddress, "");
    m_profile.Set(L"Registry", L"");
    m_installer.m_values[L"IP TIME"] = L"x";
    ASSERT_TRUE(Restore());
    EXPECT_EQ(m_host.m_szAddress, "");
}

TEST_F(SettingsRestoreTest, LongAddressesAreNarrowedTo255Bytes)
{
    m_installer.m_values = {{L"IP", std::wstring(300, L'9')}, {L"IP TIME", L"t"}};
    ASSERT_TRUE(Restore());
    EXPECT_EQ(m_host.m_szAddress, std::string(255, '9'));
}

TEST_F(SettingsRestoreTest, ProductProfileAndModelShapeTheDialog)
{
    m_profile.Set(L"HasADF(Model1)", L"FALSE");
    ASSERT_TRUE(Restore(false, L"Model1"));
    EXPECT_EQ(m_host.m_record[1], 0);
    EXPECT_FALSE(m_host.m_bPortHidden);
    EXPECT_FALSE(m_host.m_bOlderOpen);

    m_profile.Set(L"HasADF(Model1)", L"false");
    ASSERT_TRUE(Restore(false, L"Model1", true));
    EXPECT_EQ(m_host.m_record[1], 0xD0);
    EXPECT_TRUE(m_host.m_bPortHidden);
    EXPECT_FALSE(m_host.m_bOlderOpen);

    ASSERT_TRUE(Restore(false, L"mvl3100"));
    EXPECT_TRUE(m_host.m_bOlderOpen);
    EXPECT_TRUE(m_host.m_bPortHidden);
    EXPECT_TRUE(Traced(L"CMainUIDialog::initializeSetting, IsPlatformC: TRUE"));
}

TEST_F(SettingsRestoreTest, FailsWhenTheSettingsCannotBeStored)
{
    const CScanSettingsStore store(m_dir.Wide("no-such-folder/settings.dat"));
    EXPECT_FALSE(RestoreSettings(store, MarkerPath(), CRestoreOptions{}, m_host, m_installer, m_result));
}

}  // namespace
