#include "transfer/ScanProgress.h"

#include <atomic>

namespace {

std::atomic<IScanProgress*> g_pProgress{nullptr};

}  // namespace

void SetScanProgress(IScanProgress* pProgress) { g_pProgress = pProgress; }

IScanProgress* ScanProgress() { return g_pProgress; }

void PostToProgress(UINT nMsg, WPARAM wParam)
{
    IScanProgress* p = g_pProgress;
    HWND hWnd = p ? p->Window() : nullptr;
    if (hWnd)
        ::PostMessageW(hWnd, nMsg, wParam, 0);
}
