// The command line, parsed without touching Windows so that it can be tested anywhere.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

enum class EXferMech { Default, Native, Memory, File };
enum class EImageFormat { Bmp, Png, Tiff, Jpeg };

struct SCapSetting {
    std::uint16_t wCap = 0;
    std::string sValue;
};

struct SScanOptions {
    bool bHelp = false;
    bool bList = false;
    bool bListCaps = false;
    bool bVerbose = false;
    bool bProgress = false;
    bool bNegotiateOnly = false;
    bool bShowUi = false;
    bool bNoCallback = false;  // wait through MSG_PROCESSEVENT only, as TWAIN 1 applications do
    bool bNoWindow = false;    // give the manager no window, as console programs do
    std::string sDevice;  // ProductName; empty for the manager's default
    std::string sManager;  // the source manager library; empty for TWAINDSM.dll
    std::optional<std::uint16_t> wPixelType;  // TWPT_
    std::optional<int> nResolution;
    std::optional<int> nSource;  // 0 flatbed, 1 feeder, 2 feeder with duplex
    std::optional<std::uint16_t> wSize;  // TWSS_
    std::optional<double> dLeft, dTop, dWidth, dHeight;  // millimetres
    EXferMech xfer = EXferMech::Default;
    std::optional<int> nCount;
    std::vector<SCapSetting> caps;
    std::string sOutput;
    bool bBatch = false;
    std::string sBatchPattern;
    int nBatchStart = 1;
    std::optional<int> nBatchCount;
    std::optional<EImageFormat> format;
    int nTimeoutSeconds = 120;

    bool HasGeometry() const { return dLeft || dTop || dWidth || dHeight; }
};

struct SParseResult {
    bool bOk = false;
    std::string sError;
    SScanOptions options;
};

// args excludes the program name.
SParseResult ParseOptions(const std::vector<std::string>& args);
std::string UsageText();

// The format given by --format, else by the output name's extension, else BMP.
EImageFormat EffectiveFormat(const SScanOptions& options);
const char* FormatExtension(EImageFormat format);
// The file for page nIndex (0-based) of this run.
std::string OutputName(const SScanOptions& options, int nIndex);
// The pattern with its one %d (or %0Nd) replaced by nNumber; "%%" stands for "%".
std::string FormatBatchName(const std::string& sPattern, int nNumber);
// Exactly one integer conversion and nothing else that printf would read.
bool IsValidBatchPattern(const std::string& sPattern);
// The value of CAP_XFERCOUNT this run asks for.
int WantedTransferCount(const SScanOptions& options);
