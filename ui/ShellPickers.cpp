#include "ui/ShellPickers.h"

#include <commdlg.h>
#include <shlobj.h>

#include <memory>
#include <vector>

namespace {

struct SCoFree {
    void operator()(void* p) const { ::CoTaskMemFree(p); }
};

int CALLBACK SelectInitial(HWND hBrowser, UINT nMsg, LPARAM, LPARAM lpData)
{
    if (nMsg == BFFM_INITIALIZED && lpData)
        ::SendMessageW(hBrowser, BFFM_SETSELECTIONW, TRUE, lpData);
    return 0;
}

}  // namespace

bool IsExistingFile(const std::wstring& sPath)
{
    const DWORD dw = ::GetFileAttributesW(sPath.c_str());
    return !sPath.empty() && dw != INVALID_FILE_ATTRIBUTES && !(dw & FILE_ATTRIBUTE_DIRECTORY);
}

bool IsExistingFolder(const std::wstring& sPath)
{
    const DWORD dw = ::GetFileAttributesW(sPath.c_str());
    return !sPath.empty() && dw != INVALID_FILE_ATTRIBUTES && (dw & FILE_ATTRIBUTE_DIRECTORY);
}

std::optional<std::wstring> BrowseForFolder(HWND hOwner, const std::wstring& sTitle, const std::wstring& sInitial)
{
    BROWSEINFOW bi{};
    bi.hwndOwner = hOwner;
    bi.lpszTitle = sTitle.c_str();
    bi.ulFlags = BIF_RETURNONLYFSDIRS;
    if (IsExistingFolder(sInitial)) {
        bi.lpfn = &SelectInitial;
        bi.lParam = reinterpret_cast<LPARAM>(sInitial.c_str());
    }
    std::unique_ptr<ITEMIDLIST, SCoFree> pItems(::SHBrowseForFolderW(&bi));
    if (!pItems)
        return std::nullopt;
    std::vector<wchar_t> szPath(MAX_PATH * 4, L'\0');
    if (!::SHGetPathFromIDListEx(pItems.get(), szPath.data(), static_cast<DWORD>(szPath.size()), GPFIDL_DEFAULT))
        return std::nullopt;
    return std::wstring(szPath.data());
}

std::optional<std::wstring> ChooseProgram(HWND hOwner, const std::wstring& sTitle)
{
    static const wchar_t kFilter[] = L"EXE Files(*.exe)\0*.exe\0";
    const std::wstring sStart = KnownFolder(CSIDL_PROGRAM_FILES);
    std::vector<wchar_t> szFile(MAX_PATH * 4, L'\0');
    OPENFILENAMEW ofn{};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = hOwner;
    ofn.lpstrFilter = kFilter;
    ofn.lpstrFile = szFile.data();
    ofn.nMaxFile = static_cast<DWORD>(szFile.size());
    ofn.lpstrInitialDir = sStart.empty() ? nullptr : sStart.c_str();
    ofn.lpstrTitle = sTitle.c_str();
    ofn.Flags = OFN_EXPLORER | OFN_HIDEREADONLY | OFN_NOCHANGEDIR;
    if (!::GetOpenFileNameW(&ofn))
        return std::nullopt;
    return std::wstring(szFile.data());
}

std::wstring KnownFolder(int nCsidl)
{
    wchar_t szPath[MAX_PATH] = L"";
    if (FAILED(::SHGetFolderPathW(nullptr, nCsidl | CSIDL_FLAG_CREATE, nullptr, SHGFP_TYPE_CURRENT, szPath)))
        return {};
    std::wstring s(szPath);
    while (s.size() > 3 && s.back() == L'\\')
        s.pop_back();
    return s;
}
