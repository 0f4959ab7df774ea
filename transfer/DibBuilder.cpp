#include "transfer/DibBuilder.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <memory>
#include <vector>

#include "device/ScanMessages.h"
#include "imaging/ImagingThreads.h"
#include "profile/Trace.h"
#include "transfer/DataMapFile.h"
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

// Block rows per band: about a mebibyte of spool, so that a band's rows and its part of the
// block stay in the cache of the thread that takes it.
uint32_t BandRows(const SDibLayout& l)
{
    return std::max<uint32_t>(1, (1u << 20) / std::max<uint32_t>(1, l.nRowBytes));
}

// Block rows [j0, j1) into pOut (a stride apart) in one pass that turns the page upside down
// and its colour into the bitmap's order; their spool rows are read through one view.
bool WriteBlockRows(Data_MapFile& spool, const SDibLayout& l, uint32_t j0, uint32_t j1, uint8_t* pOut)
{
    const uint32_t n = j1 - j0;
    CSpoolView view(spool, uint64_t(l.nHeight - j1) * l.nRowBytes, uint64_t(n) * l.nRowBytes);
    if (!view.Data())
        return false;
    for (uint32_t k = 0; k < n; ++k)
        WriteDibRow(l, view.Data() + uint64_t(n - 1 - k) * l.nRowBytes, pOut + uint64_t(k) * l.nStride);
    return true;
}

// Calls fn(nPart, j0, j1) for bands of block rows on both threads; false when a band failed.
template <typename Fn>
bool ForEachBand(const SDibLayout& l, Fn&& fn)
{
    std::atomic<bool> bOk{true};
    ForEachRowBand(0, static_cast<int32_t>(l.nHeight), static_cast<int32_t>(BandRows(l)), 0,
                   [&](int nPart, int32_t j0, int32_t j1) {
                       if (bOk && !fn(nPart, static_cast<uint32_t>(j0), static_cast<uint32_t>(j1)))
                           bOk = false;
                   });
    return bOk;
}

// A page without rows has nothing to read; otherwise the spool must still hold it.
Data_MapFile* PageSpool(CImage& image, const SDibLayout& l, bool& bEmpty)
{
    bEmpty = l.nRowBytes == 0 || l.nHeight == 0;
    Data_MapFile* pSpool = image.MapFile();
    if (!bEmpty && !pSpool)
        TraceA("CreateDibFromImage: spool row cannot be mapped");
    return pSpool;
}

// Builds the block; null when it cannot be allocated or filled.
CGlobal BuildBlock(CImage& image, const SDibLayout& l)
{
    TraceA("dwDIBSize :%d", static_cast<int>(l.nTotalBytes));
    bool bEmpty = false;
    Data_MapFile* pSpool = PageSpool(image, l, bEmpty);
    if (!bEmpty && !pSpool)
        return nullptr;
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
    uint8_t* pPixels = pBlock + l.nPixelOffset;
    if (!bEmpty && !ForEachBand(l, [&](int, uint32_t j0, uint32_t j1) {
            return WriteBlockRows(*pSpool, l, j0, j1, pPixels + uint64_t(j0) * l.nStride);
        })) {
        // A page with holes is no page: the transfer fails instead.
        TraceA("CreateDibFromImage: spool row cannot be mapped");
        return nullptr;
    }
    return hDib;
}

bool WriteAt(HANDLE hFile, uint64_t nOffset, const void* p, DWORD n)
{
    OVERLAPPED at{};
    at.Offset = static_cast<DWORD>(nOffset);
    at.OffsetHigh = static_cast<DWORD>(nOffset >> 32);
    DWORD nWritten = 0;
    return WriteFile(hFile, p, n, &nWritten, &at) && nWritten == n;
}

// The file's headers, then its rows band by band, each band turned and written by the thread
// that took it: no page-sized block is needed on the way to the file.
bool WriteBmpBytes(HANDLE hFile, CImage& image, const SDibLayout& l, Data_MapFile* pSpool)
{
    std::vector<uint8_t> head(kBmpFileHeaderBytes + l.nPixelOffset, 0);
    const auto fileHeader = MakeBmpFileHeader(l);
    std::copy(fileHeader.begin(), fileHeader.end(), head.begin());
    WriteDibHeader(l, image.GetXResolution(), image.GetYResolution(), head.data() + kBmpFileHeaderBytes);
    if (!WriteAt(hFile, 0, head.data(), static_cast<DWORD>(head.size())))
        return false;
    if (!pSpool)
        return true;
    std::vector<std::vector<uint8_t>> bands(64);
    return ForEachBand(l, [&](int nPart, uint32_t j0, uint32_t j1) {
        std::vector<uint8_t>& band = bands[static_cast<size_t>(nPart) % bands.size()];
        band.resize(size_t(BandRows(l)) * l.nStride);
        const uint64_t nBytes = uint64_t(j1 - j0) * l.nStride;
        return WriteBlockRows(*pSpool, l, j0, j1, band.data()) &&
               WriteAt(hFile, head.size() + uint64_t(j0) * l.nStride, band.data(), static_cast<DWORD>(nBytes));
    });
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
    TraceA("dwDIBSize :%d", static_cast<int>(l.nTotalBytes));
    bool bEmpty = false;
    Data_MapFile* pSpool = PageSpool(image, l, bEmpty);
    if (!bEmpty && !pSpool)
        return false;
    bool bWritten = false;
    {
        CFile hFile(CreateFileW(sFileName.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                                nullptr));
        if (hFile.get() == INVALID_HANDLE_VALUE) {
            hFile.release();
            TraceW(L"CreateDibFromImage: cannot create %ls (%lu)", sFileName.c_str(), GetLastError());
            return false;
        }
        bWritten = WriteBmpBytes(hFile.get(), image, l, bEmpty ? nullptr : pSpool);
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
