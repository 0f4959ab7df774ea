#include "twain/TwainDsApp.h"

#include <cwchar>
#include <string>

#include "device/LLDGlobal.h"
#include "profile/ProductProfile.h"
#include "profile/Trace.h"
#include "twain/CapabilityTable.h"
#include "twain/DS.h"
#include "twain/DsAssistor.h"
#include "twain/FakeScanner.h"
#include "twain/FakeUI.h"
#include "twain/ScannerTemplate.h"
#include "transfer/AppLink.h"
#include "transfer/SessionLink.h"
#include "twain/TripletTrace.h"
#include "transfer/AppLink.h"
#include "ui/MainUIDialog.h"
#include "ui/ScanController.h"
#include "ui/ScanDialogsSetup.h"

CTwainDsApp theApp;
HINSTANCE g_hInstance = nullptr;

namespace {

// While any process has the source enabled, its sign mutex exists and nobody may open the source.
bool SignMutexExists()
{
    std::wstring sName = L"Global\\" + ReadFilePrefix() + L"_sign";
    HANDLE hMutex = OpenMutexW(READ_CONTROL, FALSE, sName.c_str());
    if (!hMutex)
        return false;
    TRACE_TEST("==== enableDS =====OpenMutex  :true ");
    CloseHandle(hMutex);
    return true;
}

}  // namespace

CTwainDsApp::~CTwainDsApp()
{
    delete m_pDS;
    m_pDS = nullptr;
}

BOOL CTwainDsApp::InitInstance()
{
    CScannerTemplate tmpl(RUNTIME_CLASS(CFakeScanner), RUNTIME_CLASS(CFakeUI), RUNTIME_CLASS(CDsAssistor));
    m_pDS = tmpl.CreateDS();
    // CAP_FEEDERLOADED asks the device itself, through the scan controller's probe.
    SCapabilityHooks hooks;
    hooks.pfnFeederLoaded = []() -> BOOL { return ProbePaperInFeeder() > 0; };
    hooks.pfnShowMergeScanDialog = &ShowMergeScanDialog;
    hooks.pfnPixelFlavorAnswered = [] {
        CMainUIDialog* pDialog = g_pDsAssistor && g_pDsAssistor->FakeUI() ? g_pDsAssistor->FakeUI()->Dialog() : nullptr;
        if (g_appFlags.bPhotoshop && pDialog)
            pDialog->SetDeferredClose();
    };
    SetCapabilityHooks(hooks);
    // Scans show their progress and their messages in the source's own dialogs.
    InstallScanDialogs();
    // Notifications wait while the application is inside a transfer.
    SetNotificationHold(&SessionHoldsNotification);
    return m_pDS != nullptr;
}

TW_UINT16 CTwainDsApp::DS_Entry(TW_IDENTITY* pOrigin, TW_UINT32 DG, TW_UINT16 DAT, TW_UINT16 MSG, TW_MEMREF pData)
{
    _MsgInfo info{pOrigin, DG, DAT, MSG, pData};
    TraceTriplet(info, nullptr);

    if (MSG == MSG_OPENDS && SignMutexExists())
        return TWRC_FAILURE;

    TW_UINT16 twRc;
    TW_UINT32 nAppId = m_pDS ? m_pDS->GetAppId() : 0;
    if (nAppId != 0 && (!pOrigin || pOrigin->Id != nAppId)) {
        twRc = TWRC_FAILURE;
        TraceTriplet(info, &twRc);
        return twRc;
    }
    SessionTripletBegins(DAT);
    if (MSG == MSG_PROCESSEVENT) {
        // The source's dialogs are ordinary modeless windows served by the application's loop.
        if (pData)
            static_cast<TW_EVENT*>(pData)->TWMessage = MSG_NULL;
        twRc = TWRC_NOTDSEVENT;
    } else {
        twRc = m_pDS ? m_pDS->Dispatch(&info) : TWRC_FAILURE;
    }
    SessionTripletEnds(DAT, MSG, pData);
    TraceTriplet(info, &twRc);
    return twRc;
}

extern "C" __declspec(dllexport) TW_UINT16 TW_CALLINGSTYLE DS_Entry(TW_IDENTITY* pOrigin, TW_UINT32 DG, TW_UINT16 DAT,
                                                                  TW_UINT16 MSG, TW_MEMREF pData)
{
    return theApp.DS_Entry(pOrigin, DG, DAT, MSG, pData);
}

extern "C" BOOL WINAPI DllMain(HINSTANCE hInstance, DWORD dwReason, LPVOID)
{
    if (dwReason == DLL_PROCESS_ATTACH) {
        g_hInstance = hInstance;
        DisableThreadLibraryCalls(hInstance);
        return theApp.InitInstance();
    }
    // Before the source's objects go (the scanning dialog among them, which frees the device
    // library): under the loader lock nothing may wait for the library's threads.
    if (dwReason == DLL_PROCESS_DETACH)
        g_LLD.AbandonAtUnload();
    return TRUE;
}
