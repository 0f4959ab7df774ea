#include "device/ScanMessages.h"

#include <atomic>

#include "device/DevMonStatus.h"
#include "profile/ProductProfile.h"
#include "profile/Trace.h"

namespace {

std::atomic<ScanMessagePresenter> g_pfnPresenter{nullptr};
std::atomic<bool> g_bErrorReported{false};

void Present(int nStringId, const wchar_t* pszText)
{
    g_bErrorReported = true;
    if (pszText)
        TraceW(L"Scan message: %ls", pszText);
    else
        TraceA("Scan message: string %d", nStringId);
    if (ScanMessagePresenter pfn = g_pfnPresenter.load())
        pfn(nStringId, pszText);
}

}  // namespace

void SetScanMessagePresenter(ScanMessagePresenter pfn) { g_pfnPresenter = pfn; }

void ShowScanMessage(int nStringId) { Present(nStringId, nullptr); }

void ShowScanText(const wchar_t* pszText) { Present(0, pszText ? pszText : L""); }

bool ShowDeviceError(int nCategory, int nStatus)
{
    if (!ShouldShowDevError(nCategory, nStatus))
        return false;
    Present(DevErrorMessageId(nCategory, nStatus, g_bIsPlatformK != FALSE), nullptr);
    return true;
}

bool ScanErrorReported() { return g_bErrorReported; }

void ClearScanErrorReported() { g_bErrorReported = false; }
