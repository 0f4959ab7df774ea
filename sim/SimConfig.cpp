#include "sim/SimConfig.h"

#include <algorithm>
#include <cctype>
#include <fstream>
#include <sstream>

namespace {

std::string Trim(const std::string& s)
{
    auto b = s.find_first_not_of(" \t\r\n");
    if (b == std::string::npos)
        return {};
    auto e = s.find_last_not_of(" \t\r\n");
    return s.substr(b, e - b + 1);
}

// A ';' after a blank starts a comment, so that lists separated by ';' keep working.
std::string StripComment(const std::string& s)
{
    for (std::size_t i = 1; i < s.size(); ++i)
        if (s[i] == ';' && (s[i - 1] == ' ' || s[i - 1] == '\t'))
            return s.substr(0, i);
    return s;
}

std::string Lower(std::string s)
{
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return std::tolower(c); });
    return s;
}

void ParseInt(const std::string& v, int& out)
{
    try {
        std::size_t n = 0;
        int x = std::stoi(v, &n, 0);
        if (n == v.size())
            out = x;
    } catch (...) {
    }
}

void ParseDouble(const std::string& v, double& out)
{
    try {
        std::size_t n = 0;
        double x = std::stod(v, &n);
        if (n == v.size())
            out = x;
    } catch (...) {
    }
}

std::vector<std::string> SplitList(const std::string& v, char sep)
{
    std::vector<std::string> out;
    std::stringstream ss(v);
    std::string item;
    while (std::getline(ss, item, sep)) {
        item = Trim(item);
        if (!item.empty())
            out.push_back(item);
    }
    return out;
}

EFaultKind KindOf(const std::string& s)
{
    std::string k = Lower(s);
    if (k == "null")
        return EFaultKind::kNullPointer;
    if (k == "div0")
        return EFaultKind::kDivideByZero;
    if (k == "throw")
        return EFaultKind::kThrow;
    return EFaultKind::kNone;
}

// "ScanDrv_ReadScanData:null, ScanDrv_Open:throw"
void ParseFaults(const std::string& v, std::map<std::string, EFaultKind>& out)
{
    for (const auto& item : SplitList(v, ',')) {
        auto colon = item.find(':');
        if (colon == std::string::npos)
            continue;
        EFaultKind kind = KindOf(Trim(item.substr(colon + 1)));
        if (kind != EFaultKind::kNone)
            out[Trim(item.substr(0, colon))] = kind;
    }
}

void Apply(SSimConfig& c, const std::string& section, const std::string& key, const std::string& v)
{
    struct SInt {
        const char* pszSection;
        const char* pszKey;
        int SSimConfig::*pField;
    };
    static const SInt kInts[] = {
        {"device", "feedersheets", &SSimConfig::nFeederSheets},
        {"device", "scanspeed", &SSimConfig::nScanSpeed},
        {"device", "nextpagedelayms", &SSimConfig::nNextPageDelayMs},
        {"device", "manualduplexwaitms", &SSimConfig::nManualDuplexWaitMs},
        {"faults", "openresult", &SSimConfig::nOpenResult},
        {"faults", "adfstatus", &SSimConfig::nADFStatus},
        {"faults", "setparamresult", &SSimConfig::nSetParamResult},
        {"faults", "startresult", &SSimConfig::nStartResult},
        {"device", "platengrey", &SSimConfig::nPlatenGrey},
        {"faults", "readerrorline", &SSimConfig::nReadErrorLine},
        {"faults", "readerrorcode", &SSimConfig::nReadErrorCode},
        {"faults", "eofatline", &SSimConfig::nEofAtLine},
        {"faults", "lasterror", &SSimConfig::nLastError},
        {"faults", "stallafterpage", &SSimConfig::nStallAfterPage},
        {"network", "detectresult", &SSimConfig::nDetectResult},
        {"network", "checkconnect", &SSimConfig::nCheckConnect},
        {"network", "searchresult", &SSimConfig::nSearchResult},
        {"network", "searchdelayms", &SSimConfig::nSearchDelayMs},
        {"network", "detectdelayms", &SSimConfig::nDetectDelayMs},
    };
    for (const auto& e : kInts)
        if (section == e.pszSection && key == e.pszKey)
            return ParseInt(v, c.*e.pField);
    int nFlag = -1;
    if (section == "device" && key == "paperinfeeder" && (ParseInt(v, nFlag), nFlag >= 0))
        c.bPaperInFeeder = nFlag != 0;
    else if (section == "device" && key == "usbpresent" && (ParseInt(v, nFlag), nFlag >= 0))
        c.bUsbPresent = nFlag != 0;
    else if (section == "device" && key == "skewdegrees")
        ParseDouble(v, c.dSkewDegrees);
    else if (section == "device" && key == "offsetxmm")
        ParseDouble(v, c.dOffsetXmm);
    else if (section == "device" && key == "offsetymm")
        ParseDouble(v, c.dOffsetYmm);
    else if (section == "device" && key == "pagewidthmm")
        ParseDouble(v, c.dPageWidthMm);
    else if (section == "device" && key == "pageheightmm")
        ParseDouble(v, c.dPageHeightMm);
    else if (section == "device" && key == "pagebmp")
        c.sPageBmp = v;
    else if (section == "faults" && key == "fault")
        ParseFaults(v, c.faults);
    else if (section == "network" && key == "scanners")
        c.scanners = SplitList(v, ';');
    else if (section == "network" && key == "reachable")
        c.reachable = SplitList(v, ';');
    else if (section == "log" && key == "path")
        c.sLogPath = v;
}

}  // namespace

EFaultKind SSimConfig::FaultFor(const std::string& sFunction) const
{
    auto it = faults.find(sFunction);
    return it == faults.end() ? EFaultKind::kNone : it->second;
}

int SSimConfig::AdfStatus() const
{
    if (nADFStatus >= 0)
        return nADFStatus;
    return (bPaperInFeeder && nFeederSheets > 0) ? 0 : 7;
}

int SSimConfig::CheckConnectResult() const
{
    if (nCheckConnect >= 0)
        return nCheckConnect;
    return bUsbPresent ? 0 : 1;
}

bool SSimConfig::IsKnownNetworkName(const std::string& sName) const
{
    return std::find(scanners.begin(), scanners.end(), sName) != scanners.end() ||
           std::find(reachable.begin(), reachable.end(), sName) != reachable.end();
}

SSimConfig ParseSimConfig(const std::string& sText)
{
    SSimConfig c;
    std::stringstream ss(sText);
    std::string line, section;
    while (std::getline(ss, line)) {
        line = Trim(line);
        if (line.empty() || line[0] == ';' || line[0] == '#')
            continue;
        if (line.front() == '[' && line.back() == ']') {
            section = Lower(Trim(line.substr(1, line.size() - 2)));
            continue;
        }
        auto eq = line.find('=');
        if (eq == std::string::npos)
            continue;
        Apply(c, section, Lower(Trim(line.substr(0, eq))), Trim(StripComment(line.substr(eq + 1))));
    }
    return c;
}

SSimConfig LoadSimConfig(const std::string& sPath)
{
    std::ifstream in(sPath, std::ios::binary);
    if (!in)
        return {};
    std::stringstream ss;
    ss << in.rdbuf();
    return ParseSimConfig(ss.str());
}
