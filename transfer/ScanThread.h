// The scan thread: sends the scan parameters, starts the device job for the first page of a
// batch and spools the page, while the calling thread runs the progress dialog.
#pragma once

class CScanJob;

// Starts the scan thread, runs the progress dialog (or, without one, waits while dispatching
// the thread's messages) until the thread has ended, and returns g_iScanThreadRet.
int RunScanThread(CScanJob& job);

// Scans the page at once and then tells the application it is ready (automatic crop or
// deskew: the page size is known only after the page has been processed).
void MsgLib_StartScan(CScanJob& job);
