#include "sim/SimScanner.h"

#include "sim/BmpImage.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <thread>
#include <vector>

namespace {

constexpr const char* kUsbName = "\\\\.\\Usbscan";
constexpr int kRawFail = 1, kRawNoDevice = 3;
// Pages kept for scanning again: a 1200 dpi A3 colour page (835 MB) and then some.
constexpr uint64_t kPageBudget = 1536ull << 20;

}  // namespace

CSimScanner::CSimScanner(EnvReader pfnEnv, std::string sDefaultIni, PageMemoryFactory pageMemory)
    : m_pfnEnv(pfnEnv), m_sDefaultIni(std::move(sDefaultIni)),
      m_pages(pageMemory ? std::move(pageMemory) : PageMemoryFactory(&HeapPageMemory), kPageBudget)
{
}

CSimScanner::~CSimScanner()
{
    m_bShutdown = true;
    std::lock_guard lock(m_mutex);
    for (auto& [h, pDevice] : m_devices) {
        m_log.Violation("device " + std::to_string(h) + " not closed before unload");
        pDevice->Abandon();
    }
}

SSimConfig CSimScanner::Reload()
{
    std::string sIni = m_pfnEnv ? m_pfnEnv("MVLSIM_INI") : std::string();
    SSimConfig config = LoadSimConfig(sIni.empty() ? m_sDefaultIni : sIni);
    std::string sLog = m_pfnEnv ? m_pfnEnv("MVLSIM_LOG") : std::string();
    m_log.SetPath(sLog.empty() ? config.sLogPath : sLog);
    std::lock_guard lock(m_mutex);
    m_config = config;
    return config;
}

SSimConfig CSimScanner::Config()
{
    std::lock_guard lock(m_mutex);
    return m_config;
}

EFaultKind CSimScanner::FaultFor(const char* pszFunction)
{
    std::lock_guard lock(m_mutex);
    return m_config.faults.empty() ? EFaultKind::kNone : m_config.FaultFor(pszFunction);
}

int CSimScanner::SetFlag(const char* pszFunction, int bFlag)
{
    m_log.Line(std::string("CALL ") + pszFunction + " " + std::to_string(bFlag));
    return 0;
}

int CSimScanner::Open(const char* pszDevice, ScanDrvHandle* phDevice)
{
    SSimConfig config = Config();
    std::string sName = pszDevice ? std::string(pszDevice, strnlen(pszDevice, kDeviceNameBytes)) : std::string();
    m_log.Line("CALL ScanDrv_Open " + sName);
    if (!pszDevice || !phDevice)
        return kRawFail;
    if (config.nOpenResult)
        return config.nOpenResult;
    bool bPresent = sName == kUsbName ? config.bUsbPresent : config.IsKnownNetworkName(sName);
    if (!bPresent)
        return kRawNoDevice;
    std::shared_ptr<const CBmpImage> pPicture;
    if (!config.sPageBmp.empty() && !(pPicture = CBmpImage::Load(config.sPageBmp)))
        m_log.Line("NOTE page picture not readable: " + config.sPageBmp);
    std::lock_guard lock(m_mutex);
    if (!m_devices.empty()) {
        m_log.Violation("ScanDrv_Open while a device is open");
        return kRawNoDevice;
    }
    uintptr_t h = m_nNextHandle;
    m_nNextHandle += 0x10;
    m_devices[h] = std::make_shared<CSimDevice>(config, m_log, std::move(pPicture), m_pages);
    *phDevice = reinterpret_cast<ScanDrvHandle>(h);
    return 0;
}

int CSimScanner::Close(ScanDrvHandle hDevice)
{
    m_log.Line("CALL ScanDrv_Close");
    std::shared_ptr<CSimDevice> pDevice = Find(hDevice, "ScanDrv_Close");
    if (!pDevice)
        return kRawFail;
    // The device's thread may still call back (and into this library) until it has ended.
    pDevice->Shutdown();
    std::lock_guard lock(m_mutex);
    m_devices.erase(reinterpret_cast<uintptr_t>(hDevice));
    return 0;
}

std::shared_ptr<CSimDevice> CSimScanner::Find(ScanDrvHandle hDevice, const char* pszFunction)
{
    std::lock_guard lock(m_mutex);
    auto it = m_devices.find(reinterpret_cast<uintptr_t>(hDevice));
    if (it != m_devices.end())
        return it->second;
    m_log.Violation(std::string(pszFunction) + " with a handle that is not open");
    return nullptr;
}

int CSimScanner::CheckConnect(int nKind, void*)
{
    m_log.Line("CALL ScanDrv_CheckConnect " + std::to_string(nKind));
    return Config().CheckConnectResult();
}

void CSimScanner::WaitNetwork(int nDelayMs)
{
    const auto tEnd = std::chrono::steady_clock::now() + std::chrono::milliseconds(std::max(nDelayMs, 0));
    while (nDelayMs != 0 && !m_bShutdown && (nDelayMs < 0 || std::chrono::steady_clock::now() < tEnd))
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
}

int CSimScanner::BroadcastMFP(int* pnCount, char* pList)
{
    m_log.Line(std::string("CALL ScanDrv_BroadcastMFP ") + (pList ? "fill" : "count"));
    if (!pnCount)
        return kRawFail;
    const SSimConfig config = Config();
    if (!pList)
        WaitNetwork(config.nSearchDelayMs);
    if (config.nSearchResult) {
        *pnCount = 0;
        return config.nSearchResult;
    }
    const std::vector<std::string>& names = config.scanners;
    if (!pList) {
        *pnCount = static_cast<int>(names.size());
        return 0;
    }
    // The caller's count is the room it has: a list that grew since the first call is cut.
    int n = std::min(std::max(*pnCount, 0), static_cast<int>(names.size()));
    for (int i = 0; i < n; ++i) {
        char* pEntry = pList + static_cast<std::size_t>(i) * kDeviceNameBytes;
        std::memset(pEntry, 0, kDeviceNameBytes);
        std::memcpy(pEntry, names[i].data(), std::min<std::size_t>(names[i].size(), kDeviceNameBytes - 1));
    }
    *pnCount = n;
    return 0;
}

int CSimScanner::DetectNetMFP(SNetProbe* pProbe)
{
    if (!pProbe)
        return kRawFail;
    std::string sTarget(pProbe->szTarget, strnlen(pProbe->szTarget, kDeviceNameBytes));
    m_log.Line("CALL ScanDrv_DetectNetMFP " + sTarget);
    SSimConfig config = Config();
    WaitNetwork(config.nDetectDelayMs);
    return config.IsKnownNetworkName(sTarget) ? 0 : config.nDetectResult;
}

int CSimScanner::LocateMFP(const char* pszAddress, const char*)
{
    std::string sAddress = pszAddress ? std::string(pszAddress, strnlen(pszAddress, kDeviceNameBytes)) : std::string();
    m_log.Line("CALL ScanDrv_LocateMFP " + sAddress);
    return Config().IsKnownNetworkName(sAddress) ? 0 : kRawFail;
}
