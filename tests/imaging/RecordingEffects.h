// A fake effect library that records each call (name and arguments) and answers with
// configurable results, for testing the order of the adjustment chain.
#pragma once

#include "imaging/ImageEffects.h"

#include <map>
#include <sstream>
#include <string>
#include <vector>

class CRecordingEffects : public CImageEffects {
public:
    std::vector<std::string> m_calls;
    std::map<std::string, int> m_results;  // by function name; 0 when absent
    std::vector<_ImageDesc> m_descs;       // the descriptor each image call received
    std::vector<const _ImageDesc*> m_descPointers;

    int ChangeGamma(_ImageDesc* pDesc, uint8_t* pData, float fGamma) override
    {
        std::ostringstream s;
        s << "ChangeGamma(" << fGamma << ")";
        return Record(s.str(), "ChangeGamma", pDesc);
    }
    int Change_BrightAndConsent(_ImageDesc* pDesc, uint8_t* pData, const int32_t nBright[4],
                                const int32_t nContrast[4]) override
    {
        return Record("Change_BrightAndConsent(" + Join(nBright) + "; " + Join(nContrast) + ")",
                      "Change_BrightAndConsent", pDesc);
    }
    int ColorCurse_Ajust(_ImageDesc* pDesc, uint8_t* pData, const int32_t nCurve[4]) override
    {
        return Record("ColorCurse_Ajust(" + Join(nCurve) + ")", "ColorCurse_Ajust", pDesc);
    }
    int Theashold_Preview(_ImageDesc* pDesc, uint8_t* pData, int32_t nThreshold) override
    {
        return Record("Theashold_Preview(" + std::to_string(nThreshold) + ")", "Theashold_Preview", pDesc);
    }
    int Halftone_Preview(_ImageDesc* pDesc, uint8_t* pData) override
    {
        return Record("Halftone_Preview", "Halftone_Preview", pDesc);
    }
    int ChangeToGray_Preview(_ImageDesc* pDesc, uint8_t* pData) override
    {
        return Record("ChangeToGray_Preview", "ChangeToGray_Preview", pDesc);
    }
    int Curve_BrightAndConsent(int32_t nBright, int32_t nContrast, int32_t* pTable) override
    {
        return Record("Curve_BrightAndConsent", "Curve_BrightAndConsent", nullptr);
    }
    int GetHistogramData(_HistogramData* pTarget, _ImageDesc* pDesc, uint8_t* pData) override
    {
        return Record("GetHistogramData", "GetHistogramData", pDesc);
    }
    int CorrectFading(_ImageDesc* pDesc, uint8_t* pData, int32_t nLevel) override
    {
        return Record("CorrectFading(" + std::to_string(nLevel) + ")", "CorrectFading", pDesc);
    }
    int Descreen(_ImageDesc* pDesc, uint8_t* pData) override { return Record("Descreen", "Descreen", pDesc); }
    int RotationImg(int32_t nAngle, _ImageDesc* pSrcDesc, uint8_t* pSrcData, _ImageDesc* pDstDesc,
                    uint8_t* pDstData) override
    {
        return Record("RotationImg(" + std::to_string(nAngle) + ")", "RotationImg", pSrcDesc);
    }
    void SetGrayPreviewFlag(int32_t nFlag) override
    {
        m_calls.push_back("SetGrayPreviewFlag(" + std::to_string(nFlag) + ")");
    }

private:
    static std::string Join(const int32_t v[4])
    {
        return std::to_string(v[0]) + "," + std::to_string(v[1]) + "," + std::to_string(v[2]) + "," +
               std::to_string(v[3]);
    }
    int Record(const std::string& call, const std::string& name, _ImageDesc* pDesc)
    {
        m_calls.push_back(call);
        if (pDesc) {
            m_descs.push_back(*pDesc);
            m_descPointers.push_back(pDesc);
            // A library may scribble on the descriptor; the chain must not pass that on.
            pDesc->m_nRows = -1;
        }
        const auto it = m_results.find(name);
        return it == m_results.end() ? 0 : it->second;
    }
};
