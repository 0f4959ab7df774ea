// What the transfer handlers share: scanning the pending page on demand, ending the
// scanning dialog's job, and the page geometry in TWAIN terms.
#pragma once

#include <cstdint>

#include "twain/TwainTypes.h"

class CScanJob;

// The page is scanned here unless it was already (automatic crop or deskew scans it before
// MSG_XFERREADY, and scanning again would take the next sheet from the feeder). Clears
// g_bNeedScan and returns the scan's result (0 when nothing was pending). bProbeMemory: a
// native transfer checks first that the bitmap will fit (-100 when not).
int ScanPendingPage(CScanJob& job, const char* pszTrace, bool bProbeMemory);

// The scan-in-progress marks of the dialog and the job are cleared.
void ClearScanInProgress(CScanJob& job);

// (integer)(x x 65536 + 0.5) split into its whole and fraction parts.
TW_FIX32 ToFix32(double dValue);
double FromFix32(const TW_FIX32& fix);
