#include "ui/OutputDialogTest.h"

#include <gtest/gtest.h>

#include <atomic>

#include "ui/DialogChecks.h"
#include "ui/MessagePump.h"

namespace mvltest {

SMessageDialog ClickForMessage(HWND hCtrl)
{
    MessageDialogs().Clear();
    ClickCtrl(hCtrl);
    SMessageDialog d = MessageDialogs().WaitForAny(5000);
    if (MessageDialogs().AutoDismiss())
        WaitGone(d.hWnd, 5000);
    return d;
}

void RunUser(HWND hWake, const std::function<void()>& user)
{
    std::atomic<bool> bDone{false};
    RunWithUser(
        [&] {
            PumpMessagesUntil([&] { return bDone.load(); }, nullptr);
            return INT_PTR(0);
        },
        [&] {
            user();
            bDone = true;
            ::PostMessageW(hWake, WM_NULL, 0, 0);
        });
}

void ShootChecked(HWND hDlg, const char* pszName, const wchar_t* pszCode)
{
    ::Sleep(300);
    const std::wstring sCode(pszCode);
    for (const std::string& s : LayoutProblems(hDlg, sCode == L"ar"))
        ADD_FAILURE() << pszName << " " << std::string(sCode.begin(), sCode.end()) << ": " << s;
    EXPECT_TRUE(SaveGalleryShot(hDlg, pszName, pszCode));
}

}  // namespace mvltest
