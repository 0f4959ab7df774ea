// What the image adjustment dialogs show, computed without a window: the channel entries a
// colour mode offers, the order in which curves are drawn, the tone-curve presets as drawn,
// the histogram's plot columns with their clipping of very high bins, the statistics text,
// and which gamma/threshold controls a colour mode enables. Portable.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

// Channels: 0 all (master), 1 red, 2 green, 3 blue; the record's colour modes 0 black and
// white, 1 grey, 2 colour.
inline constexpr int kAdjustChannels = 4;
// The string ids of the channel entries, by channel.
inline constexpr std::array<unsigned, kAdjustChannels> kChannelStringIds{1068, 1069, 1070, 1071};
// Colour offers every channel; the other modes only the all-channels entry.
int ChannelEntryCount(int nColourMode);

// The channels whose curves the dialog draws for the selected channel, in drawing order: the
// all-channels curve alone, or the three colour curves with the selected one last (on top).
std::vector<int> CurveDrawOrder(int nChannel);

// A point of the brightness/contrast curve: entry i of the table in a w x h frame, y downward.
struct SPlotPoint {
    int x;
    int y;
};
SPlotPoint BrightContrastCurvePoint(int i, int nValue, int nWidth, int nHeight);

// The tone-curve presets (0 linear, 1 lighten, 2 darken, 3 more contrast, 4 negative) as the
// curve dialog draws them for x = 0..255; always within 0..255 (an unknown preset is linear).
int ToneCurveDisplayValue(int nPreset, int x);

// The histogram of channel c in the histogram block: channel 0 uses the all-channels
// histogram (the fourth), 1 to 3 red, green and blue.
int HistogramIndexOfChannel(int nChannel);

// The plot's column heights (0..200, in pixels of its 200-pixel scale) for 256 bins. When the
// largest bin holds more than 1/64 of all counts, the scale is taken from a lower peak worked
// out from how much of the histogram lies above that share, so the tall bins are clipped at
// the top and the rest stays readable. An empty histogram gives an empty plot.
inline constexpr int kHistogramPlotHeight = 200;
std::array<int, 256> HistogramColumnHeights(const uint32_t (&counts)[256]);

// The statistics text: four lines, "<mean label> <mean>", "<deviation label> <deviation>",
// "<median label> <median>", "<pixels label> <count>", the decimals with the UI language's
// separator.
struct SHistogramStats {
    double dMean = 0;
    double dStdDev = 0;
    double dMedian = 0;
    int32_t nPixels = 0;
};
std::wstring HistogramStatsText(const std::array<std::wstring, 4>& labels, const SHistogramStats& stats,
                                wchar_t wcDecimal);

// Which controls of the gamma/threshold dialog a user can use.
struct SGammaThresholdEnabling {
    bool bGamma;            // slider, edit and labels of the gamma
    bool bThreshold;        // slider, edit and labels of the threshold
    bool bHalftoneShown;    // the "HALFTONE" box, on QX5031 products only
    bool bHalftoneEnabled;  // in black and white only
};
SGammaThresholdEnabling GammaThresholdEnabling(int nColourMode, bool bQX5031, bool bHalftoneOn);
