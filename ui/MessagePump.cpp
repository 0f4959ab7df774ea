#include "ui/MessagePump.h"

#include "ui/Wnd.h"

void ProcessMessage(MSG& msg, HWND hStop)
{
    if (msg.hwnd && CWnd::WalkPreTranslateTree(hStop, &msg))
        return;
    ::TranslateMessage(&msg);
    ::DispatchMessageW(&msg);
}

bool PumpMessagesUntil(const std::function<bool()>& bDone, HWND hStop)
{
    MSG msg{};
    while (!bDone()) {
        BOOL bGot = ::GetMessageW(&msg, nullptr, 0, 0);
        if (bGot == -1)
            return false;
        if (!bGot) {
            ::PostQuitMessage(static_cast<int>(msg.wParam));
            return false;
        }
        ProcessMessage(msg, hStop);
    }
    return true;
}

DWORD WaitWhilePumping(HANDLE hObject, DWORD dwMillis, HWND hStop)
{
    DWORD dwStart = ::GetTickCount();
    for (;;) {
        DWORD dwElapsed = ::GetTickCount() - dwStart;
        DWORD dwLeft = dwMillis == INFINITE ? INFINITE : (dwElapsed >= dwMillis ? 0 : dwMillis - dwElapsed);
        DWORD dwWait = ::MsgWaitForMultipleObjectsEx(1, &hObject, dwLeft, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
        if (dwWait != WAIT_OBJECT_0 + 1)
            return dwWait == WAIT_OBJECT_0 || dwWait == WAIT_TIMEOUT ? dwWait : WAIT_FAILED;
        MSG msg{};
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) {
                ::PostQuitMessage(static_cast<int>(msg.wParam));
                return WAIT_ABANDONED;
            }
            ProcessMessage(msg, hStop);
        }
        // The object may have been signalled while messages ran.
        if (::WaitForSingleObject(hObject, 0) == WAIT_OBJECT_0)
            return WAIT_OBJECT_0;
    }
}
