#include "tests/twainscan/RealInstall.h"

#include <fstream>
#include <sstream>

namespace fs = std::filesystem;

namespace {

std::string NarrowAscii(const std::wstring& s)
{
    return std::string(s.begin(), s.end());
}

// The A4 duplex model's profile under a product name that is this install's alone, so the
// tool finds exactly this copy among every source of the prefix.
std::string UniqueProfile(const std::string& sProduct)
{
    std::string sProfile = mvltest::DefaultProfile();
    const std::string sFrom = "=MV4200 Series\r\n";
    size_t nAt = sProfile.find(sFrom);
    if (nAt != std::string::npos)
        sProfile.replace(nAt, sFrom.size(), "=" + sProduct + "\r\n");
    return sProfile;
}

}  // namespace

CRealInstall::CRealInstall()
{
    m_iniPath = m_dir.Path() / L"mvlsim.ini";
    m_logPath = m_dir.Path() / L"mvlsim.log";
    // The tool runs in a child process: it inherits where the simulator reads and logs.
    m_pIniEnv = std::make_unique<mvltest::CScopedEnv>(L"MVLSIM_INI", m_iniPath.c_str());
    m_pLogEnv = std::make_unique<mvltest::CScopedEnv>(L"MVLSIM_LOG", m_logPath.c_str());
    std::wstring sTag = mvltest::UniqueName(L"e2e");
    std::string sProduct = "mvl " + NarrowAscii(sTag);
    mvltest::SSourceOptions options;
    options.sProfile = UniqueProfile(sProduct);
    m_pSrc = std::make_unique<mvltest::CTestSource>(options);
    // Installed, not loaded: the tool's source manager loads it in the tool's process.
    m_pSrc->Unload();
    m_sName = sProduct + " TWAIN";
    m_bInstalled = m_pSrc->CopyPrefixedLibraries() && fs::exists(m_pSrc->DsPath());
    SetSim("");
}

CRealInstall::~CRealInstall() = default;

bool CRealInstall::AddLanguageLibraries() const
{
    return m_pSrc->CopyPrefixedLanguageLibraries();
}

void CRealInstall::SetSim(const std::string& sDevice, const std::string& sFaults) const
{
    mvltest::WriteTextFile(m_iniPath, "[Device]\r\n" + sDevice + "\r\n[Faults]\r\n" + sFaults + "\r\n");
}

void CRealInstall::SetProfileKey(const wchar_t* pszKey, const wchar_t* pszValue) const
{
    WritePrivateProfileStringW(L"TWAIN", pszKey, pszValue, m_pSrc->ProfilePath().c_str());
}

std::vector<std::string> CRealInstall::SimLog() const
{
    std::vector<std::string> lines;
    std::ifstream in(m_logPath);
    for (std::string s; std::getline(in, s);)
        lines.push_back(s);
    return lines;
}

void CRealInstall::ClearSimLog() const
{
    std::error_code ec;
    fs::remove(m_logPath, ec);
}

std::vector<SSimScanParams> CRealInstall::DeviceParams() const
{
    std::vector<SSimScanParams> all;
    const std::string sKey = "CALL ScanDrv_SetScanParameter ";
    for (const std::string& s : SimLog()) {
        size_t n = s.find(sKey);
        if (n == std::string::npos)
            continue;
        std::istringstream in(s.substr(n + sKey.size()));
        SSimScanParams p;
        int nYDpi = 0;
        in >> p.nDpi >> nYDpi >> p.nMode >> p.area.nLeft >> p.area.nTop >> p.area.nRight >> p.area.nBottom >>
            p.nThreshold >> p.nSource;
        p.bFound = !in.fail();
        all.push_back(p);
    }
    return all;
}

std::vector<std::vector<std::uint8_t>> SimPage(const SSimScanParams& params, int nSheet, int nSide)
{
    SChartRequest req;
    req.nPage = nSheet;
    req.nSide = nSide;
    req.nDpi = params.nDpi;
    req.nMode = params.nMode;
    req.nThreshold = params.nThreshold;
    req.area = params.area;
    return CChartRenderer(req).RenderAll();
}
