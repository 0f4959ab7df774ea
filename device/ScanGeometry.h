// From a scan-parameter record to what the device is told: the resolution table, the scan
// area in inches, the image size in pixels and the device parameters and adjustments.
#pragma once

#include "device/PaperTables.h"
#include "device/ScanParamRecord.h"

#include <vector>

// The dpi values the resolution index selects. The basic settings page refills the table
// together with its list; it starts as 75, 150, 300, 600, 1200, 300.
std::vector<int> GetResolutionTable();
void SetResolutionTable(const std::vector<int>& dpis);
void ResetResolutionTable();
// The dpi at nIndex, 0 outside the table.
int ResolutionAt(int nIndex);
// The language string id of the label for a dpi, 0 when there is none.
int ResolutionLabelId(int nDpi);

// Automatic crop (on products that have it) takes the paper entries that cover the whole
// scanner: index 5 on the flatbed, index 7 on a feeder source.
bool AutoCropPaper(int nSource, int nPaperIndex);

// A scan area in inches.
struct SInchRect {
    double dLeft = 0, dTop = 0, dRight = 0, dBottom = 0;
};

// The area the preview control reports for the current source and paper index.
struct SPreviewArea {
    float fX = 0, fY = 0, fWidth = 0, fHeight = 0;
    bool bMillimetres = false;
};

// The scan range in inches: millimetres converted, the right edge clipped to 8.5 in on
// platform L products without A3.
SInchRect GetScanRangeFromPreview(const SPreviewArea& area, const SProductFlags& flags);

// What the calling application needs of the image size.
struct SImageSizeRules {
    bool bEvenSizes = false;       // presentation and office applications
    bool bNoUI = false;            // enabled without the dialog
    bool bMultipleOf4 = false;
    int nRotation = 0;
};

struct SImageSize {
    int nWidth = 0;
    int nHeight = 0;
};

// Width and height in pixels of the area at nDpi, after the application's rules.
SImageSize ComputeImageSize(const SInchRect& rect, int nDpi, const SImageSizeRules& rules);

// The nine values sent with the scan parameters.
struct SDeviceScanParams {
    int nXDpi, nYDpi, nColourMode, nLeft, nTop, nRight, nBottom, nThreshold, nSource;
};
SDeviceScanParams MakeDeviceScanParams(const SScanParamRecord& rec, const SInchRect& rect, const SImageSize& size,
                                       int nDpi, bool bManualDuplex);
// The fixed parameters of a preview of nWidth x nHeight pixels at nDpi.
SDeviceScanParams MakePreviewScanParams(int nDpi, int nRight, int nBottom);

// The values sent with the adjustments.
struct SDeviceAdjustments {
    int nBrightness[4], nContrast[4], nCurve[4];
    int nGamma, nThreshold, nDescreen, nFading;
};
SDeviceAdjustments MakeDeviceAdjustments(const SScanParamRecord& rec);
