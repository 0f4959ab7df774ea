#include "imaging/ImagePipeline.h"

#include "profile/Trace.h"

#include <algorithm>
#include <iterator>

namespace {

constexpr int kNoCall = 2;

enum : int32_t { kBlackWhite = 0, kGrey = 1, kColour = 2 };

bool AnyNonZero(const int32_t (&values)[4])
{
    return std::any_of(std::begin(values), std::end(values), [](int32_t v) { return v != 0; });
}

// The library may write to the descriptor it is given, so every call gets its own copy.
class CEffectChain {
public:
    CEffectChain(CImageEffects& effects, const _ImageDesc& desc, uint8_t* pData)
        : m_effects(effects), m_desc(desc), m_pData(pData)
    {
    }

    _ImageDesc* Desc()
    {
        m_copy = m_desc;
        return &m_copy;
    }
    uint8_t* Data() const { return m_pData; }
    CImageEffects& Effects() { return m_effects; }

private:
    CImageEffects& m_effects;
    const _ImageDesc m_desc;
    _ImageDesc m_copy{};
    uint8_t* m_pData;
};

int BlackAndWhite(CEffectChain& chain, const _ImageAdjustments& adj, int nThreshold)
{
    CImageEffects& fx = chain.Effects();
    int nResult = fx.ChangeToGray_Preview(chain.Desc(), chain.Data());
    if (nResult != 0)
        return nResult;
    if (adj.m_bHalftone)
        return fx.Halftone_Preview(chain.Desc(), chain.Data());
    fx.SetGrayPreviewFlag(1);
    nResult = fx.ChangeGamma(chain.Desc(), chain.Data(), 1.0f);
    if (nResult != 0)
        return nResult;
    fx.SetGrayPreviewFlag(0);
    return fx.Theashold_Preview(chain.Desc(), chain.Data(), nThreshold);
}

// Everything after the black-and-white branch; returns the last result or the first failure.
int GreyAndColour(CEffectChain& chain, const _ImageAdjustments& adj)
{
    CImageEffects& fx = chain.Effects();
    const bool bGrey = adj.m_nImageType == kGrey;
    int nResult = kNoCall;
    if (bGrey && (nResult = fx.ChangeToGray_Preview(chain.Desc(), chain.Data())) != 0)
        return nResult;
    if (adj.m_nDescreen != 0) {
        TraceA("Adjust descreen, the gamma=%d!\n", adj.m_nDescreen);
        if ((nResult = fx.Descreen(chain.Desc(), chain.Data())) != 0)
            return nResult;
    }
    fx.SetGrayPreviewFlag(bGrey ? 1 : 0);
    if (adj.m_nGamma != 10) {
        TraceA("Adjust gamma, the gamma=%d!\n", adj.m_nGamma);
        if ((nResult = fx.ChangeGamma(chain.Desc(), chain.Data(), static_cast<float>(adj.m_nGamma) / 10.0f)) != 0) {
            TraceA("gamma error");
            return nResult;
        }
    }
    if (bGrey)
        fx.SetGrayPreviewFlag(0);
    if (adj.m_nImageType == kColour) {
        TraceA("Adjust fade, the fade=%d!\n", adj.m_nFadeLevel);
        if (adj.m_nFadeLevel != 0 && (nResult = fx.CorrectFading(chain.Desc(), chain.Data(), adj.m_nFadeLevel)) != 0)
            return nResult;
    }
    if (AnyNonZero(adj.m_nCurve)) {
        TraceA("Adjust curver, CURVE= %d, %d, %d, %d!\n", adj.m_nCurve[0], adj.m_nCurve[1], adj.m_nCurve[2],
               adj.m_nCurve[3]);
        if ((nResult = fx.ColorCurse_Ajust(chain.Desc(), chain.Data(), adj.m_nCurve)) != 0)
            return nResult;
    }
    if (AnyNonZero(adj.m_nBrightness) || AnyNonZero(adj.m_nContrast))
        return fx.Change_BrightAndConsent(chain.Desc(), chain.Data(), adj.m_nBrightness, adj.m_nContrast);
    return nResult;
}

}  // namespace

int RemapThreshold(int nThreshold)
{
    // 64-bit so that a corrupt stored threshold cannot overflow.
    const int64_t t = nThreshold;
    const int64_t nNew = t > 72 ? (t - 72) * 73 / 183 + 183 : 183 - (72 - t) * 183 / 72;
    return static_cast<int>(std::clamp<int64_t>(nNew, 0, 255));
}

int ApplyImageEffects(CImageEffects& effects, const _ImageDesc& desc, uint8_t* pData,
                      const _ImageAdjustments& adj, bool bRemapThreshold)
{
    int nThreshold = adj.m_nThreshold;
    if (bRemapThreshold) {
        const int nNew = RemapThreshold(nThreshold);
        TraceA("iThreshold :%d,  New Threshold:%d", nThreshold, nNew);
        nThreshold = nNew;
    }
    CEffectChain chain(effects, desc, pData);
    if (adj.m_nImageType == kBlackWhite)
        return BlackAndWhite(chain, adj, std::clamp(nThreshold, 0, 255));
    return GreyAndColour(chain, adj);
}
