#include "profile/Resources.h"

#include <vector>

#include "profile/LibraryLoad.h"
#include "profile/ProductProfile.h"
#include "profile/Trace.h"

namespace {

HMODULE g_hLangResource = nullptr;

std::wstring FolderOf(const std::wstring& sPath)
{
    size_t nSlash = sPath.find_last_of(L'\\');
    return nSlash == std::wstring::npos ? std::wstring() : sPath.substr(0, nSlash);
}

std::wstring HostExePath()
{
    std::vector<wchar_t> buf(32768);
    DWORD n = GetModuleFileNameW(nullptr, buf.data(), static_cast<DWORD>(buf.size()));
    return std::wstring(buf.data(), std::min<DWORD>(n, static_cast<DWORD>(buf.size() - 1)));
}

HMODULE ThisModule()
{
    HMODULE h = nullptr;
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCWSTR>(&FolderOf), &h);
    return h;
}

}  // namespace

std::wstring ResourceLibraryPath(const std::wstring& sCode)
{
    // Without its own folder there is no path: "\\name.dll" would name the current drive's root.
    std::wstring sFolder = FolderOf(OwnModulePath());
    return sFolder.empty() ? std::wstring() : sFolder + L"\\" + ReadFilePrefix() + L"twrc" + sCode + L".dll";
}

std::wstring HelpFilePath(const std::wstring& sCode, bool bFileOutputMode)
{
    std::wstring sPath = bFileOutputMode ? FolderOf(HostExePath()) + L"\\" + ReadFilePrefix() + L"App" + sCode + L".chm"
                                         : FolderOf(OwnModulePath()) + L"\\" + ReadFilePrefix() + L"tw" + sCode + L".chm";
    TraceW(L"helpFile = %ls", sPath.c_str());
    return sPath;
}

CLangResource::CLangResource(const std::wstring& sPath)
{
    // As data only: the library's code, if it had any, never runs in the host. By full path
    // only: a bare name would be searched for in the current directory and on PATH.
    if (IsFullPath(sPath))
        m_hModule = LoadLibraryExW(sPath.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    if (m_hModule) {
        m_hPrevious = g_hLangResource;
        g_hLangResource = m_hModule;
    }
}

CLangResource::~CLangResource()
{
    if (!m_hModule)
        return;
    if (g_hLangResource == m_hModule)
        g_hLangResource = m_hPrevious;
    FreeLibrary(m_hModule);
}

HMODULE CurrentResourceModule()
{
    return g_hLangResource ? g_hLangResource : ThisModule();
}

std::wstring LoadLangString(UINT nId)
{
    const wchar_t* pText = nullptr;
    // Length 0 asks for a read-only pointer into the resource: no length limit, no copy.
    int n = LoadStringW(CurrentResourceModule(), nId, reinterpret_cast<LPWSTR>(&pText), 0);
    if (n <= 0 || !pText)
        return L"Load String Error!";
    return std::wstring(pText, static_cast<size_t>(n));
}

void SetControlTexts(HWND hParent, const SCtrlText* pPairs, int nCount)
{
    if (!hParent || !pPairs)
        return;
    for (int i = 0; i < nCount; ++i)
        SetDlgItemTextW(hParent, pPairs[i].nCtrlId, LoadLangString(pPairs[i].nStringId).c_str());
}

void SetButtonTexts(HWND hParent, const SCtrlText* pPairs, int nCount)
{
    if (!hParent || !pPairs)
        return;
    for (int i = 0; i < nCount; ++i)
        SetDlgItemTextW(hParent, pPairs[i].nCtrlId, (L" " + LoadLangString(pPairs[i].nStringId) + L" ").c_str());
}

void FillComboBox(HWND hCombo, const UINT* pIds, int nCount)
{
    if (!hCombo || !pIds)
        return;
    SendMessageW(hCombo, CB_RESETCONTENT, 0, 0);
    for (int i = 0; i < nCount; ++i)
        SendMessageW(hCombo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(LoadLangString(pIds[i]).c_str()));
}
