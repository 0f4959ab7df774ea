#include "ui/ScanSummaryText.h"

#include <cmath>
#include <cwchar>

namespace {

std::wstring Format(const wchar_t* pszFormat, double a, double b)
{
    wchar_t sz[128] = L"";
    std::swprintf(sz, 128, pszFormat, a, b);
    return sz;
}

std::wstring FormatInts(const wchar_t* pszFormat, long long a, long long b)
{
    wchar_t sz[128] = L"";
    std::swprintf(sz, 128, pszFormat, a, b);
    return sz;
}

}  // namespace

std::wstring WithDecimalSeparator(std::wstring sText, wchar_t wcDecimal)
{
    for (wchar_t& c : sText)
        if (c == L'.')
            c = wcDecimal;
    return sText;
}

uint64_t EstimateDataBytes(double dWidthInches, double dHeightInches, int nDpi, int nColourMode)
{
    if (dWidthInches <= 0 || dHeightInches <= 0 || nDpi <= 0)
        return 0;
    const double dPixels = dWidthInches * nDpi + 0.5;
    uint64_t nRowBytes = nColourMode == 0 ? static_cast<uint64_t>((dPixels + 7) / 8) : static_cast<uint64_t>(dPixels);
    if (nColourMode == 2)
        nRowBytes *= 3;
    const uint64_t nRows = static_cast<uint64_t>(dHeightInches * nDpi + 0.5);
    return nRowBytes * nRows;
}

std::wstring FormatDataSize(uint64_t nBytes, const SSummaryLocale& locale)
{
    std::wstring s;
    const double d = static_cast<double>(nBytes);
    if (nBytes > (uint64_t(1) << 30))
        s = Format(L"%.2f GB", d / (1 << 30), 0);
    else if (nBytes > (uint64_t(1) << 20))
        s = Format(L"%.2f MB", d / (1 << 20), 0);
    else if (nBytes > 1024)
        s = Format(L"%.2f KB", d / 1024, 0);
    else
        s = FormatInts(L"%lld B", static_cast<long long>(nBytes), 0);
    s = WithDecimalSeparator(std::move(s), locale.wcDecimal);
    if (locale.bFrench || locale.bRussian)
        s.back() = locale.bFrench ? L'o' : L'\x0411';
    return s;
}

std::wstring FormatImageSize(double dWidthInches, double dHeightInches, int nDpi, int nUnit,
                             const SSummaryLocale& locale)
{
    std::wstring s;
    if (nUnit == 2) {
        const long long nW = std::llround(dWidthInches * nDpi), nH = std::llround(dHeightInches * nDpi);
        if (locale.bRussian)
            return FormatInts(L"%lld \x00D7 %lld ", nW, nH) + locale.sPixelUnit;
        s = FormatInts(locale.bRightToLeft ? L"%lldpx \x00D7 %lldpx" : L"%lld px \x00D7 %lld px", nW, nH);
    } else if (nUnit == 1) {
        s = Format(locale.bRightToLeft ? L"%.2fmm \x00D7 %.2fmm" : L"%.2f mm \x00D7 %.2f mm", dWidthInches * 25.4,
                   dHeightInches * 25.4);
    } else {
        s = Format(locale.bRightToLeft ? L"%.2finch \x00D7 %.2finch" : L"%.2f inch \x00D7 %.2f inch", dWidthInches,
                   dHeightInches);
    }
    return WithDecimalSeparator(std::move(s), locale.wcDecimal);
}
