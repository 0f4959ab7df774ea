// One spool file and its read-write mapping. The file is a temporary file unless a name is
// given, and it disappears with its owner.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

class Data_MapFile {
public:
    Data_MapFile() = default;
    ~Data_MapFile();
    Data_MapFile(const Data_MapFile&) = delete;
    Data_MapFile& operator=(const Data_MapFile&) = delete;

    // 0 on success, 1 on failure. An empty name takes a new temporary file ("Mor" prefix).
    int MapFile_Create(DWORD dwSize, std::wstring sFileName = L"");

    // Maps bytes [offset, offset + length) for read and write: *ppData points at offset, the
    // return value is the view's base for ReleaseDataHandle. Null when the range exceeds the
    // size or the view cannot be made.
    void* GetDataHandle(DWORD dwOffset, DWORD dwLength, uint8_t** ppData);
    void ReleaseDataHandle(void* pBase);

    DWORD Size() const { return m_dwSize; }
    const std::wstring& FileName() const { return m_sFileName; }

    // A new unique file in the user's temporary folder (empty on failure); the file exists.
    static std::wstring NewTempFileName();
    static DWORD AllocationGranularity();

private:
    void Close();

    HANDLE m_hMapping = nullptr;
    std::wstring m_sFileName;
    DWORD m_dwSize = 0;
};
