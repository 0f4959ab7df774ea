#include "ui/SaveNameRules.h"

#include <algorithm>
#include <cwchar>
#include <cwctype>

namespace {

std::wstring LowerAsciiW(std::wstring s)
{
    for (wchar_t& c : s)
        if (c >= L'A' && c <= L'Z')
            c = static_cast<wchar_t>(c + 32);
    return s;
}

}  // namespace

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
