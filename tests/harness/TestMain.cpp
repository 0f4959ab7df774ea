// The main of every Windows test executable: a child action when asked for one,
// otherwise the GoogleTest run.
#include <windows.h>

#include <gtest/gtest.h>

#include "harness/ChildProcess.h"
#include "harness/MessageDialogWatcher.h"

int main(int argc, char** argv)
{
    // Keep crash dialogs away: a headless run must never wait for a click.
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX | SEM_NOOPENFILEERRORBOX);
    int nWide = 0;
    wchar_t** wargv = CommandLineToArgvW(GetCommandLineW(), &nWide);
    int nExit = 0;
    bool bChild = wargv && mvltest::RunChildIfRequested(nWide, wargv, &nExit);
    LocalFree(wargv);
    if (bChild)
        return nExit;
    testing::InitGoogleTest(&argc, argv);
    // Message dialogs of the source (in this process or a child) are recorded and clicked
    // away, so that no test hangs on a modal dialog nobody answers.
    // MVL_NO_DIALOG_WATCHER=1 leaves the desktop alone (to tell a hang of one's own apart).
    wchar_t szOff[4] = {};
    bool bWatch = GetEnvironmentVariableW(L"MVL_NO_DIALOG_WATCHER", szOff, 4) == 0;
    if (bWatch)
        mvltest::MessageDialogs().Start();
    int nResult = RUN_ALL_TESTS();
    mvltest::MessageDialogs().Stop();
    return nResult;
}
