// The raster image: a format, a palette and pixel data either in locked movable global memory
// (images built in memory and drawn on screen) or in a spool file (scanned pages). It reads
// its data out sequentially, draws any rectangle of itself and clones itself.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <stdexcept>
#include <vector>

#include "transfer/DataMapFile.h"
#include "twain/ObjectModel.h"

// Raised when an image cannot be built; what() is one of the fixed texts
// "Create New Image: Out of Memory!", "Create Pallette: Out of Memory!",
// "Construct Display Data: Out of Memory!", "Out of Memory!", "Create New Image DATA error!".
class CImageError : public std::runtime_error {
public:
    explicit CImageError(const char* pszText) : std::runtime_error(pszText) {}
};

// Locked movable global memory, zero-initialised, released with the object.
class CGlobalBlock {
public:
    CGlobalBlock() = default;
    ~CGlobalBlock() { Free(); }
    CGlobalBlock(const CGlobalBlock&) = delete;
    CGlobalBlock& operator=(const CGlobalBlock&) = delete;

    bool Allocate(SIZE_T nBytes);
    void Free();
    uint8_t* Data() const { return m_pData; }
    SIZE_T Bytes() const { return m_nBytes; }

private:
    HGLOBAL m_hMem = nullptr;
    uint8_t* m_pData = nullptr;
    SIZE_T m_nBytes = 0;
};

// Makes every image allocation above nBytes fail (0: no limit). For tests of the retry rule.
void SetImageAllocLimit(SIZE_T nBytes);

class CImage : public CObject {
    DECLARE_DYNCREATE(CImage)

public:
    CImage();
    // Allocates memory data at once; raises "Create New Image: Out of Memory!" when it cannot.
    CImage(int nSamples, int nBitsPerSample, int nWidth, int nHeight, int nXRes, int nYRes);
    ~CImage() override;
    CImage(const CImage&) = delete;
    CImage& operator=(const CImage&) = delete;

    virtual void Serialize() {}
    // Sequential read of the memory data: *pCount = min(length, total - position); returns 0.
    virtual int ReadImageData(void* pBuffer, DWORD dwLength, DWORD* pCount);
    // Next row of the memory data resampled to dwOutWidth pixels (8 bits and more per pixel),
    // rows stepped by the same ratio; returns 0, or -1 when there is nothing more to give.
    virtual int ReadScaledRow(void* pBuffer, DWORD dwLength, DWORD* pCount, DWORD dwOutWidth);
    virtual void ResetScaledRow();
    // Read position 0; the total is worked out from the image's own size, or, for a scanning
    // dialog, from the page size it holds (a cropped page reads only the cropped bytes).
    virtual void ResetReadPos();
    virtual void ResetReadPos(int nDlgWidth, int nDlgHeight);
    // Draws rcSrc of the image into rcDst with the raster operation. Raises CImageError
    // ("Construct Display Data: Out of Memory!") when the display copy cannot be made.
    virtual void Draw(HDC hdc, const RECT& rcDst, const RECT& rcSrc, DWORD dwRop = SRCCOPY);
    // Frees everything and builds the image in memory; nonzero on success, 0 when no block of
    // memory could be found. Raises CImageError when the palette cannot be made.
    virtual int Create(int nSamples, int nBitsPerSample, int nWidth, int nHeight, int nXRes, int nYRes);
    virtual uint8_t* GetData() const { return m_pData; }
    virtual uint8_t* GetPalette() { return m_palette.empty() ? nullptr : m_palette.data(); }
    virtual int GetSamplesPerPixel() const { return m_wSamples; }
    virtual int GetBitsPerSample() const { return m_wBitsPerSample; }
    virtual int GetWidth() const { return m_nWidth; }
    virtual int GetHeight() const { return m_nHeight; }
    virtual void SetWidth(int nWidth) { m_nWidth = nWidth; }
    virtual void SetHeight(int nHeight) { m_nHeight = nHeight; }
    virtual int GetXResolution() const { return m_nXRes; }
    virtual int GetYResolution() const { return m_nYRes; }
    // A copy in memory with the same format, palette and data; null for a depth it cannot copy.
    virtual std::unique_ptr<CImage> Clone() const;
    virtual void FreeAll();
    // Allocates the memory data for the current format; nonzero on success.
    virtual int AllocateData();

    // Frees everything and builds the image on a new spool file of row bytes x height;
    // nonzero on success. Raises "Create New Image DATA error!" when the spool cannot be made.
    int CreateMapFile(int nSamples, int nBitsPerSample, int nWidth, int nHeight, int nXRes, int nYRes);
    // Sequential read of the spool, through a view per call; 0, or -1 when no view could be made.
    int ReadMapFileData(void* pBuffer, DWORD dwLength, DWORD* pCount);
    void* GetDataHandle(DWORD dwOffset, DWORD dwLength, uint8_t** ppData);
    void ReleaseDataHandle(void* pBase);
    Data_MapFile* MapFile() const { return m_pMapFile.get(); }
    // Hands the spool over (a rotation builds a replacement and swaps it in).
    void ReplaceMapFile(std::unique_ptr<Data_MapFile> pMapFile) { m_pMapFile = std::move(pMapFile); }
    // Releases the memory data, the scaled-row buffer and the spool (deleting its file).
    void FreeData();

    int GetBitsPerPixel() const { return m_wSamples * m_wBitsPerSample; }
    DWORD ReadPosition() const { return m_dwReadPos; }
    DWORD ReadTotal() const { return m_dwReadTotal; }
    // Bytes of memory data allocated (at least what the format needs).
    SIZE_T DataBytes() const { return m_data.Bytes(); }
    // The 1064-byte header of the last drawing.
    const uint8_t* DisplayHeader() const { return m_displayHeader.data(); }
    const uint8_t* DisplayData() const { return m_displayData.Data(); }

private:
    void SetFormat(int nSamples, int nBitsPerSample, int nWidth, int nHeight, int nXRes, int nYRes);
    void AllocatePalette();
    void BuildDisplayData(const RECT& rcSrc, uint32_t nWidth, uint32_t nHeight);

    // The scaled reader: where it is in the data, rows handed out, rows of the source used.
    uint8_t* m_pScaledData = nullptr;
    DWORD m_dwScaledRows = 0;
    DWORD m_dwScaledSrcRows = 0;
    std::vector<uint8_t> m_scaledRow;
    uint8_t* m_pData = nullptr;  // into m_data
    std::vector<uint8_t> m_palette;
    std::vector<uint8_t> m_displayHeader;
    CGlobalBlock m_displayData;
    WORD m_wSamples = 0;
    WORD m_wBitsPerSample = 0;
    int m_nWidth = 0;
    int m_nHeight = 0;
    int m_nXRes = 0;
    int m_nYRes = 0;
    DWORD m_dwReadPos = 0;
    DWORD m_dwReadTotal = 0;
    std::unique_ptr<Data_MapFile> m_pMapFile;
    CGlobalBlock m_data;
};
