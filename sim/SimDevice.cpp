#include "sim/SimDevice.h"

#include "sim/BmpImage.h"

#include <algorithm>
#include <cstring>
#include <string>

namespace {

constexpr int kMinDpi = 50, kMaxDpi = 2400;
constexpr int kMaxRight = 14400, kMaxBottom = 20800;  // 12 x 17.33 inches
constexpr int kRawFail = 1, kRawEof = 2, kRawNoPaper = 7;

int MmTo1200(double dMm) { return static_cast<int>(dMm * 1200.0 / 25.4 + 0.5); }

}  // namespace

CSimDevice::CSimDevice(const SSimConfig& config, CSimLog& log, std::shared_ptr<const CBmpImage> pPicture,
                       CPageCache& pages)
    : m_config(config), m_log(log), m_pPicture(std::move(pPicture)), m_pages(pages)
{
}

CSimDevice::~CSimDevice() { Shutdown(); }

int CSimDevice::SetScanParameter(int nXDpi, int nYDpi, int nMode, int nLeft, int nTop, int nRight, int nBottom,
                                 int nThreshold, int nSource)
{
    if (m_config.nSetParamResult)
        return m_config.nSetParamResult;
    bool bValid = nXDpi == nYDpi && nXDpi >= kMinDpi && nXDpi <= kMaxDpi && nMode >= 0 && nMode <= 3 &&
                  nLeft >= 0 && nTop >= 0 && nRight > nLeft && nBottom > nTop && nRight <= kMaxRight &&
                  nBottom <= kMaxBottom && nSource >= 0 && nSource <= 3;
    if (!bValid)
        return kRawFail;
    std::lock_guard lock(m_mutex);
    if (m_job == EJob::kRunning)
        m_log.Violation("ScanDrv_SetScanParameter while a job runs");
    m_nDpi = nXDpi;
    m_nMode = nMode;
    m_nThreshold = nThreshold;
    m_nSource = nSource;
    m_area = {nLeft, nTop, nRight, nBottom};
    SChartRequest req;
    req.nDpi = m_nDpi;
    req.nMode = m_nMode;
    req.area = m_area;
    CChartRenderer probe(req);
    m_nWidth = probe.Width();
    m_nHeight = probe.Height();
    m_nRowBytes = probe.RowBytes();
    m_bParams = true;
    return 0;
}

int CSimDevice::SetScanParameterAdj(const SScanAdjustments& adjust, int nThreshold)
{
    std::lock_guard lock(m_mutex);
    if (nThreshold >= 0 && nThreshold <= 255)
        m_nThreshold = nThreshold;
    m_adjust = adjust;
    m_adjust.bAutoThreshold = nThreshold == -1;
    return 0;
}

int CSimDevice::SetCallBack(ScanDrvCallBack pfn, void* pContext)
{
    std::lock_guard lock(m_mutex);
    m_pfnCallBack = pfn;
    m_pContext = pContext;
    return 0;
}

void CSimDevice::BuildJob()
{
    m_images.clear();
    m_nFronts = 0;
    const int nSheets = std::max(0, m_config.nFeederSheets);
    if (m_nSource == 0) {
        m_images.push_back({1, 0, false});
    } else if (m_nSource == 1) {
        for (int i = 1; i <= nSheets; ++i)
            m_images.push_back({i, 0, false});
    } else if (m_nSource == 3) {
        for (int i = 1; i <= nSheets; ++i)
            m_images.insert(m_images.end(), {{i, 0, false}, {i, 1, false}});
    } else {
        // Manual duplex: the fronts, then the turned stack gives the backs last sheet first, upside down.
        for (int i = 1; i <= nSheets; ++i)
            m_images.push_back({i, 0, false});
        m_nFronts = m_images.size();
        for (int i = nSheets; i >= 1; --i)
            m_images.push_back({i, 1, true});
    }
}

int CSimDevice::StartScan()
{
    if (m_config.nStartResult)
        return m_config.nStartResult;
    std::unique_lock lock(m_mutex);
    if (!m_bParams) {
        m_log.Violation("ScanDrv_StartScan before ScanDrv_SetScanParameter");
        return kRawFail;
    }
    if (m_job == EJob::kRunning) {
        m_log.Violation("ScanDrv_StartScan while a job runs");
        return kRawFail;
    }
    if (m_nSource != 0 && m_config.AdfStatus() != 0)
        return kRawNoPaper;
    if (m_thread.joinable()) {
        lock.unlock();
        m_thread.join();
        lock.lock();
    }
    BuildJob();
    m_job = EJob::kRunning;
    m_bStop = m_bAbort = false;
    m_nScanIndex = 0;
    m_bScanDone = false;
    m_tScanStart = Clock::time_point::max();
    m_nReadIndex = 0;
    m_nReadOffset = 0;
    m_pReadPage.reset();
    m_thread = std::thread([self = shared_from_this()] { self->JobThread(); });
    return 0;
}

int CSimDevice::SetContinueFlag(int) { return 0; }

void CSimDevice::Emit(std::unique_lock<std::mutex>& lock, int nEvent, int nValue)
{
    m_log.Line("EVENT " + std::to_string(nEvent) + " " + std::to_string(nValue));
    ScanDrvCallBack pfn = m_pfnCallBack;
    void* pContext = m_pContext;
    if (!pfn)
        return;
    lock.unlock();
    pfn(pContext, nEvent, nValue);
    lock.lock();
}

bool CSimDevice::SleepFor(std::unique_lock<std::mutex>& lock, int nMs)
{
    if (nMs > 0)
        m_cv.wait_for(lock, std::chrono::milliseconds(nMs), [&] { return m_bStop; });
    return !m_bStop;
}

bool CSimDevice::RunImage(std::unique_lock<std::mutex>& lock, std::size_t nIndex)
{
    m_nScanIndex = nIndex;
    m_bScanDone = false;
    m_tScanStart = Clock::now();
    m_cv.notify_all();
    if (m_config.nScanSpeed > 0 && !SleepFor(lock, static_cast<int>(int64_t(m_nHeight) * 1000 / m_config.nScanSpeed)))
        return false;
    m_bScanDone = true;
    m_cv.notify_all();
    return true;
}

void CSimDevice::JobThread()
{
    std::unique_lock lock(m_mutex);
    Emit(lock, eScnrNotify_jobStart, 0);
    auto readDone = [&](std::size_t k) {
        return m_nReadIndex > k || (m_nReadIndex == k && m_nReadOffset >= int64_t(m_nRowBytes) * m_nHeight);
    };
    std::size_t nDone = 0;
    for (std::size_t i = 0; i < m_images.size() && !m_bStop; ++i) {
        if (i > 0) {
            // One page of buffer: the next page is scanned once the reader has taken this one.
            m_cv.wait(lock, [&] { return m_bStop || readDone(i - 1); });
            if (m_bStop)
                break;
            if (m_nFronts && i == m_nFronts) {
                Emit(lock, eScnrNotify_startMannalDuplexWait, 0);
                if (!SleepFor(lock, m_config.nManualDuplexWaitMs))
                    break;
                Emit(lock, eScnrNotify_endMannalDuplexWait, 0);
            }
            if (!SleepFor(lock, m_config.nNextPageDelayMs))
                break;
        }
        if (m_config.nStallAfterPage > 0 && i >= static_cast<std::size_t>(m_config.nStallAfterPage)) {
            m_cv.wait(lock, [&] { return m_bStop; });
            break;
        }
        if (!RunImage(lock, i))
            break;
        Emit(lock, eScnrNotify_pageEnd, static_cast<int>(++nDone));
    }
    if (m_bAbort) {
        Emit(lock, eScnrNotify_abort, 0);
        Emit(lock, eScnrNotify_jobEnd, static_cast<int>(nDone));
    } else if (!m_bStop) {
        Emit(lock, eScnrNotify_jobEnd, static_cast<int>(nDone));
    }
    m_job = EJob::kEnded;
    m_cv.notify_all();
}

int CSimDevice::ScannedLines() const
{
    if (m_bScanDone || m_config.nScanSpeed <= 0)
        return m_nHeight;
    if (m_tScanStart == Clock::time_point::max())
        return 0;
    auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - m_tScanStart).count();
    return static_cast<int>(std::min<int64_t>(m_nHeight, ms * m_config.nScanSpeed / 1000));
}

bool CSimDevice::WaitForData(std::unique_lock<std::mutex>& lock, int64_t nEndByte)
{
    const int64_t nLines = (nEndByte + m_nRowBytes - 1) / m_nRowBytes;
    auto ready = [&] {
        if (m_nScanIndex > m_nReadIndex)
            return true;
        return m_nScanIndex == m_nReadIndex && m_tScanStart != Clock::time_point::max() && ScannedLines() >= nLines;
    };
    // Lines arrive with time, not only with notifications, so the wait also polls.
    while (!m_bStop && !ready())
        m_cv.wait_for(lock, std::chrono::milliseconds(5));
    return !m_bStop;
}

SChartRequest CSimDevice::MakeRequest(const SImage& image) const
{
    SChartRequest req;
    req.nPage = image.nPage;
    req.nSide = image.nSide;
    req.nDpi = m_nDpi;
    req.nMode = m_nMode;
    req.nThreshold = m_nThreshold;
    req.area = m_area;
    req.placement.dSkewDegrees = m_config.dSkewDegrees;
    req.placement.nPlatenGrey = m_config.nPlatenGrey;
    req.placement.nOffsetX = MmTo1200(m_config.dOffsetXmm);
    req.placement.nOffsetY = MmTo1200(m_config.dOffsetYmm);
    req.placement.bUpsideDown = image.bUpsideDown;
    req.placement.nPageWidth = MmTo1200(m_config.dPageWidthMm);
    req.placement.nPageHeight = MmTo1200(m_config.dPageHeightMm);
    if (m_pPicture && m_pPicture->Dpi() > 0) {
        req.placement.nPageWidth = m_pPicture->Width() * 1200 / m_pPicture->Dpi();
        req.placement.nPageHeight = m_pPicture->Height() * 1200 / m_pPicture->Dpi();
    }
    req.pPicture = m_pPicture;
    return req;
}

int CSimDevice::CopyRows(uint8_t* pBuffer, int nBytes)
{
    if (!m_pReadPage) {
        m_pReadPage = m_pages.Page(MakeRequest(m_images[m_nReadIndex]), m_adjust);
        if (!m_adjust.IsNeutral() && !m_pReadPage->Kept())
            m_log.Line("ADJUST not applied: no memory for the whole page");
    }
    m_pReadPage->Copy(static_cast<uint64_t>(m_nReadOffset), pBuffer, static_cast<uint64_t>(nBytes));
    m_nReadOffset += nBytes;
    return nBytes;
}

int CSimDevice::Read(uint8_t* pBuffer, int nBytes, int* pnRead)
{
    std::unique_lock lock(m_mutex);
    if (m_job == EJob::kIdle) {
        m_log.Violation("ScanDrv_ReadScanData before ScanDrv_StartScan");
        return kRawFail;
    }
    if (!pBuffer || nBytes <= 0 || !pnRead || m_nRowBytes <= 0)
        return kRawFail;
    *pnRead = 0;
    const int64_t nImageBytes = int64_t(m_nRowBytes) * m_nHeight;
    while (m_nReadIndex < m_images.size() && m_nReadOffset >= nImageBytes) {
        ++m_nReadIndex;
        m_nReadOffset = 0;
        m_pReadPage.reset();
        m_cv.notify_all();
    }
    if (m_nReadIndex >= m_images.size() || m_bStop)
        return kRawEof;
    int64_t nEnd = std::min(m_nReadOffset + nBytes, nImageBytes);
    if (m_config.nReadErrorLine >= 0 && (nEnd - 1) / m_nRowBytes >= m_config.nReadErrorLine) {
        m_nLastError = m_config.nReadErrorCode;
        return m_config.nReadErrorCode;
    }
    if (m_config.nEofAtLine >= 0) {
        int64_t nEofByte = int64_t(m_config.nEofAtLine) * m_nRowBytes;
        if (m_nReadOffset >= nEofByte) {
            m_nReadOffset = nImageBytes;  // the rest of the page is gone
            m_cv.notify_all();
            return kRawEof;
        }
        nEnd = std::min(nEnd, nEofByte);
    }
    if (!WaitForData(lock, nEnd))
        return kRawEof;
    *pnRead = CopyRows(pBuffer, static_cast<int>(nEnd - m_nReadOffset));
    m_cv.notify_all();
    return 0;
}

int CSimDevice::GetScanParameter(int* pnValue, int* pnLines)
{
    std::lock_guard lock(m_mutex);
    if (!m_bParams)
        return kRawFail;
    if (pnValue)
        *pnValue = m_nRowBytes;
    if (pnLines)
        *pnLines = m_nHeight;
    return 0;
}

int CSimDevice::GetCurScanLineNum(int* pnLines, int* pnState)
{
    std::lock_guard lock(m_mutex);
    if (!pnLines || !pnState)
        return kRawFail;
    *pnLines = 0;
    *pnState = 0;
    if (m_job == EJob::kIdle || m_tScanStart == Clock::time_point::max())
        return 0;
    *pnLines = ScannedLines();
    const int64_t nImageBytes = int64_t(m_nRowBytes) * m_nHeight;
    const bool bUnread = m_nReadIndex < m_nScanIndex || (m_nReadIndex == m_nScanIndex && m_nReadOffset < nImageBytes);
    if (*pnLines < m_nHeight && !m_bStop)
        *pnState = kScanLineStateScanning;
    else if (bUnread && !m_bStop)
        *pnState = kScanLineStateBuffered;
    return 0;
}

int CSimDevice::GetCurTransferSize(int* pnTotal, int* pnDone)
{
    std::lock_guard lock(m_mutex);
    if (!pnTotal || !pnDone)
        return kRawFail;
    const bool bReading = m_job != EJob::kIdle && m_nReadIndex < m_images.size();
    *pnTotal = bReading ? m_nRowBytes * m_nHeight : 0;
    *pnDone = bReading ? static_cast<int>(m_nReadOffset) : 0;
    return 0;
}

int CSimDevice::Abort()
{
    std::lock_guard lock(m_mutex);
    if (m_job == EJob::kRunning) {
        m_bStop = m_bAbort = true;
        m_cv.notify_all();
    }
    return 0;
}

int CSimDevice::GetLastError()
{
    std::lock_guard lock(m_mutex);
    return m_config.nLastError ? m_config.nLastError : m_nLastError;
}

int CSimDevice::GetADFStatus() { return m_config.AdfStatus(); }

int CSimDevice::IsDocumentInFeeder()
{
    std::lock_guard lock(m_mutex);
    if (m_config.AdfStatus() != 0)
        return 0;
    int nTaken = (m_job == EJob::kIdle || m_nSource == 0) ? 0 : static_cast<int>(m_nScanIndex) + 1;
    return m_config.nFeederSheets > nTaken ? 1 : 0;
}

void CSimDevice::Shutdown()
{
    {
        std::lock_guard lock(m_mutex);
        m_bStop = true;
        m_cv.notify_all();
    }
    if (!m_thread.joinable())
        return;
    if (m_thread.get_id() == std::this_thread::get_id())
        m_thread.detach();  // closed from its own callback: it ends by itself
    else
        m_thread.join();
}

void CSimDevice::Abandon()
{
    {
        std::lock_guard lock(m_mutex);
        m_bStop = true;
        m_cv.notify_all();
    }
    if (m_thread.joinable())
        m_thread.detach();
}
