// Puts the dialogs in place for the parts that run scans without knowing about windows: the
// progress dialog behind IScanProgress, the error dialog behind the scan messages, and the
// manual-duplex and merge-scan dialogs for the transfer side and the capability handler.
#pragma once

#include <windows.h>

#include <string>

// Installs the progress dialog and the message presenter; once, from the source's start-up.
void InstallScanDialogs();

// The error dialog with a text, owned by hParent when it belongs to the calling thread.
// 1 OK, 2 closed.
INT_PTR ShowErrorText(const std::wstring& sText, HWND hParent);

// The warning dialog with a text: with bWithCancel the one that asks (OK and Cancel).
// 1 OK, 2 Cancel or closed.
INT_PTR ShowWarningText(const std::wstring& sText, HWND hParent, bool bWithCancel);

// The manual-duplex dialog, modal until the device ends the wait (0x568).
void RunManualDuplexDialog(HWND hOwner);

// The merge-scan dialog of the scanning dialog's merge series: its error mark (set after a
// failed page, so that it shows the count unchanged), running it, resetting it, its count.
void MarkMergeScanError(bool bError);
INT_PTR RunMergeScanDialog(HWND hOwner);
void ResetMergeScanDialog();
int MergeScanPageCount();

// The capability handler's merge question (CAP_SHOW_MERGE_SCAN_DIALOG_FLAG in file-output
// mode): with the scanning dialog present, no error reported and no cancel, asks whether the
// next page is merged; Continue posts the Scan button's command to the scanning dialog, Finish
// resets the count. The dialog's result, or -1 when it was not shown.
int ShowMergeScanDialog();
