// The network-install marker "net_install.dat": UTF-16LE text without byte-order mark, one mode
// letter and the installer's time stamp. "A": the installer's address was applied in
// file-output mode, "T": in TWAIN mode, "D": in both.
#pragma once

#include <optional>
#include <string>

// The marker is a letter and a time stamp; anything much larger is not a marker.
constexpr size_t kNetInstallMarkerMaxBytes = 1024;

// None when the file cannot be opened or is not a marker (oversized, odd length).
std::optional<std::wstring> ReadNetInstallMarker(const std::wstring& szPath);
// Creates an empty marker file; false when it cannot be created.
bool CreateNetInstallMarker(const std::wstring& szPath);
// Replaces the whole marker with szText, without a terminator.
bool WriteNetInstallMarker(const std::wstring& szPath, const std::wstring& szText);

struct CNetInstallDecision {
    bool m_bApply = false;
    std::wstring m_szMarkerText;  // what the marker holds after applying
};

// Whether the installer's address (with time stamp szStamp) is applied now.
CNetInstallDecision DecideNetInstall(const std::optional<std::wstring>& szMarker, const std::wstring& szStamp,
                                     bool bFileOutputMode);

std::string EncodeUtf16Le(const std::wstring& szText);
std::optional<std::wstring> DecodeUtf16Le(const std::string& szBytes);
