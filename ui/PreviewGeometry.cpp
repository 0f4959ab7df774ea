#include "ui/PreviewGeometry.h"

#include <algorithm>

SScrollAxisLayout LayoutScrollAxis(float fOffset, int nVisible, int nFull, float fZoom, int nAnchor, int nOldMin,
                                   int nOldMax, bool bFeeder)
{
    SScrollAxisLayout out;
    const bool bZoomed = fZoom > 1.0f;
    out.nRange = bZoomed ? static_cast<int>(nVisible * fZoom) - (nFull - nVisible) : static_cast<int>(nVisible * fZoom);
    out.nPage = nVisible;
    if (nOldMax <= 0 || !bZoomed) {
        out.fOffset = 0;
    } else {
        // The content under the anchor stays where it is.
        const float a = static_cast<float>(nAnchor - 20);
        out.fOffset = ((fOffset - a) * out.nRange + a * nOldMax) / nOldMax;
    }
    out.fOffset = std::max(std::min(out.fOffset, static_cast<float>(-nOldMin)), static_cast<float>(nVisible - out.nRange));
    out.fOffset = std::min(out.fOffset, 0.0f);
    out.bShown = bZoomed && !bFeeder;
    return out;
}

SScrollStep ScrollAxisBy(int nPos, int n, int nMin, int nMax, int nPage)
{
    const int nNew = std::clamp(nPos + n, nMin, std::max(nMin, nMax - nPage));
    return {nNew, nNew - nPos};
}

SImageSpan VisibleImageSpan(int nImageW, int nImageH, int nAreaW, int nAreaH, float fZoom, float fOffsetX,
                            float fOffsetY)
{
    SImageSpan s;
    if (nAreaW <= 0 || nAreaH <= 0 || fZoom <= 0)
        return s;
    s.dX = (-fOffsetX / fZoom) * nImageW / nAreaW;
    s.dY = (-fOffsetY / fZoom) * nImageH / nAreaH;
    s.dWidth = std::min(nImageW / static_cast<double>(fZoom), nImageW - s.dX);
    s.dHeight = std::min(nImageH / static_cast<double>(fZoom), nImageH - s.dY);
    return s;
}
