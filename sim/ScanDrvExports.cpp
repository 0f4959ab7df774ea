// The exported functions of the simulated device library. Each one may first raise the fault
// the settings name for it, so that callers can prove that they survive a faulting library.
#include "device/ScanDrvApi.h"
#include "profile/Trace.h"
#include "sim/SimScanner.h"

#include <windows.h>

#include <algorithm>
#include <memory>
#include <stdexcept>
#include <string>

namespace {

HMODULE g_hModule = nullptr;

std::string EnvValue(const char* pszName)
{
    char szValue[MAX_PATH * 2] = {};
    DWORD n = GetEnvironmentVariableA(pszName, szValue, sizeof szValue);
    return (n > 0 && n < sizeof szValue) ? std::string(szValue, n) : std::string();
}

std::string IniBesideLibrary()
{
    char szPath[MAX_PATH * 2] = {};
    DWORD n = GetModuleFileNameA(g_hModule, szPath, sizeof szPath);
    if (n == 0 || n >= sizeof szPath)
        return "mvlsim.ini";
    std::string s(szPath, n);
    return s.substr(0, s.find_last_of("\\/") + 1) + "mvlsim.ini";
}

// A kept page lives in a temporary file mapped whole: the system's file cache holds it, not the
// process's private memory, so a page of any size can be kept and the scan stays as light as
// a real scanner's. Only the view is kept: it holds the file, which goes with it.
class CFilePageMemory : public CPageMemory {
public:
    explicit CFilePageMemory(uint64_t nBytes)
    {
        wchar_t szDir[MAX_PATH + 1] = L"", szName[MAX_PATH + 1] = L"";
        DWORD n = GetTempPathW(MAX_PATH, szDir);
        if (n == 0 || n > MAX_PATH || GetTempFileNameW(szDir, L"mvs", 0, szName) == 0)
            return;
        HANDLE hFile = CreateFileW(szName, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_DELETE, nullptr, CREATE_ALWAYS,
                                   FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
        if (hFile == INVALID_HANDLE_VALUE) {
            DeleteFileW(szName);
            return;
        }
        HANDLE hMapping = CreateFileMappingW(hFile, nullptr, PAGE_READWRITE, static_cast<DWORD>(nBytes >> 32),
                                             static_cast<DWORD>(nBytes), nullptr);
        if (hMapping) {
            m_pView = static_cast<uint8_t*>(MapViewOfFile(hMapping, FILE_MAP_WRITE, 0, 0, 0));
            CloseHandle(hMapping);
        }
        CloseHandle(hFile);
    }
    ~CFilePageMemory() override
    {
        if (m_pView)
            UnmapViewOfFile(m_pView);
    }
    CFilePageMemory(const CFilePageMemory&) = delete;
    CFilePageMemory& operator=(const CFilePageMemory&) = delete;
    uint8_t* Data() override { return m_pView; }

private:
    uint8_t* m_pView = nullptr;
};

std::unique_ptr<CPageMemory> FilePageMemory(uint64_t nBytes)
{
    auto p = std::make_unique<CFilePageMemory>(nBytes);
    return p->Data() ? std::move(p) : nullptr;
}

void TraceToLog(const char* pszLine);

CSimScanner& Lib()
{
    static CSimScanner s_scanner(&EnvValue, IniBesideLibrary(), &FilePageMemory);
    // The adjustment chain's trace lines are the device's own business: they go to its log,
    // not to the debugger channel that the data source writes to.
    static const bool s_bTraceSink = (SetTraceSinks(&TraceToLog, nullptr), true);
    (void)s_bTraceSink;
    return s_scanner;
}

void TraceToLog(const char* pszLine)
{
    std::string s = pszLine ? pszLine : "";
    while (!s.empty() && (s.back() == '\n' || s.back() == '\r'))
        s.pop_back();
    Lib().Log().Line("TRACE " + s);
}

// Volatile so that the compiler keeps the faulting instructions exactly as written.
int* volatile g_pNull = nullptr;
volatile int g_nZero = 0;
volatile int g_nQuotient = 0;

void MaybeFault(const char* pszFunction)
{
    switch (Lib().FaultFor(pszFunction)) {
    case EFaultKind::kNullPointer:
        Lib().Log().Line(std::string("FAULT null ") + pszFunction);
        *g_pNull = 1;
        break;
    case EFaultKind::kDivideByZero:
        Lib().Log().Line(std::string("FAULT div0 ") + pszFunction);
        // Not 1 / x: the compiler turns that into a comparison that never divides.
        g_nQuotient = 1000 / g_nZero;
        break;
    case EFaultKind::kThrow:
        Lib().Log().Line(std::string("FAULT throw ") + pszFunction);
        throw std::runtime_error(std::string("simulated fault in ") + pszFunction);
    case EFaultKind::kNone:
        break;
    }
}

// Calls without a device read the settings afresh; calls on a device use those read at opening.
void Fresh(const char* pszFunction)
{
    Lib().Reload();
    MaybeFault(pszFunction);
}
void Current(const char* pszFunction) { MaybeFault(pszFunction); }

template <typename F>
int OnDevice(ScanDrvHandle h, const char* pszFunction, F&& f)
{
    Current(pszFunction);
    auto pDevice = Lib().Find(h, pszFunction);
    return pDevice ? f(*pDevice) : 1;
}

}  // namespace

extern "C" {

BOOL WINAPI DllMain(HINSTANCE hInstance, DWORD dwReason, LPVOID)
{
    if (dwReason == DLL_PROCESS_ATTACH) {
        g_hModule = hInstance;
        DisableThreadLibraryCalls(hInstance);
    }
    return TRUE;
}

__declspec(dllexport) int ScanDrv_SetResolution1200(int bFlag)
{
    Fresh(__func__);
    return Lib().SetFlag(__func__, bFlag);
}

__declspec(dllexport) int ScanDrv_SetHorizontal(int bFlag)
{
    Fresh(__func__);
    return Lib().SetFlag(__func__, bFlag);
}

__declspec(dllexport) int ScanDrv_SetAutofeed(int bFlag)
{
    Fresh(__func__);
    return Lib().SetFlag(__func__, bFlag);
}

__declspec(dllexport) int ScanDrv_SetExtraParam(int bFlag)
{
    Fresh(__func__);
    return Lib().SetFlag(__func__, bFlag);
}

// A variant built without it stands for a device library that lacks the function.
#ifndef MVLSIM_WITHOUT_OPEN
__declspec(dllexport) int ScanDrv_Open(const char* pszDevice, ScanDrvHandle* phDevice)
{
    Fresh(__func__);
    return Lib().Open(pszDevice, phDevice);
}
#endif

__declspec(dllexport) int ScanDrv_Open_C(const char* pszDevice, ScanDrvHandle* phDevice)
{
    Fresh(__func__);
    Lib().Log().Line("CALL ScanDrv_Open_C");
    return Lib().Open(pszDevice, phDevice);
}

__declspec(dllexport) int ScanDrv_Close(ScanDrvHandle h)
{
    Current(__func__);
    return Lib().Close(h);
}

__declspec(dllexport) int ScanDrv_SetScanParameter(ScanDrvHandle h, int nXDpi, int nYDpi, int nMode, int nLeft,
                                                   int nTop, int nRight, int nBottom, int nThreshold, int nSource)
{
    Lib().Log().Line("CALL ScanDrv_SetScanParameter " + std::to_string(nXDpi) + " " + std::to_string(nYDpi) + " " +
                     std::to_string(nMode) + " " + std::to_string(nLeft) + " " + std::to_string(nTop) + " " +
                     std::to_string(nRight) + " " + std::to_string(nBottom) + " " + std::to_string(nThreshold) +
                     " " + std::to_string(nSource));
    return OnDevice(h, __func__, [&](CSimDevice& d) {
        return d.SetScanParameter(nXDpi, nYDpi, nMode, nLeft, nTop, nRight, nBottom, nThreshold, nSource);
    });
}

__declspec(dllexport) int ScanDrv_SetScanParameterAdj(ScanDrvHandle h, const int* pBrightness, const int* pContrast,
                                                      const int* pCurve, int nGamma, int nThreshold, int nDescreen,
                                                      int nFading)
{
    if (!pBrightness || !pContrast || !pCurve) {
        Lib().Log().Line("CALL ScanDrv_SetScanParameterAdj with a null array");
        return 1;
    }
    SScanAdjustments adjust;
    std::copy(pBrightness, pBrightness + 4, adjust.nBrightness);
    std::copy(pContrast, pContrast + 4, adjust.nContrast);
    std::copy(pCurve, pCurve + 4, adjust.nCurve);
    adjust.nGamma = nGamma;
    adjust.nDescreen = nDescreen;
    adjust.nFading = nFading;
    auto list = [](const int32_t* p) {
        return std::to_string(p[0]) + "," + std::to_string(p[1]) + "," + std::to_string(p[2]) + "," + std::to_string(p[3]);
    };
    Lib().Log().Line("CALL ScanDrv_SetScanParameterAdj brightness=" + list(adjust.nBrightness) + " contrast=" +
                     list(adjust.nContrast) + " curve=" + list(adjust.nCurve) + " gamma=" + std::to_string(nGamma) +
                     " threshold=" + std::to_string(nThreshold) + " descreen=" + std::to_string(nDescreen) +
                     " fading=" + std::to_string(nFading));
    return OnDevice(h, __func__, [&](CSimDevice& d) { return d.SetScanParameterAdj(adjust, nThreshold); });
}

__declspec(dllexport) int ScanDrv_StartScan(ScanDrvHandle h)
{
    Lib().Log().Line("CALL ScanDrv_StartScan");
    return OnDevice(h, __func__, [](CSimDevice& d) { return d.StartScan(); });
}

__declspec(dllexport) int ScanDrv_SetContinueFlag(ScanDrvHandle h, int bContinue)
{
    Lib().Log().Line("CALL ScanDrv_SetContinueFlag " + std::to_string(bContinue));
    return OnDevice(h, __func__, [&](CSimDevice& d) { return d.SetContinueFlag(bContinue); });
}

__declspec(dllexport) int ScanDrv_ReadScanData(ScanDrvHandle h, unsigned char* pBuffer, int nBytes, int* pnRead)
{
    return OnDevice(h, __func__, [&](CSimDevice& d) { return d.Read(pBuffer, nBytes, pnRead); });
}

__declspec(dllexport) int ScanDrv_GetScanParameter(ScanDrvHandle h, int* pnValue, int* pnLines)
{
    return OnDevice(h, __func__, [&](CSimDevice& d) { return d.GetScanParameter(pnValue, pnLines); });
}

__declspec(dllexport) int ScanDrv_GetCurScanLineNum(ScanDrvHandle h, int* pnLines, int* pnState)
{
    return OnDevice(h, __func__, [&](CSimDevice& d) { return d.GetCurScanLineNum(pnLines, pnState); });
}

__declspec(dllexport) int ScanDrv_GetCurTransferSize(ScanDrvHandle h, int* pnTotal, int* pnDone)
{
    return OnDevice(h, __func__, [&](CSimDevice& d) { return d.GetCurTransferSize(pnTotal, pnDone); });
}

__declspec(dllexport) int ScanDrv_AbortScan(ScanDrvHandle h)
{
    Lib().Log().Line("CALL ScanDrv_AbortScan");
    return OnDevice(h, __func__, [](CSimDevice& d) { return d.Abort(); });
}

__declspec(dllexport) int ScanDrv_CancelScan(ScanDrvHandle h)
{
    Lib().Log().Line("CALL ScanDrv_CancelScan");
    return OnDevice(h, __func__, [](CSimDevice& d) { return d.Abort(); });
}

__declspec(dllexport) int ScanDrv_GetLastError(ScanDrvHandle h)
{
    return OnDevice(h, __func__, [](CSimDevice& d) { return d.GetLastError(); });
}

__declspec(dllexport) int ScanDrv_GetADFStatus(ScanDrvHandle h)
{
    Lib().Log().Line("CALL ScanDrv_GetADFStatus");
    return OnDevice(h, __func__, [](CSimDevice& d) { return d.GetADFStatus(); });
}

__declspec(dllexport) int ScanDrv_IsDocumentInFeeder(ScanDrvHandle h)
{
    Lib().Log().Line("CALL ScanDrv_IsDocumentInFeeder");
    return OnDevice(h, __func__, [](CSimDevice& d) { return d.IsDocumentInFeeder(); });
}

__declspec(dllexport) int ScanDrv_SetCallBackFun(ScanDrvHandle h, ScanDrvCallBack pfnCallBack, void* pContext)
{
    Lib().Log().Line("CALL ScanDrv_SetCallBackFun");
    return OnDevice(h, __func__, [&](CSimDevice& d) { return d.SetCallBack(pfnCallBack, pContext); });
}

__declspec(dllexport) int ScanDrv_CheckConnect(int nKind, void* pReserved)
{
    Fresh(__func__);
    return Lib().CheckConnect(nKind, pReserved);
}

__declspec(dllexport) int ScanDrv_BroadcastMFP(int* pnCount, char* pList)
{
    Fresh(__func__);
    return Lib().BroadcastMFP(pnCount, pList);
}

__declspec(dllexport) int ScanDrv_DetectNetMFP(SNetProbe* pProbe)
{
    Fresh(__func__);
    return Lib().DetectNetMFP(pProbe);
}

__declspec(dllexport) int ScanDrv_LocateMFP(const char* pszAddress, const char* pszCommunity, void*)
{
    Fresh(__func__);
    return Lib().LocateMFP(pszAddress, pszCommunity);
}

}  // extern "C"
