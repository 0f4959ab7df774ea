// Restoring the user's settings when the scanning dialog opens: the settings file, the default
// and current settings, the network address left by the installer, and what the dialog shows.
// The dialog implements ISettingsRestoreHost; the record stays opaque to this code.
#pragma once

#include "settings/ScanSettingsStore.h"

#include <optional>
#include <string>
#include <vector>

// Language strings: the name of the default setting, and the name shown for changed, unsaved
// settings (also the name a network address from the installer is stored under).
constexpr int kIdsDefaultSettingName = 1019;
constexpr int kIdsChangedSettingName = 1020;

class ISettingsRestoreHost {
public:
    virtual ~ISettingsRestoreHost() = default;
    virtual std::wstring SettingText(int nStringId) = 0;
    virtual ScanParamBlob DefaultRecord() = 0;
    // Connection 2 (network) with the address as its second address.
    virtual void ApplyNetworkAddress(ScanParamBlob& record, const std::string& szAddress) = 0;
    virtual void UseFlatbedSource(ScanParamBlob& record) = 0;
    virtual void ShowSettingNames(const std::vector<std::wstring>& names) = 0;
    // nPosition -1: the name is not in the list; then Save is shown instead of Delete.
    virtual void ShowSelectedSetting(int nPosition, bool bDeleteShown, bool bDeleteEnabled) = 0;
    virtual void UseRecord(const ScanParamBlob& record, const std::wstring& szName) = 0;
    virtual void UseOlderPlatformOpen() = 0;
    virtual void HidePortButton() = 0;
};

// Where the installer leaves a network address: a key under the local machine (the registry
// on Windows).
class INetInstallSource {
public:
    virtual ~INetInstallSource() = default;
    virtual std::optional<std::wstring> ReadValue(const std::wstring& szKeyPath, const wchar_t* szValueName) = 0;
};

struct CRestoreOptions {
    bool m_bFileOutputMode = false;
    std::wstring m_szModelName;
    bool m_bIsPlatformK = false;
};

struct CRestoredSettings {
    std::wstring m_szCurrentName;
    int m_nPosition = -1;
    ScanParamBlob m_record{};
    std::vector<std::wstring> m_names;
};

// False when the dialog must not open: the file could not be prepared, or the default or the
// current setting could not be written.
bool RestoreSettings(const CScanSettingsStore& store, const std::wstring& szMarkerPath, const CRestoreOptions& options,
                     ISettingsRestoreHost& host, INetInstallSource& netSource, CRestoredSettings& result);
