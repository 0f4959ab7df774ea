// The application's side of a TWAIN session: the source manager library, the manager and
// source states it has reached, and every triplet it sends, traced with its return code and,
// on failure, the condition code. The destructor walks back down from any state.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "twain/TwainTypes.h"
#include "twainscan/CapValue.h"

class CTwainSession {
public:
    explicit CTwainSession(bool bVerbose);
    ~CTwainSession();
    CTwainSession(const CTwainSession&) = delete;
    CTwainSession& operator=(const CTwainSession&) = delete;

    // False when the library is missing or has no DSM_Entry.
    bool LoadManager(const std::wstring& sPath);
    bool OpenManager(HWND hWnd);
    bool ManagerIsVersion2() const { return (m_app.SupportedGroups & DF_DSM2) != 0; }
    std::vector<TW_IDENTITY> ListSources();
    // The manager's default source; false when there is none.
    bool DefaultSource(TW_IDENTITY* pIdentity);
    bool OpenSource(const TW_IDENTITY& identity);
    // The return code of MSG_ENABLEDS; enabled after SUCCESS or CHECKSTATUS.
    TW_UINT16 Enable(bool bShowUi, HWND hParent);
    void Disable();
    void CloseSource();
    void CloseManager();
    bool SourceOpen() const { return m_bSourceOpen; }
    bool Enabled() const { return m_bEnabled; }

    TW_UINT16 CallManager(TW_UINT16 DAT, TW_UINT16 MSG, TW_MEMREF pData);
    TW_UINT16 CallSource(TW_UINT32 DG, TW_UINT16 DAT, TW_UINT16 MSG, TW_MEMREF pData);
    // The condition code read after the last TWRC_FAILURE.
    TW_UINT16 LastCondition() const { return m_wCondition; }

    bool GetCap(TW_UINT16 wCap, TW_UINT16 MSG, SCapValue* pValue, std::string* pError);
    bool SetCap(TW_UINT16 wCap, TW_UINT16 wType, const CapItem& item);

    // Memory the source or manager frees or the application frees for it: the manager's
    // allocator when it offers one, global memory otherwise.
    TW_HANDLE Alloc(TW_UINT32 nSize);
    void Free(TW_HANDLE h);
    void* Lock(TW_HANDLE h);
    void Unlock(TW_HANDLE h);

    TW_IDENTITY& Source() { return m_source; }
    bool Verbose() const { return m_bVerbose; }

private:
    TW_UINT16 Call(TW_IDENTITY* pDest, TW_UINT32 DG, TW_UINT16 DAT, TW_UINT16 MSG, TW_MEMREF pData);
    void Trace(TW_UINT32 DG, TW_UINT16 DAT, TW_UINT16 MSG, TW_MEMREF pData, TW_UINT16 twRc) const;

    bool m_bVerbose;
    HMODULE m_hManager = nullptr;
    DSMENTRYPROC m_pfnEntry = nullptr;
    TW_ENTRYPOINT m_entry{};
    TW_IDENTITY m_app{};
    TW_IDENTITY m_source{};
    HWND m_hWnd = nullptr;
    bool m_bManagerOpen = false;
    bool m_bSourceOpen = false;
    bool m_bEnabled = false;
    TW_UINT16 m_wCondition = TWCC_SUCCESS;
};
