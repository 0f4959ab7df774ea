// The settings pages' rules without a window: the resolutions of each product family and
// source, the defaults a rebuilt list chooses, the file types of file-output mode, the
// colour-mode rules and the defaults the pages restore.
#include "ui/SettingsPageRules.h"

#include <gtest/gtest.h>

namespace {

using V = std::vector<int>;
constexpr int kFlatbed = 0, kFeeder = 1, kDuplex = 2, kBw = 0, kGrey = 1, kColour = 2;

SProductFlags Family(bool SProductFlags::*pFlag, bool bKRV = false)
{
    SProductFlags f;
    if (pFlag)
        f.*pFlag = true;
    f.bKRV = bKRV;
    return f;
}

TEST(PageRules, ResolutionListsOfEachFamilyAndSource)
{
    const SProductFlags other = Family(nullptr), krv = Family(nullptr, true), k = Family(&SProductFlags::bIsPlatformK);
    EXPECT_EQ(ResolutionList(other, kFlatbed, kColour, 0), (V{75, 150, 300, 600, 1200}));
    EXPECT_EQ(ResolutionList(other, kFeeder, kColour, 0), (V{75, 150, 300, 600}));
    EXPECT_EQ(ResolutionList(other, kDuplex, kColour, 0), (V{75, 150, 300}));
    EXPECT_EQ(ResolutionList(krv, kFlatbed, kGrey, 0), (V{75, 100, 150, 200, 300, 400, 600, 1200}));
    EXPECT_EQ(ResolutionList(krv, kDuplex, kGrey, 0), (V{75, 100, 150, 200, 300}));
    // Platform K: no 1200 dpi in colour, and the duplex feeder stops at 300 dpi in colour.
    EXPECT_EQ(ResolutionList(k, kFlatbed, kColour, 0), (V{75, 150, 300, 600}));
    EXPECT_EQ(ResolutionList(k, kFeeder, kGrey, 0), (V{75, 150, 300, 600, 1200}));
    EXPECT_EQ(ResolutionList(k, kDuplex, kColour, 0), (V{75, 150, 300}));
    EXPECT_EQ(ResolutionList(k, kDuplex, kBw, 0), (V{75, 150, 300, 600}));
    SProductFlags l = Family(&SProductFlags::bIsPlatformL);
    EXPECT_EQ(ResolutionList(l, kFlatbed, kColour, 0), (V{75, 150, 300, 400}));
    l.bIsPlatformL_RGB = true;
    EXPECT_EQ(ResolutionList(l, kDuplex, kColour, 5), (V{75, 150, 300, 600}));
    l.bIsPlatformL_RGB_ZT4410QRS = l.bKRV = true;
    EXPECT_EQ(ResolutionList(l, kFeeder, kColour, 5), (V{75, 100, 150, 200, 300, 400}));
    EXPECT_EQ(ResolutionList(l, kFlatbed, kColour, 5).back(), 600);
    EXPECT_EQ(ResolutionList(Family(&SProductFlags::bIsVireo), kFeeder, kColour, 0), (V{200, 300, 600}));
    EXPECT_EQ(ResolutionList(Family(&SProductFlags::bIsVireo), kFlatbed, kColour, 0), (V{75, 200, 300, 600, 1200}));
    EXPECT_EQ(ResolutionList(Family(&SProductFlags::bIsTevoA3), kFlatbed, kBw, 0), (V{150, 200, 300, 600}));
    EXPECT_EQ(InitialResolutionList(false), (V{75, 150, 300, 600, 1200}));
    EXPECT_EQ(InitialResolutionList(true).size(), 8u);
}

TEST(PageRules, RebuiltIndexesAndDefaults)
{
    const SProductFlags other, k = Family(&SProductFlags::bIsPlatformK), vireo = Family(&SProductFlags::bIsVireo);
    EXPECT_EQ(RebuiltResolutionIndex(k, kFlatbed, kColour, 4, 5), 3);
    EXPECT_EQ(RebuiltResolutionIndex(k, kFlatbed, kGrey, 4, 5), 4);
    EXPECT_EQ(RebuiltResolutionIndex(k, kDuplex, kColour, 4, 3), 2);
    EXPECT_EQ(RebuiltResolutionIndex(vireo, kFeeder, kGrey, 0, 3), 1);
    EXPECT_EQ(RebuiltResolutionIndex(vireo, kFlatbed, kGrey, 0, 5), 2);
    EXPECT_EQ(RebuiltResolutionIndex(other, kFeeder, kGrey, 4, 5), 3);
    EXPECT_EQ(RebuiltResolutionIndex(other, kFlatbed, kGrey, -3, 5), 0);

    SProductFlags a3 = Family(&SProductFlags::bHasA3), tevo = Family(&SProductFlags::bIsTevoA3);
    EXPECT_EQ(DefaultPaperIndex(other, kFlatbed, true, 3, 7), 5);
    EXPECT_EQ(DefaultPaperIndex(a3, kFlatbed, true, -1, 9), 7);
    EXPECT_EQ(DefaultPaperIndex(k, kFlatbed, true, -1, 7), 0);
    EXPECT_EQ(DefaultPaperIndex(other, kFeeder, true, 2, 7), 0);
    EXPECT_EQ(DefaultPaperIndex(other, kFeeder, false, 2, 7), 4);
    // Tevo A3 keeps the previous paper while the new list has it.
    EXPECT_EQ(DefaultPaperIndex(tevo, kFeeder, true, 5, 6), 5);
    EXPECT_EQ(DefaultPaperIndex(tevo, kFeeder, true, 7, 6), 0);
    EXPECT_EQ(DefaultPaperIndex(tevo, kFlatbed, true, -1, 8), 6);

    for (int n : {2, 5, 6, 7, 8})
        EXPECT_FALSE(HorizontalAllowed(n)) << n;
    for (int n : {0, 1, 3, 4, 9})
        EXPECT_TRUE(HorizontalAllowed(n)) << n;

    // No feeder means no duplex, whatever the profile says of the feeder.
    EXPECT_EQ(OfferedSourceCount(false, true), 1);
    EXPECT_EQ(OfferedSourceCount(true, false), 2);
    EXPECT_EQ(OfferedSourceCount(true, true), 3);
    EXPECT_EQ(OfferedSource(kDuplex, 2), kFeeder);
    EXPECT_EQ(OfferedSource(kDuplex, 1), kFlatbed);
    EXPECT_EQ(OfferedSource(-1, 3), kFlatbed);

    SScanParamRecord rec{};
    rec.nHorizontal = 1;
    RestoreBasicDefaults(rec, k, 1);
    EXPECT_EQ(rec.nSource, kFlatbed);  // a platform K product without its feeder
    EXPECT_EQ(rec.nPaperIndex, 0);
    EXPECT_EQ(rec.nHorizontal, 0u);
    RestoreBasicDefaults(rec, a3, 3);
    EXPECT_EQ(rec.nPaperIndex, 7);
    EXPECT_EQ(rec.nResolutionIndex, 2);
    EXPECT_EQ(rec.nColourMode, kColour);
}

TEST(PageRules, FileTypesAndWhatTheBasicPageShows)
{
    EXPECT_EQ(FileTypeNames(false, false).size(), 5u);
    EXPECT_EQ(FileTypeNames(true, true).back(), L"PDF(\u516C\u6587)");
    EXPECT_EQ(FileTypeIndex(L"tif", true, true), 2);
    EXPECT_EQ(FileTypeIndex(L"Ofd", true, true), 5);
    EXPECT_EQ(FileTypeIndex(L"PDF(\u516C\u6587)", false, true), 5);
    EXPECT_EQ(FileTypeIndex(L"ofd", false, true), 1);  // not offered
    EXPECT_EQ(FileTypeIndex(L"gif", true, true), 1);
    EXPECT_TRUE(IsMergeableType(L"PDF"));
    EXPECT_TRUE(IsMergeableType(L"pdf(\u516C\u6587)"));
    EXPECT_FALSE(IsMergeableType(L"png"));

    SBasicPageState state{true, true, true};
    SBasicPageShown flat = BasicPageShown(state, kFlatbed, L"jpg", false);
    EXPECT_TRUE(flat.bMergeRadios && flat.bHelpIcon && !flat.bMergeEnabled && !flat.bManualDuplex);
    flat = BasicPageShown(state, kFlatbed, L"TIF", false);
    EXPECT_TRUE(flat.bMergeEnabled && !flat.bHelpIcon);
    SBasicPageShown feeder = BasicPageShown(state, kFeeder, L"jpg", true);
    EXPECT_TRUE(feeder.bManualDuplex && !feeder.bMergeRadios && !feeder.bHelpIcon && !feeder.bFileTypeEnabled);
    EXPECT_TRUE(BasicPageShown(state, kDuplex, L"jpg", true).bFileTypeEnabled);
    state.bFileOutput = state.bMergeAvailable = false;
    EXPECT_FALSE(BasicPageShown(state, kFeeder, L"jpg", false).bManualDuplex);
}

TEST(PageRules, ColourModeRulesAndAdvancedDefaults)
{
    const SProductFlags k = Family(&SProductFlags::bIsPlatformK);
    SScanParamRecord rec = DefaultScanParam(k);
    for (int i = 0; i < 4; ++i)
        rec.nBrightness[i] = rec.nContrast[i] = rec.nCurve[i] = i + 1;
    rec.nDescreen = rec.nFading = 1;
    rec.nThreshold = 90;
    rec.nColourMode = kGrey;
    SAdjustEnables open = ApplyColourModeRules(rec, k);
    EXPECT_TRUE(open.bDescreen && open.bBrightContrast && open.bHistogram && open.bCurve && !open.bFading);
    EXPECT_EQ(rec.nBrightness[0], 1);
    EXPECT_EQ(rec.nCurve[0], 1);
    EXPECT_EQ(rec.nContrast[3], 0);
    EXPECT_EQ(rec.nFading, 0);
    EXPECT_EQ(rec.nDescreen, 1);
    EXPECT_EQ(rec.nThreshold, 183);
    rec.nThreshold = 90;
    rec.nColourMode = kBw;
    open = ApplyColourModeRules(rec, k);
    EXPECT_FALSE(open.bDescreen || open.bFading || open.bBrightContrast || open.bHistogram || open.bCurve);
    EXPECT_EQ(rec.nBrightness[0], 0);
    EXPECT_EQ(rec.nDescreen, 0);
    EXPECT_EQ(rec.nThreshold, 90);  // black-and-white keeps its threshold

    SScanParamRecord defaults = DefaultScanParam(k);
    EXPECT_FALSE(RestoreAdvancedDefaults(defaults, k));
    rec.nRotation = 3;
    rec.nAutoDeskew = 1;
    rec.nSource = kDuplex;
    EXPECT_TRUE(RestoreAdvancedDefaults(rec, k));
    EXPECT_EQ(rec.nRotation, 0);
    EXPECT_EQ(rec.nAutoDeskew, 0);
    EXPECT_EQ(rec.nGamma, 10);
    EXPECT_EQ(rec.nSource, kDuplex);  // the basic part stays
    SProductFlags qx;
    qx.bQX5031 = true;
    EXPECT_TRUE(RestoreAdvancedDefaults(rec, qx));
    EXPECT_EQ(rec.nAutoThreshold, 1);
    EXPECT_EQ(rec.nThreshold, 72);
}

}  // namespace
