// The skinned controls driven as a user would, on a dialog that holds every kind of them:
// typing into the numeric fields, Tab, Enter and Reset; hovering, pressing and Space on the
// skinned buttons; the label's tooltip; and the GDI objects over many repaints. The checks run
// on the user's thread, as the user looks (GoogleTest's assertions are thread-safe here).
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include "harness/MessageDialogWatcher.h"
#include "profile/Language.h"
#include "ui/ControlsDialog.h"
#include "ui/DialogChecks.h"
#include "ui/DialogDriver.h"

using namespace mvltest;

namespace {

using CDlg = CControlsDialog;

class SkinnedControls : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_NE(m_english.Module(), nullptr);
        INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_BAR_CLASSES};
        ::InitCommonControlsEx(&icc);
        MessageDialogs().Clear();
    }
    void TearDown() override { UseLanguage(kLanguageEnglish, L'.'); }
    static void UseLanguage(int nId, wchar_t wcSep)
    {
        g_LangugueID = nId;
        g_wcDecimalSep = wcSep;
    }

    // Runs the dialog while user drives it, then closes it with Cancel.
    static void Drive(CDlg& dlg, const std::function<void(HWND)>& user)
    {
        RunWithUser([&] { return dlg.Run(); },
                    [&] {
                        HWND hDlg = WaitForDialogWithCtrl(CDlg::kSize, 10000);
                        if (!hDlg)
                            return;
                        user(hDlg);
                        ::PostMessageW(::GetDlgItem(hDlg, IDCANCEL), BM_CLICK, 0, 0);
                        WaitGone(hDlg, 10000);
                    });
    }

    CLangLibrary m_english{L"enus"};
};

// The clipboard's text; with pszSet, it is set first.
std::wstring Clipboard(const wchar_t* pszSet = nullptr)
{
    std::wstring s;
    if (!::OpenClipboard(nullptr))
        return s;
    if (pszSet) {
        ::EmptyClipboard();
        size_t nBytes = (wcslen(pszSet) + 1) * sizeof(wchar_t);
        if (HGLOBAL h = ::GlobalAlloc(GMEM_MOVEABLE, nBytes)) {
            memcpy(::GlobalLock(h), pszSet, nBytes);
            ::GlobalUnlock(h);
            if (!::SetClipboardData(CF_UNICODETEXT, h))
                ::GlobalFree(h);
        }
    }
    if (HANDLE h = ::GetClipboardData(CF_UNICODETEXT)) {
        s = static_cast<const wchar_t*>(::GlobalLock(h));
        ::GlobalUnlock(h);
    }
    ::CloseClipboard();
    return s;
}

TEST_F(SkinnedControls, NumberFieldsTakeOnlyTheirCharactersAndReportEachChangeOnce)
{
    CDlg dlg(m_english.Module(), false);
    Drive(dlg, [&](HWND hDlg) {
        HWND hSigned = ::GetDlgItem(hDlg, CDlg::kSigned), hTenths = ::GetDlgItem(hDlg, CDlg::kTenths);
        Retype(hDlg, hSigned, L"-4a2.");
        EXPECT_EQ(CtrlText(hDlg, CDlg::kSigned), L"-42");
        PressKey(hSigned, VK_TAB);
        EXPECT_TRUE(WaitUntil([&] { return dlg.m_nSignedChanges == 1; }, 2000));
        // Back into the field and out again, and Enter on the same value: no new report.
        FocusCtrl(hDlg, hSigned);
        PressKey(hSigned, VK_RETURN);
        PressKey(hSigned, VK_TAB);
        ::Sleep(200);
        EXPECT_EQ(dlg.m_nSignedChanges, 1);
        // "-" is for signed fields only; Enter validates in place.
        Retype(hDlg, hTenths, L"-3.5x");
        EXPECT_EQ(CtrlText(hDlg, CDlg::kTenths), L"3.5");
        PressKey(hTenths, VK_RETURN);
        EXPECT_TRUE(WaitUntil([&] { return dlg.m_nTenthsChanges == 1; }, 2000));
        EXPECT_EQ(CtrlText(hDlg, CDlg::kTenths), L"3.5");
        // Ctrl+V pastes only what typing would take; Ctrl+A, Ctrl+C copy it.
        Clipboard(L"7x7");
        Retype(hDlg, hSigned, L"\x16");
        EXPECT_EQ(CtrlText(hDlg, CDlg::kSigned), L"77");
        Clipboard(L"");
        TypeText(hSigned, L"\x01\x03");
        EXPECT_TRUE(WaitUntil([] { return Clipboard() == L"77"; }, 2000));
    });
    EXPECT_TRUE(MessageDialogs().Seen().empty());
}

TEST_F(SkinnedControls, OutOfRangeRestoresTheLastTextButLeavingByResetChecksNothing)
{
    CDlg dlg(m_english.Module(), false);
    Drive(dlg, [&](HWND hDlg) {
        HWND hSigned = ::GetDlgItem(hDlg, CDlg::kSigned);
        Retype(hDlg, hSigned, L"101");
        PressKey(hSigned, VK_TAB);
        // The watcher reads the error dialog and clicks its OK; the focus comes back.
        EXPECT_TRUE(MessageDialogs().WaitFor(L"out of range", 10000));
        EXPECT_TRUE(WaitUntil([&] { return FocusOfThreadOf(hDlg) == hSigned; }, 3000));
        EXPECT_EQ(CtrlText(hDlg, CDlg::kSigned), L"5");
        MessageDialogs().Clear();
        Retype(hDlg, hSigned, L"150");
        ClickCtrl(::GetDlgItem(hDlg, CDlg::kReset));
        EXPECT_TRUE(WaitUntil([&] { return dlg.m_nResets > 0; }, 3000));
        ::Sleep(300);
        EXPECT_EQ(CtrlText(hDlg, CDlg::kSigned), L"0");
        EXPECT_TRUE(MessageDialogs().Seen().empty());
    });
    EXPECT_EQ(dlg.m_nSignedChanges, 0);
}

TEST_F(SkinnedControls, FrenchFieldsTakeTheCommaAndSizesCountOctets)
{
    CLangLibrary french(L"fr");
    ASSERT_NE(french.Module(), nullptr);
    UseLanguage(kLanguageFrench, L',');
    CDlg dlg(french.Module(), false);
    Drive(dlg, [&](HWND hDlg) {
        HWND hTenths = ::GetDlgItem(hDlg, CDlg::kTenths);
        Retype(hDlg, hTenths, L"1.,5");
        EXPECT_EQ(CtrlText(hDlg, CDlg::kTenths), L"1,5");
        PressKey(hTenths, VK_RETURN);
        EXPECT_TRUE(WaitUntil([&] { return dlg.m_nTenthsChanges == 1; }, 2000));
        EXPECT_EQ(CtrlText(hDlg, CDlg::kTenths), L"1,5");
    });
    EXPECT_EQ(dlg.m_tenths.Value(), 15);
    // 2550 x 3507 pixels in colour
    EXPECT_EQ(dlg.m_size.Texts().sDataSize, L": 25,59 Mo");
    EXPECT_EQ(dlg.m_size.Texts().sWidth, L": 215,9 mm");
}

bool Pushed(HWND hButton)
{
    return (::SendMessageW(hButton, BM_GETSTATE, 0, 0) & BST_PUSHED) != 0;
}

bool Checked(HWND hButton)
{
    return ::SendMessageW(hButton, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

TEST_F(SkinnedControls, SkinButtonsHoverPressToggleAndKeepTheirNames)
{
    CDlg dlg(m_english.Module(), false);
    Drive(dlg, [&](HWND hDlg) {
        HWND hToggle = ::GetDlgItem(hDlg, CDlg::kToggle);
        EXPECT_EQ(CtrlText(hDlg, CDlg::kToggle), L"Horizontal scan");
        EXPECT_EQ(::GetWindowLongW(hToggle, GWL_STYLE) & BS_TYPEMASK, BS_OWNERDRAW);
        RECT rc{};
        ::GetWindowRect(hToggle, &rc);
        ::SetCursorPos((rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2);
        ::PostMessageW(hToggle, WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
        EXPECT_TRUE(WaitUntil([&] { return dlg.m_toggle.IsHovered(); }, 2000));
        ::SetCursorPos(rc.left - 100, rc.bottom + 200);
        EXPECT_TRUE(WaitUntil([&] { return !dlg.m_toggle.IsHovered(); }, 3000));
        // Pressed, dragged off and back on while captured, released over it.
        ::PostMessageW(hToggle, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
        EXPECT_TRUE(WaitUntil([&] { return Pushed(hToggle); }, 2000));
        ::PostMessageW(hToggle, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(rc.right - rc.left + 40, 5));
        EXPECT_TRUE(WaitUntil([&] { return !Pushed(hToggle); }, 2000));
        ::PostMessageW(hToggle, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(5, 5));
        EXPECT_TRUE(WaitUntil([&] { return Pushed(hToggle); }, 2000));
        ::PostMessageW(hToggle, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
        EXPECT_TRUE(WaitUntil([&] { return dlg.m_nToggleClicks == 1 && Checked(hToggle); }, 2000));
        // A double click is two clicks.
        for (UINT nMsg : {WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_LBUTTONUP})
            ::PostMessageW(hToggle, nMsg, nMsg == WM_LBUTTONUP ? 0 : MK_LBUTTON, MAKELPARAM(5, 5));
        EXPECT_TRUE(WaitUntil([&] { return dlg.m_nToggleClicks == 3 && Checked(hToggle); }, 2000));
        // Space and Enter press the focused button.
        FocusCtrl(hDlg, hToggle);
        ::Sleep(150);
        PressKey(hToggle, VK_SPACE);
        EXPECT_TRUE(WaitUntil([&] { return dlg.m_nToggleClicks == 4 && !Checked(hToggle); }, 2000));
        PressKey(hToggle, VK_RETURN);
        EXPECT_TRUE(WaitUntil([&] { return dlg.m_nToggleClicks == 5 && Checked(hToggle); }, 2000));
    });
}

TEST_F(SkinnedControls, MaskShapesTheButtonAndMissingBitmapsLeaveThePlainButton)
{
    CDlg dlg(m_english.Module(), false);
    Drive(dlg, [&](HWND hDlg) {
        HWND hRound = ::GetDlgItem(hDlg, CDlg::kRound);
        RECT rc{}, rcPlain{};
        ::GetWindowRect(hRound, &rc);
        ::GetWindowRect(::GetDlgItem(hDlg, CDlg::kPlain), &rcPlain);
        HRGN hRgn = ::CreateRectRgn(0, 0, 0, 0);
        EXPECT_NE(::GetWindowRgn(hRound, hRgn), ERROR);
        EXPECT_FALSE(::PtInRegion(hRgn, 1, 1));
        EXPECT_TRUE(::PtInRegion(hRgn, (rc.right - rc.left) / 2, (rc.bottom - rc.top) / 2));
        ::DeleteObject(hRgn);
        ::RedrawWindow(hDlg, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);
        ::Sleep(200);
        HDC hScreen = ::GetDC(nullptr);
        // Outside the disc the dialog's background shows, as beside the button.
        EXPECT_EQ(::GetPixel(hScreen, rc.left + 1, rc.top + 1), ::GetPixel(hScreen, rc.left - 2, rc.top + 1));
        EXPECT_EQ(::GetPixel(hScreen, rcPlain.left + 5, rcPlain.top + 5), ::GetSysColor(COLOR_BTNFACE));
        ::ReleaseDC(nullptr, hScreen);
    });
}

TEST_F(SkinnedControls, LabelTooltipShowsWhenTheMouseRestsOnIt)
{
    CDlg dlg(m_english.Module(), false);
    Drive(dlg, [&](HWND hDlg) {
        HWND hLabel = ::GetDlgItem(hDlg, CDlg::kLabel);
        RECT rc{};
        ::GetWindowRect(hLabel, &rc);
        ::SetCursorPos((rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2);
        // One move, then the mouse rests (each move would start the tooltip's delay again).
        ::PostMessageW(hLabel, WM_MOUSEMOVE, 0, MAKELPARAM(3, 3));
        HWND hTip = dlg.m_label.Tooltip();
        EXPECT_TRUE(WaitUntil([&] { return ::IsWindowVisible(hTip) != FALSE; }, 5000));
        wchar_t sz[128] = {};
        TOOLINFOW ti{TTTOOLINFOW_V2_SIZE, 0, hDlg, reinterpret_cast<UINT_PTR>(hLabel), {}, nullptr, sz};
        ::SendMessageW(hTip, TTM_GETTEXTW, 128, reinterpret_cast<LPARAM>(&ti));
        EXPECT_STREQ(sz, L"Brightness/Contrast");
        ::SetCursorPos(0, 0);
    });
}

TEST_F(SkinnedControls, GdiObjectsStayFlatOverAThousandRepaints)
{
    CDlg dlg(m_english.Module(), false);
    Drive(dlg, [&](HWND hDlg) {
        ::SendMessageW(hDlg, CDlg::kMsgRepaint, 20, 0);
        int nBefore = CountGdiObjects();
        ::SendMessageW(hDlg, CDlg::kMsgRepaint, 1000, 0);
        EXPECT_GT(nBefore, 0);
        EXPECT_EQ(CountGdiObjects(), nBefore);
    });
}

}  // namespace
