#include "ui/AdjustDialogRules.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

int ChannelEntryCount(int nColourMode)
{
    return nColourMode == 2 ? kAdjustChannels : 1;
}

std::vector<int> CurveDrawOrder(int nChannel)
{
    if (nChannel < 1 || nChannel >= kAdjustChannels)
        return {0};
    std::vector<int> order;
    for (int c = 1; c < kAdjustChannels; ++c)
        if (c != nChannel)
            order.push_back(c);
    order.push_back(nChannel);
    return order;
}

SPlotPoint BrightContrastCurvePoint(int i, int nValue, int nWidth, int nHeight)
{
    return {nWidth * i / 255, (255 - std::clamp(nValue, 0, 255)) * nHeight / 255};
}

namespace {

// Truncation toward zero, as the drawn curves have always been computed, then kept on the plot.
int TruncatedOnScale(double v)
{
    if (!(v > 0))
        return 0;
    return v >= 255 ? 255 : static_cast<int>(v);
}

}  // namespace

int ToneCurveDisplayValue(int nPreset, int x)
{
    const double d = std::clamp(x, 0, 255);
    switch (nPreset) {
    case 1:
        return TruncatedOnScale(std::min((0.03168 + 6.6347 * d) / (1 + 0.024496 * d - 8.9e-6 * d * d) + 0.5, 255.0) + 0.5);
    case 2:
        return TruncatedOnScale(std::min(255 * std::pow(255.0, -1.5) * std::pow(d, 1.5), 255.0) + 0.5);
    case 3:
        return TruncatedOnScale(((-3.977e-5 * d + 0.0152614) * d - 0.283512) * d - 0.753321);
    case 4:
        // 256 - x reaches 256 at x = 0, one above the scale.
        return TruncatedOnScale(256 - d);
    default:
        return static_cast<int>(d);
    }
}

int HistogramIndexOfChannel(int nChannel)
{
    return nChannel >= 1 && nChannel < kAdjustChannels ? nChannel - 1 : 3;
}

std::array<int, 256> HistogramColumnHeights(const uint32_t (&counts)[256])
{
    std::array<int, 256> heights{};
    uint64_t nTotal = 0;
    uint32_t nPeak = 0;
    for (uint32_t n : counts) {
        nTotal += n;
        nPeak = std::max(nPeak, n);
    }
    if (nPeak == 0)
        return heights;  // nothing counted: an empty plot, no scale to divide by
    double dPeak = nPeak;
    const uint64_t nShare = nTotal / 64;
    if (nPeak > nShare) {
        uint64_t nAbove = 0;
        for (uint32_t n : counts)
            if (n > nShare)
                nAbove += n;
        const double x = static_cast<double>(nAbove) / static_cast<double>(nTotal);
        dPeak = static_cast<int64_t>(static_cast<double>(nShare) / (0.99944371 + (0.08887 + 0.21598 * x) * x));
        // Fewer than 64 counts make the share 0: every counted bin then fills the plot.
        dPeak = std::max(dPeak, 1.0);
    }
    const double dScale = kHistogramPlotHeight / dPeak;
    for (size_t i = 0; i < heights.size(); ++i)
        heights[i] = static_cast<int>(std::min(dScale * counts[i], static_cast<double>(kHistogramPlotHeight)));
    return heights;
}

namespace {

std::wstring Number(const wchar_t* pszFormat, double d, wchar_t wcDecimal)
{
    wchar_t sz[64] = {};
    std::swprintf(sz, 64, pszFormat, d);
    std::wstring s = sz;
    std::replace(s.begin(), s.end(), L'.', wcDecimal);
    return s;
}

std::wstring Integer(long long n)
{
    wchar_t sz[32] = {};
    std::swprintf(sz, 32, L"%lld", n);
    return sz;
}

}  // namespace

std::wstring HistogramStatsText(const std::array<std::wstring, 4>& labels, const SHistogramStats& stats,
                                wchar_t wcDecimal)
{
    // Only the numbers take the separator: a label may hold a full stop of its own.
    auto finite = [](double d) { return std::isfinite(d) ? d : 0.0; };
    const long long nMedian = static_cast<long long>(std::clamp(finite(stats.dMedian), -1e9, 1e9));
    return labels[0] + L" " + Number(L"%.2f", finite(stats.dMean), wcDecimal) + L"\n" + labels[1] + L" " +
           Number(L"%.2f", finite(stats.dStdDev), wcDecimal) + L"\n" + labels[2] + L" " + Integer(nMedian) + L"\n" +
           labels[3] + L" " + Integer(stats.nPixels);
}

SGammaThresholdEnabling GammaThresholdEnabling(int nColourMode, bool bQX5031, bool bHalftoneOn)
{
    const bool bBlackWhite = nColourMode == 0;
    const bool bHalftone = bQX5031 && bHalftoneOn;
    return {!bBlackWhite, bBlackWhite && !bHalftone, bQX5031, bQX5031 && bBlackWhite};
}
