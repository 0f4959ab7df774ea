// What the four image adjustment dialogs (brightness/contrast, gamma/threshold, histogram, tone
// curve) need from the page that opens them, given once when the page creates them:
//
//     SAdjustHost host;
//     host.pRecord = &record;                      // the scanning dialog's record, edited in place
//     host.flags = CurrentProductFlags();          // QX5031, default gamma and threshold
//     host.sEffectPrefix = g_szFilePrefix;         // the effect library beside the data source
//     host.fnMarkCustom = [this] { MarkCustom(); };                 // preset list shows "Custom" (1020)
//     host.fnReprocessPreview = [this] { ReprocessPreview(); };     // the pipeline on the kept original
//     host.fnPreviewImage = [this] { return PreviewPixels(); };     // for the histogram
//     m_dlgBrightContrast.emplace(hLang, host);   // likewise the other three
//
// and one line per image button:
//
//     m_dlgBrightContrast->Show(m_hWnd);
//
// Each opening reads the record (values and colour mode) afresh; each change the user makes is
// written into the record at once, then fnMarkCustom (where the change is one of the named
// settings) and fnReprocessPreview are called, in that order, on the dialog's thread. Nothing
// is undone when the dialog closes: it has no Cancel.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "device/ProductFlags.h"
#include "device/ScanParamRecord.h"

// The preview image as it is shown now: rows top-down, RGB bytes (24 bits per pixel) or grey
// bytes (8). A null pointer or an empty size is a missing preview: the histogram is empty.
struct SAdjustPreview {
    const uint8_t* pPixels = nullptr;
    int nWidth = 0;
    int nHeight = 0;
    int nBytesPerRow = 0;
    int nBitsPerPixel = 24;
};

struct SAdjustHost {
    // The record the dialogs edit; a dialog without one does not open.
    SScanParamRecord* pRecord = nullptr;
    SProductFlags flags;
    // The "File Prefix" under which the image effect library is installed beside this module.
    std::wstring sEffectPrefix;
    std::function<void()> fnMarkCustom;
    std::function<void()> fnReprocessPreview;
    std::function<SAdjustPreview()> fnPreviewImage;
};
