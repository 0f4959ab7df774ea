// The skinned controls driven as a user would, on a dialog that holds every kind of them:
// typing into the numeric fields, Tab, Enter and Reset; hovering, pressing and Space on the
// skinned buttons; the label's tooltip; and the GDI objects over many repaints.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include "harness/MessageDialogWatcher.h"
#include "profile/Language.h"
#include "ui/ControlsDialog.h"
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

void SetClipboardText(const std::wstring& s)
{
    if (!::OpenClipboard(nullptr))
        return;
    ::EmptyClipboard();
    HGLOBAL h = ::GlobalAlloc(GMEM_MOVEABLE, (s.size() + 1) * sizeof(wchar_t));
    if (h) {
        memcpy(::GlobalLock(h), s.c_str(), (s.size() + 1) * sizeof(wchar_t));
        ::GlobalUnlock(h);
        if (!::SetClipboardData(CF_UNICODETEXT, h))
            ::GlobalFree(h);
    }
    ::CloseClipboard();
}

// Replaces the field's text by typing: Ctrl+A, then the characters.
void Retype(HWND hDlg, HWND hField, const std::wstring& sText)
{
    FocusCtrl(hDlg, hField);
    TypeText(hField, L"\x01" + sText);
    ::Sleep(150);
}

TEST_F(SkinnedControls, NumberFieldsTakeOnlyTheirCharactersAndReportEachChangeOnce)
{
    CDlg dlg(m_english.Module(), false);
    std::wstring sSigned, sTenths, sAfterEnter, sPasted, sCopied;
    int nSignedAfterTab = -1, nSignedAfterRevisit = -1, nTenths = -1;
    Drive(dlg, [&](HWND hDlg) {
        HWND hSigned = ::GetDlgItem(hDlg, CDlg::kSigned), hTenths = ::GetDlgItem(hDlg, CDlg::kTenths);
        Retype(hDlg, hSigned, L"-4a2.");
        sSigned = CtrlText(hDlg, CDlg::kSigned);
        PressKey(hSigned, VK_TAB);
        ::Sleep(200);
        nSignedAfterTab = dlg.m_nSignedChanges;
        // Back into the field and out again, and Enter on the same value: no new report.
        FocusCtrl(hDlg, hSigned);
        PressKey(hSigned, VK_RETURN);
        PressKey(hSigned, VK_TAB);
        ::Sleep(200);
        nSignedAfterRevisit = dlg.m_nSignedChanges;
        // "-" is for signed fields only; Enter validates in place.
        Retype(hDlg, hTenths, L"-3.5x");
        sTenths = CtrlText(hDlg, CDlg::kTenths);
        PressKey(hTenths, VK_RETURN);
        ::Sleep(200);
        sAfterEnter = CtrlText(hDlg, CDlg::kTenths);
        nTenths = dlg.m_nTenthsChanges;
        SetClipboardText(L"7x7");
        Retype(hDlg, hSigned, L"\x16");
        sPasted = CtrlText(hDlg, CDlg::kSigned);
        TypeText(hSigned, L"\x01\x03");
        ::Sleep(150);
        if (::OpenClipboard(nullptr)) {
            if (HANDLE h = ::GetClipboardData(CF_UNICODETEXT)) {
                sCopied = static_cast<const wchar_t*>(::GlobalLock(h));
                ::GlobalUnlock(h);
            }
            ::CloseClipboard();
        }
    });
    EXPECT_EQ(sSigned, L"-42");
    EXPECT_EQ(nSignedAfterTab, 1);
    EXPECT_EQ(nSignedAfterRevisit, 1);
    EXPECT_EQ(dlg.m_signed.Value(), 77);  // the paste, accepted when Cancel took the focus
    EXPECT_EQ(sTenths, L"3.5");
    EXPECT_EQ(sAfterEnter, L"3.5");
    EXPECT_EQ(nTenths, 1);
    EXPECT_EQ(sPasted, L"77");
    EXPECT_EQ(sCopied, L"77");
    EXPECT_TRUE(MessageDialogs().Seen().empty());
}

TEST_F(SkinnedControls, OutOfRangeRestoresTheLastTextButLeavingByResetChecksNothing)
{
    CDlg dlg(m_english.Module(), false);
    std::wstring sRestored, sAfterReset;
    HWND hFocusAfterError = nullptr, hSigned = nullptr;
    size_t nErrorsAfterReset = 99;
    Drive(dlg, [&](HWND hDlg) {
        hSigned = ::GetDlgItem(hDlg, CDlg::kSigned);
        Retype(hDlg, hSigned, L"101");
        PressKey(hSigned, VK_TAB);
        // The watcher reads the error dialog and clicks its OK.
        MessageDialogs().WaitFor(L"out of range", 10000);
        WaitUntil([&] { return FocusOfThreadOf(hDlg) == hSigned; }, 3000);
        hFocusAfterError = FocusOfThreadOf(hDlg);
        sRestored = CtrlText(hDlg, CDlg::kSigned);
        MessageDialogs().Clear();
        Retype(hDlg, hSigned, L"150");
        ClickCtrl(::GetDlgItem(hDlg, CDlg::kReset));
        WaitUntil([&] { return dlg.m_nResets > 0; }, 3000);
        ::Sleep(300);
        sAfterReset = CtrlText(hDlg, CDlg::kSigned);
        nErrorsAfterReset = MessageDialogs().Seen().size();
    });
    auto seen = MessageDialogs().Seen();
    EXPECT_EQ(sRestored, L"5");
    EXPECT_EQ(hFocusAfterError, hSigned);
    EXPECT_EQ(sAfterReset, L"0");
    EXPECT_EQ(nErrorsAfterReset, 0u);
    EXPECT_EQ(dlg.m_nSignedChanges, 0);
}

TEST_F(SkinnedControls, FrenchFieldsTakeTheCommaAndSizesCountOctets)
{
    CLangLibrary french(L"fr");
    ASSERT_NE(french.Module(), nullptr);
    UseLanguage(kLanguageFrench, L',');
    CDlg dlg(french.Module(), false);
    std::wstring sTyped, sShown;
    Drive(dlg, [&](HWND hDlg) {
        HWND hTenths = ::GetDlgItem(hDlg, CDlg::kTenths);
        Retype(hDlg, hTenths, L"1.,5");
        sTyped = CtrlText(hDlg, CDlg::kTenths);
        PressKey(hTenths, VK_RETURN);
        ::Sleep(200);
        sShown = CtrlText(hDlg, CDlg::kTenths);
    });
    EXPECT_EQ(sTyped, L"1,5");
    EXPECT_EQ(sShown, L"1,5");
    EXPECT_EQ(dlg.m_tenths.Value(), 15);
    EXPECT_EQ(dlg.m_nTenthsChanges, 1);
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
    std::wstring sName;
    LONG nType = 0;
    bool bHovered = false, bLeft = false, bPushedIn = false, bPushedOut = true, bPushedBack = false;
    bool bCheckedAfterClick = false, bCheckedAfterSpace = true, bCheckedAfterEnter = false;
    int nClicksAfterDouble = 0, nClicks = 0;
    Drive(dlg, [&](HWND hDlg) {
        HWND hToggle = ::GetDlgItem(hDlg, CDlg::kToggle);
        sName = CtrlText(hDlg, CDlg::kToggle);
        nType = ::GetWindowLongW(hToggle, GWL_STYLE) & BS_TYPEMASK;
        RECT rc{};
        ::GetWindowRect(hToggle, &rc);
        ::SetCursorPos((rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2);
        ::PostMessageW(hToggle, WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
        bHovered = WaitUntil([&] { return dlg.m_toggle.IsHovered(); }, 2000);
        ::SetCursorPos(rc.left - 100, rc.bottom + 200);
        bLeft = WaitUntil([&] { return !dlg.m_toggle.IsHovered(); }, 3000);
        // Pressed, dragged off and back on while captured, released over it.
        ::PostMessageW(hToggle, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
        bPushedIn = WaitUntil([&] { return Pushed(hToggle); }, 2000);
        ::PostMessageW(hToggle, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(rc.right - rc.left + 40, 5));
        bPushedOut = !WaitUntil([&] { return !Pushed(hToggle); }, 2000);
        ::PostMessageW(hToggle, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(5, 5));
        bPushedBack = WaitUntil([&] { return Pushed(hToggle); }, 2000);
        ::PostMessageW(hToggle, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
        WaitUntil([&] { return dlg.m_nToggleClicks == 1; }, 2000);
        bCheckedAfterClick = Checked(hToggle);
        // A double click is two clicks.
        for (UINT nMsg : {WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_LBUTTONUP})
            ::PostMessageW(hToggle, nMsg, nMsg == WM_LBUTTONUP ? 0 : MK_LBUTTON, MAKELPARAM(5, 5));
        WaitUntil([&] { return dlg.m_nToggleClicks == 3; }, 2000);
        nClicksAfterDouble = dlg.m_nToggleClicks;
        FocusCtrl(hDlg, hToggle);
        ::Sleep(150);
        PressKey(hToggle, VK_SPACE);
        WaitUntil([&] { return dlg.m_nToggleClicks == 4; }, 2000);
        bCheckedAfterSpace = Checked(hToggle);
        PressKey(hToggle, VK_RETURN);
        WaitUntil([&] { return dlg.m_nToggleClicks == 5; }, 2000);
        bCheckedAfterEnter = Checked(hToggle);
        nClicks = dlg.m_nToggleClicks;
    });
    EXPECT_EQ(sName, L"Horizontal scan");
    EXPECT_EQ(nType, BS_OWNERDRAW);
    EXPECT_TRUE(bHovered);
    EXPECT_TRUE(bLeft);
    EXPECT_TRUE(bPushedIn);
    EXPECT_FALSE(bPushedOut);
    EXPECT_TRUE(bPushedBack);
    EXPECT_TRUE(bCheckedAfterClick);
    EXPECT_EQ(nClicksAfterDouble, 3);
    EXPECT_FALSE(bCheckedAfterSpace);
    EXPECT_TRUE(bCheckedAfterEnter);
    EXPECT_EQ(nClicks, 5);
}

TEST_F(SkinnedControls, MaskShapesTheButtonAndMissingBitmapsLeaveThePlainButton)
{
    CDlg dlg(m_english.Module(), false);
    bool bCornerOut = false, bCentreIn = false;
    COLORREF crPlain = 0, crFace = ::GetSysColor(COLOR_BTNFACE), crCorner = 0, crBeside = 1;
    Drive(dlg, [&](HWND hDlg) {
        HWND hRound = ::GetDlgItem(hDlg, CDlg::kRound);
        HRGN hRgn = ::CreateRectRgn(0, 0, 0, 0);
        RECT rc{};
        ::GetClientRect(hRound, &rc);
        if (::GetWindowRgn(hRound, hRgn) != ERROR) {
            bCornerOut = !::PtInRegion(hRgn, 1, 1);
            bCentreIn = ::PtInRegion(hRgn, rc.right / 2, rc.bottom / 2) != FALSE;
        }
        ::DeleteObject(hRgn);
        ::RedrawWindow(hDlg, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);
        ::Sleep(200);
        RECT rcPlain{};
        ::GetWindowRect(::GetDlgItem(hDlg, CDlg::kPlain), &rcPlain);
        HDC hScreen = ::GetDC(nullptr);
        crPlain = ::GetPixel(hScreen, rcPlain.left + 5, rcPlain.top + 5);
        // Outside the disc the dialog's background shows, as beside the button.
        RECT rcRound{};
        ::GetWindowRect(hRound, &rcRound);
        crCorner = ::GetPixel(hScreen, rcRound.left + 1, rcRound.top + 1);
        crBeside = ::GetPixel(hScreen, rcRound.left - 2, rcRound.top + 1);
        ::ReleaseDC(nullptr, hScreen);
    });
    EXPECT_TRUE(bCornerOut);
    EXPECT_TRUE(bCentreIn);
    EXPECT_EQ(crCorner, crBeside);
    EXPECT_EQ(crPlain, crFace);
}

TEST_F(SkinnedControls, LabelTooltipShowsWhenTheMouseRestsOnIt)
{
    CDlg dlg(m_english.Module(), false);
    bool bShown = false;
    std::wstring sTip;
    Drive(dlg, [&](HWND hDlg) {
        HWND hLabel = ::GetDlgItem(hDlg, CDlg::kLabel);
        RECT rc{};
        ::GetWindowRect(hLabel, &rc);
        ::SetCursorPos((rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2);
        // One move, then the mouse rests (each move would start the tooltip's delay again).
        ::PostMessageW(hLabel, WM_MOUSEMOVE, 0, MAKELPARAM(3, 3));
        bShown = WaitUntil([&] { return dlg.m_label.Tooltip() && ::IsWindowVisible(dlg.m_label.Tooltip()); }, 5000);
        wchar_t sz[128] = {};
        TOOLINFOW ti{};
        ti.cbSize = TTTOOLINFOW_V2_SIZE;
        ti.hwnd = hDlg;
        ti.uId = reinterpret_cast<UINT_PTR>(hLabel);
        ti.lpszText = sz;
        ::SendMessageW(dlg.m_label.Tooltip(), TTM_GETTEXTW, 128, reinterpret_cast<LPARAM>(&ti));
        sTip = sz;
        ::SetCursorPos(0, 0);
    });
    EXPECT_TRUE(bShown);
    EXPECT_EQ(sTip, L"Brightness/Contrast");
}

TEST_F(SkinnedControls, GdiObjectsStayFlatOverAThousandRepaints)
{
    CDlg dlg(m_english.Module(), false);
    int nBefore = -1, nAfter = -2;
    Drive(dlg, [&](HWND hDlg) {
        ::SendMessageW(hDlg, CDlg::kMsgRepaint, 20, 0);
        nBefore = CountGdiObjects();
        ::SendMessageW(hDlg, CDlg::kMsgRepaint, 1000, 0);
        nAfter = CountGdiObjects();
    });
    EXPECT_GT(nBefore, 0);
    EXPECT_EQ(nAfter, nBefore);
}

}  // namespace
