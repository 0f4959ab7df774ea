// Waiting for the source: a hidden window whose message loop passes every message to the
// source (MSG_PROCESSEVENT), and the TWAIN 2 callback; whichever brings the notification first.
// Every wait ends at its deadline.
#pragma once

#include <windows.h>

#include "twain/TwainTypes.h"
#include "twainscan/TwainSession.h"

class CEventPump {
public:
    CEventPump();
    ~CEventPump();
    CEventPump(const CEventPump&) = delete;
    CEventPump& operator=(const CEventPump&) = delete;

    HWND Window() const { return m_hWnd; }
    // Asks the manager to call us back when both it and the source are TWAIN 2; false when it
    // will not (the loop still works).
    bool RegisterCallback(CTwainSession& session);
    // MSG_XFERREADY, MSG_CLOSEDSREQ or MSG_CLOSEDSOK; MSG_NULL when the deadline passed first.
    TW_UINT16 Wait(CTwainSession& session, DWORD dwMillis);
    // Forgets a notification that arrived after the session stopped listening.
    void Clear();

private:
    HWND m_hWnd = nullptr;
};
