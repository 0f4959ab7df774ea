// The advanced settings page of the scanning dialog (template 10370): descreen, fading
// correction, rotation and automatic deskew, and the four image buttons that open the image
// adjustment dialogs. It edits the adjustment fields of the host's record in place; which
// adjustments are open follows the colour mode.
#pragma once

#include <optional>

#include "ui/BrightContrastDlg.h"
#include "ui/ChildPage.h"
#include "ui/GammaThresholdDlg.h"
#include "ui/HistogramDlg.h"
#include "ui/MainDialogIds.h"
#include "ui/SettingsPageRules.h"
#include "ui/SkinButton.h"
#include "ui/StaticTrans.h"
#include "ui/TransCheckBox.h"
#include "ui/ToneCurveDlg.h"
#include "ui/TransGroupBox.h"

class ISettingsPageHost;

class CAdvancedSetting : public CChildPage {
public:
    static constexpr UINT IDD = IDD_ADVANCED_PAGE;
    enum EAdjustDialog { kBrightContrast, kGammaThreshold, kHistogram, kToneCurve, kAdjustDialogs };

    CAdvancedSetting(HINSTANCE hResModule, ISettingsPageHost& host);

    // Shows the record's descreen, fading, rotation and deskew (after the host loaded settings).
    void Refresh();
    // The record's colour mode decides which adjustments are open, and clears those it closes.
    void ApplyColourModeRules();

protected:
    BOOL OnInitDialog() override;
    void OnOK() override;
    void OnCancel() override;

private:
    void InitControls();
    void CreateAdjustDialogs();
    // Shows one of the image adjustment dialogs modally over the page.
    void OpenAdjustDialog(EAdjustDialog eDialog);
    void OnListChanged(int nListId, int32_t SScanParamRecord::*pField, bool bReprocess);
    void OnDeskew();
    void OnRestoreDefaults();

    ISettingsPageHost& m_host;
    bool m_bHasAutoRotate = false;
    HWND m_hToolTip = nullptr;
    Trans_GroupBox m_groups[2];
    CStaticTrans m_labels[3];
    CTransCheckBox m_chkDeskew;
    CxSkinButton m_btnImages[kAdjustDialogs];
    CxSkinButton m_btnDefaults;
    // The image adjustment dialogs, made once with the page; each edits the host's record.
    std::optional<CCImageBrightContrastDlg> m_dlgBrightContrast;
    std::optional<CCGammaThresholdDlg> m_dlgGammaThreshold;
    std::optional<CCHistogramDlg> m_dlgHistogram;
    std::optional<CDlg_Curve> m_dlgCurve;
};
