#include "device/CurrentProductFlags.h"

#include "profile/ProductProfile.h"

SProductFlags CurrentProductFlags()
{
    SProductFlags f;
    f.bIsPlatformL = g_bIsPlatformL != FALSE;
    f.bIsPlatformL_RGB = g_bIsPlatformL_RGB != FALSE;
    f.bIsPlatformL_RGB_ZT4410QRS = g_bIsPlatformL_RGB_ZT4410QRS != FALSE;
    f.bIsPlatformK = g_bIsPlatformK != FALSE;
    f.bHasA3 = g_bHasA3 != FALSE;
    f.bIsTevoA3 = g_bIsTevoA3 != FALSE;
    f.bIsTevoA3Plus = g_bIsTevoA3Plus != FALSE;
    f.bIsVireo = g_bIsVireo != FALSE;
    f.bQX5031 = g_bQX5031 != FALSE;
    f.bKRV = g_bKRV != FALSE;
    f.bHasHorizontal = g_bHasHorizontal != FALSE;
    return f;
}
