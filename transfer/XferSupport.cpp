#include "transfer/XferSupport.h"

#include <cmath>

#include "device/ScanController.h"
#include "profile/Trace.h"
#include "transfer/DibBuilder.h"
#include "transfer/ScanThread.h"
#include "transfer/SessionLink.h"
#include "transfer/TransferFlags.h"
#include "ui/MainUIDialog.h"

int ScanPendingPage(CScanController& controller, const char* pszTrace, bool bProbeMemory)
{
    if (!g_bNeedScan)
        return 0;
    TraceA("%s", pszTrace);
    int nRet;
    if (g_bAutoCrop || g_bAutoDeskew)
        nRet = g_iScanThreadRet;
    else if (bProbeMemory && !CheckDibMemory(controller.EffectiveWidth(), controller.EffectiveHeight(),
                                             controller.PixelType()))
        nRet = -100;
    else
        nRet = RunScanThread(controller);
    g_bNeedScan = false;
    return nRet;
}

void ClearScanInProgress(CScanController& controller)
{
    if (CMainUIDialog* pDialog = SessionDialog())
        pDialog->ClearScanning();
    controller.EndOfJob();
}

TW_FIX32 ToFix32(double dValue)
{
    const int32_t n = static_cast<int32_t>(dValue * 65536.0 + 0.5);
    TW_FIX32 fix;
    fix.Whole = static_cast<TW_INT16>(n >> 16);
    fix.Frac = static_cast<TW_UINT16>(n & 0xFFFF);
    return fix;
}

double FromFix32(const TW_FIX32& fix) { return fix.Whole + fix.Frac / 65536.0; }
