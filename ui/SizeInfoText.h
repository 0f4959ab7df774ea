// The texts of the size read-out under the preview, without the window: width and height in
// the chosen unit and the amount of image data a scan of that area produces. Portable;
// CSizeInfoStatic shows them.
#pragma once

#include <cstdint>
#include <string>

struct SSizeInfoTexts {
    std::wstring sWidth;     // ": 8.50 in", ": 215.9 mm", ": 2550 px"
    std::wstring sHeight;
    std::wstring sDataSize;  // ": 1.23 MB" (French ": 1,23 Mo")
};

// Unit selector of the read-out: 0 inches, 1 millimetres, 2 pixels.
enum ESizeUnit : int { kSizeInches = 0, kSizeMillimetres = 1, kSizePixels = 2 };

// Pixels across an extent in inches at nDpi (rounded to the nearest pixel).
int64_t PixelsAcross(double dInches, int nDpi);
// Bytes of image data for w x h inches: 1 bit, 8 bits or 24 bits per pixel by nBitsPerPixel
// (values up to 1 count as black and white, up to 8 as grey, the rest as colour).
uint64_t ScanDataBytes(double dWidthIn, double dHeightIn, int nDpi, int nBitsPerPixel);
// ": %d B" up to 1024 bytes, KB, MB and GB above each power of 1024, two decimals.
std::wstring DataSizeText(uint64_t nBytes, wchar_t wcDecimal, bool bFrench);
SSizeInfoTexts FormatSizeInfo(double dWidthIn, double dHeightIn, int nUnit, int nDpi, int nBitsPerPixel,
                              wchar_t wcDecimal, bool bFrench);

// The x of the separator line between the height and the data size, for a read-out nWidth
// pixels wide on a screen of nDpi (Italian labels are longer, so the line sits further left).
int SizeInfoSeparatorX(int nWidth, bool bItalian, int nDpi);
// The face of the read-out's font: "MS Shell Dlg" on systems with a Korean user interface
// (language identifier 0x412), "Arial" elsewhere.
const wchar_t* SizeInfoFontFace(uint16_t wSystemUiLanguage);
