#include "transfer/MsgImageFileXfer.h"

#include "device/DevMonStatus.h"
#include "transfer/ScanJob.h"
#include "device/ScanMessages.h"
#include "profile/Trace.h"
#include "transfer/DibBuilder.h"
#include "transfer/ScanSpool.h"
#include "transfer/SessionLink.h"
#include "transfer/TiffFileWriter.h"
#include "transfer/TransferFlags.h"
#include "transfer/XferSupport.h"

TW_UINT16 CMsgImageFileXfer::Handle(_MsgInfo* pInfo)
{
    if (CurrentState() != 600)
        return Refuse(TWCC_SEQERROR);
    if (pInfo->MSG != MSG_GET)
        return Refuse(TWCC_BADPROTOCOL);
    CScanJob& ctl = CScanJob::Current();
    const std::wstring sFile = SessionXferFileName();

    int nRet = ScanPendingPage(ctl, "in FileXfer", false);
    if (nRet != 0) {
        SetSessionState(500);
        if (!sFile.empty())
            DeleteFileW(sFile.c_str());
        ctl.CloseDeviceOnce(true);
        ClearScanInProgress(ctl);
        TRACE_TEST("%s%d", "error code:", nRet);
        ShowDeviceError(kErrRead, nRet);
        SessionCloseRequest();
        return TWRC_CANCEL;
    }

    // A page that did not reach its file is not transferred: the application may try again
    // with another name, and the page is still there for it.
    auto write = SessionFileFormat() == TWFF_TIFF ? &WriteTiffFromImage : &WriteBmpFromImage;
    if (!write(ScanImage(), ctl.EffectiveWidth(), ctl.EffectiveHeight(), ctl.PixelType(), sFile))
        return Refuse(TWCC_FILEWRITEERROR);
    SetSessionState(700);
    TraceA("file xfer done");
    if (!ctl.IsFeeder()) {
        ClearScanInProgress(ctl);
        EnableSessionDialog();
    }
    return TWRC_XFERDONE;
}
