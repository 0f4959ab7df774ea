#include "device/NoUIScanParam.h"

#include "profile/Trace.h"

#include <algorithm>
#include <iterator>

int ResolutionIndexForDpi(int nDpi, bool bKRV)
{
    if (bKRV) {
        switch (nDpi) {
        case 75: return 0;
        case 150: return 2;
        case 200: return 3;
        case 300: return 4;
        case 400: return 5;
        case 600: return 6;
        case 1200: return 7;
        default: return 1;
        }
    }
    switch (nDpi) {
    case 75: return 0;
    case 300: return 2;
    case 600: return 3;
    case 1200: return 4;
    default: return 1;
    }
}

int PaperIndexForTwainSize(int nTwainSize, int nSource)
{
    switch (nTwainSize) {
    case 1: return 0;   // A4
    case 2: return 3;   // JIS B5
    case 3: return 4;   // US Letter
    case 4: return 5;   // US Legal
    case 5: return 1;   // A5
    case 13: return 2;  // A6
    case 11: return nSource == kSourceFlatbed ? 6 : 7;  // A3
    default: return 0;
    }
}

int UpdateNoUIScanParam(SScanParamRecord& rec, const SNoUIScanValues& v, const SProductFlags& flags)
{
    rec.nColourMode = v.nColorMode == 1 ? kColourBw : v.nColorMode == 8 ? kColourGrey : kColourRgb;
    rec.nSource = (v.nScanSource == 1 || v.nScanSource == 2) ? v.nScanSource : kSourceFlatbed;
    rec.nResolutionIndex = ResolutionIndexForDpi(v.nResolution, flags.bKRV);
    rec.nDescreen = 0;
    rec.nFading = 0;
    rec.nRotation = kRotateNone;
    std::fill(std::begin(rec.nBrightness), std::end(rec.nBrightness), 0);
    std::fill(std::begin(rec.nContrast), std::end(rec.nContrast), 0);
    std::fill(std::begin(rec.nCurve), std::end(rec.nCurve), 0);
    rec.nGamma = DefaultGammaTenths(flags);
    rec.nThreshold = DefaultThreshold(flags);
    rec.nPaperIndex = PaperIndexForTwainSize(v.nScanSize, rec.nSource);
    TraceA("UpdateNoUIScanParam(): nColorMode = %d, nResolution = %d, nScanSize = %d, nScanSource = %d\r\n",
           v.nColorMode, v.nResolution, v.nScanSize, v.nScanSource);
    return 0;
}
