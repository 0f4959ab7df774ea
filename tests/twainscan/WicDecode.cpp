#include "tests/twainscan/WicDecode.h"

#include <windows.h>
#include <wincodec.h>

#include <gtest/gtest.h>

#include <initializer_list>
#include <utility>

CRaster DecodeWithWic(const std::wstring& sPath, int nBitsPerPixel)
{
    CRaster raster;
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    IWICImagingFactory* pFactory = nullptr;
    IWICBitmapDecoder* pDecoder = nullptr;
    IWICBitmapFrameDecode* pFrame = nullptr;
    IWICFormatConverter* pConverter = nullptr;
    HRESULT hr = CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_IWICImagingFactory,
                                  reinterpret_cast<void**>(&pFactory));
    if (SUCCEEDED(hr))
        hr = pFactory->CreateDecoderFromFilename(sPath.c_str(), nullptr, GENERIC_READ, WICDecodeMetadataCacheOnDemand,
                                                 &pDecoder);
    if (SUCCEEDED(hr))
        hr = pDecoder->GetFrame(0, &pFrame);
    if (SUCCEEDED(hr))
        hr = pFactory->CreateFormatConverter(&pConverter);
    WICPixelFormatGUID format = nBitsPerPixel == 24  ? GUID_WICPixelFormat24bppBGR
                                : nBitsPerPixel == 8 ? GUID_WICPixelFormat8bppGray
                                                     : GUID_WICPixelFormatBlackWhite;
    // Pixels stored in the format asked for are read as they are; others through a converter.
    WICPixelFormatGUID stored{};
    IWICBitmapSource* pSource = pFrame;
    if (SUCCEEDED(hr))
        hr = pFrame->GetPixelFormat(&stored);
    if (SUCCEEDED(hr) && !IsEqualGUID(stored, format)) {
        hr = pConverter->Initialize(pFrame, format, WICBitmapDitherTypeNone, nullptr, 0, WICBitmapPaletteTypeCustom);
        pSource = pConverter;
    }
    UINT nWidth = 0, nHeight = 0;
    if (SUCCEEDED(hr))
        hr = pSource->GetSize(&nWidth, &nHeight);
    if (SUCCEEDED(hr) && raster.Allocate(static_cast<int>(nWidth), static_cast<int>(nHeight), nBitsPerPixel)) {
        hr = pSource->CopyPixels(nullptr, static_cast<UINT>(raster.Stride()), static_cast<UINT>(raster.pixels.size()),
                                    raster.pixels.data());
        if (nBitsPerPixel == 24)
            for (size_t i = 0; i + 2 < raster.pixels.size(); i += 3)
                std::swap(raster.pixels[i], raster.pixels[i + 2]);
    }
    EXPECT_TRUE(SUCCEEDED(hr)) << std::hex << hr;
    for (IUnknown* p : std::initializer_list<IUnknown*>{pConverter, pFrame, pDecoder, pFactory})
        if (p)
            p->Release();
    CoUninitialize();
    return raster;
}

