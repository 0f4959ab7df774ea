#include "DeviceDelivery.h"

#include <chrono>
#include <fstream>
#include <sstream>

namespace {

template <typename T>
void Bind(HMODULE h, T& pfn, const char* pszName)
{
    pfn = reinterpret_cast<T>(reinterpret_cast<void*>(GetProcAddress(h, pszName)));
}

}  // namespace

SDeviceParams LastDeviceParams(const std::filesystem::path& simLog)
{
    SDeviceParams p;
    const std::string sKey = "CALL ScanDrv_SetScanParameter ";
    std::ifstream in(simLog);
    for (std::string s; std::getline(in, s);) {
        const size_t n = s.find(sKey);
        if (n == std::string::npos)
            continue;
        std::istringstream fields(s.substr(n + sKey.size()));
        int nYDpi = 0;
        fields >> p.nDpi >> nYDpi >> p.nMode >> p.nLeft >> p.nTop >> p.nRight >> p.nBottom >> p.nThreshold >> p.nSource;
        p.bFound = !fields.fail();
    }
    return p;
}

CDeviceDelivery::CDeviceDelivery(const std::filesystem::path& library) : m_hLib(LoadLibraryW(library.c_str()))
{
    if (!m_hLib)
        return;
    Bind(m_hLib, m_pfnOpen, "ScanDrv_Open");
    Bind(m_hLib, m_pfnClose, "ScanDrv_Close");
    Bind(m_hLib, m_pfnStart, "ScanDrv_StartScan");
    Bind(m_hLib, m_pfnParams, "ScanDrv_SetScanParameter");
    Bind(m_hLib, m_pfnSize, "ScanDrv_GetScanParameter");
    if (m_pfnOpen && m_pfnClose && m_pfnStart && m_pfnParams && m_pfnSize)
        Bind(m_hLib, m_pfnRead, "ScanDrv_ReadScanData");
}

CDeviceDelivery::~CDeviceDelivery()
{
    if (m_hLib)
        FreeLibrary(m_hLib);
}

bool CDeviceDelivery::Open(ScanDrvHandle& h, const SDeviceParams& p)
{
    h = nullptr;
    if (!Loaded() || m_pfnOpen("\\\\.\\Usbscan", &h) != 0)
        return false;
    if (m_pfnParams(h, p.nDpi, p.nDpi, p.nMode, p.nLeft, p.nTop, p.nRight, p.nBottom, p.nThreshold, p.nSource) == 0)
        return true;
    m_pfnClose(h);
    return false;
}

bool CDeviceDelivery::PageSize(const SDeviceParams& p, uint32_t& nRowBytes, uint32_t& nRows)
{
    ScanDrvHandle h;
    if (!Open(h, p))
        return false;
    int nValue = 0, nLines = 0;
    const bool bOk = m_pfnSize(h, &nValue, &nLines) == 0 && nValue > 0 && nLines > 0;
    m_pfnClose(h);
    nRowBytes = static_cast<uint32_t>(nValue);
    nRows = static_cast<uint32_t>(nLines);
    return bOk;
}

double CDeviceDelivery::ReadPage(const SDeviceParams& p, uint8_t* pPage, uint32_t nRowBytes, uint32_t nRows)
{
    using Clock = std::chrono::steady_clock;
    ScanDrvHandle h;
    if (!Open(h, p))
        return -1;
    const Clock::time_point t0 = Clock::now();
    bool bOk = m_pfnStart(h) == 0;
    for (uint32_t nRow = 0; bOk && nRow < nRows; ++nRow) {
        uint8_t* pRow = pPage + uint64_t(nRow) * nRowBytes;
        for (uint32_t nDone = 0; bOk && nDone < nRowBytes;) {
            int nRead = 0;
            bOk = m_pfnRead(h, pRow + nDone, static_cast<int>(nRowBytes - nDone), &nRead) == 0 && nRead > 0;
            nDone += static_cast<uint32_t>(nRead);
        }
    }
    const Clock::time_point t1 = Clock::now();
    m_pfnClose(h);
    return bOk ? std::chrono::duration<double, std::milli>(t1 - t0).count() : -1;
}
