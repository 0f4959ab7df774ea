#include "AcquisitionFixture.h"

#include <cstdio>
#include <algorithm>
#include <cstring>

#include <gtest/gtest.h>

#include "settings/ScanSettingsStore.h"
#include "settings/SettingsProfile.h"
#include <fstream>
#include <sstream>

namespace fs = std::filesystem;

namespace xfertest {

CXferDsm& CXferDsm::Instance()
{
    static CXferDsm s_dsm;
    return s_dsm;
}

CXferDsm::CXferDsm()
{
    wchar_t szExe[MAX_PATH] = L"";
    GetModuleFileNameW(nullptr, szExe, MAX_PATH);
    fs::path target = m_dir.Path() / L"TWAINDSM.dll";
    std::error_code ec;
    fs::copy_file(fs::path(szExe).parent_path() / L"mvlxferdsm.dll", target, ec);
    m_hDll = LoadLibraryW(target.c_str());
    if (!m_hDll)
        return;
    m_pfnCalls = reinterpret_cast<long (*)(int)>(reinterpret_cast<void*>(GetProcAddress(m_hDll, "XferDsm_Calls")));
    m_pfnReset = reinterpret_cast<void (*)()>(reinterpret_cast<void*>(GetProcAddress(m_hDll, "XferDsm_Reset")));
}

CAcquisition::CAcquisition(const std::string& sSimDevice, const std::string& sSimFaults, const std::string& sProfileExtra)
{
    CXferDsm::Instance().Reset();
    m_nSpoolsBefore = SpoolFileCount();
    fs::path ini = m_dir.Path() / L"mvlsim.ini";
    m_logPath = m_dir.Path() / L"mvlsim.log";
    mvltest::WriteTextFile(ini, "[Device]\r\n" + sSimDevice + "\r\n[Faults]\r\n" + sSimFaults + "\r\n");
    m_pIni = std::make_unique<mvltest::CScopedEnv>(L"MVLSIM_INI", ini.c_str());
    m_pLog = std::make_unique<mvltest::CScopedEnv>(L"MVLSIM_LOG", m_logPath.c_str());
    mvltest::SSourceOptions options;
    options.sProfile = mvltest::DefaultProfile() + sProfileExtra;
    m_pSrc = std::make_unique<mvltest::CTestSource>(options);
    m_pSrc->CopyPrefixedLibraries();
}

bool CAcquisition::WithLanguageLibraries() const
{
    return m_pSrc->CopyPrefixedLanguageLibraries();
}

CAcquisition::~CAcquisition()
{
    // A failed test shows what the source and the scanner said.
    if (::testing::Test::HasFailure() && m_pSrc && m_pSrc->Loaded()) {
        for (const std::string& s : m_pSrc->Trace().Lines())
            std::printf("  trace: %s\n", s.c_str());
        for (const std::string& s : SimLog())
            std::printf("  sim: %s\n", s.c_str());
    }
    m_pSrc.reset();
    Pump();
    // Whatever the test did, the source leaves no spool file behind once it is gone.
    EXPECT_LE(SpoolFileCount(), m_nSpoolsBefore) << "a temporary \"Mor\" file was left";
}

namespace {

bool SetOneValue(mvltest::CTestSource& src, TW_UINT16 wCap, TW_UINT16 wType, const void* pItem, size_t nItem)
{
    HGLOBAL h = GlobalAlloc(GHND, sizeof(TW_ONEVALUE) + 8);
    if (!h)
        return false;
    auto* p = static_cast<TW_ONEVALUE*>(GlobalLock(h));
    p->ItemType = wType;
    std::memcpy(&p->Item, pItem, nItem);
    GlobalUnlock(h);
    TW_CAPABILITY cap{wCap, TWON_ONEVALUE, h};
    TW_UINT16 rc = src.Control(DAT_CAPABILITY, MSG_SET, &cap);
    GlobalFree(h);
    return rc == TWRC_SUCCESS;
}

}  // namespace

bool CAcquisition::SetU16(TW_UINT16 wCap, TW_UINT16 wValue)
{
    TW_UINT32 v = wValue;
    const bool bBool = wCap == CAP_FEEDERENABLED || wCap == CAP_DUPLEXENABLED || wCap == CAP_NO_SCAN_PARAM_ADJ_FLAG;
    return SetOneValue(*m_pSrc, wCap, bBool ? TWTY_BOOL : TWTY_UINT16,
                       &v, sizeof v);
}

bool CAcquisition::SetFix(TW_UINT16 wCap, double dValue)
{
    TW_INT32 n = static_cast<TW_INT32>(dValue * 65536.0 + 0.5);
    TW_FIX32 fix{static_cast<TW_INT16>(n >> 16), static_cast<TW_UINT16>(n & 0xFFFF)};
    return SetOneValue(*m_pSrc, wCap, TWTY_FIX32, &fix, sizeof fix);
}

bool CAcquisition::Configure(int nPixelType, int nDpi, int nTwainSize, int nSource)
{
    bool bOk = SetU16(ICAP_PIXELTYPE, static_cast<TW_UINT16>(nPixelType));
    bOk = SetFix(ICAP_XRESOLUTION, nDpi) && bOk;
    bOk = SetFix(ICAP_YRESOLUTION, nDpi) && bOk;
    bOk = SetU16(ICAP_SUPPORTEDSIZES, static_cast<TW_UINT16>(nTwainSize)) && bOk;
    bOk = SetU16(CAP_FEEDERENABLED, nSource != 0) && bOk;
    if (nSource != 0)
        bOk = SetU16(CAP_DUPLEXENABLED, nSource == 2) && bOk;
    return bOk;
}

TW_UINT16 CAcquisition::Enable()
{
    TW_USERINTERFACE ui{};
    ui.ShowUI = FALSE;
    ui.ModalUI = FALSE;
    ui.hParent = nullptr;
    TW_UINT16 rc = m_pSrc->Control(DAT_USERINTERFACE, MSG_ENABLEDS, &ui);
    Pump();
    return rc;
}

bool CAcquisition::StoreSetting(const SScanParamRecord& rec, const std::wstring& sName)
{
    return StoreCurrentSetting(m_pSrc->SettingsDir() + L"settings.dat", rec, sName);
}

TW_UINT16 CAcquisition::ScanFromDialog()
{
    TW_USERINTERFACE ui{};
    ui.ShowUI = TRUE;
    TW_UINT16 rc = m_pSrc->Control(DAT_USERINTERFACE, MSG_ENABLEDS, &ui);
    Pump();
    HWND hDlg = FindWindowW(L"Q7100UIFLAG", nullptr);
    if (rc != TWRC_SUCCESS || !hDlg)
        return TWRC_FAILURE;
    constexpr int kScanButton = 20006;
    SendMessageW(hDlg, WM_COMMAND, MAKEWPARAM(kScanButton, BN_CLICKED), 0);
    Pump();
    return rc;
}

TW_UINT16 CAcquisition::Disable()
{
    TW_USERINTERFACE ui{};
    TW_UINT16 rc = m_pSrc->Control(DAT_USERINTERFACE, MSG_DISABLEDS, &ui);
    Pump();
    return rc;
}

void CAcquisition::Pump()
{
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

std::vector<std::string> CAcquisition::SimLog() const
{
    std::vector<std::string> lines;
    std::ifstream in(m_logPath);
    for (std::string s; std::getline(in, s);)
        lines.push_back(s);
    return lines;
}

int CAcquisition::SimCount(const std::string& sFragment) const
{
    int n = 0;
    for (const std::string& s : SimLog())
        n += s.find(sFragment) != std::string::npos;
    return n;
}

SDeviceParams CAcquisition::LastDeviceParams() const
{
    SDeviceParams p;
    const std::string sKey = "CALL ScanDrv_SetScanParameter ";
    for (const std::string& s : SimLog()) {
        size_t n = s.find(sKey);
        if (n == std::string::npos)
            continue;
        std::istringstream in(s.substr(n + sKey.size()));
        int nY = 0;
        in >> p.nDpi >> nY >> p.nMode >> p.area.nLeft >> p.area.nTop >> p.area.nRight >> p.area.nBottom >>
            p.nThreshold >> p.nSource;
        p.bFound = !in.fail();
    }
    return p;
}

namespace {

uint32_t Get32(const uint8_t* p) { return p[0] | p[1] << 8 | p[2] << 16 | uint32_t(p[3]) << 24; }

}  // namespace

CRows NativeRows(CAcquisition& acq, TW_UINT16* pRc)
{
    TW_HANDLE hDib = nullptr;
    *pRc = acq.Src().Call(DG_IMAGE, DAT_IMAGENATIVEXFER, MSG_GET, &hDib);
    CRows rows;
    if (*pRc != TWRC_XFERDONE || !hDib)
        return rows;
    const auto* p = static_cast<const uint8_t*>(GlobalLock(hDib));
    const uint32_t nWidth = Get32(p + 4), nHeight = Get32(p + 8), nBits = p[14];
    const uint32_t nColours = Get32(p + 32) ? Get32(p + 32) : (nBits <= 8 ? 1u << nBits : 0);
    const uint32_t nRowBytes = (nWidth * nBits + 7) / 8, nStride = (nRowBytes + 3) / 4 * 4;
    const uint8_t* pPixels = p + 40 + 4 * nColours;
    for (uint32_t y = 0; y < nHeight; ++y) {
        const uint8_t* pRow = pPixels + size_t(nHeight - 1 - y) * nStride;
        std::vector<uint8_t> row(pRow, pRow + nRowBytes);
        if (nBits == 24)
            for (uint32_t x = 0; x < nRowBytes; x += 3)
                std::swap(row[x], row[x + 2]);
        rows.push_back(std::move(row));
    }
    GlobalUnlock(hDib);
    GlobalFree(hDib);
    return rows;
}

std::vector<std::vector<uint8_t>> ExpectedPage(const SDeviceParams& p, int nPage, int nSide)
{
    SChartRequest req;
    req.nPage = nPage;
    req.nSide = nSide;
    req.nDpi = p.nDpi;
    req.nMode = p.nMode;
    req.nThreshold = p.nThreshold;
    req.area = p.area;
    return CChartRenderer(req).RenderAll();
}

namespace {

// The profile version of the tests' sources: a file made under another would be discarded.
std::wstring TestProfileValue(const wchar_t* pszKey)
{
    return std::wstring(pszKey) == L"Version" ? L"1.030" : L"";
}

}  // namespace

bool StoreCurrentSetting(const std::wstring& sFile, const SScanParamRecord& rec, const std::wstring& sName)
{
    SetTwainProfileReader(&TestProfileValue);
    std::error_code ec;
    fs::create_directories(fs::path(sFile).parent_path(), ec);
    const ScanParamBytes bytes = ScanParamToBytes(rec);
    ScanParamBlob blob{};
    std::copy(bytes.begin(), bytes.end(), blob.begin());
    CScanSettingsStore store(sFile);
    const bool bOk = store.PrepareFile() && store.WriteCurrent(sName, blob);
    SetTwainProfileReader(nullptr);
    return bOk;
}

SScanParamRecord TestRecord(int nSource, int nColourMode, int nResolutionIndex, int nPaperIndex)
{
    SProductFlags flags;
    flags.bIsPlatformK = true;
    SScanParamRecord rec = DefaultScanParam(flags);
    rec.nSource = nSource;
    rec.nColourMode = nColourMode;
    rec.nResolutionIndex = nResolutionIndex;
    rec.nPaperIndex = nPaperIndex;
    return rec;
}

size_t SpoolFileCount()
{
    wchar_t szTemp[MAX_PATH + 1] = L"";
    GetTempPathW(MAX_PATH, szTemp);
    size_t n = 0;
    std::error_code ec;
    for (const auto& e : fs::directory_iterator(szTemp, ec)) {
        std::wstring name = e.path().filename().wstring();
        if (name.size() >= 7 && _wcsnicmp(name.c_str(), L"Mor", 3) == 0 && name.ends_with(L".tmp"))
            ++n;
    }
    return n;
}

}  // namespace xfertest
