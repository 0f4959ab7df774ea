#include "transfer/MsgImageNativeXfer.h"

#include "device/DevMonStatus.h"
#include "device/LLDGlobal.h"
#include "transfer/ScanJob.h"
#include "device/ScanMessages.h"
#include "profile/Trace.h"
#include "transfer/DibBuilder.h"
#include "transfer/ScanSpool.h"
#include "transfer/SessionLink.h"
#include "transfer/TransferFlags.h"
#include "transfer/XferSupport.h"

TW_UINT16 CMsgImageNativeXfer::Handle(_MsgInfo* pInfo)
{
    if (CurrentState() != 600)
        return Refuse(TWCC_SEQERROR);
    if (pInfo->MSG != MSG_GET)
        return Refuse(TWCC_BADPROTOCOL);
    auto* pHandle = static_cast<TW_HANDLE*>(pInfo->pData);
    if (!pHandle)
        return Refuse(TWCC_BADVALUE);
    *pHandle = nullptr;
    CScanJob& ctl = CScanJob::Current();

    int nRet = ScanPendingPage(ctl, "in NativeXfer", true);
    if (nRet != 0) {
        SetSessionState(500);
        g_bScanStarted = false;
        ctl.CloseDeviceOnce(false);
        TRACE_TEST("%s%d", "nret ", nRet);
        ClearScanInProgress(ctl);
        ShowDeviceError(kErrRead, nRet);
        // As after the other transfers: a source without its dialog cannot go on by itself.
        SessionCloseRequest();
        return TWRC_CANCEL;
    }

    g_bScanStarted = true;
    HGLOBAL hDib = CreateDibFromImage(ScanImage(), ctl.EffectiveWidth(), ctl.EffectiveHeight(), ctl.PixelType());
    *pHandle = hDib;
    TW_UINT16 wRet;
    if (hDib) {
        TraceA("nativexfer done");
        SetSessionState(700);
        wRet = TWRC_XFERDONE;
    } else {
        SetSessionState(500);
        SetSessionCondition(TWCC_LOWMEMORY);
        wRet = TWRC_FAILURE;
    }
    // The feeder's device stays open for the next page.
    if (ctl.IsFeeder())
        return wRet;
    if (!g_b_devmon_close.exchange(true)) {
        if (g_LLD.DevMon_EndJob() < 0)
            ShowDeviceError(kErrStartOrFeeder, DEVMON_STATUS_FAIL);
        g_LLD.DevMon_Close();
        SessionCloseRequest();
        TraceA(" in nativeXfer request closeds");
    }
    ClearScanInProgress(ctl);
    return wRet;
}
