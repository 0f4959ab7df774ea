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

    // Writes bytes at an offset through the file itself. The views see them at once (one file
    // cache serves both), and a page written this way costs a copy, where the first write into
    // each memory page of a view costs a fault: several times more on the way in.
    bool Write(DWORD dwOffset, const void* pData, DWORD dwLength);

    // Maps bytes [offset, offset + length) for read and write: *ppData points at offset, the
    // return value is the view's base for ReleaseDataHandle. Null when the range exceeds the
    // size or the view cannot be made.
    void* GetDataHandle(DWORD dwOffset, DWORD dwLength, uint8_t** ppData);
    void ReleaseDataHandle(void* pBase);

    // Bytes [offset, offset + length) through one view kept open between calls and moved on
    // (a few MiB at a time) as a reader goes through the spool, so that a reader of many small
    // pieces maps the file a few times instead of once per piece. The pointer is good until the
    // next call, ReleaseWindow or the file's end; null when the range cannot be mapped.
    const uint8_t* Window(DWORD dwOffset, DWORD dwLength);
    void ReleaseWindow();

    DWORD Size() const { return m_dwSize; }
    const std::wstring& FileName() const { return m_sFileName; }

    // A new unique file in the user's temporary folder (empty on failure); the file exists.
    static std::wstring NewTempFileName();
    static DWORD AllocationGranularity();

private:
    void Close();

    HANDLE m_hFile = INVALID_HANDLE_VALUE;  // kept open for Write
    HANDLE m_hMapping = nullptr;
    std::wstring m_sFileName;
    DWORD m_dwSize = 0;
    void* m_pWindow = nullptr;  // the kept view: its base, and the bytes it covers
    DWORD m_dwWindowOffset = 0;
    DWORD m_dwWindowLength = 0;
};

// A view of bytes [offset, offset + length) of a spool, released with the object.
class CSpoolView {
public:
    CSpoolView(Data_MapFile& file, uint64_t nOffset, uint64_t nLength);
    ~CSpoolView();
    CSpoolView(const CSpoolView&) = delete;
    CSpoolView& operator=(const CSpoolView&) = delete;
    uint8_t* Data() const { return m_pBase ? m_pData : nullptr; }

private:
    Data_MapFile& m_file;
    void* m_pBase = nullptr;
    uint8_t* m_pData = nullptr;
};
