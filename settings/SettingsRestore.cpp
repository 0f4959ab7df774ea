#include "settings/SettingsRestore.h"

#include "profile/Trace.h"
#include "settings/NetInstallMarker.h"
#include "settings/SettingsProfile.h"

#include <algorithm>
#include <climits>

namespace {

constexpr size_t kMaxAddressBytes = 255;

struct CRestoreRun {
    const CScanSettingsStore& m_store;
    const CRestoreOptions& m_options;
    ISettingsRestoreHost& m_host;
    CRestoredSettings& m_result;
    std::wstring m_szDefaultName;
};

// The default setting exists once the dialog has opened for the first time.
bool EnsureDefaultSetting(CRestoreRun& run)
{
    ScanParamBlob record{};
    if (run.m_store.LoadNamed(run.m_szDefaultName, record))
        return true;
    return run.m_store.SaveNamed(run.m_szDefaultName, run.m_host.DefaultRecord());
}

bool RestoreCurrentSetting(CRestoreRun& run)
{
    if (run.m_store.ReadCurrent(run.m_result.m_szCurrentName, run.m_result.m_record))
        return true;
    run.m_result.m_szCurrentName = run.m_szDefaultName;
    if (!run.m_store.LoadNamed(run.m_szDefaultName, run.m_result.m_record))
        run.m_result.m_record = run.m_host.DefaultRecord();
    return run.m_store.WriteCurrent(run.m_result.m_szCurrentName, run.m_result.m_record);
}

// The address and its time stamp from the installer, when both are there.
std::optional<std::pair<std::wstring, std::wstring>> ReadInstallerAddress(INetInstallSource& netSource)
{
    const std::wstring szKey = ReadTwainProfileString(L"Registry");
    if (szKey.empty())
        return std::nullopt;
    std::optional<std::wstring> szIp = netSource.ReadValue(szKey, L"IP");
    if (!szIp)
        return std::nullopt;
    TraceW(L"initializeSetting: IP:%ls", szIp->c_str());
    std::optional<std::wstring> szTime = netSource.ReadValue(szKey, L"IP TIME");
    if (!szTime) {
        TraceA("failed to get IP TIME");
        return std::nullopt;
    }
    return std::make_pair(*szIp, *szTime);
}

std::optional<std::wstring> ReadOrCreateMarker(const std::wstring& szMarkerPath)
{
    std::optional<std::wstring> szMarker = ReadNetInstallMarker(szMarkerPath);
    if (!szMarker) {
        TraceW(L"CMainUIDialog::initializeSetting, open failed: %ls", szMarkerPath.c_str());
        if (!CreateNetInstallMarker(szMarkerPath))
            TraceW(L"initializeSetting, open failed: %ls", szMarkerPath.c_str());
    }
    return szMarker;
}

bool ApplyInstallerAddress(CRestoreRun& run, const std::wstring& szMarkerPath, INetInstallSource& netSource)
{
    const auto address = ReadInstallerAddress(netSource);
    if (!address)
        return true;
    const CNetInstallDecision decision =
        DecideNetInstall(ReadOrCreateMarker(szMarkerPath), address->second, run.m_options.m_bFileOutputMode);
    if (!decision.m_bApply)
        return true;
    CRestoredSettings& result = run.m_result;
    if (result.m_szCurrentName == run.m_szDefaultName) {
        result.m_szCurrentName = run.m_host.SettingText(kIdsChangedSettingName);
        if (std::find(result.m_names.begin(), result.m_names.end(), result.m_szCurrentName) == result.m_names.end())
            result.m_names.push_back(result.m_szCurrentName);
    }
    run.m_host.ApplyNetworkAddress(result.m_record, NarrowBounded(address->first, kMaxAddressBytes));
    if (!run.m_store.WriteCurrent(result.m_szCurrentName, result.m_record))
        return false;
    // Written only once the setting is stored, so a failed start applies the address again.
    WriteNetInstallMarker(szMarkerPath, decision.m_szMarkerText);
    return true;
}

void ShowSelection(CRestoreRun& run)
{
    CRestoredSettings& result = run.m_result;
    run.m_host.ShowSettingNames(result.m_names);
    const auto it = std::find(result.m_names.begin(), result.m_names.end(), result.m_szCurrentName);
    if (it == result.m_names.end()) {
        result.m_nPosition = -1;
        run.m_host.ShowSelectedSetting(-1, false, false);
        return;
    }
    result.m_nPosition = static_cast<int>(it - result.m_names.begin());
    run.m_host.ShowSelectedSetting(result.m_nPosition, true, result.m_szCurrentName != run.m_szDefaultName);
}

void HandOverRecord(CRestoreRun& run)
{
    const std::wstring& szModel = run.m_options.m_szModelName;
    if (ReadTwainProfileString((L"HasADF(" + szModel + L")").c_str()) == L"FALSE")
        run.m_host.UseFlatbedSource(run.m_result.m_record);
    run.m_host.UseRecord(run.m_result.m_record, run.m_result.m_szCurrentName);
    if (szModel == L"mvl3100") {
        run.m_host.UseOlderPlatformOpen();
        run.m_host.HidePortButton();
        TraceA("CMainUIDialog::initializeSetting, IsPlatformC: TRUE");
    }
    if (run.m_options.m_bIsPlatformK)
        run.m_host.HidePortButton();
}

}  // namespace

bool RestoreSettings(const CScanSettingsStore& store, const std::wstring& szMarkerPath, const CRestoreOptions& options,
                     ISettingsRestoreHost& host, INetInstallSource& netSource, CRestoredSettings& result)
{
    result = CRestoredSettings{};
    CRestoreRun run{store, options, host, result, host.SettingText(kIdsDefaultSettingName)};
    if (!store.PrepareFile() || !EnsureDefaultSetting(run))
        return false;
    if (store.ListNamed(&result.m_names, INT_MAX) < 0 || !RestoreCurrentSetting(run))
        return false;
    if (!ApplyInstallerAddress(run, szMarkerPath, netSource))
        return false;
    ShowSelection(run);
    HandOverRecord(run);
    return true;
}
