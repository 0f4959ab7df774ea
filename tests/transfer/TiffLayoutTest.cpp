// The TIFF file of a page, read back the way a reader reads it: the directory's tags in order,
// the strips covering the pixels exactly, and the bounds of the format.
#include "transfer/TiffLayout.h"

#include <gtest/gtest.h>

#include <map>
#include <vector>

namespace {

uint32_t Get32(const std::vector<uint8_t>& b, size_t n) { return b[n] | b[n + 1] << 8 | b[n + 2] << 16 | uint32_t(b[n + 3]) << 24; }
uint16_t Get16(const std::vector<uint8_t>& b, size_t n) { return static_cast<uint16_t>(b[n] | b[n + 1] << 8); }

// The directory as tag -> values; a reader's view, so every offset is checked against the file.
std::map<uint16_t, std::vector<uint32_t>> ReadDirectory(const std::vector<uint8_t>& file)
{
    std::map<uint16_t, std::vector<uint32_t>> tags;
    EXPECT_EQ(Get16(file, 0), 0x4949);
    EXPECT_EQ(Get16(file, 2), 42);
    const uint32_t nDir = Get32(file, 4);
    const uint16_t nEntries = Get16(file, nDir);
    uint16_t wLast = 0;
    for (uint16_t i = 0; i < nEntries; ++i) {
        const size_t e = nDir + 2 + 12u * i;
        const uint16_t wTag = Get16(file, e), wType = Get16(file, e + 2);
        const uint32_t nCount = Get32(file, e + 4);
        EXPECT_GT(wTag, wLast) << "tags in ascending order";
        wLast = wTag;
        const size_t nSize = wType == 3 ? 2 : wType == 4 ? 4 : 8;
        const size_t nAt = nSize * nCount <= 4 ? e + 8 : Get32(file, e + 8);
        EXPECT_LE(nAt + nSize * nCount, file.size()) << "tag " << wTag;
        for (uint32_t k = 0; k < nCount && nAt + nSize * (k + 1) <= file.size(); ++k) {
            tags[wTag].push_back(wType == 3 ? Get16(file, nAt + 2 * k) : Get32(file, nAt + nSize * k));
            if (wType == 5)  // a rational: numerator, then denominator
                tags[wTag].push_back(Get32(file, nAt + nSize * k + 4));
        }
    }
    EXPECT_EQ(Get32(file, nDir + 2 + 12u * nEntries), 0u) << "one image";
    return tags;
}

}  // namespace

TEST(TiffLayout, EachDepthReadsBackWithStripsCoveringThePixels)
{
    struct SCase {
        uint32_t nWidth, nHeight;
        int nBits;
        uint16_t wPhotometric;
        uint32_t nStrips;
    };
    // One strip; strips of a few rows with a short last one; rows wider than a strip.
    const SCase kCases[] = {{13, 5, 1, 1, 1}, {310, 437, 8, 1, 3}, {30000, 3, 24, 2, 3}};
    for (const SCase& c : kCases) {
        SCOPED_TRACE(c.nBits);
        STiffLayout l;
        ASSERT_TRUE(ComputeTiffLayout(c.nWidth, c.nHeight, c.nBits, l));
        EXPECT_EQ(l.nStrips, c.nStrips);
        std::vector<uint8_t> file = MakeTiffHeader(l, 300, 150);
        ASSERT_EQ(file.size(), l.nHeaderBytes);
        file.resize(l.nFileBytes, 0x5A);
        auto tags = ReadDirectory(file);
        // The pixels themselves are checked by a decoder under Wine; here what it may not see.
        const std::vector<uint32_t> bits = c.nBits == 24 ? std::vector<uint32_t>{8, 8, 8} : std::vector<uint32_t>{uint32_t(c.nBits)};
        EXPECT_EQ(tags[258], bits);
        EXPECT_EQ(tags[262], std::vector<uint32_t>{c.wPhotometric});
        EXPECT_EQ(tags[282], (std::vector<uint32_t>{300, 1}));
        EXPECT_EQ(tags[283], (std::vector<uint32_t>{150, 1}));
        EXPECT_EQ(tags[296], std::vector<uint32_t>{2});
        // The strips follow one another from the end of the header to the end of the file.
        ASSERT_EQ(tags[273].size(), l.nStrips);
        ASSERT_EQ(tags[279].size(), l.nStrips);
        uint64_t nNext = l.nHeaderBytes;
        for (uint32_t i = 0; i < l.nStrips; ++i) {
            EXPECT_EQ(tags[273][i], nNext);
            EXPECT_EQ(tags[279][i], TiffStripBytes(l, i));
            EXPECT_EQ(TiffStripFirstRow(l, i) * uint64_t(l.nRowBytes), nNext - l.nHeaderBytes);
            nNext += tags[279][i];
        }
        EXPECT_EQ(nNext, file.size());
        EXPECT_EQ(nNext - l.nHeaderBytes, uint64_t(c.nHeight) * ((c.nWidth * c.nBits + 7) / 8));
    }
}

TEST(TiffLayout, PagesOutsideTheFormatAreRefused)
{
    STiffLayout l;
    EXPECT_FALSE(ComputeTiffLayout(0, 10, 8, l));
    EXPECT_FALSE(ComputeTiffLayout(10, 0, 8, l));
    EXPECT_FALSE(ComputeTiffLayout(10, 10, 16, l));
    // 4 GiB of pixels leave no room for the header in 32-bit offsets.
    EXPECT_FALSE(ComputeTiffLayout(65536, 65536, 8, l));
    EXPECT_FALSE(ComputeTiffLayout(0xFFFFFFFFu, 0xFFFFFFFFu, 24, l));
    ASSERT_TRUE(ComputeTiffLayout(60000, 60000, 8, l));
    EXPECT_LE(l.nFileBytes, 0xFFFFFFFFull);
    EXPECT_EQ(l.nRowsPerStrip, 1u);
    // A resolution of 0 is written as 1: a reader divides by it.
    ASSERT_TRUE(ComputeTiffLayout(1, 1, 1, l));
    auto tags = ReadDirectory(MakeTiffHeader(l, 0, -5));
    EXPECT_EQ(tags[282][0], 1u);
    EXPECT_EQ(tags[283][0], 1u);
}
