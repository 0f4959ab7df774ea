#include "ui/PreviewRuler.h"

#include <cmath>

namespace {

constexpr int kShortTick = 2, kLongTick = 5;
constexpr int kDigitStep = 10;   // stacked digits of a vertical label
constexpr int kFontHeight = 12;
constexpr double kMmPerInch = 25.4;

// Ticks of one axis: their spacing in inches, how many, which are long, which carry a label and
// the label's value.
struct SAxisRule {
    double dStepInches = 0.5;
    int nCount = 0;
    int nLongEvery = 2;
    int nLabelEvery = 2;
    int nValueStep = 1;  // value of the first label; label k shows k * nValueStep / nDivisor
    int nDivisor = 1;    // pixel labels of A3 products count hundreds
};

SAxisRule RuleFor(int nUnit, double dExtentInches, float fZoom, int nDpi, bool bA3, bool bVertical, bool bFeeder)
{
    SAxisRule r;
    if (nUnit == kRulerMillimetres) {
        r.dStepInches = 5 / kMmPerInch;
        r.nCount = static_cast<int>(dExtentInches * kMmPerInch / 5 + 1e-6);
        r.nLongEvery = 2;
        r.nLabelEvery = fZoom < 2 ? 10 : fZoom < 4 ? 4 : 2;
        r.nValueStep = r.nLabelEvery * 5;
        return r;
    }
    // Half inches, long at whole inches; the extent of a feeder's page is 14 inches.
    r.nCount = static_cast<int>((bFeeder && bVertical ? 14.0 : dExtentInches) / 0.5 + 1e-6);
    if (nUnit == kRulerInches) {
        r.nLabelEvery = 2;
        r.nValueStep = 1;
        return r;
    }
    r.nLabelEvery = fZoom < 2 ? 4 : 2;
    r.nValueStep = r.nLabelEvery / 2 * nDpi;
    if (bVertical && (bFeeder || nDpi > 600)) {
        r.nLabelEvery *= 2;
        r.nValueStep *= 2;
    }
    if (bA3)
        r.nDivisor = 100;
    return r;
}

}  // namespace

SRulerLayout PreviewRuler::Layout(const SRulerView& v) const
{
    SRulerLayout out;
    const int nOffX = static_cast<int>(v.fOffsetX), nOffY = static_cast<int>(v.fOffsetY);
    out.rcHorizontal = {nOffX, 0, nOffX + kRulerBand + static_cast<int>(m_nWidth * v.fZoom), kRulerBand};
    out.rcVertical = {0, nOffY, kRulerBand, nOffY + kRulerBand + static_cast<int>(m_nHeight * v.fZoom)};
    out.rcClipH = {kRulerBand, 1, m_nWidth + 24, kRulerBand};
    out.rcClipV = {2, kRulerBand, kRulerBand + 1, m_nHeight + 24};
    AddAxis(out, v, true);
    AddAxis(out, v, false);
    const char* pszUnit = m_nUnit == kRulerInches ? "in" : m_nUnit == kRulerMillimetres ? "mm" : "px";
    if (v.bA3Product && m_nUnit == kRulerPixels) {
        out.corner = {{3, 0, pszUnit}, {0, 9, "x100"}};
    } else {
        out.corner = {{3, 4, pszUnit}};
    }
    return out;
}

void PreviewRuler::AddAxis(SRulerLayout& out, const SRulerView& v, bool bHorizontal) const
{
    const double dExtent = bHorizontal ? v.fWidthInches : v.fHeightInches;
    const int nScale = bHorizontal ? (v.nScaleWidth > 0 ? v.nScaleWidth : m_nWidth) : m_nHeight;
    if (dExtent <= 0 || nScale <= 0)
        return;
    const double dPerInch = nScale * v.fZoom / dExtent;
    const double dOrigin = (bHorizontal ? v.fOffsetX : v.fOffsetY) + kRulerBand + 0.5;
    const SPreviewRect& clip = bHorizontal ? out.rcClipH : out.rcClipV;
    const int nLo = bHorizontal ? clip.nLeft : clip.nTop, nHi = bHorizontal ? clip.nRight : clip.nBottom;
    const SAxisRule r = RuleFor(m_nUnit, dExtent, v.fZoom, m_nDpi, v.bA3Product, !bHorizontal, v.bFeeder);
    for (int k = 0; k <= r.nCount; ++k) {
        const int nPos = static_cast<int>(std::floor(dOrigin + k * r.dStepInches * dPerInch));
        // Labels reach a little beyond their tick; the strip clips what is drawn.
        if (nPos < nLo - 30 || nPos >= nHi + 30)
            continue;
        if (nPos >= nLo && nPos < nHi)
            out.ticks.push_back({bHorizontal, nPos, k % r.nLongEvery == 0 ? kLongTick : kShortTick});
        if (k == 0 || k % r.nLabelEvery != 0)
            continue;
        const int nValue = k / r.nLabelEvery * r.nValueStep / r.nDivisor;
        // The tall A3 platen leaves room for every second two-digit inch only.
        if (m_nUnit == kRulerInches && !bHorizontal && v.bA3Product && nValue >= 10 && nValue % 2 != 0)
            continue;
        AddLabel(out, bHorizontal, nPos, nValue);
    }
}

void PreviewRuler::AddLabel(SRulerLayout& out, bool bHorizontal, int nPos, int nValue) const
{
    const std::string s = std::to_string(nValue);
    const int nDigits = static_cast<int>(s.size());
    if (bHorizontal) {
        // Inches keep their tick; longer numbers move left by 3 pixels per digit beyond the first.
        const int nShift = m_nUnit == kRulerInches ? 0 : 3 * (nDigits - 1);
        out.labels.push_back({nPos - 2 - nShift, 3, s});
        return;
    }
    // Vertical labels: digits stacked 10 pixels apart, centred on the tick.
    const int nTop = nPos - ((nDigits - 1) * kDigitStep + kFontHeight) / 2;
    for (int i = 0; i < nDigits; ++i)
        out.labels.push_back({6, nTop + i * kDigitStep, s.substr(static_cast<size_t>(i), 1)});
}
