#include "device/ScanGeometry.h"

#include "profile/Trace.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <mutex>

namespace {

constexpr double kMmPerInch = 25.4;
constexpr double kPlatformLMaxRight = 8.5;  // WIDTH_MAX_INCH_LX
constexpr int kDeviceUnitsPerInch = 1200;

struct SResolutionTable {
    std::mutex mutex;
    std::vector<int> dpis = {75, 150, 300, 600, 1200, 300};
};

SResolutionTable& Table()
{
    static SResolutionTable s_table;
    return s_table;
}

// ceiling(extent x dpi) kept inside the int range; a negative extent gives 0.
int PixelsFor(double dInches, int nDpi)
{
    double d = std::ceil(dInches * nDpi);
    if (!(d > 0))
        return 0;
    return d >= std::numeric_limits<int>::max() ? std::numeric_limits<int>::max() : static_cast<int>(d);
}

int DeviceUnits(double dInches)
{
    double d = dInches * kDeviceUnitsPerInch;
    if (!(d > std::numeric_limits<int>::min()) || d >= std::numeric_limits<int>::max())
        return 0;
    return static_cast<int>(d);
}

}  // namespace

std::vector<int> GetResolutionTable()
{
    std::lock_guard lock(Table().mutex);
    return Table().dpis;
}

void SetResolutionTable(const std::vector<int>& dpis)
{
    std::lock_guard lock(Table().mutex);
    Table().dpis = dpis;
}

void ResetResolutionTable() { SetResolutionTable({75, 150, 300, 600, 1200, 300}); }

int ResolutionAt(int nIndex)
{
    std::lock_guard lock(Table().mutex);
    const auto& v = Table().dpis;
    return (nIndex >= 0 && nIndex < static_cast<int>(v.size())) ? v[nIndex] : 0;
}

bool AutoCropPaper(int nSource, int nPaperIndex)
{
    return (nSource == kSourceFlatbed && nPaperIndex == 5) || (nSource != kSourceFlatbed && nPaperIndex == 7);
}

int ResolutionLabelId(int nDpi)
{
    switch (nDpi) {
    case 75: return 1032;
    case 100: return 1166;
    case 150: return 1033;
    case 200: return 1156;
    case 300: return 1034;
    case 400: return 1148;
    case 600: return 1035;
    case 1200: return 1036;
    default: return 0;
    }
}

SInchRect GetScanRangeFromPreview(const SPreviewArea& area, const SProductFlags& flags)
{
    TraceA("GetScanRangeFromPreview()");
    double dScale = area.bMillimetres ? 1.0 / kMmPerInch : 1.0;
    double x = area.fX * dScale, y = area.fY * dScale;
    SInchRect r{x, y, x + area.fWidth * dScale, y + area.fHeight * dScale};
    if (flags.bIsPlatformL && !flags.bHasA3 && r.dRight > kPlatformLMaxRight) {
        TraceA("inchRect.Right = WIDTH_MAX_INCH_LX;");
        r.dRight = kPlatformLMaxRight;
    }
    return r;
}

SImageSize ComputeImageSize(const SInchRect& rect, int nDpi, const SImageSizeRules& rules)
{
    SImageSize s{PixelsFor(rect.dRight - rect.dLeft, nDpi), PixelsFor(rect.dBottom - rect.dTop, nDpi)};
    if (rules.bEvenSizes) {
        s.nWidth &= ~1;
        s.nHeight &= ~1;
        // Never below zero: a page of two lines or less stays empty rather than negative.
        if (rules.bNoUI)
            s.nHeight = std::max(0, s.nHeight - 2);
    }
    if (rules.bMultipleOf4) {
        if (rules.nRotation == kRotate90 || rules.nRotation == kRotate270)
            s.nHeight &= ~3;
        else
            s.nWidth &= ~3;
    }
    return s;
}

SDeviceScanParams MakeDeviceScanParams(const SScanParamRecord& rec, const SInchRect& rect, const SImageSize& size,
                                       int nDpi, bool bManualDuplex)
{
    SDeviceScanParams p{};
    p.nXDpi = p.nYDpi = nDpi;
    p.nColourMode = rec.nColourMode;
    p.nLeft = DeviceUnits(rect.dLeft);
    p.nTop = DeviceUnits(rect.dTop);
    // A dpi of 0 (an index outside the table) would divide by zero; send an empty area instead.
    long long llW = nDpi > 0 ? static_cast<long long>(size.nWidth) * kDeviceUnitsPerInch / nDpi : 0;
    long long llH = nDpi > 0 ? static_cast<long long>(size.nHeight) * kDeviceUnitsPerInch / nDpi : 0;
    p.nRight = static_cast<int>(std::min<long long>(p.nLeft + llW, std::numeric_limits<int>::max()));
    p.nBottom = static_cast<int>(std::min<long long>(p.nTop + llH, std::numeric_limits<int>::max()));
    p.nThreshold = rec.nThreshold;
    if (rec.nSource == kSourceFeederDuplex)
        p.nSource = 3;
    else if (rec.nSource == kSourceFeeder && bManualDuplex)
        p.nSource = 2;
    else
        p.nSource = rec.nSource;
    return p;
}

SDeviceScanParams MakePreviewScanParams(int nDpi, int nRight, int nBottom)
{
    return {nDpi, nDpi, 3, 0, 0, nRight, nBottom, 127, 0};
}

SDeviceAdjustments MakeDeviceAdjustments(const SScanParamRecord& rec)
{
    SDeviceAdjustments a{};
    std::copy(std::begin(rec.nBrightness), std::end(rec.nBrightness), a.nBrightness);
    std::copy(std::begin(rec.nContrast), std::end(rec.nContrast), a.nContrast);
    std::copy(std::begin(rec.nCurve), std::end(rec.nCurve), a.nCurve);
    a.nGamma = rec.nGamma;
    a.nThreshold = rec.nAutoThreshold == 1 ? -1 : rec.nThreshold;
    a.nDescreen = rec.nDescreen;
    a.nFading = rec.nFading;
    return a;
}
