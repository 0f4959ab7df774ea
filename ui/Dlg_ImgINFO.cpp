#include "ui/Dlg_ImgINFO.h"

#include "profile/Resources.h"
#include "ui/DialogSkin.h"
#include "ui/MainDialogIds.h"
#include "ui/SettingTexts.h"

namespace {

const SCtrlText kLabels[] = {
    {IDC_INFO_LABEL_SOURCE, 1025}, {IDC_INFO_LABEL_MODE, 1027}, {IDC_INFO_LABEL_RESOLUTION, 1031},
    {IDC_INFO_LABEL_AREA, 1037},   {IDC_INFO_LABEL_SIZE, 1110}, {IDC_INFO_LABEL_DATA, 1111},
};

}  // namespace

CDlg_ImgINFO::CDlg_ImgINFO(HINSTANCE hResModule) : CChildPage(IDD, hResModule) {}

BOOL CDlg_ImgINFO::OnInitDialog()
{
    SetControlTexts(m_hWnd, kLabels, static_cast<int>(std::size(kLabels)));
    return FALSE;
}

void CDlg_ImgINFO::SetValue(int nLabelId, const std::wstring& sText)
{
    HWND hValue = GetDlgItem(nLabelId + IDC_INFO_VALUE_OFFSET);
    if (!hValue || CWnd(hValue).GetWindowText() == sText)
        return;
    ::SetWindowTextW(hValue, sText.c_str());
    // The value is drawn over the background: what it said before must go.
    RedrawUnder(hValue);
}

void CDlg_ImgINFO::Refresh(const SScanParamRecord& rec, const SInchRect& area, int nDpi)
{
    const SSummaryLocale locale = CurrentSummaryLocale();
    const double dWidth = area.dRight - area.dLeft, dHeight = area.dBottom - area.dTop;
    SetValue(IDC_INFO_LABEL_SOURCE, SourceName(rec.nSource));
    SetValue(IDC_INFO_LABEL_MODE, ColourModeName(rec.nColourMode));
    SetValue(IDC_INFO_LABEL_RESOLUTION, ResolutionText(nDpi));
    SetValue(IDC_INFO_LABEL_AREA, PaperName(rec.nSource, rec.nPaperIndex));
    SetValue(IDC_INFO_LABEL_SIZE, FormatImageSize(dWidth, dHeight, nDpi, rec.nUnit, locale));
    SetValue(IDC_INFO_LABEL_DATA, FormatDataSize(EstimateDataBytes(dWidth, dHeight, nDpi, rec.nColourMode), locale));
}
