// The current scan job as the transfer side sees it: the scan-parameter record it runs with,
// the size of its page, the rows a memory transfer has delivered, whether it is running, and
// the one closing of the device per job. The scan control above (the scanning dialog's
// controller) starts jobs and sends the scan parameters; it registers itself as the host, so
// that the transfer side reaches it without knowing it.
#pragma once

#include <cstdint>

#include "device/ScanGeometry.h"
#include "device/ScanParamRecord.h"

// What the transfer side asks of the scan control.
class IScanJobHost {
public:
    virtual ~IScanJobHost() = default;
    // Sends the adjustments and, with bGeometry, the scan area: 0, or -1 after the failure was
    // shown and the device closed.
    virtual int SetScanParam(bool bGeometry) = 0;
    // The transfer side ended the job.
    virtual void OnJobEnded() = 0;
};

class CScanJob {
public:
    static CScanJob& Current();

    void SetHost(IScanJobHost* pHost) { m_pHost = pHost; }

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
    // The device was set up for the current size: the sheets of a feeder job that follow are
    // read at it.
    void KeepPageSize()
    {
        m_nPageWidth = m_nWidth;
        m_nPageHeight = m_nHeight;
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
    void SetBusy(bool bBusy) { m_bBusy = bBusy; }
    // The transfer side ended the job: the dialog is usable again and the host is told.
    void EndOfJob();

    // Through the host; -1 without one.
    int SetScanParam(bool bGeometry);

    // Ends the device job and closes the device unless that was done for this job; with
    // bAbort the scan is aborted first. True when it closed now.
    bool CloseDeviceOnce(bool bAbort);

    // The rotation at job start, restored after manual duplex turned it.
    int JobStartRotation() const { return m_nJobStartRotation; }
    void SetJobStartRotation(int nRotation) { m_nJobStartRotation = nRotation; }
    void RestoreJobStartRotation() { m_record.nRotation = m_nJobStartRotation; }

    // Set before a feeder job: its first page event signals nothing.
    bool FirstPage() const { return m_bFirstPage; }
    void SetFirstPage(bool bFirst) { m_bFirstPage = bFirst; }

private:
    CScanJob();

    IScanJobHost* m_pHost = nullptr;
    SScanParamRecord m_record{};
    uint32_t m_nWidth = 0;
    uint32_t m_nHeight = 0;
    // The page size the device was last given with the scan geometry.
    uint32_t m_nPageWidth = 0;
    uint32_t m_nPageHeight = 0;
    uint32_t m_nRowsTransferred = 0;
    bool m_bBusy = false;
    bool m_bFirstPage = false;
    int m_nJobStartRotation = 0;
};
