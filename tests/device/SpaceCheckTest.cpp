#include "device/SpaceCheck.h"

#include <gtest/gtest.h>

TEST(SpaceCheck, NextPageNeedsThreeHundredMillionBytesOnDiskAndInMemory)
{
    EXPECT_TRUE(NextPageFits(10, 10, 300000000, 300000000));
    EXPECT_FALSE(NextPageFits(10, 10, 299999999, 400000000));
    EXPECT_FALSE(NextPageFits(10, 10, 400000000, 299999999));
    // The page twice over in colour must stay below the free bytes.
    EXPECT_FALSE(NextPageFits(10000, 10000, 600000000, 400000000));
    EXPECT_TRUE(NextPageFits(10000, 10000, 600000001, 400000000));
}

TEST(SpaceCheck, UnreadableMemoryStatusNeverFits)
{
    EXPECT_FALSE(NextPageFits(10, 10, 1ull << 40, std::nullopt));
    SScanSpaceInput in;
    in.nWidth = in.nHeight = 100;
    in.nSystemFree = 1ull << 40;
    in.nAvailVirtual = std::nullopt;
    EXPECT_FALSE(CheckScanSpace(in).bFits);
    in.nAvailVirtual = 1ull << 32;
    EXPECT_TRUE(CheckScanSpace(in).bFits);
}

TEST(SpaceCheck, JobNeedsPageTwiceOverPlusReserveBelowFreeBytes)
{
    SScanSpaceInput in;
    in.nWidth = 1000;
    in.nHeight = 1000;
    in.nBytesPerPixel = 3;
    in.nAvailVirtual = 300000000;
    const uint64_t nNeed = 1000ull * 1000 * 3 * 2;
    in.nSystemFree = nNeed + kSpaceReserveBytes;
    EXPECT_FALSE(CheckScanSpace(in).bFits);
    in.nSystemFree += 1;
    SScanSpaceResult r = CheckScanSpace(in);
    EXPECT_TRUE(r.bFits);
    EXPECT_EQ(r.nNeed, nNeed);
    in.nAvailVirtual = 299999999;
    EXPECT_FALSE(CheckScanSpace(in).bFits);
}

TEST(SpaceCheck, LargePagesDoNotWrapAround)
{
    SScanSpaceInput in;
    in.nWidth = 100000;  // 24-bit 100000 x 100000 is 60 GB twice over, beyond 32 bits
    in.nHeight = 100000;
    in.nSystemFree = 1ull << 34;
    in.nAvailVirtual = 1ull << 40;
    EXPECT_FALSE(CheckScanSpace(in).bFits);
    EXPECT_FALSE(NextPageFits(100000, 100000, 1ull << 34, 1ull << 40));
}

TEST(SpaceCheck, FileOutputAddsMergedPagesAgainstTheOutputDrive)
{
    SScanSpaceInput in;
    in.nWidth = in.nHeight = 1000;
    in.nBytesPerPixel = 1;
    in.nSystemFree = 1ull << 40;
    in.nAvailVirtual = 1ull << 32;
    in.bFileOutput = true;
    in.nPreviousMerged = 5000000;
    in.bMerging = true;
    in.nOutputFree = 0;
    SScanSpaceResult r = CheckScanSpace(in);
    EXPECT_EQ(r.nMerged, 7000000u);
    EXPECT_TRUE(r.bFits);  // 7 MB against 0 + 300 MiB
    in.nPreviousMerged = kSpaceReserveBytes;
    EXPECT_FALSE(CheckScanSpace(in).bFits);
    in.bMerging = false;
    EXPECT_TRUE(CheckScanSpace(in).bFits);
}
