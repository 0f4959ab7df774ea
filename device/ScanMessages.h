// What a scan tells the user: the device error table's messages and the language strings
// the scan controller and the transfers show. They go to the message dialogs; without a
// presenter installed (no dialog framework in a test program) only to the trace.
#pragma once

#include <string>

// nStringId: a language string id (0 when pszText is given instead).
using ScanMessagePresenter = void (*)(int nStringId, const wchar_t* pszText);

void SetScanMessagePresenter(ScanMessagePresenter pfn);

// The error dialog with the localised string nStringId.
void ShowScanMessage(int nStringId);
// The error dialog with a fixed text.
void ShowScanText(const wchar_t* pszText);
// The message of the error table for (category, status), shown when the table says so.
// True when something was shown.
bool ShowDeviceError(int nCategory, int nStatus);

// Set whenever a message was shown; the scan controller clears it at each scan.
bool ScanErrorReported();
void ClearScanErrorReported();
