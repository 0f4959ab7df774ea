// The dialog framework: binding of windows to objects, message maps, reflection to custom
// controls, modeless and modal dialogs with their own loop while worker threads post, waits
// that keep messages flowing, the get-message hook and the copied dialog class.
#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <thread>

#include "DialogTemplate.h"
#include "ui/Dialog.h"
#include "ui/DialogClass.h"
#include "ui/MessageHook.h"
#include "ui/MessagePump.h"

using namespace mvltest;

namespace {

constexpr WORD kButton = 0x0080, kEdit = 0x0081;
constexpr UINT kIdApply = 100, kIdDrawn = 101, kIdEdit = 102;
constexpr UINT WM_APP_TICK = WM_APP + 1;

CDialogTemplate PopupTemplate()
{
    CDialogTemplate t(WS_POPUP | WS_CAPTION | WS_SYSMENU, 200, 100, L"framework test");
    t.Add(kButton, IDOK, BS_DEFPUSHBUTTON | WS_TABSTOP, 10, 70, 50, 14, L"OK")
        .Add(kButton, IDCANCEL, BS_PUSHBUTTON | WS_TABSTOP, 70, 70, 50, 14, L"Cancel")
        .Add(kButton, kIdApply, BS_PUSHBUTTON | WS_TABSTOP, 130, 70, 50, 14, L"Apply")
        .Add(kButton, kIdDrawn, BS_OWNERDRAW, 10, 10, 50, 20, L"drawn")
        .Add(kEdit, kIdEdit, ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP, 70, 10, 100, 14);
    return t;
}

class CTestDialog : public CDialog {
public:
    CTestDialog()
    {
        Map().OnCommand(kIdApply, this, &CTestDialog::OnApply);
        Map().OnMessage(WM_APP_TICK, [this](WPARAM w, LPARAM) -> LRESULT {
            m_nTicks += static_cast<int>(w);
            if (m_nTicks >= m_nEndAt)
                EndDialog(42);
            return 7;
        });
    }
    void OnApply() { ++m_nApply; }
    void PostNcDestroy() override { m_bNcDestroyed = true; }

    std::atomic<HWND> m_hPublished{nullptr};
    bool m_bInit = false;
    bool m_bEndInInit = false;
    bool m_bNcDestroyed = false;
    int m_nApply = 0;
    int m_nTicks = 0;
    int m_nEndAt = 1 << 30;

protected:
    BOOL OnInitDialog() override
    {
        m_bInit = true;
        m_hPublished = m_hWnd;
        if (m_bEndInInit)
            EndDialog(5);
        return TRUE;
    }
};

// An owner-drawn button that draws itself: the parent's WM_DRAWITEM comes to it.
class CDrawnButton : public CWnd {
public:
    bool OnChildNotify(UINT nMsg, WPARAM, LPARAM lParam, LRESULT& lResult) override
    {
        if (nMsg != WM_DRAWITEM)
            return false;
        const auto* pDis = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
        FillRect(pDis->hDC, &pDis->rcItem, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
        ++m_nDraws;
        lResult = TRUE;
        return true;
    }
    int m_nDraws = 0;
};

// An edit whose WM_SETTEXT is seen, then handled the default way.
class CWatchedEdit : public CWnd {
public:
    CWatchedEdit()
    {
        Map().OnMessage(WM_SETTEXT, [this](WPARAM, LPARAM) {
            ++m_nSets;
            return Default();
        });
    }
    int m_nSets = 0;
};

}  // namespace

TEST(Framework, ModelessDialogBindsAndUnbinds)
{
    CDialogTemplate t = PopupTemplate();
    CTestDialog dlg;
    ASSERT_TRUE(dlg.CreateIndirect(t.Get(), nullptr));
    HWND hDlg = dlg.GetSafeHwnd();
    EXPECT_TRUE(dlg.m_bInit);
    EXPECT_EQ(&dlg, CWnd::FromHandlePermanent(hDlg));
    EXPECT_FALSE(dlg.IsModal());
    // A second window for the same object is refused.
    EXPECT_FALSE(dlg.CreateIndirect(t.Get(), nullptr));

    SendMessageW(hDlg, WM_COMMAND, MAKEWPARAM(kIdApply, BN_CLICKED), 0);
    EXPECT_EQ(1, dlg.m_nApply);
    // Another notification code of the same control is not the click.
    SendMessageW(hDlg, WM_COMMAND, MAKEWPARAM(kIdApply, BN_SETFOCUS), 0);
    EXPECT_EQ(1, dlg.m_nApply);
    EXPECT_EQ(7, SendMessageW(hDlg, WM_APP_TICK, 1, 0));

    // Cancel on a modeless dialog destroys it.
    SendMessageW(hDlg, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    EXPECT_FALSE(IsWindow(hDlg));
    EXPECT_TRUE(dlg.m_bNcDestroyed);
    EXPECT_EQ(nullptr, dlg.GetSafeHwnd());
}

TEST(Framework, DestroyingTheObjectDestroysItsWindow)
{
    CDialogTemplate t = PopupTemplate();
    HWND hDlg = nullptr;
    {
        CTestDialog dlg;
        ASSERT_TRUE(dlg.CreateIndirect(t.Get(), nullptr));
        hDlg = dlg.GetSafeHwnd();
    }
    EXPECT_FALSE(IsWindow(hDlg));
}

TEST(Framework, DialogEndedWhileInitialisingIsNotCreated)
{
    CDialogTemplate t = PopupTemplate();
    CTestDialog dlg;
    dlg.m_bEndInInit = true;
    EXPECT_FALSE(dlg.CreateIndirect(t.Get(), nullptr));
    EXPECT_EQ(nullptr, dlg.GetSafeHwnd());
    CTestDialog modal;
    modal.m_bEndInInit = true;
    EXPECT_EQ(5, modal.DoModalIndirect(t.Get(), nullptr));
}

TEST(Framework, LaterHandlersOverrideAndDecliningFallsThrough)
{
    CDialogTemplate t = PopupTemplate();
    class CMapDialog : public CTestDialog {
    public:
        using CWnd::Map;
    } dlg;
    int nBase = 0, nDerived = 0;
    CMessageMap& map = dlg.Map();
    map.OnRaw(WM_APP + 5, [&](WPARAM, LPARAM, LRESULT& r) {
        ++nBase;
        r = 1;
        return true;
    });
    map.OnRaw(WM_APP + 5, [&](WPARAM w, LPARAM, LRESULT& r) {
        ++nDerived;
        r = 2;
        return w != 0;  // declines for 0
    });
    ASSERT_TRUE(dlg.CreateIndirect(t.Get(), nullptr));
    EXPECT_EQ(2, SendMessageW(dlg.GetSafeHwnd(), WM_APP + 5, 1, 0));
    EXPECT_EQ(1, SendMessageW(dlg.GetSafeHwnd(), WM_APP + 5, 0, 0));
    EXPECT_EQ(1, nBase);
    EXPECT_EQ(2, nDerived);
    dlg.DestroyWindow();
}

TEST(Framework, ModalLoopServesWorkerThreadPosts)
{
    CDialogTemplate t = PopupTemplate();
    HWND hOwner = CreateWindowExW(0, L"STATIC", L"owner", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr, nullptr,
                                  nullptr, nullptr);
    ASSERT_NE(nullptr, hOwner);
    CTestDialog dlg;
    dlg.m_nEndAt = 50;
    std::atomic<bool> bOwnerDisabled{false};
    std::jthread worker([&dlg, &bOwnerDisabled, hOwner] {
        HWND hDlg = nullptr;
        for (int i = 0; i < 500 && !(hDlg = dlg.m_hPublished); ++i)
            Sleep(10);
        bOwnerDisabled = !IsWindowEnabled(hOwner);
        for (int i = 0; i < 50; ++i)
            PostMessageW(hDlg, WM_APP_TICK, 1, 0);
    });
    EXPECT_EQ(42, dlg.DoModalIndirect(t.Get(), hOwner));
    EXPECT_EQ(50, dlg.m_nTicks);
    EXPECT_TRUE(bOwnerDisabled);
    EXPECT_TRUE(IsWindowEnabled(hOwner));
    EXPECT_EQ(nullptr, dlg.GetSafeHwnd());
    DestroyWindow(hOwner);
}

TEST(Framework, ModalLoopEndsOnQuitAndPassesItOn)
{
    CDialogTemplate t = PopupTemplate();
    CTestDialog dlg;
    PostQuitMessage(3);
    EXPECT_EQ(IDCANCEL, dlg.DoModalIndirect(t.Get(), nullptr));
    MSG msg{};
    ASSERT_TRUE(PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(3u, msg.wParam);
}

TEST(Framework, WaitKeepsMessagesFlowing)
{
    CDialogTemplate t = PopupTemplate();
    CTestDialog dlg;
    ASSERT_TRUE(dlg.CreateIndirect(t.Get(), nullptr));
    HWND hDlg = dlg.GetSafeHwnd();
    HANDLE hDone = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    std::thread worker([hDlg, hDone] {
        for (int i = 0; i < 10; ++i) {
            PostMessageW(hDlg, WM_APP_TICK, 1, 0);
            Sleep(5);
        }
        SetEvent(hDone);
    });
    EXPECT_EQ(WAIT_OBJECT_0, WaitWhilePumping(hDone, 20000));
    worker.join();
    CloseHandle(hDone);
    // Whatever arrived after the thread ended is still queued; the rest ran during the wait.
    MSG msg;
    while (PeekMessageW(&msg, hDlg, 0, 0, PM_REMOVE))
        DispatchMessageW(&msg);
    EXPECT_EQ(10, dlg.m_nTicks);

    HANDLE hEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    EXPECT_EQ(static_cast<DWORD>(WAIT_TIMEOUT), WaitWhilePumping(hEvent, 30));
    CloseHandle(hEvent);
    dlg.DestroyWindow();
}

TEST(Framework, OwnerDrawnControlDrawsItself)
{
    CDialogTemplate t = PopupTemplate();
    CTestDialog dlg;
    ASSERT_TRUE(dlg.CreateIndirect(t.Get(), nullptr));
    CDrawnButton button;
    ASSERT_TRUE(button.SubclassDlgItem(kIdDrawn, dlg.GetSafeHwnd()));
    EXPECT_FALSE(CDrawnButton().SubclassDlgItem(kIdDrawn, dlg.GetSafeHwnd()));
    dlg.ShowWindow(SW_SHOWNORMAL);
    RedrawWindow(button.GetSafeHwnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    EXPECT_GT(button.m_nDraws, 0);

    // Unsubclassed, the parent no longer hands it the drawing.
    int nDraws = button.m_nDraws;
    HWND hButton = button.UnsubclassWindow();
    RedrawWindow(hButton, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    EXPECT_EQ(nDraws, button.m_nDraws);
    EXPECT_EQ(nullptr, CWnd::FromHandlePermanent(hButton));
    dlg.DestroyWindow();
}

TEST(Framework, DefaultRunsTheControlsOwnHandling)
{
    CDialogTemplate t = PopupTemplate();
    CTestDialog dlg;
    ASSERT_TRUE(dlg.CreateIndirect(t.Get(), nullptr));
    CWatchedEdit edit;
    ASSERT_TRUE(edit.SubclassDlgItem(kIdEdit, dlg.GetSafeHwnd()));
    edit.SetWindowText(L"hello");
    EXPECT_EQ(1, edit.m_nSets);
    EXPECT_EQ(L"hello", edit.GetWindowText());
    dlg.DestroyWindow();
    // The control went with its dialog; the object let go of it.
    EXPECT_EQ(nullptr, edit.GetSafeHwnd());
}

TEST(Framework, GetMessageHookSeesAndTakesMessages)
{
    CDialogTemplate t = PopupTemplate();
    CTestDialog dlg;
    ASSERT_TRUE(dlg.CreateIndirect(t.Get(), nullptr));
    HWND hDlg = dlg.GetSafeHwnd();
    int nSeenA = 0, nSeenB = 0;
    auto pA = std::make_unique<CGetMessageHook>([&](MSG& msg, bool bRemoved) {
        if (msg.message == WM_APP_TICK && bRemoved) {
            ++nSeenA;
            if (msg.wParam == 2)
                msg.message = WM_NULL;  // taken
        }
    });
    CGetMessageHook b([&](MSG& msg, bool bRemoved) {
        if (msg.message == WM_APP_TICK && bRemoved)
            ++nSeenB;
    });
    ASSERT_TRUE(pA->Installed());
    ASSERT_TRUE(b.Installed());
    auto pump = [] {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageW(&msg);
    };
    PostMessageW(hDlg, WM_APP_TICK, 1, 0);
    pump();
    EXPECT_EQ(1, dlg.m_nTicks);
    EXPECT_EQ(1, nSeenA);
    EXPECT_EQ(1, nSeenB);
    PostMessageW(hDlg, WM_APP_TICK, 2, 0);
    pump();
    EXPECT_EQ(1, dlg.m_nTicks);
    EXPECT_EQ(2, nSeenA);
    // Once one hook took it, later hooks do not see it.
    EXPECT_EQ(1, nSeenB);

    pA.reset();
    PostMessageW(hDlg, WM_APP_TICK, 2, 0);
    pump();
    EXPECT_EQ(3, dlg.m_nTicks);
    EXPECT_EQ(2, nSeenA);
    EXPECT_EQ(2, nSeenB);
    dlg.DestroyWindow();
}

TEST(Framework, DialogClassCopyLivesWhileHeld)
{
    HINSTANCE hModule = GetModuleHandleW(nullptr);
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    {
        auto pFirst = CDialogClassCopy::Acquire(L"MvlTestDialogClass", hModule);
        ASSERT_NE(nullptr, pFirst);
        auto pSecond = CDialogClassCopy::Acquire(L"MvlTestDialogClass", hModule);
        EXPECT_EQ(pFirst, pSecond);
        ASSERT_TRUE(GetClassInfoExW(hModule, L"MvlTestDialogClass", &wc));
        WNDCLASSEXW dialog{};
        dialog.cbSize = sizeof dialog;
        ASSERT_TRUE(GetClassInfoExW(nullptr, L"#32770", &dialog));
        EXPECT_EQ(dialog.lpfnWndProc, wc.lpfnWndProc);
        EXPECT_EQ(dialog.cbWndExtra, wc.cbWndExtra);
        pFirst.reset();
        EXPECT_TRUE(GetClassInfoExW(hModule, L"MvlTestDialogClass", &wc));
    }
    EXPECT_FALSE(GetClassInfoExW(hModule, L"MvlTestDialogClass", &wc));
    // Acquired again after the last holder let go: registered afresh.
    EXPECT_NE(nullptr, CDialogClassCopy::Acquire(L"MvlTestDialogClass", hModule));
}

TEST(Framework, RegisteredClassWindowsAreObjectsFromTheStart)
{
    HINSTANCE hModule = GetModuleHandleW(nullptr);
    ASSERT_TRUE(CWnd::RegisterWndClass(L"MvlTestCustomControl", hModule));
    class CCustom : public CWnd {
    public:
        CCustom()
        {
            Map().OnMessage(WM_NCCREATE, [this](WPARAM, LPARAM) {
                m_bSawCreate = true;
                return Default();
            });
        }
        bool m_bSawCreate = false;
    } custom;
    RECT rc{0, 0, 50, 20};
    ASSERT_TRUE(custom.CreateEx(0, L"MvlTestCustomControl", L"", WS_POPUP, rc, nullptr, 0, hModule));
    EXPECT_TRUE(custom.m_bSawCreate);
    EXPECT_EQ(&custom, CWnd::FromHandlePermanent(custom.GetSafeHwnd()));
    custom.DestroyWindow();
    EXPECT_EQ(nullptr, custom.GetSafeHwnd());
    UnregisterClassW(L"MvlTestCustomControl", hModule);
}
