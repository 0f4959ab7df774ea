// The scan controller: the part of the scanning dialog that runs scans. It checks that a page
// fits onto the disk and into memory, opens the device, registers the device callback, hands
// the page to the transfer side, sends the scan parameters when the transfer side asks, and
// turns device events into the page counter and device state the transfer side waits on.
// The scanning dialog delegates to the one instance; scans without the dialog use it alone.
#pragma once

#include <windows.h>

#include <cstdint>
#include <optional>

#include "device/NoUIScanParam.h"
#include "device/ScanGeometry.h"
#include "device/ScanParamRecord.h"

// The device state the callback publishes (m_devState) and the event it sets with each.
int GetDevState();
void SetDevState(int nState);
// The auto-reset event made at the first job start; null before.
HANDLE DevStateEvent();

// The manual-duplex dialog's window while it is shown (the callback posts 0x568 to it).
void SetManualDuplexWindow(HWND hWnd);

// The device callbacks, on the device library's thread; the context is the controller.
int myScanCallBack(void* pContext, int nEvent, int nValue);
int myScanCallBackFB(void* pContext, int nEvent, int nValue);

class CScanController {
public:
    static CScanController& Instance();

    SScanParamRecord& Record() { return m_record; }
    const SScanParamRecord& Record() const { return m_record; }
    void SetRecord(const SScanParamRecord& rec) { m_record = rec; }

    // The size in pixels of the coming page; crop and the rotation swap change what the
    // transfers see, not these until the page is processed.
    uint32_t Width() const { return m_nWidth; }
    uint32_t Height() const { return m_nHeight; }
    void SetSize(uint32_t nWidth, uint32_t nHeight)
    {
        m_nWidth = nWidth;
        m_nHeight = nHeight;
    }
    // The next sheet of a feeder job is as large as the page the device was set up for, even
    // when the last one ended early or was cropped.
    void RestorePageSize()
    {
        if (m_nPageWidth && m_nPageHeight)
            SetSize(m_nPageWidth, m_nPageHeight);
    }
    // The size the transfers report: swapped for a quarter-turn rotation setting.
    uint32_t EffectiveWidth() const { return QuarterTurn() ? m_nHeight : m_nWidth; }
    uint32_t EffectiveHeight() const { return QuarterTurn() ? m_nWidth : m_nHeight; }
    bool QuarterTurn() const { return m_record.nRotation == kRotate90 || m_record.nRotation == kRotate270; }

    int Dpi() const { return ResolutionAt(m_record.nResolutionIndex); }
    int PixelType() const { return m_record.nColourMode; }
    bool IsFeeder() const { return m_record.nSource != kSourceFlatbed; }

    // Rows of the current page delivered by memory transfers.
    uint32_t& RowsTransferred() { return m_nRowsTransferred; }

    bool IsBusy() const { return m_bBusy; }
    // The transfer side ended the job: the dialog is usable again.
    void EndOfJob();

    // The Scan button.
    int OnBnClickedScan();
    // One scan job: 1 handed on, 0 busy, -1 failure, cancel or reported error.
    int Scan_();
    // Sends the adjustments and, with bGeometry, the scan area; 0 or -1.
    int SetScanParam(bool bGeometry);
    // The application enabled the source without its dialog: the negotiated values go into
    // the record and the scan starts at once.
    int StartScanWithoutUI(const SNoUIScanValues& values);
    // The negotiated values as capability negotiation left them.
    static SNoUIScanValues NegotiatedValues();

    // Ends the device job and closes the device unless that was done for this job; with
    // bAbort the scan is aborted first. True when it closed now.
    bool CloseDeviceOnce(bool bAbort);

    // The rotation saved at job start, restored after manual duplex turned it.
    void RestoreJobStartRotation() { m_record.nRotation = m_nJobStartRotation; }

    // Callback side.
    void OnDeviceEvent(int nEvent);
    bool m_bFirstPage = false;

private:
    CScanController();
    SInchRect ScanArea() const;
    void ComputeSize();
    bool SpaceFits();
    int FailOpen(int nStatus);

    SScanParamRecord m_record{};
    uint32_t m_nWidth = 0;
    uint32_t m_nHeight = 0;
    // The page size the device was last given with the scan geometry.
    uint32_t m_nPageWidth = 0;
    uint32_t m_nPageHeight = 0;
    uint32_t m_nRowsTransferred = 0;
    bool m_bBusy = false;
    int m_nJobStartRotation = 0;
    uint64_t m_nMergedBytes = 0;
};

// Free bytes on the drive of the Windows directory (0 when unknown).
uint64_t SystemFreeBytes();
// Available virtual memory; empty when the memory status cannot be read. pStatus receives it all.
std::optional<uint64_t> AvailVirtualBytes(MEMORYSTATUSEX* pStatus);

// Once when the dialog opens: a USB connection is tested, a failure shows the product's message.
int CheckConnection(const SScanParamRecord& rec);
// CAP_FEEDERLOADED: 1 when the device reports paper in the feeder.
int ProbePaperInFeeder();
