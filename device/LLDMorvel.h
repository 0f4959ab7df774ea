// The driver wrapper: the only code that touches the device library. It loads the library by
// name beside this module, keeps the open device, turns the library's codes into status values
// and runs every library call under the fault guard.
#pragma once

#include "device/LLDBase.h"

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class CLLDMorvel : public CLLDBase {
public:
    // Gives the "File Prefix" of the product profile; the library is "<dir><prefix>lld.dll".
    using PrefixProvider = std::wstring (*)();
    explicit CLLDMorvel(PrefixProvider pfnPrefix = nullptr);
    ~CLLDMorvel() override;
    CLLDMorvel(const CLLDMorvel&) = delete;
    CLLDMorvel& operator=(const CLLDMorvel&) = delete;

    int DevMon_Load() override;
    int DevMon_Unload() override;
    int DevMon_BroadcastMFP(int* pnCount, char* pList) override;
    int DevMon_LocateMFP(const char* pszAddress, const char* pszCommunity, void* pReserved) override;
    int DevMon_DetectNetMFP(SNetProbe* pProbe) override;
    int DevMon_Open(const char* pszDevice) override;
    int DevMon_Close() override;
    int DevMon_SetScanParameter(int nXDpi, int nYDpi, int nColourMode, int nLeft, int nTop, int nRight, int nBottom,
                                int nThreshold, int nSource) override;
    int DevMon_GetScanParameter(int* pnValue, int* pnLines) override;
    int DevMon_StartScan() override;
    int DevMon_AbortScan() override;
    int DevMon_ReadScanData(unsigned char* pDest, int nSize, int* pnRead) override;
    int DevMon_Reserved() override;
    int DevMon_EndJob() override;
    int DevMon_StopScan() override;
    int DevMon_GetADFStatus() override;
    int DevMon_SetCallBackFun(ScanDrvCallBack pfnCallBack, void* pContext) override;
    virtual int DevMon_SetScanParameterAdj(const int* pBrightness, const int* pContrast, const int* pCurve,
                                           int nGamma, int nThreshold, int nDescreen, int nFading);
    virtual int DevMon_GetCurScanLineNum(int* pnLines, int* pnState);
    virtual int DevMon_GetCurTransferSize(int* pnTotal, int* pnDone);
    virtual int DevMon_CancelScan();
    virtual int DevMon_GetLLDError();
    virtual int DevMon_CheckConnect(int nKind, void* pReserved);
    virtual int DevMon_IsDocumentInFeeder();

    // The transfer code's stop: DevMon_AbortScan without the "DevMon_StopScan" line.
    int DevMon_Stop() { return DevMon_AbortScan(); }

    bool IsLoaded() const { return m_module != nullptr; }
    bool IsOpen() const { return m_hDevice != nullptr; }
    // While the data source itself is being unloaded: a device still open is forgotten, not
    // closed, and the library is released without being called.
    void AbandonAtUnload();
    int32_t ReadBufferSize() const { return m_nReadBufferSize; }
    const unsigned char* ReadBuffer() const { return m_readBuffer.empty() ? nullptr : m_readBuffer.data(); }
    // The full path DevMon_Load uses.
    std::wstring LibraryPath() const;
    // A reference of its own on the loaded library (empty when none is loaded), for a worker
    // thread that may still be inside a call when the wrapper unloads the library: the code it
    // runs stays mapped until the reference goes.
    std::shared_ptr<void> PinLibrary() const;

private:
    struct SFunctions {
        PFN_ScanDrv_SetFlag pfnSetResolution1200, pfnSetHorizontal, pfnSetAutofeed, pfnSetExtraParam;
        PFN_ScanDrv_Open pfnOpen, pfnOpenC;
        PFN_ScanDrv_Handle pfnClose, pfnStartScan, pfnAbortScan, pfnCancelScan, pfnGetLastError, pfnGetADFStatus,
            pfnIsDocumentInFeeder;
        PFN_ScanDrv_SetScanParameter pfnSetScanParameter;
        PFN_ScanDrv_SetScanParameterAdj pfnSetScanParameterAdj;
        PFN_ScanDrv_SetContinueFlag pfnSetContinueFlag;
        PFN_ScanDrv_ReadScanData pfnReadScanData;
        PFN_ScanDrv_TwoInts pfnGetScanParameter, pfnGetCurScanLineNum, pfnGetCurTransferSize;
        PFN_ScanDrv_CheckConnect pfnCheckConnect;
        PFN_ScanDrv_BroadcastMFP pfnBroadcastMFP;
        PFN_ScanDrv_DetectNetMFP pfnDetectNetMFP;
        PFN_ScanDrv_SetCallBackFun pfnSetCallBackFun;
        PFN_ScanDrv_LocateMFP pfnLocateMFP;
    };
    struct SFreeLibrary {
        void operator()(HMODULE h) const { FreeLibrary(h); }
    };

    void BindAll();
    int OpenGuarded(const char* pszDevice, PFN_ScanDrv_Open pfnOpen);
    // A device-handle call mapped to a status: -1 without the function or the device.
    template <typename Fn, typename... Args>
    int OnDevice(Fn pfn, Args... args);

    PrefixProvider m_pfnPrefix;
    SFunctions m_fn{};
    std::unique_ptr<std::remove_pointer_t<HMODULE>, SFreeLibrary> m_module;
    std::vector<unsigned char> m_readBuffer;
    int32_t m_nReadBufferSize = 0;
    ScanDrvHandle m_hDevice = nullptr;
};
