#include "twainscan/EventPump.h"

#include <algorithm>
#include <atomic>

namespace {

const wchar_t g_szClass[] = L"twainscanEventWindow";
// The manager may call back on any thread; the loop picks the message up from here.
std::atomic<TW_UINT16> g_wNotified{MSG_NULL};
std::atomic<HWND> g_hWakeWindow{nullptr};

bool IsNotification(TW_UINT16 MSG)
{
    return MSG == MSG_XFERREADY || MSG == MSG_CLOSEDSREQ || MSG == MSG_CLOSEDSOK;
}

TW_UINT16 TW_CALLINGSTYLE Callback(TW_IDENTITY*, TW_IDENTITY*, TW_UINT32, TW_UINT16, TW_UINT16 MSG, TW_MEMREF)
{
    if (IsNotification(MSG)) {
        g_wNotified = MSG;
        if (HWND hWnd = g_hWakeWindow)
            PostMessageW(hWnd, WM_NULL, 0, 0);
    }
    return TWRC_SUCCESS;
}

}  // namespace

CEventPump::CEventPump()
{
    WNDCLASSW wc{};
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = g_szClass;
    RegisterClassW(&wc);
    // A real top-level window (never shown): sources use it as the parent of their dialogs.
    m_hWnd = CreateWindowExW(0, g_szClass, L"twainscan", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr, nullptr,
                             wc.hInstance, nullptr);
    g_hWakeWindow = m_hWnd;
    g_wNotified = MSG_NULL;
}

CEventPump::~CEventPump()
{
    g_hWakeWindow = nullptr;
    if (m_hWnd)
        DestroyWindow(m_hWnd);
    UnregisterClassW(g_szClass, GetModuleHandleW(nullptr));
}

bool CEventPump::RegisterCallback(CTwainSession& session)
{
    // As TWAIN 2 applications on Windows do: only a TWAIN 2 source reaches its application through
    // the manager's callback; a TWAIN 1 source's messages come through the message loop.
    if (!session.ManagerIsVersion2() || !(session.Source().SupportedGroups & DF_DS2))
        return false;
    TW_CALLBACK2 callback{reinterpret_cast<TW_MEMREF>(&Callback), 0, 0};
    if (session.CallSource(DG_CONTROL, DAT_CALLBACK2, MSG_REGISTER_CALLBACK, &callback) == TWRC_SUCCESS)
        return true;
    // Managers before 2.2 know only the first form.
    TW_CALLBACK callback1{reinterpret_cast<TW_MEMREF>(&Callback), 0, 0};
    return session.CallSource(DG_CONTROL, DAT_CALLBACK, MSG_REGISTER_CALLBACK, &callback1) == TWRC_SUCCESS;
}

void CEventPump::Clear()
{
    g_wNotified = MSG_NULL;
}

TW_UINT16 CEventPump::Wait(CTwainSession& session, DWORD dwMillis)
{
    ULONGLONG nDeadline = GetTickCount64() + dwMillis;
    for (;;) {
        TW_UINT16 wMsg = g_wNotified.exchange(MSG_NULL);
        if (wMsg != MSG_NULL)
            return wMsg;
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TW_EVENT event{&msg, MSG_NULL};
            TW_UINT16 twRc = session.CallSource(DG_CONTROL, DAT_EVENT, MSG_PROCESSEVENT, &event);
            if (twRc == TWRC_DSEVENT) {
                // The source's own message: not ours to dispatch, but it may carry a notification.
                if (IsNotification(event.TWMessage))
                    return event.TWMessage;
                continue;
            }
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
            // A notification sent from inside a dispatched message (the source's own window).
            if ((wMsg = g_wNotified.exchange(MSG_NULL)) != MSG_NULL)
                return wMsg;
        }
        ULONGLONG nNow = GetTickCount64();
        if (nNow >= nDeadline)
            return MSG_NULL;
        DWORD dwSlice = static_cast<DWORD>(std::min<ULONGLONG>(nDeadline - nNow, 100));
        MsgWaitForMultipleObjects(0, nullptr, FALSE, dwSlice, QS_ALLINPUT);
    }
}
