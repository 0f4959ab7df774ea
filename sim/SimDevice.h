// One open simulated device: its scan parameters and the scan job, which runs on the device's
// own thread, "scans" lines at the configured speed, keeps one page ahead of the reader and
// reports job start, page end, manual-duplex wait, abort and job end through the callback.
#pragma once

#include "device/ScanDrvApi.h"
#include "sim/ChartRenderer.h"
#include "sim/PageCache.h"
#include "sim/ScanAdjustments.h"
#include "sim/SimConfig.h"
#include "sim/SimLog.h"

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

class CBmpImage;

class CSimDevice : public std::enable_shared_from_this<CSimDevice> {
public:
    // Always owned by a shared pointer: the job thread keeps its device alive.
    CSimDevice(const SSimConfig& config, CSimLog& log, std::shared_ptr<const CBmpImage> pPicture, CPageCache& pages);
    ~CSimDevice();
    CSimDevice(const CSimDevice&) = delete;
    CSimDevice& operator=(const CSimDevice&) = delete;

    int SetScanParameter(int nXDpi, int nYDpi, int nMode, int nLeft, int nTop, int nRight, int nBottom,
                         int nThreshold, int nSource);
    // The adjustments apply to every page read from then on; a threshold of -1 asks for halftone.
    int SetScanParameterAdj(const SScanAdjustments& adjust, int nThreshold);
    int SetCallBack(ScanDrvCallBack pfn, void* pContext);
    int StartScan();
    int SetContinueFlag(int bContinue);
    int Read(uint8_t* pBuffer, int nBytes, int* pnRead);
    int GetScanParameter(int* pnValue, int* pnLines);
    int GetCurScanLineNum(int* pnLines, int* pnState);
    int GetCurTransferSize(int* pnTotal, int* pnDone);
    int Abort();
    int GetLastError();
    int GetADFStatus();
    int IsDocumentInFeeder();
    // Ends the job without further events and waits for the device's thread.
    void Shutdown();
    // At unload: the thread may not be waited for, only told to stop.
    void Abandon();

private:
    using Clock = std::chrono::steady_clock;
    struct SImage {
        int nPage;
        int nSide;
        bool bUpsideDown;
    };
    enum class EJob { kIdle, kRunning, kEnded };

    void BuildJob();
    void JobThread();
    bool RunImage(std::unique_lock<std::mutex>& lock, std::size_t nIndex);
    bool SleepFor(std::unique_lock<std::mutex>& lock, int nMs);
    void Emit(std::unique_lock<std::mutex>& lock, int nEvent, int nValue);
    int ScannedLines() const;
    SChartRequest MakeRequest(const SImage& image) const;
    int CopyRows(uint8_t* pBuffer, int nBytes);
    bool WaitForData(std::unique_lock<std::mutex>& lock, int64_t nEndByte);

    SSimConfig m_config;
    CSimLog& m_log;
    std::shared_ptr<const CBmpImage> m_pPicture;
    CPageCache& m_pages;

    std::mutex m_mutex;
    std::condition_variable m_cv;
    std::thread m_thread;
    bool m_bStop = false, m_bAbort = false;

    bool m_bParams = false;
    int m_nDpi = 0, m_nMode = 0, m_nThreshold = 128, m_nSource = 0;
    SScanAdjustments m_adjust;
    SChartArea m_area;
    int m_nWidth = 0, m_nHeight = 0, m_nRowBytes = 0;
    ScanDrvCallBack m_pfnCallBack = nullptr;
    void* m_pContext = nullptr;
    int m_nLastError = 0;

    EJob m_job = EJob::kIdle;
    std::vector<SImage> m_images;
    std::size_t m_nFronts = 0;          // manual duplex: the wait comes after this many images
    std::size_t m_nScanIndex = 0;       // image being scanned
    bool m_bScanDone = false;           // ... and finished
    Clock::time_point m_tScanStart;
    std::size_t m_nReadIndex = 0;       // image being read
    int64_t m_nReadOffset = 0;
    std::shared_ptr<CPageRows> m_pReadPage;  // the page being read
};
