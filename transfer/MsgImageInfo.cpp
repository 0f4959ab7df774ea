#include "transfer/MsgImageInfo.h"

#include <windows.h>

#include "transfer/ScanJob.h"
#include "profile/Trace.h"
#include "transfer/XferSupport.h"

TW_UINT16 CMsgImageInfo::Handle(_MsgInfo* pInfo)
{
    if (CurrentState() != 600)
        return Refuse(TWCC_SEQERROR);
    if (pInfo->MSG != MSG_GET)
        return Refuse(TWCC_BADPROTOCOL);
    auto* pII = static_cast<TW_IMAGEINFO*>(pInfo->pData);
    if (!pII)
        return Refuse(TWCC_BADVALUE);
    const CScanJob& ctl = CScanJob::Current();
    pII->XResolution = pII->YResolution = ToFix32(ctl.Dpi());
    const int nType = ctl.PixelType();
    pII->PixelType = static_cast<TW_INT16>(nType);
    if (nType == 0)
        pII->BitsPerPixel = 1;
    else if (nType == 1)
        pII->BitsPerPixel = 8;
    else if (nType == 2)
        pII->BitsPerPixel = 24;
    pII->Planar = FALSE;
    pII->Compression = TWCP_NONE;
    for (auto& n : pII->BitsPerSample)
        n = 0;
    if (pII->BitsPerPixel > 23) {
        pII->SamplesPerPixel = 3;
        for (int i = 0; i < 4; ++i)
            pII->BitsPerSample[i] = static_cast<TW_INT16>(pII->BitsPerPixel / 3);
    } else {
        pII->SamplesPerPixel = 1;
        pII->BitsPerSample[0] = pII->BitsPerPixel;
    }
    pII->ImageWidth = static_cast<TW_INT32>(ctl.EffectiveWidth());
    pII->ImageLength = static_cast<TW_INT32>(ctl.EffectiveHeight());
    TraceA("CMsgImageInfo::Handle: pII->ImageWidth = %d, pII->ImageLength = %d", static_cast<int>(pII->ImageWidth),
           static_cast<int>(pII->ImageLength));
    return TWRC_SUCCESS;
}
