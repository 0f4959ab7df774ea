// Watches the desktop for the data source's message dialogs (error, warning with OK, warning
// with OK and Cancel), from this process or any other of the same wineserver (twainscan.exe,
// child processes). Each one seen is recorded with its title and texts and, unless a test has
// turned auto-dismiss off, closed with a click on OK so that no test waits on a modal dialog.
#pragma once

#include <windows.h>

#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace mvltest {

struct SMessageDialog {
    HWND hWnd = nullptr;
    DWORD dwProcessId = 0;
    int nMessageCtrl = 0;       // 10306 error, 10307 warning with OK, 10308 warning with Cancel
    std::wstring sTitle;
    std::wstring sText;         // the message
    std::vector<std::wstring> texts;  // every child window's text, in window order
    bool bDismissed = false;    // the watcher clicked OK
};

class CMessageDialogWatcher {
public:
    CMessageDialogWatcher() = default;
    ~CMessageDialogWatcher();
    CMessageDialogWatcher(const CMessageDialogWatcher&) = delete;
    CMessageDialogWatcher& operator=(const CMessageDialogWatcher&) = delete;

    void Start();
    void Stop();

    // Dismissing is on by default; tests that drive the dialogs themselves turn it off.
    void SetAutoDismiss(bool bOn);
    bool AutoDismiss() const;

    // Every dialog seen since the start or the last Clear, oldest first.
    std::vector<SMessageDialog> Seen() const;
    void Clear();
    // True once a dialog whose message contains sText has been seen (also before the call).
    bool WaitFor(const std::wstring& sText, DWORD dwMillis) const;
    // The first dialog seen after the call, or one still open; hWnd null on timeout.
    SMessageDialog WaitForAny(DWORD dwMillis) const;

    // The message control that marks one of our message dialogs; 0 for any other window.
    static int MessageControlOf(HWND hWnd);

private:
    void Run();
    void Scan();
    bool Known(HWND hWnd) const;

    mutable std::mutex m_mutex;
    mutable std::condition_variable m_cv;
    std::vector<SMessageDialog> m_seen;
    std::vector<HWND> m_open;  // dialogs seen and still on the desktop
    bool m_bAutoDismiss = true;
    bool m_bStop = false;
    std::thread m_thread;
};

// The watcher the test main starts for every Windows test executable.
CMessageDialogWatcher& MessageDialogs();

// Turns auto-dismiss off for a scope.
class CManualMessageDialogs {
public:
    CManualMessageDialogs() : m_bOld(MessageDialogs().AutoDismiss()) { MessageDialogs().SetAutoDismiss(false); }
    ~CManualMessageDialogs() { MessageDialogs().SetAutoDismiss(m_bOld); }
    CManualMessageDialogs(const CManualMessageDialogs&) = delete;
    CManualMessageDialogs& operator=(const CManualMessageDialogs&) = delete;

private:
    bool m_bOld;
};

// Text of a window of any process (cross-process WM_GETTEXT, bounded wait).
std::wstring WindowTextOf(HWND hWnd);

}  // namespace mvltest
