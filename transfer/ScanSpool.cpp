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

constexpr uint32_t kViewBytes = 0x40000;
constexpr int kSpoolFailed = -10000;

struct SCloseHandle {
    void operator()(HANDLE h) const { CloseHandle(h); }
};
using CHandle = std::unique_ptr<void, SCloseHandle>;

// A view of the scan image, released with the object.
class CSpoolView {
public:
    CSpoolView(CImage& image, uint32_t nOffset, uint32_t nLength) : m_image(image)
    {
        m_pBase = image.GetDataHandle(nOffset, nLength, &m_pData);
    }
    ~CSpoolView()
    {
        if (m_pBase)
            m_image.ReleaseDataHandle(m_pBase);
    }
    CSpoolView(const CSpoolView&) = delete;
    CSpoolView& operator=(const CSpoolView&) = delete;
    uint8_t* Data() const { return m_pBase ? m_pData : nullptr; }

private:
    CImage& m_image;
    void* m_pBase = nullptr;
    uint8_t* m_pData = nullptr;
};

// A view of a spool file that is not (yet) an image's.
class CFileView {
public:
    CFileView(Data_MapFile& file, uint32_t nOffset, uint32_t nLength) : m_file(file)
    {
        m_pBase = file.GetDataHandle(nOffset, nLength, &m_pData);
    }
    ~CFileView()
    {
        if (m_pBase)
            m_file.ReleaseDataHandle(m_pBase);
    }
    CFileView(const CFileView&) = delete;
    CFileView& operator=(const CFileView&) = delete;
    uint8_t* Data() const { return m_pBase ? m_pData : nullptr; }

private:
    Data_MapFile& m_file;
    void* m_pBase = nullptr;
    uint8_t* m_pData = nullptr;
};

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

struct SProgressArgs {
    CScanJob* pJob;
};

DWORD WINAPI PageProgressThread(LPVOID)
{
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
int ReadRows(CScanJob& job, uint32_t nRowBytes, uint32_t nHeight, uint32_t* pRowsRead)
{
    const uint32_t nLinesPerView = std::max<uint32_t>(1, kViewBytes / nRowBytes);
    int nLastProgress = 0;
    CHandle hProgressThread;
    for (uint32_t nFirst = 0; nFirst < nHeight; nFirst += nLinesPerView) {
        const uint32_t nRows = std::min(nLinesPerView, nHeight - nFirst);
        CSpoolView view(ScanImage(), nFirst * nRowBytes, nRows * nRowBytes);
        if (!view.Data())
            return AbandonSpool(job, L"数据传输失败，请重启扫描任务。", 0);
        for (uint32_t i = 0; i < nRows; ++i) {
            if (!g_bReadStarted && !hProgressThread)
                hProgressThread.reset(CreateThread(nullptr, 0, &PageProgressThread, nullptr, 0, nullptr));
            int nStatus = ReadRow(view.Data() + i * nRowBytes, nRowBytes);
            g_bReadStarted = true;
            if (hProgressThread) {
                WaitForSingleObject(hProgressThread.get(), INFINITE);
                hProgressThread.reset();
            }
            if (nStatus != DEVMON_STATUS_OK)
                return nStatus;
            *pRowsRead = nFirst + i + 1;
            PostRowProgress(nFirst + i, nHeight, nLastProgress);
        }
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
