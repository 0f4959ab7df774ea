#include "twaindsm/SourceManager.h"

#include <algorithm>
#include <cstring>

#include "twaindsm/DsmMemory.h"

extern "C" TW_UINT16 TW_CALLINGSTYLE DSM_Entry(TW_IDENTITY* pOrigin, TW_IDENTITY* pDest, TW_UINT32 DG, TW_UINT16 DAT,
                                               TW_UINT16 MSG, TW_MEMREF pData);

CSourceManager& TheSourceManager()
{
    static CSourceManager s_manager;
    return s_manager;
}

TW_UINT16 CSourceManager::Fail(SApp* pApp, TW_UINT16 wCondition)
{
    std::lock_guard lock(m_mutex);
    if (pApp)
        pApp->wCondition = wCondition;
    else
        m_wCondition = wCondition;
    return TWRC_FAILURE;
}

CSourceManager::SApp* CSourceManager::FindApp(TW_UINT32 nId)
{
    std::lock_guard lock(m_mutex);
    auto it = std::find_if(m_apps.begin(), m_apps.end(), [nId](const auto& p) { return p->identity.Id == nId; });
    return it == m_apps.end() ? nullptr : it->get();
}

CSourceManager::SessionPtr CSourceManager::FindSession(TW_UINT32 nId)
{
    std::lock_guard lock(m_mutex);
    auto it = std::find_if(m_sessions.begin(), m_sessions.end(),
                           [nId](const SessionPtr& p) { return p->m_identity.Id == nId; });
    return it == m_sessions.end() ? nullptr : *it;
}

CSourceManager::SessionPtr CSourceManager::FindSessionOf(TW_UINT32 nAppId, TW_UINT32 nSourceId)
{
    SessionPtr pSession = FindSession(nSourceId);
    return pSession && pSession->m_nAppId == nAppId ? pSession : nullptr;
}

TW_UINT16 CSourceManager::Entry(TW_IDENTITY* pOrigin, TW_IDENTITY* pDest, TW_UINT32 DG, TW_UINT16 DAT,
                                TW_UINT16 MSG, TW_MEMREF pData)
{
    if (!pOrigin)
        return Fail(nullptr, TWCC_BADPROTOCOL);
    // A source speaking to its application: origin is an open source, the triplet DAT_NULL.
    if (DG == DG_CONTROL && DAT == DAT_NULL) {
        if (SessionPtr pSession = FindSession(pOrigin->Id))
            return FromSource(pSession, pDest, MSG);
    }
    if (DG == DG_CONTROL && DAT == DAT_PARENT)
        return Parent(pOrigin, MSG, pData);
    SApp* pApp = FindApp(pOrigin->Id);
    if (!pApp || pOrigin->Id == 0) {
        // The condition of a refused MSG_OPENDSM or of a caller we do not know is still readable.
        if (!pDest && DG == DG_CONTROL && DAT == DAT_STATUS && MSG == MSG_GET && pData) {
            std::lock_guard lock(m_mutex);
            *static_cast<TW_STATUS*>(pData) = TW_STATUS{m_wCondition, 0};
            m_wCondition = TWCC_SUCCESS;
            return TWRC_SUCCESS;
        }
        return Fail(nullptr, TWCC_SEQERROR);
    }
    if (!pDest)
        return ToManager(*pApp, DAT, MSG, pData);
    return ToSource(*pApp, pDest, DG, DAT, MSG, pData);
}

TW_UINT16 CSourceManager::FromSource(const SessionPtr& pSession, TW_IDENTITY* pDest, TW_UINT16 MSG)
{
    SApp* pApp = FindApp(pSession->m_nAppId);
    if (!pApp || !pDest || pDest->Id != pSession->m_nAppId)
        return Fail(pApp, TWCC_BADDEST);
    if (MSG != MSG_XFERREADY && MSG != MSG_CLOSEDSREQ && MSG != MSG_CLOSEDSOK && MSG != MSG_DEVICEEVENT)
        return Fail(pApp, TWCC_BADPROTOCOL);
    SAppCallback callback;
    TW_IDENTITY sourceCopy{};
    TW_IDENTITY appCopy{};
    HWND hWnd = nullptr;
    {
        std::lock_guard lock(m_mutex);
        callback = pSession->m_callback;
        sourceCopy = pSession->m_identity;
        appCopy = pApp->identity;
        hWnd = pApp->hWnd;
        if (!callback.pProc)
            pSession->m_wHeldMsg = MSG;
    }
    if (callback.pProc) {
        auto pfn = reinterpret_cast<TWAINCALLBACKPROC>(callback.pProc);
        pfn(&sourceCopy, &appCopy, DG_CONTROL, DAT_NULL, MSG, reinterpret_cast<TW_MEMREF>(callback.nRefCon));
    } else if (hWnd) {
        // Wakes the application's loop so that its next MSG_PROCESSEVENT collects the message.
        PostMessageW(hWnd, WM_NULL, 0, 0);
    }
    return TWRC_SUCCESS;
}

TW_UINT16 CSourceManager::Parent(TW_IDENTITY* pOrigin, TW_UINT16 MSG, TW_MEMREF pData)
{
    if (MSG == MSG_OPENDSM)
        return OpenManager(pOrigin, pData);
    if (MSG == MSG_CLOSEDSM)
        return CloseManager(pOrigin);
    return Fail(FindApp(pOrigin->Id), TWCC_BADPROTOCOL);
}

TW_UINT16 CSourceManager::OpenManager(TW_IDENTITY* pOrigin, TW_MEMREF pData)
{
    if (pOrigin->Id != 0 && FindApp(pOrigin->Id))
        return Fail(FindApp(pOrigin->Id), TWCC_SEQERROR);
    auto pApp = std::make_unique<SApp>();
    std::lock_guard lock(m_mutex);
    pOrigin->Id = ++m_nLastId;
    pOrigin->SupportedGroups |= DF_DSM2;
    pApp->identity = *pOrigin;
    // The window handle comes by reference: pData points at the application's HWND.
    if (pData)
        pApp->hWnd = *static_cast<HWND*>(pData);
    m_apps.push_back(std::move(pApp));
    m_wCondition = TWCC_SUCCESS;
    return TWRC_SUCCESS;
}

TW_UINT16 CSourceManager::CloseManager(TW_IDENTITY* pOrigin)
{
    SApp* pApp = FindApp(pOrigin->Id);
    if (!pApp || pOrigin->Id == 0)
        return Fail(nullptr, TWCC_SEQERROR);
    std::vector<SessionPtr> open;
    {
        std::lock_guard lock(m_mutex);
        for (const SessionPtr& p : m_sessions)
            if (p->m_nAppId == pApp->identity.Id)
                open.push_back(p);
    }
    for (const SessionPtr& p : open)
        ShutSession(p, pApp->identity);
    std::lock_guard lock(m_mutex);
    m_apps.erase(std::remove_if(m_apps.begin(), m_apps.end(), [pApp](const auto& p) { return p.get() == pApp; }),
                 m_apps.end());
    return TWRC_SUCCESS;
}

// An application leaving with a source open: walk the source down from whatever state it is in.
void CSourceManager::ShutSession(const SessionPtr& pSession, const TW_IDENTITY& appIdentity)
{
    TW_IDENTITY appCopy = appIdentity;
    TW_PENDINGXFERS pending{};
    pSession->m_pLibrary->Call(&appCopy, DG_CONTROL, DAT_PENDINGXFERS, MSG_ENDXFER, &pending);
    pending = TW_PENDINGXFERS{};
    pSession->m_pLibrary->Call(&appCopy, DG_CONTROL, DAT_PENDINGXFERS, MSG_RESET, &pending);
    TW_USERINTERFACE ui{};
    pSession->m_pLibrary->Call(&appCopy, DG_CONTROL, DAT_USERINTERFACE, MSG_DISABLEDS, &ui);
    TW_IDENTITY sourceCopy = pSession->m_identity;
    pSession->m_pLibrary->Call(&appCopy, DG_CONTROL, DAT_IDENTITY, MSG_CLOSEDS, &sourceCopy);
    std::lock_guard lock(m_mutex);
    m_sessions.erase(std::remove(m_sessions.begin(), m_sessions.end(), pSession), m_sessions.end());
}

TW_UINT16 CSourceManager::ToManager(SApp& app, TW_UINT16 DAT, TW_UINT16 MSG, TW_MEMREF pData)
{
    if (DAT == DAT_STATUS && MSG == MSG_GET) {
        if (!pData)
            return Fail(&app, TWCC_BADVALUE);
        std::lock_guard lock(m_mutex);
        auto* pStatus = static_cast<TW_STATUS*>(pData);
        pStatus->ConditionCode = app.wCondition;
        pStatus->Reserved = 0;
        app.wCondition = TWCC_SUCCESS;
        return TWRC_SUCCESS;
    }
    if (DAT == DAT_ENTRYPOINT && MSG == MSG_GET) {
        if (!pData)
            return Fail(&app, TWCC_BADVALUE);
        FillEntryPoint(static_cast<TW_ENTRYPOINT*>(pData), &DSM_Entry);
        return TWRC_SUCCESS;
    }
    if (DAT == DAT_IDENTITY)
        return Identity(app, MSG, static_cast<TW_IDENTITY*>(pData));
    return Fail(&app, TWCC_BADPROTOCOL);
}

void CSourceManager::RefreshCatalog(SApp& app)
{
    TW_IDENTITY appIdentity;
    {
        std::lock_guard lock(m_mutex);
        appIdentity = app.identity;
    }
    auto lookup = [this](const std::wstring& sPath, TW_IDENTITY* pIdentity) {
        std::lock_guard lock(m_mutex);
        for (const SessionPtr& p : m_sessions) {
            if (_wcsicmp(p->m_pLibrary->Path().c_str(), sPath.c_str()) == 0) {
                *pIdentity = p->m_identity;
                return true;
            }
        }
        return false;
    };
    std::vector<SSourceEntry> catalog = DiscoverSources(appIdentity, lookup);
    std::lock_guard lock(m_mutex);
    app.catalog = std::move(catalog);
    app.nNext = 0;
}

TW_UINT16 CSourceManager::Identity(SApp& app, TW_UINT16 MSG, TW_IDENTITY* pIdentity)
{
    if (!pIdentity)
        return Fail(&app, TWCC_BADVALUE);
    switch (MSG) {
    case MSG_GETFIRST:
    case MSG_GETNEXT:
    case MSG_GETDEFAULT:
    case MSG_USERSELECT:
        return Enumerate(app, MSG, pIdentity);
    case MSG_OPENDS:
        return OpenSource(app, pIdentity);
    case MSG_CLOSEDS:
        return CloseSource(app, pIdentity);
    default:
        return Fail(&app, TWCC_BADPROTOCOL);
    }
}

TW_UINT16 CSourceManager::Enumerate(SApp& app, TW_UINT16 MSG, TW_IDENTITY* pIdentity)
{
    if (MSG == MSG_GETFIRST || app.catalog.empty())
        RefreshCatalog(app);
    std::lock_guard lock(m_mutex);
    if (MSG == MSG_GETFIRST || MSG == MSG_GETNEXT) {
        if (app.nNext >= app.catalog.size())
            return TWRC_ENDOFLIST;
        *pIdentity = app.catalog[app.nNext++].identity;
        return TWRC_SUCCESS;
    }
    // No user to ask and no stored preference: the default and the user's choice are the first source.
    if (app.catalog.empty()) {
        app.wCondition = TWCC_NODS;
        return TWRC_FAILURE;
    }
    *pIdentity = app.catalog.front().identity;
    return TWRC_SUCCESS;
}
