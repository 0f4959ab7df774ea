#include "transfer/ScanSpool.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <vector>

#include "device/DevMonStatus.h"
#include "device/LLDGlobal.h"
#include "transfer/ScanJob.h"
#include "device/ScanMessages.h"
#include "imaging/AutoCrop.h"
#include "imaging/Deskew.h"
#include "imaging/ImgEffectBinding.h"
#include "imaging/PixelConvert.h"
#include "imaging/Rotate.h"
#include "profile/ProductProfile.h"
#include "profile/Trace.h"
#include "transfer/DibLayout.h"
#include "transfer/Image.h"
#include "transfer/ScanProgress.h"
#include "transfer/SessionLink.h"
#include "transfer/TransferFlags.h"

namespace {

// Rows travel in chunks of a quarter of a mebibyte: written by the device and read by the file
// cache while they are still in the processor's second-level cache.
constexpr uint32_t kChunkBytes = 0x40000;
constexpr int kSpoolFailed = -10000;

struct SCloseHandle {
    void operator()(HANDLE h) const { CloseHandle(h); }
};
using CHandle = std::unique_ptr<void, SCloseHandle>;

// The spool cannot be used: the job ends and the application is asked to close the source.
int AbandonSpool(CScanJob& job, const wchar_t* pszText, int nStringId)
{
    job.CloseDeviceOnce(true);
    SessionCloseRequest();
    if (pszText)
        ShowScanText(pszText);
    else
        ShowScanMessage(nStringId);
    return kSpoolFailed;
}

// Polls the device every 200 ms until the first row has come (hFirstRow is set then): the
// wait wakes at once, so that the reader does not wait for a poll that has nothing left to do.
DWORD WINAPI PageProgressThread(LPVOID pFirstRow)
{
    HANDLE hFirstRow = static_cast<HANDLE>(pFirstRow);
    int nValue = 0, nTotalLines = 0;
    g_LLD.DevMon_GetScanParameter(&nValue, &nTotalLines);
    int nState = 0;
    while (!g_bReadStarted) {
        int nLine = 0;
        nState = 0;
        g_LLD.DevMon_GetCurScanLineNum(&nLine, &nState);
        const bool bScanning = nState == 15 || nState == 254;
        if (bScanning && nLine != 0 && nTotalLines != 0 && nTotalLines >= nLine)
            PostToProgress(kMsgProgress, static_cast<WPARAM>((int64_t(nLine) * 80 + 80) / nTotalLines));
        int nTotal = 0, nDone = 0;
        g_LLD.DevMon_GetCurTransferSize(&nTotal, &nDone);
        if (bScanning && nLine == 0 && nTotal > 0 && nTotal >= nDone)
            PostToProgress(kMsgProgress, static_cast<WPARAM>((int64_t(nDone) * 10 + 10) / nTotal + 80));
        if (g_bReadStarted)
            break;
        if (hFirstRow)
            WaitForSingleObject(hFirstRow, 200);
        else
            Sleep(200);
    }
    if (nState == 15 || nState == 254) {
        g_iProgressBase = 90;
        PostToProgress(kMsgProgress, 90);
    }
    return 0;
}

// Reads one row from the device: the wrapper may hand over less than asked for.
int ReadRow(uint8_t* pRow, uint32_t nRowBytes)
{
    uint32_t nDone = 0;
    while (nDone < nRowBytes) {
        int nRead = 0;
        int nStatus = g_LLD.DevMon_ReadScanData(pRow + nDone, static_cast<int>(nRowBytes - nDone), &nRead);
        if (nStatus != DEVMON_STATUS_OK)
            return nStatus;
        if (nRead <= 0)
            return DEVMON_STATUS_FAIL;  // a device that gives nothing would keep the page forever
        nDone += static_cast<uint32_t>(nRead);
    }
    return DEVMON_STATUS_OK;
}

void PostRowProgress(uint32_t nRow, uint32_t nHeight, int& nLastProgress)
{
    const int nBase = g_iProgressBase;
    int nProgress = static_cast<int>(int64_t(nRow + 1) * (100 - nBase) / nHeight + nBase);
    if (nProgress == nLastProgress)
        return;
    PostToProgress(kMsgProgress, static_cast<WPARAM>(nProgress));
    if (nProgress > 90)
        Sleep(1);
    if (nProgress > 98)
        Sleep(3);
    nLastProgress = nProgress;
}

// Reads the page's rows into the spool; sets *pRowsRead. 0, a device status or kSpoolFailed.
// The rows come into a chunk that stays in the processor's cache and go on into the spool file
// from there, a chunk at a time; rows read before the device stopped are kept.
int ReadRows(CScanJob& job, uint32_t nRowBytes, uint32_t nHeight, uint32_t* pRowsRead)
{
    const uint32_t nChunkRows = std::max<uint32_t>(1, kChunkBytes / nRowBytes);
    std::vector<uint8_t> chunk;
    try {
        chunk.resize(size_t(nChunkRows) * nRowBytes);
    } catch (const std::bad_alloc&) {
        return AbandonSpool(job, nullptr, 1105);
    }
    Data_MapFile& spool = *ScanImage().MapFile();
    int nLastProgress = 0;
    CHandle hFirstRow(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    CHandle hProgressThread;
    for (uint32_t nFirst = 0; nFirst < nHeight; nFirst += nChunkRows) {
        const uint32_t nRows = std::min(nChunkRows, nHeight - nFirst);
        int nStatus = DEVMON_STATUS_OK;
        uint32_t nGot = 0;
        for (; nGot < nRows; ++nGot) {
            if (!g_bReadStarted && !hProgressThread)
                hProgressThread.reset(CreateThread(nullptr, 0, &PageProgressThread, hFirstRow.get(), 0, nullptr));
            nStatus = ReadRow(chunk.data() + size_t(nGot) * nRowBytes, nRowBytes);
            g_bReadStarted = true;
            if (hProgressThread) {
                if (hFirstRow)
                    SetEvent(hFirstRow.get());
                WaitForSingleObject(hProgressThread.get(), INFINITE);
                hProgressThread.reset();
            }
            if (nStatus != DEVMON_STATUS_OK)
                break;
            *pRowsRead = nFirst + nGot + 1;
            PostRowProgress(nFirst + nGot, nHeight, nLastProgress);
        }
        if (nGot > 0 && !spool.Write(nFirst * nRowBytes, chunk.data(), nGot * nRowBytes))
            return AbandonSpool(job, L"数据传输失败，请重启扫描任务。", 0);
        if (nStatus != DEVMON_STATUS_OK)
            return nStatus;
    }
    return DEVMON_STATUS_OK;
}

int BitsFor(int nPixelType) { return nPixelType == 0 ? 1 : nPixelType == 1 ? 8 : 24; }

}  // namespace

CImage& ScanImage()
{
    static CImage s_image;
    return s_image;
}

int ScanToImageBuf_mapfile(CScanJob& job, uint32_t nWidth, uint32_t nHeight, int nPixelType,
                           int nResolution)
{
    CImage& image = ScanImage();
    image.FreeData();
    const int nSamples = nPixelType == 2 ? 3 : 1;
    const int nBitsPerSample = nPixelType == 0 ? 1 : 8;
    const uint32_t nRowBytes = SpoolRowBytes(nWidth, nSamples * nBitsPerSample);
    bool bCreated = false;
    if (nRowBytes != 0 && nHeight != 0 && uint64_t(nRowBytes) * nHeight <= 0xFFFFFFFFull) {
        try {
            bCreated = image.CreateMapFile(nSamples, nBitsPerSample, static_cast<int>(nWidth),
                                           static_cast<int>(nHeight), nResolution, nResolution) != 0;
        } catch (const std::exception&) {
            bCreated = false;
        }
    }
    if (!bCreated)
        return AbandonSpool(job, nullptr, 1105);

    g_iProgressBase = 0;
    g_bReadStarted = false;
    uint32_t nRowsRead = 0;
    int nStatus = ReadRows(job, nRowBytes, nHeight, &nRowsRead);
    if (nStatus == ScanDrv_STATUS_EOF && nRowsRead > 0) {
        // The device ended the page early: keep what came, as a shorter page.
        TraceA("CDsAssistor::ScanToImageBuf_mapfile: DevMon_ReadScanData return ScanDrv_STATUS_EOF");
        if (nRowsRead < job.Height())
            TraceA("CDsAssistor::ScanToImageBuf_mapfile: pDlg->m_nHeight(%d) not equal height(%d)",
                   static_cast<int>(job.Height()), static_cast<int>(nRowsRead));
        nHeight = nRowsRead;
        job.SetSize(job.Width(), nHeight);
        image.SetHeight(static_cast<int>(nHeight));
        nStatus = DEVMON_STATUS_OK;
    }
    if (nStatus != DEVMON_STATUS_OK) {
        g_bReadStarted = false;
        return nStatus;
    }

    if (g_bAutoDeskew)
        AutoRotate(job, nPixelType, nResolution);
    if (g_bAutoCrop)
        AutoCrop(job, nPixelType, nResolution);

    const int nSetting = job.Record().nRotation;
    if (nSetting > 0) {
        static constexpr int kAngles[4] = {0, 270, 90, 180};
        const int nAngle = nSetting <= 3 ? kAngles[nSetting] : 0;
        if (!RotateImageQuarter(image, BitsFor(nPixelType), job.Width(), job.Height(), nAngle))
            return -1;
        if (nAngle != 180) {
            image.SetWidth(static_cast<int>(job.Height()));
            image.SetHeight(static_cast<int>(job.Width()));
        }
    }
    image.ResetReadPos();
    g_iProgressBase = 0;
    g_bReadStarted = false;
    return 0;
}
