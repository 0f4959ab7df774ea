// One application acquiring from the data source without its dialog: a recording source
// manager loaded as TWAINDSM.dll, the simulated scanner configured for the test, the source
// opened and its capabilities set.
#pragma once

#include <windows.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "device/ScanParamRecord.h"
#include "harness/DsLoader.h"
#include "harness/TestEnv.h"
#include "sim/ChartRenderer.h"

namespace xfertest {

// The source manager stand-in, one per process, found by the source through GetModuleHandle.
class CXferDsm {
public:
    static CXferDsm& Instance();
    bool Loaded() const { return m_pfnCalls != nullptr; }
    long Calls(int nMsg) const { return m_pfnCalls ? m_pfnCalls(nMsg) : -1; }
    void Reset() const
    {
        if (m_pfnReset)
            m_pfnReset();
    }

private:
    CXferDsm();
    mvltest::CTempDir m_dir;
    HMODULE m_hDll = nullptr;
    long (*m_pfnCalls)(int) = nullptr;
    void (*m_pfnReset)() = nullptr;
};

// What the device was told by the last ScanDrv_SetScanParameter.
struct SDeviceParams {
    int nDpi = 0, nMode = 0, nThreshold = 128, nSource = 0;
    SChartArea area;
    bool bFound = false;
};

class CAcquisition {
public:
    // sSimDevice: lines for section [Device]; sSimFaults: lines for [Faults]; sProfileExtra:
    // lines after the default profile (more keys or sections).
    explicit CAcquisition(const std::string& sSimDevice = "", const std::string& sSimFaults = "",
                          const std::string& sProfileExtra = "");
    ~CAcquisition();

    mvltest::CTestSource& Src() { return *m_pSrc; }
    // The language libraries under the source's prefix: its dialogs as a user sees them.
    bool WithLanguageLibraries() const;
    bool SetU16(TW_UINT16 wCap, TW_UINT16 wValue);
    bool SetFix(TW_UINT16 wCap, double dValue);
    // Pixel type, resolution, paper size and source in one go; false when any was refused.
    bool Configure(int nPixelType, int nDpi, int nTwainSize, int nSource);
    TW_UINT16 Enable();
    TW_UINT16 Disable();
    // The user's current setting, as a dialog closed earlier left it in the settings file.
    bool StoreSetting(const SScanParamRecord& rec, const std::wstring& sName = L"Default");
    // Enabled with the dialog (which opens on that setting) and its Scan button clicked.
    TW_UINT16 ScanFromDialog();
    // Dispatches the messages the source posted to this thread (notifications from workers).
    static void Pump();
    long Calls(int nMsg) const { return CXferDsm::Instance().Calls(nMsg); }

    SDeviceParams LastDeviceParams() const;
    std::vector<std::string> SimLog() const;
    // Lines of the simulator's log containing sFragment ("CALL ScanDrv_StartScan", "EVENT 3 ").
    int SimCount(const std::string& sFragment) const;
    const std::filesystem::path& Dir() const { return m_dir.Path(); }

private:
    mvltest::CTempDir m_dir;
    size_t m_nSpoolsBefore = 0;
    std::filesystem::path m_logPath;
    std::unique_ptr<mvltest::CScopedEnv> m_pIni;
    std::unique_ptr<mvltest::CScopedEnv> m_pLog;
    std::unique_ptr<mvltest::CTestSource> m_pSrc;
};

// Writes a current setting into a settings file, as a dialog closed earlier would have left it.
bool StoreCurrentSetting(const std::wstring& sFile, const SScanParamRecord& rec, const std::wstring& sName);
// The default record of the A4 duplex model with a source, colour mode, resolution and paper.
SScanParamRecord TestRecord(int nSource, int nColourMode, int nResolutionIndex, int nPaperIndex);

using CRows = std::vector<std::vector<uint8_t>>;
// A native transfer's bitmap as rows top first in the spool's layout (red, green, blue; 1-bit
// packed with 1 white when the palette begins with black). Empty when the transfer failed.
CRows NativeRows(CAcquisition& acq, TW_UINT16* pRc);

// The page the simulator scans for those parameters, rows top first.
std::vector<std::vector<uint8_t>> ExpectedPage(const SDeviceParams& p, int nPage = 1, int nSide = 0);

// Number of spool files ("Mor*.tmp") in the temporary folder.
size_t SpoolFileCount();

}  // namespace xfertest
