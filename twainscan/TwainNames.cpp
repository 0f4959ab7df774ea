#include "twainscan/TwainNames.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>

#include "twain/TwainTypes.h"

namespace {

struct SName {
    unsigned nCode;
    const char* pszName;
};

template <size_t N>
const char* Lookup(const SName (&table)[N], unsigned nCode, const char* pszDefault = "")
{
    for (const SName& name : table)
        if (name.nCode == nCode)
            return name.pszName;
    return pszDefault;
}

const SName g_caps[] = {
    {CAP_XFERCOUNT, "CAP_XFERCOUNT"}, {ICAP_COMPRESSION, "ICAP_COMPRESSION"}, {ICAP_PIXELTYPE, "ICAP_PIXELTYPE"},
    {ICAP_UNITS, "ICAP_UNITS"}, {ICAP_XFERMECH, "ICAP_XFERMECH"}, {CAP_AUTHOR, "CAP_AUTHOR"},
    {CAP_CAPTION, "CAP_CAPTION"}, {CAP_FEEDERENABLED, "CAP_FEEDERENABLED"}, {CAP_FEEDERLOADED, "CAP_FEEDERLOADED"},
    {CAP_TIMEDATE, "CAP_TIMEDATE"}, {CAP_SUPPORTEDCAPS, "CAP_SUPPORTEDCAPS"}, {CAP_EXTENDEDCAPS, "CAP_EXTENDEDCAPS"},
    {CAP_AUTOFEED, "CAP_AUTOFEED"}, {CAP_CLEARPAGE, "CAP_CLEARPAGE"}, {CAP_FEEDPAGE, "CAP_FEEDPAGE"},
    {CAP_REWINDPAGE, "CAP_REWINDPAGE"}, {CAP_INDICATORS, "CAP_INDICATORS"},
    {CAP_PAPERDETECTABLE, "CAP_PAPERDETECTABLE"}, {CAP_UICONTROLLABLE, "CAP_UICONTROLLABLE"},
    {CAP_DEVICEONLINE, "CAP_DEVICEONLINE"}, {CAP_AUTOSCAN, "CAP_AUTOSCAN"}, {CAP_DUPLEX, "CAP_DUPLEX"},
    {CAP_DUPLEXENABLED, "CAP_DUPLEXENABLED"}, {CAP_ENABLEDSUIONLY, "CAP_ENABLEDSUIONLY"},
    {CAP_DOUBLEFEEDDETECTION, "CAP_DOUBLEFEEDDETECTION"}, {ICAP_AUTOBRIGHT, "ICAP_AUTOBRIGHT"},
    {ICAP_BRIGHTNESS, "ICAP_BRIGHTNESS"}, {ICAP_CONTRAST, "ICAP_CONTRAST"}, {ICAP_GAMMA, "ICAP_GAMMA"},
    {ICAP_HALFTONES, "ICAP_HALFTONES"}, {ICAP_HIGHLIGHT, "ICAP_HIGHLIGHT"},
    {ICAP_IMAGEFILEFORMAT, "ICAP_IMAGEFILEFORMAT"}, {ICAP_ORIENTATION, "ICAP_ORIENTATION"},
    {ICAP_PHYSICALWIDTH, "ICAP_PHYSICALWIDTH"}, {ICAP_PHYSICALHEIGHT, "ICAP_PHYSICALHEIGHT"},
    {ICAP_SHADOW, "ICAP_SHADOW"}, {ICAP_FRAMES, "ICAP_FRAMES"}, {ICAP_XNATIVERESOLUTION, "ICAP_XNATIVERESOLUTION"},
    {ICAP_YNATIVERESOLUTION, "ICAP_YNATIVERESOLUTION"}, {ICAP_XRESOLUTION, "ICAP_XRESOLUTION"},
    {ICAP_YRESOLUTION, "ICAP_YRESOLUTION"}, {ICAP_MAXFRAMES, "ICAP_MAXFRAMES"}, {ICAP_BITORDER, "ICAP_BITORDER"},
    {ICAP_PIXELFLAVOR, "ICAP_PIXELFLAVOR"}, {ICAP_PLANARCHUNKY, "ICAP_PLANARCHUNKY"},
    {ICAP_ROTATION, "ICAP_ROTATION"}, {ICAP_SUPPORTEDSIZES, "ICAP_SUPPORTEDSIZES"},
    {ICAP_THRESHOLD, "ICAP_THRESHOLD"}, {ICAP_XSCALING, "ICAP_XSCALING"}, {ICAP_YSCALING, "ICAP_YSCALING"},
    {ICAP_BITDEPTH, "ICAP_BITDEPTH"}, {ICAP_BITDEPTHREDUCTION, "ICAP_BITDEPTHREDUCTION"},
    {ICAP_UNDEFINEDIMAGESIZE, "ICAP_UNDEFINEDIMAGESIZE"}, {ICAP_MINIMUMHEIGHT, "ICAP_MINIMUMHEIGHT"},
    {ICAP_MINIMUMWIDTH, "ICAP_MINIMUMWIDTH"},
};

const SName g_types[] = {{TWTY_INT8, "TWTY_INT8"},   {TWTY_INT16, "TWTY_INT16"},   {TWTY_INT32, "TWTY_INT32"},
                         {TWTY_UINT8, "TWTY_UINT8"}, {TWTY_UINT16, "TWTY_UINT16"}, {TWTY_UINT32, "TWTY_UINT32"},
                         {TWTY_BOOL, "TWTY_BOOL"},   {TWTY_FIX32, "TWTY_FIX32"},   {TWTY_FRAME, "TWTY_FRAME"},
                         {TWTY_STR32, "TWTY_STR32"}, {TWTY_STR64, "TWTY_STR64"},   {TWTY_STR128, "TWTY_STR128"},
                         {TWTY_STR255, "TWTY_STR255"}, {TWTY_HANDLE, "TWTY_HANDLE"}};

const SName g_containers[] = {{TWON_ARRAY, "TWON_ARRAY"},
                              {TWON_ENUMERATION, "TWON_ENUMERATION"},
                              {TWON_ONEVALUE, "TWON_ONEVALUE"},
                              {TWON_RANGE, "TWON_RANGE"}};

const SName g_returns[] = {{TWRC_SUCCESS, "TWRC_SUCCESS"},         {TWRC_FAILURE, "TWRC_FAILURE"},
                           {TWRC_CHECKSTATUS, "TWRC_CHECKSTATUS"}, {TWRC_CANCEL, "TWRC_CANCEL"},
                           {TWRC_DSEVENT, "TWRC_DSEVENT"},         {TWRC_NOTDSEVENT, "TWRC_NOTDSEVENT"},
                           {TWRC_XFERDONE, "TWRC_XFERDONE"},       {TWRC_ENDOFLIST, "TWRC_ENDOFLIST"}};

struct SCondition {
    unsigned nCode;
    const char* pszName;
    const char* pszText;
};
const SCondition g_conditions[] = {
    {TWCC_SUCCESS, "TWCC_SUCCESS", "no error"},
    {TWCC_BUMMER, "TWCC_BUMMER", "failure of unknown cause"},
    {TWCC_LOWMEMORY, "TWCC_LOWMEMORY", "not enough memory"},
    {TWCC_NODS, "TWCC_NODS", "no such data source"},
    {TWCC_MAXCONNECTIONS, "TWCC_MAXCONNECTIONS", "the source is in use by another application"},
    {TWCC_OPERATIONERROR, "TWCC_OPERATIONERROR", "the source or the device reported an error"},
    {TWCC_BADCAP, "TWCC_BADCAP", "unknown capability"},
    {TWCC_BADPROTOCOL, "TWCC_BADPROTOCOL", "operation not supported"},
    {TWCC_BADVALUE, "TWCC_BADVALUE", "value out of range"},
    {TWCC_SEQERROR, "TWCC_SEQERROR", "operation out of sequence"},
    {TWCC_BADDEST, "TWCC_BADDEST", "unknown destination"},
    {TWCC_CAPUNSUPPORTED, "TWCC_CAPUNSUPPORTED", "capability not supported by the source"},
    {TWCC_CAPBADOPERATION, "TWCC_CAPBADOPERATION", "operation not supported for this capability"},
    {TWCC_CAPSEQERROR, "TWCC_CAPSEQERROR", "capability depends on another one"},
    {TWCC_DENIED, "TWCC_DENIED", "access denied"},
    {TWCC_FILEEXISTS, "TWCC_FILEEXISTS", "the file already exists"},
    {TWCC_FILENOTFOUND, "TWCC_FILENOTFOUND", "file not found"},
    {TWCC_NOTEMPTY, "TWCC_NOTEMPTY", "the folder is not empty"},
    {TWCC_PAPERJAM, "TWCC_PAPERJAM", "paper jam in the feeder"},
    {TWCC_PAPERDOUBLEFEED, "TWCC_PAPERDOUBLEFEED", "double feed in the feeder"},
    {TWCC_FILEWRITEERROR, "TWCC_FILEWRITEERROR", "error writing the file"},
    {TWCC_CHECKDEVICEONLINE, "TWCC_CHECKDEVICEONLINE", "the device is offline"},
};

const SName g_groups[] = {{DG_CONTROL, "DG_CONTROL"}, {DG_IMAGE, "DG_IMAGE"}, {DG_AUDIO, "DG_AUDIO"}};

const SName g_dats[] = {
    {DAT_NULL, "DAT_NULL"}, {DAT_CAPABILITY, "DAT_CAPABILITY"}, {DAT_EVENT, "DAT_EVENT"},
    {DAT_IDENTITY, "DAT_IDENTITY"}, {DAT_PARENT, "DAT_PARENT"}, {DAT_PENDINGXFERS, "DAT_PENDINGXFERS"},
    {DAT_SETUPMEMXFER, "DAT_SETUPMEMXFER"}, {DAT_SETUPFILEXFER, "DAT_SETUPFILEXFER"}, {DAT_STATUS, "DAT_STATUS"},
    {DAT_USERINTERFACE, "DAT_USERINTERFACE"}, {DAT_XFERGROUP, "DAT_XFERGROUP"}, {DAT_CALLBACK, "DAT_CALLBACK"},
    {DAT_CALLBACK2, "DAT_CALLBACK2"}, {DAT_IMAGEINFO, "DAT_IMAGEINFO"}, {DAT_IMAGELAYOUT, "DAT_IMAGELAYOUT"},
    {DAT_IMAGEMEMXFER, "DAT_IMAGEMEMXFER"}, {DAT_IMAGENATIVEXFER, "DAT_IMAGENATIVEXFER"},
    {DAT_IMAGEFILEXFER, "DAT_IMAGEFILEXFER"}, {DAT_ENTRYPOINT, "DAT_ENTRYPOINT"},
};

const SName g_msgs[] = {
    {MSG_NULL, "MSG_NULL"}, {MSG_GET, "MSG_GET"}, {MSG_GETCURRENT, "MSG_GETCURRENT"}, {MSG_GETDEFAULT, "MSG_GETDEFAULT"},
    {MSG_GETFIRST, "MSG_GETFIRST"}, {MSG_GETNEXT, "MSG_GETNEXT"}, {MSG_SET, "MSG_SET"}, {MSG_RESET, "MSG_RESET"},
    {MSG_QUERYSUPPORT, "MSG_QUERYSUPPORT"}, {MSG_XFERREADY, "MSG_XFERREADY"}, {MSG_CLOSEDSREQ, "MSG_CLOSEDSREQ"},
    {MSG_CLOSEDSOK, "MSG_CLOSEDSOK"}, {MSG_DEVICEEVENT, "MSG_DEVICEEVENT"}, {MSG_OPENDSM, "MSG_OPENDSM"},
    {MSG_CLOSEDSM, "MSG_CLOSEDSM"}, {MSG_OPENDS, "MSG_OPENDS"}, {MSG_CLOSEDS, "MSG_CLOSEDS"},
    {MSG_USERSELECT, "MSG_USERSELECT"}, {MSG_DISABLEDS, "MSG_DISABLEDS"}, {MSG_ENABLEDS, "MSG_ENABLEDS"},
    {MSG_ENABLEDSUIONLY, "MSG_ENABLEDSUIONLY"}, {MSG_PROCESSEVENT, "MSG_PROCESSEVENT"},
    {MSG_ENDXFER, "MSG_ENDXFER"}, {MSG_STOPFEEDER, "MSG_STOPFEEDER"},
    {MSG_REGISTER_CALLBACK, "MSG_REGISTER_CALLBACK"},
};

bool EqualNoCase(const std::string& a, const char* b)
{
    size_t n = 0;
    for (; b[n]; ++n)
        if (n >= a.size() || std::toupper(static_cast<unsigned char>(a[n])) != std::toupper(static_cast<unsigned char>(b[n])))
            return false;
    return n == a.size();
}

}  // namespace

const char* CapabilityName(std::uint16_t wCap)
{
    return Lookup(g_caps, wCap);
}

std::optional<std::uint16_t> CapabilityFromText(const std::string& sText)
{
    for (const SName& name : g_caps)
        if (EqualNoCase(sText, name.pszName))
            return static_cast<std::uint16_t>(name.nCode);
    if (sText.empty())
        return std::nullopt;
    char* pEnd = nullptr;
    unsigned long n = std::strtoul(sText.c_str(), &pEnd, 0);
    if (*pEnd != '\0' || n > 0xFFFF || !std::isdigit(static_cast<unsigned char>(sText[0])))
        return std::nullopt;
    return static_cast<std::uint16_t>(n);
}

const char* ItemTypeName(std::uint16_t wType)
{
    return Lookup(g_types, wType, "TWTY_?");
}

const char* ContainerName(std::uint16_t wCon)
{
    return Lookup(g_containers, wCon, "TWON_?");
}

const char* ReturnCodeName(std::uint16_t wRc)
{
    return Lookup(g_returns, wRc, "TWRC_?");
}

const char* ConditionCodeName(std::uint16_t wCc)
{
    for (const SCondition& c : g_conditions)
        if (c.nCode == wCc)
            return c.pszName;
    return "TWCC_?";
}

const char* ConditionCodeText(std::uint16_t wCc)
{
    for (const SCondition& c : g_conditions)
        if (c.nCode == wCc)
            return c.pszText;
    return "unknown condition";
}

const char* DataGroupName(std::uint32_t nDg)
{
    return Lookup(g_groups, nDg, "DG_?");
}

const char* DatName(std::uint16_t wDat)
{
    return Lookup(g_dats, wDat, "DAT_?");
}

const char* MsgName(std::uint16_t wMsg)
{
    return Lookup(g_msgs, wMsg, "MSG_?");
}
