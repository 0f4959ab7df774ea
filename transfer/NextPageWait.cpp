#include "transfer/NextPageWait.h"

#include "profile/Trace.h"
#include "transfer/TransferFlags.h"

SNextPageResult WaitForNextPage(int nPagesTransferred, bool bCancel, uint32_t nTimeoutMs,
                                const SNextPageHooks& hooks)
{
    SNextPageResult r;
    if (bCancel)
        return r;
    // Elapsed time rather than a deadline: the tick count may wrap during the wait.
    const uint32_t nStart = hooks.tick();
    for (;;) {
        int nError = hooks.deviceError ? hooks.deviceError() : 0;
        if (hooks.tick() - nStart >= nTimeoutMs || nError < -1) {
            TraceA("CMsgPendingXfer::Handle: get next page TIMEOUT or DevMon_GetLLDError = %d", nError);
            r.bFailed = true;
            r.nError = nError;
            r.bMore = false;
            return r;
        }
        int nPages = hooks.devicePages();
        if (nPages >= kJobEndedMark) {
            r.bMore = nPages - kJobEndedMark > nPagesTransferred;
            return r;
        }
        r.bMore = nPages > nPagesTransferred;
        // The job may have ended between the two reads: look again rather than sleep.
        if (hooks.devicePages() >= kJobEndedMark)
            continue;
        if (r.bMore)
            return r;
        hooks.sleep(kNextPagePollMs);
        if (hooks.manualDuplexWait)
            hooks.manualDuplexWait();
    }
}
