#include "imaging/AutoCrop.h"
#include "imaging/ImagingOracle.h"
#include "imaging/PixelConvert.h"
#include "imaging/TraceCapture.h"

#include <gtest/gtest.h>

namespace {

struct CGreyPage {
    int32_t w, h;
    std::vector<uint8_t> px;
    CGreyPage(int32_t w_, int32_t h_, uint8_t v = 255) : w(w_), h(h_), px(size_t(w_) * h_, v) {}
    void Fill(int32_t x0, int32_t y0, int32_t x1, int32_t y1, uint8_t v)
    {
        for (int32_t y = y0; y < y1; ++y)
            for (int32_t x = x0; x < x1; ++x) px[size_t(y) * w + x] = v;
    }
};

struct CCropResult {
    int nCropped;
    CAutoCropParam param;
    std::vector<uint8_t> out;
};

CCropResult Crop(const std::vector<uint8_t>& src, int32_t type, int32_t dpi, int32_t w, int32_t h)
{
    CCropResult r{0, {type, dpi, w, h, -1, -1}, std::vector<uint8_t>(src.size() + 1, 0xEE)};
    r.nCropped = auto_crop(nullptr, src.data(), r.out.data(), &r.param);
    CAutoCropParam ref{type, dpi, w, h, -1, -1};
    std::vector<uint8_t> refOut(src.size() + 1, 0xEE);
    EXPECT_EQ(oracle::AutoCrop(src.data(), refOut.data(), &ref), r.nCropped);
    EXPECT_EQ(ref.nOutWidth, r.param.nOutWidth);
    EXPECT_EQ(ref.nOutHeight, r.param.nOutHeight);
    EXPECT_EQ(refOut, r.out);
    return r;
}

void ExpectGreyBox(const CGreyPage& page, const CCropResult& r, int32_t top, int32_t bottom, int32_t left, int32_t right)
{
    ASSERT_EQ(r.nCropped, 1);
    ASSERT_EQ(r.param.nOutWidth, right - left);
    ASSERT_EQ(r.param.nOutHeight, bottom - top);
    for (int32_t y = top; y < bottom; ++y)
        for (int32_t x = left; x < right; ++x)
            ASSERT_EQ(r.out[size_t(y - top) * (right - left) + (x - left)], page.px[size_t(y) * page.w + x]) << x << "," << y;
}

TEST(AutoCrop, LowResolutionsCutExactlyToTheContent)
{
    for (int32_t dpi : {75, 150}) {
        CGreyPage page(400, 300);
        page.Fill(100, 120, 251, 181, dpi == 75 ? 210 : 0);  // 210 is dark only at 75 dpi's 220
        const CCropResult r = Crop(page.px, 1, dpi, page.w, page.h);
        // the 31-pixel windows reach 15 beyond the content
        ExpectGreyBox(page, r, 105, 195, 85, 265);
    }
}

TEST(AutoCrop, EmptyPageIsNotCropped)
{
    for (int32_t dpi : {75, 150, 300, 600}) {
        CGreyPage page(700, 500, 240);
        CTraceCapture trace;
        EXPECT_EQ(Crop(page.px, 1, dpi, page.w, page.h).nCropped, 0) << dpi;
        EXPECT_TRUE(trace.Has("不在裁剪范围内，不裁剪"));
        EXPECT_FALSE(trace.Has("auto_crop()---------->"));
    }
}

TEST(AutoCrop, ThreeHundredDpiWidensTightensAndAddsMargins)
{
    CGreyPage page(1000, 3000);
    page.Fill(300, 1015, 701, 1986, 0);  // content rows 1000 to 2000, columns 285 to 715
    CTraceCapture trace;
    const CCropResult r = Crop(page.px, 1, 300, page.w, page.h);
    // widened to rows 600..2400, tightened back to 1000..2000, then 50 rows of margin
    ExpectGreyBox(page, r, 950, 2050, 250, 750);
    EXPECT_TRUE(trace.Has("auto_crop()<---------"));
    EXPECT_TRUE(trace.Has("image_width=1000,image_height=3000, BWthreshold = 150 \n"));
    EXPECT_TRUE(trace.Has("max_col_index = 2000,min_col_index = 1000,num_threshold 30\n"));
    EXPECT_TRUE(trace.Has("max_row_index = 715,min_row_index = 285,num_threshold = 30\n"));
    EXPECT_TRUE(trace.Has("auto_crop()---------->"));
}

TEST(AutoCrop, ContentNearTheEdgeIsNotSearched)
{
    CGreyPage page(400, 300);
    page.Fill(10, 10, 390, 35, 0);     // top strip inside the 50-pixel margin...
    page.Fill(10, 265, 390, 290, 0);   // ...and the bottom one: its window ends short of row 249
    EXPECT_EQ(Crop(page.px, 1, 150, page.w, page.h).nCropped, 0);
    page.Fill(60, 20, 340, 80, 0);     // reaches into the searched band: the box stops at row 50
    const CCropResult r = Crop(page.px, 1, 150, page.w, page.h);
    ASSERT_EQ(r.nCropped, 1);
    EXPECT_EQ(r.out[0], 255);   // column 50
    EXPECT_EQ(r.out[10], 0);    // column 60, row 50
    EXPECT_EQ(r.param.nOutHeight, 94 - 50);
}

TEST(AutoCrop, BlackAndWhitePagesAreAllContent)
{
    // all white bits: the 0/1 working values are all at or below 200
    const int32_t w = 203, h = 160;
    std::vector<uint8_t> bits(BwRowBytes(w) * h, 0xFF);
    const CCropResult r = Crop(bits, 0, 150, w, h);
    ASSERT_EQ(r.nCropped, 1);
    EXPECT_EQ(r.param.nOutWidth, (w - 51) - 50);
    EXPECT_EQ(r.param.nOutHeight, (h - 51) - 50);
    const size_t nRow = BwRowBytes(r.param.nOutWidth);  // 102 pixels: 13 bytes, 6 bits used in the last
    EXPECT_EQ(r.out[0], 0xFF);
    EXPECT_EQ(r.out[nRow - 1], 0xFC);
    EXPECT_EQ(r.out[nRow], 0xFF);
}

TEST(AutoCrop, OtherResolutionsTakeEveryRowAndColumn)
{
    CGreyPage page(200, 160);
    const CCropResult r = Crop(page.px, 1, 200, page.w, page.h);
    ExpectGreyBox(page, r, 50, 109, 50, 149);
    CGreyPage small(90, 90);  // nothing between the margins
    EXPECT_EQ(Crop(small.px, 1, 200, small.w, small.h).nCropped, 0);
}

TEST(AutoCrop, ColourCopiesTheBoxOfTheSourcePixels)
{
    const int32_t w = 300, h = 260;
    std::vector<uint8_t> rgb(size_t(w) * h * 3, 255);
    for (int32_t y = 100; y < 160; ++y)
        for (int32_t x = 90; x < 200; ++x) {
            uint8_t* p = &rgb[(size_t(y) * w + x) * 3];
            p[0] = uint8_t(x), p[1] = uint8_t(y), p[2] = 10;  // blue channel makes it dark
        }
    CTraceCapture trace;
    const CCropResult r = Crop(rgb, 2, 150, w, h);
    ASSERT_EQ(r.nCropped, 1);
    EXPECT_EQ(r.param.nOutWidth, 214 - 75);
    EXPECT_EQ(r.param.nOutHeight, 174 - 85);
    const uint8_t* first = &r.out[(size_t(100 - 85) * r.param.nOutWidth + (90 - 75)) * 3];
    EXPECT_EQ(first[0], 90);
    EXPECT_EQ(first[1], 100);
    EXPECT_TRUE(trace.Has("RgbToGray()<--------"));
}

// A 300 dpi page shorter than the 400-row band: the tightening used to start at row H.
TEST(AutoCrop, WideningPastThePageReadsNothingOutside)
{
    CGreyPage empty(1000, 300, 250);
    EXPECT_EQ(Crop(empty.px, 1, 300, empty.w, empty.h).nCropped, 0);
    CGreyPage shortPage(500, 380);
    shortPage.Fill(120, 100, 380, 160, 0);  // the tightened box crosses over
    Crop(shortPage.px, 1, 300, shortPage.w, shortPage.h);
    CGreyPage tall(150, 900);
    tall.Fill(60, 300, 90, 700, 0);
    Crop(tall.px, 1, 600, tall.w, tall.h);
}

TEST(AutoCrop, RefusesBadInput)
{
    CGreyPage page(200, 200, 0);
    std::vector<uint8_t> out(page.px.size());
    CAutoCropParam p{1, 150, 200, 200, -1, -1};
    EXPECT_EQ(auto_crop(nullptr, nullptr, out.data(), &p), 0);
    EXPECT_EQ(auto_crop(nullptr, page.px.data(), nullptr, &p), 0);
    EXPECT_EQ(auto_crop(nullptr, page.px.data(), out.data(), nullptr), 0);
    for (CAutoCropParam bad : {CAutoCropParam{1, 0, 200, 200, -1, -1}, CAutoCropParam{1, 150, 0, 200, -1, -1},
                               CAutoCropParam{1, 150, 200, -5, -1, -1}, CAutoCropParam{3, 150, 200, 200, -1, -1},
                               CAutoCropParam{-1, 150, 200, 200, -1, -1}}) {
        EXPECT_EQ(auto_crop(nullptr, page.px.data(), out.data(), &bad), 0);
        EXPECT_EQ(bad.nOutWidth, -1);
    }
}

}  // namespace
