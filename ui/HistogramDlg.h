// The histogram of the preview image as it is shown (template 10373): the plot of the selected
// channel, very high bins clipped so the rest stays readable, and its mean, standard
// deviation, median and pixel count. Computed once per opening; it changes nothing.
#pragma once

#include "imgeffect/ImgEffectApi.h"
#include "ui/AdjustDialog.h"
#include "ui/PlotFrame.h"
#include "ui/StaticTrans.h"

class CCHistogramDlg : public CAdjustDialog {
public:
    static constexpr UINT IDD = 10373;

    CCHistogramDlg(HINSTANCE hResModule, SAdjustHost host);

    // The block of the last opening (all zero for a missing preview or effect library).
    const _HistogramData& Block() const { return m_block; }

protected:
    void OnOpen() override;
    void OnChannelChanged() override;

private:
    void ComputeBlock();
    void ShowStats();
    void DrawPlot(HDC hDC, const RECT& rc) const;

    CPlotFrame m_frame;
    CStaticTrans m_stats;
    _HistogramData m_block{};
};
