// Brightness and contrast per channel (template 10371): a slider and a signed field
// (-100..100) for each, and the curve they give drawn in a square frame: the all-channels
// curve in black, or for a colour channel all three colour curves with the selected one on top.
#pragma once

#include <array>
#include <cstdint>

#include "ui/AdjustDialog.h"
#include "ui/PlotFrame.h"

class CCImageBrightContrastDlg : public CAdjustDialog {
public:
    static constexpr UINT IDD = 10371;

    CCImageBrightContrastDlg(HINSTANCE hResModule, SAdjustHost host);

protected:
    void OnOpen() override;
    void OnChannelChanged() override;
    void OnReset() override;
    void OnSlider(HWND hSlider, int nPos) override;
    void OnNumberChanged(HWND hField, int nValue) override;
    void OnOK() override;

private:
    enum EValue { kBrightness = 0, kContrast = 1 };
    int32_t& Value(EValue e, int nChannel);
    // A value the user set with a slider or a field: the other control follows.
    void Take(EValue e, int nValue);
    void ShowChannel();
    void MakeFrameSquare();
    void ComputeCurves();
    void DrawCurves(HDC hDC, const RECT& rc) const;

    CTransparentSlider m_sliders[2];
    CNumberEdit m_fields[2];
    CPlotFrame m_frame;
    // The tables drawn, by channel (identity until the effect library rewrites them).
    std::array<std::array<int32_t, 256>, 4> m_tables{};
};
