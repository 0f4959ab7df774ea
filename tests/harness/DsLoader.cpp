#include "harness/DsLoader.h"

#include <shlobj.h>

#include <cstring>
#include <filesystem>
#include <functional>
#include <vector>

#include "harness/TestEnv.h"

namespace fs = std::filesystem;

namespace mvltest {

namespace {

void ReplaceAll(std::string& s, const std::string& from, const std::string& to)
{
    for (size_t pos = 0; (pos = s.find(from, pos)) != std::string::npos; pos += to.size())
        s.replace(pos, from.size(), to);
}

}  // namespace

std::string DefaultProfile()
{
    // The language section first: tests add keys of section TWAIN at the end.
    return "[English]\r\n"
           "AP UI Title=MV Scan to File\r\n"
           "Copyright=Copyright (C) 2026 Morvel Imaging\r\n"
           "Right=All rights reserved.\r\n"
           "[TWAIN]\r\n"
           "File Prefix=%PREFIX%\r\n"
           "Manufacturer=Morvel Imaging\r\n"
           "Registry=Software\\Morvel\\%PREFIX%\r\n"
           "Setting Folder=\\Morvel\\\r\n"
           "Setting Path=\\Morvel\\%PREFIX%\\\r\n"
           "Version=1.030\r\n"
           "Product Name(%MODEL%)=MV4200 Series\r\n"
           "IsPlatformK(%MODEL%)=TRUE\r\n"
           "HasADF(%MODEL%)=TRUE\r\n"
           "IsAutoduplex(%MODEL%)=TRUE\r\n"
           "HasAutoCrop(%MODEL%)=TRUE\r\n";
}

TW_IDENTITY MakeAppIdentity(TW_UINT32 nId, const char* pszProduct, TW_UINT16 wProtocolMinor)
{
    TW_IDENTITY id{};
    id.Id = nId;
    id.Version.MajorNum = 1;
    id.Version.Language = TWLG_ENGLISH;
    id.Version.Country = TWCY_USA;
    std::strncpy(id.Version.Info, "1.0", sizeof id.Version.Info - 1);
    id.ProtocolMajor = 2;
    id.ProtocolMinor = wProtocolMinor;
    id.SupportedGroups = DG_CONTROL | DG_IMAGE | DF_APP2;
    std::strncpy(id.Manufacturer, "mvl tests", sizeof id.Manufacturer - 1);
    std::strncpy(id.ProductFamily, "tests", sizeof id.ProductFamily - 1);
    std::strncpy(id.ProductName, pszProduct, sizeof id.ProductName - 1);
    return id;
}

CTestSource::CTestSource(SSourceOptions options)
{
    // A folder left by a source whose device library was still loaded at its end (or by an
    // interrupted run) may carry the name a reused process id gives: take the next one.
    std::wstring sTag;
    do
        sTag = UniqueName(L"t");
    while (options.sModel.empty() && fs::exists(TwainDir() + L"\\M" + sTag));
    m_sPrefix = options.sFileBase.empty() ? sTag : options.sFileBase;
    std::wstring sModel = options.sModel.empty() ? L"M" + sTag : options.sModel;
    m_sModelDir = TwainDir() + L"\\" + sModel;
    std::wstring sFile = options.sFileName.empty() ? m_sPrefix + L"TWAIN64.ds" : options.sFileName;
    m_sDsPath = m_sModelDir + L"\\" + sFile;
    m_sProfilePath = WindowsDir() + L"\\" + sFile.substr(0, sFile.size() > 5 ? sFile.size() - 5 : 0) + L".ini";

    fs::create_directories(m_sModelDir);
    fs::copy_file(InstalledDsPath(), m_sDsPath, fs::copy_options::overwrite_existing);
    if (options.bCopySiblings) {
        for (const auto& entry : fs::directory_iterator(InstalledModelDir())) {
            if (entry.path().extension() == L".dll")
                fs::copy_file(entry.path(), fs::path(m_sModelDir) / entry.path().filename(),
                              fs::copy_options::overwrite_existing);
        }
    }
    std::string sProfile = options.sProfile.empty() ? DefaultProfile() : options.sProfile;
    ReplaceAll(sProfile, "%PREFIX%", Narrow(m_sPrefix));
    ReplaceAll(sProfile, "%MODEL%", Narrow(sModel));
    WriteTextFile(m_sProfilePath, sProfile);

    m_hModule = LoadLibraryW(m_sDsPath.c_str());
    if (m_hModule)
        m_pfnEntry = reinterpret_cast<DSENTRYPROC>(GetProcAddress(m_hModule, "DS_Entry"));
    m_pTrace = std::make_unique<CTraceCapture>(m_hModule);
    m_appId = MakeAppIdentity(1);
    m_dsId = TW_IDENTITY{};
}

CTestSource::~CTestSource()
{
    Unload();
    std::error_code ec;
    fs::remove_all(m_sModelDir, ec);
    fs::remove_all(SettingsDir(), ec);
    fs::remove(m_sProfilePath, ec);
}

void CTestSource::Unload()
{
    m_pTrace.reset();
    if (m_hModule)
        FreeLibrary(m_hModule);
    m_hModule = nullptr;
    m_pfnEntry = nullptr;
}

bool CTestSource::CopyUnderPrefix(const std::function<std::wstring(const std::wstring&)>& target) const
{
    const fs::path dir(m_sModelDir);
    std::error_code ec;
    // The names first: the copies land in the folder being read.
    std::vector<std::pair<fs::path, std::wstring>> copies;
    for (const auto& entry : fs::directory_iterator(dir, ec))
        if (std::wstring sTarget = target(entry.path().filename().wstring()); !sTarget.empty())
            copies.emplace_back(entry.path(), sTarget);
    bool bOk = !copies.empty();
    for (const auto& [source, sTarget] : copies)
        bOk = fs::copy_file(source, dir / sTarget, fs::copy_options::overwrite_existing, ec) && bOk;
    return bOk;
}

bool CTestSource::CopyPrefixedLibraries() const
{
    return CopyUnderPrefix([this](const std::wstring& sName) {
        return sName == L"mvllld.dll"         ? m_sPrefix + L"lld.dll"
               : sName == L"mvlImgEffect.dll" ? m_sPrefix + L"ImgEffect.dll"
                                              : std::wstring();
    });
}

bool CTestSource::CopyPrefixedLanguageLibraries() const
{
    return CopyUnderPrefix([this](const std::wstring& sName) {
        return sName.rfind(L"mvltwrc", 0) == 0 ? m_sPrefix + sName.substr(3) : std::wstring();
    });
}

std::wstring CTestSource::SettingsDir() const
{
    wchar_t szAppData[MAX_PATH] = L"";
    if (FAILED(SHGetFolderPathW(nullptr, CSIDL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, szAppData)))
        return L"";
    return std::wstring(szAppData) + L"\\Morvel\\" + m_sPrefix + L"\\";
}

TW_UINT16 CTestSource::Call(TW_IDENTITY* pOrigin, TW_UINT32 DG, TW_UINT16 DAT, TW_UINT16 MSG, TW_MEMREF pData)
{
    return m_pfnEntry ? m_pfnEntry(pOrigin, DG, DAT, MSG, pData) : 0xFFFF;
}

TW_UINT16 CTestSource::Open()
{
    Control(DAT_IDENTITY, MSG_GET, &m_dsId);
    m_dsId.Id = 77;
    return Control(DAT_IDENTITY, MSG_OPENDS, &m_dsId);
}

TW_UINT16 CTestSource::Close()
{
    return Control(DAT_IDENTITY, MSG_CLOSEDS, &m_dsId);
}

TW_UINT16 CTestSource::Status()
{
    TW_STATUS status{0xFFFF, 0xFFFF};
    return Control(DAT_STATUS, MSG_GET, &status) == TWRC_SUCCESS ? status.ConditionCode : 0xFFFF;
}

}  // namespace mvltest
