// Draws a 1-, an 8- and a 24-bit image into a window on the screen and keeps a screenshot
// (image_draw.bmp in the artifact folder) for a person to look at.
#include <gtest/gtest.h>

#include <cstdio>
#include <vector>

#include "harness/TestEnv.h"
#include "transfer/Image.h"

namespace {

constexpr int kSide = 160;
constexpr int kGap = 20;
constexpr int kWinW = 3 * kSide + 4 * kGap;
constexpr int kWinH = kSide + 2 * kGap;

// A ring and a diagonal bar on a 1-bit page, written as one continuous bit stream.
void PaintOneBit(CImage& img)
{
    uint8_t* p = img.GetData();
    for (int y = 0; y < kSide; ++y)
        for (int x = 0; x < kSide; ++x) {
            int dx = x - kSide / 2, dy = y - kSide / 2, r2 = dx * dx + dy * dy;
            bool bInk = (r2 > 50 * 50 && r2 < 65 * 65) || std::abs(x - y) < 6;
            size_t nBit = static_cast<size_t>(y) * kSide + x;
            if (!bInk)  // palette entry 1 is white
                p[nBit / 8] |= static_cast<uint8_t>(0x80 >> (nBit % 8));
        }
}

void PaintGrey(CImage& img)
{
    uint8_t* p = img.GetData();
    for (int y = 0; y < kSide; ++y)
        for (int x = 0; x < kSide; ++x)
            p[y * kSide + x] = static_cast<uint8_t>(x * 255 / (kSide - 1));
}

// Red grows to the right, green downwards, blue in the top-left quarter.
void PaintColour(CImage& img)
{
    uint8_t* p = img.GetData();
    for (int y = 0; y < kSide; ++y)
        for (int x = 0; x < kSide; ++x) {
            uint8_t* px = p + 3 * (y * kSide + x);
            px[0] = static_cast<uint8_t>(x * 255 / (kSide - 1));
            px[1] = static_cast<uint8_t>(y * 255 / (kSide - 1));
            px[2] = (x < kSide / 2 && y < kSide / 2) ? 255 : 0;
        }
}

CImage* g_pShotImages[3] = {};
bool g_bShotDrawFailed = false;

LRESULT CALLBACK ShotWndProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    if (uMsg != WM_PAINT)
        return DefWindowProcW(hWnd, uMsg, wParam, lParam);
    PAINTSTRUCT ps;
    HDC hdc = BeginPaint(hWnd, &ps);
    RECT rcAll{0, 0, kWinW, kWinH};
    FillRect(hdc, &rcAll, static_cast<HBRUSH>(GetStockObject(LTGRAY_BRUSH)));
    for (int i = 0; i < 3; ++i) {
        int x = kGap + i * (kSide + kGap);
        try {
            g_pShotImages[i]->Draw(hdc, RECT{x, kGap, x + kSide, kGap + kSide}, RECT{0, 0, kSide, kSide});
        } catch (const CImageError&) {
            g_bShotDrawFailed = true;
        }
    }
    EndPaint(hWnd, &ps);
    return 0;
}

bool WriteBmp(const std::filesystem::path& path, const std::vector<uint8_t>& bgr, int nWidth, int nHeight)
{
    const int nStride = (nWidth * 3 + 3) / 4 * 4;
    BITMAPFILEHEADER bf{};
    BITMAPINFOHEADER bi{};
    bi.biSize = sizeof bi;
    bi.biWidth = nWidth;
    bi.biHeight = nHeight;
    bi.biPlanes = 1;
    bi.biBitCount = 24;
    bi.biSizeImage = static_cast<DWORD>(nStride * nHeight);
    bf.bfType = 0x4D42;
    bf.bfOffBits = sizeof bf + sizeof bi;
    bf.bfSize = bf.bfOffBits + bi.biSizeImage;
    FILE* f = _wfopen(path.c_str(), L"wb");
    if (!f)
        return false;
    bool bOk = fwrite(&bf, sizeof bf, 1, f) == 1 && fwrite(&bi, sizeof bi, 1, f) == 1 &&
               fwrite(bgr.data(), 1, bgr.size(), f) == bgr.size();
    return fclose(f) == 0 && bOk;
}

}  // namespace

TEST(ImageScreenshot, DrawsOneEightAndTwentyFourBitImages)
{
    CImage bw, grey, colour;
    ASSERT_NE(0, bw.Create(1, 1, kSide, kSide, 300, 300));
    ASSERT_NE(0, grey.Create(1, 8, kSide, kSide, 300, 300));
    ASSERT_NE(0, colour.Create(3, 8, kSide, kSide, 300, 300));
    PaintOneBit(bw);
    PaintGrey(grey);
    PaintColour(colour);

    WNDCLASSW wc{};
    wc.lpfnWndProc = ShotWndProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"mvlImageShot";
    RegisterClassW(&wc);
    g_pShotImages[0] = &bw;
    g_pShotImages[1] = &grey;
    g_pShotImages[2] = &colour;
    HWND hWnd = CreateWindowExW(WS_EX_TOPMOST, wc.lpszClassName, L"", WS_POPUP | WS_VISIBLE, 0, 0, kWinW, kWinH,
                                nullptr, nullptr, wc.hInstance, nullptr);
    ASSERT_NE(nullptr, hWnd) << GetLastError();
    // Let the window be mapped and painted before the screen is read.
    for (DWORD dwStart = GetTickCount(); GetTickCount() - dwStart < 1500;) {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageW(&msg);
        if (GetTickCount() - dwStart > 300)
            InvalidateRect(hWnd, nullptr, FALSE);
        Sleep(20);
    }
    EXPECT_FALSE(g_bShotDrawFailed);

    // Read the screen back, bottom-up 24-bit rows.
    HDC hScreen = GetDC(nullptr);
    HDC hMem = CreateCompatibleDC(hScreen);
    BITMAPINFO bi{};
    bi.bmiHeader = BITMAPINFOHEADER{sizeof(BITMAPINFOHEADER), kWinW, kWinH, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
    uint8_t* pBits = nullptr;
    HBITMAP hBmp = CreateDIBSection(hMem, &bi, DIB_RGB_COLORS, reinterpret_cast<void**>(&pBits), nullptr, 0);
    ASSERT_NE(nullptr, hBmp);
    HGDIOBJ hOld = SelectObject(hMem, hBmp);
    BitBlt(hMem, 0, 0, kWinW, kWinH, hScreen, 0, 0, SRCCOPY);
    GdiFlush();
    const int nStride = (kWinW * 3 + 3) / 4 * 4;
    std::vector<uint8_t> shot(pBits, pBits + nStride * kWinH);
    SelectObject(hMem, hOld);
    DeleteObject(hBmp);
    DeleteDC(hMem);
    ReleaseDC(nullptr, hScreen);
    DestroyWindow(hWnd);

    EXPECT_TRUE(WriteBmp(mvltest::ArtifactDir() / L"image_draw.bmp", shot, kWinW, kWinH));
    auto rgb = [&](int x, int y) {
        const uint8_t* p = &shot[(kWinH - 1 - y) * nStride + 3 * x];
        return (p[2] << 16) | (p[1] << 8) | p[0];
    };
    const int xColour = kGap + 2 * (kSide + kGap), xGrey = kGap + kSide + kGap;
    EXPECT_EQ(0x0000FF, rgb(xColour + 1, kGap + 1) & 0xF0F0FF);          // blue corner, no red or green yet
    EXPECT_EQ(0xFFFF00, rgb(xColour + kSide - 1, kGap + kSide - 1));    // red and green at their full
    EXPECT_EQ(0x000000, rgb(xGrey, kGap + 5));                         // grey ramp starts black
    EXPECT_EQ(0xFFFFFF, rgb(xGrey + kSide - 1, kGap + 5));             // and ends white
    EXPECT_EQ(0x000000, rgb(kGap + 3, kGap + 3));                      // the bar through the corner
    EXPECT_EQ(0xFFFFFF, rgb(kGap + kSide - 3, kGap + 3));              // paper away from ink
}
