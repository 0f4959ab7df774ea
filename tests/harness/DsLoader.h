// A data source installed and loaded for one test: its own model folder, its own file name
// (and so its own profile INI), its own File Prefix (and so its own sign mutex), loaded with
// LoadLibrary and freed at the end so that every test starts from fresh process state.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <string>

#include "harness/TraceCapture.h"
#include "twain/TwainTypes.h"

namespace mvltest {

struct SSourceOptions {
    // The profile text; "%PREFIX%" and "%MODEL%" are replaced by this source's names.
    std::string sProfile;
    // Model folder and file base; generated when empty. The file is <base>TWAIN64.ds.
    std::wstring sModel;
    std::wstring sFileBase;
    // The exact file name, overriding <base>TWAIN64.ds (for the profile-name rule).
    std::wstring sFileName;
    // Copy the device, effect and language libraries installed beside the product's source.
    bool bCopySiblings = true;
};

// The profile of the A4 duplex model with this source's prefix and model folder.
std::string DefaultProfile();

class CTestSource {
public:
    explicit CTestSource(SSourceOptions options = {});
    ~CTestSource();
    CTestSource(const CTestSource&) = delete;
    CTestSource& operator=(const CTestSource&) = delete;

    bool Loaded() const { return m_pfnEntry != nullptr; }
    HMODULE Module() const { return m_hModule; }
    const std::wstring& Prefix() const { return m_sPrefix; }
    const std::wstring& ModelDir() const { return m_sModelDir; }
    const std::wstring& DsPath() const { return m_sDsPath; }
    const std::wstring& ProfilePath() const { return m_sProfilePath; }
    // Where the default profile keeps this source's settings files (removed with the source).
    std::wstring SettingsDir() const;
    // The source looks for its device and effect libraries, and its language libraries, under
    // its own File Prefix: copies of the installed ones under that name. Without the language
    // libraries its dialogs fall back to the templates it carries (the progress dialog then
    // does not show). False when one could not be copied.
    bool CopyPrefixedLibraries() const;
    bool CopyPrefixedLanguageLibraries() const;
    CTraceCapture& Trace() { return *m_pTrace; }

    TW_UINT16 Call(TW_IDENTITY* pOrigin, TW_UINT32 DG, TW_UINT16 DAT, TW_UINT16 MSG, TW_MEMREF pData);
    // The triplet from this test's application identity.
    TW_UINT16 Call(TW_UINT32 DG, TW_UINT16 DAT, TW_UINT16 MSG, TW_MEMREF pData)
    {
        return Call(&m_appId, DG, DAT, MSG, pData);
    }
    TW_UINT16 Control(TW_UINT16 DAT, TW_UINT16 MSG, TW_MEMREF pData) { return Call(DG_CONTROL, DAT, MSG, pData); }

    // MSG_OPENDS as a source manager sends it: the source's identity completed with an Id.
    TW_UINT16 Open();
    TW_UINT16 Close();
    // DAT_STATUS MSG_GET; the condition code, or 0xFFFF when the query itself failed.
    TW_UINT16 Status();

    TW_IDENTITY& AppId() { return m_appId; }
    TW_IDENTITY& DsId() { return m_dsId; }

    // Unloads without removing the installed files (to load it again in a child process).
    void Unload();

private:
    bool CopyUnderPrefix(const std::function<std::wstring(const std::wstring&)>& target) const;

    std::wstring m_sPrefix;
    std::wstring m_sModelDir;
    std::wstring m_sDsPath;
    std::wstring m_sProfilePath;
    HMODULE m_hModule = nullptr;
    DSENTRYPROC m_pfnEntry = nullptr;
    std::unique_ptr<CTraceCapture> m_pTrace;
    TW_IDENTITY m_appId{};
    TW_IDENTITY m_dsId{};
};

// A test application identity with the given Id and product name.
TW_IDENTITY MakeAppIdentity(TW_UINT32 nId, const char* pszProduct = "mvl test app", TW_UINT16 wProtocolMinor = 2);

}  // namespace mvltest
