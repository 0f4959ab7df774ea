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
    bool bWritten = false;  // the source wrote the output file itself; the raster holds no pixels
};

// Called with the bytes received so far while a page arrives.
using ProgressFn = std::function<void(size_t nBytes)>;

SXferResult TransferNative(CTwainSession& session);
SXferResult TransferMemory(CTwainSession& session, const TW_IMAGEINFO& info, bool bInvert, const ProgressFn& progress);
// The page as a BMP in a temporary file, read back into the raster.
SXferResult TransferFile(CTwainSession& session);
// The source writes the output file itself in wFormat (TWFF_BMP, TWFF_TIFF); a source that
// refuses the file or the format is asked for a temporary BMP instead.
SXferResult TransferFileAs(CTwainSession& session, const std::wstring& sTarget, TW_UINT16 wFormat);
