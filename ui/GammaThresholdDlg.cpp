#include "ui/GammaThresholdDlg.h"

#include <algorithm>

#include "profile/Language.h"
#include "ui/AdjustDialogIds.h"
#include "ui/AdjustDialogRules.h"
#include "ui/DialogSkin.h"

namespace {

constexpr UINT kBackground = 10434;
constexpr UINT kTitle = 1064;
constexpr int kGammaMin = 1, kGammaMax = 99;
constexpr int kThresholdMin = 0, kThresholdMax = 255;
constexpr COLORREF kHalftoneBack = RGB(226, 226, 226);

void EnableItems(HWND hDlg, std::initializer_list<int> ids, bool bEnable)
{
    for (int nId : ids)
        ::EnableWindow(::GetDlgItem(hDlg, nId), bEnable);
}

}  // namespace

CCGammaThresholdDlg::CCGammaThresholdDlg(HINSTANCE hResModule, SAdjustHost host)
    : CAdjustDialog(IDD, hResModule, std::move(host), kBackground, kTitle)
{
    Map().OnCommand(IDC_ADJ_HALFTONE, [this] { OnHalftone(); });
}

int32_t& CCGammaThresholdDlg::Value(EValue e)
{
    return e == kGamma ? Record().nGamma : Record().nThreshold;
}

void CCGammaThresholdDlg::OnOpen()
{
    HINSTANCE hRes = ResourceModule();
    SetDlgStrings(m_hWnd, hRes, {{IDC_ADJ_GAMMA_LABEL, 1075}, {IDC_ADJ_THRESHOLD_LABEL, 1076}});
    // The ends of the gamma scale in the language's decimals.
    ::SetDlgItemTextW(m_hWnd, IDC_ADJ_GAMMA_MIN, CNumberFieldRule::Format(CNumberFieldRule::kTenths, kGammaMin, g_wcDecimalSep).c_str());
    ::SetDlgItemTextW(m_hWnd, IDC_ADJ_GAMMA_MAX, CNumberFieldRule::Format(CNumberFieldRule::kTenths, kGammaMax, g_wcDecimalSep).c_str());
    int nGamma = std::clamp(Value(kGamma), kGammaMin, kGammaMax);
    int nThreshold = std::clamp(Value(kThreshold), kThresholdMin, kThresholdMax);
    InitSlider(m_sliders[kGamma], IDC_ADJ_GAMMA_SLIDER, kGammaMin, kGammaMax, nGamma);
    InitNumberField(m_fields[kGamma], IDC_ADJ_GAMMA_EDIT, CNumberFieldRule::kTenths, kGammaMin, kGammaMax, 3, nGamma);
    InitSlider(m_sliders[kThreshold], IDC_ADJ_THRESHOLD_SLIDER, kThresholdMin, kThresholdMax, nThreshold);
    InitNumberField(m_fields[kThreshold], IDC_ADJ_THRESHOLD_EDIT, CNumberFieldRule::kUnsigned, kThresholdMin, kThresholdMax, 3,
                    nThreshold);
    m_halftone.SubclassDlgItem(IDC_ADJ_HALFTONE, m_hWnd);
    m_halftone.SetBackColor(kHalftoneBack);
    ::CheckDlgButton(m_hWnd, IDC_ADJ_HALFTONE, Record().nAutoThreshold ? BST_CHECKED : BST_UNCHECKED);
    ApplyEnabling();
}

void CCGammaThresholdDlg::ApplyEnabling()
{
    SGammaThresholdEnabling en =
        GammaThresholdEnabling(Record().nColourMode, Host().flags.bQX5031, Record().nAutoThreshold != 0);
    EnableItems(m_hWnd, {IDC_ADJ_GAMMA_LABEL, IDC_ADJ_GAMMA_EDIT, IDC_ADJ_GAMMA_SLIDER, IDC_ADJ_GAMMA_MIN, IDC_ADJ_GAMMA_MAX},
                en.bGamma);
    EnableItems(m_hWnd,
                {IDC_ADJ_THRESHOLD_LABEL, IDC_ADJ_THRESHOLD_EDIT, IDC_ADJ_THRESHOLD_SLIDER, IDC_ADJ_THRESHOLD_MIN,
                 IDC_ADJ_THRESHOLD_MAX},
                en.bThreshold);
    ::ShowWindow(GetDlgItem(IDC_ADJ_HALFTONE), en.bHalftoneShown ? SW_SHOW : SW_HIDE);
    ::EnableWindow(GetDlgItem(IDC_ADJ_HALFTONE), en.bHalftoneEnabled);
}

void CCGammaThresholdDlg::ShowValue(EValue e, int nValue)
{
    SetSliderPos(m_sliders[e], nValue);
    m_fields[e].SetValue(nValue);
}

void CCGammaThresholdDlg::Take(EValue e, int nValue)
{
    if (nValue == Value(e))
        return;
    Value(e) = nValue;
    ShowValue(e, nValue);
    NotifyChanged();
}

void CCGammaThresholdDlg::OnSlider(HWND hSlider, int nPos)
{
    for (EValue e : {kGamma, kThreshold})
        if (hSlider == m_sliders[e].GetSafeHwnd())
            Take(e, nPos);
}

void CCGammaThresholdDlg::OnNumberChanged(HWND hField, int nValue)
{
    for (EValue e : {kGamma, kThreshold})
        if (hField == m_fields[e].GetSafeHwnd())
            Take(e, nValue);
}

void CCGammaThresholdDlg::OnHalftone()
{
    Record().nAutoThreshold = ::IsDlgButtonChecked(m_hWnd, IDC_ADJ_HALFTONE) == BST_CHECKED ? 1 : 0;
    ApplyEnabling();
    // The halftone switch is not one of the named settings' values: nothing is marked custom.
    NotifyChanged(false);
}

void CCGammaThresholdDlg::OnReset()
{
    const int nGamma = DefaultGammaTenths(Host().flags);
    const int nThreshold = DefaultThreshold(Host().flags);
    bool bChanged = Value(kGamma) != nGamma || Value(kThreshold) != nThreshold;
    Value(kGamma) = nGamma;
    Value(kThreshold) = nThreshold;
    ShowValue(kGamma, nGamma);
    ShowValue(kThreshold, nThreshold);
    if (bChanged)
        NotifyChanged();
}
