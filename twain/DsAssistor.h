// The one state object of the process: the TWAIN state, the pending condition code,
// the source's and the connected application's identities.
#pragma once

#include <windows.h>

#include <string>

#include "twain/DsProxy.h"
#include "twain/ObjectModel.h"
#include "twain/TwainTypes.h"

class CFakeUI;
class CFakeScanner;

class CDsAssistor : public CObject, public CDsProxy {
    DECLARE_DYNCREATE(CDsAssistor)

public:
    CDsAssistor();
    ~CDsAssistor() override;

    TW_UINT16 GetState() const { return m_dsState; }
    void SetState(TW_UINT16 wState) { m_dsState = wState; }
    TW_UINT16 GetConditionCode() const { return m_conditionCode; }
    TW_UINT16 SetConditionCode(TW_UINT16 wCode) { return m_conditionCode = wCode; }

    TW_UINT32 GetAppId() const { return m_appIdentity.Id; }
    const TW_IDENTITY& AppIdentity() const { return m_appIdentity; }
    const TW_IDENTITY& DsIdentity() const { return m_dsIdentity; }
    const std::wstring& ProductNameW() const { return m_sProductName; }

    // MSG_OPENDS: records the application and the source identity the manager completed.
    TW_UINT16 ConnectApp(const TW_IDENTITY* pOrigin, const TW_IDENTITY* pDsIdentity);
    // MSG_CLOSEDS: from now on any caller is accepted.
    void DisconnectApp() { m_appIdentity.Id = 0; }
    // MSG_GET on DAT_IDENTITY.
    TW_UINT16 GetDsIdInfo(TW_IDENTITY* pIdentity);

    // MSG_ENABLEDS and MSG_DISABLEDS: the moves between states 4, 5 and 6.
    TW_UINT16 EnableDS(const TW_USERINTERFACE* pUI);
    TW_UINT16 DisableDS();
    bool HoldsSignMutex() const { return m_hSignMutex != nullptr; }

    // The file a file transfer writes, as the application last set it.
    const std::wstring& XferFileName() const { return m_sXferFileName; }
    void SetXferFileName(const std::wstring& sName) { m_sXferFileName = sName; }

    void SetHolders(CFakeUI* pFakeUI, CFakeScanner* pFakeScanner);
    CFakeUI* FakeUI() const { return m_pFakeUI; }
    CFakeScanner* FakeScanner() const { return m_pFakeScanner; }

    HWND m_hParent = nullptr;
    HANDLE m_hSignMutex = nullptr;

    // CDsProxy
    int CloseNotify(int nFlag) override;
    int ScannerOp1(int a, int b, int c) override;
    int ScannerOp2(int a, int b, int c, int d) override;
    int ScannerOp3(int a) override;
    int ScannerOp4(int a) override;
    int ScannerOp5() override;

private:
    void InitDsIdentity();
    // Creates the sign mutex unless it exists; every user and process may open it.
    void CreateSignMutex();
    void ReleaseSignMutex();
    // The office scanning component lists sources under the current user; this source's entry
    // gets its flags there.
    void MarkOfficeScanEntry();
    // The device and transfer side of a disable: the job ends, the next transfer scans anew.
    void CloseDeviceAtDisable();
    void ResetTransferAtDisable();

    TW_UINT16 m_dsState = 300;
    TW_UINT16 m_conditionCode = TWCC_SUCCESS;
    TW_IDENTITY m_dsIdentity{};
    TW_IDENTITY m_appIdentity{};
    std::wstring m_sProductName;
    std::wstring m_sXferFileName;
    CFakeUI* m_pFakeUI = nullptr;
    CFakeScanner* m_pFakeScanner = nullptr;
    // A scanner call forwarded by operation 2 failed; operation 3 passes that on.
    bool m_bScannerCallFailed = false;
};

extern CDsAssistor* g_pDsAssistor;

// The current enable was made without the source's dialog.
extern BOOL g_bNoUI;

// The host executable's file name in upper case ("WINWORD.EXE").
std::wstring HostExeNameUpper();
