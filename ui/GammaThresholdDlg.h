// Gamma and black-and-white threshold (template 10372): a slider and a field each (gamma with
// one decimal, 0.1 to 9.9, kept in tenths; threshold 0 to 255), enabled by the colour mode,
// and on QX5031 products the "HALFTONE" box that switches the automatic threshold.
#pragma once

#include "ui/AdjustDialog.h"
#include "ui/TransCheckBox.h"

class CCGammaThresholdDlg : public CAdjustDialog {
public:
    static constexpr UINT IDD = 10372;

    CCGammaThresholdDlg(HINSTANCE hResModule, SAdjustHost host);

protected:
    void OnOpen() override;
    void OnReset() override;
    void OnSlider(HWND hSlider, int nPos) override;
    void OnNumberChanged(HWND hField, int nValue) override;

private:
    enum EValue { kGamma = 0, kThreshold = 1 };
    int32_t& Value(EValue e);
    // A value the user set with a slider or a field: the other control follows.
    void Take(EValue e, int nValue);
    void ShowValue(EValue e, int nValue);
    void OnHalftone();
    void ApplyEnabling();

    CTransparentSlider m_sliders[2];
    CNumberEdit m_fields[2];
    CTransCheckBox m_halftone;
};
