// The process-wide values the driver wrapper reads when it opens the device and starts a
// scan, and the cancel flag it clears.
#pragma once

#include <windows.h>

// The flags handed to the device library before each opening.
struct SLLDOpenFlags {
    BOOL bResolution1200;   // set by the scan controller before each scan: resolution index 4
    BOOL bHorizontal;       // copied from the scan-parameter record
    int nAutoFeed;          // the value the application last set through CAP_AUTOFEED
    BOOL bNoUI;             // scanning for an application that enabled the source without its dialog
    BOOL bOlderPlatform;    // the settings were restored for the model "mvl3100": open with ScanDrv_Open_C
};
extern SLLDOpenFlags g_lldOpenFlags;

// Set by the Cancel buttons of the progress and manual-duplex dialogs; cleared when a scan
// starts or its adjustments are sent.
extern volatile BOOL gbcancel;

// True when the host program is one of the two that want the device to keep scanning
// ("MSPVIEW.EXE", "MSPSCAN.EXE", any case).
bool IsContinueScanHost();
bool IsContinueScanHostName(const wchar_t* pszModulePath);
