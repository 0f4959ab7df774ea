#include "transfer/ImgSaveLink.h"

#include <atomic>

namespace {

// Set and cleared on the application's thread, where MSG_ENDXFER also runs.
std::atomic<IImgSaveStore*> g_pImgSaveStore{nullptr};

}  // namespace

void SetImgSaveStore(IImgSaveStore* pStore)
{
    g_pImgSaveStore = pStore;
}

IImgSaveStore* ImgSaveStore()
{
    return g_pImgSaveStore;
}

void StoreImgSaveAtEndXfer(int nCount, bool bMergeAvailable, bool bFlatbed)
{
    IImgSaveStore* pStore = g_pImgSaveStore;
    if (!pStore)
        return;
    if (nCount != 0) {
        pStore->Save();
        return;
    }
    if (bMergeAvailable && pStore->NameUsedMark() && bFlatbed)
        pStore->Save();
    pStore->ClearNameUsedMark();
}
