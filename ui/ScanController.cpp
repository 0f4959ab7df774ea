#include "ui/ScanController.h"

#include <algorithm>
#include <filesystem>
#include <atomic>
#include <optional>
#include <string>

#include "device/CurrentProductFlags.h"
#include "device/DevMonStatus.h"
#include "device/LLDGlobal.h"
#include "device/LLDState.h"
#include "device/PaperTables.h"
#include "device/ScanMessages.h"
#include "device/SpaceCheck.h"
#include "device/SystemSpace.h"
#include "profile/ProductProfile.h"
#include "profile/Trace.h"
#include "transfer/AppLink.h"
#include "transfer/DeviceEvents.h"
#include "transfer/MsgImageLayout.h"
#include "transfer/ScanProgress.h"
#include "transfer/ScanThread.h"
#include "transfer/SessionLink.h"
#include "transfer/TransferFlags.h"
#include "twain/ScanValues.h"
#include "ui/MainDialogIds.h"
#include "ui/ScanOutput.h"

namespace {

constexpr int kMiB = 20;  // shift for the traces in MiB

// The output folder exists, is a folder, and is not a relative path.
bool UsableOutputFolder(const std::wstring& sFolder)
{
    if (sFolder.empty() || sFolder[0] == L'.' || sFolder[0] == L'\\')
        return false;
    std::error_code ec;
    return std::filesystem::is_directory(std::filesystem::path(sFolder), ec);
}

}  // namespace

// ---- The controller -----------------------------------------------------------------------

CScanController& CScanController::Instance()
{
    static CScanController s_controller;
    return s_controller;
}

CScanController::CScanController() : m_job(CScanJob::Current())
{
    m_job.SetHost(this);
}

SNoUIScanValues CScanController::NegotiatedValues()
{
    SNoUIScanValues v;
    v.nColorMode = g_nColorMode;
    v.nResolution = g_nResolution;
    v.nScanSize = g_nScanSize;
    v.nScanSource = g_nScanSource;
    return v;
}

void CScanController::StartMergeTotal()
{
    if (m_bMergeScanNextPage)
        return;
    ComputeSize();
    const uint64_t nBytesPerPixel = Record().nColourMode == kColourRgb ? 3 : 1;
    // Merge scanning (file-output mode) adds further pages to this total; a single page starts it.
    m_nMergedBytes = uint64_t(m_job.Width()) * m_job.Height() * nBytesPerPixel * 2;
}

SInchRect CScanController::ScanArea() const
{
    // Without the dialog the application's frame is the area, kept on the platen: a frame
    // reaching past it would ask the device for lines it does not have.
    if (SessionNoUI()) {
        if (std::optional<SInchRect> frame = ApplicationFrame()) {
            const SProductFlags flags = CurrentProductFlags();
            const double dMaxW = MaxScanWidthInches(flags), dMaxH = MaxScanHeightInches(flags);
            const double dLeft = std::clamp(frame->dLeft, 0.0, dMaxW), dTop = std::clamp(frame->dTop, 0.0, dMaxH);
            const double dRight = std::clamp(frame->dRight, 0.0, dMaxW);
            const double dBottom = std::clamp(frame->dBottom, 0.0, dMaxH);
            if (dRight > dLeft && dBottom > dTop) {
                SPreviewArea area{static_cast<float>(dLeft), static_cast<float>(dTop),
                                  static_cast<float>(dRight - dLeft), static_cast<float>(dBottom - dTop), false};
                return GetScanRangeFromPreview(area, flags);
            }
        }
    }
    SAreaInches a = PaperAreaInches(ProcessPaperLists(), Record().nSource, Record().nPaperIndex);
    SPreviewArea area{a.fX, a.fY, a.fWidth, a.fHeight, false};
    return GetScanRangeFromPreview(area, CurrentProductFlags());
}

void CScanController::ComputeSize()
{
    SImageSizeRules rules;
    rules.bEvenSizes = g_appFlags.bOffice;
    rules.bNoUI = SessionNoUI();
    rules.bMultipleOf4 = g_appFlags.bOfficeViewer;
    rules.nRotation = Record().nRotation;
    SImageSize s = ComputeImageSize(ScanArea(), Dpi(), rules);
    m_job.SetSize(static_cast<uint32_t>(s.nWidth), static_cast<uint32_t>(s.nHeight));
}

bool CScanController::PrepareOutputFile()
{
    const std::wstring sPath = m_pOutput->Folder() + L"\\" + m_pOutput->BaseName() + L"." + m_pOutput->FileType();
    TraceW(L"output file name is %ls", sPath.c_str());
    std::error_code ec;
    if (std::filesystem::exists(std::filesystem::path(sPath), ec)) {
        TraceA("File already exist.");
        m_pOutput->MarkNameUsed();
    }
    m_pOutput->Store();
    if (std::optional<std::wstring> sCheck = m_pOutput->PathToCheck();
        sCheck && !std::filesystem::exists(std::filesystem::path(*sCheck), ec)) {
        ShowScanMessage(1132);
        return false;
    }
    return true;
}

bool CScanController::AddOutputSpace(SScanSpaceInput& in) const
{
    const std::wstring sFolder = m_pOutput->Folder();
    if (!UsableOutputFolder(sFolder)) {
        ShowScanMessage(1128);
        return false;
    }
    in.bFileOutput = true;
    in.nOutputFree = FreeBytesOf(sFolder);
    in.nPreviousMerged = m_nMergedBytes;
    // A further flatbed page of a merge series goes into the same output as the earlier ones.
    in.bMerging = g_bHasMergeScan && m_pOutput->MergeScan() && !IsFeeder() && m_bMergeScanNextPage;
    TraceW(L"CMainUIDialog::Scan_,szDriver=%ls, output file =%ls", sFolder.substr(0, 3).c_str(), sFolder.c_str());
    return true;
}

bool CScanController::SpaceFits()
{
    SScanSpaceInput in;
    in.nWidth = m_job.Width();
    in.nHeight = m_job.Height();
    in.nBytesPerPixel = Record().nColourMode == kColourRgb ? 3 : 1;
    in.nSystemFree = SystemFreeBytes();
    if (g_bFileOutputMode && m_pOutput && !AddOutputSpace(in))
        return false;
    MEMORYSTATUSEX st{};
    in.nAvailVirtual = AvailVirtualBytes(&st);
    SScanSpaceResult r = CheckScanSpace(in);
    TraceA("CMainUIDialog::Scan_, total size =%d, meger size = %d, freesize =%d, %d",
           static_cast<int>(r.nNeed >> kMiB), static_cast<int>(r.nMerged), static_cast<int>(in.nSystemFree >> kMiB),
           static_cast<int>(in.nOutputFree >> kMiB));
    if (in.nAvailVirtual) {
        TraceA("CMainUIDialog::Scan_, TotalNumberOfFreeBytes.QuadPart = %I64d M, FreeBytes_File.QuadPart = %I64d M, "
               "statex.ullAvailPhys = %I64d M, statex.ullAvailVirtual = %I64d M, statex.dwMemoryLoad = %d%%",
               static_cast<long long>(in.nSystemFree >> kMiB), static_cast<long long>(in.nOutputFree >> kMiB),
               static_cast<long long>(st.ullAvailPhys >> kMiB), static_cast<long long>(st.ullAvailVirtual >> kMiB),
               static_cast<int>(st.dwMemoryLoad));
    } else {
        TraceA("CMainUIDialog::Scan_, GlobalMemoryStatusEx GetLastError = %d", static_cast<int>(GetLastError()));
    }
    if (r.bFits) {
        m_nMergedBytes = r.nMerged;
        return true;
    }
    TraceA("CMainUIDialog::Scan_, ERROR_NOENOUGHSPACE, TotalNumberOfFreeBytes.QuadPart = %I64d M, "
           "FreeBytes_File.QuadPart = %I64d M, statex.ullAvailVirtual = %I64d M",
           static_cast<long long>(in.nSystemFree >> kMiB), static_cast<long long>(in.nOutputFree >> kMiB),
           static_cast<long long>(in.nAvailVirtual.value_or(0) >> kMiB));
    if (SessionNoUI())
        SessionCloseRequest();
    ShowScanMessage(1105);
    return false;
}

int CScanController::FailOpen(int nStatus)
{
    TraceA("DevMon_Open Fail");
    ShowDeviceError(kErrOpen, nStatus);
    m_job.SetBusy(false);
    if (SessionNoUI())
        SessionCloseRequest();
    g_LLD.DevMon_Close();
    return -1;
}

int CScanController::Scan_()
{
    if (HWND hDlg = SessionDialogWindow(); hDlg && IsWindowVisible(hDlg))
        if (HWND hScan = GetDlgItem(hDlg, IDC_SCAN))
            SetFocus(hScan);
    if (m_job.IsBusy())
        return 0;
    if (g_bFileOutputMode && m_pOutput && !PrepareOutputFile())
        return -1;
    ComputeSize();
    if (!SpaceFits())
        return -1;

    m_job.SetBusy(true);
    ResetTransferFlags();
    const std::string sDevice = DeviceNameOf(Record());
    g_lldOpenFlags.bResolution1200 = Record().nResolutionIndex == 4;
    g_lldOpenFlags.bHorizontal = Record().nHorizontal != 0;
    g_lldOpenFlags.bNoUI = SessionNoUI();
    TraceA("Device address:: %s", sDevice.c_str());

    g_LLD.DevMon_Load();
    int nStatus = g_LLD.DevMon_Open(sDevice.c_str());
    if (nStatus != DEVMON_STATUS_OK)
        return FailOpen(nStatus);

    if (IsFeeder()) {
        m_job.SetFirstPage(true);
        g_LLD.DevMon_SetCallBackFun(&myScanCallBack, &m_job);
        int nAdf = g_LLD.DevMon_GetADFStatus();
        if (nAdf == -83 || (nAdf == -73 && g_lldOpenFlags.nAutoFeed)) {
            Record().nSource = kSourceFlatbed;
        } else if (nAdf < 0) {
            m_job.CloseDeviceOnce(false);
            m_job.SetBusy(false);
            ShowDeviceError(kErrStartOrFeeder, nAdf);
            if (SessionNoUI())
                SessionCloseRequest();
            return -1;
        }
    } else {
        g_LLD.DevMon_SetCallBackFun(&myScanCallBackFB, &m_job);
    }

    m_job.RowsTransferred() = 0;
    if (IScanProgress* pProgress = ScanProgress())
        pProgress->SetMode(IsFeeder(), true);

    g_bAutoCrop = g_bHasAutoCrop && ((Record().nSource == kSourceFlatbed && Record().nPaperIndex == 5) ||
                                     (IsFeeder() && Record().nPaperIndex == 7));
    // Without the dialog nobody can tick deskew; a cropped page that stays skewed would be
    // cut badly, so headless crop straightens the page first.
    g_bAutoDeskew = Record().nAutoDeskew != 0 || (SessionNoUI() && g_bAutoCrop);
    if (g_bAutoCrop || g_bAutoDeskew) {
        TraceA("Scan_() - MsgLib_StartScan()");
        MsgLib_StartScan(m_job);
    } else {
        TraceA("Scan_() - p_DsAss->NotifyXferReady()");
        SessionXferReady();
    }
    TraceA("Scan_()===>Leave!");
    return (gbcancel || ScanErrorReported()) ? -1 : 1;
}

int CScanController::SetScanParam(bool bGeometry)
{
    if (!g_bNoScanParamAdj) {
        SDeviceAdjustments a = MakeDeviceAdjustments(Record());
        if (g_LLD.DevMon_SetScanParameterAdj(a.nBrightness, a.nContrast, a.nCurve, a.nGamma, a.nThreshold,
                                             a.nDescreen, a.nFading) != DEVMON_STATUS_OK)
            TraceA("*** SetScanParam DevMon_SetScanParameterAdj failed");
    }
    int nStatus = DEVMON_STATUS_OK;
    if (bGeometry) {
        SImageSize size{static_cast<int>(m_job.Width()), static_cast<int>(m_job.Height())};
        SDeviceScanParams p = MakeDeviceScanParams(Record(), ScanArea(), size, Dpi(), g_bManualDuplex);
        nStatus = g_LLD.DevMon_SetScanParameter(p.nXDpi, p.nYDpi, p.nColourMode, p.nLeft, p.nTop, p.nRight,
                                                p.nBottom, p.nThreshold, p.nSource);
        if (nStatus != DEVMON_STATUS_OK)
            TraceA("*** SetScanParam DevMon_SetScanParameter failed");
        else
            m_job.KeepPageSize();
    }
    if (nStatus == DEVMON_STATUS_OK) {
        m_job.RowsTransferred() = 0;
        g_bNeedScan = true;
        return 0;
    }
    m_job.CloseDeviceOnce(false);
    if (SessionNoUI())
        SessionCloseRequest();
    m_job.SetBusy(false);
    ShowDeviceError(kErrSetParameter, nStatus);
    TraceA("*** SetScanParam debug");
    return -1;
}

int CheckConnection(const SScanParamRecord& rec)
{
    TraceA("Check Connection\n");
    if (rec.nConnection != 0)
        return 0;
    int nRet = g_LLD.DevMon_CheckConnect(1, nullptr);
    if (nRet != 0)
        ShowScanMessage(ProductDefaultMessageId(g_bIsPlatformK != FALSE));
    return nRet;
}

int ProbePaperInFeeder()
{
    // A job holds the device: ask it, and leave the job's device and library alone.
    if (g_LLD.IsOpen())
        return g_LLD.DevMon_IsDocumentInFeeder();
    const bool bLoadedHere = !g_LLD.IsLoaded();
    g_LLD.DevMon_Load();
    int nAnswer = 0;
    if (g_LLD.DevMon_Open("\\\\.\\Usbscan") == DEVMON_STATUS_OK)
        nAnswer = g_LLD.DevMon_IsDocumentInFeeder();
    else
        TraceA("DevMon_Open Fail");
    g_LLD.DevMon_Close();
    if (bLoadedHere)
        g_LLD.DevMon_Unload();
    return nAnswer;
}
