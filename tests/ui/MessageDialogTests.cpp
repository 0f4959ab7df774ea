// The message dialogs as the user meets them: found on the desktop by the harness's watcher,
// read, typed at and clicked from a second thread.
#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "harness/MessageDialogWatcher.h"
#include "harness/TestEnv.h"
#include "ui/DialogDriver.h"
#include "ui/DialogSkin.h"
#include "ui/MessageDialogs.h"

using namespace mvltest;

namespace {

class MessageDialogTests : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_NE(m_english.Module(), nullptr);
        MessageDialogs().Clear();
    }
    CLangLibrary m_english{L"enus"};
};

struct SUserSaw {
    SMessageDialog dialog;
    bool bOpenAfterKeys = false;
    UINT nBackground = 0;
};

// Shows the dialog; the user presses Enter, Space and Escape, right-clicks, then clicks nButton
// (or closes the window with its close box when nButton is 0). With a name, the dialog goes
// into the gallery under it and the file code.
INT_PTR ShowAndAnswer(CMessageDlg& dlg, int nButton, SUserSaw& saw, const char* pszShot = nullptr,
                      const wchar_t* pszCode = L"enus")
{
    return RunWithUser([&] { return dlg.Show(nullptr); },
                       [&] {
                           saw.dialog = MessageDialogs().WaitForAny(10000);
                           HWND hDlg = saw.dialog.hWnd;
                           if (!hDlg)
                               return;
                           saw.nBackground = dlg.BackgroundId();
                           HWND hOk = ::GetDlgItem(hDlg, IDOK);
                           for (WPARAM nKey : {VK_RETURN, VK_SPACE, VK_ESCAPE}) {
                               PressKey(hOk, nKey);
                               PressKey(hDlg, nKey);
                           }
                           ::PostMessageW(hOk, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(5, 5));
                           ::PostMessageW(hOk, WM_RBUTTONUP, 0, MAKELPARAM(5, 5));
                           ::Sleep(400);
                           saw.bOpenAfterKeys = ::IsWindowVisible(hDlg) != FALSE;
                           if (pszShot)
                               SaveGalleryShot(hDlg, pszShot, pszCode);
                           if (nButton)
                               ::PostMessageW(::GetDlgItem(hDlg, nButton), BM_CLICK, 0, 0);
                           else
                               ::PostMessageW(hDlg, WM_SYSCOMMAND, SC_CLOSE, 0);
                       });
}

TEST_F(MessageDialogTests, ErrorDialogClosesOnlyThroughOk)
{
    CManualMessageDialogs manual;
    CErrorDlg dlg(m_english.Module());
    dlg.SetMessage(L"The scanner cover is open. Please close it and try again.");
    SUserSaw saw;
    EXPECT_EQ(ShowAndAnswer(dlg, IDOK, saw, "error-dialog"), 1);
    EXPECT_TRUE(saw.bOpenAfterKeys);
    EXPECT_EQ(saw.dialog.nMessageCtrl, 10306);
    EXPECT_EQ(saw.dialog.sTitle, L"Error");
    EXPECT_EQ(saw.dialog.sText, L"The scanner cover is open. Please close it and try again.");
    EXPECT_EQ(saw.nBackground, 10439u);
}

TEST_F(MessageDialogTests, ErrorDialogCloseBoxCountsAsCancel)
{
    CManualMessageDialogs manual;
    CErrorDlg dlg(m_english.Module());
    dlg.SetMessage(L"closing");
    SUserSaw saw;
    EXPECT_EQ(ShowAndAnswer(dlg, 0, saw), 2);
    EXPECT_TRUE(saw.bOpenAfterKeys);
}

TEST_F(MessageDialogTests, WarningOkShowsItsTitleAndAnswersOne)
{
    CManualMessageDialogs manual;
    CWarningOK dlg(m_english.Module());
    dlg.SetMessage(L"Merge scanning is not available with the current settings.");
    SUserSaw saw;
    EXPECT_EQ(ShowAndAnswer(dlg, IDOK, saw, "warning-ok-dialog"), 1);
    EXPECT_TRUE(saw.bOpenAfterKeys);
    EXPECT_EQ(saw.dialog.nMessageCtrl, 10307);
    EXPECT_EQ(saw.dialog.sTitle, L"Warning");
    EXPECT_EQ(saw.nBackground, 10440u);
}

TEST_F(MessageDialogTests, WarningDialogAnswersOneForOkAndTwoForCancel)
{
    CManualMessageDialogs manual;
    for (int nButton : {IDOK, IDCANCEL}) {
        CWarningDlg dlg(m_english.Module());
        dlg.SetMessage(L"A file with this name already exists. Do you want to replace it?");
        SUserSaw saw;
        EXPECT_EQ(ShowAndAnswer(dlg, nButton, saw, nButton == IDOK ? "warning-dialog" : nullptr), nButton);
        EXPECT_TRUE(saw.bOpenAfterKeys);
        EXPECT_EQ(saw.dialog.nMessageCtrl, 10308);
        EXPECT_EQ(saw.nBackground, 10438u);
        bool bHasCancelText = false;
        for (const std::wstring& s : saw.dialog.texts)
            bHasCancelText |= s == L"Cancel";
        EXPECT_TRUE(bHasCancelText);
    }
}

TEST_F(MessageDialogTests, RightToLeftUiUsesTheMirroredBackgrounds)
{
    CManualMessageDialogs manual;
    CLangLibrary arabic(L"ar");
    ASSERT_NE(arabic.Module(), nullptr);
    struct SCase {
        std::unique_ptr<CMessageDlg> pDlg;
        UINT nBackground;
    };
    SCase cases[] = {{std::make_unique<CErrorDlg>(arabic.Module()), 10456},
                     {std::make_unique<CWarningOK>(arabic.Module()), 10457},
                     {std::make_unique<CWarningDlg>(arabic.Module()), 10455}};
    for (SCase& c : cases) {
        c.pDlg->SetMessage(L"\x0631\x0633\x0627\x0644\x0629");
        c.pDlg->SetRightToLeft(true);
        SUserSaw saw;
        EXPECT_EQ(ShowAndAnswer(*c.pDlg, IDOK, saw), 1);
        EXPECT_EQ(saw.nBackground, c.nBackground);
        EXPECT_EQ(saw.dialog.sTitle, c.nBackground == 10456 ? L"\x062E\x0637\x0623" : L"\x062A\x062D\x0630\x064A\x0631");
    }
}

// The three dialogs with messages of their own in a language of every script, for the gallery.
TEST_F(MessageDialogTests, GalleryInEveryScript)
{
    CManualMessageDialogs manual;
    for (const wchar_t* pszCode : kGalleryCodes) {
        CLangLibrary lang(pszCode);
        ASSERT_NE(lang.Module(), nullptr);
        const bool bRtl = std::wstring(pszCode) == L"ar" || std::wstring(pszCode) == L"he";
        struct SCase {
            std::unique_ptr<CMessageDlg> pDlg;
            UINT nMessage;
            const char* pszShot;
        };
        SCase cases[] = {{std::make_unique<CErrorDlg>(lang.Module()), 1154, "error-dialog"},
                         {std::make_unique<CWarningOK>(lang.Module()), 1184, "warning-ok-dialog"},
                         {std::make_unique<CWarningDlg>(lang.Module()), 1130, "warning-dialog"}};
        for (SCase& c : cases) {
            const std::wstring sMessage = LoadDlgString(lang.Module(), c.nMessage);
            c.pDlg->SetMessage(sMessage);
            c.pDlg->SetRightToLeft(bRtl);
            SUserSaw saw;
            EXPECT_EQ(ShowAndAnswer(*c.pDlg, IDOK, saw, c.pszShot, pszCode), 1);
            EXPECT_EQ(saw.dialog.sText, sMessage);
            EXPECT_EQ(saw.dialog.sTitle, LoadDlgString(lang.Module(), c.nMessage == 1154 ? 1094 : 1093));
        }
    }
}

TEST_F(MessageDialogTests, WatcherRecordsAndDismissesWhenNobodyAnswers)
{
    ASSERT_TRUE(MessageDialogs().AutoDismiss());
    CErrorDlg dlg(m_english.Module());
    dlg.SetMessage(L"There is not enough memory or disk space to complete the scan.");
    EXPECT_EQ(dlg.Show(nullptr), 1);
    EXPECT_TRUE(MessageDialogs().WaitFor(L"not enough memory", 0));
    auto seen = MessageDialogs().Seen();
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_TRUE(seen[0].bDismissed);
    EXPECT_EQ(seen[0].dwProcessId, ::GetCurrentProcessId());
}

TEST_F(MessageDialogTests, MissingTemplateCountsAsCancel)
{
    CWarningDlg dlg(::GetModuleHandleW(L"kernel32.dll"));
    dlg.SetMessage(L"nobody sees this");
    EXPECT_EQ(dlg.Show(nullptr), 2);
}

}  // namespace
