// The manager's state: the applications that opened it, their catalogs and the sources
// they opened, and the routing of triplets between them.
#pragma once

#include <windows.h>

#include <memory>
#include <mutex>
#include <vector>

#include "twain/TwainTypes.h"
#include "twaindsm/SourceCatalog.h"
#include "twaindsm/SourceSession.h"

class CSourceManager {
public:
    TW_UINT16 Entry(TW_IDENTITY* pOrigin, TW_IDENTITY* pDest, TW_UINT32 DG, TW_UINT16 DAT, TW_UINT16 MSG,
                    TW_MEMREF pData);

private:
    struct SApp {
        TW_IDENTITY identity{};
        HWND hWnd = nullptr;
        TW_UINT16 wCondition = TWCC_SUCCESS;
        std::vector<SSourceEntry> catalog;
        size_t nNext = 0;
    };
    using SessionPtr = std::shared_ptr<CSourceSession>;

    TW_UINT16 Fail(SApp* pApp, TW_UINT16 wCondition);
    SApp* FindApp(TW_UINT32 nId);
    SessionPtr FindSession(TW_UINT32 nId);
    SessionPtr FindSessionOf(TW_UINT32 nAppId, TW_UINT32 nSourceId);

    TW_UINT16 FromSource(const SessionPtr& pSession, TW_IDENTITY* pDest, TW_UINT16 MSG);
    TW_UINT16 Parent(TW_IDENTITY* pOrigin, TW_UINT16 MSG, TW_MEMREF pData);
    TW_UINT16 OpenManager(TW_IDENTITY* pOrigin, TW_MEMREF pData);
    TW_UINT16 CloseManager(TW_IDENTITY* pOrigin);
    TW_UINT16 ToManager(SApp& app, TW_UINT16 DAT, TW_UINT16 MSG, TW_MEMREF pData);
    TW_UINT16 Identity(SApp& app, TW_UINT16 MSG, TW_IDENTITY* pIdentity);
    TW_UINT16 Enumerate(SApp& app, TW_UINT16 MSG, TW_IDENTITY* pIdentity);
    TW_UINT16 OpenSource(SApp& app, TW_IDENTITY* pIdentity);
    TW_UINT16 CloseSource(SApp& app, TW_IDENTITY* pIdentity);
    TW_UINT16 ToSource(SApp& app, TW_IDENTITY* pDest, TW_UINT32 DG, TW_UINT16 DAT, TW_UINT16 MSG, TW_MEMREF pData);
    TW_UINT16 RegisterCallback(const SessionPtr& pSession, TW_UINT16 DAT, TW_MEMREF pData);
    void RefreshCatalog(SApp& app);
    void ShutSession(const SessionPtr& pSession, const TW_IDENTITY& appIdentity);

    // Held while the manager's records change; never while a source or callback runs, since a
    // source may call back into the manager from inside a triplet or from its own thread.
    std::mutex m_mutex;
    std::vector<std::unique_ptr<SApp>> m_apps;
    std::vector<SessionPtr> m_sessions;
    TW_UINT32 m_nLastId = 0;
    // For callers the manager cannot place: no origin or an unknown application.
    TW_UINT16 m_wCondition = TWCC_SUCCESS;
};

CSourceManager& TheSourceManager();
