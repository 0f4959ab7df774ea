// The driver wrapper's interface: the operations on the device library, in their fixed slot order.
#pragma once

#include "device/ScanDrvApi.h"

class CLLDBase {
public:
    virtual ~CLLDBase() = default;
    virtual int DevMon_Load() = 0;
    virtual int DevMon_Unload() = 0;
    virtual int DevMon_BroadcastMFP(int* pnCount, char* pList) = 0;
    virtual int DevMon_LocateMFP(const char* pszAddress, const char* pszCommunity, void* pReserved) = 0;
    virtual int DevMon_DetectNetMFP(SNetProbe* pProbe) = 0;
    virtual int DevMon_Open(const char* pszDevice) = 0;
    virtual int DevMon_Close() = 0;
    virtual int DevMon_SetScanParameter(int nXDpi, int nYDpi, int nColourMode, int nLeft, int nTop, int nRight,
                                        int nBottom, int nThreshold, int nSource) = 0;
    virtual int DevMon_GetScanParameter(int* pnValue, int* pnLines) = 0;
    virtual int DevMon_StartScan() = 0;
    virtual int DevMon_AbortScan() = 0;
    virtual int DevMon_ReadScanData(unsigned char* pDest, int nSize, int* pnRead) = 0;
    virtual int DevMon_Reserved() = 0;
    virtual int DevMon_EndJob() = 0;
    virtual int DevMon_StopScan() = 0;
    virtual int DevMon_GetADFStatus() = 0;
    virtual int DevMon_SetCallBackFun(ScanDrvCallBack pfnCallBack, void* pContext) = 0;
};
