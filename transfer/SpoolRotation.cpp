// The page rotation setting applied to a spooled page: the effect library turns it in bands,
// so that memory stays bounded whatever the page size, into a new spool that then replaces
// the old one.
#include <windows.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>
#include <vector>

#include "imaging/ImgEffectBinding.h"
#include "profile/ProductProfile.h"
#include "profile/Trace.h"
#include "transfer/DataMapFile.h"
#include "transfer/DibLayout.h"
#include "transfer/Image.h"
#include "transfer/ScanSpool.h"

namespace {

constexpr uint32_t kBand = 500;

_ImageDesc Desc(uint32_t nRows, uint32_t nWidth, int nBits)
{
    return {static_cast<int32_t>(nRows), static_cast<int32_t>(SpoolRowBytes(nWidth, nBits)),
            static_cast<int32_t>(nWidth), nBits, 0, 0};
}

std::unique_ptr<Data_MapFile> NewSpool(uint64_t nBytes)
{
    if (nBytes == 0 || nBytes > 0xFFFFFFFFull)
        return nullptr;
    auto p = std::make_unique<Data_MapFile>();
    if (p->MapFile_Create(static_cast<DWORD>(nBytes)) != 0)
        return nullptr;
    return p;
}

bool RotateWhole(CImgEffectBinding& fx, Data_MapFile& src, Data_MapFile& dst, int nAngle, _ImageDesc sd,
                 _ImageDesc dd)
{
    CSpoolView vs(src, 0, uint64_t(sd.m_nRows) * sd.m_nBytesPerRow);
    CSpoolView vd(dst, 0, uint64_t(dd.m_nRows) * dd.m_nBytesPerRow);
    if (!vs.Data() || !vd.Data())
        return false;
    return fx.RotationImg(nAngle, &sd, vs.Data(), &dd, vd.Data()) == 0;
}

// Quarter turns of 8 and 24-bit pages: bands of columns become bands of target rows.
bool RotateColumnBands(CImgEffectBinding& fx, Data_MapFile& src, Data_MapFile& dst, int nBits, uint32_t nWidth,
                       uint32_t nHeight, int nAngle)
{
    const uint32_t nBpp = nBits / 8;
    const uint32_t nSrcRowBytes = nWidth * nBpp;
    const uint32_t nDstRowBytes = nHeight * nBpp;
    std::vector<uint8_t> band;
    try {
        band.resize(size_t(nHeight) * kBand * nBpp);
    } catch (const std::bad_alloc&) {
        return false;
    }
    uint64_t nTargetRow = 0;
    for (uint32_t r = nWidth; r > 0; r -= std::min(r, kBand)) {
        const uint32_t n = std::min(kBand, r);
        const uint32_t nFirst = nAngle == 90 ? r - n : nWidth - r;
        if (CopyColumnStrip(src, nHeight, nSrcRowBytes, nBits, band.data(), nFirst, nFirst + n) != 0)
            return false;
        _ImageDesc sd = Desc(nHeight, n, nBits);
        _ImageDesc dd = Desc(n, nHeight, nBits);
        CSpoolView vd(dst, nTargetRow * nDstRowBytes, uint64_t(n) * nDstRowBytes);
        if (!vd.Data() || fx.RotationImg(nAngle, &sd, band.data(), &dd, vd.Data()) != 0)
            return false;
        nTargetRow += n;
    }
    return true;
}

// Half turns of 8 and 24-bit pages: bands of rows from the bottom fill the target from the top.
bool RotateRowBands(CImgEffectBinding& fx, Data_MapFile& src, Data_MapFile& dst, int nBits, uint32_t nWidth,
                    uint32_t nHeight)
{
    const uint32_t nRowBytes = SpoolRowBytes(nWidth, nBits);
    uint64_t nTargetRow = 0;
    for (uint32_t r = nHeight; r > 0; r -= std::min(r, kBand)) {
        const uint32_t n = std::min(kBand, r);
        CSpoolView vs(src, uint64_t(r - n) * nRowBytes, uint64_t(n) * nRowBytes);
        CSpoolView vd(dst, nTargetRow * nRowBytes, uint64_t(n) * nRowBytes);
        _ImageDesc d = Desc(n, nWidth, nBits);
        _ImageDesc dd = d;
        if (!vs.Data() || !vd.Data() || fx.RotationImg(180, &d, vs.Data(), &dd, vd.Data()) != 0)
            return false;
        nTargetRow += n;
    }
    return true;
}

}  // namespace

int CopyColumnStrip(Data_MapFile& source, uint32_t nRows, uint32_t nBytesPerRow, int nBitsPerPixel,
                    uint8_t* pBuffer, uint32_t nFirst, uint32_t nEnd)
{
    if ((nBitsPerPixel != 8 && nBitsPerPixel != 24) || !pBuffer || nEnd < nFirst || nBytesPerRow == 0)
        return -1;
    const uint32_t nBpp = nBitsPerPixel / 8;
    if (uint64_t(nEnd) * nBpp > nBytesPerRow)
        return -1;
    const uint32_t nBandRow = (nEnd - nFirst) * nBpp;
    const uint32_t nGroup = std::max<uint32_t>(1, Data_MapFile::AllocationGranularity() * 300 / nBytesPerRow);
    for (uint32_t nRow = 0; nRow < nRows; nRow += nGroup) {
        const uint32_t n = std::min(nGroup, nRows - nRow);
        CSpoolView v(source, uint64_t(nRow) * nBytesPerRow, uint64_t(n) * nBytesPerRow);
        if (!v.Data())
            return -1;
        for (uint32_t i = 0; i < n; ++i)
            std::memcpy(pBuffer + uint64_t(nRow + i) * nBandRow, v.Data() + uint64_t(i) * nBytesPerRow + nFirst * nBpp,
                        nBandRow);
    }
    return 0;
}

bool HasDiskSpaceForImage(int nBitsPerPixel, uint32_t nWidth, uint32_t nHeight)
{
    const uint64_t nBytesPerPixel = nBitsPerPixel / 8;
    const uint64_t nNeeded = (uint64_t(nWidth) * nBytesPerPixel + 3) / 4 * 4 * nHeight;
    wchar_t szDir[MAX_PATH + 1] = L"";
    UINT n = GetWindowsDirectoryW(szDir, MAX_PATH);
    if (n == 0 || n > MAX_PATH)
        return true;
    ULARGE_INTEGER avail{}, total{}, free{};
    // A volume that cannot be asked is given the benefit of the doubt.
    if (!GetDiskFreeSpaceExW(std::wstring(szDir, std::min<UINT>(n, 3)).c_str(), &avail, &total, &free))
        return true;
    return nNeeded <= free.QuadPart;
}

bool RotateImageQuarter(CImage& image, int nBitsPerPixel, uint32_t nWidth, uint32_t nHeight, int nAngle)
{
    if (nAngle == 0 || !image.MapFile())
        return false;
    if (nAngle != 90 && nAngle != 180 && nAngle != 270)
        return false;
    CImgEffectBinding fx(CImgEffectBinding::OwnModuleDirectory().c_str(), g_szFilePrefix);
    if (!fx.IsLoaded()) {
        TraceA("RotateImageQuarter: no effect library");
        return false;
    }
    if (!HasDiskSpaceForImage(nBitsPerPixel, nWidth, nHeight))
        return false;
    const bool bQuarter = nAngle != 180;
    const uint32_t nOutWidth = bQuarter ? nHeight : nWidth;
    const uint32_t nOutHeight = bQuarter ? nWidth : nHeight;
    auto pTarget = NewSpool(uint64_t(SpoolRowBytes(nOutWidth, nBitsPerPixel)) * nOutHeight);
    if (!pTarget)
        return false;
    Data_MapFile& src = *image.MapFile();
    bool bOk;
    if (nBitsPerPixel == 1)
        bOk = RotateWhole(fx, src, *pTarget, nAngle, Desc(nHeight, nWidth, 1), Desc(nOutHeight, nOutWidth, 1));
    else if (bQuarter)
        bOk = RotateColumnBands(fx, src, *pTarget, nBitsPerPixel, nWidth, nHeight, nAngle);
    else
        bOk = RotateRowBands(fx, src, *pTarget, nBitsPerPixel, nWidth, nHeight);
    if (!bOk)
        return false;
    image.ReplaceMapFile(std::move(pTarget));
    return true;
}
