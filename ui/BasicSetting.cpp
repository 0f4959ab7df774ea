#include "ui/BasicSetting.h"

#include <commctrl.h>

#include <algorithm>
#include <initializer_list>

#include "device/CurrentProductFlags.h"
#include "device/PaperTables.h"
#include "device/ScanGeometry.h"
#include "profile/FileUtils.h"
#include "profile/ProductProfile.h"
#include "profile/Resources.h"
#include "profile/Trace.h"
#include "transfer/TransferFlags.h"
#include "twain/ScanValues.h"
#include "ui/PageControls.h"
#include "ui/ScanDialogsSetup.h"
#include "ui/ScanOutput.h"
#include "ui/SettingsPageHost.h"
#include "ui/SettingsPageIds.h"

namespace {

constexpr UINT kBackground = 10445;
constexpr UINT kHelpBitmap = 1014;
constexpr UINT kMergeHelpText = 1184;
constexpr int kFileTypeChars = 30;
// The template's rows, in dialog units: the lists, and the boxes below them.
constexpr int kListPitch = 16;
constexpr int kBoxesTop = 89;
constexpr int kBoxPitch = 11;

const SCtrlText kTexts[] = {
    {IDC_SOURCE_LABEL, 1025}, {IDC_COLOUR_LABEL, 1027},  {IDC_RESOLUTION_LABEL, 1031}, {IDC_PAPER_LABEL, 1037},
    {IDC_FILE_TYPE_LABEL, 1116}, {IDC_MANUAL_DUPLEX, 1175}, {IDC_MERGE_SCAN, 1187},     {IDC_PAGE_BY_PAGE, 1188},
    {IDC_HORIZONTAL, 1174},   {IDC_BASIC_DEFAULTS, 1046}, {IDC_AUTO_CROP, IDS_AUTO_CROP},
};

void Show(HWND hCtrl, bool bShow)
{
    ::ShowWindow(hCtrl, bShow ? SW_SHOWNA : SW_HIDE);
}

}  // namespace

CBasicSetting::CBasicSetting(HINSTANCE hResModule, ISettingsPageHost& host) : CChildPage(IDD, hResModule), m_host(host)
{
    CMessageMap& map = Map();
    map.OnCommand(IDC_SOURCE_LIST, this, &CBasicSetting::OnSourceChanged, CBN_SELCHANGE);
    map.OnCommand(IDC_COLOUR_LIST, this, &CBasicSetting::OnColourChanged, CBN_SELCHANGE);
    map.OnCommand(IDC_RESOLUTION_LIST, this, &CBasicSetting::OnResolutionChanged, CBN_SELCHANGE);
    map.OnCommand(IDC_PAPER_LIST, this, &CBasicSetting::OnPaperChanged, CBN_SELCHANGE);
    map.OnCommand(IDC_FILE_TYPE_LIST, this, &CBasicSetting::OnFileTypeChanged, CBN_SELCHANGE);
    map.OnCommand(IDC_HORIZONTAL, this, &CBasicSetting::OnHorizontal);
    map.OnCommand(IDC_MANUAL_DUPLEX, this, &CBasicSetting::OnManualDuplex);
    map.OnCommand(IDC_MERGE_SCAN, [this] { OnMergeChoice(IDC_MERGE_SCAN); });
    map.OnCommand(IDC_PAGE_BY_PAGE, [this] { OnMergeChoice(IDC_PAGE_BY_PAGE); });
    map.OnCommand(IDC_MERGE_HELP, [this] { ShowWarningText(LoadLangString(kMergeHelpText), m_hWnd, false); });
    map.OnCommand(IDC_BASIC_DEFAULTS, this, &CBasicSetting::OnRestoreDefaults);
}

BOOL CBasicSetting::OnInitDialog()
{
    TraceA("CBasicSetting::OnInitDialog : Start");
    SetBackground(kBackground);
    AttachTextButton(m_btnDefaults, m_hWnd, IDC_BASIC_DEFAULTS);
    ReadProfile();
    TraceA("CBasicSetting::OnInitDialog : Middle");
    InitControls();
    TraceA("CBasicSetting::OnInitDialog : End");
    return FALSE;
}

void CBasicSetting::ReadProfile()
{
    // The product flags themselves (crop, A3, horizontal, merge) the host read for the page.
    m_nSourceCount = OfferedSourceCount(ReadModelFlag(L"HasADF", true), ReadModelFlag(L"IsAutoduplex", false));
    m_state.bHasManualDuplex = ReadModelFlag(L"HasManualDuplex", true);
    m_state.bFileOutput = g_bFileOutputMode;
    m_state.bMergeAvailable = g_bHasMergeScan && g_bFileOutputMode;
    m_bMetric = IsMetricLocale() != FALSE;
    if (!g_bHasHorizontal)
        m_host.Record().nHorizontal = 0;
}

void CBasicSetting::InitControls()
{
    const int labels[] = {IDC_SOURCE_LABEL, IDC_COLOUR_LABEL, IDC_RESOLUTION_LABEL, IDC_PAPER_LABEL, IDC_FILE_TYPE_LABEL};
    for (size_t i = 0; i < std::size(labels); ++i)
        m_labels[i].SubclassDlgItem(labels[i], m_hWnd);
    m_chkHorizontal.SubclassDlgItem(IDC_HORIZONTAL, m_hWnd);
    m_chkAutoCrop.SubclassDlgItem(IDC_AUTO_CROP, m_hWnd);
    m_chkAutoCrop.SetBackColor(RGB(249, 249, 249));
    m_chkManualDuplex.SubclassDlgItem(IDC_MANUAL_DUPLEX, m_hWnd);
    m_radMerge.SubclassDlgItem(IDC_MERGE_SCAN, m_hWnd);
    m_radPageByPage.SubclassDlgItem(IDC_PAGE_BY_PAGE, m_hWnd);
    SetControlTexts(m_hWnd, kTexts, static_cast<int>(std::size(kTexts)));

    const UINT sources[] = {1026, 1138, 1145};
    std::vector<std::wstring> sourceNames;
    for (int i = 0; i < m_nSourceCount; ++i)
        sourceNames.push_back(LoadLangString(sources[i]));
    FillDropList(GetDlgItem(IDC_SOURCE_LIST), sourceNames);
    FillDropListIds(GetDlgItem(IDC_COLOUR_LIST), {1028, 1029, 1030});
    // Until a source is chosen the list offers every resolution of the product.
    const std::vector<int> dpis = InitialResolutionList(g_bKRV != FALSE);
    std::vector<std::wstring> dpiNames;
    for (int nDpi : dpis)
        dpiNames.push_back(LoadLangString(static_cast<UINT>(ResolutionLabelId(nDpi))));
    FillDropList(GetDlgItem(IDC_RESOLUTION_LIST), dpiNames);
    SetResolutionTable(dpis);
    FillDropList(GetDlgItem(IDC_FILE_TYPE_LIST), FileTypeNames(g_bHasOFD != FALSE, g_bHasPDFDOC != FALSE));

    // The product decides once which of these ever show.
    Show(GetDlgItem(IDC_HORIZONTAL), g_bHasHorizontal != FALSE);
    Show(GetDlgItem(IDC_AUTO_CROP), g_bHasAutoCrop != FALSE);
    // Automatic crop follows the paper (the full platen); the box only shows when it applies.
    ::EnableWindow(GetDlgItem(IDC_AUTO_CROP), FALSE);
    Show(GetDlgItem(IDC_FILE_TYPE_LABEL), m_state.bFileOutput);
    Show(GetDlgItem(IDC_FILE_TYPE_LIST), m_state.bFileOutput);

    m_btnHelp.SubclassDlgItem(IDC_MERGE_HELP, m_hWnd);
    m_btnHelp.SetSkin(kHelpBitmap, kHelpBitmap, kHelpBitmap, kHelpBitmap, 0, 0, kDrawStretch);
    m_btnHelp.SetTextShown(false);
    // Its name, for screen readers, is the explanation it gives.
    m_btnHelp.SetWindowText(LoadLangString(kMergeHelpText));
    if ((m_hToolTip = CreatePageToolTip(m_hWnd)) != nullptr) {
        ::SendMessageW(m_hToolTip, TTM_SETTIPTEXTCOLOR, RGB(255, 0, 0), 0);
        ::SendMessageW(m_hToolTip, TTM_SETDELAYTIME, TTDT_AUTOPOP, 60000);
        AddPageToolTip(m_hToolTip, m_btnHelp, LoadLangString(kMergeHelpText));
    }
    for (int nId : {IDC_MERGE_HELP, IDC_MERGE_SCAN, IDC_PAGE_BY_PAGE, IDC_MANUAL_DUPLEX})
        Show(GetDlgItem(nId), false);
    LayOutBoxes();
}

void CBasicSetting::LayOutBoxes()
{
    for (int nId : {IDC_HORIZONTAL, IDC_AUTO_CROP, IDC_MANUAL_DUPLEX, IDC_MERGE_SCAN, IDC_PAGE_BY_PAGE})
        FitButtonToText(GetDlgItem(nId));
    // The boxes this product shows follow the lists one under the other, without gaps where
    // the file type or a box the product lacks would be.
    RECT rc{0, m_state.bFileOutput ? kBoxesTop : kBoxesTop - kListPitch, 1, kBoxPitch};
    ::MapDialogRect(m_hWnd, &rc);
    int nTop = rc.top;
    auto place = [this, &nTop, nPitch = rc.bottom](std::initializer_list<int> ids) {
        for (int nId : ids)
            MoveControlTo(GetDlgItem(nId), nTop);
        nTop += nPitch;
    };
    if (g_bHasHorizontal)
        place({IDC_HORIZONTAL});
    if (g_bHasAutoCrop)
        place({IDC_AUTO_CROP});
    // Manual duplex (a feeder) and merge scanning (the flatbed) never show together.
    MoveControlTo(GetDlgItem(IDC_MERGE_HELP), nTop - rc.right);
    place({IDC_MANUAL_DUPLEX, IDC_MERGE_SCAN});
    place({IDC_PAGE_BY_PAGE});
}

int CBasicSetting::Selection(int nListId) const
{
    return ListSelection(GetDlgItem(nListId));
}

bool CBasicSetting::Checked(int nId) const
{
    return ::IsDlgButtonChecked(m_hWnd, nId) == BST_CHECKED;
}

void CBasicSetting::Check(int nId, bool bChecked) const
{
    ::CheckDlgButton(m_hWnd, nId, bChecked ? BST_CHECKED : BST_UNCHECKED);
}

void CBasicSetting::GetResolutionID()
{
    TraceA("CBasicSetting::GetResolutionID()");
    const SScanParamRecord& rec = m_host.Record();
    const std::vector<int> dpis = ResolutionList(CurrentProductFlags(), rec.nSource, rec.nColourMode, rec.nPaperIndex);
    std::vector<std::wstring> names;
    for (int nDpi : dpis)
        names.push_back(LoadLangString(static_cast<UINT>(ResolutionLabelId(nDpi))));
    FillDropList(GetDlgItem(IDC_RESOLUTION_LIST), names);
    SetResolutionTable(dpis);
}

void CBasicSetting::RebuildLists(int nPaperIndex)
{
    SScanParamRecord& rec = m_host.Record();
    const SProductFlags flags = CurrentProductFlags();
    const int nPrevious = Selection(IDC_PAPER_LIST);
    const std::vector<_PaperInfo>& papers = ProcessPaperLists().ForSource(rec.nSource);
    std::vector<std::wstring> names;
    for (const _PaperInfo& info : papers)
        names.push_back(LoadLangString(static_cast<UINT>(info.nNameId)));
    FillDropList(GetDlgItem(IDC_PAPER_LIST), names);
    GetResolutionID();
    const int nPapers = static_cast<int>(papers.size());
    rec.nPaperIndex = nPaperIndex != -1 ? nPaperIndex : DefaultPaperIndex(flags, rec.nSource, m_bMetric, nPrevious, nPapers);
    const int nDpis = static_cast<int>(::SendDlgItemMessageW(m_hWnd, IDC_RESOLUTION_LIST, CB_GETCOUNT, 0, 0));
    rec.nResolutionIndex = RebuiltResolutionIndex(flags, rec.nSource, rec.nColourMode, rec.nResolutionIndex, nDpis);
    // A feeder's custom area has no entry: the list then shows no paper.
    SelectListEntry(GetDlgItem(IDC_PAPER_LIST), rec.nPaperIndex);
    SelectListEntry(GetDlgItem(IDC_RESOLUTION_LIST), rec.nResolutionIndex);
    ShowControls();
}

void CBasicSetting::ShowControls()
{
    const SScanParamRecord& rec = m_host.Record();
    const IScanOutput& out = m_host.SaveChoices();
    const SBasicPageShown shown = BasicPageShown(m_state, rec.nSource, out.FileType(), g_bManualDuplex);
    Show(GetDlgItem(IDC_MANUAL_DUPLEX), shown.bManualDuplex);
    Check(IDC_MANUAL_DUPLEX, g_bManualDuplex && shown.bManualDuplex);
    Show(GetDlgItem(IDC_MERGE_SCAN), shown.bMergeRadios);
    Show(GetDlgItem(IDC_PAGE_BY_PAGE), shown.bMergeRadios);
    ::EnableWindow(GetDlgItem(IDC_MERGE_SCAN), shown.bMergeEnabled);
    Show(GetDlgItem(IDC_MERGE_HELP), shown.bHelpIcon);
    ::EnableWindow(GetDlgItem(IDC_FILE_TYPE_LIST), shown.bFileTypeEnabled);
    Check(IDC_AUTO_CROP, AutoCropPaper(rec.nSource, rec.nPaperIndex));
}

void CBasicSetting::ApplyHorizontalRule()
{
    if (!g_bHasHorizontal)
        return;
    const bool bAllowed = HorizontalAllowed(m_host.Record().nPaperIndex);
    if (!bAllowed) {
        Check(IDC_HORIZONTAL, false);
        m_host.Record().nHorizontal = 0;
    }
    ::EnableWindow(GetDlgItem(IDC_HORIZONTAL), bAllowed);
}

void CBasicSetting::Refresh()
{
    if (!m_hWnd)
        return;
    SScanParamRecord& rec = m_host.Record();
    IScanOutput& out = m_host.SaveChoices();
    // A setting made on another model may name a source this one lacks.
    rec.nSource = OfferedSource(rec.nSource, m_nSourceCount);
    SelectListEntry(GetDlgItem(IDC_SOURCE_LIST), rec.nSource);
    SelectListEntry(GetDlgItem(IDC_COLOUR_LIST), kColourRgb - std::clamp(rec.nColourMode, 0, 2));
    Check(IDC_HORIZONTAL, rec.nHorizontal != 0);
    if (m_state.bMergeAvailable) {
        if (IsMergeableType(out.FileType())) {
            TraceA("*** formatMergeable = TRUE");
        } else {
            TraceA("*** EnableMergeScan formatMergeable = FALSE");
            out.SetMergeScan(false);
        }
    }
    if (m_state.bFileOutput) {
        const std::wstring sType = out.FileType().substr(0, kFileTypeChars);
        TraceW(L"the ext name is %ls", sType.c_str());
        const int nIndex = FileTypeIndex(sType, g_bHasOFD != FALSE, g_bHasPDFDOC != FALSE);
        TraceA("the ext index is %d", nIndex);
        SelectListEntry(GetDlgItem(IDC_FILE_TYPE_LIST), nIndex);
        Check(IDC_MERGE_SCAN, out.MergeScan());
        Check(IDC_PAGE_BY_PAGE, !out.MergeScan());
    }
    RebuildLists(rec.nPaperIndex);
    m_host.OnScanAreaChanged();
    m_host.ApplyColourModeRules();
    ApplyHorizontalRule();
}

void CBasicSetting::SetPaperSelection()
{
    if (!m_hWnd)
        return;
    SelectListEntry(GetDlgItem(IDC_PAPER_LIST), m_host.Record().nPaperIndex);
    ApplyHorizontalRule();
    ShowControls();
}

void CBasicSetting::OnSourceChanged()
{
    SScanParamRecord& rec = m_host.Record();
    const int nSource = Selection(IDC_SOURCE_LIST);
    if (nSource < 0 || nSource == rec.nSource)
        return;
    rec.nSource = nSource;
    RebuildLists(-1);
    // The default paper of the new source is a change of the paper too.
    rec.nPaperIndex = -1;
    OnPaperChanged();
    m_host.RefreshPreviewLayout();
    Refresh();
}

void CBasicSetting::OnColourChanged()
{
    SScanParamRecord& rec = m_host.Record();
    const int nIndex = Selection(IDC_COLOUR_LIST);
    const bool bChanged = nIndex >= 0 && kColourRgb - nIndex != rec.nColourMode;
    if (bChanged) {
        rec.nColourMode = kColourRgb - nIndex;
        m_host.ApplyColourModeRules();
    }
    // Platform K offers other resolutions in colour.
    if (g_bIsPlatformK) {
        RebuildLists(rec.nPaperIndex);
        m_host.OnScanAreaChanged();
    }
    if (bChanged) {
        m_host.OnSettingChanged();
        m_host.ReprocessPreview();
    }
}

void CBasicSetting::OnResolutionChanged()
{
    SScanParamRecord& rec = m_host.Record();
    const int nIndex = Selection(IDC_RESOLUTION_LIST);
    if (nIndex < 0 || nIndex == rec.nResolutionIndex)
        return;
    rec.nResolutionIndex = nIndex;
    m_host.OnSettingChanged();
    m_host.OnScanAreaChanged();
}

void CBasicSetting::OnPaperChanged()
{
    SScanParamRecord& rec = m_host.Record();
    const int nIndex = Selection(IDC_PAPER_LIST);
    if (nIndex >= 0 && nIndex != rec.nPaperIndex) {
        rec.nPaperIndex = nIndex;
        m_host.OnSettingChanged();
        m_host.OnScanAreaChanged();
        ApplyHorizontalRule();
        ShowControls();
    }
    // This model offers 600 dpi on the feeder except for its full area.
    if (g_bIsPlatformL_RGB_ZT4410QRS)
        RebuildLists(rec.nPaperIndex);
}

void CBasicSetting::OnHorizontal()
{
    m_host.Record().nHorizontal = Checked(IDC_HORIZONTAL) ? 1 : 0;
    m_host.OnSettingChanged();
}

void CBasicSetting::OnFileTypeChanged()
{
    TraceA("OnCbnSelchangeComboFiletype===>Enter");
    const int nIndex = Selection(IDC_FILE_TYPE_LIST);
    const std::vector<std::wstring> types = FileTypeNames(g_bHasOFD != FALSE, g_bHasPDFDOC != FALSE);
    if (nIndex < 0 || nIndex >= static_cast<int>(types.size()))
        return;
    IScanOutput& out = m_host.SaveChoices();
    // A type of single pages cannot take further flatbed pages.
    if (m_host.Record().nSource == kSourceFlatbed && !IsMergeableType(types[nIndex])) {
        out.SetMergeScan(false);
        Check(IDC_MERGE_SCAN, false);
        Check(IDC_PAGE_BY_PAGE, true);
    }
    out.SetFileType(types[nIndex]);
    ShowControls();
}

void CBasicSetting::OnManualDuplex()
{
    TraceA("*** CBasicSetting::OnBnClickedCheck1 : Start");
    const bool bOn = g_bFileOutputMode && m_host.Record().nSource == kSourceFeeder && Checked(IDC_MANUAL_DUPLEX);
    g_bManualDuplex = bOn;
    IScanOutput& out = m_host.SaveChoices();
    out.SetManualDuplex(bOn);
    // The backs come as a second pass: only a PDF takes both passes in page order.
    if (bOn)
        out.SetFileType(L"pdf");
    Refresh();
}

void CBasicSetting::OnMergeChoice(int nRadioId)
{
    const bool bMerge = nRadioId == IDC_MERGE_SCAN ? Checked(IDC_MERGE_SCAN) : !Checked(IDC_PAGE_BY_PAGE);
    TraceA(nRadioId == IDC_MERGE_SCAN ? "*** CBasicSetting::OnBnClickedRadioMergeScan"
                                      : "*** CBasicSetting::OnBnClickedRadioNormalScan");
    m_host.SaveChoices().SetMergeScan(bMerge);
}

void CBasicSetting::OnRestoreDefaults()
{
    SScanParamRecord& rec = m_host.Record();
    if (g_bFileOutputMode && rec.nSource == kSourceFeeder && Checked(IDC_MANUAL_DUPLEX)) {
        Check(IDC_MANUAL_DUPLEX, false);
        OnManualDuplex();
    }
    if (g_bHasHorizontal) {
        ::EnableWindow(GetDlgItem(IDC_HORIZONTAL), FALSE);
        Check(IDC_HORIZONTAL, false);
    }
    RestoreBasicDefaults(rec, CurrentProductFlags(), m_nSourceCount);
    if (m_state.bMergeAvailable) {
        m_host.SaveChoices().SetFileType(L"jpg");
        m_host.SaveChoices().SetMergeScan(false);
    }
    Refresh();
    m_host.OnSettingsRestored();
}
