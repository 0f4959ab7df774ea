#include "ui/HistogramDlg.h"

#include <cstring>

#include "profile/Language.h"
#include "ui/AdjustDialogIds.h"
#include "ui/AdjustDialogRules.h"
#include "ui/DialogSkin.h"

namespace {

constexpr UINT kBackground = 10436;
constexpr UINT kTitle = 1065;
constexpr UINT kStatLabels[4] = {1077, 1078, 1079, 1080};

// A preview the effect library can read: a known depth and rows at least as long as the pixels.
bool IsReadable(const SAdjustPreview& p)
{
    if (!p.pPixels || p.nWidth <= 0 || p.nHeight <= 0 || (p.nBitsPerPixel != 24 && p.nBitsPerPixel != 8))
        return false;
    return static_cast<int64_t>(p.nBytesPerRow) >= static_cast<int64_t>(p.nWidth) * (p.nBitsPerPixel / 8);
}

}  // namespace

CCHistogramDlg::CCHistogramDlg(HINSTANCE hResModule, SAdjustHost host)
    : CAdjustDialog(IDD, hResModule, std::move(host), kBackground, kTitle)
{
    m_frame.SetPainter([this](HDC hDC, const RECT& rc) { DrawPlot(hDC, rc); });
}

void CCHistogramDlg::OnOpen()
{
    m_frame.SubclassDlgItem(IDC_ADJ_FRAME, m_hWnd);
    m_stats.SubclassDlgItem(IDC_ADJ_STATS, m_hWnd);
    ComputeBlock();
    ShowStats();
}

void CCHistogramDlg::ComputeBlock()
{
    std::memset(&m_block, 0, sizeof m_block);
    SAdjustPreview preview = Host().fnPreviewImage ? Host().fnPreviewImage() : SAdjustPreview{};
    if (!IsReadable(preview))
        return;
    _ImageDesc desc{preview.nHeight, preview.nBytesPerRow, preview.nWidth, preview.nBitsPerPixel, 0, 0};
    // The library only reads the pixels.
    if (Effects().GetHistogramData(&m_block, &desc, const_cast<uint8_t*>(preview.pPixels)) != 0)
        std::memset(&m_block, 0, sizeof m_block);
}

void CCHistogramDlg::OnChannelChanged()
{
    ShowStats();
    m_frame.Redraw();
}

void CCHistogramDlg::ShowStats()
{
    HINSTANCE hRes = ResourceModule();
    std::array<std::wstring, 4> labels;
    for (int i = 0; i < 4; ++i)
        labels[i] = LoadDlgString(hRes, kStatLabels[i]);
    const int c = Channel();
    SHistogramStats stats{m_block.m_dMean[c], m_block.m_dStdDev[c], m_block.m_dMedian[c], m_block.m_nPixels};
    m_stats.SetWindowText(HistogramStatsText(labels, stats, g_wcDecimalSep));
}

void CCHistogramDlg::DrawPlot(HDC hDC, const RECT& rc) const
{
    // The 201 rows of the scale (0..200) over the frame less its last column and row.
    const int nWidth = rc.right - rc.left - 1;
    const int nHeight = rc.bottom - rc.top - 1;
    if (nWidth <= 0 || nHeight <= 0)
        return;
    constexpr int kRows = kHistogramPlotHeight + 1;
    const std::array<int, 256> heights = HistogramColumnHeights(m_block.m_nCounts[HistogramIndexOfChannel(Channel())]);
    HBRUSH hBlack = static_cast<HBRUSH>(::GetStockObject(BLACK_BRUSH));
    for (int i = 0; i < 256; ++i) {
        // Each bin is a line from the base row up over its height, the base row always drawn.
        RECT rcBin{rc.left + i * nWidth / 256, rc.top + (kHistogramPlotHeight - heights[i]) * nHeight / kRows,
                   rc.left + (i + 1) * nWidth / 256, rc.top + nHeight};
        if (rcBin.right == rcBin.left)
            rcBin.right = rcBin.left + 1;
        ::FillRect(hDC, &rcBin, hBlack);
    }
}
