#include "ui/AdvancedSetting.h"

#include <vector>

#include "device/CurrentProductFlags.h"
#include "profile/ProductProfile.h"
#include "profile/Resources.h"
#include "profile/Trace.h"
#include "transfer/TransferFlags.h"
#include "ui/PageControls.h"
#include "ui/SettingsPageHost.h"
#include "ui/SettingsPageIds.h"

namespace {

constexpr UINT kBackground = 10446;
constexpr int kFocusMargin = 3;

// Each image button: its control, its name (also its tooltip) and its normal, pressed, hover
// and disabled bitmaps.
struct SImageButton {
    int nCtrlId;
    UINT nNameId;
    UINT nBitmaps[4];
};
const SImageButton kImageButtons[CAdvancedSetting::kAdjustDialogs] = {
    {IDC_BRIGHT_CONTRAST, 1063, {10413, 10414, 10415, 10416}},
    {IDC_GAMMA_THRESHOLD, 1064, {10425, 10426, 10427, 10428}},
    {IDC_HISTOGRAM, 1065, {10421, 10422, 10423, 10424}},
    {IDC_TONE_CURVE, 1066, {10417, 10418, 10419, 10420}},
};

const SCtrlText kTexts[] = {
    {IDC_PROCESSING_GROUP, 1048}, {IDC_DESCREEN_LABEL, 1049}, {IDC_FADING_LABEL, 1052},
    {IDC_ROTATION_LABEL, 1057},   {IDC_AUTO_DESKEW, 1173},    {IDC_ADJUST_GROUP, 1062},
    {IDC_ADVANCED_DEFAULTS, 1046},
};

// The three lists with the record's field each shows, and their entries.
struct SList {
    int nCtrlId;
    int32_t SScanParamRecord::*pField;
    std::vector<UINT> entries;
};
const SList kLists[] = {
    {IDC_DESCREEN_LIST, &SScanParamRecord::nDescreen, {1051, 1050}},
    {IDC_FADING_LIST, &SScanParamRecord::nFading, {1053, 1054, 1055, 1056}},
    {IDC_ROTATION_LIST, &SScanParamRecord::nRotation, {1058, 1059, 1060, 1061}},
};

}  // namespace

CAdvancedSetting::CAdvancedSetting(HINSTANCE hResModule, ISettingsPageHost& host)
    : CChildPage(IDD, hResModule), m_host(host)
{
    CMessageMap& map = Map();
    // Descreen and fading change what the preview shows; the rotation applies to the scan.
    map.OnCommand(IDC_DESCREEN_LIST, [this] { OnListChanged(IDC_DESCREEN_LIST, &SScanParamRecord::nDescreen, true); },
                  CBN_SELCHANGE);
    map.OnCommand(IDC_FADING_LIST, [this] { OnListChanged(IDC_FADING_LIST, &SScanParamRecord::nFading, true); },
                  CBN_SELCHANGE);
    map.OnCommand(IDC_ROTATION_LIST, [this] { OnListChanged(IDC_ROTATION_LIST, &SScanParamRecord::nRotation, false); },
                  CBN_SELCHANGE);
    map.OnCommand(IDC_AUTO_DESKEW, this, &CAdvancedSetting::OnDeskew);
    map.OnCommand(IDC_ADVANCED_DEFAULTS, this, &CAdvancedSetting::OnRestoreDefaults);
    for (int i = 0; i < kAdjustDialogs; ++i)
        map.OnCommand(kImageButtons[i].nCtrlId, [this, i] { OpenAdjustDialog(static_cast<EAdjustDialog>(i)); });
}

BOOL CAdvancedSetting::OnInitDialog()
{
    SetBackground(kBackground);
    m_bHasAutoRotate = ReadModelFlag(L"HasAutoRotate", false);
    InitControls();
    CreateAdjustDialogs();
    return FALSE;
}

void CAdvancedSetting::OnOK()
{
    TraceA("OnOK");
}

void CAdvancedSetting::OnCancel()
{
    TraceA("OnCancel");
}

void CAdvancedSetting::InitControls()
{
    m_groups[0].SubclassDlgItem(IDC_PROCESSING_GROUP, m_hWnd);
    m_groups[1].SubclassDlgItem(IDC_ADJUST_GROUP, m_hWnd);
    const int labels[] = {IDC_DESCREEN_LABEL, IDC_FADING_LABEL, IDC_ROTATION_LABEL};
    for (size_t i = 0; i < std::size(labels); ++i)
        m_labels[i].SubclassDlgItem(labels[i], m_hWnd);
    m_chkDeskew.SubclassDlgItem(IDC_AUTO_DESKEW, m_hWnd);
    m_chkDeskew.SetBackColor(RGB(218, 218, 218));
    ::ShowWindow(m_chkDeskew, m_bHasAutoRotate ? SW_SHOWNA : SW_HIDE);
    SetControlTexts(m_hWnd, kTexts, static_cast<int>(std::size(kTexts)));
    for (const SList& list : kLists)
        FillDropListIds(GetDlgItem(list.nCtrlId), list.entries);
    AttachTextButton(m_btnDefaults, m_hWnd, IDC_ADVANCED_DEFAULTS);
    m_hToolTip = CreatePageToolTip(m_hWnd);
    for (int i = 0; i < kAdjustDialogs; ++i) {
        const SImageButton& b = kImageButtons[i];
        CxSkinButton& button = m_btnImages[i];
        button.SubclassDlgItem(b.nCtrlId, m_hWnd);
        button.SetSkin(b.nBitmaps[0], b.nBitmaps[1], b.nBitmaps[2], b.nBitmaps[3], 0, 0, kDrawStretch, FALSE, kFocusMargin);
        button.SetTextShown(false);
        const std::wstring sName = L" " + LoadLangString(b.nNameId) + L" ";
        button.SetWindowText(sName);
        AddPageToolTip(m_hToolTip, button, sName);
    }
}

void CAdvancedSetting::Refresh()
{
    if (!m_hWnd)
        return;
    SScanParamRecord& rec = m_host.Record();
    // Deskew needs the product's automatic rotation; values no list offers mean none.
    if (!m_bHasAutoRotate)
        rec.nAutoDeskew = 0;
    for (const SList& list : kLists) {
        int32_t& nValue = rec.*list.pField;
        if (nValue < 0 || nValue >= static_cast<int>(list.entries.size()))
            nValue = 0;
        SelectListEntry(GetDlgItem(list.nCtrlId), nValue);
    }
    ::CheckDlgButton(m_hWnd, IDC_AUTO_DESKEW, rec.nAutoDeskew ? BST_CHECKED : BST_UNCHECKED);
    g_bAutoDeskew = rec.nAutoDeskew != 0;
}

void CAdvancedSetting::ApplyColourModeRules()
{
    if (!m_hWnd)
        return;
    SScanParamRecord& rec = m_host.Record();
    const SAdjustEnables open = ::ApplyColourModeRules(rec, CurrentProductFlags());
    ::EnableWindow(GetDlgItem(IDC_DESCREEN_LIST), open.bDescreen);
    ::EnableWindow(GetDlgItem(IDC_FADING_LIST), open.bFading);
    SelectListEntry(GetDlgItem(IDC_DESCREEN_LIST), rec.nDescreen);
    SelectListEntry(GetDlgItem(IDC_FADING_LIST), rec.nFading);
    m_btnImages[kBrightContrast].EnableWindow(open.bBrightContrast);
    m_btnImages[kHistogram].EnableWindow(open.bHistogram);
    m_btnImages[kToneCurve].EnableWindow(open.bCurve);
    m_btnImages[kGammaThreshold].EnableWindow(TRUE);
}

void CAdvancedSetting::OnListChanged(int nListId, int32_t SScanParamRecord::*pField, bool bReprocess)
{
    const int nIndex = ListSelection(GetDlgItem(nListId));
    int32_t& nValue = m_host.Record().*pField;
    if (nIndex < 0 || nIndex == nValue)
        return;
    nValue = nIndex;
    m_host.OnSettingChanged();
    if (bReprocess)
        m_host.ReprocessPreview();
}

void CAdvancedSetting::OnDeskew()
{
    const bool bOn = m_bHasAutoRotate && ::IsDlgButtonChecked(m_hWnd, IDC_AUTO_DESKEW) == BST_CHECKED;
    m_host.Record().nAutoDeskew = bOn ? 1 : 0;
    g_bAutoDeskew = bOn;
    m_host.OnSettingChanged();
}

void CAdvancedSetting::OnRestoreDefaults()
{
    if (!RestoreAdvancedDefaults(m_host.Record(), CurrentProductFlags()))
        return;
    Refresh();
    m_host.OnSettingsRestored();
    m_host.ReprocessPreview();
}

void CAdvancedSetting::CreateAdjustDialogs()
{
    const SAdjustHost host = m_host.AdjustHost();
    const HINSTANCE hLang = ResourceModule();
    m_dlgBrightContrast.emplace(hLang, host);
    m_dlgGammaThreshold.emplace(hLang, host);
    m_dlgHistogram.emplace(hLang, host);
    m_dlgCurve.emplace(hLang, host);
}

void CAdvancedSetting::OpenAdjustDialog(EAdjustDialog eDialog)
{
    TraceA("CAdvancedSetting::OpenAdjustDialog(%d)", static_cast<int>(eDialog));
    switch (eDialog) {
    case kBrightContrast:
        if (m_dlgBrightContrast)
            m_dlgBrightContrast->Show(m_hWnd);
        break;
    case kGammaThreshold:
        if (m_dlgGammaThreshold)
            m_dlgGammaThreshold->Show(m_hWnd);
        break;
    case kHistogram:
        if (m_dlgHistogram)
            m_dlgHistogram->Show(m_hWnd);
        break;
    case kToneCurve:
        if (m_dlgCurve)
            m_dlgCurve->Show(m_hWnd);
        break;
    default:
        break;
    }
}
