#include "imaging/RecordAdjustments.h"

#include <algorithm>

_ImageAdjustments AdjustmentsFromRecord(const SScanParamRecord& rec)
{
    _ImageAdjustments adj;
    adj.m_nImageType = rec.nColourMode;
    adj.m_bHalftone = rec.nAutoThreshold;
    adj.m_nThreshold = rec.nThreshold;
    adj.m_nDescreen = rec.nDescreen;
    adj.m_nGamma = rec.nGamma;
    adj.m_nFadeLevel = rec.nFading;
    std::copy(std::begin(rec.nCurve), std::end(rec.nCurve), adj.m_nCurve);
    std::copy(std::begin(rec.nBrightness), std::end(rec.nBrightness), adj.m_nBrightness);
    std::copy(std::begin(rec.nContrast), std::end(rec.nContrast), adj.m_nContrast);
    return adj;
}
