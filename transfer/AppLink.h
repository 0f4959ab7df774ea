// The link back to the calling application: the host program's adaptations (SAppFlags) and
// the source-to-application notifications sent through the source manager.
//
// The manager's entry is found in the TWAIN 2 manager already loaded in the process
// ("TWAINDSM.DLL"), and only without it in "TWAIN_32.DLL": a 64-bit process cannot use the
// 32-bit legacy manager, and where a library of that name exists it is an unrelated one.
// Notifications reach the application only from its own thread: one asked for on any other
// thread is handed to the source's message window, made on the application's thread at
// MSG_OPENDS, and sent from its window procedure.
#pragma once

#include <windows.h>

#include "transfer/AppTable.h"
#include "twain/TwainTypes.h"

// Set at MSG_OPENDS by RecognizeHostApp; lives to process end.
extern SAppFlags g_appFlags;

// Close-request marker: MSG_CLOSEDSREQ was sent in this enable.
extern BOOL g_bCloseDsReqSent;
// The user closed the scanning dialog.
extern BOOL g_bUserClose;
// Cleared by the close notification with a nonzero argument; initially set.
extern BOOL g_bKeepOpen;

// MSG_OPENDS, on the application's thread: works out the host program from the main module,
// traces "CDsAssistor::ConnectApp: AP -- ProductName:%s", sets g_appFlags and makes the
// message window notifications are sent from.
void RecognizeHostApp();
// The same for a given module path (tests, and hosts known by other means).
void RecognizeHostApp(const std::wstring& sModulePath);

// MSG_GET on DAT_IDENTITY: the eight office programs set the Office flag. True for them.
bool MarkOfficeIdentityHost();

// The manager's entry: the loaded TWAIN 2 manager's, else the legacy library's; null when
// neither has one. *phLoaded receives a library loaded for the call, to be freed after it.
DSMENTRYPROC FindDsmEntry(HMODULE* phLoaded);

// Sends DG_CONTROL / DAT_NULL / wMsg from the source to the application; the result is not
// examined. Posted to the application's thread when called on another one.
void SendToApplication(const TW_IDENTITY& ds, const TW_IDENTITY& app, TW_UINT16 wMsg);

// MSG_XFERREADY (the caller has moved to state 600).
void NotifyXferReady(const TW_IDENTITY& ds, const TW_IDENTITY& app);
// MSG_CLOSEDSREQ once per enable, only without the dialog or after the user closed it.
// True when it was sent.
bool NotifyCloseDsRequest(const TW_IDENTITY& ds, const TW_IDENTITY& app, bool bNoUI);
// MSG_CLOSEDSOK after merge scanning ended with an error.
void NotifyMergeScanErrorEnd(const TW_IDENTITY& ds, const TW_IDENTITY& app);
// The dialog's close notification: nonzero clears the keep-open flag, 0 asks to close.
int CloseNotify(int nFlag, const TW_IDENTITY& ds, const TW_IDENTITY& app, bool bNoUI);
// Enable in state 4 and each dialog scan: the next close request may be sent again.
void ArmCloseDsRequest();
