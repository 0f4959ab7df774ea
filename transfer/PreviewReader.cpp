#include "transfer/PreviewReader.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <mutex>
#include <thread>

#include "device/DevMonStatus.h"
#include "imaging/BlankOutsideArea.h"
#include "profile/Trace.h"
#include "transfer/TransferFlags.h"

namespace {

constexpr int kStateScanning = 15, kStateBuffered = 254;  // line states while the device scans
constexpr auto kPollPeriod = std::chrono::milliseconds(200);

void Pause(int nMs) { std::this_thread::sleep_for(std::chrono::milliseconds(nMs)); }

// The first row has come back: the line poller ends at once instead of at its next poll.
class CReadStart {
public:
    void Set()
    {
        {
            std::lock_guard lock(m_mutex);
            g_bReadStarted = true;
        }
        m_cv.notify_all();
    }
    // Waits up to one poll period; true when reading has started.
    bool WaitPoll()
    {
        std::unique_lock lock(m_mutex);
        return m_cv.wait_for(lock, kPollPeriod, [] { return g_bReadStarted.load(); });
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_cv;
};

// ScanProgressThread: the device's scanning progress until the first row arrives, as the first
// 90 percent of the bar.
void ScanProgressThread(IPreviewDevice& device, IPreviewSink& sink, CReadStart& start)
{
    int nValue = 0, nHeight = 0;
    device.GetScanParameter(&nValue, &nHeight);
    int nState = 0;
    for (;;) {
        int nLines = 0;
        nState = 0;
        device.GetCurScanLineNum(&nLines, &nState);
        const bool bScanning = nState == kStateScanning || nState == kStateBuffered;
        if (bScanning && nLines > 0 && nLines <= nHeight)
            sink.OnProgress(static_cast<int>((int64_t(nLines) * 90 + 90) / nHeight));
        if (g_bReadStarted || start.WaitPoll())
            break;
    }
    if (nState == kStateScanning || nState == kStateBuffered) {
        g_iProgressBase = 90;
        sink.OnProgress(90);
    }
}

_ImageDesc BandDesc(const SPreviewImages& img, int nRows)
{
    return _ImageDesc{nRows, img.nWidth * 3, img.nWidth, 24, 0, 0};
}

// Rows [nFirst, nEnd): the edge strips whitened in the kept rows, copied to the display image
// and adjusted there.
void ProcessBand(const SPreviewGeometry& g, CImageEffects* pEffects, const _ImageAdjustments& adj,
                 const SPreviewImages& img, int nFirst, int nEnd, bool bBlank)
{
    const int nRows = nEnd - nFirst;
    if (nRows <= 0)
        return;
    const size_t nRowBytes = size_t(img.nWidth) * 3;
    uint8_t* pWork = img.pWork + nRowBytes * nFirst;
    uint8_t* pShown = img.pDisplay + nRowBytes * nFirst;
    const _ImageDesc desc = BandDesc(img, nRows);
    if (bBlank) {
        _BlankMargins margins;
        margins.m_nLeft = PreviewLeftStrip(g.nDpi);
        margins.m_nTop = PreviewTopStrip(g.nDpi);
        BlankOutsideArea(desc, pWork, margins, nFirst, img.nHeight);
    }
    std::memcpy(pShown, pWork, nRowBytes * nRows);
    if (pEffects)
        ApplyImageEffects(*pEffects, desc, pShown, adj, g.bRemapThreshold);
}

class CPreviewRun {
public:
    CPreviewRun(const SPreviewGeometry& g, IPreviewDevice& device, CImageEffects* pEffects,
                const _ImageAdjustments& adj, const SPreviewImages& img, IPreviewSink& sink)
        : m_g(g), m_device(device), m_pEffects(pEffects), m_adj(adj), m_img(img), m_sink(sink)
    {
    }

    SPreviewResult Run()
    {
        if (!Start())
            return m_result;
        std::fill_n(m_img.pDisplay, size_t(m_img.nWidth) * 3 * m_img.nHeight, uint8_t(0xFF));
        m_sink.OnBand(0, m_img.nHeight);
        if (!m_g.bSecondThread)
            TraceA("Previewthread 3");
        ReadRows();
        // What came before a failure, a cancel or an early end stays shown.
        FlushBand();
        m_device.EndJobAndClose();
        if (!m_g.bSecondThread)
            TraceA("Previewthread 4");
        return m_result;
    }

private:
    bool Start()
    {
        m_result.nStatus = m_device.SetScanParameter(MakePreviewScanParams(m_g.nDpi, m_g.nRight, m_g.nBottom));
        if (m_result.nStatus != DEVMON_STATUS_OK) {
            if (m_g.bSecondThread)
                TraceA("pDlg->m_iPreviewRet != DEVMON_STATUS_OK");
            return false;
        }
        m_result.nStatus = m_device.StartScan();
        if (m_result.nStatus != DEVMON_STATUS_OK && m_result.nStatus != STATUS_SCANNING) {
            if (m_g.bSecondThread)
                TraceA("pDlg->m_iPreviewRet != STATUS_SCANNING");
            return false;
        }
        m_result.nStatus = DEVMON_STATUS_OK;
        return true;
    }

    void ReadRows()
    {
        const int nRowBytes = m_img.nWidth * 3;
        int nLastProgress = -1;
        for (int nRow = 0; nRow < m_img.nHeight; ++nRow) {
            if (m_sink.Cancelled()) {
                TraceA("Preview cancelled at row %d", nRow);
                m_device.AbortScan();
                return;
            }
            int nRead = 0;
            const int nStatus = ReadOneRow(m_img.pWork + size_t(nRowBytes) * nRow, nRowBytes, &nRead);
            if (nStatus != DEVMON_STATUS_OK) {
                m_result.nStatus = nStatus;
                TraceA("g_LLD.DevMon_ReadScanData error");
                return;
            }
            if (nRead == 0) {
                if (m_g.bSecondThread)
                    TraceA("nBytesRead == 0");
                return;
            }
            m_result.nRows = nRow + 1;
            if (m_result.nRows % m_g.nBandRows == 0 || m_result.nRows == m_img.nHeight)
                FlushBand();
            if (!m_g.bSecondThread)
                RowProgress(nRow, nLastProgress);
        }
    }

    // One row; the line poller runs until the first row is back.
    int ReadOneRow(uint8_t* pRow, int nRowBytes, int* pnRead)
    {
        if (m_g.bSecondThread || g_bReadStarted)
            return m_device.ReadScanData(pRow, nRowBytes, pnRead);
        CReadStart start;
        std::jthread poller([&] { ScanProgressThread(m_device, m_sink, start); });
        const int nStatus = m_device.ReadScanData(pRow, nRowBytes, pnRead);
        start.Set();
        return nStatus;
    }

    void FlushBand()
    {
        if (m_result.nRows <= m_nShown)
            return;
        ProcessBand(m_g, m_pEffects, m_adj, m_img, m_nShown, m_result.nRows, true);
        m_nShown = m_result.nRows;
        m_sink.OnBand(m_nShown, m_img.nHeight);
        if (m_g.bSecondThread) {
            m_sink.OnProgress(static_cast<int>(int64_t(m_nShown) * 100 / m_img.nHeight));
            Pause(10);
        }
    }

    void RowProgress(int nRow, int& nLast)
    {
        const int nBase = g_iProgressBase;
        const int nProgress = static_cast<int>(nBase + int64_t(nRow + 1) * (100 - nBase) / m_img.nHeight);
        if (nProgress == nLast)
            return;
        nLast = nProgress;
        m_sink.OnProgress(nProgress);
        if (nProgress > 90)
            Pause(1);
        if (nProgress > 98)
            Pause(3);
    }

    const SPreviewGeometry& m_g;
    IPreviewDevice& m_device;
    CImageEffects* m_pEffects;
    const _ImageAdjustments& m_adj;
    const SPreviewImages& m_img;
    IPreviewSink& m_sink;
    SPreviewResult m_result;
    int m_nShown = 0;
};

}  // namespace

int PreviewLeftStrip(int nDpi) { return static_cast<int>(1.5 * nDpi / 25.4); }
int PreviewTopStrip(int nDpi) { return static_cast<int>(2.0 * nDpi / 25.4); }

SPreviewGeometry PreviewGeometryFor(const SProductFlags& flags)
{
    SPreviewGeometry g;
    if (flags.bIsTevoA3) {
        g.nDpi = 150;
        g.nWidth = 1754;
        g.nHeight = 2551;
        g.nRight = 14032;
        g.nBottom = 20408;
        g.nBandRows = 40;
        g.bSecondThread = true;
        g.bRemapThreshold = true;
        return g;
    }
    if (flags.bHasA3) {
        g.nWidth = 877;
        g.nHeight = 1275;
    }
    g.nRight = g.nWidth * 16;
    g.nBottom = g.nHeight * 16;
    g.bRemapThreshold = flags.bIsVireo || flags.bQX5031;
    return g;
}

SPreviewResult ReadPreview(const SPreviewGeometry& g, IPreviewDevice& device, CImageEffects* pEffects,
                           const _ImageAdjustments& adj, const SPreviewImages& images, IPreviewSink& sink)
{
    if (!images.pWork || !images.pDisplay || images.nWidth <= 0 || images.nHeight <= 0 || g.nBandRows <= 0)
        return {DEVMON_STATUS_FAIL, 0};
    return CPreviewRun(g, device, pEffects, adj, images, sink).Run();
}

void ReprocessPreview(const SPreviewGeometry& g, CImageEffects* pEffects, const _ImageAdjustments& adj,
                      const SPreviewImages& images, int nRows)
{
    if (!images.pWork || !images.pDisplay || images.nWidth <= 0 || g.nBandRows <= 0)
        return;
    nRows = std::clamp(nRows, 0, images.nHeight);
    for (int nFirst = 0; nFirst < nRows; nFirst += g.nBandRows)
        ProcessBand(g, pEffects, adj, images, nFirst, std::min(nFirst + g.nBandRows, nRows), false);
}
