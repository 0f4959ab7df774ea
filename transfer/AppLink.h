// The link back to the calling application: the host program's adaptations (SAppFlags) and
// the source-to-application notifications sent through the source manager.
//
// The manager's entry is the one a TWAIN 2 manager gave, else that of a manager already loaded
// in the process (ManagerEntry.h); no library is loaded to find one, and without a manager a
// notification is traced and dropped. Notifications reach the application only from its own
// thread: one asked for on any other thread is handed to the source's message window, made on
// the application's thread at MSG_OPENDS, and sent from its window procedure. A notification
// the application cannot take yet (the session says when, through the hold hook) waits and is
// sent, in order, once the session releases it.
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

// Sends DG_CONTROL / DAT_NULL / wMsg from the source to the application; the result is not
// examined. Posted to the application's thread when called on another one; kept while the
// hold hook says the application cannot take it.
void SendToApplication(const TW_IDENTITY& ds, const TW_IDENTITY& app, TW_UINT16 wMsg);

// Whether a notification must wait now; asked on the application's thread. None: none waits.
using NotificationHoldFn = bool (*)(TW_UINT16 wMsg);
void SetNotificationHold(NotificationHoldFn pfnHold);
// On the application's thread: sends, in the order asked for, what waited and may go now.
void SendHeldNotifications();
// The source was disabled or closed: what waited is not sent any more.
void DropHeldNotifications();

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
