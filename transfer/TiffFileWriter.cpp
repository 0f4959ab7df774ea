#include "transfer/TiffFileWriter.h"

#include <windows.h>

#include <vector>

#include "profile/Trace.h"
#include "transfer/DibLayout.h"
#include "transfer/Image.h"
#include "transfer/TiffLayout.h"

namespace {

// The file being written; removed unless the whole page reached it.
class CTiffFile {
public:
    explicit CTiffFile(const std::wstring& sName)
        : m_sName(sName),
          m_h(CreateFileW(sName.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr))
    {
    }
    ~CTiffFile()
    {
        if (m_h != INVALID_HANDLE_VALUE)
            CloseHandle(m_h);
        if (!m_bComplete && m_h != INVALID_HANDLE_VALUE)
            DeleteFileW(m_sName.c_str());
    }
    CTiffFile(const CTiffFile&) = delete;
    CTiffFile& operator=(const CTiffFile&) = delete;

    bool Opened() const { return m_h != INVALID_HANDLE_VALUE; }
    bool Write(const void* p, DWORD n)
    {
        DWORD nWritten = 0;
        return WriteFile(m_h, p, n, &nWritten, nullptr) && nWritten == n;
    }
    void Complete() { m_bComplete = true; }

private:
    std::wstring m_sName;
    HANDLE m_h;
    bool m_bComplete = false;
};

// A strip is a run of spool rows, written as it lies in the spool.
bool WriteStrip(CImage& image, const STiffLayout& l, uint32_t nStrip, CTiffFile& file)
{
    const DWORD nBytes = TiffStripBytes(l, nStrip);
    uint8_t* pData = nullptr;
    void* pBase = image.GetDataHandle(TiffStripFirstRow(l, nStrip) * l.nRowBytes, nBytes, &pData);
    if (!pBase)
        return false;
    bool bOk = file.Write(pData, nBytes);
    image.ReleaseDataHandle(pBase);
    return bOk;
}

}  // namespace

bool WriteTiffFromImage(CImage& image, uint32_t nWidth, uint32_t nHeight, int nPixelType,
                        const std::wstring& sFileName)
{
    STiffLayout l;
    if (sFileName.empty() || !ComputeTiffLayout(nWidth, nHeight, DibBitCount(nPixelType), l))
        return false;
    CTiffFile file(sFileName);
    if (!file.Opened()) {
        TraceW(L"WriteTiffFromImage: cannot create %ls (%lu)", sFileName.c_str(), GetLastError());
        return false;
    }
    std::vector<uint8_t> header = MakeTiffHeader(l, image.GetXResolution(), image.GetYResolution());
    bool bOk = file.Write(header.data(), static_cast<DWORD>(header.size()));
    for (uint32_t i = 0; bOk && i < l.nStrips; ++i)
        bOk = WriteStrip(image, l, i, file);
    if (!bOk) {
        TraceW(L"WriteTiffFromImage: cannot write %ls", sFileName.c_str());
        return false;
    }
    file.Complete();
    image.FreeData();
    return true;
}
