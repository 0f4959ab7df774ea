// How fast the preview reaches the screen, under Wine on a virtual display, each figure a ratio
// against a reference measured in the same run:
//   repaint   one full repaint of the preview control at 5x zoom (image, rulers, tracker, one
//             block transfer) against the 40 ms period of the outline's animation (aim < 0.10);
//   first band the time from the device delivering the first band's last row to the end of the
//             paint that shows it, against the time the device takes to read a band (aim < 2);
//   memory    what the process committed during a preview beyond the two preview images and
//             the stacks of its two threads (the worker and the line poller, measured as two
//             idle threads in the same run), against one band (aim <= 1).
// The device is a stand-in that delivers rows at a flatbed's line speed; the effect library is
// the real one, found beside this program, with brightness changed so that every band passes
// through it.
// Usage: preview_bench.exe [rounds] [row-ms]
#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>
#include <vector>

#include "imaging/ImgEffectBinding.h"
#include "transfer/Image.h"
#include "transfer/PreviewReader.h"
#include "ui/PreviewStatic.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr UINT kMsgBand = WM_APP + 1;
constexpr int kPreviewId = 100;

double Ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

double Median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

size_t Committed()
{
    PROCESS_MEMORY_COUNTERS pmc{sizeof pmc};
    return ::GetProcessMemoryInfo(::GetCurrentProcess(), &pmc, sizeof pmc) ? pmc.PagefileUsage : 0;
}

class CHost : public IPreviewHost {
public:
    void EnableZoomButtons(bool, bool) override {}
    void OnTrackerChanged() override {}
    void OnSizeReadoutChanged() override {}
    void ScrollViewBy(int, int) override {}
};

// A flatbed delivering one row every nRowMs; remembers when the first band's last row left it.
class CTimedDevice : public IPreviewDevice {
public:
    CTimedDevice(int nRowMs, int nBandRows) : m_rowTime(std::chrono::milliseconds(nRowMs)), m_nBandRows(nBandRows) {}
    int SetScanParameter(const SDeviceScanParams&) override { return 0; }
    int StartScan() override
    {
        m_start = Clock::now();
        return 0;
    }
    int ReadScanData(uint8_t* pDest, int nSize, int* pnRead) override
    {
        std::this_thread::sleep_until(m_start + m_rowTime * (m_nRow + 1));
        for (int i = 0; i < nSize; ++i)
            pDest[i] = static_cast<uint8_t>((i / 3 + m_nRow) * 7);
        *pnRead = nSize;
        if (++m_nRow == m_nBandRows)
            m_firstBandOut = Clock::now();
        return 0;
    }
    int AbortScan() override { return 0; }
    int GetScanParameter(int* pnValue, int* pnLines) override
    {
        *pnValue = 0;
        *pnLines = 0;
        return 0;
    }
    int GetCurScanLineNum(int* pnLines, int* pnState) override
    {
        *pnLines = 0;
        *pnState = 0;
        return 0;
    }
    void EndJobAndClose() override {}
    Clock::time_point FirstBandOut() const { return m_firstBandOut; }

private:
    Clock::duration m_rowTime;
    int m_nBandRows;
    int m_nRow = 0;
    Clock::time_point m_start, m_firstBandOut;
};

class CPostingSink : public IPreviewSink {
public:
    explicit CPostingSink(HWND hWnd) : m_hWnd(hWnd) {}
    void OnBand(int nRows, int nHeight) override { ::PostMessageW(m_hWnd, kMsgBand, nRows, nHeight); }
    void OnProgress(int) override {}
    bool Cancelled() override { return false; }

private:
    HWND m_hWnd;
};

struct SWindow {
    HWND hParent = nullptr, hH = nullptr, hV = nullptr;
    CPreviewStatic preview;
    CHost host;
};

bool CreateWindows(SWindow& w)
{
    WNDCLASSW wc{};
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = ::GetModuleHandleW(nullptr);
    wc.lpszClassName = L"PreviewBenchHost";
    ::RegisterClassW(&wc);
    // The control's size in the scanning dialog at 96 dpi (173 x 216 dialog units).
    w.hParent = ::CreateWindowExW(0, wc.lpszClassName, L"preview", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 340, 440,
                                  nullptr, nullptr, wc.hInstance, nullptr);
    ::CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE | SS_NOTIFY, 0, 0, 260, 352, w.hParent,
                      reinterpret_cast<HMENU>(kPreviewId), wc.hInstance, nullptr);
    w.hH = ::CreateWindowExW(0, L"SCROLLBAR", L"", WS_CHILD | SBS_HORZ, 0, 352, 260, 16, w.hParent, nullptr,
                             wc.hInstance, nullptr);
    w.hV = ::CreateWindowExW(0, L"SCROLLBAR", L"", WS_CHILD | SBS_VERT, 260, 0, 16, 352, w.hParent, nullptr,
                             wc.hInstance, nullptr);
    return w.preview.SubclassDlgItem(kPreviewId, w.hParent) &&
           w.preview.AttachHost(&w.host, w.hH, w.hV, SPreviewProduct{});
}

void Pump()
{
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
}

// Full repaints at 5x, zoomed in at the middle of the image.
double RepaintRatio(SWindow& w, const CImage& image, int nRounds)
{
    w.preview.SetPreviewImage(&image, image.GetHeight());
    w.preview.SetToolMode(kToolZoomIn);
    for (int i = 0; i < 4; ++i)
        ::SendMessageW(w.preview.GetSafeHwnd(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(140, 180));
    w.preview.SetToolMode(kToolSelect);
    Pump();
    if (w.preview.Zoom() != 5.0f)
        std::printf("warning: zoom is %.0fx, not 5x\n", w.preview.Zoom());
    std::vector<double> v;
    for (int i = 0; i < nRounds; ++i) {
        const auto t0 = Clock::now();
        w.preview.Repaint();
        ::GdiFlush();
        v.push_back(Ms(Clock::now() - t0));
    }
    w.preview.ResetZoom();
    return Median(v) / 40.0;
}

struct SBandResult {
    double dRatio = 0, dBandMs = 0, dLatencyMs = 0;
    size_t nExtra = 0;
};

// One preview with the real effect library; the first band timed from the device to the screen.
SBandResult FirstBand(SWindow& w, CImgEffectBinding* pEffects, int nRowMs)
{
    const SPreviewGeometry g = PreviewGeometryFor(SProductFlags{});
    CImage work, shown;
    work.Create(3, 8, g.nWidth, g.nHeight, g.nDpi, g.nDpi);
    shown.Create(3, 8, g.nWidth, g.nHeight, g.nDpi, g.nDpi);
    w.preview.SetPreviewImage(&shown, 0);
    Pump();
    const size_t nBefore = Committed();
    size_t nPeak = nBefore;

    _ImageAdjustments adj;
    adj.m_nBrightness[0] = 20;
    CTimedDevice device(nRowMs, g.nBandRows);
    CPostingSink sink(w.hParent);
    const SPreviewImages images{work.GetData(), shown.GetData(), g.nWidth, g.nHeight};
    std::atomic<bool> bDone{false};
    std::thread worker([&] {
        ReadPreview(g, device, pEffects, adj, images, sink);
        bDone = true;
    });
    Clock::time_point firstShown{};
    bool bFirstBandIn = false;
    int nRows = 0;
    for (;;) {
        MSG msg;
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == kMsgBand) {
                const int nBefore = nRows;
                nRows = static_cast<int>(msg.wParam);
                w.preview.SetRowsReady(nRows);
                w.preview.InvalidateRows(nBefore, nRows, static_cast<int>(msg.lParam));
                bFirstBandIn = bFirstBandIn || nRows > 0;
                continue;
            }
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
            if (msg.message == WM_PAINT && msg.hwnd == w.preview.GetSafeHwnd() && bFirstBandIn &&
                firstShown == Clock::time_point{})
                firstShown = Clock::now();
        }
        nPeak = std::max(nPeak, Committed());
        if (bDone)
            break;
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
    }
    worker.join();
    w.preview.SetPreviewImage(nullptr, 0);

    SBandResult r;
    r.dBandMs = nRowMs * g.nBandRows;
    r.dLatencyMs = Ms(firstShown - device.FirstBandOut());
    r.dRatio = r.dLatencyMs / r.dBandMs;
    r.nExtra = nPeak - nBefore;
    return r;
}

// What two threads side by side commit (their stacks): the worker and the line poller.
size_t ThreadsCommitted()
{
    const size_t nBefore = Committed();
    std::atomic<bool> bStop{false};
    auto idle = [&] {
        while (!bStop)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
    };
    std::thread a(idle), b(idle);
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    const size_t nPeak = Committed();
    bStop = true;
    a.join();
    b.join();
    return nPeak > nBefore ? nPeak - nBefore : 0;
}

}  // namespace

int main(int argc, char** argv)
{
    const int nRounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 50;
    const int nRowMs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 7;
    SWindow w;
    if (!CreateWindows(w)) {
        std::printf("the preview control could not be created\n");
        return 1;
    }
    CImgEffectBinding effects(CImgEffectBinding::OwnModuleDirectory().c_str(), L"mvl");
    if (!effects.IsLoaded())
        std::printf("warning: mvlImgEffect.dll not found beside the program: bands pass unadjusted\n");

    const SPreviewGeometry g = PreviewGeometryFor(SProductFlags{});
    CImage image;
    image.Create(3, 8, g.nWidth, g.nHeight, g.nDpi, g.nDpi);
    for (size_t i = 0; i < size_t(g.nWidth) * 3 * g.nHeight; ++i)
        image.GetData()[i] = static_cast<uint8_t>(i * 31 / 7);
    const double dRepaint = RepaintRatio(w, image, nRounds);
    std::printf("repaint at 5x: %.3f of the 40 ms period (aim < 0.10)\n", dRepaint);

    std::vector<SBandResult> runs;
    for (int i = 0; i < 3; ++i)
        runs.push_back(FirstBand(w, effects.IsLoaded() ? &effects : nullptr, nRowMs));
    std::sort(runs.begin(), runs.end(), [](auto& a, auto& b) { return a.dRatio < b.dRatio; });
    const SBandResult& m = runs[1];
    std::printf("first band: %.2f ms after the device delivered it, %.2f of a band-read time of %.0f ms (aim < 2)\n",
                m.dLatencyMs, m.dRatio, m.dBandMs);
    const size_t nBand = size_t(g.nWidth) * 3 * g.nBandRows;
    const size_t nThreads = ThreadsCommitted();
    size_t nMaxExtra = 0;
    for (const SBandResult& r : runs)
        nMaxExtra = std::max(nMaxExtra, r.nExtra > nThreads ? r.nExtra - nThreads : 0);
    std::printf("memory: %zu bytes committed beyond the two images and two thread stacks (%zu bytes), "
                "%.2f bands of %zu bytes (aim <= 1)\n",
                nMaxExtra, nThreads, double(nMaxExtra) / nBand, nBand);
    ::DestroyWindow(w.hParent);
    return 0;
}
