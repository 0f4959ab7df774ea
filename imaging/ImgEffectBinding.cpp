#include "imaging/ImgEffectBinding.h"

#include "profile/LibraryLoad.h"
#include "profile/Trace.h"

#include <windows.h>

namespace {

std::wstring WithTrailingBackslash(const wchar_t* szDirectory)
{
    std::wstring szDir = szDirectory ? szDirectory : L"";
    if (!szDir.empty() && szDir.back() != L'\\' && szDir.back() != L'/')
        szDir += L'\\';
    return szDir;
}

}  // namespace

void CImgEffectBinding::CFreeLibrary::operator()(HINSTANCE__* hLib) const
{
    FreeLibrary(hLib);
}

CImgEffectBinding::CImgEffectBinding(const wchar_t* szDirectory, const wchar_t* szFilePrefix)
{
    const std::wstring szDir = WithTrailingBackslash(szDirectory);
    const std::wstring szPrefix = szFilePrefix ? szFilePrefix : L"";
    // The product's own name first; a plain "ImgEffect.dll" serves products installed without one.
    // Only from the folder given: without one, a bare name would be searched for.
    for (const std::wstring& szName : {szPrefix + L"ImgEffect.dll", std::wstring(L"ImgEffect.dll")}) {
        const std::wstring szPath = szDir + szName;
        m_hLib.reset(LoadLibraryByFullPath(szPath));
        if (m_hLib) {
            m_szLoadedPath = szPath;
            return;
        }
    }
    TraceA("load ImgEffect.dll fail!");
}

CImgEffectBinding::~CImgEffectBinding() = default;

std::wstring CImgEffectBinding::OwnModuleDirectory()
{
    HMODULE hSelf = nullptr;
    if (!GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                            reinterpret_cast<LPCWSTR>(&CImgEffectBinding::OwnModuleDirectory), &hSelf))
        return {};
    std::wstring szPath(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n = GetModuleFileNameW(hSelf, szPath.data(), static_cast<DWORD>(szPath.size()));
        if (n == 0)
            return {};
        if (n < szPath.size()) {
            szPath.resize(n);
            break;
        }
        szPath.resize(szPath.size() * 2);  // the name was cut: try a larger buffer
    }
    const size_t nSlash = szPath.find_last_of(L"\\/");
    return nSlash == std::wstring::npos ? std::wstring() : szPath.substr(0, nSlash + 1);
}

template <typename Fn>
Fn CImgEffectBinding::Resolve(const char* szName, int& nRefusal) const
{
    nRefusal = IMGEFFECT_NOT_LOADED;
    if (!m_hLib)
        return nullptr;
    nRefusal = IMGEFFECT_NO_FUNCTION;
    return reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(m_hLib.get(), szName)));
}

template <typename Fn, typename... Args>
int CImgEffectBinding::Call(const char* szName, Args... args)
{
    int nRefusal = 0;
    const Fn pfn = Resolve<Fn>(szName, nRefusal);
    return pfn ? pfn(args...) : nRefusal;
}

int CImgEffectBinding::ChangeGamma(_ImageDesc* pDesc, uint8_t* pData, float fGamma)
{
    return Call<PFN_ChangeGamma>("ChangeGamma", pDesc, pData, fGamma);
}

int CImgEffectBinding::Change_BrightAndConsent(_ImageDesc* pDesc, uint8_t* pData, const int32_t nBright[4],
                                               const int32_t nContrast[4])
{
    int nRefusal = 0;
    const auto pfn = Resolve<PFN_Change_BrightAndConsent>("Change_BrightAndConsent", nRefusal);
    if (!pfn)
        return nRefusal;
    if (!nBright || !nContrast)
        return IMGEFFECT_BAD_ARGUMENT;
    return pfn(pDesc, pData, nBright[0], nBright[1], nBright[2], nBright[3], nContrast[0], nContrast[1],
               nContrast[2], nContrast[3]);
}

int CImgEffectBinding::ColorCurse_Ajust(_ImageDesc* pDesc, uint8_t* pData, const int32_t nCurve[4])
{
    int nRefusal = 0;
    const auto pfn = Resolve<PFN_ColorCurse_Ajust>("ColorCurse_Ajust", nRefusal);
    if (!pfn)
        return nRefusal;
    if (!nCurve)
        return IMGEFFECT_BAD_ARGUMENT;
    return pfn(pDesc, pData, nCurve[0], nCurve[1], nCurve[2], nCurve[3]);
}

int CImgEffectBinding::Theashold_Preview(_ImageDesc* pDesc, uint8_t* pData, int32_t nThreshold)
{
    return Call<PFN_Theashold_Preview>("Theashold_Preview", pDesc, pData, nThreshold);
}

int CImgEffectBinding::Halftone_Preview(_ImageDesc* pDesc, uint8_t* pData)
{
    return Call<PFN_Halftone_Preview>("Halftone_Preview", pDesc, pData);
}

int CImgEffectBinding::ChangeToGray_Preview(_ImageDesc* pDesc, uint8_t* pData)
{
    return Call<PFN_ChangeToGray_Preview>("ChangeToGray_Preview", pDesc, pData);
}

int CImgEffectBinding::Curve_BrightAndConsent(int32_t nBright, int32_t nContrast, int32_t* pTable)
{
    return Call<PFN_Curve_BrightAndConsent>("Curve_BrightAndConsent", nBright, nContrast, pTable);
}

int CImgEffectBinding::GetHistogramData(_HistogramData* pTarget, _ImageDesc* pDesc, uint8_t* pData)
{
    return Call<PFN_GetHistogramData>("GetHistogramData", pTarget, pDesc, pData);
}

int CImgEffectBinding::CorrectFading(_ImageDesc* pDesc, uint8_t* pData, int32_t nLevel)
{
    return Call<PFN_CorrectFading>("CorrectFading", pDesc, pData, nLevel);
}

int CImgEffectBinding::Descreen(_ImageDesc* pDesc, uint8_t* pData)
{
    return Call<PFN_Descreen>("Descreen", pDesc, pData);
}

int CImgEffectBinding::RotationImg(int32_t nAngle, _ImageDesc* pSrcDesc, uint8_t* pSrcData,
                                   _ImageDesc* pDstDesc, uint8_t* pDstData)
{
    return Call<PFN_RotationImg>("RotationImg", nAngle, pSrcDesc, pSrcData, pDstDesc, pDstData);
}

void CImgEffectBinding::SetGrayPreviewFlag(int32_t nFlag)
{
    int nRefusal = 0;
    if (const auto pfn = Resolve<PFN_SetGrayPreviewFlag>("SetGrayPreviewFlag", nRefusal))
        pfn(nFlag);
}
