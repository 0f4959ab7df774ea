#include "imaging/ImagingOracle.h"
#include "imaging/ImagingThreads.h"
#include "imaging/PixelConvert.h"
#include "imaging/Rotate.h"
#include "imaging/TraceCapture.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

std::vector<uint8_t> Ramp(int32_t w, int32_t h, int32_t ch)
{
    std::vector<uint8_t> v(size_t(w) * h * ch);
    for (size_t i = 0; i < v.size(); ++i) v[i] = uint8_t(i * 37 + i / 7);
    return v;
}

TEST(Rotate, AngleZeroStillResamplesWithWhiteBorders)
{
    for (int32_t ch : {1, 3}) {
        const int32_t w = 13, h = 9;
        const std::vector<uint8_t> src = Ramp(w, h, ch);
        CRotateParam p{ch == 3 ? 2 : 1, 300, w, h, 0, 0, 0.0f};
        CTraceCapture trace;
        const CPageBytes out = normal_rotate(nullptr, src.data(), &p);
        ASSERT_EQ(out.size(), src.size());
        EXPECT_EQ(p.nOutWidth, w);
        EXPECT_EQ(p.nOutHeight, h);
        for (int32_t y = 0; y < h; ++y)
            for (int32_t x = 0; x < w; ++x)
                for (int32_t k = 0; k < ch; ++k) {
                    const size_t i = (size_t(y) * w + x) * ch + k;
                    const bool bBorder = y == 0 || x == 0 || y >= h - 2 || x >= w - 2;
                    EXPECT_EQ(out[i], bBorder ? 255 : src[i]) << x << "," << y;
                }
        EXPECT_TRUE(trace.Has("normal_rotate<-------------"));
        EXPECT_TRUE(trace.Has("cosvalue = 1.000000,sinvalue = 0.000000,tmp_angle=0.000000,img_width=13,img_height=9\n"));
        EXPECT_TRUE(trace.Has("normal_rotate------------->"));
    }
}

TEST(Rotate, BlackAndWhiteComesBackPackedWithWhiteCorners)
{
    const int32_t w = 20, h = 10;
    const std::vector<uint8_t> black(size_t(w) * h, 0);  // the 0/1 working form
    CRotateParam p{0, 300, w, h, 0, 0, 0.0f};
    const CPageBytes out = normal_rotate(nullptr, black.data(), &p);
    ASSERT_EQ(out.size(), BwRowBytes(w) * h);
    EXPECT_EQ(out[0], 0xFF);
    EXPECT_EQ(out[1], 0xFF);
    EXPECT_EQ(out[2], 0xF0);  // low 4 bits are row padding
    EXPECT_EQ(out[3], 0x80);
    EXPECT_EQ(out[4], 0x00);
    EXPECT_EQ(out[5], 0x30);
    // turned, the corners show white paper
    p.fAngle = 10.0f;
    const CPageBytes turned = normal_rotate(nullptr, black.data(), &p);
    EXPECT_EQ(turned[0] & 0x80, 0x80);
    EXPECT_EQ(turned[(h - 1) * 3 + 2] & 0x10, 0x10);  // pixel 19 of the last row
}

TEST(Rotate, MatchesTheReferenceForAllTypesAndThreadCounts)
{
    for (int nThreads : {1, 2}) {
        SetImagingThreads(nThreads);
        for (int32_t type : {0, 1, 2})
            for (float angle : {0.0f, 3.0f, -7.0f, 14.0f, 45.5f, 180.0f})
                for (auto [w, h] : {std::pair{1, 1}, std::pair{3, 4}, std::pair{17, 23}, std::pair{130, 77}}) {
                    std::vector<uint8_t> src = Ramp(w, h, type == 2 ? 3 : 1);
                    if (type == 0)
                        for (uint8_t& v : src) v &= 1;
                    CRotateParam p{type, 150, w, h, 0, 0, angle}, q = p;
                    EXPECT_EQ(oracle::AsBytes(normal_rotate(nullptr, src.data(), &p)), oracle::NormalRotate(src.data(), &q))
                        << type << " " << angle << " " << w << "x" << h;
                }
    }
    SetImagingThreads(2);
}

TEST(Rotate, RefusesWhatItCannotTurn)
{
    const std::vector<uint8_t> src(64, 0);
    CRotateParam p{1, 300, 8, 8, -1, -1, std::numeric_limits<float>::quiet_NaN()};
    EXPECT_TRUE(normal_rotate(nullptr, src.data(), &p).empty());
    p.fAngle = std::numeric_limits<float>::infinity();
    EXPECT_TRUE(normal_rotate(nullptr, src.data(), &p).empty());
    p.fAngle = 3e38f;  // finite, but not once turned into radians
    EXPECT_TRUE(normal_rotate(nullptr, src.data(), &p).empty());
    p.fAngle = 2;
    EXPECT_TRUE(normal_rotate(nullptr, nullptr, &p).empty());
    EXPECT_TRUE(normal_rotate(nullptr, src.data(), nullptr).empty());
    CRotateParam bad{5, 300, 8, 8, -1, -1, 2};
    EXPECT_TRUE(normal_rotate(nullptr, src.data(), &bad).empty());
    CRotateParam zero{1, 300, 0, 8, -1, -1, 2};
    EXPECT_TRUE(normal_rotate(nullptr, src.data(), &zero).empty());
    EXPECT_EQ(p.nOutWidth, -1);
}

}  // namespace
