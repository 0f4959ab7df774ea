#include "twainscan/Negotiation.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "twainscan/ExitStatus.h"
#include "twainscan/TwainNames.h"

namespace {

std::string CapLabel(TW_UINT16 wCap)
{
    const char* pszName = CapabilityName(wCap);
    char sz[48];
    snprintf(sz, sizeof(sz), "%s(0x%04X)", pszName, wCap);
    return sz;
}

class CNegotiator {
public:
    CNegotiator(CTwainSession& session, std::vector<TW_UINT16>* pTouched) : m_session(session), m_pTouched(pTouched) {}
    bool Set(TW_UINT16 wCap, TW_UINT16 wType, double dValue, const std::string& sShown);
    bool SetText(TW_UINT16 wCap, const std::string& sValue);
    bool Layout(const SScanOptions& options);
    bool Refused(const std::string& sWhat);

private:
    CTwainSession& m_session;
    std::vector<TW_UINT16>* m_pTouched;
};

bool CNegotiator::Refused(const std::string& sWhat)
{
    TW_UINT16 wCc = m_session.LastCondition();
    fprintf(stderr, "twainscan: the source refused %s: %s (%s)\n", sWhat.c_str(), ConditionCodeText(wCc),
            ConditionCodeName(wCc));
    return false;
}

bool CNegotiator::Set(TW_UINT16 wCap, TW_UINT16 wType, double dValue, const std::string& sShown)
{
    m_pTouched->push_back(wCap);
    if (m_session.SetCap(wCap, wType, NumberItem(wType, dValue)))
        return true;
    return Refused(CapLabel(wCap) + " = " + sShown);
}

// Any capability: the item type is the one the source reports for its current value.
bool CNegotiator::SetText(TW_UINT16 wCap, const std::string& sValue)
{
    m_pTouched->push_back(wCap);
    SCapValue current;
    std::string sError;
    if (!m_session.GetCap(wCap, MSG_GETCURRENT, &current, &sError)) {
        fprintf(stderr, "twainscan: cannot read %s: %s\n", CapLabel(wCap).c_str(), sError.c_str());
        return false;
    }
    CapItem item;
    if (!EncodeCapItem(current.wType, sValue, &item, &sError)) {
        fprintf(stderr, "twainscan: %s for %s (%s)\n", sError.c_str(), CapLabel(wCap).c_str(),
                ItemTypeName(current.wType));
        return false;
    }
    return m_session.SetCap(wCap, current.wType, item) || Refused(CapLabel(wCap) + " = " + sValue);
}

TW_FIX32 ToFix(double d)
{
    CapItem item = NumberItem(TWTY_FIX32, d);
    TW_FIX32 fix;
    memcpy(&fix, item.data(), sizeof(fix));
    return fix;
}

double FromFix(const TW_FIX32& fix)
{
    return fix.Whole + fix.Frac / 65536.0;
}

// The area in millimetres, sent in inches, which every source knows; edges not given stay.
bool CNegotiator::Layout(const SScanOptions& options)
{
    if (!Set(ICAP_UNITS, TWTY_UINT16, TWUN_INCHES, "inches"))
        return false;
    TW_IMAGELAYOUT layout{};
    if (m_session.CallSource(DG_IMAGE, DAT_IMAGELAYOUT, MSG_GET, &layout) != TWRC_SUCCESS)
        return Refused("reading the scan area");
    double dLeft = FromFix(layout.Frame.Left), dTop = FromFix(layout.Frame.Top);
    double dWidth = FromFix(layout.Frame.Right) - dLeft, dHeight = FromFix(layout.Frame.Bottom) - dTop;
    const double dMmPerInch = 25.4;
    dLeft = options.dLeft ? *options.dLeft / dMmPerInch : dLeft;
    dTop = options.dTop ? *options.dTop / dMmPerInch : dTop;
    dWidth = options.dWidth ? *options.dWidth / dMmPerInch : dWidth;
    dHeight = options.dHeight ? *options.dHeight / dMmPerInch : dHeight;
    layout.Frame = TW_FRAME{ToFix(dLeft), ToFix(dTop), ToFix(dLeft + dWidth), ToFix(dTop + dHeight)};
    TW_UINT16 twRc = m_session.CallSource(DG_IMAGE, DAT_IMAGELAYOUT, MSG_SET, &layout);
    if (twRc == TWRC_CHECKSTATUS)
        fprintf(stderr, "twainscan: the source adjusted the scan area\n");
    if (twRc != TWRC_SUCCESS && twRc != TWRC_CHECKSTATUS) {
        char sz[96];
        snprintf(sz, sizeof(sz), "the scan area %.1f,%.1f %.1f x %.1f mm", dLeft * dMmPerInch, dTop * dMmPerInch,
                 dWidth * dMmPerInch, dHeight * dMmPerInch);
        return Refused(sz);
    }
    return true;
}

TW_UINT16 XferMechValue(EXferMech xfer)
{
    return xfer == EXferMech::Memory ? TWSX_MEMORY : xfer == EXferMech::File ? TWSX_FILE : TWSX_NATIVE;
}

}  // namespace

int Negotiate(CTwainSession& session, const SScanOptions& options, std::vector<TW_UINT16>* pTouched)
{
    CNegotiator n(session, pTouched);
    bool bOk = true;
    if (options.nSource) {
        // The feeder first: sizes and resolutions a source allows may depend on it.
        bOk = bOk && n.Set(CAP_FEEDERENABLED, TWTY_BOOL, *options.nSource != 0, *options.nSource ? "TRUE" : "FALSE");
        if (bOk) {
            bool bDuplex = *options.nSource == 2;
            pTouched->push_back(CAP_DUPLEXENABLED);
            // A source without duplex needs no "off"; only asking for it is an error.
            if (!session.SetCap(CAP_DUPLEXENABLED, TWTY_BOOL, NumberItem(TWTY_BOOL, bDuplex)))
                bOk = !bDuplex || n.Refused("CAP_DUPLEXENABLED(0x1013) = TRUE");
        }
    }
    if (bOk && options.wPixelType)
        bOk = n.Set(ICAP_PIXELTYPE, TWTY_UINT16, *options.wPixelType, std::to_string(*options.wPixelType));
    if (bOk && options.nResolution) {
        std::string sDpi = std::to_string(*options.nResolution);
        bOk = n.Set(ICAP_XRESOLUTION, TWTY_FIX32, *options.nResolution, sDpi) &&
              n.Set(ICAP_YRESOLUTION, TWTY_FIX32, *options.nResolution, sDpi);
    }
    if (bOk && options.wSize)
        bOk = n.Set(ICAP_SUPPORTEDSIZES, TWTY_UINT16, *options.wSize, std::to_string(*options.wSize));
    if (bOk && options.HasGeometry())
        bOk = n.Layout(options);
    if (bOk && options.xfer != EXferMech::Default)
        bOk = n.Set(ICAP_XFERMECH, TWTY_UINT16, XferMechValue(options.xfer), std::to_string(XferMechValue(options.xfer)));
    if (bOk) {
        int nCount = WantedTransferCount(options);
        // The tool stops by itself after the pages it wants; only an explicit --count must be honoured.
        if (!session.SetCap(CAP_XFERCOUNT, TWTY_INT16, NumberItem(TWTY_INT16, nCount)) && options.nCount)
            bOk = n.Refused("CAP_XFERCOUNT(0x0001) = " + std::to_string(nCount));
        pTouched->push_back(CAP_XFERCOUNT);
    }
    for (const SCapSetting& setting : options.caps) {
        if (bOk)
            bOk = n.SetText(setting.wCap, setting.sValue);
    }
    return bOk ? EXIT_OK : EXIT_CAP_REFUSED;
}

void ReportCapabilities(CTwainSession& session, const std::vector<TW_UINT16>& caps)
{
    std::vector<TW_UINT16> shown;
    for (TW_UINT16 wCap : caps) {
        if (std::find(shown.begin(), shown.end(), wCap) != shown.end())
            continue;
        shown.push_back(wCap);
        SCapValue value;
        std::string sError;
        if (session.GetCap(wCap, MSG_GETCURRENT, &value, &sError) && !value.items.empty())
            printf("%s = %s\n", CapLabel(wCap).c_str(), FormatCapItem(value.wType, value.items[0]).c_str());
        else
            printf("%s: %s\n", CapLabel(wCap).c_str(), sError.c_str());
    }
}

void ListCapabilities(CTwainSession& session)
{
    std::vector<TW_UINT16> caps;
    SCapValue supported;
    std::string sError;
    if (session.GetCap(CAP_SUPPORTEDCAPS, MSG_GET, &supported, &sError) && supported.wType == TWTY_UINT16) {
        for (const CapItem& item : supported.items)
            caps.push_back(static_cast<TW_UINT16>(item[0] | (item[1] << 8)));
    } else {
        // A source that does not list its capabilities is asked for each one this tool knows.
        for (unsigned n = 0; n <= 0xFFFF; ++n)
            if (*CapabilityName(static_cast<TW_UINT16>(n)))
                caps.push_back(static_cast<TW_UINT16>(n));
    }
    for (TW_UINT16 wCap : caps) {
        SCapValue value;
        if (!session.GetCap(wCap, MSG_GET, &value, &sError)) {
            if (!supported.items.empty())
                printf("%s: cannot be read: %s\n", CapLabel(wCap).c_str(), sError.c_str());
            continue;
        }
        printf("%s: %s %s, %s\n", CapLabel(wCap).c_str(), ItemTypeName(value.wType), ContainerName(value.wCon),
               DescribeCapValue(value).c_str());
    }
}
