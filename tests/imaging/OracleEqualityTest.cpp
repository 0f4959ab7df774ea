// Random pages of every pixel type and resolution: the optimised operations give exactly what
// the literal reference gives.
#include "imaging/AutoCrop.h"
#include "imaging/Deskew.h"
#include "imaging/ImagingOracle.h"
#include "imaging/ImagingThreads.h"
#include "imaging/PixelConvert.h"
#include "imaging/Rotate.h"
#include "imaging/SyntheticPage.h"

#include <gtest/gtest.h>

#include <random>

namespace {

constexpr int kPages = 220;
constexpr int32_t kResolutions[] = {75, 150, 300, 600, 1200, 200, 1};

struct CRandomPage {
    int32_t w, h, type, dpi;
    std::vector<uint8_t> grey;  // working form: 0/1 for black and white
};

// Tiny to A4 at 150 dpi, mostly small; rectangles, noise or a skewed synthetic page.
CRandomPage MakeRandomPage(std::mt19937& rng)
{
    auto pick = [&](int32_t lo, int32_t hi) { return std::uniform_int_distribution<int32_t>(lo, hi)(rng); };
    CRandomPage p;
    const bool bLarge = pick(0, 99) < 12;
    p.w = bLarge ? pick(400, 1240) : pick(1, 420);
    p.h = bLarge ? pick(400, 1754) : pick(1, 420);
    p.type = pick(0, 2);
    p.dpi = kResolutions[pick(0, 6)];
    if (pick(0, 3) == 0 && p.w > 150 && p.h > 150) {
        CSyntheticPage s;
        s.nWidth = p.w, s.nHeight = p.h, s.nDpi = std::max(75, std::min(p.dpi, 300));
        s.dAngle = pick(-150, 150) / 10.0, s.bPlaten = pick(0, 1), s.dMargin = 0.3, s.nSeed = rng();
        p.grey = MakeSyntheticPage(s);
    } else {
        p.grey.assign(size_t(p.w) * p.h, uint8_t(pick(120, 255)));
        const int nNoise = pick(0, 40);
        for (uint8_t& v : p.grey) v = uint8_t(std::clamp(int(v) + pick(-nNoise, nNoise), 0, 255));
        for (int k = pick(0, 12); k > 0; --k) {
            const int32_t x0 = pick(0, p.w - 1), y0 = pick(0, p.h - 1);
            const int32_t x1 = std::min(p.w, x0 + pick(1, 300)), y1 = std::min(p.h, y0 + pick(1, 300));
            const uint8_t v = uint8_t(pick(0, 255));
            for (int32_t y = y0; y < y1; ++y)
                for (int32_t x = x0; x < x1; ++x) p.grey[size_t(y) * p.w + x] = v;
        }
    }
    if (p.type == 0)
        for (uint8_t& v : p.grey) v = v > 128;
    return p;
}

// The page in its spool layout.
std::vector<uint8_t> Spool(const CRandomPage& p, std::mt19937& rng)
{
    if (p.type == 1)
        return p.grey;
    if (p.type == 0) {
        std::vector<uint8_t> bits(BwRowBytes(p.w) * p.h);
        GrayToBW(nullptr, p.grey.data(), bits.data(), p.w, p.h);
        return bits;
    }
    std::vector<uint8_t> rgb(p.grey.size() * 3);
    for (size_t i = 0; i < p.grey.size(); ++i) {
        const int lift = int(rng() % 3);  // which channels sit above the grey value
        for (int k = 0; k < 3; ++k)
            rgb[3 * i + k] = uint8_t(k == lift ? p.grey[i] : std::min(255, p.grey[i] + int(rng() % 40)));
    }
    return rgb;
}

TEST(OracleEquality, AutoCrop)
{
    std::mt19937 rng(1234);
    int nCropped = 0;
    for (int n = 0; n < kPages; ++n) {
        SetImagingThreads(1 + n % 2);
        const CRandomPage p = MakeRandomPage(rng);
        const std::vector<uint8_t> src = Spool(p, rng);
        CAutoCropParam a{p.type, p.dpi, p.w, p.h, -1, -1}, b = a;
        std::vector<uint8_t> outA(src.size(), 0xEE), outB(src.size(), 0xEE);
        const int ra = auto_crop(nullptr, src.data(), outA.data(), &a);
        ASSERT_EQ(ra, oracle::AutoCrop(src.data(), outB.data(), &b)) << n;
        ASSERT_EQ(a.nOutWidth, b.nOutWidth) << n;
        ASSERT_EQ(a.nOutHeight, b.nOutHeight) << n;
        ASSERT_EQ(outA, outB) << n;
        nCropped += ra;
    }
    SetImagingThreads(2);
    EXPECT_GT(nCropped, kPages / 4);  // the pages exercise both outcomes
    EXPECT_LT(nCropped, kPages);
}

TEST(OracleEquality, AutoDeskew)
{
    std::mt19937 rng(777);
    int nSkewed = 0;
    for (int n = 0; n < kPages; ++n) {
        SetImagingThreads(1 + n % 2);
        const CRandomPage p = MakeRandomPage(rng);
        const float a = auto_deskew(nullptr, p.grey.data(), p.w, p.h, p.type, p.dpi);
        ASSERT_EQ(a, oracle::AutoDeskew(p.grey.data(), p.w, p.h, p.type, p.dpi))
            << n << ": " << p.w << "x" << p.h << " type " << p.type << " dpi " << p.dpi;
        nSkewed += a != 0;
    }
    SetImagingThreads(2);
    EXPECT_GT(nSkewed, 10);
}

TEST(OracleEquality, NormalRotate)
{
    std::mt19937 rng(99);
    for (int n = 0; n < kPages; ++n) {
        SetImagingThreads(1 + n % 2);
        const CRandomPage p = MakeRandomPage(rng);
        const std::vector<uint8_t> src = p.type == 2 ? Spool(p, rng) : p.grey;
        const float angle = std::uniform_real_distribution<float>(-20.0f, 20.0f)(rng);
        CRotateParam a{p.type, p.dpi, p.w, p.h, 0, 0, n % 10 == 0 ? float(int(angle)) : angle}, b = a;
        ASSERT_EQ(oracle::AsBytes(normal_rotate(nullptr, src.data(), &a)), oracle::NormalRotate(src.data(), &b)) << n;
    }
    SetImagingThreads(2);
}

TEST(OracleEquality, Conversions)
{
    std::mt19937 rng(5);
    for (int n = 0; n < kPages; ++n) {
        const int32_t w = int32_t(rng() % 70 + 1), h = int32_t(rng() % 9 + 1);
        std::vector<uint8_t> rgb(size_t(w) * h * 3);
        for (uint8_t& v : rgb) v = uint8_t(rng());
        std::vector<uint8_t> a(size_t(w) * h), b(a.size());
        RgbToGray(nullptr, rgb.data(), a.data(), w, h);
        oracle::RgbToGray(rgb.data(), b.data(), w, h);
        ASSERT_EQ(a, b);
        std::vector<uint8_t> bits(BwRowBytes(w) * h + 1, 0x5A), bitsRef = bits;
        BwToGray(nullptr, rgb.data(), a.data(), w, h);
        oracle::BwToGray(rgb.data(), b.data(), w, h);
        ASSERT_EQ(a, b);
        GrayToBW(nullptr, a.data(), bits.data(), w, h);
        oracle::GrayToBW(b.data(), bitsRef.data(), w, h);
        ASSERT_EQ(bits, bitsRef);
    }
}

}  // namespace
