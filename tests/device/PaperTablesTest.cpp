#include "device/PaperTables.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// Catalogue positions (E numbers) of a list, found by comparing whole entries.
std::vector<int> EntryNumbers(const std::vector<_PaperInfo>& list)
{
    std::vector<int> out;
    const auto& cat = PaperCatalogue();
    for (const auto& p : list) {
        for (std::size_t e = 0; e < cat.size(); ++e) {
            const auto& c = cat[e];
            if (c.nId == p.nId && c.nNameId == p.nNameId && c.fWidth == p.fWidth && c.fHeight == p.fHeight) {
                out.push_back(static_cast<int>(e));
                break;
            }
        }
    }
    return out;
}

using V = std::vector<int>;

TEST(PaperTables, CatalogueEntriesKeepTheirGeometry)
{
    const auto& cat = PaperCatalogue();
    ASSERT_EQ(cat.size(), 19u);
    EXPECT_EQ(cat[4].nUnit, kPaperInches);
    EXPECT_FLOAT_EQ(cat[4].fWidth, 8.5f);
    EXPECT_FLOAT_EQ(cat[10].fWidth, 297.2f);
    EXPECT_FLOAT_EQ(cat[10].fHeight, 432.1f);
    EXPECT_EQ(cat[11].nId, 9);
    EXPECT_EQ(cat[14].nNameId, 1159);
    EXPECT_FLOAT_EQ(cat[14].fWidth, 270.0f);
    EXPECT_FLOAT_EQ(cat[14].fHeight, 195.0f);
}

TEST(PaperTables, ListsPerProduct)
{
    SProductFlags plain, a3, a3K, tevo, tevoPlus, vireo, vireoA3;
    a3.bHasA3 = true;
    a3K = a3;
    a3K.bIsPlatformK = true;
    tevo.bIsTevoA3 = true;
    tevoPlus = tevo;
    tevoPlus.bIsTevoA3Plus = true;
    vireo.bIsVireo = true;
    vireoA3 = vireo;
    vireoA3.bHasA3 = true;

    EXPECT_EQ(EntryNumbers(CPaperLists(plain).Feeder()), (V{0, 1, 8, 2, 4, 6, 7}));
    EXPECT_EQ(EntryNumbers(CPaperLists(plain).Flatbed()), (V{0, 1, 8, 2, 4, 3, 5}));
    EXPECT_EQ(EntryNumbers(CPaperLists(a3).Feeder()), (V{0, 1, 8, 2, 4, 6, 7, 9}));
    EXPECT_EQ(EntryNumbers(CPaperLists(a3).Flatbed()), (V{0, 1, 8, 2, 4, 6, 9, 10, 11}));
    EXPECT_EQ(EntryNumbers(CPaperLists(a3K).Feeder()), (V{0, 1, 8, 2, 4, 6, 7}));
    EXPECT_EQ(EntryNumbers(CPaperLists(a3K).Flatbed()), (V{0, 1, 8, 2, 4, 6, 9, 11}));
    EXPECT_EQ(EntryNumbers(CPaperLists(tevo).Feeder()), (V{0, 1, 9, 12, 13, 14}));
    EXPECT_EQ(EntryNumbers(CPaperLists(tevo).Flatbed()), (V{0, 1, 9, 12, 13, 14, 10, 11}));
    EXPECT_EQ(EntryNumbers(CPaperLists(tevoPlus).Feeder()), (V{0, 1, 9, 12, 13, 14, 8, 16}));
    EXPECT_EQ(EntryNumbers(CPaperLists(tevoPlus).Flatbed()),
              (V{0, 1, 9, 12, 13, 14, 15, 2, 17, 18, 6, 4, 10, 11}));
    EXPECT_EQ(EntryNumbers(CPaperLists(vireo).Feeder()), (V{0, 1, 8, 2, 4, 6}));
    EXPECT_EQ(EntryNumbers(CPaperLists(vireoA3).Flatbed()), (V{0, 1, 8, 2, 4, 3, 5}));
}

TEST(PaperTables, CustomIndexPerSource)
{
    SProductFlags plain, a3K;
    a3K.bHasA3 = a3K.bIsPlatformK = true;
    CPaperLists p(plain), k(a3K);
    EXPECT_EQ(p.CustomIndex(0), 6);
    EXPECT_EQ(p.CustomIndex(1), 7);
    EXPECT_EQ(p.CustomIndex(2), 7);
    // Platform K with A3: the default flatbed index 7 is the custom-area entry E11.
    EXPECT_EQ(k.CustomIndex(0), 7);
    _PaperInfo info{};
    ASSERT_TRUE(k.Entry(0, 7, info));
    EXPECT_EQ(info.nId, 9);
    EXPECT_FLOAT_EQ(info.fWidth, 297.2f);
}

TEST(PaperTables, EntryPastTheListIsRefusedAndZeroed)
{
    CPaperLists p(SProductFlags{});
    _PaperInfo info{1, 2, 3, 4, 5};
    EXPECT_FALSE(p.Entry(1, 7, info));  // the feeder's custom index lies past its list
    EXPECT_EQ(info.nId, 0);
    EXPECT_FALSE(p.Entry(0, -1, info));
    EXPECT_TRUE(p.Entry(2, 6, info));
    EXPECT_EQ(info.nId, 11);
}

TEST(PaperTables, AreaOfAnIndex)
{
    ResetCustomAreas();
    CPaperLists p(SProductFlags{});
    SAreaInches a4 = PaperAreaInches(p, 0, 0);
    EXPECT_FLOAT_EQ(a4.fWidth, 210.0f / 25.4f);
    EXPECT_FLOAT_EQ(a4.fHeight, 297.0f / 25.4f);
    SAreaInches letter = PaperAreaInches(p, 1, 4);
    EXPECT_FLOAT_EQ(letter.fWidth, 8.5f);
    EXPECT_FLOAT_EQ(letter.fHeight, 11.0f);

    // The custom index of a feeder source has no entry, yet selects that source's custom area.
    SetCustomArea(1, {1.0f, 2.0f, 3.0f, 4.0f});
    SAreaInches custom = PaperAreaInches(p, 1, 7);
    EXPECT_FLOAT_EQ(custom.fX, 1.0f);
    EXPECT_FLOAT_EQ(custom.fHeight, 4.0f);
    EXPECT_FLOAT_EQ(PaperAreaInches(p, 1, 99).fWidth, 3.0f);
    // The other sources keep theirs.
    EXPECT_FLOAT_EQ(PaperAreaInches(p, 2, 7).fHeight, 14.015748f);
    EXPECT_FLOAT_EQ(PaperAreaInches(p, 0, 6).fHeight, 11.692913f);
    SetCustomArea(7, {9, 9, 9, 9});  // not a source: ignored
    EXPECT_FLOAT_EQ(GetCustomArea(7).fWidth, 0.0f);
    ResetCustomAreas();
    EXPECT_FLOAT_EQ(GetCustomArea(1).fWidth, 8.503937f);
}

TEST(PaperTables, MaximumScanSize)
{
    SProductFlags f;
    EXPECT_FLOAT_EQ(MaxScanWidthInches(f), 8.503937f);
    EXPECT_FLOAT_EQ(MaxScanHeightInches(f), 11.692913f);
    f.bHasA3 = true;
    EXPECT_FLOAT_EQ(MaxScanWidthInches(f), 11.7f);
    EXPECT_FLOAT_EQ(MaxScanHeightInches(f), 17.01f);
}

std::wstring NameOf(int nId) { return L"#" + std::to_wstring(nId); }

// The profile's A3 flag as the settings page reads it: off until the page initialises.
bool g_bA3Read = false;
SProductFlags ProfileProduct()
{
    SProductFlags f;
    f.bHasA3 = g_bA3Read;
    return f;
}

// The process-wide lists follow the flags the provider gives at each use; lists handed out
// before a flag was read stay as they were.
TEST(PaperTables, ProcessListsFollowTheProvidersFlags)
{
    SetPaperListSource(&ProfileProduct, &NameOf);
    const auto& a4Names = getFlatbedPaperSizeStrings();
    EXPECT_EQ(GetMaxSanSizeNum(0), 6);
    g_bA3Read = true;
    EXPECT_EQ(GetMaxSanSizeNum(0), 8);
    EXPECT_EQ(GetMaxSanSizeNum(1), 8);
    EXPECT_EQ(a4Names.size(), 7u);
    const auto& flatNames = getFlatbedPaperSizeStrings();
    ASSERT_EQ(flatNames.size(), 9u);
    EXPECT_EQ(flatNames[6], L"#1150");
    EXPECT_EQ(&getAdfPaperSizeStrings(), &getAdfPaperSizeStrings());
    EXPECT_EQ(GetPaperSizeString(true, 7), L"#1150");
    EXPECT_EQ(GetPaperSizeString(true, 8), L"");
    EXPECT_EQ(GetPaperSizeString(false, -1), L"");
    _PaperInfo info{};
    EXPECT_TRUE(getPeperInfo(&info, 0, 7));
    EXPECT_FLOAT_EQ(info.fHeight, 432.1f);
    EXPECT_FALSE(getPeperInfo(&info, 1, 8));
    EXPECT_FALSE(getPeperInfo(nullptr, 0, 0));
    SetPaperListSource(nullptr, nullptr);
    EXPECT_EQ(GetMaxSanSizeNum(0), 6);
}

}  // namespace
