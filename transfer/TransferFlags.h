// Flags and counters that the transfer handlers, the scan thread, the scan controller and the
// device callback share. The callback and the scan thread run on threads of their own, so
// every value is atomic; none of them needs more than a single load or store at a time.
#pragma once

#include <atomic>
#include <cstdint>

// The next transfer must scan a page first. Set from the start: the first page of an enable
// is always scanned by its transfer.
extern std::atomic<bool> g_bNeedScan;
// The device job of the current batch has been started.
extern std::atomic<bool> g_bScanStarted;
// Result of the last scan thread run: 0, a device or spool status, or 1 (parameters refused).
extern std::atomic<int> g_iScanThreadRet;
// The device session of this batch has already been stopped and closed.
extern std::atomic<bool> g_b_devmon_close;
// Pages the device finished in this job, plus 10000 once the job has ended.
extern std::atomic<int> g_nDevicePages;
// Pages ended with MSG_ENDXFER in this batch.
extern std::atomic<int> g_nPagesTransferred;
// The last MSG_ENDXFER found a further page.
extern std::atomic<bool> g_bMorePages;
// Written by MSG_ENDXFER only, read by MSG_GET only.
extern std::atomic<int16_t> g_bPageWaiting;
// Manual duplex scanning is in effect for this job.
extern std::atomic<bool> g_bManualDuplex;
// Part of the progress bar used before the line reading (0 or 90).
extern std::atomic<int> g_iProgressBase;
// The first line of the current page has come back from the device.
extern std::atomic<bool> g_bReadStarted;
// Automatic crop (decided per scan) and automatic deskew are on for the current job.
extern std::atomic<bool> g_bAutoCrop;
extern std::atomic<bool> g_bAutoDeskew;

// Device states the callback publishes: event created, page ready, manual duplex wait begins
// and ends, job ended.
enum EDevState { kDevStateCreated = 1, kDevStatePage = 2, kDevStateDuplexBegin = 5, kDevStateDuplexEnd = 6,
                 kDevStateJobEnd = 7 };

// The page counter's mark for an ended job.
constexpr int kJobEndedMark = 10000;

// A new batch: the next transfer scans, no job started, nothing closed, no page counted.
void ResetTransferFlags();
