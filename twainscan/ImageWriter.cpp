#include "twainscan/ImageWriter.h"

#include <windows.h>
#include <wincodec.h>

#include <filesystem>
#include <fstream>
#include <vector>

namespace {

// Releases a COM interface at scope end.
template <typename T>
class CComRef {
public:
    CComRef() = default;
    ~CComRef()
    {
        if (m_p)
            m_p->Release();
    }
    CComRef(const CComRef&) = delete;
    CComRef& operator=(const CComRef&) = delete;
    T** operator&() { return &m_p; }
    T* operator->() const { return m_p; }
    T* Get() const { return m_p; }

private:
    T* m_p = nullptr;
};

class CComInit {
public:
    CComInit() : m_hr(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}
    ~CComInit()
    {
        if (SUCCEEDED(m_hr))
            CoUninitialize();
    }

private:
    HRESULT m_hr;
};

bool WriteBmp(const CRaster& raster, const std::wstring& sPath, std::string* pError)
{
    std::vector<std::uint8_t> bytes = BmpFromRaster(raster);
    std::ofstream out(std::filesystem::path(sPath), std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out) {
        *pError = "cannot write the file";
        return false;
    }
    return true;
}

// WIC wants blue first for colour, and JPEG has no 1-bit form: the rows it gets.
std::vector<std::uint8_t> WicRows(const CRaster& raster, EImageFormat format, int* pBits, size_t* pStride)
{
    *pBits = raster.nBitsPerPixel;
    *pStride = raster.Stride();
    if (raster.nBitsPerPixel == 24) {
        std::vector<std::uint8_t> rows = raster.pixels;
        for (size_t i = 0; i + 2 < rows.size(); i += 3)
            std::swap(rows[i], rows[i + 2]);
        return rows;
    }
    if (raster.nBitsPerPixel == 1 && format == EImageFormat::Jpeg) {
        *pBits = 8;
        *pStride = static_cast<size_t>(raster.nWidth);
        std::vector<std::uint8_t> rows(*pStride * raster.nHeight);
        for (int y = 0; y < raster.nHeight; ++y)
            for (int x = 0; x < raster.nWidth; ++x)
                rows[*pStride * y + x] = (raster.pixels[raster.Stride() * y + x / 8] >> (7 - x % 8)) & 1 ? 255 : 0;
        return rows;
    }
    return raster.pixels;
}

HRESULT EncodeWic(const CRaster& raster, const std::wstring& sPath, EImageFormat format)
{
    const GUID& container = format == EImageFormat::Png    ? GUID_ContainerFormatPng
                            : format == EImageFormat::Tiff ? GUID_ContainerFormatTiff
                                                           : GUID_ContainerFormatJpeg;
    CComRef<IWICImagingFactory> pFactory;
    HRESULT hr = CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_IWICImagingFactory,
                                  reinterpret_cast<void**>(&pFactory));
    CComRef<IWICStream> pStream;
    if (SUCCEEDED(hr))
        hr = pFactory->CreateStream(&pStream);
    if (SUCCEEDED(hr))
        hr = pStream->InitializeFromFilename(sPath.c_str(), GENERIC_WRITE);
    CComRef<IWICBitmapEncoder> pEncoder;
    if (SUCCEEDED(hr))
        hr = pFactory->CreateEncoder(container, nullptr, &pEncoder);
    if (SUCCEEDED(hr))
        hr = pEncoder->Initialize(pStream.Get(), WICBitmapEncoderNoCache);
    CComRef<IWICBitmapFrameEncode> pFrame;
    if (SUCCEEDED(hr))
        hr = pEncoder->CreateNewFrame(&pFrame, nullptr);
    if (SUCCEEDED(hr))
        hr = pFrame->Initialize(nullptr);
    if (SUCCEEDED(hr))
        hr = pFrame->SetSize(static_cast<UINT>(raster.nWidth), static_cast<UINT>(raster.nHeight));
    if (SUCCEEDED(hr) && raster.nXRes > 0 && raster.nYRes > 0)
        pFrame->SetResolution(raster.nXRes, raster.nYRes);
    int nBits = 0;
    size_t nStride = 0;
    std::vector<std::uint8_t> rows = WicRows(raster, format, &nBits, &nStride);
    WICPixelFormatGUID pixelFormat = nBits == 24  ? GUID_WICPixelFormat24bppBGR
                                     : nBits == 8 ? GUID_WICPixelFormat8bppGray
                                                  : GUID_WICPixelFormatBlackWhite;
    WICPixelFormatGUID wanted = pixelFormat;
    if (SUCCEEDED(hr))
        hr = pFrame->SetPixelFormat(&pixelFormat);
    // An encoder that would store another pixel format would store other pixels.
    if (SUCCEEDED(hr) && !IsEqualGUID(pixelFormat, wanted))
        hr = WINCODEC_ERR_UNSUPPORTEDPIXELFORMAT;
    if (SUCCEEDED(hr))
        hr = pFrame->WritePixels(static_cast<UINT>(raster.nHeight), static_cast<UINT>(nStride),
                                 static_cast<UINT>(rows.size()), rows.data());
    if (SUCCEEDED(hr))
        hr = pFrame->Commit();
    if (SUCCEEDED(hr))
        hr = pEncoder->Commit();
    return hr;
}

}  // namespace

bool WriteImage(const CRaster& raster, const std::wstring& sPath, EImageFormat format, std::string* pError)
{
    if (format == EImageFormat::Bmp)
        return WriteBmp(raster, sPath, pError);
    CComInit com;
    HRESULT hr = EncodeWic(raster, sPath, format);
    if (FAILED(hr)) {
        char sz[64];
        snprintf(sz, sizeof(sz), "the image encoder failed (0x%08lX)", static_cast<unsigned long>(hr));
        *pError = sz;
        DeleteFileW(sPath.c_str());
        return false;
    }
    return true;
}
