#include "transfer/XferSupport.h"

#include <cmath>

#include "transfer/ScanJob.h"
#include "profile/Trace.h"
#include "transfer/DibBuilder.h"
#include "transfer/ScanThread.h"
#include "transfer/SessionLink.h"
#include "transfer/TransferFlags.h"

int ScanPendingPage(CScanJob& job, const char* pszTrace, bool bProbeMemory)
{
    if (!g_bNeedScan)
        return 0;
    TraceA("%s", pszTrace);
    int nRet;
    if (g_bAutoCrop || g_bAutoDeskew)
        nRet = g_iScanThreadRet;
    else if (bProbeMemory && !CheckDibMemory(job.EffectiveWidth(), job.EffectiveHeight(),
                                             job.PixelType()))
        nRet = -100;
    else
        nRet = RunScanThread(job);
    g_bNeedScan = false;
    return nRet;
}

void ClearScanInProgress(CScanJob& job)
{
    job.EndOfJob();
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
