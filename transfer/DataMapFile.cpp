#include "transfer/DataMapFile.h"

#include "profile/Trace.h"

Data_MapFile::~Data_MapFile()
{
    Close();
}

void Data_MapFile::Close()
{
    if (m_hMapping) {
        CloseHandle(m_hMapping);
        m_hMapping = nullptr;
    }
    if (!m_sFileName.empty()) {
        DeleteFileW(m_sFileName.c_str());
        m_sFileName.clear();
    }
    m_dwSize = 0;
}

std::wstring Data_MapFile::NewTempFileName()
{
    wchar_t szDir[MAX_PATH + 1] = L"";
    DWORD n = GetTempPathW(256, szDir);
    if (n == 0 || n > 256)
        return L"";
    wchar_t szName[MAX_PATH + 1] = L"";
    if (GetTempFileNameW(szDir, L"Mor", 0, szName) == 0)
        return L"";
    return szName;
}

DWORD Data_MapFile::AllocationGranularity()
{
    SYSTEM_INFO si{};
    GetSystemInfo(&si);
    return si.dwAllocationGranularity ? si.dwAllocationGranularity : 0x10000;
}

int Data_MapFile::MapFile_Create(DWORD dwSize, std::wstring sFileName)
{
    // A second creation replaces the first: its mapping and file must not outlive it.
    Close();
    const bool bTempName = sFileName.empty();
    if (bTempName)
        sFileName = NewTempFileName();
    TraceW(L"Data_MapFile::MapFile_Create : FileName:(%ls)", sFileName.c_str());
    if (sFileName.empty())
        return 1;
    HANDLE hFile = CreateFileW(sFileName.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS,
                               FILE_ATTRIBUTE_NORMAL, nullptr);
    if (hFile == INVALID_HANDLE_VALUE) {
        TraceA("Data_MapFile::MapFile_Create: CreateFile error :(%d)", static_cast<int>(GetLastError()));
        // The temporary name service created the file; it must not be left behind.
        if (bTempName)
            DeleteFileW(sFileName.c_str());
        return 1;
    }
    m_sFileName = sFileName;
    m_dwSize = dwSize;
    m_hMapping = CreateFileMappingW(hFile, nullptr, PAGE_READWRITE, 0, dwSize, nullptr);
    DWORD dwError = GetLastError();
    CloseHandle(hFile);
    if (!m_hMapping) {
        TraceA("CreateFileMapping error :(%d)", static_cast<int>(dwError));
        Close();
        return 1;
    }
    return 0;
}

void* Data_MapFile::GetDataHandle(DWORD dwOffset, DWORD dwLength, uint8_t** ppData)
{
    if (ppData)
        *ppData = nullptr;
    // In 64 bits: a 32-bit sum would wrap and let a view run past the file.
    if (static_cast<uint64_t>(m_dwSize) < static_cast<uint64_t>(dwOffset) + dwLength) {
        TraceA("GetDataHandle : size error");
        return nullptr;
    }
    if (!m_hMapping || !ppData || dwLength == 0)
        return nullptr;
    const DWORD dwGranularity = AllocationGranularity();
    const DWORD dwBase = dwOffset / dwGranularity * dwGranularity;
    void* pView = MapViewOfFile(m_hMapping, FILE_MAP_READ | FILE_MAP_WRITE, 0, dwBase, dwLength + (dwOffset - dwBase));
    if (!pView) {
        TraceA("MapViewOfFile error :(%d)", static_cast<int>(GetLastError()));
        return nullptr;
    }
    *ppData = static_cast<uint8_t*>(pView) + (dwOffset - dwBase);
    return pView;
}

void Data_MapFile::ReleaseDataHandle(void* pBase)
{
    if (pBase)
        UnmapViewOfFile(pBase);
}
