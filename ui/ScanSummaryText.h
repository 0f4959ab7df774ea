// The texts that summarise what a scan will produce, as the image information page and the
// settings summary show them: the image size in the user's unit and the estimated data size.
// Portable; the language's decimal separator and unit rules are passed in.
#pragma once

#include <cstdint>
#include <string>

struct SSummaryLocale {
    wchar_t wcDecimal = L'.';
    bool bFrench = false;     // "o" (octet) for the byte unit letter
    bool bRussian = false;    // the Cyrillic letter for bytes; pixel sizes as "%d × %d unit"
    bool bRightToLeft = false;
    std::wstring sPixelUnit;  // the language's word for pixels (Russian pixel sizes)
};

// Bytes of the uncompressed image of w x h inches at nDpi: black-and-white rows are packed
// bits, grey one byte and colour three bytes per pixel.
uint64_t EstimateDataBytes(double dWidthInches, double dHeightInches, int nDpi, int nColourMode);

// "%.2f GB", "%.2f MB", "%.2f KB" above 2^30, 2^20 and 1024 bytes, else "%d B".
std::wstring FormatDataSize(uint64_t nBytes, const SSummaryLocale& locale);

// The image size in unit 0 inches, 1 millimetres or 2 pixels.
std::wstring FormatImageSize(double dWidthInches, double dHeightInches, int nDpi, int nUnit,
                             const SSummaryLocale& locale);

// "." replaced by the decimal separator.
std::wstring WithDecimalSeparator(std::wstring sText, wchar_t wcDecimal);
