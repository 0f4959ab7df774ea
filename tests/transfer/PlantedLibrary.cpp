// A library somebody could plant where a bare name is looked up: loading it leaves a marker
// file named after it in the folder MVL_PLANT_MARKERS names, so a test sees that it ran.
#include <windows.h>

#include <string>

#include "twain/TwainTypes.h"

extern "C" BOOL WINAPI DllMain(HINSTANCE hInstance, DWORD dwReason, LPVOID)
{
    if (dwReason != DLL_PROCESS_ATTACH)
        return TRUE;
    wchar_t szDir[MAX_PATH] = L"", szSelf[MAX_PATH] = L"";
    DWORD n = GetEnvironmentVariableW(L"MVL_PLANT_MARKERS", szDir, MAX_PATH);
    if (n == 0 || n >= MAX_PATH || !GetModuleFileNameW(hInstance, szSelf, MAX_PATH))
        return TRUE;
    std::wstring sSelf(szSelf);
    std::wstring sMarker = std::wstring(szDir) + L"\\" + sSelf.substr(sSelf.find_last_of(L'\\') + 1) + L".loaded";
    HANDLE h = CreateFileW(sMarker.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h != INVALID_HANDLE_VALUE)
        CloseHandle(h);
    return TRUE;
}

// What a planted manager would offer a source looking for one.
extern "C" __declspec(dllexport) TW_UINT16 TW_CALLINGSTYLE DSM_Entry(TW_IDENTITY*, TW_IDENTITY*, TW_UINT32, TW_UINT16,
                                                                     TW_UINT16, TW_MEMREF)
{
    return TWRC_SUCCESS;
}
