// The scan controller: the part of the scanning dialog that runs scans. It checks that a page
// fits onto the disk and into memory, opens the device, registers the device callback, hands
// the page to the transfer side, and sends the scan parameters when the transfer side asks
// (it is the host of the current scan job). The scanning dialog delegates to the one
// instance; scans without the dialog use it alone.
#pragma once

#include <windows.h>

#include <cstdint>

#include "device/NoUIScanParam.h"
#include "device/ScanGeometry.h"
#include "device/ScanParamRecord.h"
#include "transfer/ScanJob.h"

class CScanController : public IScanJobHost {
public:
    static CScanController& Instance();

    CScanJob& Job() { return m_job; }
    SScanParamRecord& Record() { return m_job.Record(); }
    const SScanParamRecord& Record() const { return m_job.Record(); }
    bool IsFeeder() const { return m_job.IsFeeder(); }
    int Dpi() const { return m_job.Dpi(); }

    // The Scan button.
    int OnBnClickedScan();
    // One scan job: 1 handed on, 0 busy, -1 failure, cancel or reported error.
    int Scan_();
    // IScanJobHost: sends the adjustments and, with bGeometry, the scan area; 0 or -1.
    int SetScanParam(bool bGeometry) override;
    void OnJobEnded() override {}
    // The application enabled the source without its dialog: the negotiated values go into
    // the record and the scan starts at once.
    int StartScanWithoutUI(const SNoUIScanValues& values);
    // The negotiated values as capability negotiation left them.
    static SNoUIScanValues NegotiatedValues();

private:
    CScanController();
    SInchRect ScanArea() const;
    void ComputeSize();
    bool SpaceFits();
    int FailOpen(int nStatus);

    CScanJob& m_job;
    uint64_t m_nMergedBytes = 0;
};

// Once when the dialog opens: a USB connection is tested, a failure shows the product's message.
int CheckConnection(const SScanParamRecord& rec);
// CAP_FEEDERLOADED: 1 when the device reports paper in the feeder.
int ProbePaperInFeeder();
