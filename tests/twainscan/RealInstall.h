// The real data source installed for one tool test: its own model folder and File Prefix (so
// its own sign mutex), a product name no other test uses, and the simulated scanner beside it
// with its settings file and a call log of its own.
#pragma once

#include <windows.h>

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "harness/DsLoader.h"
#include "harness/TestEnv.h"
#include "sim/ChartRenderer.h"

// What the device was told by the last ScanDrv_SetScanParameter.
struct SSimScanParams {
    int nDpi = 0, nMode = 0, nThreshold = 128, nSource = 0;
    SChartArea area;
    bool bFound = false;
};

class CRealInstall {
public:
    CRealInstall();
    ~CRealInstall();
    CRealInstall(const CRealInstall&) = delete;
    CRealInstall& operator=(const CRealInstall&) = delete;

    bool Installed() const { return m_bInstalled; }
    // The product name the source reports and the tool is given with -d.
    const std::string& Name() const { return m_sName; }
    const std::wstring& Prefix() const { return m_pSrc->Prefix(); }
    const std::wstring& ModelDir() const { return m_pSrc->ModelDir(); }
    // The language libraries beside it: its dialogs as a user sees them (without them the source
    // falls back to the dialog templates it carries).
    bool AddLanguageLibraries() const;
    // Where the source keeps its settings files.
    std::wstring SettingsDir() const { return m_pSrc->SettingsDir(); }
    // Rewrites the simulator's settings file beside its library: lines of [Device] and [Faults].
    void SetSim(const std::string& sDevice, const std::string& sFaults = "") const;
    // Sets a key of section "TWAIN" in the source's product profile.
    void SetProfileKey(const wchar_t* pszKey, const wchar_t* pszValue) const;
    std::vector<std::string> SimLog() const;
    // Every scan parameter record the device received, in order.
    std::vector<SSimScanParams> DeviceParams() const;
    void ClearSimLog() const;

private:
    mvltest::CTempDir m_dir;
    std::unique_ptr<mvltest::CScopedEnv> m_pIniEnv;
    std::unique_ptr<mvltest::CScopedEnv> m_pLogEnv;
    std::unique_ptr<mvltest::CTestSource> m_pSrc;
    std::filesystem::path m_iniPath;
    std::filesystem::path m_logPath;
    std::string m_sName;
    bool m_bInstalled = false;
};

// The page the simulator renders for those parameters: sheet nSheet (from 1), side 0 front, 1 back.
std::vector<std::vector<std::uint8_t>> SimPage(const SSimScanParams& params, int nSheet = 1, int nSide = 0);
