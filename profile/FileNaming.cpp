#include "profile/FileNaming.h"

#include <algorithm>
#include <cwchar>
#include <cwctype>

namespace {

constexpr int64_t kNumberCap = 999999999;

}  // namespace

std::wstring DatedPrefix(int nYear, int nMonth, int nDay)
{
    wchar_t sz[64];
    std::swprintf(sz, 64, L"%04d-%02d-%02d_", nYear, nMonth, nDay);
    return sz;
}

int64_t NumberAfterPrefix(const std::wstring& sName, size_t nPrefixLen)
{
    size_t i = std::min(nPrefixLen, sName.size());
    while (i < sName.size() && std::iswspace(sName[i]))
        ++i;
    int64_t n = 0;
    for (; i < sName.size() && sName[i] >= L'0' && sName[i] <= L'9'; ++i)
        n = std::min(n * 10 + (sName[i] - L'0'), kNumberCap);
    return n;
}

bool StartsWithNoCase(const std::wstring& sName, const std::wstring& sPrefix)
{
    if (sName.size() < sPrefix.size())
        return false;
    return std::equal(sPrefix.begin(), sPrefix.end(), sName.begin(),
                      [](wchar_t a, wchar_t b) { return std::towlower(a) == std::towlower(b); });
}

std::wstring NextDatedName(const std::vector<std::wstring>& names, const std::wstring& sPrefix)
{
    int64_t nMax = 0;
    for (const auto& s : names)
        if (StartsWithNoCase(s, sPrefix))
            nMax = std::max(nMax, NumberAfterPrefix(s, sPrefix.size()));
    wchar_t sz[32];
    std::swprintf(sz, 32, L"%03lld", static_cast<long long>(nMax + 1));
    return sPrefix + sz;
}

std::wstring NextNumberedName(const std::vector<std::wstring>& names, const std::wstring& sBase)
{
    bool bFound = false;
    int64_t nMax = 0;
    for (const auto& s : names)
        if (StartsWithNoCase(s, sBase)) {
            bFound = true;
            nMax = std::max(nMax, NumberAfterPrefix(s, sBase.size()));
        }
    if (!bFound)
        return sBase;
    wchar_t sz[32];
    std::swprintf(sz, 32, L" %lld", static_cast<long long>(nMax + 1));
    return sBase + sz;
}

uint64_t DibCheckBytes(uint32_t nWidth, uint32_t nHeight, int nMode)
{
    const uint64_t w = nWidth, h = nHeight;
    if (nMode == 0)
        return ((w + 7) / 8 + 3) / 4 * 4 * h + 48;
    if (nMode == 1)
        return (w + 3) / 4 * 4 * h + 1064;
    return DibRowBytes24(nWidth) * h + 40;
}

uint64_t DibRowBytes24(uint32_t nWidth)
{
    return (static_cast<uint64_t>(nWidth) * 3 + 3) / 4 * 4;
}

bool IsMetricCountryCode(int nCountry)
{
    return !(nCountry == 1 || nCountry == 2 || (nCountry >= 50 && nCountry <= 59) ||
             (nCountry >= 500 && nCountry <= 599));
}
