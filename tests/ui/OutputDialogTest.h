// What the tests of the save and connection dialogs share: the dialogs' settings folder of
// their own, and the user's clicks that end in a message dialog.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "harness/MessageDialogWatcher.h"
#include "harness/TestEnv.h"
#include "ui/DialogDriver.h"

namespace mvltest {

// The product profile's settings location points into a fresh folder under the user's
// application data, removed with the object.
class CSettingsFolder {
public:
    CSettingsFolder();
    ~CSettingsFolder();
    CSettingsFolder(const CSettingsFolder&) = delete;
    CSettingsFolder& operator=(const CSettingsFolder&) = delete;
    std::wstring RecordPath() const;

private:
    std::wstring m_sName;
};

// Clicks the control and waits for the message dialog it raises; with the watcher answering,
// until it has gone. No window when none came.
SMessageDialog ClickForMessage(HWND hCtrl);

// Runs the test thread's messages while user acts on a second thread.
void RunUser(HWND hWake, const std::function<void()>& user);

std::wstring Lang(HINSTANCE hModule, UINT nId);

// Lets the dialog settle, checks its layout as a user sees it (texts fit, nothing overlaps,
// mirrored for Arabic and Hebrew) and saves it to the gallery.
void ShootChecked(HWND hDlg, const char* pszName, const wchar_t* pszCode);

}  // namespace mvltest
