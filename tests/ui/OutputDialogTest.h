// What the tests of the save and connection dialogs share: the user's clicks that end in a
// message dialog, the test thread's messages while the user acts, and checked gallery shots.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "harness/MessageDialogWatcher.h"
#include "harness/TestEnv.h"
#include "ui/DialogDriver.h"

namespace mvltest {

// Clicks the control and waits for the message dialog it raises; with the watcher answering,
// until it has gone. No window when none came.
SMessageDialog ClickForMessage(HWND hCtrl);

// Runs the test thread's messages while user acts on a second thread.
void RunUser(HWND hWake, const std::function<void()>& user);

// Lets the dialog settle, checks its layout as a user sees it (texts fit, nothing overlaps,
// mirrored for Arabic) and saves it to the gallery.
void ShootChecked(HWND hDlg, const char* pszName, const wchar_t* pszCode);

}  // namespace mvltest
