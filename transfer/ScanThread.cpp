#include "transfer/ScanThread.h"

#include <windows.h>

#include <memory>

#include "device/DevMonStatus.h"
#include "device/LLDGlobal.h"
#include "transfer/ScanJob.h"
#include "device/TestSeams.h"
#include "device/LLDState.h"
#include "profile/Trace.h"
#include "transfer/ScanProgress.h"
#include "transfer/ScanSpool.h"
#include "transfer/SessionLink.h"
#include "transfer/TransferFlags.h"

namespace {

struct SCloseHandle {
    void operator()(HANDLE h) const { CloseHandle(h); }
};
using CHandle = std::unique_ptr<void, SCloseHandle>;

DWORD WINAPI Scanthread(LPVOID pParam)
{
    auto& job = *static_cast<CScanJob*>(pParam);
    TraceA("CMsgLib: Scanthread BEGIN");
    // The device starts only once the progress dialog is up to show what it does.
    if (IScanProgress* pProgress = ScanProgress())
        if (HANDLE hReady = pProgress->ReadyEvent())
            WaitForSingleObject(hReady, INFINITE);

    int nStatus = DEVMON_STATUS_OK;
    if (!g_bScanStarted) {
        if (job.SetScanParam(true) == -1) {
            g_iScanThreadRet = 1;
            PostToProgress(kMsgCloseDlg, 0);
            TraceA("CMsgLib: Scanthread END");
            return 0;
        }
        nStatus = g_LLD.DevMon_StartScan();
    }
    if (nStatus != DEVMON_STATUS_OK && nStatus != STATUS_SCANNING) {
        g_iScanThreadRet = nStatus;
    } else {
        g_bScanStarted = true;
        g_iScanThreadRet = 0;
        int nRet = ScanToImageBuf_mapfile(job, job.Width(), job.Height(), job.PixelType(),
                                          job.Dpi());
        if (nRet != 0)
            g_iScanThreadRet = nRet;
    }
    PostToProgress(kMsgCloseDlg, 0);
    TraceA("CMsgLib: Scanthread END");
    return 0;
}

// Without a progress dialog the caller still serves its own windows while the page is read.
void WaitDispatching(HANDLE hThread)
{
    for (;;) {
        DWORD dw = MsgWaitForMultipleObjects(1, &hThread, FALSE, INFINITE, QS_ALLINPUT);
        if (dw != WAIT_OBJECT_0 + 1)
            return;
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
}

}  // namespace

int RunScanThread(CScanJob& job)
{
    // A test stands in for the user who presses the progress dialog's Cancel while this page
    // of the batch is read.
    if (std::optional<uint64_t> nCancelAt = SeamValue(kSeamCancelAtPage);
        nCancelAt && static_cast<uint64_t>(g_nPagesTransferred.load()) + 1 == *nCancelAt)
        gbcancel = TRUE;
    CHandle hThread(CreateThread(nullptr, 0, &Scanthread, &job, 0, nullptr));
    if (!hThread) {
        TraceA("CMsgLib: CreateThread error %lu", GetLastError());
        g_iScanThreadRet = DEVMON_STATUS_FAIL;
        return g_iScanThreadRet;
    }
    if (IScanProgress* pProgress = ScanProgress())
        pProgress->RunModal(SessionDialogWindow());
    WaitDispatching(hThread.get());
    return g_iScanThreadRet;
}

void MsgLib_StartScan(CScanJob& job)
{
    RunScanThread(job);
    SessionXferReady();
}
