#include "sim/PageCache.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

SChartRequest Request(int nPage, int nMode = kChartGrey)
{
    SChartRequest req;
    req.nPage = nPage;
    req.nDpi = 50;
    req.nMode = nMode;
    req.area = {0, 0, 10200, 14031};
    return req;
}

// The page as a reader sees it: pieces of odd sizes across row ends, as the device hands them out.
std::vector<std::vector<uint8_t>> ReadRows(CPageRows& page)
{
    std::vector<uint8_t> all(page.Bytes());
    for (uint64_t n = 0; n < all.size(); n += 1000)
        page.Copy(n, all.data() + n, std::min<uint64_t>(1000, all.size() - n));
    std::vector<std::vector<uint8_t>> rows;
    for (int y = 0; y < page.Height(); ++y)
        rows.emplace_back(all.begin() + int64_t(y) * page.RowBytes(), all.begin() + int64_t(y + 1) * page.RowBytes());
    return rows;
}

TEST(PageCache, KeptPagesGiveTheRenderersBytesAndAreDrawnOnce)
{
    CPageCache cache(&HeapPageMemory, 1 << 20);
    for (SChartRequest req : {Request(1), Request(1, kChartBw), Request(2, kChartRgb)}) {
        auto pFirst = cache.Page(req);
        ASSERT_TRUE(pFirst->Kept());
        EXPECT_EQ(ReadRows(*pFirst), CChartRenderer(req).RenderAll());
        auto pAgain = cache.Page(req);
        EXPECT_EQ(pAgain, pFirst) << "the same page is served, not drawn again";
    }
    // A threshold or a placement makes another page.
    SChartRequest req = Request(1, kChartBw);
    req.nThreshold = 40;
    EXPECT_NE(cache.Page(req), cache.Page(Request(1, kChartBw)));
    req = Request(1);
    req.placement.bUpsideDown = true;
    EXPECT_NE(cache.Page(req), cache.Page(Request(1)));
}

TEST(PageCache, PagesBeyondTheBudgetOrWithoutMemoryAreDrawnForTheirReader)
{
    const uint64_t nGreyPage = CPageRows(Request(1), nullptr).Bytes();
    CPageCache cache(&HeapPageMemory, 2 * nGreyPage);
    auto p1 = cache.Page(Request(1));
    cache.Page(Request(2));
    cache.Page(Request(3));  // the least recently used page goes
    EXPECT_EQ(cache.KeptBytes(), 2 * nGreyPage);
    auto p1Again = cache.Page(Request(1));
    EXPECT_NE(p1Again, p1);
    EXPECT_EQ(ReadRows(*p1), ReadRows(*p1Again)) << "a dropped page stays whole for the reader holding it";

    EXPECT_FALSE(cache.Page(Request(1, kChartRgb))->Kept()) << "three times the grey page";
    CPageCache many(&HeapPageMemory, 1 << 30);
    for (int i = 1; i <= static_cast<int>(CPageCache::kMaxPages) + 3; ++i)
        many.Page(Request(i));
    EXPECT_EQ(many.KeptBytes(), CPageCache::kMaxPages * nGreyPage) << "no more pages than kMaxPages";
    CPageCache none([](uint64_t) { return std::unique_ptr<CPageMemory>(); }, 1 << 30);
    auto pDrawn = none.Page(Request(4, kChartRgb));
    ASSERT_FALSE(pDrawn->Kept());
    EXPECT_EQ(ReadRows(*pDrawn), CChartRenderer(Request(4, kChartRgb)).RenderAll());
}

TEST(PageCache, AdjustmentsMakeAnotherPageDrawnWholeWithTheLibrarysThreshold)
{
    CPageCache cache(&HeapPageMemory, 1 << 20);
    EXPECT_EQ(cache.Page(Request(1), SScanAdjustments{}), cache.Page(Request(1))) << "no adjustments, same page";
    SScanAdjustments gamma;
    gamma.nGamma = 20;
    auto pBright = cache.Page(Request(1), gamma);
    EXPECT_NE(pBright, cache.Page(Request(1)));
    EXPECT_EQ(pBright, cache.Page(Request(1), gamma));
    EXPECT_NE(ReadRows(*pBright), CChartRenderer(Request(1)).RenderAll());
    // Black and white ignores gamma: the chain's threshold and the device's packing give the
    // renderer's own page; halftone gives another.
    SChartRequest bw = Request(1, kChartBw);
    bw.nThreshold = 90;
    const auto plain = CChartRenderer(bw).RenderAll();
    EXPECT_EQ(ReadRows(*cache.Page(bw, gamma)), plain);
    SScanAdjustments halftone;
    halftone.bAutoThreshold = true;
    EXPECT_NE(ReadRows(*cache.Page(bw, halftone)), plain);
    // A page the cache does not keep is still adjusted whole for its reader.
    CPageCache small(&HeapPageMemory, 1);
    auto pOwn = small.Page(Request(1), gamma);
    EXPECT_TRUE(pOwn->Kept());
    EXPECT_EQ(small.KeptBytes(), 0u);
    EXPECT_EQ(ReadRows(*pOwn), ReadRows(*pBright));
}

}  // namespace
