// The end of a transfer and the save settings: stored after each page with more to come, and at
// the end of a batch only for a flatbed merge series whose name was used.
#include <gtest/gtest.h>

#include "transfer/ImgSaveLink.h"

namespace {

struct CStore : IImgSaveStore {
    int nSaves = 0;
    bool bMark = false;
    void Save() override { ++nSaves; }
    bool NameUsedMark() const override { return bMark; }
    void ClearNameUsedMark() override { bMark = false; }
};

TEST(ImgSaveLink, StoresPerPageAndForAFinishedMergeSeries)
{
    StoreImgSaveAtEndXfer(1, true, true);  // no page registered: nothing happens
    CStore store;
    SetImgSaveStore(&store);
    StoreImgSaveAtEndXfer(1, false, false);
    EXPECT_EQ(store.nSaves, 1);
    struct SCase {
        bool bMerge, bMark, bFlatbed;
        int nSaves;
    };
    for (SCase c : {SCase{true, true, true, 1}, SCase{false, true, true, 0}, SCase{true, false, true, 0},
                    SCase{true, true, false, 0}}) {
        store.nSaves = 0;
        store.bMark = c.bMark;
        StoreImgSaveAtEndXfer(0, c.bMerge, c.bFlatbed);
        EXPECT_EQ(store.nSaves, c.nSaves) << c.bMerge << c.bMark << c.bFlatbed;
        EXPECT_FALSE(store.bMark);
    }
    SetImgSaveStore(nullptr);
    EXPECT_EQ(ImgSaveStore(), nullptr);
}

}  // namespace
