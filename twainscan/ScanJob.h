// One acquisition: enable, wait for the source, transfer and write each page, end each
// transfer, and disable on every path.
#pragma once

#include <string>
#include <vector>

#include "twainscan/EventPump.h"
#include "twainscan/ScanOptions.h"
#include "twainscan/TwainSession.h"

struct SPageReport {
    int nWidth = 0;
    int nHeight = 0;
    int nXRes = 0;
    int nYRes = 0;
    int nBitsPerPixel = 0;
    size_t nBytes = 0;
    std::string sFile;
};

// An exit status; the pages written so far are in pPages either way.
int RunScan(CTwainSession& session, CEventPump& pump, const SScanOptions& options, std::vector<SPageReport>* pPages);
