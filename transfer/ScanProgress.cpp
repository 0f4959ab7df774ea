#include "transfer/ScanProgress.h"

#include <atomic>

namespace {

std::atomic<IScanProgress*> g_pProgress{nullptr};
std::atomic<ManualDuplexRunner> g_pfnManualDuplex{nullptr};

}  // namespace

void SetScanProgress(IScanProgress* pProgress) { g_pProgress = pProgress; }

IScanProgress* ScanProgress() { return g_pProgress; }

void SetManualDuplexRunner(ManualDuplexRunner pfn) { g_pfnManualDuplex = pfn; }

void RunManualDuplex(HWND hOwner)
{
    if (ManualDuplexRunner pfn = g_pfnManualDuplex)
        pfn(hOwner);
}

void PostToProgress(UINT nMsg, WPARAM wParam)
{
    IScanProgress* p = g_pProgress;
    HWND hWnd = p ? p->Window() : nullptr;
    if (hWnd)
        ::PostMessageW(hWnd, nMsg, wParam, 0);
}
