// The three transfer mechanisms, each bringing one page into a CRaster.
#pragma once

#include <functional>
#include <string>

#include "twain/TwainTypes.h"
#include "twainscan/Raster.h"
#include "twainscan/TwainSession.h"

enum class EXferOutcome { Done, Cancelled, Failed };

struct SXferResult {
    EXferOutcome outcome = EXferOutcome::Failed;
    CRaster raster;
    size_t nBytes = 0;  // image bytes received from the source
    std::string sError;
};

// Called with the bytes received so far while a page arrives.
using ProgressFn = std::function<void(size_t nBytes)>;

SXferResult TransferNative(CTwainSession& session);
SXferResult TransferMemory(CTwainSession& session, const TW_IMAGEINFO& info, bool bInvert, const ProgressFn& progress);
SXferResult TransferFile(CTwainSession& session);
