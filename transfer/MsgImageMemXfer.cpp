#include "transfer/MsgImageMemXfer.h"

#include <windows.h>

#include <cstring>

#include "device/DevMonStatus.h"
#include "transfer/ScanJob.h"
#include "device/ScanMessages.h"
#include "profile/Trace.h"
#include "transfer/AppLink.h"
#include "transfer/DibLayout.h"
#include "transfer/Image.h"
#include "transfer/ScanSpool.h"
#include "transfer/SessionLink.h"
#include "transfer/TransferFlags.h"
#include "transfer/XferSupport.h"

namespace {

constexpr TW_UINT32 kMemFlags = 0x19;
constexpr TW_UINT32 kMemHandle = 0x10;

// The application's memory: a pointer, or a handle to lock for the call.
class CAppMemory {
public:
    explicit CAppMemory(const TW_MEMORY& mem) : m_bHandle((mem.Flags & kMemHandle) != 0), m_hMem(mem.TheMem)
    {
        m_pData = static_cast<uint8_t*>(m_bHandle && m_hMem ? GlobalLock(static_cast<HGLOBAL>(m_hMem)) : m_hMem);
    }
    ~CAppMemory()
    {
        if (m_bHandle && m_pData)
            GlobalUnlock(static_cast<HGLOBAL>(m_hMem));
    }
    CAppMemory(const CAppMemory&) = delete;
    CAppMemory& operator=(const CAppMemory&) = delete;
    uint8_t* Data() const { return m_pData; }

private:
    bool m_bHandle;
    void* m_hMem;
    uint8_t* m_pData = nullptr;
};

}  // namespace

TW_UINT16 CMsgImageMemXfer::Handle(_MsgInfo* pInfo)
{
    if (CurrentState() != 600 && CurrentState() != 700) {
        SetSessionCondition(TWCC_SEQERROR);
        g_bScanStarted = false;
        return g_appFlags.bClientXfer ? TWRC_SUCCESS : TWRC_FAILURE;
    }
    if (pInfo->MSG != MSG_GET) {
        g_bScanStarted = false;
        return Refuse(TWCC_BADPROTOCOL);
    }
    auto* pXfer = static_cast<TW_IMAGEMEMXFER*>(pInfo->pData);
    if (!pXfer)
        return Refuse(TWCC_BADVALUE);
    CScanJob& ctl = CScanJob::Current();

    if (g_bNeedScan) {
        m_cursor.ResetRow();
        int nRet = ScanPendingPage(ctl, "in MemXfer", false);
        TraceA("CMsgImageMemXfer::Handle: g_iScanThreadRet = %d", nRet);
        if (nRet != 0) {
            pXfer->Compression = TWCP_NONE;
            SetSessionState(500);
            ctl.CloseDeviceOnce(true);
            ClearScanInProgress(ctl);
            if (nRet < 0 && nRet != -10000)
                ShowDeviceError(kErrRead, nRet);
            SessionCloseRequest();
            g_bScanStarted = false;
            return TWRC_CANCEL;
        }
    }

    CAppMemory mem(pXfer->Memory);
    const SMemXferPage page{ctl.EffectiveWidth(), ctl.EffectiveHeight(), ctl.PixelType()};
    CImage& image = ScanImage();
    const uint32_t nRowBytes = CMemXferCursor::RowBytes(page);
    // Rows come from the spool by position, whatever the resolution, through a view that moves
    // along with the strips.
    auto reader = [&](uint32_t nRow, uint8_t* pDest, uint32_t nBytes) {
        Data_MapFile* pSpool = image.MapFile();
        const uint64_t nOffset = uint64_t(nRow) * nRowBytes;
        const uint8_t* pData = pSpool && nOffset <= 0xFFFFFFFFull
                                   ? pSpool->Window(static_cast<DWORD>(nOffset), nBytes)
                                   : nullptr;
        if (!pData)
            return false;
        std::memcpy(pDest, pData, nBytes);
        return true;
    };
    SMemStrip s = m_cursor.Next(page, mem.Data(), pXfer->Memory.Length, ctl.RowsTransferred(), reader);
    if (s.eResult == SMemStrip::kNoMemory) {
        SetSessionState(600);
        ClearScanInProgress(ctl);
        g_bScanStarted = false;
        return Refuse(TWCC_LOWMEMORY);
    }
    if (s.eResult == SMemStrip::kRefused)
        return Refuse(TWCC_BADVALUE);

    pXfer->Compression = TWCP_NONE;
    pXfer->BytesPerRow = s.nBytesPerRow;
    pXfer->Columns = s.nColumns;
    pXfer->Rows = s.nRows;
    pXfer->XOffset = s.nXOffset;
    pXfer->YOffset = s.nYOffset;
    pXfer->BytesWritten = s.nBytesWritten;
    pXfer->Memory.Flags = kMemFlags;
    SetSessionState(700);
    if (s.eResult != SMemStrip::kLastStrip)
        return TWRC_SUCCESS;
    if (Data_MapFile* pSpool = image.MapFile())
        pSpool->ReleaseWindow();
    if (!ctl.IsFeeder())
        ClearScanInProgress(ctl);
    g_bNeedScan = true;
    if (g_appFlags.bMsScanViewer)
        g_bScanStarted = false;
    return TWRC_XFERDONE;
}
