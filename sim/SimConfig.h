// The simulated scanner's settings, read from its own INI file ("mvlsim.ini" beside the
// library, or the file named by MVLSIM_INI). Every key has a default that makes a healthy
// USB scanner with a three-sheet feeder.
#pragma once

#include <map>
#include <string>
#include <vector>

enum class EFaultKind { kNone, kNullPointer, kDivideByZero, kThrow };

struct SSimConfig {
    // [Device]
    int nFeederSheets = 3;
    bool bPaperInFeeder = true;
    bool bUsbPresent = true;
    int nScanSpeed = 0;          // lines per second, 0 = unlimited
    int nNextPageDelayMs = 0;
    int nManualDuplexWaitMs = 200;
    double dSkewDegrees = 0;
    int nPlatenGrey = 48;        // what the scanner sees around the page: 48 dark, 255 a white lid
    double dOffsetXmm = 0, dOffsetYmm = 0;
    double dPageWidthMm = 210, dPageHeightMm = 297;
    std::string sPageBmp;
    // [Faults]: raw result codes; -1 where it says so means "not forced"
    int nOpenResult = 0;
    int nADFStatus = -1;         // -1: 0 with paper, raw 7 without
    int nSetParamResult = 0;
    int nStartResult = 0;
    int nReadErrorLine = -1;     // a read reaching this line of a page fails with nReadErrorCode
    int nReadErrorCode = 1;
    int nEofAtLine = -1;         // the page's data ends (raw 2) at this line
    int nLastError = 0;
    int nStallAfterPage = 0;     // after this many pages the job delivers nothing more (0 = never)
    std::map<std::string, EFaultKind> faults;  // function name -> fault raised on entry
    // [Network]
    std::vector<std::string> scanners;
    std::vector<std::string> reachable;
    int nDetectResult = 1;       // for a target neither found nor reachable
    int nSearchResult = 0;       // raw result of ScanDrv_BroadcastMFP (not 0: the search failed)
    int nSearchDelayMs = 0;      // a search takes this long; -1: it never answers
    int nDetectDelayMs = 0;      // a connection test takes this long; -1: it never answers
    int nCheckConnect = -1;      // -1: 0 when the USB device is present, else 1
    // [Log]
    std::string sLogPath;

    EFaultKind FaultFor(const std::string& sFunction) const;
    int AdfStatus() const;
    int CheckConnectResult() const;
    bool IsKnownNetworkName(const std::string& sName) const;
};

// Parses INI text; unknown sections and keys are ignored, bad numbers keep the default.
SSimConfig ParseSimConfig(const std::string& sText);
// Reads and parses a file; a missing file gives the defaults.
SSimConfig LoadSimConfig(const std::string& sPath);
