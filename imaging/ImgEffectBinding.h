// Binding of the image effect library ("<File Prefix>ImgEffect.dll" beside the data source).
// Each user creates its own: the library is loaded when the binding is created and released
// when it is destroyed. Functions are looked up by name on every call.
#pragma once

#include "imaging/ImageEffects.h"

#include <memory>
#include <string>

struct HINSTANCE__;

class CImgEffectBinding : public CImageEffects {
public:
    // szDirectory: the folder of the data source (with or without a trailing backslash);
    // szFilePrefix: the product's "File Prefix" (may be empty or null).
    CImgEffectBinding(const wchar_t* szDirectory, const wchar_t* szFilePrefix);
    ~CImgEffectBinding() override;
    CImgEffectBinding(const CImgEffectBinding&) = delete;
    CImgEffectBinding& operator=(const CImgEffectBinding&) = delete;

    bool IsLoaded() const { return m_hLib != nullptr; }
    // The full path of the library actually loaded (empty when none).
    const std::wstring& LoadedPath() const { return m_szLoadedPath; }

    int ChangeGamma(_ImageDesc* pDesc, uint8_t* pData, float fGamma) override;
    int Change_BrightAndConsent(_ImageDesc* pDesc, uint8_t* pData, const int32_t nBright[4],
                                const int32_t nContrast[4]) override;
    int ColorCurse_Ajust(_ImageDesc* pDesc, uint8_t* pData, const int32_t nCurve[4]) override;
    int Theashold_Preview(_ImageDesc* pDesc, uint8_t* pData, int32_t nThreshold) override;
    int Halftone_Preview(_ImageDesc* pDesc, uint8_t* pData) override;
    int ChangeToGray_Preview(_ImageDesc* pDesc, uint8_t* pData) override;
    int Curve_BrightAndConsent(int32_t nBright, int32_t nContrast, int32_t* pTable) override;
    int GetHistogramData(_HistogramData* pTarget, _ImageDesc* pDesc, uint8_t* pData) override;
    int CorrectFading(_ImageDesc* pDesc, uint8_t* pData, int32_t nLevel) override;
    int Descreen(_ImageDesc* pDesc, uint8_t* pData) override;
    int RotationImg(int32_t nAngle, _ImageDesc* pSrcDesc, uint8_t* pSrcData,
                    _ImageDesc* pDstDesc, uint8_t* pDstData) override;
    void SetGrayPreviewFlag(int32_t nFlag) override;

    // The directory of the module this code is linked into, with a trailing backslash.
    static std::wstring OwnModuleDirectory();

private:
    struct CFreeLibrary {
        void operator()(HINSTANCE__* hLib) const;
    };
    // The named function, or null with nRefusal set to IMGEFFECT_NOT_LOADED or IMGEFFECT_NO_FUNCTION.
    template <typename Fn>
    Fn Resolve(const char* szName, int& nRefusal) const;
    template <typename Fn, typename... Args>
    int Call(const char* szName, Args... args);

    std::unique_ptr<HINSTANCE__, CFreeLibrary> m_hLib;
    std::wstring m_szLoadedPath;
};
