#include "twainscan/TwainSession.h"

#include <cstdio>
#include <cstring>

#include "profile/LibraryLoad.h"
#include "twainscan/Text.h"
#include "twainscan/TwainNames.h"

namespace {

using MemAllocateProc = TW_HANDLE(TW_CALLINGSTYLE*)(TW_UINT32);
using MemFreeProc = void(TW_CALLINGSTYLE*)(TW_HANDLE);
using MemLockProc = TW_MEMREF(TW_CALLINGSTYLE*)(TW_HANDLE);
using MemUnlockProc = void(TW_CALLINGSTYLE*)(TW_HANDLE);

TW_IDENTITY ApplicationIdentity()
{
    TW_IDENTITY id{};
    id.Version = TW_VERSION{1, 0, TWLG_ENGLISH, TWCY_USA, "twainscan 1.0"};
    id.ProtocolMajor = 2;
    id.ProtocolMinor = 4;
    id.SupportedGroups = DG_CONTROL | DG_IMAGE | DF_APP2;
    strcpy(id.Manufacturer, "mvl");
    strcpy(id.ProductFamily, "twainscan");
    strcpy(id.ProductName, "twainscan");
    return id;
}

}  // namespace

CTwainSession::CTwainSession(bool bVerbose) : m_bVerbose(bVerbose), m_app(ApplicationIdentity()) {}

CTwainSession::~CTwainSession()
{
    // Every path out of the tool ends here: a source left enabled or open would keep the
    // device (and, for some sources, a cross-process lock) busy after we are gone.
    Disable();
    CloseSource();
    CloseManager();
    if (m_hManager)
        FreeLibrary(m_hManager);
}

bool CTwainSession::LoadManager(const std::wstring& sPath)
{
    // The manager is installed in the system folder and known by its standard name, as every
    // TWAIN application loads it; the search for that name stops at this program's folder and
    // the system folder. A manager named on the command line is loaded by its full path.
    if (sPath.empty()) {
        m_hManager = LoadSystemLibrary(L"TWAINDSM.dll");
    } else {
        m_hManager = LoadLibraryByFullPath(FullPath(sPath));
    }
    if (!m_hManager)
        return false;
    m_pfnEntry = reinterpret_cast<DSMENTRYPROC>(reinterpret_cast<void*>(GetProcAddress(m_hManager, "DSM_Entry")));
    return m_pfnEntry != nullptr;
}

void CTwainSession::Trace(TW_UINT32 DG, TW_UINT16 DAT, TW_UINT16 MSG, TW_MEMREF pData, TW_UINT16 twRc) const
{
    if (!m_bVerbose)
        return;
    std::string sExtra;
    if (DAT == DAT_CAPABILITY && pData) {
        TW_UINT16 wCap = static_cast<TW_CAPABILITY*>(pData)->Cap;
        const char* pszName = CapabilityName(wCap);
        char sz[48];
        snprintf(sz, sizeof(sz), " %s(0x%04X)", pszName, wCap);
        sExtra = sz;
    }
    fprintf(stderr, "twain: %s %s %s%s -> %s", DataGroupName(DG), DatName(DAT), MsgName(MSG), sExtra.c_str(),
            ReturnCodeName(twRc));
    if (twRc == TWRC_FAILURE || twRc == TWRC_CHECKSTATUS)
        fprintf(stderr, ", %s", ConditionCodeName(m_wCondition));
    fprintf(stderr, "\n");
}

TW_UINT16 CTwainSession::Call(TW_IDENTITY* pDest, TW_UINT32 DG, TW_UINT16 DAT, TW_UINT16 MSG, TW_MEMREF pData)
{
    if (!m_pfnEntry)
        return TWRC_FAILURE;
    TW_UINT16 twRc = m_pfnEntry(&m_app, pDest, DG, DAT, MSG, pData);
    m_wCondition = TWCC_SUCCESS;
    if (twRc == TWRC_FAILURE || twRc == TWRC_CHECKSTATUS) {
        // The condition belongs to the failure just seen: read it before anything else is sent.
        TW_STATUS status{};
        TW_IDENTITY* pStatusDest = pDest && m_bSourceOpen ? pDest : nullptr;
        if (m_pfnEntry(&m_app, pStatusDest, DG_CONTROL, DAT_STATUS, MSG_GET, &status) == TWRC_SUCCESS)
            m_wCondition = status.ConditionCode;
        else
            m_wCondition = TWCC_BUMMER;
    }
    // Events not meant for the source are the bulk of a message loop: they are left out.
    if (!(DAT == DAT_EVENT && twRc == TWRC_NOTDSEVENT))
        Trace(DG, DAT, MSG, pData, twRc);
    return twRc;
}

TW_UINT16 CTwainSession::CallManager(TW_UINT16 DAT, TW_UINT16 MSG, TW_MEMREF pData)
{
    return Call(nullptr, DG_CONTROL, DAT, MSG, pData);
}

TW_UINT16 CTwainSession::CallSource(TW_UINT32 DG, TW_UINT16 DAT, TW_UINT16 MSG, TW_MEMREF pData)
{
    if (!m_bSourceOpen)
        return TWRC_FAILURE;
    return Call(&m_source, DG, DAT, MSG, pData);
}

bool CTwainSession::OpenManager(HWND hWnd)
{
    m_hWnd = hWnd;
    if (Call(nullptr, DG_CONTROL, DAT_PARENT, MSG_OPENDSM, &m_hWnd) != TWRC_SUCCESS)
        return false;
    m_bManagerOpen = true;
    m_entry.Size = sizeof(m_entry);
    if (!ManagerIsVersion2() || CallManager(DAT_ENTRYPOINT, MSG_GET, &m_entry) != TWRC_SUCCESS)
        m_entry = TW_ENTRYPOINT{};
    return true;
}

std::vector<TW_IDENTITY> CTwainSession::ListSources()
{
    std::vector<TW_IDENTITY> sources;
    TW_IDENTITY id{};
    // A manager that never says ENDOFLIST must not keep us here.
    for (TW_UINT16 MSG = MSG_GETFIRST; sources.size() < 1000; MSG = MSG_GETNEXT) {
        id = TW_IDENTITY{};
        if (CallManager(DAT_IDENTITY, MSG, &id) != TWRC_SUCCESS)
            break;
        id.ProductName[sizeof(id.ProductName) - 1] = '\0';
        id.Manufacturer[sizeof(id.Manufacturer) - 1] = '\0';
        id.Version.Info[sizeof(id.Version.Info) - 1] = '\0';
        sources.push_back(id);
    }
    return sources;
}

bool CTwainSession::DefaultSource(TW_IDENTITY* pIdentity)
{
    *pIdentity = TW_IDENTITY{};
    return CallManager(DAT_IDENTITY, MSG_GETDEFAULT, pIdentity) == TWRC_SUCCESS;
}

bool CTwainSession::OpenSource(const TW_IDENTITY& identity)
{
    m_source = identity;
    if (CallManager(DAT_IDENTITY, MSG_OPENDS, &m_source) != TWRC_SUCCESS)
        return false;
    m_bSourceOpen = true;
    return true;
}

TW_UINT16 CTwainSession::Enable(bool bShowUi, HWND hParent)
{
    TW_USERINTERFACE ui{static_cast<TW_BOOL>(bShowUi), FALSE, hParent};
    TW_UINT16 twRc = CallSource(DG_CONTROL, DAT_USERINTERFACE, MSG_ENABLEDS, &ui);
    // A source that cannot hide its dialog shows it and says so with CHECKSTATUS: still enabled.
    m_bEnabled = twRc == TWRC_SUCCESS || twRc == TWRC_CHECKSTATUS;
    return twRc;
}

void CTwainSession::Disable()
{
    if (!m_bEnabled)
        return;
    TW_USERINTERFACE ui{FALSE, FALSE, m_hWnd};
    CallSource(DG_CONTROL, DAT_USERINTERFACE, MSG_DISABLEDS, &ui);
    m_bEnabled = false;
}

void CTwainSession::CloseSource()
{
    if (!m_bSourceOpen)
        return;
    CallManager(DAT_IDENTITY, MSG_CLOSEDS, &m_source);
    m_bSourceOpen = false;
}

void CTwainSession::CloseManager()
{
    if (!m_bManagerOpen)
        return;
    Call(nullptr, DG_CONTROL, DAT_PARENT, MSG_CLOSEDSM, &m_hWnd);
    m_bManagerOpen = false;
}

TW_HANDLE CTwainSession::Alloc(TW_UINT32 nSize)
{
    if (m_entry.DSM_MemAllocate)
        return reinterpret_cast<MemAllocateProc>(m_entry.DSM_MemAllocate)(nSize);
    return GlobalAlloc(GHND, nSize);
}

void CTwainSession::Free(TW_HANDLE h)
{
    if (!h)
        return;
    if (m_entry.DSM_MemFree)
        reinterpret_cast<MemFreeProc>(m_entry.DSM_MemFree)(h);
    else
        GlobalFree(h);
}

void* CTwainSession::Lock(TW_HANDLE h)
{
    if (!h)
        return nullptr;
    if (m_entry.DSM_MemLock)
        return reinterpret_cast<MemLockProc>(m_entry.DSM_MemLock)(h);
    return GlobalLock(h);
}

void CTwainSession::Unlock(TW_HANDLE h)
{
    if (!h)
        return;
    if (m_entry.DSM_MemUnlock)
        reinterpret_cast<MemUnlockProc>(m_entry.DSM_MemUnlock)(h);
    else
        GlobalUnlock(h);
}

bool CTwainSession::GetCap(TW_UINT16 wCap, TW_UINT16 MSG, SCapValue* pValue, std::string* pError)
{
    TW_CAPABILITY cap{wCap, TWON_DONTCARE16, nullptr};
    if (CallSource(DG_CONTROL, DAT_CAPABILITY, MSG, &cap) != TWRC_SUCCESS) {
        *pError = std::string(ConditionCodeText(m_wCondition)) + " (" + ConditionCodeName(m_wCondition) + ")";
        return false;
    }
    // The reply is ours to free, whatever it holds.
    auto* p = static_cast<const std::uint8_t*>(Lock(cap.hContainer));
    size_t nSize = cap.hContainer ? GlobalSize(cap.hContainer) : 0;
    bool bOk = ParseCapContainer(cap.ConType, p, p ? nSize : 0, pValue, pError);
    Unlock(cap.hContainer);
    Free(cap.hContainer);
    return bOk;
}

bool CTwainSession::SetCap(TW_UINT16 wCap, TW_UINT16 wType, const CapItem& item)
{
    std::vector<std::uint8_t> bytes = OneValueBytes(wType, item);
    TW_HANDLE h = Alloc(static_cast<TW_UINT32>(bytes.size()));
    void* p = Lock(h);
    if (!p) {
        Free(h);
        m_wCondition = TWCC_LOWMEMORY;
        return false;
    }
    memcpy(p, bytes.data(), bytes.size());
    Unlock(h);
    TW_CAPABILITY cap{wCap, TWON_ONEVALUE, h};
    TW_UINT16 twRc = CallSource(DG_CONTROL, DAT_CAPABILITY, MSG_SET, &cap);
    Free(h);
    return twRc == TWRC_SUCCESS || twRc == TWRC_CHECKSTATUS;
}
