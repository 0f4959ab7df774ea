// The scan-time dialogs as the transfer side sees them. The progress dialog: the event the scan
// thread waits for before it starts the device, the window it posts progress (0x557) and the
// close message (0x568) to, and the modal loop the starter runs meanwhile. The manual-duplex
// dialog: shown while the user turns the stack over.
#pragma once

#include <windows.h>

constexpr UINT kMsgProgress = WM_USER + 343;  // 0x557: percentage 0 to 100
constexpr UINT kMsgCloseDlg = WM_USER + 360;  // 0x568: the worker has finished

class IScanProgress {
public:
    virtual ~IScanProgress() = default;
    // Feeder or flatbed; a reset starts the page count anew.
    virtual void SetMode(bool bFeeder, bool bReset) = 0;
    // Shows the dialog and runs its loop until kMsgCloseDlg arrives.
    virtual void RunModal(HWND hOwner) = 0;
    // The dialog's window while it is shown, else null.
    virtual HWND Window() const = 0;
    // Signalled each time the dialog has opened; null when there is none.
    virtual HANDLE ReadyEvent() const = 0;
};

// The progress dialog scans use; null runs scans without one.
void SetScanProgress(IScanProgress* pProgress);
IScanProgress* ScanProgress();

// The manual-duplex dialog, modal until the device ends the wait; installed with the dialogs.
using ManualDuplexRunner = void (*)(HWND hOwner);
void SetManualDuplexRunner(ManualDuplexRunner pfn);
// Runs it; nothing without one.
void RunManualDuplex(HWND hOwner);

// Posts to the progress dialog when it is shown; nothing otherwise (a null window would post
// to the calling thread's own queue).
void PostToProgress(UINT nMsg, WPARAM wParam);
