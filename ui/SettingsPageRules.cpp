#include "ui/SettingsPageRules.h"

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <cwctype>

namespace {

constexpr int kMaxSources = 3;

std::vector<int> BaseList(bool bKRV)
{
    return bKRV ? std::vector<int>{75, 100, 150, 200, 300} : std::vector<int>{75, 150, 300};
}

std::wstring Lower(const std::wstring& s)
{
    std::wstring r(s);
    std::transform(r.begin(), r.end(), r.begin(), [](wchar_t c) { return static_cast<wchar_t>(std::towlower(c)); });
    return r;
}

const wchar_t kOfficialPdf[] = L"PDF(\u516C\u6587)";  // PDF for official documents

// The adjustment fields, brightness to automatic threshold, as one block of the record.
constexpr std::size_t kAdjustOffset = offsetof(SScanParamRecord, nBrightness);
constexpr std::size_t kAdjustBytes = offsetof(SScanParamRecord, nUnit) - kAdjustOffset;
static_assert(kAdjustBytes == 19 * sizeof(int32_t));

}  // namespace

int OfferedSourceCount(bool bHasADF, bool bAutoDuplex)
{
    // A product without a feeder cannot scan duplex from it, whatever the profile says.
    if (!bHasADF)
        return 1;
    return bAutoDuplex ? 3 : 2;
}

int OfferedSource(int nSource, int nCount)
{
    if (nSource >= 0 && nSource < nCount)
        return nSource;
    return nSource == kSourceFeederDuplex && nCount > kSourceFeeder ? kSourceFeeder : kSourceFlatbed;
}

std::vector<int> InitialResolutionList(bool bKRV)
{
    return bKRV ? std::vector<int>{75, 100, 150, 200, 300, 400, 600, 1200} : std::vector<int>{75, 150, 300, 600, 1200};
}

std::vector<int> ResolutionList(const SProductFlags& f, int nSource, int nColourMode, int nPaperIndex)
{
    std::vector<int> v = BaseList(f.bKRV);
    auto add = [&v](bool bWhen, int nDpi) {
        if (bWhen)
            v.push_back(nDpi);
    };
    const bool bColour = nColourMode == kColourRgb;
    if (f.bIsPlatformL && f.bIsPlatformL_RGB) {
        add(f.bKRV, 400);
        add(!(f.bIsPlatformL_RGB_ZT4410QRS && nSource != kSourceFlatbed && nPaperIndex == 5), 600);
    } else if (f.bIsPlatformL) {
        add(true, 400);
    } else if (f.bIsVireo) {
        v = nSource != kSourceFlatbed ? std::vector<int>{200, 300, 600} : std::vector<int>{75, 200, 300, 600, 1200};
    } else if (f.bIsTevoA3) {
        v = {150, 200, 300, 600};
    } else if (f.bIsPlatformK) {
        add(f.bKRV, 400);
        const bool bDuplex = nSource == kSourceFeederDuplex;
        add(!bDuplex || !bColour, 600);
        add(!bDuplex && !bColour, 1200);
    } else if (nSource == kSourceFlatbed) {
        add(f.bKRV, 400);
        add(true, 600);
        add(true, 1200);
    } else if (nSource == kSourceFeeder) {
        add(f.bKRV, 400);
        add(true, 600);
    }
    return v;
}

int RebuiltResolutionIndex(const SProductFlags& f, int nSource, int nColourMode, int nIndex, int nListSize)
{
    if (f.bIsPlatformK) {
        if (nSource != kSourceFeederDuplex && nColourMode == kColourRgb)
            nIndex = std::min(nIndex, 3);
    } else if (f.bIsVireo) {
        nIndex = nSource != kSourceFlatbed ? 1 : 2;
    } else if (nSource == kSourceFeeder) {
        nIndex = std::min(nIndex, 3);
    }
    return std::clamp(nIndex, 0, std::max(nListSize - 1, 0));
}

int DefaultPaperIndex(const SProductFlags& f, int nSource, bool bMetric, int nPrevious, int nListSize)
{
    if (f.bIsTevoA3 && nPrevious >= 0)
        return nPrevious < nListSize ? nPrevious : 0;
    int n = 0;
    if (nSource != kSourceFlatbed)
        n = bMetric ? 0 : 4;
    else if (f.bIsTevoA3Plus)
        n = 12;
    else if (f.bIsTevoA3)
        n = 6;
    else if (f.bIsPlatformK)
        n = 0;  // as the record's default: A4, not the custom area the A3 list ends with
    else
        n = f.bHasA3 ? 7 : 5;
    return std::clamp(n, 0, std::max(nListSize - 1, 0));
}

bool HorizontalAllowed(int nPaperIndex)
{
    return nPaperIndex != 2 && (nPaperIndex < 5 || nPaperIndex > 8);
}

void RestoreBasicDefaults(SScanParamRecord& rec, const SProductFlags& f, int nSourceCount)
{
    rec.nSource = OfferedSource(f.bIsPlatformK ? kSourceFeeder : kSourceFlatbed, std::clamp(nSourceCount, 1, kMaxSources));
    rec.nColourMode = kColourRgb;
    rec.nResolutionIndex = 2;
    rec.nPaperIndex = (f.bIsPlatformK || f.bIsTevoA3) ? 0 : f.bHasA3 ? 7 : 5;
    rec.nHorizontal = 0;
}

std::vector<std::wstring> FileTypeNames(bool bHasOFD, bool bHasPDFDOC)
{
    std::vector<std::wstring> v = {L"BMP", L"JPG", L"TIF", L"PDF", L"PNG"};
    if (bHasOFD)
        v.push_back(L"OFD");
    if (bHasPDFDOC)
        v.push_back(kOfficialPdf);
    return v;
}

int FileTypeIndex(const std::wstring& sType, bool bHasOFD, bool bHasPDFDOC)
{
    const std::vector<std::wstring> names = FileTypeNames(bHasOFD, bHasPDFDOC);
    const std::wstring sLower = Lower(sType);
    for (std::size_t i = 0; i < names.size(); ++i)
        if (Lower(names[i]) == sLower)
            return static_cast<int>(i);
    return 1;
}

bool IsMergeableType(const std::wstring& sType)
{
    const std::wstring s = Lower(sType);
    return s == L"pdf" || s == L"tif" || s == L"ofd" || s == Lower(kOfficialPdf);
}

SBasicPageShown BasicPageShown(const SBasicPageState& s, int nSource, const std::wstring& sFileType, bool bManualDuplex)
{
    SBasicPageShown shown;
    shown.bManualDuplex = s.bFileOutput && s.bHasManualDuplex && nSource == kSourceFeeder;
    shown.bMergeRadios = s.bMergeAvailable && nSource == kSourceFlatbed;
    shown.bMergeEnabled = shown.bMergeRadios && IsMergeableType(sFileType);
    shown.bHelpIcon = shown.bMergeRadios && !shown.bMergeEnabled;
    // Manual duplex writes PDF: the type stays while it is on.
    shown.bFileTypeEnabled = !(bManualDuplex && nSource == kSourceFeeder);
    return shown;
}

SAdjustEnables ApplyColourModeRules(SScanParamRecord& rec, const SProductFlags& f)
{
    SAdjustEnables e;
    auto clearFrom = [&rec](int nFirst) {
        for (int i = nFirst; i < 4; ++i)
            rec.nBrightness[i] = rec.nContrast[i] = rec.nCurve[i] = 0;
    };
    if (rec.nColourMode == kColourBw) {
        e = SAdjustEnables{false, false, false, false, false};
        rec.nDescreen = 0;
        rec.nFading = 0;
        clearFrom(0);
        return e;
    }
    if (rec.nColourMode == kColourGrey) {
        e.bFading = false;
        rec.nFading = 0;
        clearFrom(1);
    }
    rec.nThreshold = DefaultThreshold(f);
    return e;
}

bool RestoreAdvancedDefaults(SScanParamRecord& rec, const SProductFlags& f)
{
    SScanParamRecord d = rec;
    for (int i = 0; i < 4; ++i)
        d.nBrightness[i] = d.nContrast[i] = d.nCurve[i] = 0;
    d.nGamma = DefaultGammaTenths(f);
    d.nThreshold = DefaultThreshold(f);
    d.nDescreen = d.nFading = d.nRotation = d.nAutoDeskew = 0;
    d.nAutoThreshold = f.bQX5031 ? 1 : 0;
    const auto* pNow = reinterpret_cast<const unsigned char*>(&rec) + kAdjustOffset;
    const auto* pDefault = reinterpret_cast<const unsigned char*>(&d) + kAdjustOffset;
    if (std::memcmp(pNow, pDefault, kAdjustBytes) == 0)
        return false;
    rec = d;
    return true;
}
