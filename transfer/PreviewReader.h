// The preview scan without windows: the whole platen read in colour at the preview resolution,
// row by row into a working image that keeps the device's rows, and band by band into the
// display image with the edge strips whitened and the user's adjustments applied; the line
// poller that reports progress until the first row arrives; and the re-processing of the
// display image from the kept rows when the adjustments change. The device, the effect library
// and whoever shows the bands are reached through interfaces, so that this is portable.
#pragma once

#include <cstdint>

#include "device/ProductFlags.h"
#include "device/ScanGeometry.h"
#include "imaging/ImagePipeline.h"

// What a product's preview reads.
struct SPreviewGeometry {
    int nDpi = 75;
    int nWidth = 638, nHeight = 877;   // pixels
    int nRight = 638 * 16, nBottom = 877 * 16;  // 1/1200 inch, as sent
    int nBandRows = 20;
    bool bSecondThread = false;        // Previewthread2: no line poller, progress per band
    bool bRemapThreshold = false;
};
SPreviewGeometry PreviewGeometryFor(const SProductFlags& flags);

// The driver wrapper calls of a preview.
class IPreviewDevice {
public:
    virtual ~IPreviewDevice() = default;
    virtual int SetScanParameter(const SDeviceScanParams& p) = 0;
    virtual int StartScan() = 0;
    virtual int ReadScanData(uint8_t* pDest, int nSize, int* pnRead) = 0;
    virtual int AbortScan() = 0;
    virtual int GetScanParameter(int* pnValue, int* pnLines) = 0;
    virtual int GetCurScanLineNum(int* pnLines, int* pnState) = 0;
    // Ends the device job and closes the device, once per job.
    virtual void EndJobAndClose() = 0;
};

// Whoever shows the preview.
class IPreviewSink {
public:
    virtual ~IPreviewSink() = default;
    // Rows 0 .. nRows - 1 of the display image are ready (0 before the first: the height).
    virtual void OnBand(int nRows, int nHeight) = 0;
    virtual void OnProgress(int nPercent) = 0;
    // The user pressed Cancel.
    virtual bool Cancelled() = 0;
};

// The two 24-bit images of the preview: width x 3 bytes per row, rows top first.
struct SPreviewImages {
    uint8_t* pWork = nullptr;
    uint8_t* pDisplay = nullptr;
    int nWidth = 0, nHeight = 0;
};

struct SPreviewResult {
    int nStatus = 0;  // 0, the failing wrapper status, or 200 when the device ended the page early
    int nRows = 0;    // rows read and shown
};

// The preview's reading: scan parameters, start, rows and bands, progress, and the device
// closed at the end. Every row read stays in the images, also after a failure or a cancel.
SPreviewResult ReadPreview(const SPreviewGeometry& g, IPreviewDevice& device, CImageEffects* pEffects,
                           const _ImageAdjustments& adj, const SPreviewImages& images, IPreviewSink& sink);

// The display image made again from the working image's first nRows rows with the adjustments,
// band by band as the preview made it.
void ReprocessPreview(const SPreviewGeometry& g, CImageEffects* pEffects, const _ImageAdjustments& adj,
                      const SPreviewImages& images, int nRows);

// The strips at the page's left and top edge that the preview whitens, in pixels at nDpi.
int PreviewLeftStrip(int nDpi);
int PreviewTopStrip(int nDpi);
