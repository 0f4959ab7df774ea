#include "transfer/DeviceEvents.h"

#include <atomic>

#include "device/LLDGlobal.h"
#include "device/LLDState.h"
#include "device/ScanDrvApi.h"
#include "profile/Trace.h"
#include "transfer/ScanJob.h"
#include "transfer/ScanProgress.h"
#include "transfer/TransferFlags.h"

namespace {

std::atomic<int> g_nDevState{0};
// Made on the first job start and kept for the life of the process.
struct SEventHolder {
    std::atomic<HANDLE> h{nullptr};
    ~SEventHolder()
    {
        if (HANDLE old = h.exchange(nullptr))
            CloseHandle(old);
    }
};
SEventHolder g_devStateEvent;
SEventHolder g_manualDuplexEvent;
std::atomic<HWND> g_hManualDuplexWnd{nullptr};

void PostToManualDuplex()
{
    if (HWND hWnd = g_hManualDuplexWnd.load())
        ::PostMessageW(hWnd, kMsgCloseDlg, 0, 0);
}

void SignalState(int nState)
{
    SetDevState(nState);
    if (HANDLE h = g_devStateEvent.h.load())
        SetEvent(h);
}

}  // namespace

int GetDevState() { return g_nDevState; }
void SetDevState(int nState) { g_nDevState = nState; }
HANDLE DevStateEvent() { return g_devStateEvent.h.load(); }
void SetManualDuplexWindow(HWND hWnd) { g_hManualDuplexWnd = hWnd; }

int myScanCallBackFB(void* pContext, int nEvent, int)
{
    if (!pContext)
        return -1;
    TraceA("myScanCallBackFB, scanMasg: %d", nEvent);
    return gbcancel ? g_LLD.DevMon_CancelScan() : 0;
}

int myScanCallBack(void* pContext, int nEvent, int)
{
    if (!pContext)
        return -1;
    TraceA("myScanCallBack, scanMasg: %d", nEvent);
    if (gbcancel)
        g_LLD.DevMon_CancelScan();
    OnDeviceEvent(*static_cast<CScanJob*>(pContext), nEvent);
    return 0;
}

void OnDeviceEvent(CScanJob& job, int nEvent)
{
    switch (nEvent) {
    case eScnrNotify_jobStart:
        g_nDevicePages = 0;
        g_nPagesTransferred = 0;
        job.SetJobStartRotation(job.Record().nRotation);
        if (!g_devStateEvent.h.load()) {
            TraceA("CreateEvent: g_devStateEvent");
            SetDevState(kDevStateCreated);
            g_devStateEvent.h = CreateEventW(nullptr, FALSE, FALSE, nullptr);
        }
        if (HANDLE old = g_manualDuplexEvent.h.exchange(nullptr))
            CloseHandle(old);
        break;
    case eScnrNotify_pageEnd:
        g_nDevicePages += 1;
        if (!job.FirstPage())
            SignalState(kDevStatePage);
        job.SetFirstPage(false);
        break;
    case eScnrNotify_startMannalDuplexWait:
        TraceA("myScanCallBack: eScnrNotify_startMannalDuplexWait");
        SignalState(kDevStateDuplexBegin);
        break;
    case eScnrNotify_endMannalDuplexWait: {
        TraceA("myScanCallBack: eScnrNotify_endMannalDuplexWait");
        SignalState(kDevStateDuplexEnd);
        if (!g_manualDuplexEvent.h.load())
            g_manualDuplexEvent.h = CreateEventW(nullptr, FALSE, FALSE, L"Global\\manual_duplex");
        // The turned stack gives the backs upside down: half a turn more than at job start.
        static constexpr int kHalfTurn[4] = {kRotate180, kRotate270, kRotate90, kRotateNone};
        const int nStart = job.JobStartRotation();
        if (nStart >= 0 && nStart <= 3)
            job.Record().nRotation = kHalfTurn[nStart];
        PostToManualDuplex();
        break;
    }
    case eScnrNotify_jobEnd:
        g_nDevicePages += kJobEndedMark;
        PostToManualDuplex();
        SignalState(kDevStateJobEnd);
        break;
    case eScnrNotify_abort:
        TraceA("myScanCallBack: eScnrNotify_abort");
        PostToManualDuplex();
        break;
    default:
        break;
    }
    // What the transfer side will read: the page count with its job-end mark, and the last
    // state signalled.
    TRACE_TEST("myScanCallBack: event %d, g_nDevicePages %d, m_devState %d", nEvent,
               static_cast<int>(g_nDevicePages), GetDevState());
}
