#include "transfer/DibBuilder.h"

#include <cstring>
#include <memory>

#include "device/ScanMessages.h"
#include "profile/Trace.h"
#include "transfer/DibLayout.h"
#include "transfer/Image.h"
#include "transfer/ManagerEntry.h"

namespace {

// The block goes to the application: in the memory of its source manager when it gave its own.
struct SGlobalFree {
    void operator()(void* h) const { AppMemFree(h); }
};
using CGlobal = std::unique_ptr<void, SGlobalFree>;

struct SGlobalUnlock {
    void operator()(void* h) const { AppMemUnlock(h); }
};

struct SCloseFile {
    void operator()(HANDLE h) const { CloseHandle(h); }
};
using CFile = std::unique_ptr<void, SCloseFile>;

// Builds the block; null when it cannot be allocated or filled.
CGlobal BuildBlock(CImage& image, const SDibLayout& l)
{
    TraceA("dwDIBSize :%d", static_cast<int>(l.nTotalBytes));
    CGlobal hDib(AppMemAlloc(l.nTotalBytes));
    if (!hDib) {
        ShowScanMessage(1105);
        return nullptr;
    }
    auto* pBlock = static_cast<uint8_t*>(AppMemLock(hDib.get()));
    if (!pBlock)
        return nullptr;
    std::unique_ptr<void, SGlobalUnlock> unlock(hDib.get());
    TraceA("hDIB value:%p", hDib.get());
    WriteDibHeader(l, image.GetXResolution(), image.GetYResolution(), pBlock);
    bool bFilled = FillDibRows(l, pBlock, [&](uint32_t nRow, uint8_t* pDest) {
        if (l.nRowBytes == 0)
            return true;
        uint8_t* pData = nullptr;
        void* pBase = image.GetDataHandle(nRow * l.nRowBytes, l.nRowBytes, &pData);
        if (!pBase)
            return false;
        std::memcpy(pDest, pData, l.nRowBytes);
        image.ReleaseDataHandle(pBase);
        return true;
    });
    if (!bFilled) {
        // A page with holes is no page: the transfer fails instead.
        TraceA("CreateDibFromImage: spool row cannot be mapped");
        return nullptr;
    }
    return hDib;
}

bool WriteAll(HANDLE hFile, const void* p, DWORD n)
{
    DWORD nWritten = 0;
    return WriteFile(hFile, p, n, &nWritten, nullptr) && nWritten == n;
}

}  // namespace

HGLOBAL CreateDibFromImage(CImage& image, uint32_t nWidth, uint32_t nHeight, int nPixelType)
{
    SDibLayout l;
    if (!ComputeDibLayout(nWidth, nHeight, nPixelType, l)) {
        ShowScanMessage(1105);
        return nullptr;
    }
    CGlobal hDib = BuildBlock(image, l);
    if (!hDib)
        return nullptr;
    image.FreeData();
    return static_cast<HGLOBAL>(hDib.release());
}

bool WriteBmpFromImage(CImage& image, uint32_t nWidth, uint32_t nHeight, int nPixelType,
                       const std::wstring& sFileName)
{
    SDibLayout l;
    if (sFileName.empty() || !ComputeDibLayout(nWidth, nHeight, nPixelType, l))
        return false;
    CGlobal hDib = BuildBlock(image, l);
    if (!hDib)
        return false;
    auto* pBlock = static_cast<const uint8_t*>(AppMemLock(hDib.get()));
    if (!pBlock)
        return false;
    std::unique_ptr<void, SGlobalUnlock> unlock(hDib.get());
    bool bWritten = false;
    {
        CFile hFile(CreateFileW(sFileName.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                                nullptr));
        if (hFile.get() == INVALID_HANDLE_VALUE) {
            hFile.release();
            TraceW(L"CreateDibFromImage: cannot create %ls (%lu)", sFileName.c_str(), GetLastError());
            return false;
        }
        auto header = MakeBmpFileHeader(l);
        bWritten = WriteAll(hFile.get(), header.data(), static_cast<DWORD>(header.size())) &&
                   WriteAll(hFile.get(), pBlock, l.nTotalBytes);
    }
    if (!bWritten) {
        TraceW(L"CreateDibFromImage: cannot write %ls", sFileName.c_str());
        DeleteFileW(sFileName.c_str());
        return false;
    }
    image.FreeData();
    return true;
}

bool CheckDibMemory(uint32_t nWidth, uint32_t nHeight, int nPixelType)
{
    SDibLayout l;
    if (!ComputeDibLayout(nWidth, nHeight, nPixelType, l)) {
        TraceA("checkMem fasle");
        return false;
    }
    TraceA("dwDIBSize 1: %d", static_cast<int>(l.nTotalBytes));
    CGlobal hTrial(AppMemAlloc(l.nTotalBytes));
    TraceA(hTrial ? "checkMem ok" : "checkMem fasle");
    return hTrial != nullptr;
}
