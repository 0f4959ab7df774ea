#include "twaindsm/SourceCatalog.h"

#include <windows.h>

#include <algorithm>
#include <cstring>
#include <filesystem>

#include "twaindsm/SourceSession.h"

namespace fs = std::filesystem;

std::wstring TwainFolder()
{
    wchar_t sz[MAX_PATH] = L"";
    UINT n = GetWindowsDirectoryW(sz, MAX_PATH);
    if (n == 0 || n >= MAX_PATH)
        return L"C:\\Windows\\twain_64";
    return std::wstring(sz) + L"\\twain_64";
}

bool NullOriginRequested()
{
    wchar_t sz[8] = L"";
    DWORD n = GetEnvironmentVariableW(L"MVLDSM_NULL_ORIGIN", sz, 8);
    return n == 1 && sz[0] == L'1';
}

namespace {

std::vector<std::wstring> FindSourceFiles()
{
    std::vector<std::wstring> files;
    std::error_code ec;
    fs::recursive_directory_iterator it(TwainFolder(), fs::directory_options::skip_permission_denied, ec);
    for (; !ec && it != fs::recursive_directory_iterator(); it.increment(ec)) {
        std::error_code ecFile;
        if (!it->is_regular_file(ecFile))
            continue;
        std::wstring sExt = it->path().extension().wstring();
        if (_wcsicmp(sExt.c_str(), L".ds") == 0)
            files.push_back(it->path().wstring());
    }
    std::sort(files.begin(), files.end(),
              [](const std::wstring& a, const std::wstring& b) { return _wcsicmp(a.c_str(), b.c_str()) < 0; });
    return files;
}

bool QueryIdentity(const std::wstring& sPath, const TW_IDENTITY& appIdentity, TW_IDENTITY* pIdentity)
{
    CLoadedSource source(sPath);
    if (!source.Loaded())
        return false;
    // The source gets a copy: a source that keeps the pointer must not reach our record.
    TW_IDENTITY appCopy = appIdentity;
    TW_IDENTITY* pOrigin = NullOriginRequested() ? nullptr : &appCopy;
    TW_IDENTITY identity{};
    if (source.Call(pOrigin, DG_CONTROL, DAT_IDENTITY, MSG_GET, &identity) != TWRC_SUCCESS)
        return false;
    identity.Id = 0;
    identity.ProductName[sizeof(identity.ProductName) - 1] = '\0';
    identity.Manufacturer[sizeof(identity.Manufacturer) - 1] = '\0';
    identity.ProductFamily[sizeof(identity.ProductFamily) - 1] = '\0';
    identity.Version.Info[sizeof(identity.Version.Info) - 1] = '\0';
    *pIdentity = identity;
    return true;
}

}  // namespace

std::vector<SSourceEntry> DiscoverSources(const TW_IDENTITY& appIdentity, const OpenIdentityLookup& lookup)
{
    std::vector<SSourceEntry> catalog;
    for (const std::wstring& sPath : FindSourceFiles()) {
        SSourceEntry entry;
        entry.sPath = sPath;
        // A source this process has open is not disturbed by a second load and query.
        bool bKnown = lookup && lookup(sPath, &entry.identity);
        if (bKnown || QueryIdentity(sPath, appIdentity, &entry.identity)) {
            entry.identity.Id = 0;
            catalog.push_back(entry);
        }
    }
    return catalog;
}

const SSourceEntry* FindSource(const std::vector<SSourceEntry>& catalog, const char* pszProductName)
{
    for (const SSourceEntry& entry : catalog) {
        if (_stricmp(entry.identity.ProductName, pszProductName) == 0)
            return &entry;
    }
    return nullptr;
}
