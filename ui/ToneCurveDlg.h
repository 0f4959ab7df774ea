// The tone curve per channel (template 10380): one of five presets for each channel, drawn as
// the curve it applies; the all-channels curve in black, or for a colour channel all three
// colour curves with the selected one on top.
#pragma once

#include "ui/AdjustDialog.h"
#include "ui/PlotFrame.h"

class CDlg_Curve : public CAdjustDialog {
public:
    static constexpr UINT IDD = 10380;

    CDlg_Curve(HINSTANCE hResModule, SAdjustHost host);

protected:
    void OnOpen() override;
    void OnChannelChanged() override;
    void OnReset() override;

private:
    void OnPresetChanged();
    void ShowPreset();
    void DrawCurves(HDC hDC, const RECT& rc) const;

    CPlotFrame m_frame;
};
