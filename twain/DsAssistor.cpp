#include "twain/DsAssistor.h"

#include <algorithm>
#include <cstring>
#include <cwctype>
#include <vector>

#include "profile/ProductProfile.h"
#include "profile/Trace.h"
#include "twain/FakeScanner.h"

CDsAssistor* g_pDsAssistor = nullptr;

IMPLEMENT_DYNCREATE(CDsAssistor)

namespace {

// Profile values are wide; TW_STR32 fields hold the narrow code page, cut to fit.
void CopyToStr32(TW_STR32& dest, const std::wstring& s)
{
    std::memset(dest, 0, sizeof dest);
    if (s.empty())
        return;
    std::vector<char> buf(s.size() * 4 + 1);
    int n = WideCharToMultiByte(CP_ACP, 0, s.c_str(), static_cast<int>(s.size()), buf.data(),
                                static_cast<int>(buf.size()), nullptr, nullptr);
    std::memcpy(dest, buf.data(), std::min<size_t>(std::max(n, 0), sizeof dest - 1));
}

void CopyToStr32(TW_STR32& dest, const char* psz)
{
    std::memset(dest, 0, sizeof dest);
    std::strncpy(dest, psz, sizeof dest - 1);
}

}  // namespace

std::wstring HostExeNameUpper()
{
    std::vector<wchar_t> buf(MAX_PATH + 1);
    DWORD n = GetModuleFileNameW(nullptr, buf.data(), static_cast<DWORD>(buf.size()));
    std::wstring sPath(buf.data(), std::min<DWORD>(n, static_cast<DWORD>(buf.size())));
    std::transform(sPath.begin(), sPath.end(), sPath.begin(), [](wchar_t c) { return std::towupper(c); });
    size_t nSlash = sPath.find_last_of(L'\\');
    return nSlash == std::wstring::npos ? sPath : sPath.substr(nSlash + 1);
}

CDsAssistor::CDsAssistor()
{
    InitDsIdentity();
}

CDsAssistor::~CDsAssistor()
{
    if (m_hSignMutex)
        CloseHandle(m_hSignMutex);
    if (g_pDsAssistor == this)
        g_pDsAssistor = nullptr;
}

void CDsAssistor::InitDsIdentity()
{
    m_dsIdentity = TW_IDENTITY{};
    m_dsIdentity.Version.MajorNum = 1;
    m_dsIdentity.Version.MinorNum = 30;
    m_dsIdentity.Version.Language = TWLG_ENGLISH;
    m_dsIdentity.Version.Country = TWCY_USA;
    CopyToStr32(m_dsIdentity.Version.Info, " 1.030");
    m_dsIdentity.ProtocolMajor = 1;
    m_dsIdentity.ProtocolMinor = 8;
    m_dsIdentity.SupportedGroups = DG_CONTROL | DG_IMAGE;
    CopyToStr32(m_dsIdentity.Manufacturer, ReadProfileString(L"TWAIN", L"Manufacturer"));
    CopyToStr32(m_dsIdentity.ProductFamily, "TWAIN");
    // The office scanning component lists sources by product name and must not see this one.
    if (HostExeNameUpper() == L"MSPSCAN.EXE")
        m_sProductName.clear();
    else
        m_sProductName = ReadModelKey(L"Product Name") + L" TWAIN";
    CopyToStr32(m_dsIdentity.ProductName, m_sProductName);
    ReadFilePrefix();
}

void CDsAssistor::SetHolders(CFakeUI* pFakeUI, CFakeScanner* pFakeScanner)
{
    m_pFakeUI = pFakeUI;
    m_pFakeScanner = pFakeScanner;
}

TW_UINT16 CDsAssistor::ConnectApp(const TW_IDENTITY* pOrigin, const TW_IDENTITY* pDsIdentity)
{
    if (m_appIdentity.Id != 0) {
        SetConditionCode(TWCC_MAXCONNECTIONS);
        return TWRC_FAILURE;
    }
    std::memcpy(&m_appIdentity, pOrigin, sizeof m_appIdentity);
    std::memcpy(&m_dsIdentity, pDsIdentity, sizeof m_dsIdentity);
    // Identities come from outside: never trust their strings to be terminated.
    TraceA("CDsAssistor::ConnectApp: AP -- ProductName:%.33s, ProtocolMajor:%d,ProtocolMinor:%d",
           m_appIdentity.ProductName, m_appIdentity.ProtocolMajor, m_appIdentity.ProtocolMinor);
    TraceA("CDsAssistor::ConnectApp: DS -- ProductName:%.33s, ProtocolMajor:%d,ProtocolMinor:%d",
           m_dsIdentity.ProductName, m_dsIdentity.ProtocolMajor, m_dsIdentity.ProtocolMinor);
    ReadOpenDsFlags();
    return TWRC_SUCCESS;
}

TW_UINT16 CDsAssistor::GetDsIdInfo(TW_IDENTITY* pIdentity)
{
    std::memcpy(pIdentity, &m_dsIdentity, sizeof m_dsIdentity);
    TraceA("CDsAssistor::GetDsIdInfo: ProductName: %.33s", m_dsIdentity.ProductName);
    return TWRC_SUCCESS;
}

int CDsAssistor::CloseNotify(int nFlag)
{
    return 0;
}

int CDsAssistor::ScannerOp1(int, int, int)
{
    return 1;
}

int CDsAssistor::ScannerOp2(int a, int b, int c, int d)
{
    return m_pFakeScanner && m_pFakeScanner->Forward(10) == 0 ? 1 : 0;
}

int CDsAssistor::ScannerOp3(int)
{
    return m_pFakeScanner ? m_pFakeScanner->Forward(12) : 1;
}

int CDsAssistor::ScannerOp4(int)
{
    return m_pFakeScanner ? m_pFakeScanner->Forward(12) : 1;
}

int CDsAssistor::ScannerOp5()
{
    return m_pFakeScanner ? m_pFakeScanner->Forward(14) : 1;
}
