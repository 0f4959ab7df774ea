#include "transfer/Image.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "transfer/AppLink.h"
#include "transfer/ImagePixels.h"

IMPLEMENT_DYNCREATE(CImage)

namespace {

// Photoshop keeps working in the image after the transfer; it gets room to grow.
constexpr uint64_t kPhotoshopThreshold = 0x6400000;
constexpr uint64_t kPhotoshopHeadroom = 0xFA00000;
// Each retry after a failed allocation asks for this much less.
constexpr uint64_t kRequestStep = 0xA00000;

SIZE_T g_nAllocLimit = 0;

uint32_t NonNegative(int n)
{
    return n < 0 ? 0u : static_cast<uint32_t>(n);
}

}  // namespace

void SetImageAllocLimit(SIZE_T nBytes)
{
    g_nAllocLimit = nBytes;
}

bool CGlobalBlock::Allocate(SIZE_T nBytes)
{
    Free();
    if (nBytes == 0 || (g_nAllocLimit && nBytes > g_nAllocLimit))
        return false;
    HGLOBAL hMem = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, nBytes);
    if (!hMem)
        return false;
    void* p = GlobalLock(hMem);
    if (!p) {
        GlobalFree(hMem);
        return false;
    }
    m_hMem = hMem;
    m_pData = static_cast<uint8_t*>(p);
    m_nBytes = nBytes;
    return true;
}

void CGlobalBlock::Free()
{
    if (!m_hMem)
        return;
    GlobalUnlock(m_hMem);
    GlobalFree(m_hMem);
    m_hMem = nullptr;
    m_pData = nullptr;
    m_nBytes = 0;
}

CImage::CImage() : m_displayHeader(imagepix::kDisplayHeaderBytes, 0) {}

CImage::CImage(int nSamples, int nBitsPerSample, int nWidth, int nHeight, int nXRes, int nYRes) : CImage()
{
    SetFormat(nSamples, nBitsPerSample, nWidth, nHeight, nXRes, nYRes);
    AllocatePalette();
    if (!AllocateData())
        throw CImageError("Create New Image: Out of Memory!");
}

CImage::~CImage()
{
    FreeAll();
}

void CImage::SetFormat(int nSamples, int nBitsPerSample, int nWidth, int nHeight, int nXRes, int nYRes)
{
    m_wSamples = static_cast<WORD>(std::clamp(nSamples, 0, 0xFFFF));
    m_wBitsPerSample = static_cast<WORD>(std::clamp(nBitsPerSample, 0, 0xFFFF));
    m_nWidth = nWidth;
    m_nHeight = nHeight;
    m_nXRes = nXRes;
    m_nYRes = nYRes;
}

void CImage::AllocatePalette()
{
    const uint32_t nBytes = imagepix::PaletteBytes(GetBitsPerPixel());
    try {
        m_palette.assign(nBytes, 0);
    } catch (const std::bad_alloc&) {
        throw CImageError("Create Pallette: Out of Memory!");
    }
    // A grey ramp from black to white, what a scanner's 1-, 4- and 8-bit pages mean.
    const uint32_t nEntries = nBytes / 3;
    for (uint32_t i = 0; i < nEntries; ++i)
        std::memset(&m_palette[3 * i], static_cast<int>(i * 255 / (nEntries - 1)), 3);
}

int CImage::AllocateData()
{
    m_data.Free();
    m_pData = nullptr;
    const uint64_t nNeeded = imagepix::NeededBytes(GetBitsPerPixel(), NonNegative(m_nWidth), NonNegative(m_nHeight));
    if (nNeeded == 0)
        return 0;
    uint64_t nRequest = nNeeded;
    if (g_appFlags.bPhotoshop && nNeeded > kPhotoshopThreshold)
        nRequest = nNeeded + kPhotoshopHeadroom;
    while (!m_data.Allocate(static_cast<SIZE_T>(nRequest))) {
        if (nRequest < nNeeded + kRequestStep)
            return 0;
        nRequest -= kRequestStep;
    }
    m_pData = m_data.Data();
    // Low resolutions are previews and quick scans of paper: they start as blank paper.
    if (m_nXRes == 75 || m_nXRes == 150)
        std::memset(m_pData, 0xFF, static_cast<size_t>(nNeeded));
    return 1;
}

int CImage::Create(int nSamples, int nBitsPerSample, int nWidth, int nHeight, int nXRes, int nYRes)
{
    FreeAll();
    SetFormat(nSamples, nBitsPerSample, nWidth, nHeight, nXRes, nYRes);
    AllocatePalette();
    return AllocateData();
}

int CImage::CreateMapFile(int nSamples, int nBitsPerSample, int nWidth, int nHeight, int nXRes, int nYRes)
{
    FreeAll();
    SetFormat(nSamples, nBitsPerSample, nWidth, nHeight, nXRes, nYRes);
    AllocatePalette();
    const uint64_t nBytes = imagepix::SpoolRowBytes(GetBitsPerPixel(), NonNegative(nWidth)) * NonNegative(nHeight);
    // A spool larger than 32 bits of size cannot be addressed by its views.
    auto pMapFile = std::make_unique<Data_MapFile>();
    if (nBytes == 0 || nBytes > 0xFFFFFFFFull || pMapFile->MapFile_Create(static_cast<DWORD>(nBytes)) != 0)
        throw CImageError("Create New Image DATA error!");
    m_pMapFile = std::move(pMapFile);
    return 1;
}

void CImage::FreeData()
{
    m_data.Free();
    m_pData = nullptr;
    m_pScaledData = nullptr;
    m_scaledRow.clear();
    m_scaledRow.shrink_to_fit();
    m_pMapFile.reset();
}

void CImage::FreeAll()
{
    m_palette.clear();
    FreeData();
    m_displayData.Free();
}

void CImage::ResetReadPos()
{
    m_dwReadPos = 0;
    m_dwReadTotal = imagepix::ReadTotalBytes(m_wSamples, m_wBitsPerSample, NonNegative(m_nWidth), NonNegative(m_nHeight));
}

void CImage::ResetReadPos(int nDlgWidth, int nDlgHeight)
{
    m_dwReadPos = 0;
    m_dwReadTotal = imagepix::ReadTotalBytes(m_wSamples, m_wBitsPerSample, NonNegative(nDlgWidth), NonNegative(nDlgHeight));
    m_pScaledData = m_pData;
    m_dwScaledRows = 0;
    m_dwScaledSrcRows = 0;
}

int CImage::ReadImageData(void* pBuffer, DWORD dwLength, DWORD* pCount)
{
    if (pCount)
        *pCount = 0;
    if (!pBuffer || !pCount)
        return 0;
    // The total may come from a dialog's page size: never read beyond the data there is.
    const DWORD dwTotal = static_cast<DWORD>(std::min<uint64_t>(m_dwReadTotal, m_pData ? m_data.Bytes() : 0));
    const DWORD dwCount = m_dwReadPos < dwTotal ? std::min(dwLength, dwTotal - m_dwReadPos) : 0;
    if (dwCount)
        std::memcpy(pBuffer, m_pData + m_dwReadPos, dwCount);
    m_dwReadPos += dwCount;
    *pCount = dwCount;
    return 0;
}

int CImage::ReadMapFileData(void* pBuffer, DWORD dwLength, DWORD* pCount)
{
    if (pCount)
        *pCount = 0;
    if (!pBuffer || !pCount)
        return 0;
    const DWORD dwTotal = std::min(m_dwReadTotal, m_pMapFile ? m_pMapFile->Size() : 0);
    const DWORD dwCount = m_dwReadPos < dwTotal ? std::min(dwLength, dwTotal - m_dwReadPos) : 0;
    if (dwCount == 0)
        return 0;
    uint8_t* pData = nullptr;
    void* pView = m_pMapFile->GetDataHandle(m_dwReadPos, dwCount, &pData);
    if (!pView)
        return -1;
    std::memcpy(pBuffer, pData, dwCount);
    m_pMapFile->ReleaseDataHandle(pView);
    m_dwReadPos += dwCount;
    *pCount = dwCount;
    return 0;
}

void* CImage::GetDataHandle(DWORD dwOffset, DWORD dwLength, uint8_t** ppData)
{
    if (!m_pMapFile) {
        if (ppData)
            *ppData = nullptr;
        return nullptr;
    }
    return m_pMapFile->GetDataHandle(dwOffset, dwLength, ppData);
}

void CImage::ReleaseDataHandle(void* pBase)
{
    if (m_pMapFile)
        m_pMapFile->ReleaseDataHandle(pBase);
}

void CImage::ResetScaledRow()
{
    m_dwScaledRows = 0;
    m_dwScaledSrcRows = 0;
    m_pScaledData = m_pData;
}

int CImage::ReadScaledRow(void* pBuffer, DWORD dwLength, DWORD* pCount, DWORD dwOutWidth)
{
    if (pCount)
        *pCount = 0;
    const int nBpp = GetBitsPerPixel();
    if (!pBuffer || !pCount || !m_pData || m_nWidth <= 0 || m_nHeight <= 0 || dwOutWidth == 0 || nBpp < 8 || nBpp % 8)
        return -1;
    const uint64_t nInRow = static_cast<uint64_t>(m_nWidth) * (nBpp / 8);
    const uint64_t nOutRow = static_cast<uint64_t>(dwOutWidth) * (nBpp / 8);
    const uint64_t nOutRows = static_cast<uint64_t>(m_nHeight) * dwOutWidth / static_cast<uint64_t>(m_nWidth);
    if (m_dwScaledRows >= nOutRows || nOutRow > dwLength)
        return -1;
    const uint64_t nSrcRow = static_cast<uint64_t>(m_dwScaledRows) * m_nHeight / std::max<uint64_t>(nOutRows, 1);
    if ((nSrcRow + 1) * nInRow > m_data.Bytes())
        return -1;
    m_scaledRow.resize(static_cast<size_t>(nOutRow));
    m_pScaledData = m_pData + nSrcRow * nInRow;
    imagepix::ScaleRow(m_pScaledData, static_cast<uint32_t>(m_nWidth), m_scaledRow.data(), dwOutWidth, nBpp);
    std::memcpy(pBuffer, m_scaledRow.data(), m_scaledRow.size());
    ++m_dwScaledRows;
    m_dwScaledSrcRows = static_cast<DWORD>(nSrcRow + 1);
    *pCount = static_cast<DWORD>(nOutRow);
    return 0;
}

void CImage::BuildDisplayData(const RECT& rcSrc, uint32_t nWidth, uint32_t nHeight)
{
    const int nBpp = GetBitsPerPixel();
    const uint64_t nBytes = static_cast<uint64_t>(imagepix::DisplayStride(nBpp, nWidth)) * nHeight;
    if (nBytes == 0 || nBytes > SIZE_MAX || !m_displayData.Allocate(static_cast<SIZE_T>(nBytes)))
        throw CImageError("Out of Memory!");
    imagepix::SPixelSource src{m_pData, m_data.Bytes(), nBpp, NonNegative(m_nWidth), NonNegative(m_nHeight)};
    const imagepix::SRect rc{rcSrc.left, rcSrc.top, rcSrc.right, rcSrc.bottom};
    const uint32_t nStride = imagepix::DisplayStride(nBpp, nWidth);
    imagepix::CopyRectToDisplay(src, rc, m_displayData.Data(), nStride);
    imagepix::FinishDisplayRows(m_displayData.Data(), nStride, nHeight, nWidth, imagepix::DisplayBitCount(nBpp));
}

void CImage::Draw(HDC hdc, const RECT& rcDst, const RECT& rcSrcAsked, DWORD dwRop)
{
    m_displayData.Free();
    const int nBpp = GetBitsPerPixel();
    if (!m_pData || imagepix::DisplayBitCount(nBpp) == 0)
        return;
    // Only the part of the rectangle inside the image is shown: nothing is read beyond it.
    const imagepix::SRect clip = imagepix::ClipToImage(
        {rcSrcAsked.left, rcSrcAsked.top, rcSrcAsked.right, rcSrcAsked.bottom}, NonNegative(m_nWidth), NonNegative(m_nHeight));
    const auto nWidth = static_cast<uint32_t>(clip.right - clip.left);
    const auto nHeight = static_cast<uint32_t>(clip.bottom - clip.top);
    if (nWidth == 0 || nHeight == 0)
        return;
    imagepix::BuildDisplayHeader(m_displayHeader.data(), nBpp, static_cast<int32_t>(nWidth), static_cast<int32_t>(nHeight),
                                 m_nXRes, m_nYRes, GetPalette());
    try {
        BuildDisplayData(RECT{clip.left, clip.top, clip.right, clip.bottom}, nWidth, nHeight);
    } catch (const CImageError&) {
        throw CImageError("Construct Display Data: Out of Memory!");
    }
    StretchDIBits(hdc, rcDst.left, rcDst.top, rcDst.right - rcDst.left, rcDst.bottom - rcDst.top, 0, 0,
                  static_cast<int>(nWidth), static_cast<int>(nHeight), m_displayData.Data(),
                  reinterpret_cast<const BITMAPINFO*>(m_displayHeader.data()), DIB_RGB_COLORS, dwRop);
}

std::unique_ptr<CImage> CImage::Clone() const
{
    const int nBpp = GetBitsPerPixel();
    if (imagepix::DisplayBitCount(nBpp) == 0 || !m_pData)
        return nullptr;
    auto pCopy = std::make_unique<CImage>();
    if (!pCopy->Create(m_wSamples, m_wBitsPerSample, m_nWidth, m_nHeight, m_nXRes, m_nYRes))
        return nullptr;
    std::copy(m_palette.begin(), m_palette.end(), pCopy->m_palette.begin());
    // Rounded up: a bit or nibble stream whose length is not a whole byte keeps its last pixels.
    const uint64_t nBytes = (static_cast<uint64_t>(NonNegative(m_nWidth)) * NonNegative(m_nHeight) * nBpp + 7) / 8;
    std::memcpy(pCopy->m_pData, m_pData, static_cast<size_t>(std::min<uint64_t>({nBytes, m_data.Bytes(), pCopy->m_data.Bytes()})));
    return pCopy;
}
