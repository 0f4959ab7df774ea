// A data source library loaded by the manager, and an open source with what the manager
// keeps for it: its identity, its application, the application's callback and the one
// notification held for the application's next MSG_PROCESSEVENT.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "twain/TwainTypes.h"

class CLoadedSource {
public:
    explicit CLoadedSource(const std::wstring& sPath);
    ~CLoadedSource();
    CLoadedSource(const CLoadedSource&) = delete;
    CLoadedSource& operator=(const CLoadedSource&) = delete;

    bool Loaded() const { return m_pfnEntry != nullptr; }
    const std::wstring& Path() const { return m_sPath; }
    TW_UINT16 Call(TW_IDENTITY* pOrigin, TW_UINT32 DG, TW_UINT16 DAT, TW_UINT16 MSG, TW_MEMREF pData) const;

private:
    std::wstring m_sPath;
    HMODULE m_hModule = nullptr;
    DSENTRYPROC m_pfnEntry = nullptr;
};

struct SAppCallback {
    TW_MEMREF pProc = nullptr;
    TW_UINTPTR nRefCon = 0;
};

struct CSourceSession {
    std::unique_ptr<CLoadedSource> m_pLibrary;
    TW_IDENTITY m_identity{};
    TW_UINT32 m_nAppId = 0;
    SAppCallback m_callback;
    // MSG_NULL while nothing waits; a later notification replaces an earlier one.
    TW_UINT16 m_wHeldMsg = MSG_NULL;
};
