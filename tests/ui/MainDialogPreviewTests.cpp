// The preview of the scanning dialog as a user works it, with the simulated scanner: bands coming
// in, a read error, Cancel and closing during a preview, the tracker drawn, resized by its handles
// and moved against the edges, zoom and the hand tool, units, a feeder and a paper chosen through
// named settings. The drawn area scanned is in MainDialogScanTests.cpp.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cmath>
#include <functional>

#include "harness/MessageDialogWatcher.h"
#include "ui/DialogDriver.h"
#include "ui/MainDialogIds.h"
#include "ui/MainDialogSession.h"
#include "ui/ScanDialogIds.h"

using namespace dlgtest;
using namespace mvltest;

namespace {

constexpr int kFlatbed = 0, kFeeder = 1, kColour = 2, k75Dpi = 0, kA5 = 1;
constexpr int kBand = 21;

// The control's client area as it is on the screen, 0xRRGGBB per pixel.
struct SShot {
    int w = 0, h = 0;
    std::vector<uint32_t> px;
    uint32_t At(int x, int y) const { return px[size_t(y) * w + x] & 0xFFFFFF; }
};

SShot Capture(HWND hWnd)
{
    for (int i = 0; i < 3; ++i) {
        xfertest::CAcquisition::Pump();
        Sleep(20);
    }
    RECT rc{};
    GetClientRect(hWnd, &rc);
    SShot s{rc.right, rc.bottom, std::vector<uint32_t>(size_t(rc.right) * rc.bottom)};
    BITMAPINFO bi{};
    bi.bmiHeader = {sizeof(BITMAPINFOHEADER), s.w, -s.h, 1, 32, BI_RGB};
    HDC hDC = GetDC(hWnd), hMem = CreateCompatibleDC(hDC);
    void* pBits = nullptr;
    HBITMAP hBmp = CreateDIBSection(hDC, &bi, DIB_RGB_COLORS, &pBits, nullptr, 0);
    HGDIOBJ hOld = SelectObject(hMem, hBmp);
    BitBlt(hMem, 0, 0, s.w, s.h, hDC, 0, 0, SRCCOPY);
    GdiFlush();
    std::copy_n(static_cast<uint32_t*>(pBits), s.px.size(), s.px.begin());
    SelectObject(hMem, hOld);
    DeleteObject(hBmp);
    DeleteDC(hMem);
    ReleaseDC(hWnd, hDC);
    return s;
}

// The tracker over the empty platen: the box of its white and black outline pixels.
RECT TrackerOf(HWND hPreview)
{
    const SShot s = Capture(hPreview);
    RECT r{s.w, s.h, -1, -1};
    for (int y = kBand; y < s.h - 1; ++y)
        for (int x = kBand; x < s.w - 1; ++x)
            if (s.At(x, y) == 0xFFFFFF || s.At(x, y) == 0) {
                r = {std::min<LONG>(r.left, x), std::min<LONG>(r.top, y), std::max<LONG>(r.right, x + 1),
                     std::max<LONG>(r.bottom, y + 1)};
            }
    return r;
}

void Mouse(HWND hWnd, UINT nMsg, POINT pt)
{
    PostMouse(hWnd, nMsg, pt);
    xfertest::CAcquisition::Pump();
}

void Drag(HWND hWnd, POINT a, POINT b)
{
    PostDrag(hWnd, a, b);
    xfertest::CAcquisition::Pump();
}

void Click(HWND hWnd, POINT pt)
{
    Drag(hWnd, pt, pt);
}

// Bits of a cursor's mask: the same picture whoever loaded it.
std::vector<BYTE> CursorBits(HCURSOR h)
{
    ICONINFO ii{};
    std::vector<BYTE> bits(32 * 64 / 8);
    if (h && GetIconInfo(h, &ii)) {
        GetBitmapBits(ii.hbmMask, static_cast<LONG>(bits.size()), bits.data());
        DeleteObject(ii.hbmMask);
        if (ii.hbmColor)
            DeleteObject(ii.hbmColor);
    }
    return bits;
}

class CPreviewTest : public ::testing::Test {
protected:
    void Open(CDialogSession& s, const SScanParamRecord& rec)
    {
        ASSERT_TRUE(StoreCurrentSetting(s.SettingsFile(), rec, L"Default"));
        ASSERT_EQ(s.Open(), TWRC_SUCCESS);
        ASSERT_EQ(s.Enable(true), TWRC_SUCCESS);
        m_hPreview = s.Item(IDC_PREVIEW_FRAME);
        ASSERT_NE(m_hPreview, nullptr);
    }
    std::vector<BYTE> LangCursor(UINT nId) const
    {
        return CursorBits(static_cast<HCURSOR>(LoadImageW(m_lang.Module(), MAKEINTRESOURCEW(nId), IMAGE_CURSOR, 0, 0, LR_DEFAULTSIZE)));
    }
    // Runs the preview (Preview clicked), with during() on a second thread while the progress shows.
    void Preview(CDialogSession& s, const std::function<void(HWND hProgress)>& during = {})
    {
        RunWithUser([&] { s.Click(IDC_PREVIEW); return 0; },
                    [&] {
                        HWND hProgress = WaitForDialogWithCtrl(IDC_PROGRESS_BAR, 20000);
                        if (hProgress && during)
                            during(hProgress);
                    });
        xfertest::CAcquisition::Pump();
    }
    HWND m_hPreview = nullptr;
    CLangLibrary m_lang{L"enus"};
};

std::vector<std::wstring> MessageTexts()
{
    std::vector<std::wstring> v;
    for (const SMessageDialog& d : MessageDialogs().Seen())
        v.push_back(d.sText);
    MessageDialogs().Clear();
    return v;
}

}  // namespace

TEST_F(CPreviewTest, BandsComeInAndTheImageIsTheDevicesPage)
{
    MessageDialogs().Clear();
    CDialogSession s("", "ScanSpeed=300\r\n");
    Open(s, TestRecord(kFlatbed, kColour, k75Dpi, kA5));
    EXPECT_FALSE(s.Enabled(IDC_CLEAR_PREVIEW));
    SShot atThird;
    // A third of the rows are on the screen when the page's dark right edge reaches that far.
    auto atThirdShown = [&] {
        const SShot sh = Capture(m_hPreview);
        const int y = kBand + (sh.h - 22) * 3 / 10;
        for (int x = sh.w - 16; x < sh.w - 1; ++x)
            if (sh.At(x, y) < 0x404040)
                return true;
        return false;
    };
    Preview(s, [&](HWND) {
        EXPECT_TRUE(WaitUntil(atThirdShown, 20000));
        SaveGalleryShot(s.Dialog(), "preview-bands-30", L"enus");
        atThird = Capture(m_hPreview);
    });
    SaveGalleryShot(s.Dialog(), "preview-done", L"enus");
    EXPECT_TRUE(s.Enabled(IDC_CLEAR_PREVIEW));
    // Each pixel shown is the device's page at that place, with the edge strips white.
    const auto page = xfertest::ExpectedPage(s.Acq().LastDeviceParams());
    ASSERT_EQ(page.size(), 877u);
    const SShot done = Capture(m_hPreview);
    const int nAreaW = done.w - 22, nAreaH = done.h - 22;
    // The tracker's outline over the image (the A5 paper at 0, 0) is left out.
    const int nPaperR = static_cast<int>(std::lround(nAreaW * 5.8268 / 8.503937));
    const int nPaperB = static_cast<int>(std::lround(nAreaH * 8.2677 / 11.692913));
    auto onOutline = [&](int x, int y) {
        return (x <= 1 || y <= 1 || std::abs(x - nPaperR) <= 1 || std::abs(y - nPaperB) <= 1) && x <= nPaperR + 1 &&
               y <= nPaperB + 1;
    };
    int nDiffer = 0;
    for (int y = 0; y < nAreaH; y += 3)
        for (int x = 0; x < nAreaW; x += 3) {
            if (onOutline(x, y))
                continue;
            const int c = std::clamp(static_cast<int>((x + 0.5) * 638 / nAreaW), 0, 637);
            const int r = std::clamp(static_cast<int>((y + 0.5) * 877 / nAreaH), 0, 876);
            const uint8_t* p = page[size_t(r)].data() + c * 3;
            const uint32_t rgb = (r < 5 || c < 4) ? 0xFFFFFF : (uint32_t(p[0]) << 16 | p[1] << 8 | p[2]);
            nDiffer += done.At(kBand + x, kBand + y) != rgb;
        }
    EXPECT_EQ(nDiffer, 0);
    // At a third the lower rows were still white, the upper ones already the page.
    ASSERT_EQ(atThird.w, done.w);
    EXPECT_EQ(atThird.At(kBand + 100, done.h - 10), 0xFFFFFFu);
    EXPECT_EQ(atThird.At(kBand + 100, kBand + 40), done.At(kBand + 100, kBand + 40));
    EXPECT_TRUE(MessageTexts().empty());
    EXPECT_EQ(s.Acq().SimCount("CALL ScanDrv_Close"), 1);
    EXPECT_EQ(s.Acq().SimCount("VIOLATION"), 0);
}

TEST_F(CPreviewTest, AReadErrorKeepsTheRowsReadAndCancelOrCloseStopTheDevice)
{
    MessageDialogs().Clear();
    {
        CDialogSession s("", "", "ReadErrorLine=300\r\n");
        Open(s, TestRecord(kFlatbed, kColour, k75Dpi, kA5));
        Preview(s);
        EXPECT_EQ(MessageTexts(), std::vector<std::wstring>{L"The scanner reported an error. Please try again."});
        const SShot shot = Capture(m_hPreview);
        const int nCut = kBand + 300 * (shot.h - 22) / 877;
        EXPECT_NE(shot.At(kBand + 100, nCut - 8), 0xFFFFFFu);  // the chart's grey ramp and patches
        EXPECT_EQ(shot.At(kBand + 100, nCut + 4), 0xFFFFFFu);
        SaveGalleryShot(s.Dialog(), "preview-read-error", L"enus");
        EXPECT_EQ(s.Acq().SimCount("CALL ScanDrv_Close"), 1);
    }
    // Cancel at a fifth, then the window closed at a fifth of the next preview: the device job
    // ends, the device closes once each time, and the application hears of the close after.
    CDialogSession s("", "ScanSpeed=300\r\n");
    Open(s, TestRecord(kFlatbed, kColour, k75Dpi, kA5));
    auto atFifth = [&](HWND hProgress, const std::function<void()>& act) {
        HWND hBar = GetDlgItem(hProgress, IDC_PROGRESS_BAR);
        WaitUntil([&] { return SendMessageW(hBar, PBM_GETPOS, 0, 0) >= 20; }, 20000);
        act();
        EXPECT_TRUE(WaitGone(hProgress, 10000));
    };
    Preview(s, [&](HWND hProgress) { atFifth(hProgress, [&] { PostMessageW(GetDlgItem(hProgress, IDCANCEL), BM_CLICK, 0, 0); }); });
    EXPECT_EQ(s.Acq().SimCount("CALL ScanDrv_AbortScan"), 1);
    EXPECT_EQ(s.Acq().SimCount("CALL ScanDrv_Close"), 1);
    EXPECT_TRUE(s.Enabled(IDC_CLEAR_PREVIEW));  // the rows read stay
    Preview(s, [&](HWND hProgress) { atFifth(hProgress, [&] { PostMessageW(s.Dialog(), WM_CLOSE, 0, 0); }); });
    EXPECT_EQ(s.Acq().SimCount("CALL ScanDrv_Close"), 2);
    EXPECT_EQ(s.Acq().Calls(MSG_CLOSEDSREQ), 1);
    EXPECT_EQ(s.Disable(), TWRC_SUCCESS);
    EXPECT_EQ(s.Acq().SimCount("VIOLATION"), 0);
    EXPECT_TRUE(MessageTexts().empty());
}

TEST_F(CPreviewTest, TheTrackerIsDrawnResizedMovedAndTheViewZoomed)
{
    MessageDialogs().Clear();
    CDialogSession s;
    Open(s, TestRecord(kFlatbed, kColour, k75Dpi, kA5));
    RECT rc{};
    GetClientRect(m_hPreview, &rc);
    const LONG nRight = rc.right - 1, nBottom = rc.bottom - 1, nAreaW = nRight - kBand;
    // The paper (A5) at 0, 0 with its size.
    RECT t = TrackerOf(m_hPreview);
    EXPECT_EQ(t.left, kBand);
    EXPECT_EQ(t.top, kBand);
    EXPECT_NEAR(t.right - kBand, nAreaW * 5.8268 / 8.503937, 1.0);
    EXPECT_EQ(s.Text(IDC_SETTING_NAME), L"Default");

    // A new selection: never smaller than 11 pixels, never beyond the image; the paper is custom now.
    Drag(m_hPreview, {200, 280}, {203, 284});
    t = TrackerOf(m_hPreview);
    EXPECT_EQ(t.right - t.left, 11);
    EXPECT_EQ(t.bottom - t.top, 11);
    EXPECT_EQ(s.Text(IDC_SETTING_NAME), L"Custom");
    Drag(m_hPreview, {100, 120}, {rc.right + 40, rc.bottom + 40});
    EXPECT_EQ(TrackerOf(m_hPreview).right, nRight);
    EXPECT_EQ(TrackerOf(m_hPreview).bottom, nBottom);

    // Each of the eight handles moves its own edges only.
    Drag(m_hPreview, {80, 90}, {160, 210});
    struct SHandle { int x, y; LONG dl, dt, dr, db; };
    const SHandle handles[] = {{0, 0, 1, 1, 0, 0}, {2, 0, 0, 1, 1, 0}, {2, 2, 0, 0, 1, 1}, {0, 2, 1, 0, 0, 1},
                               {1, 0, 0, 1, 0, 0}, {2, 1, 0, 0, 1, 0}, {1, 2, 0, 0, 0, 1}, {0, 1, 1, 0, 0, 0}};
    for (const SHandle& h : handles) {
        SCOPED_TRACE(testing::Message() << "handle " << h.x << "," << h.y);
        const RECT a = TrackerOf(m_hPreview);
        const POINT p{h.x == 0 ? a.left : h.x == 2 ? a.right : (a.left + a.right) / 2,
                      h.y == 0 ? a.top : h.y == 2 ? a.bottom : (a.top + a.bottom) / 2};
        Drag(m_hPreview, p, {p.x + 7, p.y + 7});
        const RECT b = TrackerOf(m_hPreview);
        EXPECT_EQ(b.left - a.left, 7 * h.dl);
        EXPECT_EQ(b.top - a.top, 7 * h.dt);
        EXPECT_EQ(b.right - a.right, 7 * h.dr);
        EXPECT_EQ(b.bottom - a.bottom, 7 * h.db);
    }
    // Moved against each edge: pushed back inside with its size kept.
    for (POINT d : {POINT{-400, 0}, POINT{0, -400}, POINT{400, 0}, POINT{0, 400}}) {
        const RECT a = TrackerOf(m_hPreview);
        const POINT c{(a.left + a.right) / 2, (a.top + a.bottom) / 2};
        Drag(m_hPreview, c, {c.x + d.x, c.y + d.y});
        const RECT b = TrackerOf(m_hPreview);
        EXPECT_EQ(b.right - b.left, a.right - a.left);
        EXPECT_EQ(b.bottom - b.top, a.bottom - a.top);
        EXPECT_TRUE(b.left == kBand || b.top == kBand || b.right == nRight || b.bottom == nBottom);
    }
    SaveGalleryShot(s.Dialog(), "preview-tracker", L"enus");

    // Zoom to 5x: the scroll bars come, zoom in goes grey, one more click shows the limit.
    HWND hH = s.Item(IDC_PREVIEW_HSCROLL), hV = s.Item(IDC_PREVIEW_VSCROLL);
    EXPECT_FALSE(IsWindowVisible(hH));
    s.Click(IDC_TOOL_ZOOM_IN);
    for (int i = 0; i < 4; ++i)
        Click(m_hPreview, {120, 150});
    EXPECT_TRUE(IsWindowVisible(hH) && IsWindowVisible(hV));
    EXPECT_FALSE(s.Enabled(IDC_TOOL_ZOOM_IN));
    Click(m_hPreview, {120, 150});
    EXPECT_EQ(CursorBits(GetCursor()), LangCursor(10353));
    SaveGalleryShot(s.Dialog(), "preview-zoom-5x", L"enus");
    s.Click(IDC_TOOL_ZOOM_OUT);
    Mouse(m_hPreview, WM_MOUSEMOVE, {120, 150});
    xfertest::CAcquisition::Pump();
    EXPECT_EQ(CursorBits(GetCursor()), LangCursor(10334));
    for (int i = 0; i < 4; ++i)
        Click(m_hPreview, {120, 150});
    EXPECT_FALSE(IsWindowVisible(hH) || IsWindowVisible(hV));
    EXPECT_FALSE(s.Enabled(IDC_TOOL_ZOOM_OUT));
    EXPECT_EQ(CursorBits(GetCursor()), LangCursor(10353));

    // The hand at 3x drags the view: the bars follow the hand the other way.
    s.Click(IDC_TOOL_ZOOM_IN);
    Click(m_hPreview, {120, 150});
    Click(m_hPreview, {120, 150});
    s.Click(IDC_TOOL_HAND);
    const int nX = GetScrollPos(hH, SB_CTL), nY = GetScrollPos(hV, SB_CTL);
    Drag(m_hPreview, {150, 200}, {120, 160});
    EXPECT_EQ(GetScrollPos(hH, SB_CTL), nX + 30);
    EXPECT_EQ(GetScrollPos(hV, SB_CTL), nY + 40);
    EXPECT_EQ(CursorBits(GetCursor()), LangCursor(10382));
    SaveGalleryShot(s.Dialog(), "preview-hand-3x", L"enus");

    // The units at 1x: the ruler's labels change with them.
    s.Click(IDC_TOOL_ZOOM_OUT);
    Click(m_hPreview, {120, 150});
    Click(m_hPreview, {120, 150});
    s.Click(IDC_TOOL_SELECT);
    std::vector<std::vector<uint32_t>> rulers;
    for (int nUnit = 0; nUnit < 3; ++nUnit) {
        s.Pick(IDC_UNIT_LIST, nUnit);
        const SShot shot = Capture(m_hPreview);
        rulers.emplace_back(shot.px.begin(), shot.px.begin() + size_t(shot.w) * kBand);
        Capture(s.Dialog());  // the rest of the dialog repainted too
        SaveGalleryShot(s.Dialog(), nUnit == 0 ? "preview-ruler-in" : nUnit == 1 ? "preview-ruler-mm" : "preview-ruler-px", L"enus");
    }
    EXPECT_NE(rulers[0], rulers[1]);
    EXPECT_NE(rulers[1], rulers[2]);
    EXPECT_TRUE(MessageTexts().empty());
}

TEST_F(CPreviewTest, AFeederHidesThePreviewAndAPaperPlacesTheTracker)
{
    MessageDialogs().Clear();
    CDialogSession s;
    // A named setting on the flatbed with its paper (A5), then the dialog opened on the feeder.
    Open(s, TestRecord(kFlatbed, kColour, k75Dpi, kA5));
    s.TypeName(L"Glass A5");
    s.Click(IDC_SAVE_SETTING);
    ASSERT_EQ(s.Disable(), TWRC_SUCCESS);
    ASSERT_TRUE(StoreCurrentSetting(s.SettingsFile(), TestRecord(kFeeder, kColour, k75Dpi, kA5), L"Default"));
    ASSERT_EQ(s.Enable(true), TWRC_SUCCESS);
    m_hPreview = s.Item(IDC_PREVIEW_FRAME);
    // The feeder: no preview, no tools, no scroll bars, also after a zoom was asked for.
    EXPECT_FALSE(s.Enabled(IDC_PREVIEW));
    EXPECT_FALSE(s.Shown(IDC_TOOL_ZOOM_IN) || s.Shown(IDC_TOOL_HAND));
    EXPECT_FALSE(IsWindowVisible(s.Item(IDC_PREVIEW_HSCROLL)) || IsWindowVisible(s.Item(IDC_PREVIEW_VSCROLL)));
    Click(m_hPreview, {100, 100});
    EXPECT_FALSE(IsWindowVisible(s.Item(IDC_PREVIEW_HSCROLL)));
    SaveGalleryShot(s.Dialog(), "preview-feeder", L"enus");

    // The flatbed setting: the tracker at 0, 0 with the paper's size.
    const std::vector<std::wstring> names = s.Names();
    const auto it = std::find(names.begin(), names.end(), L"Glass A5");
    ASSERT_NE(it, names.end());
    s.Pick(IDC_SETTING_NAME, static_cast<int>(it - names.begin()));
    EXPECT_TRUE(s.Enabled(IDC_PREVIEW));
    EXPECT_TRUE(s.Shown(IDC_TOOL_ZOOM_IN));
    RECT rc{};
    GetClientRect(m_hPreview, &rc);
    const RECT paper = TrackerOf(m_hPreview);
    EXPECT_EQ(paper.left, kBand);
    EXPECT_EQ(paper.top, kBand);
    EXPECT_NEAR(paper.bottom - kBand, (rc.bottom - 22) * 8.2677 / 11.692913, 1.0);
    // Dragged by its corner: the paper is the custom area.
    Drag(m_hPreview, {paper.right, paper.bottom}, {paper.right - 20, paper.bottom - 20});
    EXPECT_EQ(TrackerOf(m_hPreview).right, paper.right - 20);
    EXPECT_EQ(s.Text(IDC_SETTING_NAME), L"Custom");
    EXPECT_TRUE(MessageTexts().empty());
}

TEST_F(CPreviewTest, ASettingsAdjustmentsShowOnTheKeptPreview)
{
    MessageDialogs().Clear();
    CDialogSession s("", "ScanSpeed=1000\r\n");
    // Two named settings, "Bright" and "Plain", made in the dialog; then a plain preview.
    SScanParamRecord bright = TestRecord(kFlatbed, kColour, k75Dpi, kA5);
    bright.nBrightness[0] = 60;
    Open(s, bright);
    s.TypeName(L"Bright");
    s.Click(IDC_SAVE_SETTING);
    ASSERT_EQ(s.Disable(), TWRC_SUCCESS);
    ASSERT_TRUE(StoreCurrentSetting(s.SettingsFile(), TestRecord(kFlatbed, kColour, k75Dpi, kA5), L"Default"));
    ASSERT_EQ(s.Enable(true), TWRC_SUCCESS);
    m_hPreview = s.Item(IDC_PREVIEW_FRAME);
    s.TypeName(L"Plain");
    s.Click(IDC_SAVE_SETTING);
    Preview(s);
    const SShot plain = Capture(m_hPreview);
    auto pick = [&](const wchar_t* pszName) {
        const std::vector<std::wstring> names = s.Names();
        s.Pick(IDC_SETTING_NAME, static_cast<int>(std::find(names.begin(), names.end(), pszName) - names.begin()));
        return Capture(m_hPreview);
    };
    // Brighter at once; back to the plain setting, the very pixels of the device again.
    const SShot lighter = pick(L"Bright");
    SaveGalleryShot(s.Dialog(), "preview-brightness", L"enus");
    const int x = kBand + 100, y = (plain.h + kBand) * 3 / 4;  // the grey ramp
    EXPECT_GT(lighter.At(x, y) & 0xFF, plain.At(x, y) & 0xFF);
    // Compared below the tracker, whose outline moves: the page's ramp and colour patches.
    auto belowPaper = [](const SShot& sh) {
        const size_t nFirst = size_t(kBand + std::lround((sh.h - 22) * 8.2677 / 11.692913) + 3) * sh.w;
        return std::vector<uint32_t>(sh.px.begin() + nFirst, sh.px.end());
    };
    EXPECT_EQ(belowPaper(pick(L"Plain")), belowPaper(plain));
    EXPECT_TRUE(MessageTexts().empty());
}
