// The product flags that shape scan parameters and paper tables, passed as plain values so
// that the record code stays free of the profile reader (which needs Windows).
#pragma once

struct SProductFlags {
    bool bIsPlatformL = false;
    bool bIsPlatformL_RGB = false;             // the colour variant of platform L
    bool bIsPlatformL_RGB_ZT4410QRS = false;   // its model without 600 dpi on the feeder's full area
    bool bIsPlatformK = false;
    bool bHasA3 = false;
    bool bIsTevoA3 = false;
    bool bIsTevoA3Plus = false;
    bool bIsVireo = false;
    bool bQX5031 = false;
    bool bKRV = false;
    bool bHasHorizontal = false;

    bool operator==(const SProductFlags&) const = default;
};

// Gamma in tenths used when nothing else was chosen.
inline int DefaultGammaTenths(const SProductFlags& f)
{
    return (f.bIsPlatformL || f.bIsPlatformK || f.bIsTevoA3 || f.bIsVireo || f.bQX5031) ? 10 : 18;
}

// Black-and-white threshold used when nothing else was chosen.
inline int DefaultThreshold(const SProductFlags& f)
{
    return (f.bIsPlatformK || f.bIsPlatformL) ? 183 : 72;
}
