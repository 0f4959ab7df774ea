#include "transfer/MsgPendingXfer.h"

#include <windows.h>

#include "device/DevMonStatus.h"
#include "device/LLDGlobal.h"
#include "device/LLDState.h"
#include "transfer/ScanJob.h"
#include "device/ScanMessages.h"
#include "device/SpaceCheck.h"
#include "device/SystemSpace.h"
#include "device/TestSeams.h"
#include "profile/ProductProfile.h"
#include "profile/Trace.h"
#include "transfer/AppLink.h"
#include "transfer/DeviceEvents.h"
#include "transfer/ImgSaveLink.h"
#include "transfer/NextPageWait.h"
#include "transfer/ScanJob.h"
#include "transfer/ScanProgress.h"
#include "transfer/ScanThread.h"
#include "transfer/SessionLink.h"
#include "transfer/TransferFlags.h"
#include "transfer/XferSupport.h"

namespace {

constexpr int kMiB = 20;

// Lets the user turn the stack for manual duplex: the thread's windows keep running while
// the device state is awaited. 1 when a page arrived or the wait ended, 0 otherwise.
int WaitManualDuplexState()
{
    HANDLE hEvent = DevStateEvent();
    if (!hEvent)
        return 0;
    for (;;) {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        DWORD dw = WaitForSingleObject(hEvent, 1000);
        if (dw == WAIT_TIMEOUT)
            continue;
        if (dw != WAIT_OBJECT_0) {
            TraceA("Wait error %lu", GetLastError());
            return 0;
        }
        int nState = GetDevState();
        TraceA("m_devState: %d", nState);
        switch (nState) {
        case kDevStatePage:
            return 1;
        case kDevStateDuplexBegin:
            // Modal until the device callback closes it (end of the wait, job end or abort);
            // the state that closed it is read on the next round.
            TraceA("Show Manual Duplex Dialog");
            RunManualDuplex(SessionDialogWindow());
            break;
        case kDevStateDuplexEnd:
            TraceA("Hide Manual Duplex Dialog");
            return 1;
        default:
            return 0;
        }
    }
}

// The real two minutes, unless a test asks for a shorter wait.
uint32_t NextPageTimeoutMs()
{
    std::optional<uint64_t> nSeam = SeamValue(kSeamNextPageMs);
    return nSeam && *nSeam <= kNextPageTimeoutMs ? static_cast<uint32_t>(*nSeam) : kNextPageTimeoutMs;
}

SNextPageHooks RealHooks()
{
    SNextPageHooks h;
    h.tick = [] { return static_cast<uint32_t>(GetTickCount()); };
    h.sleep = [](uint32_t ms) { Sleep(ms); };
    h.deviceError = [] { return g_LLD.DevMon_GetLLDError(); };
    h.devicePages = [] { return g_nDevicePages.load(); };
    if (g_bManualDuplex)
        h.manualDuplexWait = [] { WaitManualDuplexState(); };
    return h;
}

// Another page waits: it must fit, and the device gets its parameters again. False on failure.
bool ArmNextPage(CScanJob& ctl, TW_PENDINGXFERS* pPending, bool& bFailed)
{
    const uint64_t nFree = SystemFreeBytes();
    MEMORYSTATUSEX st{};
    std::optional<uint64_t> nAvail = AvailVirtualBytes(&st);
    if (nAvail)
        TraceA("MSG_ENDXFER, TotalNumberOfFreeBytes.QuadPart = %I64d M, statex.ullAvailPhys = %I64d M, "
               "statex.ullAvailVirtual = %I64d M, statex.dwMemoryLoad = %d%%",
               static_cast<long long>(nFree >> kMiB), static_cast<long long>(st.ullAvailPhys >> kMiB),
               static_cast<long long>(st.ullAvailVirtual >> kMiB), static_cast<int>(st.dwMemoryLoad));
    else
        TraceA("MSG_ENDXFER, GlobalMemoryStatusEx GetLastError = %d", static_cast<int>(GetLastError()));
    if (NextPageFits(ctl.Width(), ctl.Height(), nFree, nAvail)) {
        pPending->Count = 1;
        if (ctl.SetScanParam(false) == -1) {
            if (SessionNoUI())
                SessionCloseRequest();
            bFailed = true;
            return false;
        }
        // The device's page size, not the last page's: a page that ended early or was cropped
        // must not shorten the sheets after it (their unread rows would hold up the device).
        ctl.RestorePageSize();
        if (g_bAutoCrop || g_bAutoDeskew)
            MsgLib_StartScan(ctl);
        return true;
    }
    pPending->Count = 0;
    ctl.CloseDeviceOnce(true);
    ClearScanInProgress(ctl);
    SessionCloseRequest();
    TraceA("MSG_ENDXFER, ERROR_NOENOUGHSPACE, TotalNumberOfFreeBytes.QuadPart = %I64d M, "
           "statex.ullAvailVirtual = %I64d M",
           static_cast<long long>(nFree >> kMiB), static_cast<long long>(nAvail.value_or(0) >> kMiB));
    ShowScanMessage(1105);
    return true;
}

// The document feeder: wait for the device's next page, or end the batch. Without a started
// device job no page can ever arrive, so there is nothing to wait for.
bool FeederNextPage(CScanJob& ctl, TW_PENDINGXFERS* pPending, bool bJobRunning)
{
    const int nTransferred = ++g_nPagesTransferred;
    TraceA("MSG_ENDXFER, read pages: %d", nTransferred);
    SNextPageResult r =
        WaitForNextPage(nTransferred, gbcancel != FALSE || !bJobRunning, NextPageTimeoutMs(), RealHooks());
    bool bFailed = r.bFailed;
    if (r.bFailed && r.nError != 0)
        ShowDeviceError(kErrRead, r.nError);
    const int nADFRet = r.bMore ? 0 : -1;
    TraceA("nADFRet: %d", nADFRet);
    g_bPageWaiting = r.bMore ? 1 : 0;
    g_bMorePages = r.bMore;
    if (r.bMore) {
        if (!ArmNextPage(ctl, pPending, bFailed))
            return false;
        return !bFailed;
    }
    TraceA("FeederEnable fasle");
    pPending->Count = 0;
    if (!g_b_devmon_close) {
        TraceA("g_b_devmon_close fasle");
        ctl.CloseDeviceOnce(false);
        SetSessionState(500);
        // The batch is over: without the dialog the application is asked to close, as after
        // a flatbed page.
        SessionCloseRequest();
    }
    ClearScanInProgress(ctl);
    EnableSessionDialog();
    return !bFailed;
}

TW_UINT16 EndXfer(TW_PENDINGXFERS* pPending)
{
    TraceA("MSG_ENDXFER");
    CScanJob& ctl = CScanJob::Current();
    if (g_appFlags.bAcrobat && g_b_devmon_close)
        return TWRC_SUCCESS;
    if (g_appFlags.bImageEditor2) {
        ctl.EndOfJob();
        EnableSessionDialog();
    }
    bool bOk = true;
    if (HWND hWnd = SessionDialogWindow(); hWnd && IsWindowVisible(hWnd))
        SetActiveWindow(hWnd);
    // The job is there with or without the window: without one the batch is headless.
    if (g_appFlags.bImageEditor1) {
        pPending->Count = 0;
    } else if (ctl.IsFeeder()) {
        // Only a batch (states 6 and 7) has pages to end. Before one (state 4, or 5 while the
        // user works in the dialog, where the source manager's shutdown sends MSG_ENDXFER too)
        // the feeder wait would block the application's thread for two minutes.
        const TW_UINT16 wState = SessionState();
        if (wState == 600 || wState == 700)
            bOk = FeederNextPage(ctl, pPending, g_bScanStarted);
        else
            pPending->Count = 0;
    } else if (g_appFlags.bMsScanViewer) {
        g_b_devmon_close = false;
        g_bNeedScan = true;
        pPending->Count = 1;
    } else {
        pPending->Count = 0;
    }
    if (SessionState() == 700) {
        SetSessionState(600);
        if (g_appFlags.bPhotoshopCS2)
            PlaceSessionDialog();
    }
    if (!bOk || !g_bKeepOpen) {
        SessionCloseRequest();
    } else if (g_appFlags.bImageEditor2 && !ctl.IsFeeder()) {
        if (!g_b_devmon_close) {
            ctl.CloseDeviceOnce(false);
            SessionCloseRequest();
            EnableSessionDialog();
        }
        ctl.EndOfJob();
    }
    if (pPending->Count == 0) {
        g_nPagesTransferred = 0;
        g_nDevicePages = 0;
        if (g_bManualDuplex)
            ctl.RestoreJobStartRotation();
        TRACE_TEST("pengding g_b_devmon_close %d", g_b_devmon_close ? 1 : 0);
        if (ctl.CloseDeviceOnce(false))
            SessionCloseRequest();
        g_bScanStarted = false;
    }
    StoreImgSaveAtEndXfer(static_cast<int>(pPending->Count), g_bHasMergeScan != FALSE, !ctl.IsFeeder());
    // The application learns from DAT_STATUS why the page could not be ended.
    if (bOk)
        return TWRC_SUCCESS;
    SetSessionCondition(TWCC_OPERATIONERROR);
    return TWRC_FAILURE;
}

}  // namespace

TW_UINT16 CMsgPendingXfer::Handle(_MsgInfo* pInfo)
{
    auto* pPending = static_cast<TW_PENDINGXFERS*>(pInfo->pData);
    switch (pInfo->MSG) {
    case MSG_GET: {
        if (!pPending)
            return Refuse(TWCC_BADVALUE);
        const TW_UINT16 wState = CurrentState();
        if (wState == 400 || wState == 500 || wState == 600)
            pPending->Count = g_bPageWaiting ? (g_bMorePages ? 1 : 0) : 1;
        else if (wState == 700)
            pPending->Count = g_bPageWaiting ? (g_bMorePages ? 1 : 0) : 0;
        else
            return Refuse(TWCC_SEQERROR);
        return TWRC_SUCCESS;
    }
    case MSG_ENDXFER:
        if (!pPending)
            return Refuse(TWCC_BADVALUE);
        // No application, no batch: ending a transfer would close the device and ask an
        // application that is not there to close.
        if (CurrentState() == 300)
            return Refuse(TWCC_SEQERROR);
        return EndXfer(pPending);
    case MSG_RESET: {
        TraceA("pengding MSG_RESET ");
        if (g_appFlags.bAcrobat)
            return TWRC_SUCCESS;
        const TW_UINT16 wState = CurrentState();
        if (wState != 600 && wState != 700)
            return Refuse(TWCC_SEQERROR);
        SetSessionState(500);
        if (pPending)
            pPending->Count = 0;
        if (CScanJob::Current().CloseDeviceOnce(false))
            SessionCloseRequest();
        g_bScanStarted = false;
        return TWRC_SUCCESS;
    }
    default:
        return Refuse(TWCC_BADPROTOCOL);
    }
}
