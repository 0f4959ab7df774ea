#include "settings/SettingsProfile.h"

#include "settings/WideUtf8.h"

#include <algorithm>

namespace {

constexpr size_t kVersionBytes = 19;

TwainProfileReader g_pfnProfileReader = nullptr;

}  // namespace

void SetTwainProfileReader(TwainProfileReader pfnReader)
{
    g_pfnProfileReader = pfnReader;
}

std::wstring ReadTwainProfileString(const wchar_t* szKey)
{
    return (g_pfnProfileReader && szKey) ? g_pfnProfileReader(szKey) : std::wstring();
}

std::string NarrowBounded(const std::wstring& szText, size_t nMaxBytes)
{
    // A profile value that is not valid text narrows to nothing rather than to a guess.
    const std::string szAll = WideToUtf8(szText).value_or(std::string());
    size_t nCut = std::min(nMaxBytes, szAll.size());
    while (nCut > 0 && nCut < szAll.size() && (static_cast<unsigned char>(szAll[nCut]) & 0xC0) == 0x80)
        --nCut;
    return szAll.substr(0, nCut);
}

std::string CurrentSettingsVersion()
{
    return NarrowBounded(ReadTwainProfileString(L"Version"), kVersionBytes);
}
