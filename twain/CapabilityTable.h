// The capability table as the triplet handlers use it: built with its defaults at MSG_OPENDS,
// released at MSG_CLOSEDS, negotiated with replies in movable global memory, and the seams
// through which the scan controller and the scanning dialog answer the capabilities that need
// the device or a dialog.
#pragma once

#include <windows.h>

#include "twain/TwainTypes.h"

struct SCapabilityHooks {
    // CAP_FEEDERLOADED at MSG_GET: opens the device, asks whether paper is in the feeder and closes
    // it; FALSE when the device cannot be opened. Without a hook the device counts as unopenable.
    BOOL (*pfnFeederLoaded)() = nullptr;
    // CAP_SHOW_MERGE_SCAN_DIALOG_FLAG at MSG_GET in file-output mode: when the scanning dialog
    // exists, has recorded no scan error and gbcancel is clear, resets and runs the merge-scan
    // dialog modally, records the answer on the scanning dialog, posts the continue command
    // (WM_COMMAND 20006) on IDOK or releases the merge state otherwise, and returns the dialog's
    // result. -1 when no dialog was shown (and without a hook), which leaves the value as it was.
    int (*pfnShowMergeScanDialog)() = nullptr;
    // After ICAP_PIXELFLAVOR is answered: for Photoshop with the scanning dialog present, sets the
    // dialog's deferred-close mark.
    void (*pfnPixelFlavorAnswered)() = nullptr;
};

void BuildCapabilityTable();
void ReleaseCapabilityTable();

// Replaces the hooks; members left null keep the answers given without the device and dialogs.
void SetCapabilityHooks(const SCapabilityHooks& hooks);

// One DAT_CAPABILITY triplet against the process-wide table, for the connected application's
// protocol. The condition code is always set.
TW_UINT16 HandleCapMessage(TW_UINT16 wMsg, TW_CAPABILITY* pCap, TW_UINT16& wConditionCode);
