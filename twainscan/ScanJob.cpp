#include "twainscan/ScanJob.h"

#include <cstdio>
#include <cstdlib>

#include "twainscan/ExitStatus.h"
#include "twainscan/ImageWriter.h"
#include "twainscan/Text.h"
#include "twainscan/TwainNames.h"
#include "twainscan/Transfers.h"

namespace {

std::string ConditionWords(CTwainSession& session)
{
    return std::string(ConditionCodeText(session.LastCondition())) + " (" +
           ConditionCodeName(session.LastCondition()) + ")";
}

// Sources may take DAT_IMAGELAYOUT and still scan their paper size (without their dialog the
// area often goes unused): say so rather than let a whole page pass for the area asked for.
void WarnIfNotTheAreaAskedFor(const SScanOptions& options, const CRaster& raster)
{
    auto pixels = [](double dMm, int nDpi) { return static_cast<int>(dMm / 25.4 * nDpi + 0.5); };
    const int nSlack = 2;
    bool bWidthOff = options.dWidth && raster.nXRes > 0 &&
                     std::abs(raster.nWidth - pixels(*options.dWidth, raster.nXRes)) > nSlack;
    bool bHeightOff = options.dHeight && raster.nYRes > 0 &&
                      std::abs(raster.nHeight - pixels(*options.dHeight, raster.nYRes)) > nSlack;
    if (bWidthOff || bHeightOff)
        fprintf(stderr, "twainscan: warning: the source scanned %d x %d pixels, not the area asked for with -x and -y\n",
                raster.nWidth, raster.nHeight);
}

bool CurrentBool(CTwainSession& session, TW_UINT16 wCap, bool* pValue, TW_UINT16 wMsg = MSG_GETCURRENT)
{
    SCapValue value;
    std::string sError;
    if (!session.GetCap(wCap, wMsg, &value, &sError))
        return false;
    std::optional<double> d = CurrentNumber(value);
    *pValue = d && *d != 0;
    return d.has_value();
}

TW_UINT16 CurrentUint(CTwainSession& session, TW_UINT16 wCap, TW_UINT16 wDefault)
{
    SCapValue value;
    std::string sError;
    if (!session.GetCap(wCap, MSG_GETCURRENT, &value, &sError))
        return wDefault;
    std::optional<double> d = CurrentNumber(value);
    return d ? static_cast<TW_UINT16>(*d) : wDefault;
}

class CScanJob {
public:
    CScanJob(CTwainSession& session, CEventPump& pump, const SScanOptions& options, std::vector<SPageReport>* pPages)
        : m_session(session), m_pump(pump), m_options(options), m_pPages(pPages)
    {
    }
    int Run();

private:
    int TransferPages();
    int TransferOne(TW_UINT16 wMech, bool bInvert, TW_UINT16* pRemaining);
    SXferResult TransferFileTo(const std::string& sFile);
    void Reset();

    CTwainSession& m_session;
    CEventPump& m_pump;
    const SScanOptions& m_options;
    std::vector<SPageReport>* m_pPages;
};

int CScanJob::Run()
{
    bool bFeeder = false;
    bool bLoaded = true;
    if (CurrentBool(m_session, CAP_FEEDERENABLED, &bFeeder) && bFeeder &&
        // MSG_GET: sources refresh the feeder state from the device only when asked for it afresh.
        CurrentBool(m_session, CAP_FEEDERLOADED, &bLoaded, MSG_GET) && !bLoaded)
        return Fail(EXIT_NOTHING_TO_SCAN, "nothing to scan: the document feeder is empty");
    if (!m_options.bNoCallback)
        m_pump.RegisterCallback(m_session);
    m_pump.Clear();
    TW_UINT16 twRc = m_session.Enable(m_options.bShowUi, m_options.bNoWindow ? nullptr : m_pump.Window());
    if (!m_session.Enabled()) {
        if (twRc == TWRC_CANCEL)
            return Fail(EXIT_CANCELLED, "cancelled");
        return Fail(EXIT_DEVICE_ERROR, "the source could not start: " + ConditionWords(m_session));
    }
    int nStatus = EXIT_OK;
    for (;;) {
        DWORD dwMillis = static_cast<DWORD>(m_options.nTimeoutSeconds) * 1000;
        TW_UINT16 wMsg = m_pump.Wait(m_session, dwMillis);
        if (wMsg == MSG_NULL) {
            nStatus = Fail(EXIT_TIMEOUT, "the source did not get ready within " +
                                             std::to_string(m_options.nTimeoutSeconds) + " seconds");
            break;
        }
        if (wMsg == MSG_CLOSEDSREQ || wMsg == MSG_CLOSEDSOK) {
            // A close request before any page: the user closed the dialog, or without one the
            // source found nothing to scan (an empty feeder, no paper on the glass).
            if (m_pPages->empty())
                nStatus = m_options.bShowUi ? Fail(EXIT_CANCELLED, "cancelled in the source's dialog")
                                            : Fail(EXIT_NOTHING_TO_SCAN, "nothing to scan: the source closed");
            break;
        }
        if (wMsg == MSG_XFERREADY) {
            nStatus = TransferPages();
            break;
        }
    }
    m_session.Disable();
    return nStatus;
}

void CScanJob::Reset()
{
    TW_PENDINGXFERS pending{};
    m_session.CallSource(DG_CONTROL, DAT_PENDINGXFERS, MSG_RESET, &pending);
}

int CScanJob::TransferPages()
{
    TW_UINT16 wMech = CurrentUint(m_session, ICAP_XFERMECH, TWSX_NATIVE);
    TW_UINT16 wPixelType = CurrentUint(m_session, ICAP_PIXELTYPE, TWPT_RGB);
    bool bInvert = wPixelType != TWPT_RGB && CurrentUint(m_session, ICAP_PIXELFLAVOR, TWPF_CHOCOLATE) == TWPF_VANILLA;
    int nWanted = m_options.bBatch ? m_options.nBatchCount.value_or(-1) : 1;
    // Sources that take CAP_XFERCOUNT but keep feeding stop where the user asked all the same.
    if (m_options.nCount && *m_options.nCount > 0 && (nWanted < 0 || *m_options.nCount < nWanted))
        nWanted = *m_options.nCount;
    // Pages come while the source says more are pending; the count bounds a source that never says 0.
    for (int nPage = 0; nPage < 100000; ++nPage) {
        TW_UINT16 wRemaining = 0;
        int nStatus = TransferOne(wMech, bInvert, &wRemaining);
        if (nStatus != EXIT_OK)
            return nStatus;
        if (wRemaining == 0)
            return EXIT_OK;
        if (nWanted > 0 && static_cast<int>(m_pPages->size()) >= nWanted) {
            Reset();
            return EXIT_OK;
        }
    }
    Reset();
    return EXIT_OK;
}

// A file the source can write in the format asked for is written by the source itself (a
// TIFF or BMP, as a TWAIN application names it); other formats come from its BMP.
SXferResult CScanJob::TransferFileTo(const std::string& sFile)
{
    EImageFormat format = EffectiveFormat(m_options);
    if (format == EImageFormat::Bmp || format == EImageFormat::Tiff)
        return TransferFileAs(m_session, Widen(sFile), format == EImageFormat::Tiff ? TWFF_TIFF : TWFF_BMP);
    return TransferFile(m_session);
}

int CScanJob::TransferOne(TW_UINT16 wMech, bool bInvert, TW_UINT16* pRemaining)
{
    TW_IMAGEINFO info{};
    if (m_session.CallSource(DG_IMAGE, DAT_IMAGEINFO, MSG_GET, &info) != TWRC_SUCCESS) {
        Reset();
        return Fail(EXIT_DEVICE_ERROR, "the source gave no image information: " + ConditionWords(m_session));
    }
    int nIndex = static_cast<int>(m_pPages->size());
    auto progress = [this, nIndex](size_t nBytes) {
        if (m_options.bProgress)
            fprintf(stderr, "page %d: %zu bytes\r", nIndex + 1, nBytes);
    };
    const std::string sFile = OutputName(m_options, nIndex);
    SXferResult result = wMech == TWSX_MEMORY ? TransferMemory(m_session, info, bInvert, progress)
                         : wMech == TWSX_FILE ? TransferFileTo(sFile)
                                              : TransferNative(m_session);
    TW_PENDINGXFERS pending{};
    if (result.outcome != EXferOutcome::Done) {
        if (result.outcome == EXferOutcome::Cancelled)
            m_session.CallSource(DG_CONTROL, DAT_PENDINGXFERS, MSG_ENDXFER, &pending);
        if (result.outcome != EXferOutcome::Cancelled || pending.Count != 0)
            Reset();
        if (result.outcome == EXferOutcome::Cancelled)
            return Fail(EXIT_CANCELLED, "cancelled by the source");
        return Fail(EXIT_DEVICE_ERROR, result.sError);
    }
    if (m_session.CallSource(DG_CONTROL, DAT_PENDINGXFERS, MSG_ENDXFER, &pending) != TWRC_SUCCESS)
        pending.Count = 0;
    *pRemaining = pending.Count;
    if (result.bWritten) {
        // The source wrote the file: the page is what it said it would be.
        result.raster.nWidth = info.ImageWidth;
        result.raster.nHeight = info.ImageLength;
        result.raster.nBitsPerPixel = info.BitsPerPixel;
    }
    result.raster.nXRes = info.XResolution.Whole > 0 ? info.XResolution.Whole : result.raster.nXRes;
    result.raster.nYRes = info.YResolution.Whole > 0 ? info.YResolution.Whole : result.raster.nYRes;
    WarnIfNotTheAreaAskedFor(m_options, result.raster);
    std::string sError;
    if (!result.bWritten && !WriteImage(result.raster, Widen(sFile), EffectiveFormat(m_options), &sError)) {
        if (pending.Count != 0)
            Reset();
        return Fail(EXIT_OUTPUT_ERROR, "cannot write " + sFile + ": " + sError);
    }
    m_pPages->push_back(SPageReport{result.raster.nWidth, result.raster.nHeight, result.raster.nXRes,
                                    result.raster.nYRes, result.raster.nBitsPerPixel, result.nBytes, sFile});
    if (m_options.bProgress)
        fprintf(stderr, "page %d: %zu bytes, done\n", nIndex + 1, result.nBytes);
    return EXIT_OK;
}

}  // namespace

int RunScan(CTwainSession& session, CEventPump& pump, const SScanOptions& options, std::vector<SPageReport>* pPages)
{
    CScanJob job(session, pump, options, pPages);
    return job.Run();
}
