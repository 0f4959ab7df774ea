#include "device/ScanController.h"

#include <algorithm>
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
#include "device/TestSeams.h"
#include "profile/ProductProfile.h"
#include "profile/Trace.h"
#include "transfer/AppLink.h"
#include "transfer/MsgImageLayout.h"
#include "transfer/ScanProgress.h"
#include "transfer/ScanThread.h"
#include "transfer/SessionLink.h"
#include "transfer/TransferFlags.h"
#include "twain/ScanValues.h"

namespace {

constexpr int kMiB = 20;  // shift for the traces in MiB

// The folder the free-space figures are taken for: the drive of the Windows directory.
std::wstring WindowsDrive()
{
    wchar_t szDir[MAX_PATH + 1] = L"";
    UINT n = GetWindowsDirectoryW(szDir, MAX_PATH);
    if (n == 0 || n > MAX_PATH)
        return L"C:\\";
    std::wstring s(szDir, n);
    return s.size() >= 3 && s[1] == L':' ? s.substr(0, 3) : s;
}

uint64_t FreeBytesOf(const std::wstring& sPath)
{
    ULARGE_INTEGER avail{}, total{}, free{};
    if (!GetDiskFreeSpaceExW(sPath.c_str(), &avail, &total, &free))
        return 0;
    return free.QuadPart;
}

}  // namespace

uint64_t SystemFreeBytes()
{
    if (std::optional<uint64_t> nSeam = SeamValue(kSeamFreeBytes))
        return *nSeam;
    return FreeBytesOf(WindowsDrive());
}

std::optional<uint64_t> AvailVirtualBytes(MEMORYSTATUSEX* pStatus)
{
    MEMORYSTATUSEX st{};
    st.dwLength = sizeof st;
    if (!GlobalMemoryStatusEx(&st))
        return std::nullopt;
    if (std::optional<uint64_t> nSeam = SeamValue(kSeamAvailVirtual))
        st.ullAvailVirtual = *nSeam;
    if (pStatus)
        *pStatus = st;
    return st.ullAvailVirtual;
}

// ---- Device state shared with the transfer side -------------------------------------------

namespace {

std::atomic<int> g_nDevState{0};
// Made on the first job start and kept for the life of the process.
struct SEventHolder {
    std::atomic<HANDLE> h{nullptr};
    ~SEventHolder()
    {
        if (HANDLE old = h.exchange(nullptr))
            CloseHandle(old);
    }
};
SEventHolder g_devStateEvent;
SEventHolder g_manualDuplexEvent;
std::atomic<HWND> g_hManualDuplexWnd{nullptr};

void PostToManualDuplex()
{
    if (HWND hWnd = g_hManualDuplexWnd.load())
        ::PostMessageW(hWnd, kMsgCloseDlg, 0, 0);
}

void SignalState(int nState)
{
    SetDevState(nState);
    if (HANDLE h = g_devStateEvent.h.load())
        SetEvent(h);
}

}  // namespace

int GetDevState() { return g_nDevState; }
void SetDevState(int nState) { g_nDevState = nState; }
HANDLE DevStateEvent() { return g_devStateEvent.h.load(); }
void SetManualDuplexWindow(HWND hWnd) { g_hManualDuplexWnd = hWnd; }

int myScanCallBackFB(void* pContext, int nEvent, int)
{
    if (!pContext)
        return -1;
    TraceA("myScanCallBackFB, scanMasg: %d", nEvent);
    return gbcancel ? g_LLD.DevMon_CancelScan() : 0;
}

int myScanCallBack(void* pContext, int nEvent, int)
{
    if (!pContext)
        return -1;
    TraceA("myScanCallBack, scanMasg: %d", nEvent);
    if (gbcancel)
        g_LLD.DevMon_CancelScan();
    static_cast<CScanController*>(pContext)->OnDeviceEvent(nEvent);
    return 0;
}

void CScanController::OnDeviceEvent(int nEvent)
{
    switch (nEvent) {
    case eScnrNotify_jobStart:
        g_nDevicePages = 0;
        g_nPagesTransferred = 0;
        m_nJobStartRotation = m_record.nRotation;
        if (!g_devStateEvent.h.load()) {
            TraceA("CreateEvent: g_devStateEvent");
            SetDevState(kDevStateCreated);
            g_devStateEvent.h = CreateEventW(nullptr, FALSE, FALSE, nullptr);
        }
        if (HANDLE old = g_manualDuplexEvent.h.exchange(nullptr))
            CloseHandle(old);
        break;
    case eScnrNotify_pageEnd:
        g_nDevicePages += 1;
        if (!m_bFirstPage)
            SignalState(kDevStatePage);
        m_bFirstPage = false;
        break;
    case eScnrNotify_startMannalDuplexWait:
        TraceA("myScanCallBack: eScnrNotify_startMannalDuplexWait");
        SignalState(kDevStateDuplexBegin);
        break;
    case eScnrNotify_endMannalDuplexWait: {
        TraceA("myScanCallBack: eScnrNotify_endMannalDuplexWait");
        SignalState(kDevStateDuplexEnd);
        if (!g_manualDuplexEvent.h.load())
            g_manualDuplexEvent.h = CreateEventW(nullptr, FALSE, FALSE, L"Global\\manual_duplex");
        // The turned stack gives the backs upside down: half a turn more than at job start.
        static constexpr int kHalfTurn[4] = {kRotate180, kRotate270, kRotate90, kRotateNone};
        if (m_nJobStartRotation >= 0 && m_nJobStartRotation <= 3)
            m_record.nRotation = kHalfTurn[m_nJobStartRotation];
        PostToManualDuplex();
        break;
    }
    case eScnrNotify_jobEnd:
        g_nDevicePages += kJobEndedMark;
        PostToManualDuplex();
        SignalState(kDevStateJobEnd);
        break;
    case eScnrNotify_abort:
        TraceA("myScanCallBack: eScnrNotify_abort");
        PostToManualDuplex();
        break;
    default:
        break;
    }
    // What the transfer side will read: the page count with its job-end mark, and the last
    // state signalled.
    TRACE_TEST("myScanCallBack: event %d, g_nDevicePages %d, m_devState %d", nEvent,
               static_cast<int>(g_nDevicePages), GetDevState());
}

// ---- The controller -----------------------------------------------------------------------

CScanController& CScanController::Instance()
{
    static CScanController s_controller;
    return s_controller;
}

CScanController::CScanController() : m_record(DefaultScanParam(CurrentProductFlags())) {}

SNoUIScanValues CScanController::NegotiatedValues()
{
    SNoUIScanValues v;
    v.nColorMode = g_nColorMode;
    v.nResolution = g_nResolution;
    v.nScanSize = g_nScanSize;
    v.nScanSource = g_nScanSource;
    return v;
}

int CScanController::StartScanWithoutUI(const SNoUIScanValues& values)
{
    UpdateNoUIScanParam(m_record, values, CurrentProductFlags());
    // The settings pages are where a user picks these; a test picks them here instead.
    if (std::optional<uint64_t> nRotation = SeamValue(kSeamRotation); nRotation && *nRotation <= kRotate180)
        m_record.nRotation = static_cast<int>(*nRotation);
    if (SeamValue(kSeamManualDuplex).value_or(0) != 0)
        g_bManualDuplex = true;
    // The hidden dialog never builds its settings pages, which read the crop flag otherwise;
    // without it a headless application could never reach automatic crop.
    if (ReadModelFlag(L"HasAutoCrop", false))
        g_bHasAutoCrop = TRUE;
    return OnBnClickedScan();
}

int CScanController::OnBnClickedScan()
{
    ClearScanErrorReported();
    ArmCloseDsRequest();
    ComputeSize();
    const uint64_t nBytesPerPixel = m_record.nColourMode == kColourRgb ? 3 : 1;
    // Merge scanning (file-output mode) adds further pages to this total; a single page starts it.
    m_nMergedBytes = uint64_t(m_nWidth) * m_nHeight * nBytesPerPixel * 2;
    return Scan_();
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
    SAreaInches a = PaperAreaInches(ProcessPaperLists(), m_record.nSource, m_record.nPaperIndex);
    SPreviewArea area{a.fX, a.fY, a.fWidth, a.fHeight, false};
    return GetScanRangeFromPreview(area, CurrentProductFlags());
}

void CScanController::ComputeSize()
{
    SImageSizeRules rules;
    rules.bEvenSizes = g_appFlags.bOffice;
    rules.bNoUI = SessionNoUI();
    rules.bMultipleOf4 = g_appFlags.bOfficeViewer;
    rules.nRotation = m_record.nRotation;
    SImageSize s = ComputeImageSize(ScanArea(), Dpi(), rules);
    m_nWidth = static_cast<uint32_t>(s.nWidth);
    m_nHeight = static_cast<uint32_t>(s.nHeight);
}

bool CScanController::SpaceFits()
{
    SScanSpaceInput in;
    in.nWidth = m_nWidth;
    in.nHeight = m_nHeight;
    in.nBytesPerPixel = m_record.nColourMode == kColourRgb ? 3 : 1;
    in.nSystemFree = SystemFreeBytes();
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
    if (r.bFits)
        return true;
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
    m_bBusy = false;
    if (SessionNoUI())
        SessionCloseRequest();
    g_LLD.DevMon_Close();
    return -1;
}

int CScanController::Scan_()
{
    if (HWND hDlg = SessionDialogWindow(); hDlg && IsWindowVisible(hDlg))
        if (HWND hScan = GetDlgItem(hDlg, 20006))
            SetFocus(hScan);
    if (m_bBusy)
        return 0;
    ComputeSize();
    if (!SpaceFits())
        return -1;

    m_bBusy = true;
    ResetTransferFlags();
    const std::string sDevice = DeviceNameOf(m_record);
    g_lldOpenFlags.bResolution1200 = m_record.nResolutionIndex == 4;
    g_lldOpenFlags.bHorizontal = m_record.nHorizontal != 0;
    g_lldOpenFlags.bNoUI = SessionNoUI();
    TraceA("Device address:: %s", sDevice.c_str());

    g_LLD.DevMon_Load();
    int nStatus = g_LLD.DevMon_Open(sDevice.c_str());
    if (nStatus != DEVMON_STATUS_OK)
        return FailOpen(nStatus);

    if (IsFeeder()) {
        m_bFirstPage = true;
        g_LLD.DevMon_SetCallBackFun(&myScanCallBack, this);
        int nAdf = g_LLD.DevMon_GetADFStatus();
        if (nAdf == -83 || (nAdf == -73 && g_lldOpenFlags.nAutoFeed)) {
            m_record.nSource = kSourceFlatbed;
        } else if (nAdf < 0) {
            CloseDeviceOnce(false);
            m_bBusy = false;
            ShowDeviceError(kErrStartOrFeeder, nAdf);
            if (SessionNoUI())
                SessionCloseRequest();
            return -1;
        }
    } else {
        g_LLD.DevMon_SetCallBackFun(&myScanCallBackFB, this);
    }

    m_nRowsTransferred = 0;
    if (IScanProgress* pProgress = ScanProgress())
        pProgress->SetMode(IsFeeder(), true);

    g_bAutoCrop = g_bHasAutoCrop && ((m_record.nSource == kSourceFlatbed && m_record.nPaperIndex == 5) ||
                                     (IsFeeder() && m_record.nPaperIndex == 7));
    // Without the dialog nobody can tick deskew; a cropped page that stays skewed would be
    // cut badly, so headless crop straightens the page first.
    g_bAutoDeskew = m_record.nAutoDeskew != 0 || (SessionNoUI() && g_bAutoCrop);
    if (g_bAutoCrop || g_bAutoDeskew) {
        TraceA("Scan_() - MsgLib_StartScan()");
        MsgLib_StartScan(*this);
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
        SDeviceAdjustments a = MakeDeviceAdjustments(m_record);
        if (g_LLD.DevMon_SetScanParameterAdj(a.nBrightness, a.nContrast, a.nCurve, a.nGamma, a.nThreshold,
                                             a.nDescreen, a.nFading) != DEVMON_STATUS_OK)
            TraceA("*** SetScanParam DevMon_SetScanParameterAdj failed");
    }
    int nStatus = DEVMON_STATUS_OK;
    if (bGeometry) {
        SImageSize size{static_cast<int>(m_nWidth), static_cast<int>(m_nHeight)};
        SDeviceScanParams p = MakeDeviceScanParams(m_record, ScanArea(), size, Dpi(), g_bManualDuplex);
        nStatus = g_LLD.DevMon_SetScanParameter(p.nXDpi, p.nYDpi, p.nColourMode, p.nLeft, p.nTop, p.nRight,
                                                p.nBottom, p.nThreshold, p.nSource);
        if (nStatus != DEVMON_STATUS_OK)
            TraceA("*** SetScanParam DevMon_SetScanParameter failed");
        else {
            m_nPageWidth = m_nWidth;
            m_nPageHeight = m_nHeight;
        }
    }
    if (nStatus == DEVMON_STATUS_OK) {
        m_nRowsTransferred = 0;
        g_bNeedScan = true;
        return 0;
    }
    CloseDeviceOnce(false);
    if (SessionNoUI())
        SessionCloseRequest();
    m_bBusy = false;
    ShowDeviceError(kErrSetParameter, nStatus);
    TraceA("*** SetScanParam debug");
    return -1;
}

bool CScanController::CloseDeviceOnce(bool bAbort)
{
    if (g_b_devmon_close.exchange(true))
        return false;
    if (bAbort)
        g_LLD.DevMon_AbortScan();
    g_LLD.DevMon_EndJob();
    g_LLD.DevMon_Close();
    return true;
}

void CScanController::EndOfJob()
{
    if (!m_bBusy)
        return;
    EnableSessionDialog();
    m_bBusy = false;
    g_bScanStarted = false;
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
