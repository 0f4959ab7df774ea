#include "sim/BmpImage.h"
#include "sim/ChartRenderer.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

// 8.5 x 11.69 inches from the platen's corner: the whole A4 page and a strip of platen.
const SChartArea kPlatenArea{0, 0, 10200, 14031};

TEST(ChartRenderer, GoldenChecksumsAt300Dpi)
{
    struct SCase {
        int nMode;
        uint64_t nGolden;
    } cases[] = {{kChartBw, 0xb38d855aeb459c33ull}, {kChartGrey, 0xaf8308de293b2473ull}, {kChartRgb, 0xbd644db48a1992adull}};
    for (const auto& c : cases) {
        auto rows = RenderChart(1, 0, 300, c.nMode, kPlatenArea);
        ASSERT_EQ(rows.size(), 3508u);
        EXPECT_EQ(ChecksumRows(rows), c.nGolden) << "mode " << c.nMode;
    }
}

TEST(ChartRenderer, GoldenChecksumOfASkewedOffsetPage)
{
    SChartRequest req;
    req.nDpi = 150;
    req.nMode = kChartGrey;
    req.area = {0, 0, 10200, 14031};
    req.placement.dSkewDegrees = 2.5;
    req.placement.nOffsetX = 600;
    req.placement.nOffsetY = 300;
    auto rows = CChartRenderer(req).RenderAll();
    EXPECT_EQ(ChecksumRows(rows), 0xfcfd4480dbb3b6afull);
}


SChartRequest Request(int nMode, int nDpi = 75)
{
    SChartRequest req;
    req.nDpi = nDpi;
    req.nMode = nMode;
    req.area = kPlatenArea;
    return req;
}

TEST(ChartRenderer, GeometryOfTheRows)
{
    CChartRenderer bw(Request(kChartBw, 300));
    EXPECT_EQ(bw.Width(), 2550);
    EXPECT_EQ(bw.Height(), 3508);
    EXPECT_EQ(bw.RowBytes(), (2550 + 7) / 8);
    SChartRequest odd = Request(kChartBw, 100);
    odd.area = {12, 0, 12 + 1201, 5};  // 1201/1200 in at 100 dpi: 101 pixels, a partial byte
    CChartRenderer c(odd);
    EXPECT_EQ(c.Width(), 101);
    EXPECT_EQ(c.Height(), 1);
    EXPECT_EQ(c.RowBytes(), 13);
    std::vector<uint8_t> row(14, 0xEE);
    c.RenderRow(0, row.data());
    EXPECT_EQ(row[12] & 0x07, 0);  // padding bits past the last pixel are zero
    EXPECT_EQ(row[13], 0xEE);      // nothing written past the row
    SChartRequest empty = Request(kChartRgb);
    empty.area = {100, 100, 100, 50};
    EXPECT_EQ(CChartRenderer(empty).Width(), 0);
    EXPECT_EQ(CChartRenderer(empty).Height(), 0);
}

TEST(ChartRenderer, ModesAgreeOnEveryPixel)
{
    CChartRenderer rgb(Request(kChartRgb)), preview(Request(kChartPreview)), grey(Request(kChartGrey)),
        bw(Request(kChartBw));
    std::vector<uint8_t> r(rgb.RowBytes()), p(preview.RowBytes()), g(grey.RowBytes()), b(bw.RowBytes());
    for (int y = 0; y < rgb.Height(); y += 7) {
        rgb.RenderRow(y, r.data());
        preview.RenderRow(y, p.data());
        grey.RenderRow(y, g.data());
        bw.RenderRow(y, b.data());
        ASSERT_EQ(r, p);
        for (int x = 0; x < rgb.Width(); ++x) {
            int lum = (r[3 * x] * 299 + r[3 * x + 1] * 587 + r[3 * x + 2] * 114 + 500) / 1000;
            ASSERT_EQ(g[x], lum);
            bool bWhite = (b[x / 8] >> (7 - x % 8)) & 1;
            ASSERT_EQ(bWhite, lum >= 128) << x << "," << y;
        }
    }
}

// The page lies on a darker platen: the corner outside the page is platen, the page's own
// margin is paper, so automatic crop has an edge to find.
TEST(ChartRenderer, PageOnTheDarkerPlatenWithOffset)
{
    SChartRequest req = Request(kChartGrey, 100);
    req.placement.nOffsetX = 1200;  // one inch
    req.placement.nOffsetY = 600;
    CChartRenderer c(req);
    std::vector<uint8_t> row(c.RowBytes());
    c.RenderRow(20, row.data());  // 0.2 in: above the page
    EXPECT_EQ(row[150], 48);
    c.RenderRow(60, row.data());  // 0.6 in: first rows of the page
    EXPECT_EQ(row[50], 48);       // left of the page
    EXPECT_EQ(row[101], 250);     // page margin
    EXPECT_EQ(row[99], 48);
}

TEST(ChartRenderer, SkewMovesTheLeftEdgeDownThePage)
{
    SChartRequest req = Request(kChartGrey, 100);
    req.placement.nOffsetX = 1200;
    req.placement.dSkewDegrees = 5;
    CChartRenderer c(req);
    auto firstPaper = [&](int y) {
        std::vector<uint8_t> row(c.RowBytes());
        c.RenderRow(y, row.data());
        for (int x = 0; x < c.Width(); ++x)
            if (row[x] != 48)
                return x;
        return -1;
    };
    // Turned clockwise by 5 degrees around its top-left corner, the left edge runs leftwards
    // by tan(5 degrees) = 0.0875 per row.
    EXPECT_NEAR(firstPaper(10), 100 - 10 * 0.0875, 1);
    EXPECT_NEAR(firstPaper(810), 100 - 800 * 0.0875, 2);
}

TEST(ChartRenderer, SidesAndPagesDiffer)
{
    auto front = RenderChart(1, 0, 75, kChartGrey, kPlatenArea);
    auto back = RenderChart(1, 1, 75, kChartGrey, kPlatenArea);
    auto second = RenderChart(2, 0, 75, kChartGrey, kPlatenArea);
    EXPECT_NE(ChecksumRows(front), ChecksumRows(back));
    EXPECT_NE(ChecksumRows(front), ChecksumRows(second));
    EXPECT_EQ(ChecksumRows(front), ChecksumRows(RenderChart(1, 0, 75, kChartGrey, kPlatenArea)));
    // An upside-down page is the same page turned by 180 degrees.
    SChartRequest req = Request(kChartGrey);
    req.placement.nPageWidth = 9600;  // a page of whole pixels: 600 x 900
    req.placement.nPageHeight = 14400;
    req.area = {0, 0, 9600, 14400};
    auto upright = CChartRenderer(req).RenderAll();
    req.placement.bUpsideDown = true;
    auto turned = CChartRenderer(req).RenderAll();
    std::size_t h = upright.size(), w = upright[0].size();
    int nDiffer = 0;
    for (std::size_t y = 0; y < h; ++y)
        for (std::size_t x = 0; x < w; ++x)
            nDiffer += upright[y][x] != turned[h - 1 - y][w - 1 - x];
    EXPECT_EQ(w, 600u);
    EXPECT_LT(nDiffer, static_cast<int>(w * h / 1000));  // only where an edge meets a pixel centre
}

std::vector<uint8_t> TinyBmp24()
{
    // 2 x 2, bottom-up: bottom row blue, green; top row red, white.
    std::vector<uint8_t> b(54 + 16, 0);
    b[0] = 'B';
    b[1] = 'M';
    b[10] = 54;
    b[14] = 40;
    b[18] = 2;
    b[22] = 2;
    b[26] = 1;
    b[28] = 24;
    const uint8_t px[] = {255, 0, 0, 0, 255, 0, 0, 0, 0, 0, 255, 255, 255, 255, 0, 0};
    std::memcpy(&b[54], px, sizeof px);
    return b;
}

TEST(ChartRenderer, PictureAsThePage)
{
    auto pBmp = CBmpImage::FromBytes(TinyBmp24());
    ASSERT_TRUE(pBmp);
    EXPECT_EQ(pBmp->Pixel(0, 0)[0], 255);  // red, top left
    EXPECT_EQ(pBmp->Pixel(1, 1)[1], 255);  // green, bottom right
    EXPECT_EQ(pBmp->Pixel(0, 1)[2], 255);  // blue, bottom left
    EXPECT_EQ(pBmp->Pixel(-5, 99)[2], 255);  // clamped
    SChartRequest req = Request(kChartRgb, 100);
    req.area = {0, 0, 1200, 1200};
    req.placement.nPageWidth = 1200;
    req.placement.nPageHeight = 1200;
    req.pPicture = pBmp;
    auto rows = CChartRenderer(req).RenderAll();
    EXPECT_EQ(rows[10][3 * 10], 255);
    EXPECT_EQ(rows[10][3 * 10 + 1], 0);
    EXPECT_EQ(rows[90][3 * 90 + 1], 255);
}

TEST(ChartRenderer, BrokenPicturesAreRefused)
{
    auto good = TinyBmp24();
    EXPECT_TRUE(CBmpImage::FromBytes(good));
    auto cut = good;
    cut.resize(60);
    EXPECT_FALSE(CBmpImage::FromBytes(cut));
    auto rle = good;
    rle[30] = 1;
    EXPECT_FALSE(CBmpImage::FromBytes(rle));
    auto huge = good;
    huge[18] = 0xFF;
    huge[19] = 0xFF;
    huge[20] = 0xFF;
    huge[21] = 0x7F;
    EXPECT_FALSE(CBmpImage::FromBytes(huge));
    auto badOffset = good;
    badOffset[10] = 0xF0;
    badOffset[11] = 0xFF;
    EXPECT_FALSE(CBmpImage::FromBytes(badOffset));
    EXPECT_FALSE(CBmpImage::FromBytes({}));
    EXPECT_FALSE(CBmpImage::Load("/nonexistent/page.bmp"));
}

}  // namespace
