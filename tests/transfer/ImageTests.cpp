// The raster image and its spool under Wine: allocation rules, reads, drawing, cloning, errors.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <vector>

#include "harness/TestEnv.h"
#include "transfer/AppLink.h"
#include "transfer/DataMapFile.h"
#include "transfer/Image.h"

namespace fs = std::filesystem;

namespace {

// A 24-bit memory DC the tests draw into and read back.
class CMemCanvas {
public:
    CMemCanvas(int nWidth, int nHeight) : m_nWidth(nWidth), m_nHeight(nHeight)
    {
        BITMAPINFO bi{};
        bi.bmiHeader.biSize = sizeof bi.bmiHeader;
        bi.bmiHeader.biWidth = nWidth;
        bi.bmiHeader.biHeight = -nHeight;  // top-down, so row y is y
        bi.bmiHeader.biPlanes = 1;
        bi.bmiHeader.biBitCount = 32;
        m_hdc = CreateCompatibleDC(nullptr);
        m_hBmp = CreateDIBSection(m_hdc, &bi, DIB_RGB_COLORS, reinterpret_cast<void**>(&m_pBits), nullptr, 0);
        m_hOld = SelectObject(m_hdc, m_hBmp);
        std::fill(m_pBits, m_pBits + nWidth * nHeight, 0x00123456u);
    }
    ~CMemCanvas()
    {
        SelectObject(m_hdc, m_hOld);
        DeleteObject(m_hBmp);
        DeleteDC(m_hdc);
    }
    HDC Dc() const { return m_hdc; }
    // 0x00RRGGBB
    uint32_t Pixel(int x, int y)
    {
        GdiFlush();
        return m_pBits[y * m_nWidth + x] & 0xFFFFFF;
    }

private:
    int m_nWidth, m_nHeight;
    HDC m_hdc = nullptr;
    HBITMAP m_hBmp = nullptr;
    HGDIOBJ m_hOld = nullptr;
    uint32_t* m_pBits = nullptr;
};

void Fill(CImage& img, std::initializer_list<uint8_t> bytes)
{
    std::copy(bytes.begin(), bytes.end(), img.GetData());
}

}  // namespace

TEST(Image, AllocationSizesAndStartingWhite)
{
    CImage img;
    ASSERT_NE(0, img.Create(1, 1, 10, 10, 300, 300));
    EXPECT_EQ(26u, img.DataBytes());
    EXPECT_EQ(6u, std::count(img.GetPalette(), img.GetPalette() + 6, 0) + std::count(img.GetPalette(), img.GetPalette() + 6, 255));
    for (int nRes : {75, 150, 300, 74, 151}) {
        CImage grey;
        ASSERT_NE(0, grey.Create(1, 8, 7, 5, nRes, 600));
        const uint8_t* p = grey.GetData();
        uint8_t expected = (nRes == 75 || nRes == 150) ? 0xFF : 0x00;
        EXPECT_EQ(35, std::count(p, p + 35, expected)) << nRes;
    }
}

TEST(Image, PhotoshopGetsHeadroomOnlyAboveTheThreshold)
{
    SAppFlags saved = g_appFlags;
    g_appFlags.bPhotoshop = true;
    {
        CImage small;
        ASSERT_NE(0, small.Create(1, 8, 1000, 1000, 300, 300));
        EXPECT_EQ(1000000u, small.DataBytes());
        CImage large;  // 10300 x 10300 grey = 106 090 000 bytes > 0x6400000
        ASSERT_NE(0, large.Create(1, 8, 10300, 10300, 300, 300));
        EXPECT_EQ(106090000u + 0xFA00000u, large.DataBytes());
    }
    g_appFlags.bPhotoshop = false;
    {
        CImage large;
        ASSERT_NE(0, large.Create(1, 8, 10300, 10300, 300, 300));
        EXPECT_EQ(106090000u, large.DataBytes());
    }
    g_appFlags = saved;
}

TEST(Image, FailedRequestsAreLoweredButNeverBelowTheNeed)
{
    SAppFlags saved = g_appFlags;
    g_appFlags.bPhotoshop = true;
    const SIZE_T nNeeded = 0x6500000;  // 8 bits, 0x6500000 x 1 pixels
    SetImageAllocLimit(nNeeded + 0x1500000);
    {
        CImage img;
        ASSERT_NE(0, img.Create(1, 8, 0x6500000, 1, 300, 300));
        // 0xFA00000 of headroom less 23 steps of 0xA00000 is the first request under the limit.
        EXPECT_EQ(nNeeded + 0x1400000, img.DataBytes());
    }
    SetImageAllocLimit(nNeeded - 1);
    {
        CImage img;
        EXPECT_EQ(0, img.Create(1, 8, 0x6500000, 1, 300, 300));
        EXPECT_EQ(nullptr, img.GetData());
    }
    SetImageAllocLimit(0);
    g_appFlags = saved;
}

TEST(Image, CreationFailuresCarryTheirTexts)
{
    // 24 bits at 40000 x 40000 does not fit in the 32-bit sizes the image uses.
    try {
        CImage img(3, 8, 40000, 40000, 300, 300);
        FAIL() << "no error raised";
    } catch (const CImageError& e) {
        EXPECT_STREQ("Create New Image: Out of Memory!", e.what());
    }
    CImage img;
    EXPECT_EQ(0, img.Create(3, 8, 40000, 40000, 300, 300));
    EXPECT_EQ(nullptr, img.GetData());
    try {
        img.CreateMapFile(3, 8, 0, 10, 300, 300);
        FAIL() << "no error raised";
    } catch (const CImageError& e) {
        EXPECT_STREQ("Create New Image DATA error!", e.what());
    }
    try {
        img.Create(1, 8, 4, 4, 300, 300);
        RECT rc{0, 0, 4, 4};
        CMemCanvas canvas(4, 4);
        img.Draw(canvas.Dc(), rc, rc);
        SUCCEED();
    } catch (const CImageError&) {
        FAIL() << "drawing a small image raised";
    }
}

TEST(Image, MemoryReadsStopAtTheTotal)
{
    CImage img;
    ASSERT_NE(0, img.Create(1, 8, 10, 10, 300, 300));
    for (int i = 0; i < 100; ++i)
        img.GetData()[i] = static_cast<uint8_t>(i);
    img.ResetReadPos();
    EXPECT_EQ(100u, img.ReadTotal());
    std::vector<uint8_t> buf(64, 0xEE);
    DWORD n = 0;
    EXPECT_EQ(0, img.ReadImageData(buf.data(), 64, &n));
    EXPECT_EQ(64u, n);
    std::fill(buf.begin(), buf.end(), 0xEE);
    EXPECT_EQ(0, img.ReadImageData(buf.data(), 64, &n));
    EXPECT_EQ(36u, n);
    EXPECT_EQ(64, buf[0]);
    EXPECT_EQ(99, buf[35]);
    EXPECT_EQ(0xEE, buf[36]);  // nothing past the count is written
    EXPECT_EQ(0, img.ReadImageData(buf.data(), 64, &n));
    EXPECT_EQ(0u, n);

    // A dialog size larger than the image never reads past the data.
    img.ResetReadPos(1000, 1000);
    EXPECT_EQ(1000000u, img.ReadTotal());
    std::vector<uint8_t> big(4096);
    EXPECT_EQ(0, img.ReadImageData(big.data(), 4096, &n));
    EXPECT_EQ(img.DataBytes(), n);
    EXPECT_EQ(0, img.ReadImageData(nullptr, 4096, &n));
    EXPECT_EQ(0u, n);
}

TEST(Image, SpoolReadWithACroppedDialogSize)
{
    CImage img;
    ASSERT_NE(0, img.CreateMapFile(3, 8, 100, 50, 300, 300));
    ASSERT_NE(nullptr, img.MapFile());
    EXPECT_EQ(15000u, img.MapFile()->Size());
    uint8_t* p = nullptr;
    void* pView = img.GetDataHandle(0, 15000, &p);
    ASSERT_NE(nullptr, pView);
    for (DWORD i = 0; i < 15000; ++i)
        p[i] = static_cast<uint8_t>(i % 251);
    img.ReleaseDataHandle(pView);

    // Cropped to 40 x 20 with the rows packed at the start: only those bytes are read.
    img.ResetReadPos(40, 20);
    EXPECT_EQ(2400u, img.ReadTotal());
    std::vector<uint8_t> buf(1000);
    DWORD nTotal = 0, n = 0;
    do {
        ASSERT_EQ(0, img.ReadMapFileData(buf.data(), 1000, &n));
        for (DWORD i = 0; i < n; ++i)
            ASSERT_EQ((nTotal + i) % 251, buf[i]);
        nTotal += n;
    } while (n);
    EXPECT_EQ(2400u, nTotal);

    img.ResetReadPos();
    EXPECT_EQ(15000u, img.ReadTotal());
    CImage bw;
    ASSERT_NE(0, bw.CreateMapFile(1, 1, 10, 7, 300, 300));
    EXPECT_EQ(14u, bw.MapFile()->Size());
    bw.ResetReadPos();
    EXPECT_EQ(14u, bw.ReadTotal());
}

TEST(Image, SpoolFileGoesWithItsOwner)
{
    fs::path file;
    {
        CImage img;
        ASSERT_NE(0, img.CreateMapFile(1, 8, 64, 64, 300, 300));
        file = img.MapFile()->FileName();
        EXPECT_TRUE(fs::exists(file));
        EXPECT_EQ(0u, file.filename().wstring().rfind(L"Mor", 0)) << file;
        img.FreeData();
        EXPECT_FALSE(fs::exists(file));
        ASSERT_NE(0, img.CreateMapFile(1, 8, 64, 64, 300, 300));
        file = img.MapFile()->FileName();
    }
    EXPECT_FALSE(fs::exists(file));
}

TEST(DataMapFile, ViewsAreRoundedToTheGranularity)
{
    Data_MapFile map;
    const DWORD dwGran = Data_MapFile::AllocationGranularity();
    ASSERT_EQ(0, map.MapFile_Create(3 * dwGran + 100));
    uint8_t* p = nullptr;
    void* pBase = map.GetDataHandle(dwGran + 10, 200, &p);
    ASSERT_NE(nullptr, pBase);
    EXPECT_EQ(static_cast<uint8_t*>(pBase) + 10, p);
    EXPECT_EQ(0u, reinterpret_cast<uintptr_t>(pBase) % dwGran);
    p[0] = 0x5A;
    p[199] = 0xA5;
    map.ReleaseDataHandle(pBase);
    // The same bytes through another view: the mapping holds them.
    pBase = map.GetDataHandle(dwGran + 209, 1, &p);
    ASSERT_NE(nullptr, pBase);
    EXPECT_EQ(0xA5, p[0]);
    map.ReleaseDataHandle(pBase);
    // The last byte maps; one past it does not, nor a range whose 32-bit sum wraps.
    pBase = map.GetDataHandle(3 * dwGran + 99, 1, &p);
    EXPECT_NE(nullptr, pBase);
    map.ReleaseDataHandle(pBase);
    EXPECT_EQ(nullptr, map.GetDataHandle(3 * dwGran + 99, 2, &p));
    EXPECT_EQ(nullptr, p);
    EXPECT_EQ(nullptr, map.GetDataHandle(0xFFFFFF00u, 0x200, &p));
    EXPECT_EQ(nullptr, map.GetDataHandle(0, 10, nullptr));
}

TEST(DataMapFile, NamedFileIsDeletedAndFailuresReportOne)
{
    mvltest::CTempDir dir;
    fs::path named = dir.Path() / L"spool.bin";
    {
        Data_MapFile map;
        ASSERT_EQ(0, map.MapFile_Create(4096, named.wstring()));
        EXPECT_EQ(named.wstring(), map.FileName());
        EXPECT_EQ(4096u, fs::file_size(named));
    }
    EXPECT_FALSE(fs::exists(named));
    Data_MapFile bad;
    EXPECT_EQ(1, bad.MapFile_Create(4096, (dir.Path() / L"missing" / L"x.bin").wstring()));
    EXPECT_EQ(L"", bad.FileName());
    // An empty file cannot be mapped with size 0; no file is left behind.
    Data_MapFile empty;
    EXPECT_EQ(1, empty.MapFile_Create(0));
    EXPECT_EQ(L"", empty.FileName());
}

TEST(Image, DrawsOneBitRectanglesShifted)
{
    // 12 x 2 stream, palette black/white: row 0 alternating from white, row 1 = 1111 0000 1100.
    CImage img;
    ASSERT_NE(0, img.Create(1, 1, 12, 2, 300, 300));
    Fill(img, {0xAA, 0xAF, 0x0C});
    CMemCanvas canvas(9, 2);
    img.Draw(canvas.Dc(), RECT{0, 0, 9, 2}, RECT{3, 0, 12, 2});
    EXPECT_EQ(0x000000u, canvas.Pixel(0, 0));  // source x = 3 is 0
    EXPECT_EQ(0xFFFFFFu, canvas.Pixel(1, 0));
    EXPECT_EQ(0xFFFFFFu, canvas.Pixel(0, 1));  // row order kept after the flip
    EXPECT_EQ(0x000000u, canvas.Pixel(1, 1));
    EXPECT_EQ(0xFFFFFFu, canvas.Pixel(5, 1));
    EXPECT_EQ(0xFFFFFFu, canvas.Pixel(6, 1));
    EXPECT_EQ(0x000000u, canvas.Pixel(8, 1));
}

TEST(Image, DrawsFortyEightBitsAsTheirHighBytes)
{
    CImage img;
    ASSERT_NE(0, img.Create(3, 16, 2, 1, 300, 300));
    Fill(img, {0x01, 0xF0, 0x02, 0x80, 0x03, 0x10, 0xFF, 0x00, 0xFF, 0x40, 0xFF, 0xC0});
    CMemCanvas canvas(2, 1);
    img.Draw(canvas.Dc(), RECT{0, 0, 2, 1}, RECT{0, 0, 2, 1});
    EXPECT_EQ(0xF08010u, canvas.Pixel(0, 0));
    EXPECT_EQ(0x0040C0u, canvas.Pixel(1, 0));
    EXPECT_EQ(24, reinterpret_cast<const BITMAPINFOHEADER*>(img.DisplayHeader())->biBitCount);
}

TEST(Image, DrawsColourInItsOwnOrderAndClipsTheSource)
{
    CImage img;
    ASSERT_NE(0, img.Create(3, 8, 2, 2, 300, 300));
    Fill(img, {255, 0, 0, 0, 255, 0, 0, 0, 255, 10, 20, 30});
    CMemCanvas canvas(4, 4);
    // A source rectangle running past the image shows only the image's part.
    img.Draw(canvas.Dc(), RECT{0, 0, 2, 2}, RECT{0, 0, 50, 50});
    EXPECT_EQ(0xFF0000u, canvas.Pixel(0, 0));
    EXPECT_EQ(0x00FF00u, canvas.Pixel(1, 0));
    EXPECT_EQ(0x0000FFu, canvas.Pixel(0, 1));
    EXPECT_EQ(0x0A141Eu, canvas.Pixel(1, 1));
    EXPECT_EQ(0x123456u, canvas.Pixel(3, 3));
    // Nothing of the image is inside: nothing is drawn.
    img.Draw(canvas.Dc(), RECT{2, 2, 4, 4}, RECT{5, 5, 9, 9});
    EXPECT_EQ(0x123456u, canvas.Pixel(3, 3));
}

TEST(Image, CloneCopiesFormatPaletteAndEveryPixel)
{
    CImage img;
    ASSERT_NE(0, img.Create(1, 1, 3, 3, 300, 600));
    Fill(img, {0xFF, 0x80});  // nine bits set: the ninth is in the second byte
    img.GetPalette()[0] = 7;
    auto pCopy = img.Clone();
    ASSERT_NE(nullptr, pCopy);
    EXPECT_EQ(3, pCopy->GetWidth());
    EXPECT_EQ(600, pCopy->GetYResolution());
    EXPECT_EQ(7, pCopy->GetPalette()[0]);
    EXPECT_EQ(0xFF, pCopy->GetData()[0]);
    EXPECT_EQ(0x80, pCopy->GetData()[1]);

    CImage odd;
    odd.Create(1, 2, 3, 3, 300, 300);
    EXPECT_EQ(nullptr, odd.Clone());
    CImage spool;
    spool.CreateMapFile(1, 8, 3, 3, 300, 300);
    EXPECT_EQ(nullptr, spool.Clone());
}

TEST(Image, ScaledReaderHalvesRows)
{
    CImage img;
    ASSERT_NE(0, img.Create(1, 8, 4, 4, 300, 300));
    for (int i = 0; i < 16; ++i)
        img.GetData()[i] = static_cast<uint8_t>(i);
    img.ResetScaledRow();
    uint8_t row[8] = {};
    DWORD n = 0;
    ASSERT_EQ(0, img.ReadScaledRow(row, sizeof row, &n, 2));
    EXPECT_EQ(2u, n);
    EXPECT_EQ(0, row[0]);
    EXPECT_EQ(2, row[1]);
    ASSERT_EQ(0, img.ReadScaledRow(row, sizeof row, &n, 2));
    EXPECT_EQ(8, row[0]);
    EXPECT_EQ(-1, img.ReadScaledRow(row, sizeof row, &n, 2));
    EXPECT_EQ(0u, n);
}
