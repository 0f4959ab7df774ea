#include "twain/DsAssistor.h"

#include <algorithm>
#include <cstring>
#include <cwchar>
#include <cwctype>
#include <vector>

#include "profile/ProductProfile.h"
#include "device/LLDGlobal.h"
#include "profile/Trace.h"
#include "transfer/AppLink.h"
#include "transfer/ScanJob.h"
#include "transfer/TransferFlags.h"
#include "twain/FakeScanner.h"
#include "twain/FakeUI.h"
#include "twain/ScanValues.h"
#include "ui/MainUIDialog.h"

CDsAssistor* g_pDsAssistor = nullptr;
BOOL g_bNoUI = FALSE;

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

namespace {

std::wstring SignMutexName()
{
    return L"Global\\" + ReadFilePrefix() + L"_sign";
}

}  // namespace

void CDsAssistor::InitDsIdentity()
{
    m_dsIdentity = TW_IDENTITY{};
    m_dsIdentity.Version.MajorNum = 1;
    m_dsIdentity.Version.MinorNum = 30;
    m_dsIdentity.Version.Language = TWLG_ENGLISH;
    m_dsIdentity.Version.Country = TWCY_USA;
    CopyToStr32(m_dsIdentity.Version.Info, " 1.030");
    // A TWAIN 2 source: the manager gives it its entry points, and applications register their
    // callback with it. The profile can restore the 1.8 identity for those that need it.
    const bool bTwain18 = IsProfileTrue(ReadProfileString(L"TWAIN", L"Twain18Identity"));
    m_dsIdentity.ProtocolMajor = bTwain18 ? 1 : 2;
    m_dsIdentity.ProtocolMinor = bTwain18 ? 8 : 1;
    m_dsIdentity.SupportedGroups = DG_CONTROL | DG_IMAGE | (bTwain18 ? 0 : DF_DS2);
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
    RecognizeHostApp();
    ReadOpenDsFlags();
    return TWRC_SUCCESS;
}

TW_UINT16 CDsAssistor::GetDsIdInfo(TW_IDENTITY* pIdentity)
{
    if (MarkOfficeIdentityHost())
        MarkOfficeScanEntry();
    std::memcpy(pIdentity, &m_dsIdentity, sizeof m_dsIdentity);
    TraceA("CDsAssistor::GetDsIdInfo: ProductName: %.33s", m_dsIdentity.ProductName);
    return TWRC_SUCCESS;
}

int CDsAssistor::CloseNotify(int nFlag)
{
    // The scanning dialog asks with 0 only when the user closed it.
    if (nFlag == 0)
        g_bUserClose = TRUE;
    return ::CloseNotify(nFlag, m_dsIdentity, m_appIdentity, g_bNoUI != FALSE);
}

int CDsAssistor::ScannerOp1(int, int, int)
{
    return 1;
}

int CDsAssistor::ScannerOp2(int a, int b, int c, int d)
{
    // The holder's operation 10 takes the first two arguments the other way round; it holds no
    // scanner, so the call fails and the next operation 3 is told.
    if (!m_pFakeScanner || m_pFakeScanner->Forward(10) != 0) {
        m_bScannerCallFailed = true;
        return 0;
    }
    return 1;
}

int CDsAssistor::ScannerOp3(int)
{
    // After a failed operation 2 a held scanner would be given 1 instead of the argument.
    m_bScannerCallFailed = false;
    return m_pFakeScanner ? m_pFakeScanner->Forward(12) : 1;
}

int CDsAssistor::ScannerOp4(int)
{
    // The application's window was disabled for the scanner's own dialog.
    if (m_hParent && ::IsWindow(m_hParent))
        ::EnableWindow(m_hParent, TRUE);
    return m_pFakeScanner ? m_pFakeScanner->Forward(12) : 1;
}

int CDsAssistor::ScannerOp5()
{
    return m_pFakeScanner ? m_pFakeScanner->Forward(14) : 1;
}

void CDsAssistor::MarkOfficeScanEntry()
{
    HKEY hKey = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, L"Software\\Microsoft\\Office\\11.0\\Common\\Scan", 0, KEY_ALL_ACCESS,
                      &hKey) != ERROR_SUCCESS)
        return;
    for (int i = 0; i < 32; ++i) {
        wchar_t szName[16];
        std::swprintf(szName, 16, L"DEVICE%d", i);
        // 512 bytes, one more character kept for a terminator the value may lack.
        wchar_t szValue[257] = L"";
        DWORD dwType = 0, cb = 512;
        LONG lRet = RegQueryValueExW(hKey, szName, nullptr, &dwType, reinterpret_cast<BYTE*>(szValue), &cb);
        if (lRet == ERROR_FILE_NOT_FOUND)
            break;
        if (lRet != ERROR_SUCCESS || (dwType != REG_SZ && dwType != REG_EXPAND_SZ))
            continue;
        szValue[std::min<DWORD>(cb / sizeof(wchar_t), 256)] = L'\0';
        if (m_sProductName != szValue)
            continue;
        std::swprintf(szName, 16, L"FLAGS%d", i);
        DWORD dwFlags = 15;
        RegSetValueExW(hKey, szName, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&dwFlags), sizeof dwFlags);
        break;
    }
    RegCloseKey(hKey);
}

void CDsAssistor::CreateSignMutex()
{
    std::wstring sName = SignMutexName();
    if (HANDLE hExisting = OpenMutexW(READ_CONTROL, FALSE, sName.c_str())) {
        TRACE_TEST("==== enableDS =====OpenMutex  :true ");
        CloseHandle(hExisting);
        return;
    }
    // A null access list: users of other sessions and services must be able to see it too.
    SECURITY_DESCRIPTOR sd;
    InitializeSecurityDescriptor(&sd, SECURITY_DESCRIPTOR_REVISION);
    SetSecurityDescriptorDacl(&sd, TRUE, nullptr, FALSE);
    SECURITY_ATTRIBUTES sa{sizeof sa, &sd, FALSE};
    HANDLE hMutex = CreateMutexW(&sa, FALSE, sName.c_str());
    if (!hMutex)
        return;
    if (m_hSignMutex)
        CloseHandle(m_hSignMutex);
    m_hSignMutex = hMutex;
}

void CDsAssistor::ReleaseSignMutex()
{
    if (m_hSignMutex) {
        CloseHandle(m_hSignMutex);
        m_hSignMutex = nullptr;
    }
}

TW_UINT16 CDsAssistor::EnableDS(const TW_USERINTERFACE* pUI)
{
    // Without an open session there is nothing to enable, and a mutex made now would lock the
    // source for every application until this process unloads it.
    if (m_dsState == 300)
        return TWRC_SUCCESS;
    CreateSignMutex();
    if (m_dsState != 400)
        return TWRC_SUCCESS;
    ArmCloseDsRequest();
    m_hParent = static_cast<HWND>(pUI->hParent);
    g_bNoUI = !pUI->ShowUI;
    if (!m_pFakeUI || m_pFakeUI->CreateDlg(this, m_hParent) != 0) {
        // The source stays disabled: so must the others' way in.
        ReleaseSignMutex();
        SetConditionCode(TWCC_LOWMEMORY);
        return TWRC_FAILURE;
    }
    if (pUI->ShowUI) {
        g_bNoUI = FALSE;
        m_pFakeUI->Show(SW_SHOWNORMAL);
        m_dsState = 500;
        return TWRC_SUCCESS;
    }
    g_bNoUI = TRUE;
    if (CMainUIDialog* pDialog = m_pFakeUI->Dialog()) {
        pDialog->StartScanWithoutUI();
        m_dsState = 600;
    }
    return TWRC_SUCCESS;
}

TW_UINT16 CDsAssistor::DisableDS()
{
    if (m_dsState != 500 && m_dsState != 600 && m_dsState != 700) {
        SetConditionCode(TWCC_SEQERROR);
        TraceA("out DisableDS");
        return TWRC_FAILURE;
    }
    CloseDeviceAtDisable();
    CMainUIDialog* pDialog = m_pFakeUI ? m_pFakeUI->Dialog() : nullptr;
    if (pDialog) {
        CScanJob::Current().SetBusy(false);
        // In file-output mode the calling program keeps working with the dialog after the disable.
        if (!g_bFileOutputMode)
            m_pFakeUI->DestroyDlg();
    }
    m_dsState = 400;
    ReleaseSignMutex();
    ResetTransferAtDisable();
    TraceA("out DisableDS");
    return TWRC_SUCCESS;
}

// The device is closed at most once per job, and only this job's disable may do it.
void CDsAssistor::CloseDeviceAtDisable()
{
    if (g_b_devmon_close)
        return;
    g_LLD.DevMon_AbortScan();
    g_LLD.DevMon_Close();
    g_b_devmon_close = true;
}

// The next transfer scans a new page; the last one is not offered again.
void CDsAssistor::ResetTransferAtDisable()
{
    g_bNeedScan = true;
    g_bScanStarted = false;
}
