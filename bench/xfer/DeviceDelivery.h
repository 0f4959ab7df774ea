// The simulated scanner's own delivery of a page, with nothing of the data source in between:
// the device library's functions called as the source calls them (one row per read), the rows
// going into a page buffer the benchmark has already touched. Holding the library also keeps
// its drawn pages between the source's openings of it.
#pragma once

#include <windows.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "device/ScanDrvApi.h"

// The parameters the source sent with its last ScanDrv_SetScanParameter (from the simulator's log).
struct SDeviceParams {
    int nDpi = 0, nMode = 0, nLeft = 0, nTop = 0, nRight = 0, nBottom = 0, nThreshold = 128, nSource = 0;
    bool bFound = false;
};
SDeviceParams LastDeviceParams(const std::filesystem::path& simLog);

class CDeviceDelivery {
public:
    explicit CDeviceDelivery(const std::filesystem::path& library);
    ~CDeviceDelivery();
    CDeviceDelivery(const CDeviceDelivery&) = delete;
    CDeviceDelivery& operator=(const CDeviceDelivery&) = delete;

    bool Loaded() const { return m_pfnRead != nullptr; }
    // Row bytes and rows of a page with these parameters; false when the device refuses them.
    bool PageSize(const SDeviceParams& p, uint32_t& nRowBytes, uint32_t& nRows);
    // Milliseconds from the start of the scan to the last row in pPage; negative on failure.
    double ReadPage(const SDeviceParams& p, uint8_t* pPage, uint32_t nRowBytes, uint32_t nRows);

private:
    bool Open(ScanDrvHandle& h, const SDeviceParams& p);

    HMODULE m_hLib = nullptr;
    PFN_ScanDrv_Open m_pfnOpen = nullptr;
    PFN_ScanDrv_Handle m_pfnClose = nullptr;
    PFN_ScanDrv_Handle m_pfnStart = nullptr;
    PFN_ScanDrv_SetScanParameter m_pfnParams = nullptr;
    PFN_ScanDrv_TwoInts m_pfnSize = nullptr;
    PFN_ScanDrv_ReadScanData m_pfnRead = nullptr;
};
