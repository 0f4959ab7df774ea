// Discovery: every *.ds under the Windows folder's twain_64 and its subfolders, loaded
// one at a time and asked for its identity with DAT_IDENTITY MSG_GET.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "twain/TwainTypes.h"

struct SSourceEntry {
    std::wstring sPath;
    TW_IDENTITY identity{};
};

// GetWindowsDirectory()\twain_64
std::wstring TwainFolder();
// Real managers query either with the application's identity or with no origin at all;
// MVLDSM_NULL_ORIGIN=1 selects the second so sources can be checked against both.
bool NullOriginRequested();
// The identity a source already open in this process gave; false when the path is not open.
using OpenIdentityLookup = std::function<bool(const std::wstring& sPath, TW_IDENTITY* pIdentity)>;
// Sources in path order; those that fail to load or answer are left out.
std::vector<SSourceEntry> DiscoverSources(const TW_IDENTITY& appIdentity, const OpenIdentityLookup& lookup);
// The entry whose ProductName matches (case-insensitive); null when none does.
const SSourceEntry* FindSource(const std::vector<SSourceEntry>& catalog, const char* pszProductName);
