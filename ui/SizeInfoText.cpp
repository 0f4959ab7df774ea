#include "ui/SizeInfoText.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {

std::wstring WithSeparator(std::wstring s, wchar_t wcDecimal)
{
    std::replace(s.begin(), s.end(), L'.', wcDecimal);
    return s;
}

std::wstring Printed(const wchar_t* pszFormat, double d)
{
    wchar_t sz[64] = {};
    std::swprintf(sz, 64, pszFormat, d);
    return sz;
}

}  // namespace

int64_t PixelsAcross(double dInches, int nDpi)
{
    double d = dInches * nDpi + 0.5;
    // Negative or absurd extents (a caller's bad value) count as nothing rather than overflow.
    if (!(d > 0) || d > 1e12)
        return 0;
    return static_cast<int64_t>(d);
}

uint64_t ScanDataBytes(double dWidthIn, double dHeightIn, int nDpi, int nBitsPerPixel)
{
    auto w = static_cast<uint64_t>(PixelsAcross(dWidthIn, nDpi));
    auto h = static_cast<uint64_t>(PixelsAcross(dHeightIn, nDpi));
    if (nBitsPerPixel <= 1)
        return (w + 7) / 8 * h;
    if (nBitsPerPixel <= 8)
        return w * h;
    return w * 3 * h;
}

std::wstring DataSizeText(uint64_t nBytes, wchar_t wcDecimal, bool bFrench)
{
    constexpr uint64_t kKB = 1024, kMB = kKB * 1024, kGB = kMB * 1024;
    std::wstring s;
    if (nBytes > kGB)
        s = Printed(L": %.2f GB", static_cast<double>(nBytes) / kGB);
    else if (nBytes > kMB)
        s = Printed(L": %.2f MB", static_cast<double>(nBytes) / kMB);
    else if (nBytes > kKB)
        s = Printed(L": %.2f KB", static_cast<double>(nBytes) / kKB);
    else
        s = L": " + std::to_wstring(nBytes) + L" B";
    // French counts octets.
    if (bFrench)
        std::replace(s.begin(), s.end(), L'B', L'o');
    return WithSeparator(s, wcDecimal);
}

SSizeInfoTexts FormatSizeInfo(double dWidthIn, double dHeightIn, int nUnit, int nDpi, int nBitsPerPixel,
                              wchar_t wcDecimal, bool bFrench)
{
    auto extent = [&](double dInches) {
        if (nUnit == kSizeMillimetres)
            return WithSeparator(Printed(L": %.1f mm", dInches * 25.4), wcDecimal);
        if (nUnit == kSizePixels)
            return L": " + std::to_wstring(PixelsAcross(dInches, nDpi)) + L" px";
        return WithSeparator(Printed(L": %.2f in", dInches), wcDecimal);
    };
    return {extent(dWidthIn), extent(dHeightIn),
            DataSizeText(ScanDataBytes(dWidthIn, dHeightIn, nDpi, nBitsPerPixel), wcDecimal, bFrench)};
}

int SizeInfoSeparatorX(int nWidth, bool bItalian, int nDpi)
{
    // The offsets are pixels of a 96 dpi screen.
    int nOffset = 22 + (bItalian ? 10 : 0);
    return nWidth * 2 / 3 - (nOffset * nDpi + 48) / 96;
}

const wchar_t* SizeInfoFontFace(uint16_t wSystemUiLanguage)
{
    return wSystemUiLanguage == 0x0412 ? L"MS Shell Dlg" : L"Arial";
}
