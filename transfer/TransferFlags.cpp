#include "transfer/TransferFlags.h"

std::atomic<bool> g_bNeedScan{true};
std::atomic<bool> g_bScanStarted{false};
std::atomic<int> g_iScanThreadRet{0};
std::atomic<bool> g_b_devmon_close{false};
std::atomic<int> g_nDevicePages{0};
std::atomic<int> g_nPagesTransferred{0};
std::atomic<bool> g_bMorePages{false};
std::atomic<int16_t> g_bPageWaiting{0};
std::atomic<bool> g_bManualDuplex{false};
std::atomic<int> g_iProgressBase{0};
std::atomic<bool> g_bReadStarted{false};
std::atomic<bool> g_bAutoCrop{false};
std::atomic<bool> g_bAutoDeskew{false};

void ResetTransferFlags()
{
    g_bNeedScan = true;
    g_bScanStarted = false;
    g_iScanThreadRet = 0;
    g_b_devmon_close = false;
    g_nPagesTransferred = 0;
    g_bMorePages = false;
}
