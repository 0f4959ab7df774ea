// Filling the scan-parameter record from the negotiated TWAIN values when the source scans
// without its dialog.
#pragma once

#include "device/ScanParamRecord.h"

// The values the capability negotiation left for the scan.
struct SNoUIScanValues {
    int nColorMode = 24;    // bit depth: 1, 8 or 24
    int nResolution = 300;  // dpi
    int nScanSize = 1;      // TWSS code
    int nScanSource = 0;    // 0 flatbed, 1 feeder, 2 feeder with duplex
};

int ResolutionIndexForDpi(int nDpi, bool bKRV);
int PaperIndexForTwainSize(int nTwainSize, int nSource);

// Returns 0.
int UpdateNoUIScanParam(SScanParamRecord& rec, const SNoUIScanValues& values, const SProductFlags& flags);
