// The save settings of file-output mode as the end of a transfer reaches them. The scanning
// dialog's save-settings page registers itself while it exists; without it (not file-output
// mode, or no dialog) there is nothing to store.
#pragma once

class IImgSaveStore {
public:
    virtual ~IImgSaveStore() = default;
    // Writes the record for the calling program, with a fresh base name when the last one
    // was used.
    virtual void Save() = 0;
    // The base name was marked used since the last batch ended (an output file existed, or a
    // merge series ended).
    virtual bool NameUsedMark() const = 0;
    virtual void ClearNameUsedMark() = 0;
};

void SetImgSaveStore(IImgSaveStore* pStore);
IImgSaveStore* ImgSaveStore();

// The last step of MSG_ENDXFER: with another page to come the record is stored; at the end of a
// batch only a flatbed merge series with a used name stores it (for the next series' name),
// and the mark is cleared.
void StoreImgSaveAtEndXfer(int nCount, bool bMergeAvailable, bool bFlatbed);
