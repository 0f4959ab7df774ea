#include "ui/HostTextRule.h"

#include <algorithm>

namespace {

bool IsHostChar(wchar_t c)
{
    return (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z') || (c >= L'0' && c <= L'9') || c == L'.' ||
           c == L'-' || c == L':' || c == L'%' || c == L'/';
}

}  // namespace

std::wstring FilterHostText(const std::wstring& sTyped, const std::wstring& sLastValid)
{
    std::wstring s;
    std::copy_if(sTyped.begin(), sTyped.end(), std::back_inserter(s), IsHostChar);
    // Four groups at most: the fourth dot and all after it go.
    std::size_t nDots = 0;
    for (std::size_t i = 0; i < s.size(); ++i)
        if (s[i] == L'.' && ++nDots == 4) {
            s.erase(i);
            break;
        }
    return s.size() > kMaxHostChars ? sLastValid : s;
}
