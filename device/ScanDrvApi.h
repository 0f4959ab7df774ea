// The functions of a device library as the wrapper binds them by name. Shared by the wrapper
// and the simulated device library, so both sides agree on every argument.
#pragma once

#include <cstdint>

using ScanDrvHandle = void*;

// Scan events arrive as callback(context, event code, value) on the library's own thread.
using ScanDrvCallBack = int (*)(void* pContext, int nEvent, int nValue);

enum EScnrNotify {
    eScnrNotify_jobStart = 2,
    eScnrNotify_pageEnd = 3,
    eScnrNotify_startMannalDuplexWait = 7,
    eScnrNotify_endMannalDuplexWait = 8,
    eScnrNotify_jobEnd = 9,
    eScnrNotify_abort = 11,
};

// States of ScanDrv_GetCurScanLineNum that mean lines are coming in.
constexpr int kScanLineStateScanning = 15;
constexpr int kScanLineStateBuffered = 254;

constexpr int kDeviceNameBytes = 256;
constexpr int kCommunityBytes = 64;

// The connection test's parameter block: the target (scanner name, host name or address)
// and the community name, both zero-terminated narrow strings.
struct SNetProbe {
    char szTarget[kDeviceNameBytes];
    char szCommunity[kCommunityBytes];
};

extern "C" {
using PFN_ScanDrv_SetFlag = int (*)(int bFlag);
using PFN_ScanDrv_Open = int (*)(const char* pszDevice, ScanDrvHandle* phDevice);
using PFN_ScanDrv_Handle = int (*)(ScanDrvHandle hDevice);
using PFN_ScanDrv_SetScanParameter = int (*)(ScanDrvHandle hDevice, int nXDpi, int nYDpi, int nColourMode, int nLeft,
                                             int nTop, int nRight, int nBottom, int nThreshold, int nSource);
using PFN_ScanDrv_SetScanParameterAdj = int (*)(ScanDrvHandle hDevice, const int* pBrightness, const int* pContrast,
                                                const int* pCurve, int nGamma, int nThreshold, int nDescreen,
                                                int nFading);
using PFN_ScanDrv_SetContinueFlag = int (*)(ScanDrvHandle hDevice, int bContinue);
using PFN_ScanDrv_ReadScanData = int (*)(ScanDrvHandle hDevice, unsigned char* pBuffer, int nBytes, int* pnRead);
using PFN_ScanDrv_TwoInts = int (*)(ScanDrvHandle hDevice, int* pnFirst, int* pnSecond);
using PFN_ScanDrv_CheckConnect = int (*)(int nKind, void* pReserved);
using PFN_ScanDrv_BroadcastMFP = int (*)(int* pnCount, char* pList);
using PFN_ScanDrv_DetectNetMFP = int (*)(SNetProbe* pProbe);
using PFN_ScanDrv_SetCallBackFun = int (*)(ScanDrvHandle hDevice, ScanDrvCallBack pfnCallBack, void* pContext);
using PFN_ScanDrv_LocateMFP = int (*)(const char* pszAddress, const char* pszCommunity, void* pReserved);
}
