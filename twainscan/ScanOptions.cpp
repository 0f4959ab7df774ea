#include "twainscan/ScanOptions.h"

#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <functional>
#include <map>

#include "twain/TwainTypes.h"
#include "twainscan/TwainNames.h"

namespace {

std::string Lower(std::string s)
{
    for (char& c : s)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

// An exact match (any case) wins; otherwise the one choice the text begins.
template <typename T>
std::optional<T> PickChoice(const std::string& sText, const std::vector<std::pair<const char*, T>>& choices)
{
    std::string sLower = Lower(sText);
    std::optional<T> found;
    int nPrefixMatches = 0;
    for (const auto& [pszName, value] : choices) {
        std::string sName = Lower(pszName);
        if (sName == sLower)
            return value;
        if (!sLower.empty() && sName.compare(0, sLower.size(), sLower) == 0) {
            ++nPrefixMatches;
            found = value;
        }
    }
    return nPrefixMatches == 1 ? found : std::nullopt;
}

bool ParseInt(const std::string& sText, long nMin, long nMax, int* pValue)
{
    if (sText.empty())
        return false;
    errno = 0;
    char* pEnd = nullptr;
    long n = std::strtol(sText.c_str(), &pEnd, 10);
    if (errno != 0 || *pEnd != '\0' || n < nMin || n > nMax)
        return false;
    *pValue = static_cast<int>(n);
    return true;
}

bool ParseMillimetres(const std::string& sText, double* pValue)
{
    if (sText.empty())
        return false;
    char* pEnd = nullptr;
    double d = std::strtod(sText.c_str(), &pEnd);
    // Over a metre is no page any scanner takes; the bound also keeps inches within FIX32.
    if (*pEnd != '\0' || !std::isfinite(d) || d < 0 || d > 1000)
        return false;
    *pValue = d;
    return true;
}

class CParser {
public:
    SParseResult Run(const std::vector<std::string>& args);

private:
    using Handler = std::function<bool(const std::string&)>;
    struct SOption {
        bool bTakesValue;
        Handler handler;
    };
    void Define();
    bool Error(const std::string& sText)
    {
        if (m_sError.empty())
            m_sError = sText;
        return false;
    }
    bool Check();

    SScanOptions m_o;
    std::string m_sError;
    std::map<std::string, SOption> m_options;
    bool m_bBatchImplied = false;
};

void CParser::Define()
{
    auto flag = [this](bool* pb) { return SOption{false, [pb](const std::string&) { return *pb = true; }}; };
    m_options["-h"] = m_options["--help"] = flag(&m_o.bHelp);
    m_options["-L"] = m_options["--list-devices"] = flag(&m_o.bList);
    m_options["--list-caps"] = flag(&m_o.bListCaps);
    m_options["-v"] = m_options["--verbose"] = flag(&m_o.bVerbose);
    m_options["-p"] = m_options["--progress"] = flag(&m_o.bProgress);
    m_options["-n"] = m_options["--dont-scan"] = flag(&m_o.bNegotiateOnly);
    m_options["--ui"] = flag(&m_o.bShowUi);
    m_options["--no-callback"] = flag(&m_o.bNoCallback);
    m_options["--no-window"] = flag(&m_o.bNoWindow);
    m_options["-d"] = m_options["--device"] = {true, [this](const std::string& s) {
        m_o.sDevice = s;
        return !s.empty() || Error("-d needs a source name");
    }};
    m_options["--dsm"] = {true, [this](const std::string& s) {
        m_o.sManager = s;
        return !s.empty() || Error("--dsm needs a library path");
    }};
    m_options["--mode"] = {true, [this](const std::string& s) {
        m_o.wPixelType = PickChoice<std::uint16_t>(s, {{"Lineart", TWPT_BW}, {"Gray", TWPT_GRAY}, {"Color", TWPT_RGB}});
        return m_o.wPixelType || Error("--mode must be Lineart, Gray or Color, not \"" + s + "\"");
    }};
    m_options["--resolution"] = {true, [this](const std::string& s) {
        std::string sNumber = s.size() > 3 && Lower(s.substr(s.size() - 3)) == "dpi" ? s.substr(0, s.size() - 3) : s;
        int n = 0;
        if (!ParseInt(sNumber, 1, 32767, &n))
            return Error("--resolution must be a number of dots per inch from 1 to 32767, not \"" + s + "\"");
        m_o.nResolution = n;
        return true;
    }};
    m_options["--source"] = {true, [this](const std::string& s) {
        m_o.nSource = PickChoice<int>(s, {{"Flatbed", 0}, {"ADF", 1}, {"ADF Duplex", 2}});
        return m_o.nSource || Error("--source must be Flatbed, ADF or \"ADF Duplex\", not \"" + s + "\"");
    }};
    m_options["--size"] = {true, [this](const std::string& s) {
        m_o.wSize = PickChoice<std::uint16_t>(s, {{"A4", TWSS_A4}, {"A5", TWSS_A5}, {"A6", TWSS_A6}, {"B5", TWSS_JISB5},
                                                  {"Letter", TWSS_USLETTER}, {"Legal", TWSS_USLEGAL}, {"A3", TWSS_A3}});
        return m_o.wSize || Error("--size must be A4, A5, A6, B5, Letter, Legal or A3, not \"" + s + "\"");
    }};
    auto geometry = [this](std::optional<double>* pValue, const char* pszName) {
        return SOption{true, [this, pValue, pszName](const std::string& s) {
            double d = 0;
            if (!ParseMillimetres(s, &d))
                return Error(std::string(pszName) + " must be a length in millimetres from 0 to 1000, not \"" + s + "\"");
            *pValue = d;
            return true;
        }};
    };
    m_options["-l"] = geometry(&m_o.dLeft, "-l");
    m_options["-t"] = geometry(&m_o.dTop, "-t");
    m_options["-x"] = geometry(&m_o.dWidth, "-x");
    m_options["-y"] = geometry(&m_o.dHeight, "-y");
    m_options["--xfer"] = {true, [this](const std::string& s) {
        auto xfer = PickChoice<EXferMech>(s, {{"native", EXferMech::Native}, {"memory", EXferMech::Memory},
                                              {"file", EXferMech::File}});
        m_o.xfer = xfer.value_or(EXferMech::Default);
        return xfer || Error("--xfer must be native, memory or file, not \"" + s + "\"");
    }};
    m_options["--count"] = {true, [this](const std::string& s) {
        int n = 0;
        if (!ParseInt(s, -1, 32767, &n) || n == 0)
            return Error("--count must be -1 (all pages) or a number of pages from 1 to 32767, not \"" + s + "\"");
        m_o.nCount = n;
        return true;
    }};
    m_options["--cap"] = {true, [this](const std::string& s) {
        size_t nEq = s.find('=');
        std::optional<std::uint16_t> wCap = CapabilityFromText(s.substr(0, nEq));
        if (nEq == std::string::npos || !wCap || nEq + 1 == s.size())
            return Error("--cap must be ID=VALUE with a capability name or number, not \"" + s + "\"");
        m_o.caps.push_back(SCapSetting{*wCap, s.substr(nEq + 1)});
        return true;
    }};
    m_options["-o"] = m_options["--output-file"] = {true, [this](const std::string& s) {
        m_o.sOutput = s;
        return !s.empty() || Error("-o needs a file name");
    }};
    m_options["-b"] = m_options["--batch"] = flag(&m_o.bBatch);
    m_options["--batch-start"] = {true, [this](const std::string& s) {
        m_bBatchImplied = true;
        return ParseInt(s, 0, 1000000000, &m_o.nBatchStart) ||
               Error("--batch-start must be a number from 0, not \"" + s + "\"");
    }};
    m_options["--batch-count"] = {true, [this](const std::string& s) {
        int n = 0;
        m_bBatchImplied = true;
        if (!ParseInt(s, 1, 32767, &n))
            return Error("--batch-count must be a number of pages from 1 to 32767, not \"" + s + "\"");
        m_o.nBatchCount = n;
        return true;
    }};
    m_options["--format"] = {true, [this](const std::string& s) {
        m_o.format = PickChoice<EImageFormat>(s, {{"bmp", EImageFormat::Bmp}, {"png", EImageFormat::Png},
                                                  {"tiff", EImageFormat::Tiff}, {"tif", EImageFormat::Tiff},
                                                  {"jpeg", EImageFormat::Jpeg}, {"jpg", EImageFormat::Jpeg}});
        return m_o.format || Error("--format must be bmp, png, tiff or jpeg, not \"" + s + "\"");
    }};
    m_options["--timeout"] = {true, [this](const std::string& s) {
        return ParseInt(s, 1, 86400, &m_o.nTimeoutSeconds) ||
               Error("--timeout must be a number of seconds from 1 to 86400, not \"" + s + "\"");
    }};
}

SParseResult CParser::Run(const std::vector<std::string>& args)
{
    Define();
    for (size_t i = 0; i < args.size() && m_sError.empty(); ++i) {
        const std::string& sArg = args[i];
        std::string sName = sArg;
        std::optional<std::string> value;
        size_t nEq = sArg.find('=');
        if (sArg.rfind("--", 0) == 0 && nEq != std::string::npos) {
            sName = sArg.substr(0, nEq);
            value = sArg.substr(nEq + 1);
        } else if (sArg.size() > 2 && sArg[0] == '-' && sArg[1] != '-' && !m_options.count(sArg)) {
            // A short option with its value attached: -dNAME, -l10.
            sName = sArg.substr(0, 2);
            value = sArg.substr(2);
        }
        auto it = m_options.find(sName);
        if (it == m_options.end()) {
            Error("unknown option \"" + sArg + "\" (try --help)");
            break;
        }
        if (sName == "--batch" && value) {
            m_o.bBatch = true;
            if (!IsValidBatchPattern(*value))
                Error("the batch pattern needs exactly one %d, not \"" + *value + "\"");
            m_o.sBatchPattern = *value;
            continue;
        }
        if (it->second.bTakesValue && !value) {
            if (i + 1 >= args.size()) {
                Error(sName + " needs a value");
                break;
            }
            value = args[++i];
        } else if (!it->second.bTakesValue && value) {
            Error(sName + " takes no value");
            break;
        }
        it->second.handler(value.value_or(""));
    }
    SParseResult result;
    result.bOk = m_sError.empty() && Check();
    result.sError = m_sError;
    result.options = m_o;
    return result;
}

bool CParser::Check()
{
    if (m_bBatchImplied)
        m_o.bBatch = true;
    if (m_o.bBatch && !m_o.sOutput.empty())
        return Error("-o names one file; use --batch=PATTERN for several pages");
    if ((m_o.dWidth && *m_o.dWidth == 0) || (m_o.dHeight && *m_o.dHeight == 0))
        return Error("-x and -y must be larger than 0");
    if (!m_o.bBatch && m_o.nCount && *m_o.nCount != 1)
        return Error("--count above 1 needs --batch: -o takes one page");
    return true;
}

}  // namespace

SParseResult ParseOptions(const std::vector<std::string>& args)
{
    CParser parser;
    return parser.Run(args);
}

bool IsValidBatchPattern(const std::string& sPattern)
{
    int nConversions = 0;
    for (size_t i = 0; i < sPattern.size(); ++i) {
        if (sPattern[i] != '%')
            continue;
        if (++i < sPattern.size() && sPattern[i] == '%')
            continue;
        // %d or %0Nd with a width of at most two digits.
        size_t nDigits = 0;
        if (i < sPattern.size() && sPattern[i] == '0') {
            ++i;
            while (i < sPattern.size() && std::isdigit(static_cast<unsigned char>(sPattern[i])) && nDigits < 3) {
                ++i;
                ++nDigits;
            }
            if (nDigits == 0 || nDigits > 2)
                return false;
        }
        if (i >= sPattern.size() || sPattern[i] != 'd')
            return false;
        ++nConversions;
    }
    return nConversions == 1;
}

std::string FormatBatchName(const std::string& sPattern, int nNumber)
{
    std::string sOut;
    for (size_t i = 0; i < sPattern.size(); ++i) {
        if (sPattern[i] != '%' || i + 1 >= sPattern.size()) {
            sOut += sPattern[i];
            continue;
        }
        if (sPattern[i + 1] == '%') {
            sOut += '%';
            ++i;
            continue;
        }
        size_t nWidth = 0;
        size_t j = i + 1;
        if (sPattern[j] == '0') {
            for (++j; j < sPattern.size() && std::isdigit(static_cast<unsigned char>(sPattern[j])); ++j)
                nWidth = nWidth * 10 + static_cast<size_t>(sPattern[j] - '0');
        }
        if (j >= sPattern.size() || sPattern[j] != 'd') {
            sOut += sPattern[i];
            continue;
        }
        std::string sNumber = std::to_string(nNumber < 0 ? -static_cast<long long>(nNumber) : nNumber);
        if (sNumber.size() < nWidth)
            sNumber.insert(0, nWidth - sNumber.size(), '0');
        sOut += (nNumber < 0 ? "-" : "") + sNumber;
        i = j;
    }
    return sOut;
}

const char* FormatExtension(EImageFormat format)
{
    switch (format) {
    case EImageFormat::Png:
        return "png";
    case EImageFormat::Tiff:
        return "tif";
    case EImageFormat::Jpeg:
        return "jpg";
    default:
        return "bmp";
    }
}

EImageFormat EffectiveFormat(const SScanOptions& options)
{
    if (options.format)
        return *options.format;
    const std::string& sName = options.bBatch ? options.sBatchPattern : options.sOutput;
    size_t nDot = sName.find_last_of('.');
    size_t nSlash = sName.find_last_of("\\/");
    if (nDot == std::string::npos || (nSlash != std::string::npos && nSlash > nDot))
        return EImageFormat::Bmp;
    std::string sExt = Lower(sName.substr(nDot + 1));
    if (sExt == "png")
        return EImageFormat::Png;
    if (sExt == "tif" || sExt == "tiff")
        return EImageFormat::Tiff;
    if (sExt == "jpg" || sExt == "jpeg")
        return EImageFormat::Jpeg;
    return EImageFormat::Bmp;
}

std::string OutputName(const SScanOptions& options, int nIndex)
{
    std::string sExt = FormatExtension(EffectiveFormat(options));
    if (options.bBatch) {
        std::string sPattern = options.sBatchPattern.empty() ? "out%d." + sExt : options.sBatchPattern;
        return FormatBatchName(sPattern, options.nBatchStart + nIndex);
    }
    return options.sOutput.empty() ? "scan." + sExt : options.sOutput;
}

int WantedTransferCount(const SScanOptions& options)
{
    if (options.nCount)
        return *options.nCount;
    if (options.bBatch)
        return options.nBatchCount.value_or(-1);
    return 1;
}

std::string UsageText()
{
    return "Usage: twainscan [OPTION]...\n"
           "Acquires images from a TWAIN data source through the TWAIN source manager.\n"
           "\n"
           "  -L, --list-devices         list the data sources and exit\n"
           "  -d, --device NAME          use the source with this product name (default: the manager's default)\n"
           "      --list-caps            list every capability of the source and exit\n"
           "      --mode Lineart|Gray|Color\n"
           "      --resolution DPI\n"
           "      --source Flatbed|ADF|\"ADF Duplex\"\n"
           "      --size A4|A5|A6|B5|Letter|Legal|A3\n"
           "  -l, -t MM                  left and top edge of the scan area in millimetres\n"
           "  -x, -y MM                  width and height of the scan area in millimetres\n"
           "      --xfer native|memory|file   transfer mechanism (default: the source's)\n"
           "      --ui                   show the source's own dialog\n"
           "      --no-callback          wait for the source through the message loop only\n"
           "      --no-window            give the source manager no window, as console programs do\n"
           "      --count N              pages to transfer (CAP_XFERCOUNT; -1 for all)\n"
           "      --cap ID=VALUE         set any capability (name or number) to a single value\n"
           "  -o, --output-file FILE     write the one page to FILE (default: scan.<format>)\n"
           "  -b, --batch[=PATTERN]      write every page, PATTERN with %d (default: out%d.<format>)\n"
           "      --batch-start N        number of the first page (default 1)\n"
           "      --batch-count N        at most N pages\n"
           "      --format bmp|png|tiff|jpeg   (default: from the file name, else bmp)\n"
           "  -p, --progress             report pages and bytes while scanning\n"
           "  -v, --verbose              print every TWAIN triplet with its return and condition codes\n"
           "  -n, --dont-scan            negotiate the settings only, do not scan\n"
           "      --timeout SECONDS      longest wait for the source (default 120)\n"
           "      --dsm PATH             the source manager library (default TWAINDSM.dll, from this\n"
           "                             program's folder or the system folder)\n"
           "  -h, --help\n"
           "\n"
           "Exit status: 0 done, 1 bad command line, 2 no source manager, 3 no source, 4 source refused to open,\n"
           "5 cancelled, 6 device error, 7 nothing to scan, 8 timed out, 9 output file error, 10 setting refused.\n";
}
