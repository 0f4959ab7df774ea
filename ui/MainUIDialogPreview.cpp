// The scanning dialog's preview: the Preview button (device, busy state, the worker thread and
// the progress dialog), the bands as they come in, the re-processing after an adjustment, the
// preview control's host side (tools, scroll bars, the tracker's area as the custom area) and the
// layout for the flatbed or a feeder.
#include <algorithm>
#include <cstring>

#include "device/CurrentProductFlags.h"
#include "device/DevMonStatus.h"
#include "device/LLDGlobal.h"
#include "device/LLDState.h"
#include "device/PaperTables.h"
#include "device/ScanMessages.h"
#include "imaging/ImgEffectBinding.h"
#include "imaging/RecordAdjustments.h"
#include "profile/Language.h"
#include "profile/ProductProfile.h"
#include "profile/Trace.h"
#include "transfer/DeviceEvents.h"
#include "transfer/Image.h"
#include "transfer/PreviewReader.h"
#include "transfer/ScanJob.h"
#include "transfer/ScanProgress.h"
#include "transfer/SessionLink.h"
#include "transfer/TransferFlags.h"
#include "twain/DsProxy.h"
#include "ui/BasicSetting.h"
#include "ui/MainUIDialog.h"
#include "ui/ScanController.h"

namespace {

constexpr char kCommunity[] = "orchid";

// The preview's calls on the one driver wrapper.
class CWrapperPreviewDevice : public IPreviewDevice {
public:
    int SetScanParameter(const SDeviceScanParams& p) override
    {
        return g_LLD.DevMon_SetScanParameter(p.nXDpi, p.nYDpi, p.nColourMode, p.nLeft, p.nTop, p.nRight, p.nBottom,
                                             p.nThreshold, p.nSource);
    }
    int StartScan() override { return g_LLD.DevMon_StartScan(); }
    int ReadScanData(uint8_t* pDest, int nSize, int* pnRead) override
    {
        return g_LLD.DevMon_ReadScanData(pDest, nSize, pnRead);
    }
    int AbortScan() override { return g_LLD.DevMon_AbortScan(); }
    int GetScanParameter(int* pnValue, int* pnLines) override { return g_LLD.DevMon_GetScanParameter(pnValue, pnLines); }
    int GetCurScanLineNum(int* pnLines, int* pnState) override
    {
        return g_LLD.DevMon_GetCurScanLineNum(pnLines, pnState);
    }
    void EndJobAndClose() override { CScanJob::Current().CloseDeviceOnce(false); }
};

// Bands go to the dialog, progress to the progress dialog; both are posted, so that the worker
// never waits for the dialog's thread.
class CDialogPreviewSink : public IPreviewSink {
public:
    explicit CDialogPreviewSink(HWND hDlg) : m_hDlg(hDlg) {}
    void OnBand(int nRows, int nHeight) override { ::PostMessageW(m_hDlg, kMsgPreviewBand, nRows, nHeight); }
    void OnProgress(int nPercent) override { PostToProgress(kMsgProgress, static_cast<WPARAM>(nPercent)); }
    bool Cancelled() override { return gbcancel != FALSE; }

private:
    HWND m_hDlg;
};

// What the worker takes: the geometry, the images, the adjustments of the record at the start.
struct SPreviewWork {
    HWND hDlg = nullptr;
    SPreviewGeometry geometry;
    SPreviewImages images;
    _ImageAdjustments adjustments;
    int* pResult = nullptr;
};

// Previewthread (Previewthread2 on Tevo A3 products: 150 dpi, bands of 40, no line poller).
void Previewthread(SPreviewWork work)
{
    if (work.geometry.bSecondThread)
        TraceA("Previewthread2()<--------");
    // The progress dialog is up before the device starts, so that it can be closed at the end.
    if (IScanProgress* pProgress = ScanProgress())
        if (HANDLE hReady = pProgress->ReadyEvent())
            ::WaitForSingleObject(hReady, 5000);
    ::Sleep(100);
    g_bReadStarted = false;
    g_iProgressBase = 0;
    CImgEffectBinding effects(CImgEffectBinding::OwnModuleDirectory().c_str(), g_szFilePrefix);
    CScanJob::Current().RowsTransferred() = 0;
    if (!work.geometry.bSecondThread)
        TraceA("Previewthread 0");
    CWrapperPreviewDevice device;
    CDialogPreviewSink sink(work.hDlg);
    const SPreviewResult r =
        ReadPreview(work.geometry, device, effects.IsLoaded() ? &effects : nullptr, work.adjustments, work.images, sink);
    *work.pResult = r.nStatus;
    PostToProgress(kMsgCloseDlg, 0);
    g_iProgressBase = 0;
    g_bReadStarted = false;
    if (work.geometry.bSecondThread)
        TraceA("Previewthread2()-------->");
}

SPreviewGeometry CurrentPreviewGeometry()
{
    return PreviewGeometryFor(CurrentProductFlags());
}

}  // namespace

// ---- The preview control and its tools -------------------------------------------------------

void CMainUIDialog::InitPreview()
{
    for (auto [pButton, nId] : {std::pair{&m_btnSelect, IDC_TOOL_SELECT}, {&m_btnZoomIn, IDC_TOOL_ZOOM_IN},
                                {&m_btnZoomOut, IDC_TOOL_ZOOM_OUT}, {&m_btnHand, IDC_TOOL_HAND}}) {
        if (!pButton->SubclassDlgItem(nId, m_hWnd))
            continue;
        const UINT nFirst = IDB_TOOL_FIRST + 4 * static_cast<UINT>(nId - IDC_TOOL_SELECT);
        pButton->SetSkin(nFirst, nFirst + 1, nFirst + 2, nFirst + 3, 0, 0, kDrawStretch, FALSE, 2);
        pButton->SetTextShown(false);
        pButton->SetCheckBehaviour(true);
    }
    if (!m_preview.SubclassDlgItem(IDC_PREVIEW_FRAME, m_hWnd))
        return;
    SPreviewProduct product;
    product.bHasA3 = g_bHasA3 != FALSE;
    product.bSlowTimer = g_bIsTevoA3 || g_bIsTevoA3Plus;
    product.bLargeFont = m_sLangCode == L"ar";
    m_preview.AttachHost(this, GetDlgItem(IDC_PREVIEW_HSCROLL), GetDlgItem(IDC_PREVIEW_VSCROLL), product);
    OnPreviewTool(kToolSelect);
    EnableZoomButtons(true, false);
    Map().OnMessage(kMsgPreviewBand, [this](WPARAM w, LPARAM l) {
        OnPreviewBand(w, l);
        return LRESULT(0);
    });
    for (UINT nMsg : {UINT(WM_HSCROLL), UINT(WM_VSCROLL)}) {
        Map().OnRaw(nMsg, [this](WPARAM wParam, LPARAM lParam, LRESULT& lResult) {
            HWND hBar = reinterpret_cast<HWND>(lParam);
            if (hBar != GetDlgItem(IDC_PREVIEW_HSCROLL) && hBar != GetDlgItem(IDC_PREVIEW_VSCROLL))
                return false;
            OnPreviewScroll(hBar, LOWORD(wParam));
            lResult = 0;
            return true;
        });
    }
    for (int nMode = kToolSelect; nMode <= kToolHand; ++nMode)
        Map().OnCommand(IDC_TOOL_SELECT + nMode, [this, nMode] { OnPreviewTool(nMode); });
}

void CMainUIDialog::OnPreviewTool(int nMode)
{
    m_preview.SetToolMode(nMode);
    CxSkinButton* tools[] = {&m_btnSelect, &m_btnZoomIn, &m_btnZoomOut, &m_btnHand};
    for (int i = 0; i < 4; ++i)
        if (tools[i]->GetSafeHwnd())
            tools[i]->SetCheck(i == nMode);
}

void CMainUIDialog::EnableZoomButtons(bool bZoomIn, bool bZoomOut)
{
    m_btnZoomIn.EnableWindow(bZoomIn ? TRUE : FALSE);
    m_btnZoomOut.EnableWindow(bZoomOut ? TRUE : FALSE);
}

void CMainUIDialog::OnPreviewScroll(HWND hBar, int nCode)
{
    SCROLLINFO si{sizeof si, SIF_ALL};
    if (!::GetScrollInfo(hBar, SB_CTL, &si))
        return;
    const int nLast = si.nMax - static_cast<int>(si.nPage);
    int nPos = si.nPos;
    switch (nCode) {
    case SB_LINELEFT: nPos -= 10; break;
    case SB_LINERIGHT: nPos += 10; break;
    case SB_PAGELEFT: nPos -= static_cast<int>(si.nPage); break;
    case SB_PAGERIGHT: nPos += static_cast<int>(si.nPage); break;
    case SB_LEFT: nPos = si.nMin; break;
    case SB_RIGHT: nPos = nLast; break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION: nPos = si.nTrackPos; break;
    default: return;
    }
    nPos = std::clamp(nPos, si.nMin, std::max(si.nMin, nLast));
    ::SetScrollPos(hBar, SB_CTL, nPos, TRUE);
    if (hBar == GetDlgItem(IDC_PREVIEW_HSCROLL))
        m_preview.SetScrollOffsetX(nPos - si.nMin);
    else
        m_preview.SetScrollOffsetY(nPos - si.nMin);
}

void CMainUIDialog::ScrollViewBy(int dx, int dy)
{
    for (auto [nId, d] : {std::pair{IDC_PREVIEW_HSCROLL, dx}, std::pair{IDC_PREVIEW_VSCROLL, dy}}) {
        HWND hBar = GetDlgItem(nId);
        SCROLLINFO si{sizeof si, SIF_ALL};
        if (d == 0 || !hBar || !::GetScrollInfo(hBar, SB_CTL, &si))
            continue;
        const int nPos = std::clamp(si.nPos - d, si.nMin, std::max(si.nMin, si.nMax - static_cast<int>(si.nPage)));
        ::SetScrollPos(hBar, SB_CTL, nPos, TRUE);
        if (nId == IDC_PREVIEW_HSCROLL)
            m_preview.SetScrollOffsetX(nPos - si.nMin);
        else
            m_preview.SetScrollOffsetY(nPos - si.nMin);
    }
}

void CMainUIDialog::OnTrackerChanged()
{
    // What was drawn is the source's custom area from now on.
    SScanParamRecord& rec = Record();
    const int nCustom = GetMaxSanSizeNum(rec.nSource);
    rec.nPaperIndex = nCustom;
    SAreaInches area;
    m_preview.GetTrackerZone(area, rec.nSource, nCustom);
    SetCustomArea(rec.nSource, area);
    if (m_pBasicPage)
        m_pBasicPage->SetPaperSelection();
    OnSettingChanged();
}

void CMainUIDialog::OnSizeReadoutChanged()
{
    RefreshSettingsDisplays();
}

// ---- Layout by source, paper, resolution ------------------------------------------------------

void CMainUIDialog::RefreshPreviewLayout()
{
    if (!m_preview.GetSafeHwnd())
        return;
    const bool bFeeder = Record().nSource != kSourceFlatbed;
    // The preview is the flatbed's: a feeder shows its page region without zoom or scroll bars.
    if (bFeeder || m_preview.Zoom() != 1.0f)
        m_preview.ResetZoom();
    OnPreviewTool(kToolSelect);
    for (CxSkinButton* pTool : {&m_btnSelect, &m_btnZoomIn, &m_btnZoomOut, &m_btnHand})
        pTool->ShowWindow(bFeeder ? SW_HIDE : SW_SHOW);
    m_btnPreview.EnableWindow(bFeeder ? FALSE : TRUE);
    m_btnClear.EnableWindow(!bFeeder && m_pPreviewShown ? TRUE : FALSE);
    m_preview.SetPreviewImage(bFeeder ? nullptr : m_pPreviewShown.get(), m_nPreviewRows);
    PlaceTrackerOnPaper();
}

void CMainUIDialog::PlaceTrackerOnPaper()
{
    if (!m_preview.GetSafeHwnd())
        return;
    const SScanParamRecord& rec = Record();
    const SAreaInches a = PaperAreaInches(ProcessPaperLists(), rec.nSource, rec.nPaperIndex);
    m_preview.SetTrackerZone(rec.nSource, rec.nPaperIndex, a);
    SetCustomArea(rec.nSource, m_preview.Tracker().StoredArea(rec.nSource));
}

void CMainUIDialog::UpdateRulerDpi()
{
    if (m_preview.GetSafeHwnd())
        m_preview.SetRulerUnit(Record().nUnit, CScanController::Instance().Dpi());
}

SAdjustHost CMainUIDialog::AdjustHost()
{
    SAdjustHost host;
    host.pRecord = &Record();
    host.flags = CurrentProductFlags();
    host.sEffectPrefix = g_szFilePrefix;
    host.fnMarkCustom = [this] { OnSettingChanged(); };
    host.fnReprocessPreview = [this] { ReprocessPreview(); };
    host.fnPreviewImage = [this] {
        SAdjustPreview p;
        if (m_pPreviewShown && m_nPreviewRows > 0) {
            p.pPixels = m_pPreviewShown->GetData();
            p.nWidth = m_pPreviewShown->GetWidth();
            p.nHeight = m_nPreviewRows;
            p.nBytesPerRow = p.nWidth * 3;
        }
        return p;
    };
    return host;
}

const CImage* CMainUIDialog::PreviewImage() const
{
    return m_pPreviewShown.get();
}

void CMainUIDialog::ShowPlaceholder()
{
    m_pPreviewWork.reset();
    m_pPreviewShown.reset();
    m_nPreviewRows = 0;
    m_preview.SetPreviewImage(nullptr, 0);
    if (m_preview.GetSafeHwnd())
        m_preview.Invalidate(FALSE);
}

// ---- The preview scan -------------------------------------------------------------------------

void CMainUIDialog::OnBnClickedPreview()
{
    TraceA("CMainUIDialog::OnBnClickedPreview()");
    if (IsWindowVisible() && ::GetFocus() != GetDlgItem(IDC_PREVIEW))
        return;
    CScanJob& job = CScanJob::Current();
    if (job.IsBusy() || !m_preview.GetSafeHwnd() || Record().nSource != kSourceFlatbed)
        return;
    if (!OpenPreviewDevice())
        return;
    if (IScanProgress* pProgress = ScanProgress())
        pProgress->SetMode(false, true);
    m_iPreviewRet = 0;
    job.SetBusy(true);
    m_btnClear.EnableWindow(FALSE);
    ShowPlaceholder();

    const SPreviewGeometry g = CurrentPreviewGeometry();
    m_pPreviewWork = std::make_unique<CImage>();
    m_pPreviewShown = std::make_unique<CImage>();
    bool bCreated = false;
    try {
        bCreated = m_pPreviewWork->Create(3, 8, g.nWidth, g.nHeight, g.nDpi, g.nDpi) &&
                   m_pPreviewShown->Create(3, 8, g.nWidth, g.nHeight, g.nDpi, g.nDpi);
    } catch (const CImageError& e) {
        TraceA("CMainUIDialog::OnBnClickedPreview: %s", e.what());
    }
    if (!bCreated) {
        ShowPlaceholder();
        job.CloseDeviceOnce(false);
        job.SetBusy(false);
        ShowScanMessage(1105);
        return;
    }
    m_preview.SetPreviewImage(m_pPreviewShown.get(), 0);
    m_preview.SetAnimation(false);
    RunPreviewThread();
}

bool CMainUIDialog::OpenPreviewDevice()
{
    const SScanParamRecord& rec = Record();
    std::string sDevice = "\\\\.\\Usbscan";
    if (rec.nConnection == 1 || rec.nConnection == 2) {
        char szAddress[kAddressBytes] = {};
        std::memcpy(szAddress, rec.nConnection == 1 ? rec.szAddress1 : rec.szAddress2, kAddressBytes - 1);
        sDevice = szAddress;
        const int nLocate = g_LLD.DevMon_LocateMFP(szAddress, kCommunity, nullptr);
        if (nLocate != 0) {
            ShowDeviceError(kErrLocate, nLocate);
            g_LLD.DevMon_Close();
            return false;
        }
    }
    g_lldOpenFlags.bResolution1200 = FALSE;
    g_lldOpenFlags.bHorizontal = rec.nHorizontal != 0;
    g_LLD.DevMon_Load();
    const int nStatus = g_LLD.DevMon_Open(sDevice.c_str());
    if (nStatus != DEVMON_STATUS_OK) {
        TraceA("DevMon_Open Fail");
        ShowDeviceError(kErrOpen, nStatus);
        if (SessionNoUI())
            SessionCloseRequest();
        g_LLD.DevMon_Close();
        return false;
    }
    g_b_devmon_close = false;
    return true;
}

void CMainUIDialog::RunPreviewThread()
{
    const SPreviewGeometry g = CurrentPreviewGeometry();
    SPreviewWork work;
    work.hDlg = m_hWnd;
    work.geometry = g;
    work.images = {m_pPreviewWork->GetData(), m_pPreviewShown->GetData(), g.nWidth, g.nHeight};
    work.adjustments = AdjustmentsFromRecord(Record());
    work.pResult = &m_iPreviewRet;
    g_LLD.DevMon_SetCallBackFun(&myScanCallBackFB, &CScanJob::Current());
    const std::shared_ptr<bool> pAlive = m_pAlive;
    try {
        m_previewThread = std::thread(&Previewthread, work);
    } catch (const std::exception&) {
        TraceA("CMainUIDialog::OnBnClickedPreview: the preview thread could not be started");
        m_iPreviewRet = DEVMON_STATUS_FAIL;
        EndPreview();
        return;
    }
    if (IScanProgress* pProgress = ScanProgress())
        pProgress->RunModal(m_hWnd);
    // The dialog may have gone while the progress dialog served the application's messages;
    // then it stopped the preview itself.
    if (!*pAlive)
        return;
    if (m_previewThread.joinable())
        m_previewThread.join();
    EndPreview();
}

void CMainUIDialog::EndPreview()
{
    CScanJob& job = CScanJob::Current();
    // The bands posted last are shown before the result is.
    MSG msg;
    while (::PeekMessageW(&msg, m_hWnd, kMsgPreviewBand, kMsgPreviewBand, PM_REMOVE))
        OnPreviewBand(msg.wParam, msg.lParam);
    if (m_iPreviewRet != DEVMON_STATUS_OK) {
        job.CloseDeviceOnce(false);
        if (m_iPreviewRet < 0)
            ShowDeviceError(kErrRead, m_iPreviewRet);
        job.SetBusy(false);
        RefreshSettingsDisplays();
    } else {
        job.SetBusy(false);
        g_b_devmon_close = true;
    }
    // A cancel ends here; it must not stop the next scan.
    gbcancel = FALSE;
    m_preview.SetAnimation(true);
    m_btnClear.EnableWindow(m_nPreviewRows > 0 ? TRUE : FALSE);
    if (m_nPreviewRows == 0)
        ShowPlaceholder();
    if (m_bCloseAfterPreview) {
        m_bCloseAfterPreview = false;
        if (m_pProxy)
            m_pProxy->CloseNotify(0);
    }
}

void CMainUIDialog::OnPreviewBand(WPARAM wRows, LPARAM lHeight)
{
    const int nRows = static_cast<int>(wRows), nHeight = static_cast<int>(lHeight);
    const int nBefore = m_nPreviewRows;
    m_nPreviewRows = std::clamp(nRows, 0, std::max(nHeight, 0));
    m_preview.SetRowsReady(m_nPreviewRows);
    m_preview.InvalidateRows(nRows == 0 ? 0 : nBefore, nRows, nHeight);
}

void CMainUIDialog::ReprocessPreview()
{
    if (!m_pPreviewWork || !m_pPreviewShown || m_nPreviewRows <= 0 || CScanJob::Current().IsBusy())
        return;
    if (!m_pEffects)
        m_pEffects = std::make_unique<CImgEffectBinding>(CImgEffectBinding::OwnModuleDirectory().c_str(),
                                                         g_szFilePrefix);
    const SPreviewGeometry g = CurrentPreviewGeometry();
    const SPreviewImages images{m_pPreviewWork->GetData(), m_pPreviewShown->GetData(), m_pPreviewWork->GetWidth(),
                                m_pPreviewWork->GetHeight()};
    ::ReprocessPreview(g, m_pEffects->IsLoaded() ? m_pEffects.get() : nullptr, AdjustmentsFromRecord(Record()), images,
                       m_nPreviewRows);
    m_preview.Invalidate(FALSE);
}

void CMainUIDialog::StopPreview()
{
    if (!m_previewThread.joinable())
        return;
    TraceA("CMainUIDialog::StopPreview()");
    gbcancel = TRUE;
    // A read waiting for the device returns at once.
    g_LLD.DevMon_AbortScan();
    m_previewThread.join();
    CScanJob::Current().CloseDeviceOnce(false);
    CScanJob::Current().SetBusy(false);
}
