#include "twain/TripletTrace.h"

#include <cwchar>

#include "profile/Trace.h"


namespace {

const wchar_t* DatName(TW_UINT16 wDat)
{
    switch (wDat) {
    case DAT_CAPABILITY: return L"DAT_CAPABILITY";
    case DAT_IDENTITY: return L"DAT_IDENTITY";
    case DAT_STATUS: return L"DAT_STATUS";
    case DAT_USERINTERFACE: return L"DAT_USERINTERFACE";
    case DAT_IMAGENATIVEXFER: return L"DAT_IMAGENATIVEXFER";
    default: return L"";
    }
}

const wchar_t* MsgName(TW_UINT16 wMsg)
{
    switch (wMsg) {
    case MSG_GET: return L"MSG_GET";
    case MSG_GETCURRENT: return L"MSG_GETCURRENT";
    case MSG_SET: return L"MSG_SET";
    case MSG_RESET: return L"MSG_RESET";
    case MSG_OPENDS: return L"MSG_OPENDS";
    case MSG_DISABLEDS: return L"MSG_DISABLEDS";
    case MSG_ENABLEDS: return L"MSG_ENABLEDS";
    case MSG_ENDXFER: return L"MSG_ENDXFER";
    default: return L"";
    }
}

const wchar_t* CapName(TW_UINT16 wCap)
{
    switch (wCap) {
    case ICAP_XFERMECH: return L"ICAP_XFERMECH";
    case CAP_INDICATORS: return L"CAP_INDICATORS";
    case CAP_DUPLEXENABLED: return L"CAP_DUPLEXENABLED";
    case CAP_DOUBLEFEEDDETECTION: return L"CAP_DOUBLEFEEDDETECTION";
    case ICAP_SUPPORTEDSIZES: return L"ICAP_SUPPORTEDSIZES";
    default: return L"";
    }
}

std::wstring Format(const wchar_t* fmt, unsigned nValue, const wchar_t* pszName)
{
    wchar_t szPart[128];
    std::swprintf(szPart, 128, fmt, nValue, pszName);
    return szPart;
}

}  // namespace

std::wstring FormatTripletTrace(const _MsgInfo& info, const TW_UINT16* pRc)
{
    wchar_t szHead[96];
    std::swprintf(szHead, 96, pRc ? L"CTwainDsApp::DS_Entry: MSG <- DG = 0x%04X, " : L"CTwainDsApp::DS_Entry: MSG -> DG = 0x%04X, ",
                  static_cast<unsigned>(info.DG));
    std::wstring sLine = szHead;
    sLine += Format(L"DAT = 0x%04X(%ls), ", info.DAT, DatName(info.DAT));
    sLine += Format(L"MSG = 0x%04X(%ls), ", info.MSG, MsgName(info.MSG));
    if (info.DAT == DAT_CAPABILITY && info.pData) {
        TW_UINT16 wCap = static_cast<const TW_CAPABILITY*>(info.pData)->Cap;
        sLine += Format(L"CapId = 0x%04X(%ls), ", wCap, CapName(wCap));
    }
    if (pRc)
        sLine += L"twRc = " + std::to_wstring(*pRc);
    return sLine;
}

void TraceTriplet(const _MsgInfo& info, const TW_UINT16* pRc)
{
    TraceW(L"%ls", FormatTripletTrace(info, pRc).c_str());
}
