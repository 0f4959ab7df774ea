// The four image adjustment dialogs driven as a user would over a record and a colour test
// page: typing into the fields (refused and accepted values), sliders by keyboard, the channel
// and preset lists, Reset, the halftone box; each change reaches the record at once and the
// page re-processed through the effect library changes as the adjustment says. The histogram's
// columns are read back from the screen.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "harness/MessageDialogWatcher.h"
#include "harness/TraceCapture.h"
#include "ui/AdjustDialogIds.h"
#include "ui/AdjustTestHost.h"
#include "ui/BrightContrastDlg.h"
#include "ui/DialogDriver.h"
#include "ui/GammaThresholdDlg.h"
#include "ui/HistogramDlg.h"
#include "ui/ToneCurveDlg.h"

using namespace mvltest;

namespace {

class AdjustDialogs : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_NE(m_english.Module(), nullptr);
        MessageDialogs().Clear();
    }

    // Opens the dialog, lets user drive it once it shows the control nFind, then closes it
    // with Close; false when it never showed.
    static bool Drive(CAdjustDialog& dlg, int nFind, const std::function<void(HWND)>& user)
    {
        bool bShown = false;
        RunWithUser([&] { return dlg.Show(nullptr); },
                    [&] {
                        HWND hDlg = WaitForDialogWithCtrl(nFind, 10000);
                        if (!hDlg)
                            return;
                        bShown = true;
                        user(hDlg);
                        ::PostMessageW(::GetDlgItem(hDlg, IDCANCEL), BM_CLICK, 0, 0);
                        WaitGone(hDlg, 10000);
                    });
        return bShown;
    }
    // Waits until the host has re-processed the preview n times in all.
    bool WaitReprocessed(int n) { return WaitUntil([&] { return m_host.Reprocessed() == n; }, 3000); }
    static int SliderPos(HWND hDlg, int nId)
    {
        return static_cast<int>(::SendMessageW(::GetDlgItem(hDlg, nId), TBM_GETPOS, 0, 0));
    }
    static int ComboCount(HWND hDlg) { return static_cast<int>(::SendMessageW(::GetDlgItem(hDlg, IDC_ADJ_CHANNEL), CB_GETCOUNT, 0, 0)); }
    // The next entry of a list, by keyboard.
    static void NextEntry(HWND hDlg, int nId)
    {
        FocusCtrl(hDlg, ::GetDlgItem(hDlg, nId));
        ::Sleep(100);
        PressKey(::GetDlgItem(hDlg, nId), VK_DOWN);
    }

    CLangLibrary m_english{L"enus"};
    CAdjustTestHost m_host;
};

TEST_F(AdjustDialogs, BrightnessTakesMinus100To100PerChannelAndTheCurvesFollow)
{
    CTraceCapture trace(::GetModuleHandleW(nullptr));
    CCImageBrightContrastDlg dlg(m_english.Module(), m_host.Host());
    SScanParamRecord& rec = m_host.Record();
    ASSERT_TRUE(Drive(dlg, IDC_ADJ_BRIGHT_EDIT, [&](HWND hDlg) {
        HWND hBright = ::GetDlgItem(hDlg, IDC_ADJ_BRIGHT_EDIT);
        Retype(hDlg, hBright, L"101");
        PressKey(hBright, VK_TAB);
        EXPECT_TRUE(MessageDialogs().WaitFor(L"out of range", 10000));
        EXPECT_TRUE(WaitUntil([&] { return FocusOfThreadOf(hDlg) == hBright; }, 3000));
        EXPECT_EQ(CtrlText(hDlg, IDC_ADJ_BRIGHT_EDIT), L"0");
        Retype(hDlg, hBright, L"-100");
        PressKey(hBright, VK_RETURN);
        EXPECT_TRUE(WaitReprocessed(1));
        EXPECT_EQ(rec.nBrightness[0], -100);
        EXPECT_EQ(SliderPos(hDlg, IDC_ADJ_BRIGHT_SLIDER), -100);
        EXPECT_EQ(m_host.Marked(), 1);
        EXPECT_LT(m_host.ShownMean(0), m_host.PageMean(0) - 60);
        Retype(hDlg, hBright, L"100");
        PressKey(hBright, VK_TAB);
        EXPECT_TRUE(WaitReprocessed(2));
        EXPECT_EQ(rec.nBrightness[0], 100);
        EXPECT_GT(m_host.ShownMean(1), m_host.PageMean(1) + 60);
        // The contrast slider one step to the right; its field follows.
        HWND hContrast = ::GetDlgItem(hDlg, IDC_ADJ_CONTRAST_SLIDER);
        FocusCtrl(hDlg, hContrast);
        ::Sleep(100);
        PressKey(hContrast, VK_RIGHT);
        EXPECT_TRUE(WaitReprocessed(3));
        EXPECT_EQ(rec.nContrast[0], 1);
        EXPECT_EQ(CtrlText(hDlg, IDC_ADJ_CONTRAST_EDIT), L"1");
        // Enter and Escape outside a field close nothing.
        PressKey(hContrast, VK_RETURN);
        PressKey(hDlg, VK_ESCAPE);
        ::Sleep(300);
        EXPECT_TRUE(::IsWindowVisible(hDlg));
        // The red channel: its own values, all three curves drawn.
        NextEntry(hDlg, IDC_ADJ_CHANNEL);
        EXPECT_TRUE(WaitUntil([&] { return dlg.Channel() == 1; }, 3000));
        EXPECT_EQ(CtrlText(hDlg, IDC_ADJ_BRIGHT_EDIT), L"0");
        Retype(hDlg, hBright, L"-50");
        PressKey(hBright, VK_RETURN);
        EXPECT_TRUE(WaitReprocessed(4));
        EXPECT_EQ(rec.nBrightness[1], -50);
        EXPECT_EQ(rec.nBrightness[0], 100);
        EXPECT_LT(m_host.ShownMean(0), m_host.ShownMean(1) - 40);
        EXPECT_TRUE(SaveGalleryShot(hDlg, "brightness-contrast-red-channel", L"enus"));
        // Reset clears every channel once; on the defaults it changes nothing.
        ClickCtrl(::GetDlgItem(hDlg, IDC_ADJ_RESET));
        EXPECT_TRUE(WaitReprocessed(5));
        EXPECT_EQ(m_host.Marked(), 5);
        EXPECT_EQ(rec.nBrightness[0] | rec.nBrightness[1] | rec.nContrast[0], 0);
        EXPECT_TRUE(WaitUntil([&] { return dlg.Channel() == 0; }, 3000));
        ClickCtrl(::GetDlgItem(hDlg, IDC_ADJ_RESET));
        ::Sleep(300);
    }));
    EXPECT_EQ(m_host.Reprocessed(), 5);
    EXPECT_EQ(m_host.Marked(), 5);
    EXPECT_TRUE(trace.Contains(" CCImageBrightContrastDlg::OnOK()"));
    EXPECT_TRUE(trace.Contains("CCImageBrightContrastDlg::Drawline: x= 0, y = 0,Prect.Width() = "));
}

TEST_F(AdjustDialogs, GammaTakesOneDecimalThresholdFollowsTheModeAndTheHalftoneBox)
{
    SScanParamRecord& rec = m_host.Record();
    rec.nGamma = 10;
    CCGammaThresholdDlg dlg(m_english.Module(), m_host.Host());
    ASSERT_TRUE(Drive(dlg, IDC_ADJ_GAMMA_EDIT, [&](HWND hDlg) {
        EXPECT_FALSE(::IsWindowEnabled(::GetDlgItem(hDlg, IDC_ADJ_THRESHOLD_EDIT)));
        EXPECT_FALSE(::IsWindowVisible(::GetDlgItem(hDlg, IDC_ADJ_HALFTONE)));
        HWND hGamma = ::GetDlgItem(hDlg, IDC_ADJ_GAMMA_EDIT);
        Retype(hDlg, hGamma, L"0.05");
        PressKey(hGamma, VK_TAB);
        EXPECT_TRUE(MessageDialogs().WaitFor(L"out of range", 10000));
        EXPECT_TRUE(WaitUntil([&] { return CtrlText(hDlg, IDC_ADJ_GAMMA_EDIT) == L"1.0"; }, 3000));
        Retype(hDlg, hGamma, L"1.8");
        PressKey(hGamma, VK_RETURN);
        EXPECT_TRUE(WaitReprocessed(1));
        EXPECT_EQ(rec.nGamma, 18);
        EXPECT_EQ(SliderPos(hDlg, IDC_ADJ_GAMMA_SLIDER), 18);
        EXPECT_GT(m_host.ShownMean(2), m_host.PageMean(2) + 30);
        // Reset brings the product's defaults back (gamma 1.8, threshold 72): nothing changes.
        ClickCtrl(::GetDlgItem(hDlg, IDC_ADJ_RESET));
        ::Sleep(300);
        EXPECT_EQ(m_host.Reprocessed(), 1);
        FocusCtrl(hDlg, ::GetDlgItem(hDlg, IDC_ADJ_GAMMA_SLIDER));
        ::Sleep(100);
        PressKey(::GetDlgItem(hDlg, IDC_ADJ_GAMMA_SLIDER), VK_LEFT);
        EXPECT_TRUE(WaitReprocessed(2));
        EXPECT_EQ(CtrlText(hDlg, IDC_ADJ_GAMMA_EDIT), L"1.7");
        ClickCtrl(::GetDlgItem(hDlg, IDC_ADJ_RESET));
        EXPECT_TRUE(WaitReprocessed(3));
        EXPECT_EQ(rec.nGamma, 18);
        EXPECT_EQ(CtrlText(hDlg, IDC_ADJ_GAMMA_EDIT), L"1.8");
    }));
    EXPECT_EQ(m_host.Marked(), 3);
    // A QX5031 product in black and white: threshold, and the halftone box that switches it off.
    rec.nColourMode = 0;
    rec.nAutoThreshold = 0;
    SProductFlags qx;
    qx.bQX5031 = true;
    CCGammaThresholdDlg qxDlg(m_english.Module(), m_host.Host(qx));
    ASSERT_TRUE(Drive(qxDlg, IDC_ADJ_GAMMA_EDIT, [&](HWND hDlg) {
        HWND hBox = ::GetDlgItem(hDlg, IDC_ADJ_HALFTONE);
        EXPECT_FALSE(::IsWindowEnabled(::GetDlgItem(hDlg, IDC_ADJ_GAMMA_SLIDER)));
        EXPECT_TRUE(::IsWindowEnabled(::GetDlgItem(hDlg, IDC_ADJ_THRESHOLD_SLIDER)));
        EXPECT_TRUE(::IsWindowVisible(hBox) && ::IsWindowEnabled(hBox));
        EXPECT_EQ(CtrlText(hDlg, IDC_ADJ_HALFTONE), L"HALFTONE");
        ClickCtrl(hBox);
        EXPECT_TRUE(WaitReprocessed(4));
        EXPECT_EQ(rec.nAutoThreshold, 1);
        EXPECT_FALSE(::IsWindowEnabled(::GetDlgItem(hDlg, IDC_ADJ_THRESHOLD_EDIT)));
        EXPECT_TRUE(SaveGalleryShot(hDlg, "gamma-threshold-halftone", L"enus"));
    }));
    EXPECT_EQ(m_host.Marked(), 3);  // the halftone box marks nothing custom
}

// Height on the screen of the histogram's black column of bin i. The plot fills the frame less
// its last column and row, so bin i covers columns i * W / 256 up to (i + 1) * W / 256.
int BinHeightOnScreen(HWND hFrame, int i)
{
    RECT rc{};
    ::GetClientRect(hFrame, &rc);
    POINT pt{(2 * i + 1) * (rc.right - 1) / 512, rc.bottom - 2};
    ::ClientToScreen(hFrame, &pt);
    HDC hScreen = ::GetDC(nullptr);
    int n = 0;
    while (n < rc.bottom && ::GetPixel(hScreen, pt.x, pt.y - n) == RGB(0, 0, 0))
        ++n;
    ::ReleaseDC(nullptr, hScreen);
    return n;
}

TEST_F(AdjustDialogs, HistogramClipsTheWhiteBinAndShowsTheStatistics)
{
    // 4096 pixels: 3072 white, 16 in each of 64 greys (10, 12, ... 136). The white bin holds
    // more than 1/64: clipped to the top; the greys are drawn 60 of 200 high (1 unclipped).
    std::vector<uint8_t> rgb(4096 * 3, 255);
    for (int i = 0; i < 1024; ++i)
        std::fill_n(rgb.begin() + 3 * i, 3, static_cast<uint8_t>(10 + 2 * (i / 16)));
    m_host.SetPage(rgb, 64, 64);
    CCHistogramDlg dlg(m_english.Module(), m_host.Host());
    ASSERT_TRUE(Drive(dlg, IDC_ADJ_STATS, [&](HWND hDlg) {
        EXPECT_EQ(ComboCount(hDlg), 4);
        HWND hFrame = ::GetDlgItem(hDlg, IDC_ADJ_FRAME);
        RECT rc{};
        ::GetClientRect(hFrame, &rc);
        ::RedrawWindow(hDlg, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
        ::Sleep(300);
        // Scale row r of 0..200 starts at r * H / 201 of the plot's H rows; a bin of height h
        // covers the rows 200 - h to 200.
        const int nH = rc.bottom - 1;
        EXPECT_EQ(BinHeightOnScreen(hFrame, 255), nH);
        EXPECT_EQ(BinHeightOnScreen(hFrame, 10), nH - (200 - 60) * nH / 201);
        EXPECT_EQ(BinHeightOnScreen(hFrame, 11), nH - 200 * nH / 201);
        EXPECT_EQ(CtrlText(hDlg, IDC_ADJ_STATS), L"Mean: 209.50\nStandard deviation: 80.94\nMedian: 255\nPixels: 4096");
        EXPECT_TRUE(SaveGalleryShot(hDlg, "histogram-clipped", L"enus"));
    }));
    EXPECT_EQ(m_host.Reprocessed(), 0);
    // No preview, grey mode: an empty plot, zero statistics, one channel.
    m_host.SetPage({}, 0, 0);
    m_host.Record().nColourMode = 1;
    CCHistogramDlg empty(m_english.Module(), m_host.Host());
    ASSERT_TRUE(Drive(empty, IDC_ADJ_STATS, [&](HWND hDlg) {
        EXPECT_EQ(ComboCount(hDlg), 1);
        // Painted before the screen is read, as above: on a busy machine the first dialog's plot
        // may still be on the screen where this one's goes.
        ::RedrawWindow(hDlg, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
        ::Sleep(300);
        EXPECT_LE(BinHeightOnScreen(::GetDlgItem(hDlg, IDC_ADJ_FRAME), 128), 2);  // the base row only
        EXPECT_EQ(CtrlText(hDlg, IDC_ADJ_STATS), L"Mean: 0.00\nStandard deviation: 0.00\nMedian: 0\nPixels: 0");
    }));
}

TEST_F(AdjustDialogs, ToneCurvePresetsPerChannelAndResetOnlyWhenSomethingIsSet)
{
    SScanParamRecord& rec = m_host.Record();
    CDlg_Curve dlg(m_english.Module(), m_host.Host());
    ASSERT_TRUE(Drive(dlg, IDC_ADJ_PRESET, [&](HWND hDlg) {
        ClickCtrl(::GetDlgItem(hDlg, IDC_ADJ_RESET));
        ::Sleep(300);
        EXPECT_EQ(m_host.Reprocessed(), 0);
        // Darken on all channels: every channel of the page darker.
        NextEntry(hDlg, IDC_ADJ_PRESET);
        NextEntry(hDlg, IDC_ADJ_PRESET);
        EXPECT_TRUE(WaitReprocessed(2));
        EXPECT_EQ(rec.nCurve[0], 2);
        EXPECT_LT(m_host.ShownMean(2), m_host.PageMean(2) - 30);
        // Green: its own preset, shown when the channel is chosen.
        NextEntry(hDlg, IDC_ADJ_CHANNEL);
        NextEntry(hDlg, IDC_ADJ_CHANNEL);
        EXPECT_TRUE(WaitUntil([&] { return dlg.Channel() == 2; }, 3000));
        EXPECT_EQ(CtrlText(hDlg, IDC_ADJ_PRESET), L"Linear");
        NextEntry(hDlg, IDC_ADJ_PRESET);
        EXPECT_TRUE(WaitReprocessed(3));
        EXPECT_EQ(rec.nCurve[2], 1);
        EXPECT_EQ(rec.nCurve[0], 2);
        EXPECT_TRUE(SaveGalleryShot(hDlg, "tone-curve-green-channel", L"enus"));
        ClickCtrl(::GetDlgItem(hDlg, IDC_ADJ_RESET));
        EXPECT_TRUE(WaitReprocessed(4));
        EXPECT_EQ(rec.nCurve[0] | rec.nCurve[2], 0);
        EXPECT_EQ(CtrlText(hDlg, IDC_ADJ_PRESET), L"Linear");
    }));
    EXPECT_EQ(m_host.Marked(), 4);
}

TEST_F(AdjustDialogs, WithoutTheEffectLibraryTheHistogramStaysEmptyAndWithoutARecordNothingOpens)
{
    SAdjustHost host = m_host.Host();
    host.sEffectPrefix = L"missing";
    CCHistogramDlg histogram(m_english.Module(), host);
    ASSERT_TRUE(Drive(histogram, IDC_ADJ_STATS, [](HWND) {}));
    EXPECT_EQ(histogram.Block().m_nPixels, 0);
    EXPECT_EQ(CDlg_Curve(m_english.Module(), SAdjustHost{}).Show(nullptr), -1);
}

}  // namespace
