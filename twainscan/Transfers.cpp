#include "twainscan/Transfers.h"

#include <windows.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

#include "twainscan/Text.h"
#include "twainscan/TwainNames.h"

namespace {

SXferResult Outcome(TW_UINT16 twRc, CTwainSession& session, const char* pszWhat)
{
    SXferResult result;
    if (twRc == TWRC_CANCEL) {
        result.outcome = EXferOutcome::Cancelled;
        return result;
    }
    result.outcome = EXferOutcome::Failed;
    result.sError = std::string(pszWhat) + " failed: " + ConditionCodeText(session.LastCondition()) + " (" +
                    ConditionCodeName(session.LastCondition()) + ")";
    return result;
}

SXferResult Failed(const std::string& sError)
{
    SXferResult result;
    result.outcome = EXferOutcome::Failed;
    result.sError = sError;
    return result;
}

std::wstring TempFileName()
{
    wchar_t szDir[MAX_PATH] = L"";
    wchar_t szFile[MAX_PATH] = L"";
    GetTempPathW(MAX_PATH, szDir);
    if (!GetTempFileNameW(szDir, L"tws", 0, szFile))
        return L"";
    return szFile;
}

// Flavour "vanilla" means 0 is white; the raster wants 0 black.
void Invert(CRaster* pRaster)
{
    if (pRaster->nBitsPerPixel == 24)
        return;
    for (std::uint8_t& b : pRaster->pixels)
        b = static_cast<std::uint8_t>(~b);
    if (pRaster->nBitsPerPixel == 1 && pRaster->nWidth % 8 != 0) {
        // Padding bits stay clear so pages compare equal whatever their origin.
        auto nMask = static_cast<std::uint8_t>(0xFF << (8 - pRaster->nWidth % 8));
        for (int y = 0; y < pRaster->nHeight; ++y)
            pRaster->pixels[pRaster->Stride() * (y + 1) - 1] &= nMask;
    }
}

TW_UINT32 BufferSize(CTwainSession& session, size_t nRowBytes)
{
    TW_SETUPMEMXFER setup{};
    TW_UINT32 nSize = 64 * 1024;
    if (session.CallSource(DG_CONTROL, DAT_SETUPMEMXFER, MSG_GET, &setup) == TWRC_SUCCESS) {
        nSize = setup.Preferred ? setup.Preferred : nSize;
        if (setup.MaxBufSize && setup.MaxBufSize != TWON_DONTCARE32)
            nSize = std::min(nSize, setup.MaxBufSize);
        nSize = std::max(nSize, setup.MinBufSize);
    }
    // At least one row, and no more than 64 MB whatever the source prefers.
    return static_cast<TW_UINT32>(std::clamp<size_t>(std::max<size_t>(nSize, nRowBytes), 1, 64u << 20));
}

}  // namespace

SXferResult TransferNative(CTwainSession& session)
{
    TW_HANDLE hDib = nullptr;
    TW_UINT16 twRc = session.CallSource(DG_IMAGE, DAT_IMAGENATIVEXFER, MSG_GET, &hDib);
    if (twRc != TWRC_XFERDONE) {
        session.Free(hDib);
        return Outcome(twRc, session, "the native transfer");
    }
    // The bitmap is the application's, in the manager's memory when it has its own: freed here
    // whatever it holds. The managers of Windows hand out global memory, whose size is known.
    SXferResult result;
    auto* p = static_cast<const std::uint8_t*>(session.Lock(hDib));
    size_t nSize = p ? GlobalSize(hDib) : 0;
    bool bOk = RasterFromDib(p, nSize, &result.raster, &result.sError);
    session.Unlock(hDib);
    session.Free(hDib);
    if (!bOk)
        return Failed("the source's bitmap is unusable: " + result.sError);
    result.outcome = EXferOutcome::Done;
    result.nBytes = nSize;
    return result;
}

SXferResult TransferMemory(CTwainSession& session, const TW_IMAGEINFO& info, bool bInvert, const ProgressFn& progress)
{
    SXferResult result;
    int nHeight = info.ImageLength > 0 ? info.ImageLength : 1;
    if (!result.raster.Allocate(info.ImageWidth, nHeight, info.BitsPerPixel))
        return Failed("unsupported image: " + std::to_string(info.ImageWidth) + " x " +
                      std::to_string(info.ImageLength) + " pixels, " + std::to_string(info.BitsPerPixel) + " bits");
    std::vector<std::uint8_t> buffer(BufferSize(session, result.raster.Stride()));
    for (;;) {
        TW_IMAGEMEMXFER xfer{};
        xfer.Compression = TWON_DONTCARE16;
        xfer.BytesPerRow = xfer.Columns = xfer.Rows = xfer.XOffset = xfer.YOffset = xfer.BytesWritten = TWON_DONTCARE32;
        xfer.Memory = TW_MEMORY{TWMF_APPOWNS | TWMF_POINTER, static_cast<TW_UINT32>(buffer.size()), buffer.data()};
        TW_UINT16 twRc = session.CallSource(DG_IMAGE, DAT_IMAGEMEMXFER, MSG_GET, &xfer);
        if (twRc != TWRC_SUCCESS && twRc != TWRC_XFERDONE)
            return Outcome(twRc, session, "the memory transfer");
        if (xfer.Compression != TWCP_NONE)
            return Failed("the source sent compressed strips");
        SStrip strip{xfer.BytesPerRow, xfer.Columns, xfer.Rows, xfer.XOffset, xfer.YOffset, xfer.BytesWritten};
        // A page of unknown length grows with its strips.
        if (info.ImageLength <= 0 && static_cast<std::uint64_t>(strip.nYOffset) + strip.nRows > 0 &&
            static_cast<std::uint64_t>(strip.nYOffset) + strip.nRows > static_cast<std::uint64_t>(result.raster.nHeight)) {
            CRaster grown;
            if (!grown.Allocate(result.raster.nWidth, static_cast<int>(strip.nYOffset + strip.nRows), info.BitsPerPixel))
                return Failed("the page is too long");
            std::copy(result.raster.pixels.begin(), result.raster.pixels.end(), grown.pixels.begin());
            result.raster = std::move(grown);
        }
        if (!PlaceStrip(&result.raster, strip, buffer.data(), buffer.size(), &result.sError))
            return Failed("the source sent a bad strip: " + result.sError);
        result.nBytes += strip.nBytesWritten;
        if (progress)
            progress(result.nBytes);
        if (twRc == TWRC_XFERDONE)
            break;
    }
    if (bInvert)
        Invert(&result.raster);
    result.raster.nXRes = info.XResolution.Whole;
    result.raster.nYRes = info.YResolution.Whole;
    result.outcome = EXferOutcome::Done;
    return result;
}

namespace {

// The name as the source's narrow field takes it; empty when it does not fit or convert.
std::string SetupName(const std::wstring& sFile)
{
    char szFile[MAX_PATH] = "";
    BOOL bLossy = FALSE;
    if (sFile.empty() ||
        !WideCharToMultiByte(CP_ACP, 0, sFile.c_str(), -1, szFile, sizeof(szFile), nullptr, &bLossy) || bLossy ||
        strlen(szFile) >= sizeof(TW_STR255))
        return {};
    return szFile;
}

bool SetUpFile(CTwainSession& session, const std::string& sName, TW_UINT16 wFormat)
{
    TW_SETUPFILEXFER setup{};
    strcpy(setup.FileName, sName.c_str());
    setup.Format = wFormat;
    return session.CallSource(DG_CONTROL, DAT_SETUPFILEXFER, MSG_SET, &setup) == TWRC_SUCCESS;
}

}  // namespace

SXferResult TransferFileAs(CTwainSession& session, const std::wstring& sTarget, TW_UINT16 wFormat)
{
    std::wstring sFile = FullPath(sTarget);
    std::string sName = SetupName(sFile);
    if (sName.empty() || !SetUpFile(session, sName, wFormat))
        return TransferFile(session);
    TW_UINT16 twRc = session.CallSource(DG_IMAGE, DAT_IMAGEFILEXFER, MSG_GET, nullptr);
    if (twRc != TWRC_XFERDONE)
        return Outcome(twRc, session, "the file transfer");
    SXferResult result;
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExW(sFile.c_str(), GetFileExInfoStandard, &data))
        return Failed("the source wrote no file");
    result.outcome = EXferOutcome::Done;
    result.bWritten = true;
    result.nBytes = (static_cast<size_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    return result;
}

SXferResult TransferFile(CTwainSession& session)
{
    std::wstring sFile = TempFileName();
    std::string sName = SetupName(sFile);
    if (sName.empty())
        return Failed("no temporary file for the file transfer");
    if (!SetUpFile(session, sName, TWFF_BMP)) {
        DeleteFileW(sFile.c_str());
        return Outcome(TWRC_FAILURE, session, "setting up the file transfer");
    }
    TW_UINT16 twRc = session.CallSource(DG_IMAGE, DAT_IMAGEFILEXFER, MSG_GET, nullptr);
    std::vector<std::uint8_t> bytes;
    if (twRc == TWRC_XFERDONE) {
        std::ifstream in(std::filesystem::path(sFile), std::ios::binary);
        bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    DeleteFileW(sFile.c_str());
    if (twRc != TWRC_XFERDONE)
        return Outcome(twRc, session, "the file transfer");
    SXferResult result;
    if (!RasterFromBmpFile(bytes.data(), bytes.size(), &result.raster, &result.sError))
        return Failed("the source's file is unusable: " + result.sError);
    result.outcome = EXferOutcome::Done;
    result.nBytes = bytes.size();
    return result;
}
