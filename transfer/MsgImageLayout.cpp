#include "transfer/MsgImageLayout.h"

#include "transfer/AppLink.h"
#include "transfer/XferSupport.h"

namespace {

// The frame an application set, in inches; kept for scans without the dialog.
struct SLayoutFrame {
    double dLeft = 0, dTop = 0, dRight = 0, dBottom = 0;
    bool bSet = false;
};
SLayoutFrame g_layoutFrame;

}  // namespace

std::optional<SInchRect> ApplicationFrame()
{
    const SLayoutFrame f = g_layoutFrame;
    if (!f.bSet || !(f.dRight > f.dLeft) || !(f.dBottom > f.dTop))
        return std::nullopt;
    return SInchRect{f.dLeft, f.dTop, f.dRight, f.dBottom};
}

TW_UINT16 CMsgImageLayout::Handle(_MsgInfo* pInfo)
{
    auto* pLayout = static_cast<TW_IMAGELAYOUT*>(pInfo->pData);
    switch (pInfo->MSG) {
    case MSG_GET:
    case MSG_GETCURRENT:
    case MSG_GETDEFAULT:
        if (!pLayout)
            return Refuse(TWCC_BADVALUE);
        pLayout->Frame.Left = pLayout->Frame.Top = ToFix32(0);
        pLayout->Frame.Right = ToFix32(g_appFlags.bOffice ? 8.5 : 0);
        pLayout->Frame.Bottom = ToFix32(g_appFlags.bOffice ? 11.69 : 0);
        pLayout->DocumentNumber = 4;
        pLayout->PageNumber = 88;
        pLayout->FrameNumber = 1;
        return TWRC_SUCCESS;
    case MSG_SET:
        if (!pLayout)
            return Refuse(TWCC_BADVALUE);
        g_layoutFrame = {FromFix32(pLayout->Frame.Left), FromFix32(pLayout->Frame.Top),
                         FromFix32(pLayout->Frame.Right), FromFix32(pLayout->Frame.Bottom), true};
        return TWRC_SUCCESS;
    case MSG_RESET:
        return TWRC_SUCCESS;
    default:
        return Refuse(TWCC_BADPROTOCOL);
    }
}
