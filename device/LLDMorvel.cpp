#include "device/LLDMorvel.h"

#include "device/DevMonStatus.h"
#include "device/FaultGuard.h"
#include "device/LLDState.h"
#include "profile/LibraryLoad.h"
#include "profile/Trace.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace {

constexpr int kRawNoPaper = 7;

// The folder of the module this code is linked into, with its trailing backslash.
std::wstring OwnModuleDir()
{
    HMODULE hSelf = nullptr;
    if (!GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                            reinterpret_cast<LPCWSTR>(&OwnModuleDir), &hSelf))
        return {};
    std::wstring sPath(MAX_PATH, L'\0');
    for (;;) {
        DWORD n = GetModuleFileNameW(hSelf, sPath.data(), static_cast<DWORD>(sPath.size()));
        if (n == 0)
            return {};
        if (n < sPath.size()) {
            sPath.resize(n);
            break;
        }
        sPath.resize(sPath.size() * 2);
    }
    return sPath.substr(0, sPath.find_last_of(L'\\') + 1);
}

template <typename T>
void Bind(HMODULE hModule, T& pfn, const char* pszName)
{
    pfn = reinterpret_cast<T>(reinterpret_cast<void*>(GetProcAddress(hModule, pszName)));
}

}  // namespace

CLLDMorvel::CLLDMorvel(PrefixProvider pfnPrefix) : m_pfnPrefix(pfnPrefix) {}

CLLDMorvel::~CLLDMorvel()
{
    m_readBuffer.clear();
    m_nReadBufferSize = 0;
    DevMon_Unload();
}

std::wstring CLLDMorvel::LibraryPath() const
{
    // Without its own folder there is no path: a bare name would be searched for.
    std::wstring sDir = OwnModuleDir();
    return sDir.empty() ? std::wstring() : sDir + (m_pfnPrefix ? m_pfnPrefix() : std::wstring()) + L"lld.dll";
}

template <typename Fn, typename... Args>
int CLLDMorvel::OnDevice(Fn pfn, Args... args)
{
    if (!pfn || !m_hDevice)
        return DEVMON_STATUS_FAIL;
    ScanDrvHandle h = m_hDevice;
    return MapDrvCode(Guarded([&] { return pfn(h, args...); }));
}

void CLLDMorvel::BindAll()
{
    HMODULE h = m_module.get();
    Bind(h, m_fn.pfnSetResolution1200, "ScanDrv_SetResolution1200");
    Bind(h, m_fn.pfnSetHorizontal, "ScanDrv_SetHorizontal");
    Bind(h, m_fn.pfnSetAutofeed, "ScanDrv_SetAutofeed");
    Bind(h, m_fn.pfnSetExtraParam, "ScanDrv_SetExtraParam");
    Bind(h, m_fn.pfnOpen, "ScanDrv_Open");
    Bind(h, m_fn.pfnOpenC, "ScanDrv_Open_C");
    Bind(h, m_fn.pfnClose, "ScanDrv_Close");
    Bind(h, m_fn.pfnSetScanParameter, "ScanDrv_SetScanParameter");
    Bind(h, m_fn.pfnSetScanParameterAdj, "ScanDrv_SetScanParameterAdj");
    Bind(h, m_fn.pfnStartScan, "ScanDrv_StartScan");
    Bind(h, m_fn.pfnSetContinueFlag, "ScanDrv_SetContinueFlag");
    Bind(h, m_fn.pfnReadScanData, "ScanDrv_ReadScanData");
    Bind(h, m_fn.pfnGetScanParameter, "ScanDrv_GetScanParameter");
    Bind(h, m_fn.pfnGetCurScanLineNum, "ScanDrv_GetCurScanLineNum");
    Bind(h, m_fn.pfnGetCurTransferSize, "ScanDrv_GetCurTransferSize");
    Bind(h, m_fn.pfnAbortScan, "ScanDrv_AbortScan");
    Bind(h, m_fn.pfnCancelScan, "ScanDrv_CancelScan");
    Bind(h, m_fn.pfnGetLastError, "ScanDrv_GetLastError");
    Bind(h, m_fn.pfnGetADFStatus, "ScanDrv_GetADFStatus");
    Bind(h, m_fn.pfnIsDocumentInFeeder, "ScanDrv_IsDocumentInFeeder");
    Bind(h, m_fn.pfnCheckConnect, "ScanDrv_CheckConnect");
    Bind(h, m_fn.pfnBroadcastMFP, "ScanDrv_BroadcastMFP");
    Bind(h, m_fn.pfnDetectNetMFP, "ScanDrv_DetectNetMFP");
    Bind(h, m_fn.pfnSetCallBackFun, "ScanDrv_SetCallBackFun");
    Bind(h, m_fn.pfnLocateMFP, "ScanDrv_LocateMFP");
}

int CLLDMorvel::DevMon_Load()
{
    if (m_module)
        return 1;
    std::wstring sPath = LibraryPath();
    TraceW(L"DevMon_Load: %ls", sPath.c_str());
    // The device library's own dependencies are found beside it or in the system folder.
    HMODULE h = LoadLibraryByFullPath(sPath);
    if (!h)
        return 0;
    m_module.reset(h);
    BindAll();
    return 1;
}

void CLLDMorvel::AbandonAtUnload()
{
    // The loader lock is held now; closing would wait for the library's own threads, which
    // cannot end while it is held. With a device still open those threads still run the
    // library's code, so it stays mapped, and they must not call back into this library once
    // it is gone: only the callback is taken away.
    if (m_hDevice && m_module) {
        if (auto pfn = m_fn.pfnSetCallBackFun) {
            ScanDrvHandle h = m_hDevice;
            Guarded([&] { return pfn(h, nullptr, nullptr); });
        }
        static_cast<void>(m_module.release());
    }
    m_hDevice = nullptr;
    m_fn = SFunctions{};
    m_module.reset();
}

std::shared_ptr<void> CLLDMorvel::PinLibrary() const
{
    HMODULE hPinned = nullptr;
    if (!m_module || !GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS,
                                         reinterpret_cast<LPCWSTR>(m_module.get()), &hPinned))
        return nullptr;
    return std::shared_ptr<void>(hPinned, [](void* h) { FreeLibrary(static_cast<HMODULE>(h)); });
}

int CLLDMorvel::DevMon_Unload()
{
    if (m_hDevice)
        DevMon_Close();
    m_fn = SFunctions{};
    m_module.reset();
    // Whatever the library did with its device, the handle means nothing once it is gone.
    m_hDevice = nullptr;
    return 0;
}

int CLLDMorvel::DevMon_BroadcastMFP(int* pnCount, char* pList)
{
    if (!m_fn.pfnBroadcastMFP || !pnCount)
        return DEVMON_STATUS_FAIL;
    auto pfn = m_fn.pfnBroadcastMFP;
    return MapDrvCode(Guarded([&] { return pfn(pnCount, pList); }));
}

int CLLDMorvel::DevMon_LocateMFP(const char*, const char*, void*) { return 0; }

int CLLDMorvel::DevMon_DetectNetMFP(SNetProbe* pProbe)
{
    if (!m_fn.pfnDetectNetMFP || !pProbe)
        return DEVMON_STATUS_FAIL;
    auto pfn = m_fn.pfnDetectNetMFP;
    return MapDrvCode(Guarded([&] { return pfn(pProbe); }));
}

int CLLDMorvel::OpenGuarded(const char* pszDevice, PFN_ScanDrv_Open pfnOpen)
{
    const SLLDOpenFlags flags = g_lldOpenFlags;
    const SFunctions& fn = m_fn;
    ScanDrvHandle hNew = nullptr;
    int nRaw = Guarded([&] {
        if (fn.pfnSetResolution1200)
            fn.pfnSetResolution1200(flags.bResolution1200);
        if (fn.pfnSetHorizontal)
            fn.pfnSetHorizontal(flags.bHorizontal);
        if (fn.pfnSetAutofeed)
            fn.pfnSetAutofeed(flags.nAutoFeed);
        if (fn.pfnSetExtraParam)
            fn.pfnSetExtraParam(flags.bNoUI);
        return pfnOpen(pszDevice, &hNew);
    });
    int nStatus = MapDrvCode(nRaw);
    // The handle is taken only from a successful opening; an opening that reports success
    // without a handle has opened nothing usable.
    if (nStatus != DEVMON_STATUS_OK)
        return nStatus;
    if (!hNew)
        return DEVMON_STATUS_FAIL;
    m_hDevice = hNew;
    return DEVMON_STATUS_OK;
}

int CLLDMorvel::DevMon_Open(const char* pszDevice)
{
    TraceA("DevMon_Open()");
    if (!pszDevice)
        return DEVMON_STATUS_FAIL;
    if (g_lldOpenFlags.bOlderPlatform) {
        if (!m_fn.pfnOpenC)
            return DEVMON_STATUS_FAIL;
        TraceA("CLLDMorvel::DevMon_Open_C_()");
        return OpenGuarded(pszDevice, m_fn.pfnOpenC);
    }
    if (!m_fn.pfnOpen)
        return DEVMON_STATUS_FAIL;
    return OpenGuarded(pszDevice, m_fn.pfnOpen);
}

int CLLDMorvel::DevMon_Close()
{
    TraceA("DevMon_Close");
    if (!m_fn.pfnClose || !m_hDevice)
        return DEVMON_STATUS_FAIL;
    auto pfn = m_fn.pfnClose;
    ScanDrvHandle h = m_hDevice;
    volatile bool bFaulted = false;
    int nRaw = Guarded([&] {
        bFaulted = true;  // stays set only when the call does not come back
        int r = pfn(h);
        bFaulted = false;
        return r;
    });
    if (bFaulted)
        return DEVMON_STATUS_FAIL;
    m_hDevice = nullptr;
    return MapDrvCode(nRaw);
}

int CLLDMorvel::DevMon_SetScanParameter(int nXDpi, int nYDpi, int nColourMode, int nLeft, int nTop, int nRight,
                                        int nBottom, int nThreshold, int nSource)
{
    return OnDevice(m_fn.pfnSetScanParameter, nXDpi, nYDpi, nColourMode, nLeft, nTop, nRight, nBottom, nThreshold,
                    nSource);
}

int CLLDMorvel::DevMon_SetScanParameterAdj(const int* pBrightness, const int* pContrast, const int* pCurve,
                                           int nGamma, int nThreshold, int nDescreen, int nFading)
{
    gbcancel = FALSE;
    if (!pBrightness || !pContrast || !pCurve)
        return DEVMON_STATUS_FAIL;
    return OnDevice(m_fn.pfnSetScanParameterAdj, pBrightness, pContrast, pCurve, nGamma, nThreshold, nDescreen,
                    nFading);
}

int CLLDMorvel::DevMon_GetScanParameter(int* pnValue, int* pnLines)
{
    if (!pnValue || !pnLines)
        return DEVMON_STATUS_FAIL;
    return OnDevice(m_fn.pfnGetScanParameter, pnValue, pnLines);
}

int CLLDMorvel::DevMon_StartScan()
{
    TraceA("DevMon_StartScan");
    gbcancel = FALSE;
    if (!m_fn.pfnStartScan || !m_hDevice)
        return DEVMON_STATUS_FAIL;
    auto pfnStart = m_fn.pfnStartScan;
    auto pfnContinue = m_fn.pfnSetContinueFlag;
    ScanDrvHandle h = m_hDevice;
    const int bContinue = IsContinueScanHost() ? 1 : 0;
    return MapDrvCode(Guarded([&] {
        int r = pfnStart(h);
        if (pfnContinue)
            pfnContinue(h, bContinue);
        return r;
    }));
}

int CLLDMorvel::DevMon_AbortScan()
{
    TraceA("DevMon_AbortScan()");
    if (!m_fn.pfnAbortScan || !m_hDevice)
        return DEVMON_STATUS_FAIL;
    auto pfn = m_fn.pfnAbortScan;
    ScanDrvHandle h = m_hDevice;
    int nRaw = Guarded([&] { return pfn(h); });
    TRACE_TEST("%s:%d", "DevMon_AbortScan nret ", nRaw);
    return MapDrvCode(nRaw);
}

int CLLDMorvel::DevMon_StopScan()
{
    TraceA("DevMon_StopScan");
    return DevMon_AbortScan();
}

int CLLDMorvel::DevMon_ReadScanData(unsigned char* pDest, int nSize, int* pnRead)
{
    if (!m_hDevice || !m_fn.pfnReadScanData || !pDest || nSize <= 0)
        return DEVMON_STATUS_FAIL;
    if (m_readBuffer.empty() || m_nReadBufferSize != nSize) {
        m_readBuffer.clear();
        m_nReadBufferSize = 0;
        try {
            m_readBuffer.resize(static_cast<std::size_t>(nSize));
        } catch (const std::bad_alloc&) {
            return DEVMON_STATUS_FAIL;
        }
        m_nReadBufferSize = nSize;
    }
    auto pfn = m_fn.pfnReadScanData;
    ScanDrvHandle h = m_hDevice;
    unsigned char* pBuffer = m_readBuffer.data();
    int nRead = 0;
    int nStatus = MapDrvCode(Guarded([&] { return pfn(h, pBuffer, nSize, &nRead); }));
    if (nStatus != DEVMON_STATUS_OK)
        return nStatus;
    // Only what the library says it delivered is passed on; never more than the buffer holds.
    int nCopy = std::clamp(nRead, 0, nSize);
    std::memcpy(pDest, pBuffer, static_cast<std::size_t>(nCopy));
    if (pnRead)
        *pnRead = nCopy;
    return DEVMON_STATUS_OK;
}

int CLLDMorvel::DevMon_Reserved() { return 0; }

int CLLDMorvel::DevMon_EndJob() { return 0; }

int CLLDMorvel::DevMon_GetADFStatus()
{
    int nStatus = m_hDevice ? OnDevice(m_fn.pfnGetADFStatus) : MapDrvCode(kRawNoPaper);
    TraceA("DevMon_GetADFStatus ret:%d", nStatus);
    return nStatus;
}

int CLLDMorvel::DevMon_SetCallBackFun(ScanDrvCallBack pfnCallBack, void* pContext)
{
    if (!m_fn.pfnSetCallBackFun || !m_hDevice)
        return DEVMON_STATUS_FAIL;
    auto pfn = m_fn.pfnSetCallBackFun;
    ScanDrvHandle h = m_hDevice;
    return Guarded([&] { return pfn(h, pfnCallBack, pContext); });
}

int CLLDMorvel::DevMon_GetCurScanLineNum(int* pnLines, int* pnState)
{
    if (!pnLines || !pnState || !m_fn.pfnGetCurScanLineNum || !m_hDevice)
        return DEVMON_STATUS_FAIL;
    auto pfn = m_fn.pfnGetCurScanLineNum;
    ScanDrvHandle h = m_hDevice;
    return Guarded([&] { return pfn(h, pnLines, pnState); });
}

int CLLDMorvel::DevMon_GetCurTransferSize(int* pnTotal, int* pnDone)
{
    if (!pnTotal || !pnDone || !m_fn.pfnGetCurTransferSize || !m_hDevice)
        return DEVMON_STATUS_FAIL;
    auto pfn = m_fn.pfnGetCurTransferSize;
    ScanDrvHandle h = m_hDevice;
    return Guarded([&] { return pfn(h, pnTotal, pnDone); });
}

int CLLDMorvel::DevMon_CancelScan() { return OnDevice(m_fn.pfnCancelScan); }

int CLLDMorvel::DevMon_GetLLDError() { return OnDevice(m_fn.pfnGetLastError); }

int CLLDMorvel::DevMon_CheckConnect(int nKind, void* pReserved)
{
    if (!m_fn.pfnCheckConnect)
        return DEVMON_STATUS_FAIL;
    auto pfn = m_fn.pfnCheckConnect;
    return Guarded([&] { return pfn(nKind, pReserved); });
}

int CLLDMorvel::DevMon_IsDocumentInFeeder()
{
    if (!m_hDevice)
        return 0;
    if (!m_fn.pfnIsDocumentInFeeder)
        return DEVMON_STATUS_FAIL;
    auto pfn = m_fn.pfnIsDocumentInFeeder;
    ScanDrvHandle h = m_hDevice;
    return Guarded([&] { return pfn(h); });
}
