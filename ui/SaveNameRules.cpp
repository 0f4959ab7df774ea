#include "ui/SaveNameRules.h"

#include <algorithm>
#include <cwchar>
#include <cwctype>

namespace {

// Far beyond any day's scans, and small enough that one more still fits an int.
constexpr long kMaxNumber = 999999999;

long LeadingNumber(const std::wstring& s)
{
    long n = 0;
    for (wchar_t c : s) {
        if (c < L'0' || c > L'9')
            break;
        n = std::min(kMaxNumber, n * 10 + (c - L'0'));
    }
    return n;
}

std::wstring LowerAsciiW(std::wstring s)
{
    for (wchar_t& c : s)
        if (c >= L'A' && c <= L'Z')
            c = static_cast<wchar_t>(c + 32);
    return s;
}

}  // namespace

std::wstring DatedPrefix(int nYear, int nMonth, int nDay)
{
    wchar_t sz[32];
    std::swprintf(sz, 32, L"%04d-%02d-%02d_", nYear, nMonth, nDay);
    return sz;
}

std::wstring NextBaseName(const std::wstring& sPrefix, const std::vector<std::wstring>& fileNames)
{
    long nNext = 1;
    for (const std::wstring& sName : fileNames)
        if (sName.size() >= sPrefix.size() && sName.compare(0, sPrefix.size(), sPrefix) == 0)
            nNext = std::max(nNext, LeadingNumber(sName.substr(sPrefix.size())) + 1);
    wchar_t sz[16];
    std::swprintf(sz, 16, L"%03ld", nNext);
    return sPrefix + sz;
}

std::wstring TrimBlanks(const std::wstring& s)
{
    auto bBlank = [](wchar_t c) { return std::iswspace(static_cast<wint_t>(c)) != 0; };
    auto b = std::find_if_not(s.begin(), s.end(), bBlank);
    auto e = std::find_if_not(s.rbegin(), s.rend(), bBlank).base();
    return b < e ? std::wstring(b, e) : std::wstring();
}

bool HasForbiddenNameChar(const std::wstring& sName)
{
    return sName.find_first_of(L"\\/:*?\"<>|") != std::wstring::npos;
}

ESaveTextCheck CheckSaveTexts(const std::wstring& sName, const std::wstring& sFolder)
{
    if (sName.empty())
        return ESaveTextCheck::EmptyName;
    if (HasForbiddenNameChar(sName))
        return ESaveTextCheck::ForbiddenName;
    if (sFolder.empty())
        return ESaveTextCheck::EmptyFolder;
    if (sFolder.size() > kMaxSaveFolderChars)
        return ESaveTextCheck::FolderTooLong;
    if (sFolder[0] == L'.' || sFolder[0] == L'\\')
        return ESaveTextCheck::FolderUnusable;
    return ESaveTextCheck::Ok;
}

unsigned MessageIdOf(ESaveTextCheck check)
{
    switch (check) {
    case ESaveTextCheck::EmptyName:
        return 1126;
    case ESaveTextCheck::ForbiddenName:
        return 1125;
    case ESaveTextCheck::EmptyFolder:
        return 1124;
    case ESaveTextCheck::FolderTooLong:
        return 1127;
    case ESaveTextCheck::FolderUnusable:
        return 1128;
    case ESaveTextCheck::Ok:
        break;
    }
    return 0;
}

std::wstring WithTrailingBackslash(const std::wstring& sFolder)
{
    return !sFolder.empty() && sFolder.back() == L'\\' ? sFolder : sFolder + L'\\';
}

std::wstring SaveTargetPath(const std::wstring& sFolder, const std::wstring& sName, const std::wstring& sType)
{
    const bool bOfficialPdf = LowerAsciiW(sType).find(L"pdf(\u516c\u6587)") != std::wstring::npos;
    return WithTrailingBackslash(sFolder) + sName + L"." + (bOfficialPdf ? std::wstring(L"pdf") : sType);
}
