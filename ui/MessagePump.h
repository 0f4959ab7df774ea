// The framework's own message loops: modal dialogs and waits for worker threads keep
// dispatching what other threads post, with the framework's pre-translation.
#pragma once

#include <windows.h>

#include <functional>

// Pre-translates (window chain up to hStop, or to the top), translates and dispatches one message.
void ProcessMessage(MSG& msg, HWND hStop = nullptr);

// Runs messages until bDone() holds. WM_QUIT ends the loop early and is posted again for the
// outer loop; false then.
bool PumpMessagesUntil(const std::function<bool()>& bDone, HWND hStop = nullptr);

// Waits for a handle (a thread, an event) while messages keep flowing. WAIT_OBJECT_0, WAIT_TIMEOUT,
// WAIT_FAILED, or WAIT_ABANDONED when WM_QUIT arrived (it is posted again).
DWORD WaitWhilePumping(HANDLE hObject, DWORD dwMillis, HWND hStop = nullptr);
