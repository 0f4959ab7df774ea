#include "harness/TraceCapture.h"

#include <algorithm>
#include <cstring>
#include <mutex>

namespace mvltest {

namespace {

std::mutex g_lock;
std::vector<std::string> g_lines;

void WINAPI CaptureA(LPCSTR psz)
{
    std::lock_guard<std::mutex> guard(g_lock);
    g_lines.emplace_back(psz ? psz : "");
}

void WINAPI CaptureW(LPCWSTR psz)
{
    std::string s = psz ? Narrow(psz) : std::string();
    std::lock_guard<std::mutex> guard(g_lock);
    g_lines.push_back(std::move(s));
}

}  // namespace

int RedirectDebugOutput(HMODULE hModule, FARPROC pfnA, FARPROC pfnW)
{
    auto* pBase = reinterpret_cast<BYTE*>(hModule);
    auto* pDos = reinterpret_cast<IMAGE_DOS_HEADER*>(pBase);
    auto* pNt = reinterpret_cast<IMAGE_NT_HEADERS*>(pBase + pDos->e_lfanew);
    const IMAGE_DATA_DIRECTORY& dir = pNt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    if (!dir.VirtualAddress)
        return 0;
    static FARPROC s_pfnOrigA = GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "OutputDebugStringA");
    static FARPROC s_pfnOrigW = GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "OutputDebugStringW");
    int nPatched = 0;
    for (auto* pDesc = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(pBase + dir.VirtualAddress); pDesc->Name; ++pDesc) {
        if (!pDesc->OriginalFirstThunk)
            continue;
        auto* pNames = reinterpret_cast<IMAGE_THUNK_DATA*>(pBase + pDesc->OriginalFirstThunk);
        auto* pSlots = reinterpret_cast<IMAGE_THUNK_DATA*>(pBase + pDesc->FirstThunk);
        for (; pNames->u1.AddressOfData; ++pNames, ++pSlots) {
            if (IMAGE_SNAP_BY_ORDINAL(pNames->u1.Ordinal))
                continue;
            auto* pByName = reinterpret_cast<IMAGE_IMPORT_BY_NAME*>(pBase + pNames->u1.AddressOfData);
            const char* pszName = reinterpret_cast<const char*>(pByName->Name);
            FARPROC pfnNew = nullptr;
            if (std::strcmp(pszName, "OutputDebugStringA") == 0)
                pfnNew = pfnA ? pfnA : s_pfnOrigA;
            else if (std::strcmp(pszName, "OutputDebugStringW") == 0)
                pfnNew = pfnW ? pfnW : s_pfnOrigW;
            if (!pfnNew)
                continue;
            DWORD dwOld = 0;
            VirtualProtect(&pSlots->u1.Function, sizeof(pSlots->u1.Function), PAGE_READWRITE, &dwOld);
            pSlots->u1.Function = reinterpret_cast<ULONG_PTR>(pfnNew);
            VirtualProtect(&pSlots->u1.Function, sizeof(pSlots->u1.Function), dwOld, &dwOld);
            ++nPatched;
        }
    }
    return nPatched;
}

std::string Narrow(const std::wstring& s)
{
    if (s.empty())
        return {};
    int n = WideCharToMultiByte(CP_UTF8, 0, s.c_str(), static_cast<int>(s.size()), nullptr, 0, nullptr, nullptr);
    std::string out(n, '\0');
    WideCharToMultiByte(CP_UTF8, 0, s.c_str(), static_cast<int>(s.size()), out.data(), n, nullptr, nullptr);
    return out;
}

std::wstring Widen(const std::string& s)
{
    if (s.empty())
        return {};
    int n = MultiByteToWideChar(CP_UTF8, 0, s.c_str(), static_cast<int>(s.size()), nullptr, 0);
    std::wstring out(n, L'\0');
    MultiByteToWideChar(CP_UTF8, 0, s.c_str(), static_cast<int>(s.size()), out.data(), n);
    return out;
}

CTraceCapture::CTraceCapture(HMODULE hModule) : m_hModule(hModule)
{
    Clear();
    if (hModule)
        m_nPatched = RedirectDebugOutput(hModule, reinterpret_cast<FARPROC>(&CaptureA),
                                         reinterpret_cast<FARPROC>(&CaptureW));
}

CTraceCapture::~CTraceCapture()
{
    if (m_hModule && m_nPatched)
        RedirectDebugOutput(m_hModule, nullptr, nullptr);
}

std::vector<std::string> CTraceCapture::Lines() const
{
    std::lock_guard<std::mutex> guard(g_lock);
    return g_lines;
}

void CTraceCapture::Clear()
{
    std::lock_guard<std::mutex> guard(g_lock);
    g_lines.clear();
}

bool CTraceCapture::Contains(const std::string& sFragment) const
{
    return Count(sFragment) > 0;
}

size_t CTraceCapture::Count(const std::string& sFragment) const
{
    std::lock_guard<std::mutex> guard(g_lock);
    return std::count_if(g_lines.begin(), g_lines.end(),
                         [&](const std::string& s) { return s.find(sFragment) != std::string::npos; });
}

}  // namespace mvltest
