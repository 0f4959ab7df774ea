// The scan side's view of the session: the TWAIN state, the scanning dialog when there is
// one, the file a file transfer writes, and the notifications to the application.
#pragma once

#include <windows.h>

#include <string>

#include "twain/TwainTypes.h"

// 300 without a session.
TW_UINT16 SessionState();
void SetSessionState(TW_UINT16 wState);
void SetSessionCondition(TW_UINT16 wCode);

// The scanning dialog's window (shown or hidden), or null.
HWND SessionDialogWindow();
// Re-enables the dialog window after a page (it is disabled while a scan runs).
void EnableSessionDialog();

// State 600 and MSG_XFERREADY.
void SessionXferReady();
// MSG_CLOSEDSREQ, once per enable, when the source runs without its dialog or the user closed it.
void SessionCloseRequest();

// MSG_CLOSEDSOK: the merge series ended; the application saves what it has.
void SessionCloseDsOk();

// The dialog placement some host programs need (Photoshop before CS4, the client program): the
// scanning dialog is kept above the host's windows.
void PlaceSessionDialog();

// The name the application gave with DAT_SETUPFILEXFER.
std::wstring SessionXferFileName();
// The file format in force (TWFF_BMP or TWFF_TIFF), from ICAP_IMAGEFILEFORMAT or DAT_SETUPFILEXFER.
TW_UINT16 SessionFileFormat();

// The source runs without its dialog in this enable.
bool SessionNoUI();

// Every triplet passes through these two on the application's thread. Notifications wait while
// the application is inside a transfer triplet; a close request (or close-ok) also until it has
// ended the transfers, with a Count of 0 from DAT_PENDINGXFERS or back in state 5. What waited
// is sent when a triplet other than a transfer ends and nothing holds it any more; a disable or
// close drops it.
void SessionTripletBegins(TW_UINT16 DAT);
void SessionTripletEnds(TW_UINT16 DAT, TW_UINT16 MSG, TW_MEMREF pData);
// Whether a notification must wait now (the hold hook of the application link).
bool SessionHoldsNotification(TW_UINT16 wMsg);
