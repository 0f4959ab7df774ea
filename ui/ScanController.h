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
#include "device/SpaceCheck.h"
#include "transfer/ScanJob.h"

class IScanOutput;

class CScanController : public IScanJobHost {
public:
    static CScanController& Instance();

    CScanJob& Job() { return m_job; }
    SScanParamRecord& Record() { return m_job.Record(); }
    const SScanParamRecord& Record() const { return m_job.Record(); }
    bool IsFeeder() const { return m_job.IsFeeder(); }
    int Dpi() const { return m_job.Dpi(); }

    // One scan job: 1 handed on, 0 busy, -1 failure, cancel or reported error.
    int Scan_();
    // IScanJobHost: sends the adjustments and, with bGeometry, the scan area; 0 or -1.
    int SetScanParam(bool bGeometry) override;
    void OnJobEnded() override {}
    // The negotiated values as capability negotiation left them (a scan without the dialog).
    static SNoUIScanValues NegotiatedValues();
    // The scan area of the record (or of the application's frame without the dialog), in inches.
    SInchRect ScanArea() const;

    // File-output mode: the description of the output files, null when there is none.
    void SetScanOutput(IScanOutput* pOutput) { m_pOutput = pOutput; }
    IScanOutput* ScanOutput() const { return m_pOutput; }
    // Merge scanning: the next flatbed page goes into the same output, and the bytes of the
    // pages merged so far. A scan from the button starts the total with its own page.
    bool MergeScanNextPage() const { return m_bMergeScanNextPage; }
    void SetMergeScanNextPage(bool bNext) { m_bMergeScanNextPage = bNext; }
    void StartMergeTotal();
    void ResetMergeTotal() { m_nMergedBytes = 0; }

private:
    CScanController();
    void ComputeSize();
    // The output file of file-output mode: a name not yet used, stored for the calling
    // program; false (after the message) when the output cannot be delivered.
    bool PrepareOutputFile();
    // The output folder's part of the space check (file-output mode); false after the message
    // when the folder cannot be used.
    bool AddOutputSpace(SScanSpaceInput& in) const;
    bool SpaceFits();
    int FailOpen(int nStatus);

    CScanJob& m_job;
    IScanOutput* m_pOutput = nullptr;
    bool m_bMergeScanNextPage = false;
    uint64_t m_nMergedBytes = 0;
};

// Once when the dialog opens: a USB connection is tested, a failure shows the product's message.
int CheckConnection(const SScanParamRecord& rec);
// CAP_FEEDERLOADED: 1 when the device reports paper in the feeder.
int ProbePaperInFeeder();
