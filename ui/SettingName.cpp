#include "ui/SettingName.h"

#include <cwctype>
#include <string_view>

std::wstring CleanSettingName(const std::wstring& sTyped, bool bTyping)
{
    size_t nFirst = 0, nEnd = sTyped.size();
    while (nFirst < nEnd && std::iswspace(sTyped[nFirst]))
        ++nFirst;
    while (!bTyping && nEnd > nFirst && std::iswspace(sTyped[nEnd - 1]))
        --nEnd;
    std::wstring sName;
    for (size_t i = nFirst; i < nEnd; ++i)
        if (std::wstring_view(L"\\/:*?\"<>|,").find(sTyped[i]) == std::wstring_view::npos)
            sName += sTyped[i];
    if (sName.size() > kSettingNameChars)
        sName.resize(kSettingNameChars);
    return sName;
}
