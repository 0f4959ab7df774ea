#include "device/ScanParamRecord.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

uint32_t U32At(const ScanParamBytes& b, std::size_t off)
{
    return b[off] | b[off + 1] << 8 | b[off + 2] << 16 | static_cast<uint32_t>(b[off + 3]) << 24;
}

SScanParamRecord Distinct()
{
    SScanParamRecord r{};
    r.nConnection = 2;
    std::strcpy(r.szAddress1, "scanner-one");
    std::strcpy(r.szAddress2, "192.168.7.9");
    int32_t* fields[] = {&r.nSource,    &r.nColourMode, &r.nResolutionIndex, &r.nPaperIndex,    &r.nGamma,
                         &r.nThreshold, &r.nDescreen,   &r.nFading,          &r.nRotation,      &r.nAutoDeskew,
                         &r.nAutoThreshold, &r.nUnit};
    int32_t v = 1000;
    for (int32_t* p : fields)
        *p = v++;
    r.nHorizontal = 0x01020304;
    for (int i = 0; i < 4; ++i) {
        r.nBrightness[i] = -10 - i;
        r.nContrast[i] = 20 + i;
        r.nCurve[i] = 30 + i;
    }
    return r;
}

TEST(ScanParamRecord, StoredOffsetsAreLittleEndian)
{
    SScanParamRecord r = Distinct();
    ScanParamBytes b = ScanParamToBytes(r);
    EXPECT_EQ(U32At(b, 0), 2u);
    EXPECT_STREQ(reinterpret_cast<const char*>(&b[4]), "scanner-one");
    EXPECT_STREQ(reinterpret_cast<const char*>(&b[260]), "192.168.7.9");
    EXPECT_EQ(U32At(b, 516), 1000u);
    EXPECT_EQ(U32At(b, 528), 1003u);
    EXPECT_EQ(b[532], 0x04);
    EXPECT_EQ(b[535], 0x01);
    EXPECT_EQ(static_cast<int32_t>(U32At(b, 536)), -10);
    EXPECT_EQ(static_cast<int32_t>(U32At(b, 548)), -13);
    EXPECT_EQ(U32At(b, 552), 20u);
    EXPECT_EQ(U32At(b, 580), 33u);
    EXPECT_EQ(U32At(b, 584), 1004u);  // gamma
    EXPECT_EQ(U32At(b, 612), 1011u);  // unit, the last field
}

TEST(ScanParamRecord, RoundTripKeepsEveryField)
{
    SScanParamRecord r = Distinct();
    ScanParamBytes b = ScanParamToBytes(r);
    SScanParamRecord back{};
    ASSERT_TRUE(ScanParamFromBytes(b.data(), b.size(), back));
    EXPECT_EQ(std::memcmp(&r, &back, sizeof r), 0);
}

TEST(ScanParamRecord, WrongLengthOrNullIsRefused)
{
    ScanParamBytes b = ScanParamToBytes(Distinct());
    SScanParamRecord r{};
    r.nUnit = 77;
    EXPECT_FALSE(ScanParamFromBytes(b.data(), 615, r));
    EXPECT_FALSE(ScanParamFromBytes(b.data(), 617, r));
    EXPECT_FALSE(ScanParamFromBytes(nullptr, 616, r));
    EXPECT_EQ(r.nUnit, 77);
}

TEST(ScanParamRecord, UnterminatedAddressComesBackTerminated)
{
    ScanParamBytes b = ScanParamToBytes(Distinct());
    std::memset(&b[4], 'A', 256);
    std::memset(&b[260], 'B', 256);
    SScanParamRecord r{};
    ASSERT_TRUE(ScanParamFromBytes(b.data(), b.size(), r));
    EXPECT_EQ(std::strlen(r.szAddress1), 255u);
    EXPECT_EQ(std::strlen(r.szAddress2), 255u);
    EXPECT_EQ(r.nSource, 1000);
}

struct SDefaultCase {
    const char* pszName;
    SProductFlags flags;
    int nSource, nPaper, nGamma, nThreshold, nAutoThreshold;
};

TEST(ScanParamRecord, DefaultsPerProduct)
{
    SProductFlags plain, k, l, a3, tevo, vireo, qx;
    k.bIsPlatformK = true;
    l.bIsPlatformL = true;
    a3.bHasA3 = true;
    tevo.bIsTevoA3 = true;
    tevo.bHasA3 = true;
    vireo.bIsVireo = true;
    qx.bQX5031 = true;
    SProductFlags kA3 = k;
    kA3.bHasA3 = true;
    const SDefaultCase cases[] = {
        {"plain", plain, 0, 5, 18, 72, 0}, {"K", k, 1, 0, 10, 183, 0},      {"L", l, 0, 5, 10, 183, 0},
        {"A3", a3, 0, 7, 18, 72, 0},       {"Tevo", tevo, 0, 0, 10, 72, 0}, {"Vireo", vireo, 0, 5, 10, 72, 0},
        {"QX", qx, 0, 5, 10, 72, 1},       {"K+A3", kA3, 1, 0, 10, 183, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.pszName);
        SScanParamRecord r = DefaultScanParam(c.flags);
        EXPECT_EQ(r.nSource, c.nSource);
        EXPECT_EQ(r.nPaperIndex, c.nPaper);
        EXPECT_EQ(r.nGamma, c.nGamma);
        EXPECT_EQ(r.nThreshold, c.nThreshold);
        EXPECT_EQ(r.nAutoThreshold, c.nAutoThreshold);
        EXPECT_EQ(r.nColourMode, 2);
        EXPECT_EQ(r.nResolutionIndex, 2);
        EXPECT_EQ(r.nUnit, 2);
        EXPECT_EQ(r.nConnection, 0u);
        EXPECT_EQ(r.nRotation, 0);
    }
}

TEST(ScanParamRecord, HorizontalClearedWithoutTheFeature)
{
    SScanParamRecord r{};
    r.nHorizontal = 1;
    SProductFlags f;
    f.bHasHorizontal = true;
    ApplyProductLimits(r, f);
    EXPECT_EQ(r.nHorizontal, 1u);
    f.bHasHorizontal = false;
    ApplyProductLimits(r, f);
    EXPECT_EQ(r.nHorizontal, 0u);
}

}  // namespace
