#include "transfer/DataMapFile.h"

#include <algorithm>

#include "profile/Trace.h"

Data_MapFile::~Data_MapFile()
{
    Close();
}

void Data_MapFile::Close()
{
    // The kept view goes first: a file with a view still mapped could not be deleted.
    ReleaseWindow();
    if (m_hMapping) {
        CloseHandle(m_hMapping);
        m_hMapping = nullptr;
    }
    if (m_hFile != INVALID_HANDLE_VALUE) {
        CloseHandle(m_hFile);
        m_hFile = INVALID_HANDLE_VALUE;
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
    m_hFile = hFile;
    m_hMapping = CreateFileMappingW(hFile, nullptr, PAGE_READWRITE, 0, dwSize, nullptr);
    DWORD dwError = GetLastError();
    if (!m_hMapping) {
        TraceA("CreateFileMapping error :(%d)", static_cast<int>(dwError));
        Close();
        return 1;
    }
    return 0;
}

bool Data_MapFile::Write(DWORD dwOffset, const void* pData, DWORD dwLength)
{
    if (m_hFile == INVALID_HANDLE_VALUE || !pData || uint64_t(dwOffset) + dwLength > m_dwSize)
        return false;
    OVERLAPPED at{};
    at.Offset = dwOffset;
    DWORD dwWritten = 0;
    if (WriteFile(m_hFile, pData, dwLength, &dwWritten, &at) && dwWritten == dwLength)
        return true;
    TraceA("Data_MapFile::Write error :(%d)", static_cast<int>(GetLastError()));
    return false;
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

const uint8_t* Data_MapFile::Window(DWORD dwOffset, DWORD dwLength)
{
    // Enough for a few hundred rows, few enough mappings for a page of any size.
    constexpr DWORD kWindowBytes = 4u << 20;
    if (m_pWindow && dwOffset >= m_dwWindowOffset &&
        uint64_t(dwOffset) + dwLength <= uint64_t(m_dwWindowOffset) + m_dwWindowLength)
        return static_cast<const uint8_t*>(m_pWindow) + (dwOffset - m_dwWindowOffset);
    ReleaseWindow();
    if (!m_hMapping || dwLength == 0 || uint64_t(dwOffset) + dwLength > m_dwSize)
        return nullptr;
    const DWORD dwGranularity = AllocationGranularity();
    const DWORD dwBase = dwOffset / dwGranularity * dwGranularity;
    const DWORD dwLengthFromBase = static_cast<DWORD>(
        std::min<uint64_t>(m_dwSize - dwBase, std::max<uint64_t>(kWindowBytes, uint64_t(dwOffset - dwBase) + dwLength)));
    m_pWindow = MapViewOfFile(m_hMapping, FILE_MAP_READ, 0, dwBase, dwLengthFromBase);
    if (!m_pWindow) {
        TraceA("MapViewOfFile error :(%d)", static_cast<int>(GetLastError()));
        return nullptr;
    }
    m_dwWindowOffset = dwBase;
    m_dwWindowLength = dwLengthFromBase;
    return static_cast<const uint8_t*>(m_pWindow) + (dwOffset - dwBase);
}

void Data_MapFile::ReleaseWindow()
{
    if (m_pWindow)
        UnmapViewOfFile(m_pWindow);
    m_pWindow = nullptr;
    m_dwWindowOffset = m_dwWindowLength = 0;
}

CSpoolView::CSpoolView(Data_MapFile& file, uint64_t nOffset, uint64_t nLength) : m_file(file)
{
    if (nOffset + nLength <= 0xFFFFFFFFull)
        m_pBase = file.GetDataHandle(static_cast<DWORD>(nOffset), static_cast<DWORD>(nLength), &m_pData);
}

CSpoolView::~CSpoolView()
{
    if (m_pBase)
        m_file.ReleaseDataHandle(m_pBase);
}
