// The manager's side of open sources: opening, closing, and the triplets passed through to them.
#include <algorithm>
#include <cstring>

#include "twaindsm/DsmMemory.h"
#include "twaindsm/SourceManager.h"

extern "C" TW_UINT16 TW_CALLINGSTYLE DSM_Entry(TW_IDENTITY* pOrigin, TW_IDENTITY* pDest, TW_UINT32 DG, TW_UINT16 DAT,
                                               TW_UINT16 MSG, TW_MEMREF pData);

namespace {

// The condition the source gives for a refusal, so the application can read it from the manager.
TW_UINT16 SourceCondition(const CLoadedSource& source, const TW_IDENTITY& appIdentity)
{
    TW_IDENTITY appCopy = appIdentity;
    TW_STATUS status{};
    if (source.Call(&appCopy, DG_CONTROL, DAT_STATUS, MSG_GET, &status) != TWRC_SUCCESS)
        return TWCC_BUMMER;
    return status.ConditionCode;
}

}  // namespace

TW_UINT16 CSourceManager::OpenSource(SApp& app, TW_IDENTITY* pIdentity)
{
    pIdentity->ProductName[sizeof(pIdentity->ProductName) - 1] = '\0';
    bool bByName = pIdentity->ProductName[0] != '\0';
    SSourceEntry entry;
    for (int nAttempt = 0; nAttempt < 2; ++nAttempt) {
        // A source installed after the last enumeration is found by a fresh one.
        if (nAttempt == 1 || app.catalog.empty())
            RefreshCatalog(app);
        std::lock_guard lock(m_mutex);
        const SSourceEntry* pFound = bByName ? FindSource(app.catalog, pIdentity->ProductName)
                                             : (app.catalog.empty() ? nullptr : &app.catalog.front());
        if (pFound) {
            entry = *pFound;
            break;
        }
    }
    if (entry.sPath.empty())
        return Fail(&app, TWCC_NODS);

    auto pSession = std::make_shared<CSourceSession>();
    pSession->m_pLibrary = std::make_unique<CLoadedSource>(entry.sPath);
    if (!pSession->m_pLibrary->Loaded())
        return Fail(&app, TWCC_NODS);
    TW_IDENTITY appCopy;
    {
        std::lock_guard lock(m_mutex);
        pSession->m_identity = entry.identity;
        pSession->m_identity.Id = ++m_nLastId;
        pSession->m_nAppId = app.identity.Id;
        appCopy = app.identity;
    }
    // TWAIN 2 sources get the manager's entry before they open; older ones look it up themselves.
    if (entry.identity.SupportedGroups & DF_DS2) {
        TW_ENTRYPOINT ep{};
        FillEntryPoint(&ep, &DSM_Entry);
        pSession->m_pLibrary->Call(&appCopy, DG_CONTROL, DAT_ENTRYPOINT, MSG_SET, &ep);
    }
    TW_IDENTITY sourceCopy = pSession->m_identity;
    appCopy = app.identity;
    {
        // Notifications sent from inside MSG_OPENDS must find the session.
        std::lock_guard lock(m_mutex);
        m_sessions.push_back(pSession);
    }
    TW_UINT16 twRc = pSession->m_pLibrary->Call(&appCopy, DG_CONTROL, DAT_IDENTITY, MSG_OPENDS, &sourceCopy);
    if (twRc != TWRC_SUCCESS) {
        TW_UINT16 wCondition = SourceCondition(*pSession->m_pLibrary, app.identity);
        std::lock_guard lock(m_mutex);
        m_sessions.erase(std::remove(m_sessions.begin(), m_sessions.end(), pSession), m_sessions.end());
        app.wCondition = wCondition;
        return TWRC_FAILURE;
    }
    *pIdentity = pSession->m_identity;
    return TWRC_SUCCESS;
}

TW_UINT16 CSourceManager::CloseSource(SApp& app, TW_IDENTITY* pIdentity)
{
    SessionPtr pSession = FindSessionOf(app.identity.Id, pIdentity->Id);
    if (!pSession)
        return Fail(&app, TWCC_NODS);
    TW_IDENTITY appCopy = app.identity;
    TW_IDENTITY sourceCopy = pSession->m_identity;
    TW_UINT16 twRc = pSession->m_pLibrary->Call(&appCopy, DG_CONTROL, DAT_IDENTITY, MSG_CLOSEDS, &sourceCopy);
    if (twRc != TWRC_SUCCESS) {
        TW_UINT16 wCondition = SourceCondition(*pSession->m_pLibrary, app.identity);
        return Fail(&app, wCondition);
    }
    // The library is freed with the last reference, after any call still running in it.
    std::lock_guard lock(m_mutex);
    m_sessions.erase(std::remove(m_sessions.begin(), m_sessions.end(), pSession), m_sessions.end());
    return TWRC_SUCCESS;
}

TW_UINT16 CSourceManager::RegisterCallback(const SessionPtr& pSession, TW_UINT16 DAT, TW_MEMREF pData)
{
    SApp* pApp = FindApp(pSession->m_nAppId);
    if (!pData)
        return Fail(pApp, TWCC_BADVALUE);
    SAppCallback callback;
    if (DAT == DAT_CALLBACK2) {
        const auto* p = static_cast<const TW_CALLBACK2*>(pData);
        callback = SAppCallback{p->CallBackProc, p->RefCon};
    } else {
        const auto* p = static_cast<const TW_CALLBACK*>(pData);
        callback = SAppCallback{p->CallBackProc, p->RefCon};
    }
    std::lock_guard lock(m_mutex);
    pSession->m_callback = callback;
    return TWRC_SUCCESS;
}

TW_UINT16 CSourceManager::ToSource(SApp& app, TW_IDENTITY* pDest, TW_UINT32 DG, TW_UINT16 DAT, TW_UINT16 MSG,
                                   TW_MEMREF pData)
{
    SessionPtr pSession = FindSessionOf(app.identity.Id, pDest->Id);
    if (!pSession)
        return Fail(&app, TWCC_BADDEST);
    if (DG == DG_CONTROL && (DAT == DAT_CALLBACK || DAT == DAT_CALLBACK2) && MSG == MSG_REGISTER_CALLBACK)
        return RegisterCallback(pSession, DAT, pData);
    if (DG == DG_CONTROL && DAT == DAT_EVENT && MSG == MSG_PROCESSEVENT && pData) {
        std::lock_guard lock(m_mutex);
        if (pSession->m_wHeldMsg != MSG_NULL) {
            static_cast<TW_EVENT*>(pData)->TWMessage = pSession->m_wHeldMsg;
            pSession->m_wHeldMsg = MSG_NULL;
            return TWRC_DSEVENT;
        }
    }
    TW_IDENTITY appCopy = app.identity;
    return pSession->m_pLibrary->Call(&appCopy, DG, DAT, MSG, pData);
}
