// A small TWAIN data source for testing applications and the source manager without a device:
// capabilities as ONEVALUE, ENUMERATION, RANGE and ARRAY, enable without a dialog that posts
// MSG_XFERREADY through the manager, image info and layout, native, memory and file transfer of
// a generated page, pending transfers, and one fault per failure an application must handle.
// Configured by fake.ini beside the library ([fake] Name, Fault, Notify, Pages, Log, DS2) and
// logging every triplet to the file named by Log.
#include <windows.h>

#include <algorithm>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "tests/twainscan/FakePage.h"
#include "twain/TwainTypes.h"

namespace {

HINSTANCE g_hInstance = nullptr;

struct SConfig {
    std::string sName = "mvl fake scanner";
    std::string sFault;
    std::string sNotify = "posted";
    std::wstring sLog;
    int nPages = 3;
    bool bDs2 = false;
};

std::wstring ModuleDir()
{
    wchar_t sz[MAX_PATH] = L"";
    GetModuleFileNameW(g_hInstance, sz, MAX_PATH);
    std::wstring s = sz;
    return s.substr(0, s.find_last_of(L'\\'));
}

std::string IniString(const std::wstring& sIni, const wchar_t* pszKey, const char* pszDefault)
{
    wchar_t sz[512] = L"";
    GetPrivateProfileStringW(L"fake", pszKey, L"\x01", sz, 512, sIni.c_str());
    if (wcscmp(sz, L"\x01") == 0)
        return pszDefault;
    char szA[512] = "";
    WideCharToMultiByte(CP_UTF8, 0, sz, -1, szA, sizeof(szA), nullptr, nullptr);
    return szA;
}

SConfig ReadConfig()
{
    SConfig config;
    std::wstring sIni = ModuleDir() + L"\\fake.ini";
    config.sName = IniString(sIni, L"Name", config.sName.c_str());
    config.sFault = IniString(sIni, L"Fault", "");
    config.sNotify = IniString(sIni, L"Notify", "posted");
    config.nPages = GetPrivateProfileIntW(L"fake", L"Pages", 3, sIni.c_str());
    config.bDs2 = GetPrivateProfileIntW(L"fake", L"DS2", 0, sIni.c_str()) != 0;
    wchar_t szLog[MAX_PATH] = L"";
    GetPrivateProfileStringW(L"fake", L"Log", L"", szLog, MAX_PATH, sIni.c_str());
    config.sLog = szLog;
    return config;
}

void Log(const SConfig& config, const char* pszFormat, ...)
{
    if (config.sLog.empty())
        return;
    char sz[512];
    va_list args;
    va_start(args, pszFormat);
    vsnprintf(sz, sizeof(sz), pszFormat, args);
    va_end(args);
    FILE* pFile = _wfopen(config.sLog.c_str(), L"ab");
    if (!pFile)
        return;
    fprintf(pFile, "%s\n", sz);
    fclose(pFile);
}

struct SCap {
    TW_UINT16 wId;
    TW_UINT16 wType;
    TW_UINT16 wCon;
    std::vector<TW_UINT32> allowed;  // ENUMERATION and ARRAY items; RANGE min, max, step
    TW_UINT32 nCurrent;
    TW_UINT32 nDefault;
    bool bReadOnly;
};

TW_UINT32 Fix(double d)
{
    TW_FIX32 fix;
    long n = std::lround(d * 65536.0);
    fix.Whole = static_cast<TW_INT16>(n >> 16);
    fix.Frac = static_cast<TW_UINT16>(n & 0xFFFF);
    TW_UINT32 nRaw;
    std::memcpy(&nRaw, &fix, 4);
    return nRaw;
}

double Unfix(TW_UINT32 nRaw)
{
    TW_FIX32 fix;
    std::memcpy(&fix, &nRaw, 4);
    return fix.Whole + fix.Frac / 65536.0;
}

size_t ItemSize(TW_UINT16 wType)
{
    switch (wType) {
    case TWTY_INT8:
    case TWTY_UINT8:
        return 1;
    case TWTY_INT16:
    case TWTY_UINT16:
    case TWTY_BOOL:
        return 2;
    default:
        return 4;
    }
}

struct SPaper {
    TW_UINT16 wCode;
    double dWidth, dHeight;  // inches
};
const SPaper g_papers[] = {{TWSS_NONE, 4.0, 3.0},      {TWSS_A4, 8.27, 11.69}, {TWSS_A5, 5.83, 8.27},
                           {TWSS_A6, 4.13, 5.83},      {TWSS_JISB5, 7.17, 10.12}, {TWSS_USLETTER, 8.5, 11.0},
                           {TWSS_USLEGAL, 8.5, 14.0}};

class CFakeSource {
public:
    TW_UINT16 Entry(TW_IDENTITY* pOrigin, TW_UINT32 DG, TW_UINT16 DAT, TW_UINT16 MSG, TW_MEMREF pData);
    void SendPending();

private:
    TW_UINT16 Fail(TW_UINT16 wCondition)
    {
        m_wCondition = wCondition;
        return TWRC_FAILURE;
    }
    void ResetCaps();
    SCap* FindCap(TW_UINT16 wId);
    TW_UINT16 Identity(TW_IDENTITY* pOrigin, TW_UINT16 MSG, TW_IDENTITY* pId);
    TW_UINT16 Capability(TW_UINT16 MSG, TW_CAPABILITY* pCap);
    TW_UINT16 ReplyCap(const SCap& cap, TW_UINT16 MSG, TW_CAPABILITY* pCap);
    TW_UINT16 SetCap(SCap& cap, TW_CAPABILITY* pCap);
    TW_UINT16 UserInterface(TW_UINT16 MSG, TW_USERINTERFACE* pUi);
    TW_UINT16 Pending(TW_UINT16 MSG, TW_PENDINGXFERS* pPending);
    TW_UINT16 Layout(TW_UINT16 MSG, TW_IMAGELAYOUT* pLayout);
    TW_UINT16 ImageInfo(TW_IMAGEINFO* pInfo);
    TW_UINT16 Transfer(TW_UINT16 DAT, TW_MEMREF pData);
    TW_UINT16 MemoryStrip(TW_IMAGEMEMXFER* pXfer);
    TW_UINT16 SetupFile(TW_UINT16 MSG, TW_SETUPFILEXFER* pSetup);
    void Notify(TW_UINT16 MSG);
    CFakePage MakePage() const;
    double UnitsPerInch() const { return FindCapConst(ICAP_UNITS) == TWUN_CENTIMETERS ? 2.54 : 1.0; }
    TW_UINT32 FindCapConst(TW_UINT16 wId) const;

    SConfig m_config;
    int m_nState = 3;
    TW_IDENTITY m_self{};
    TW_IDENTITY m_app{};
    TW_UINT16 m_wCondition = TWCC_SUCCESS;
    std::vector<SCap> m_caps;
    TW_FRAME m_frame{};
    double m_dLeft = 0, m_dTop = 0, m_dWidth = 4.0, m_dHeight = 3.0;
    int m_nPagesLeft = 0;
    int m_nPageNo = 0;
    bool m_bFaultDone = false;
    size_t m_nMemOffset = 0;
    CFakePage m_page;
    std::string m_sFile = "";
    TW_UINT16 m_wFileFormat = TWFF_BMP;
    DSMENTRYPROC m_pfnDsm = nullptr;
    HWND m_hWnd = nullptr;
    TW_UINT16 m_wToSend = MSG_NULL;
};

CFakeSource g_source;

TW_UINT32 CFakeSource::FindCapConst(TW_UINT16 wId) const
{
    for (const SCap& cap : m_caps)
        if (cap.wId == wId)
            return cap.nCurrent;
    return 0;
}

SCap* CFakeSource::FindCap(TW_UINT16 wId)
{
    for (SCap& cap : m_caps)
        if (cap.wId == wId)
            return &cap;
    return nullptr;
}

void CFakeSource::ResetCaps()
{
    bool bLoaded = m_config.sFault != "nopaper";
    std::vector<TW_UINT32> resolutions;
    for (int n : {50, 75, 100, 150, 200, 300})
        resolutions.push_back(Fix(n));
    std::vector<TW_UINT32> sizes;
    for (const SPaper& paper : g_papers)
        sizes.push_back(paper.wCode);
    m_caps = {
        {CAP_XFERCOUNT, TWTY_INT16, TWON_ONEVALUE, {}, 0xFFFF, 0xFFFF, false},
        {ICAP_PIXELTYPE, TWTY_UINT16, TWON_ENUMERATION, {TWPT_BW, TWPT_GRAY, TWPT_RGB}, TWPT_RGB, TWPT_RGB, false},
        {ICAP_XRESOLUTION, TWTY_FIX32, TWON_ENUMERATION, resolutions, Fix(100), Fix(100), false},
        {ICAP_YRESOLUTION, TWTY_FIX32, TWON_ENUMERATION, resolutions, Fix(100), Fix(100), false},
        {ICAP_UNITS, TWTY_UINT16, TWON_ENUMERATION, {TWUN_INCHES, TWUN_CENTIMETERS}, TWUN_INCHES, TWUN_INCHES, false},
        {ICAP_XFERMECH, TWTY_UINT16, TWON_ENUMERATION, {TWSX_NATIVE, TWSX_FILE, TWSX_MEMORY}, 0, 0, false},
        {ICAP_COMPRESSION, TWTY_UINT16, TWON_ENUMERATION, {TWCP_NONE}, TWCP_NONE, TWCP_NONE, false},
        {ICAP_IMAGEFILEFORMAT, TWTY_UINT16, TWON_ENUMERATION, {TWFF_BMP}, TWFF_BMP, TWFF_BMP, false},
        {ICAP_SUPPORTEDSIZES, TWTY_UINT16, TWON_ENUMERATION, sizes, TWSS_NONE, TWSS_NONE, false},
        {ICAP_BRIGHTNESS, TWTY_FIX32, TWON_RANGE, {Fix(-1000), Fix(1000), Fix(1)}, Fix(0), Fix(0), false},
        {CAP_FEEDERENABLED, TWTY_BOOL, TWON_ONEVALUE, {}, 0, 0, false},
        {CAP_DUPLEXENABLED, TWTY_BOOL, TWON_ONEVALUE, {}, 0, 0, false},
        {CAP_FEEDERLOADED, TWTY_BOOL, TWON_ONEVALUE, {}, bLoaded, bLoaded, true},
        {CAP_INDICATORS, TWTY_BOOL, TWON_ONEVALUE, {}, 1, 1, false},
        {CAP_UICONTROLLABLE, TWTY_BOOL, TWON_ONEVALUE, {}, 1, 1, true},
        {CAP_AUTHOR, TWTY_STR128, TWON_ONEVALUE, {}, 0, 0, true},
        {CAP_SUPPORTEDCAPS, TWTY_UINT16, TWON_ARRAY, {}, 0, 0, true},
    };
    for (const SCap& cap : m_caps)
        m_caps.back().allowed.push_back(cap.wId);
    m_dLeft = m_dTop = 0;
    m_dWidth = 4.0;
    m_dHeight = 3.0;
}


TW_UINT16 CFakeSource::Entry(TW_IDENTITY* pOrigin, TW_UINT32 DG, TW_UINT16 DAT, TW_UINT16 MSG, TW_MEMREF pData)
{
    // Closed, the source follows its settings file as the test changes it.
    if (m_nState == 3)
        m_config = ReadConfig();
    if (m_nState == 3 && !(DAT == DAT_IDENTITY || DAT == DAT_STATUS || DAT == DAT_ENTRYPOINT))
        return Fail(TWCC_SEQERROR);
    Log(m_config, "triplet dg=%u dat=0x%04x msg=0x%04x origin=%s originId=%u originPtr=%p state=%d", DG, DAT, MSG,
        pOrigin ? pOrigin->ProductName : "(null)", pOrigin ? pOrigin->Id : 0u, static_cast<void*>(pOrigin), m_nState);
    if (m_nState > 3 && (!pOrigin || pOrigin->Id != m_app.Id))
        return Fail(TWCC_BADPROTOCOL);
    if (DAT == DAT_STATUS) {
        if (!pData)
            return TWRC_FAILURE;
        *static_cast<TW_STATUS*>(pData) = TW_STATUS{m_wCondition, 0};
        m_wCondition = TWCC_SUCCESS;
        return TWRC_SUCCESS;
    }
    // A file transfer has no data: the file was named by DAT_SETUPFILEXFER.
    if (!pData && DAT != DAT_NULL && DAT != DAT_IMAGEFILEXFER)
        return Fail(TWCC_BADVALUE);
    switch (DAT) {
    case DAT_ENTRYPOINT:
        m_pfnDsm = static_cast<TW_ENTRYPOINT*>(pData)->DSM_Entry;
        Log(m_config, "entrypoint set");
        return TWRC_SUCCESS;
    case DAT_IDENTITY:
        return Identity(pOrigin, MSG, static_cast<TW_IDENTITY*>(pData));
    case DAT_CAPABILITY:
        return Capability(MSG, static_cast<TW_CAPABILITY*>(pData));
    case DAT_USERINTERFACE:
        return UserInterface(MSG, static_cast<TW_USERINTERFACE*>(pData));
    case DAT_EVENT:
        static_cast<TW_EVENT*>(pData)->TWMessage = MSG_NULL;
        return TWRC_NOTDSEVENT;
    case DAT_PENDINGXFERS:
        return Pending(MSG, static_cast<TW_PENDINGXFERS*>(pData));
    case DAT_IMAGELAYOUT:
        return Layout(MSG, static_cast<TW_IMAGELAYOUT*>(pData));
    case DAT_IMAGEINFO:
        return ImageInfo(static_cast<TW_IMAGEINFO*>(pData));
    case DAT_SETUPMEMXFER: {
        size_t nRow = m_page.BytesPerRow() ? m_page.BytesPerRow() : 1;
        // A preferred size that is no multiple of a row, so strips end mid-buffer.
        *static_cast<TW_SETUPMEMXFER*>(pData) =
            TW_SETUPMEMXFER{static_cast<TW_UINT32>(nRow), 1 << 20, static_cast<TW_UINT32>(nRow * 7 + 5)};
        return TWRC_SUCCESS;
    }
    case DAT_SETUPFILEXFER:
        return SetupFile(MSG, static_cast<TW_SETUPFILEXFER*>(pData));
    case DAT_IMAGENATIVEXFER:
    case DAT_IMAGEMEMXFER:
    case DAT_IMAGEFILEXFER:
        return Transfer(DAT, pData);
    default:
        return Fail(TWCC_BADPROTOCOL);
    }
}

TW_UINT16 CFakeSource::Identity(TW_IDENTITY* pOrigin, TW_UINT16 MSG, TW_IDENTITY* pId)
{
    if (MSG == MSG_GET) {
        m_config = ReadConfig();
        Log(m_config, "identity get origin=%s", pOrigin ? "app" : "null");
        TW_IDENTITY self{};
        self.Id = m_self.Id;
        self.Version = TW_VERSION{1, 2, TWLG_ENGLISH, TWCY_USA, "fake 1.2"};
        self.ProtocolMajor = 2;
        self.ProtocolMinor = 4;
        self.SupportedGroups = DG_CONTROL | DG_IMAGE | (m_config.bDs2 ? DF_DS2 : 0);
        strcpy(self.Manufacturer, "mvl tests");
        strcpy(self.ProductFamily, "fake");
        snprintf(self.ProductName, sizeof(self.ProductName), "%s", m_config.sName.c_str());
        *pId = self;
        return TWRC_SUCCESS;
    }
    if (MSG == MSG_OPENDS) {
        m_config = ReadConfig();
        if (m_nState != 3)
            return Fail(TWCC_SEQERROR);
        if (m_config.sFault == "refuseopen" || !pOrigin)
            return Fail(TWCC_MAXCONNECTIONS);
        m_app = *pOrigin;
        m_self = *pId;
        Log(m_config, "open app=%s appId=%u dsId=%u", m_app.ProductName, m_app.Id, m_self.Id);
        ResetCaps();
        m_nState = 4;
        return TWRC_SUCCESS;
    }
    if (MSG == MSG_CLOSEDS) {
        if (m_nState != 4)
            return Fail(TWCC_SEQERROR);
        Log(m_config, "close");
        if (m_hWnd)
            DestroyWindow(m_hWnd);
        m_hWnd = nullptr;
        m_app = TW_IDENTITY{};
        m_nState = 3;
        return TWRC_SUCCESS;
    }
    return Fail(TWCC_BADPROTOCOL);
}

namespace {

HGLOBAL Container(size_t nSize, std::uint8_t** ppData)
{
    HGLOBAL h = GlobalAlloc(GHND, nSize);
    *ppData = h ? static_cast<std::uint8_t*>(GlobalLock(h)) : nullptr;
    return h;
}

void PutItem(std::uint8_t* p, TW_UINT16 wType, TW_UINT32 nValue)
{
    std::memcpy(p, &nValue, ItemSize(wType));
}

TW_UINT32 GetItem(const std::uint8_t* p, TW_UINT16 wType)
{
    TW_UINT32 n = 0;
    std::memcpy(&n, p, ItemSize(wType));
    if (wType == TWTY_INT16)
        n = static_cast<TW_UINT32>(static_cast<TW_INT32>(static_cast<TW_INT16>(n)));
    return n;
}

}  // namespace

TW_UINT16 CFakeSource::ReplyCap(const SCap& cap, TW_UINT16 MSG, TW_CAPABILITY* pCap)
{
    std::uint8_t* p = nullptr;
    HGLOBAL h = nullptr;
    TW_UINT16 wCon = MSG == MSG_GET || cap.wCon == TWON_ARRAY ? cap.wCon : TWON_ONEVALUE;
    TW_UINT32 nValue = MSG == MSG_GETDEFAULT ? cap.nDefault : cap.nCurrent;
    if (cap.wType == TWTY_STR128) {
        h = Container(2 + 130, &p);
        if (!p)
            return Fail(TWCC_LOWMEMORY);
        PutItem(p, TWTY_UINT16, cap.wType);
        strcpy(reinterpret_cast<char*>(p + 2), "fake author");
    } else if (wCon == TWON_ONEVALUE) {
        h = Container(sizeof(TW_ONEVALUE), &p);
        if (!p)
            return Fail(TWCC_LOWMEMORY);
        PutItem(p, TWTY_UINT16, cap.wType);
        PutItem(p + 2, cap.wType, nValue);
    } else if (wCon == TWON_RANGE) {
        h = Container(sizeof(TW_RANGE), &p);
        if (!p)
            return Fail(TWCC_LOWMEMORY);
        TW_RANGE range{cap.wType, cap.allowed[0], cap.allowed[1], cap.allowed[2], cap.nDefault, cap.nCurrent};
        std::memcpy(p, &range, sizeof(range));
    } else {
        size_t nHeader = wCon == TWON_ARRAY ? offsetof(TW_ARRAY, ItemList) : offsetof(TW_ENUMERATION, ItemList);
        h = Container(nHeader + cap.allowed.size() * ItemSize(cap.wType), &p);
        if (!p)
            return Fail(TWCC_LOWMEMORY);
        PutItem(p, TWTY_UINT16, cap.wType);
        TW_UINT32 nCount = static_cast<TW_UINT32>(cap.allowed.size());
        std::memcpy(p + 2, &nCount, 4);
        if (wCon == TWON_ENUMERATION) {
            TW_UINT32 nCur = 0, nDef = 0;
            for (TW_UINT32 i = 0; i < nCount; ++i) {
                nCur = cap.allowed[i] == cap.nCurrent ? i : nCur;
                nDef = cap.allowed[i] == cap.nDefault ? i : nDef;
            }
            std::memcpy(p + 6, &nCur, 4);
            std::memcpy(p + 10, &nDef, 4);
        }
        for (TW_UINT32 i = 0; i < nCount; ++i)
            PutItem(p + nHeader + i * ItemSize(cap.wType), cap.wType, cap.allowed[i]);
    }
    GlobalUnlock(h);
    pCap->ConType = wCon;
    pCap->hContainer = h;
    return TWRC_SUCCESS;
}

TW_UINT16 CFakeSource::SetCap(SCap& cap, TW_CAPABILITY* pCap)
{
    if (m_nState != 4)
        return Fail(TWCC_SEQERROR);
    if (cap.bReadOnly)
        return Fail(TWCC_CAPBADOPERATION);
    if (pCap->ConType != TWON_ONEVALUE || !pCap->hContainer)
        return Fail(TWCC_BADVALUE);
    const auto* p = static_cast<const std::uint8_t*>(GlobalLock(pCap->hContainer));
    if (!p || GlobalSize(pCap->hContainer) < sizeof(TW_ONEVALUE))
        return Fail(TWCC_BADVALUE);
    TW_UINT16 wType = static_cast<TW_UINT16>(GetItem(p, TWTY_UINT16));
    TW_UINT32 nValue = GetItem(p + 2, cap.wType);
    GlobalUnlock(pCap->hContainer);
    if (wType != cap.wType)
        return Fail(TWCC_BADVALUE);
    bool bOk = true;
    if (cap.wCon == TWON_ENUMERATION)
        bOk = std::find(cap.allowed.begin(), cap.allowed.end(), nValue) != cap.allowed.end();
    else if (cap.wCon == TWON_RANGE)
        bOk = Unfix(nValue) >= Unfix(cap.allowed[0]) && Unfix(nValue) <= Unfix(cap.allowed[1]);
    else if (cap.wType == TWTY_BOOL)
        bOk = nValue <= 1;
    else if (cap.wId == CAP_XFERCOUNT)
        bOk = static_cast<TW_INT32>(nValue) == -1 || static_cast<TW_INT32>(nValue) > 0;
    if (!bOk)
        return Fail(TWCC_BADVALUE);
    cap.nCurrent = nValue;
    if (cap.wId == ICAP_SUPPORTEDSIZES) {
        for (const SPaper& paper : g_papers)
            if (paper.wCode == nValue) {
                m_dLeft = m_dTop = 0;
                m_dWidth = paper.dWidth;
                m_dHeight = paper.dHeight;
            }
    }
    Log(m_config, "set cap=0x%04x value=%u", cap.wId, nValue);
    return TWRC_SUCCESS;
}

TW_UINT16 CFakeSource::Capability(TW_UINT16 MSG, TW_CAPABILITY* pCap)
{
    SCap* pFound = FindCap(pCap->Cap);
    if (!pFound)
        return Fail(TWCC_CAPUNSUPPORTED);
    switch (MSG) {
    case MSG_GET:
    case MSG_GETCURRENT:
    case MSG_GETDEFAULT:
        return ReplyCap(*pFound, MSG, pCap);
    case MSG_SET:
        return SetCap(*pFound, pCap);
    case MSG_RESET:
        if (m_nState != 4)
            return Fail(TWCC_SEQERROR);
        pFound->nCurrent = pFound->nDefault;
        return ReplyCap(*pFound, MSG_GET, pCap);
    case MSG_QUERYSUPPORT: {
        SCap support{pCap->Cap, TWTY_INT32, TWON_ONEVALUE, {}, pFound->bReadOnly ? 0x0Du : 0x1Fu, 0, true};
        return ReplyCap(support, MSG_GETCURRENT, pCap);
    }
    default:
        return Fail(TWCC_BADPROTOCOL);
    }
}

void CFakeSource::Notify(TW_UINT16 MSG)
{
    if (MSG == MSG_XFERREADY)
        m_nState = 6;
    Log(m_config, "notify msg=0x%04x", MSG);
    DSMENTRYPROC pfn = m_pfnDsm;
    if (!pfn) {
        HMODULE hDsm = GetModuleHandleW(L"TWAINDSM.dll");
        pfn = hDsm ? reinterpret_cast<DSMENTRYPROC>(reinterpret_cast<void*>(GetProcAddress(hDsm, "DSM_Entry"))) : nullptr;
    }
    if (!pfn)
        return;
    TW_IDENTITY self = m_self;
    TW_IDENTITY app = m_app;
    TW_UINT16 twRc = pfn(&self, &app, DG_CONTROL, DAT_NULL, MSG, nullptr);
    Log(m_config, "notify rc=%u", twRc);
}

void CFakeSource::SendPending()
{
    TW_UINT16 MSG = m_wToSend;
    m_wToSend = MSG_NULL;
    if (MSG != MSG_NULL && m_nState >= 5)
        Notify(MSG);
}

LRESULT CALLBACK FakeWndProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    if (uMsg == WM_APP + 1) {
        g_source.SendPending();
        return 0;
    }
    return DefWindowProcW(hWnd, uMsg, wParam, lParam);
}

TW_UINT16 CFakeSource::UserInterface(TW_UINT16 MSG, TW_USERINTERFACE* pUi)
{
    if (MSG == MSG_DISABLEDS) {
        if (m_nState != 5)
            return Fail(TWCC_SEQERROR);
        if (m_hWnd)
            DestroyWindow(m_hWnd);
        m_hWnd = nullptr;
        m_wToSend = MSG_NULL;
        m_nState = 4;
        return TWRC_SUCCESS;
    }
    if (MSG != MSG_ENABLEDS)
        return Fail(TWCC_BADPROTOCOL);
    if (m_nState != 4)
        return Fail(TWCC_SEQERROR);
    Log(m_config, "enable ui=%u", pUi->ShowUI);
    if (m_config.sFault == "enablefail")
        return Fail(TWCC_CHECKDEVICEONLINE);
    m_nState = 5;
    bool bFeeder = FindCapConst(CAP_FEEDERENABLED) != 0;
    int nPages = bFeeder ? m_config.nPages * (FindCapConst(CAP_DUPLEXENABLED) ? 2 : 1) : 1;
    int nCount = static_cast<TW_INT16>(FindCapConst(CAP_XFERCOUNT));
    m_nPagesLeft = nCount > 0 && nCount < nPages ? nCount : nPages;
    m_nPageNo = 0;
    m_page = CFakePage{};
    TW_UINT16 wMsg = MSG_XFERREADY;
    if ((m_config.sFault == "nopaper" && bFeeder) || m_config.sFault == "closereq")
        wMsg = MSG_CLOSEDSREQ;
    if (m_config.sFault == "silent")
        return TWRC_SUCCESS;
    if (m_config.sNotify == "inline") {
        Notify(wMsg);
        return TWRC_SUCCESS;
    }
    // Sent later from the source's own window, on the application's thread, as real sources do.
    m_hWnd = CreateWindowExW(0, L"mvlFakeSourceWnd", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, g_hInstance, nullptr);
    m_wToSend = wMsg;
    if (m_hWnd)
        PostMessageW(m_hWnd, WM_APP + 1, 0, 0);
    return TWRC_SUCCESS;
}

TW_UINT16 CFakeSource::Pending(TW_UINT16 MSG, TW_PENDINGXFERS* pPending)
{
    if (MSG == MSG_GET) {
        *pPending = TW_PENDINGXFERS{static_cast<TW_UINT16>(m_nPagesLeft), 0};
        return TWRC_SUCCESS;
    }
    if (m_nState < 6)
        return Fail(TWCC_SEQERROR);
    if (MSG == MSG_ENDXFER) {
        if (m_nPagesLeft > 0)
            --m_nPagesLeft;
        m_page = CFakePage{};
    } else if (MSG == MSG_RESET) {
        m_nPagesLeft = 0;
        m_page = CFakePage{};
    } else {
        return Fail(TWCC_BADPROTOCOL);
    }
    *pPending = TW_PENDINGXFERS{static_cast<TW_UINT16>(m_nPagesLeft), 0};
    m_nState = m_nPagesLeft > 0 ? 6 : 5;
    return TWRC_SUCCESS;
}

TW_UINT16 CFakeSource::Layout(TW_UINT16 MSG, TW_IMAGELAYOUT* pLayout)
{
    double dUnit = UnitsPerInch();
    if (MSG == MSG_SET) {
        if (m_nState != 4)
            return Fail(TWCC_SEQERROR);
        TW_UINT32 n[4];
        std::memcpy(n, &pLayout->Frame, sizeof(n));
        double dLeft = Unfix(n[0]) / dUnit, dTop = Unfix(n[1]) / dUnit;
        double dRight = Unfix(n[2]) / dUnit, dBottom = Unfix(n[3]) / dUnit;
        if (dLeft < 0 || dTop < 0 || dRight <= dLeft || dBottom <= dTop || dRight > 8.51 || dBottom > 14.01)
            return Fail(TWCC_BADVALUE);
        m_dLeft = dLeft;
        m_dTop = dTop;
        m_dWidth = dRight - dLeft;
        m_dHeight = dBottom - dTop;
        Log(m_config, "layout %.3f %.3f %.3f %.3f", dLeft, dTop, dRight, dBottom);
        return TWRC_SUCCESS;
    }
    if (MSG == MSG_RESET) {
        m_dLeft = m_dTop = 0;
        m_dWidth = 4.0;
        m_dHeight = 3.0;
    } else if (MSG != MSG_GET && MSG != MSG_GETCURRENT && MSG != MSG_GETDEFAULT) {
        return Fail(TWCC_BADPROTOCOL);
    }
    TW_UINT32 n[4] = {Fix(m_dLeft * dUnit), Fix(m_dTop * dUnit), Fix((m_dLeft + m_dWidth) * dUnit),
                      Fix((m_dTop + m_dHeight) * dUnit)};
    std::memcpy(&pLayout->Frame, n, sizeof(n));
    pLayout->DocumentNumber = 1;
    pLayout->PageNumber = static_cast<TW_UINT32>(m_nPageNo + 1);
    pLayout->FrameNumber = 1;
    return TWRC_SUCCESS;
}

CFakePage CFakeSource::MakePage() const
{
    int nXRes = static_cast<int>(Unfix(FindCapConst(ICAP_XRESOLUTION)));
    int nYRes = static_cast<int>(Unfix(FindCapConst(ICAP_YRESOLUTION)));
    int nWidth = static_cast<int>(std::lround(m_dWidth * nXRes));
    int nHeight = static_cast<int>(std::lround(m_dHeight * nYRes));
    return GenerateFakePage(nWidth, nHeight, static_cast<int>(FindCapConst(ICAP_PIXELTYPE)), m_nPageNo + 1, nXRes,
                            nYRes);
}

TW_UINT16 CFakeSource::ImageInfo(TW_IMAGEINFO* pInfo)
{
    if (m_nState != 6)
        return Fail(TWCC_SEQERROR);
    if (m_page.rows.empty())
        m_page = MakePage();
    TW_IMAGEINFO info{};
    TW_UINT32 nX = Fix(m_page.nXRes), nY = Fix(m_page.nYRes);
    std::memcpy(&info.XResolution, &nX, 4);
    std::memcpy(&info.YResolution, &nY, 4);
    info.ImageWidth = m_page.nWidth;
    info.ImageLength = m_page.nHeight;
    info.SamplesPerPixel = m_page.nBitsPerPixel == 24 ? 3 : 1;
    for (int i = 0; i < info.SamplesPerPixel; ++i)
        info.BitsPerSample[i] = static_cast<TW_INT16>(m_page.nBitsPerPixel == 1 ? 1 : 8);
    info.BitsPerPixel = static_cast<TW_INT16>(m_page.nBitsPerPixel);
    info.PixelType = static_cast<TW_INT16>(FindCapConst(ICAP_PIXELTYPE));
    info.Compression = TWCP_NONE;
    *pInfo = info;
    return TWRC_SUCCESS;
}

TW_UINT16 CFakeSource::SetupFile(TW_UINT16 MSG, TW_SETUPFILEXFER* pSetup)
{
    if (MSG == MSG_GET || MSG == MSG_GETDEFAULT) {
        TW_SETUPFILEXFER setup{};
        snprintf(setup.FileName, sizeof(setup.FileName), "%s", m_sFile.empty() ? "TWAIN.BMP" : m_sFile.c_str());
        setup.Format = m_wFileFormat;
        *pSetup = setup;
        return TWRC_SUCCESS;
    }
    if (MSG != MSG_SET)
        return Fail(TWCC_BADPROTOCOL);
    if (pSetup->Format != TWFF_BMP)
        return Fail(TWCC_BADVALUE);
    pSetup->FileName[sizeof(pSetup->FileName) - 1] = '\0';
    m_sFile = pSetup->FileName;
    m_wFileFormat = pSetup->Format;
    return TWRC_SUCCESS;
}

TW_UINT16 CFakeSource::MemoryStrip(TW_IMAGEMEMXFER* pXfer)
{
    size_t nRow = m_page.BytesPerRow();
    size_t nRowsLeft = m_page.nHeight - m_nMemOffset;
    size_t nRows = std::min<size_t>(pXfer->Memory.Length / nRow, nRowsLeft);
    if (nRows == 0 || !pXfer->Memory.TheMem)
        return Fail(TWCC_BADVALUE);
    std::memcpy(pXfer->Memory.TheMem, m_page.rows.data() + m_nMemOffset * nRow, nRows * nRow);
    pXfer->Compression = TWCP_NONE;
    pXfer->BytesPerRow = static_cast<TW_UINT32>(nRow);
    pXfer->Columns = static_cast<TW_UINT32>(m_page.nWidth);
    pXfer->Rows = static_cast<TW_UINT32>(nRows);
    pXfer->XOffset = 0;
    pXfer->YOffset = static_cast<TW_UINT32>(m_nMemOffset);
    pXfer->BytesWritten = static_cast<TW_UINT32>(nRows * nRow);
    m_nMemOffset += nRows;
    m_nState = 7;
    return m_nMemOffset >= static_cast<size_t>(m_page.nHeight) ? TWRC_XFERDONE : TWRC_SUCCESS;
}

TW_UINT16 CFakeSource::Transfer(TW_UINT16 DAT, TW_MEMREF pData)
{
    if (m_nState != 6 && !(m_nState == 7 && DAT == DAT_IMAGEMEMXFER))
        return Fail(TWCC_SEQERROR);
    if (m_page.rows.empty())
        m_page = MakePage();
    if (m_nState == 6) {
        m_nMemOffset = 0;
        if (m_config.sFault == "cancel") {
            m_nState = 7;
            return TWRC_CANCEL;
        }
        if (m_config.sFault == "deviceerror" || (m_config.sFault == "jam2" && m_nPageNo == 1))
            return Fail(TWCC_PAPERJAM);
    }
    Log(m_config, "transfer dat=0x%04x page=%d", DAT, m_nPageNo + 1);
    if (DAT == DAT_IMAGEMEMXFER) {
        TW_UINT16 twRc = MemoryStrip(static_cast<TW_IMAGEMEMXFER*>(pData));
        m_nPageNo += twRc == TWRC_XFERDONE;
        return twRc;
    }
    if (DAT == DAT_IMAGENATIVEXFER) {
        std::vector<std::uint8_t> dib = PackedDib(m_page);
        std::uint8_t* p = nullptr;
        HGLOBAL h = Container(dib.size(), &p);
        if (!p)
            return Fail(TWCC_LOWMEMORY);
        std::memcpy(p, dib.data(), dib.size());
        GlobalUnlock(h);
        *static_cast<TW_HANDLE*>(pData) = h;
    } else {
        std::vector<std::uint8_t> file = BmpFile(m_page);
        FILE* pFile = fopen(m_sFile.empty() ? "TWAIN.BMP" : m_sFile.c_str(), "wb");
        bool bOk = pFile && fwrite(file.data(), 1, file.size(), pFile) == file.size();
        if (pFile)
            fclose(pFile);
        if (!bOk)
            return Fail(TWCC_FILEWRITEERROR);
    }
    ++m_nPageNo;
    m_nState = 7;
    return TWRC_XFERDONE;
}

}  // namespace

extern "C" __declspec(dllexport) TW_UINT16 TW_CALLINGSTYLE DS_Entry(TW_IDENTITY* pOrigin, TW_UINT32 DG, TW_UINT16 DAT,
                                                                  TW_UINT16 MSG, TW_MEMREF pData)
{
    return g_source.Entry(pOrigin, DG, DAT, MSG, pData);
}

extern "C" BOOL WINAPI DllMain(HINSTANCE hInstance, DWORD dwReason, LPVOID)
{
    if (dwReason == DLL_PROCESS_ATTACH) {
        g_hInstance = hInstance;
        WNDCLASSW wc{};
        wc.lpfnWndProc = FakeWndProc;
        wc.hInstance = hInstance;
        wc.lpszClassName = L"mvlFakeSourceWnd";
        RegisterClassW(&wc);
    } else if (dwReason == DLL_PROCESS_DETACH) {
        UnregisterClassW(L"mvlFakeSourceWnd", g_hInstance);
    }
    return TRUE;
}
