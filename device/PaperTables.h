// The paper catalogue, the paper lists of each source, the custom scan areas and the
// maximum scan sizes. The lists depend on the product and are built once per process for it.
#pragma once

#include "device/ProductFlags.h"

#include <cstdint>
#include <string>
#include <vector>

enum EPaperUnit : int32_t { kPaperInches = 0, kPaperMillimetres = 2 };

// One catalogue entry, 20 bytes as the dialogs and settings pages exchange it.
struct _PaperInfo {
    int32_t nId;
    int32_t nNameId;    // language string id
    int32_t nUnit;      // EPaperUnit
    float fWidth;
    float fHeight;
};
static_assert(sizeof(_PaperInfo) == 20);

// The catalogue entries E0 to E18, in catalogue order.
const std::vector<_PaperInfo>& PaperCatalogue();

// An area in inches (x, y, width, height).
struct SAreaInches {
    float fX = 0, fY = 0, fWidth = 0, fHeight = 0;
};

// Turns a language string id into a display name; the lists keep what it returns.
using PaperNameResolver = std::wstring (*)(int nStringId);

// The feeder and flatbed paper lists of one product.
class CPaperLists {
public:
    explicit CPaperLists(const SProductFlags& flags, PaperNameResolver pfnName = nullptr);

    const std::vector<_PaperInfo>& Feeder() const { return m_feeder; }
    const std::vector<_PaperInfo>& Flatbed() const { return m_flatbed; }
    const std::vector<std::wstring>& FeederNames() const { return m_feederNames; }
    const std::vector<std::wstring>& FlatbedNames() const { return m_flatbedNames; }
    // The list of a source (0 flatbed, anything else a feeder source).
    const std::vector<_PaperInfo>& ForSource(int nSource) const { return nSource ? m_feeder : m_flatbed; }

    // The paper index that selects the custom area of a source.
    int CustomIndex(int nSource) const;
    // The entry at nIndex of the source's list; false (and a zeroed entry) past its end.
    bool Entry(int nSource, int nIndex, _PaperInfo& info) const;

private:
    std::vector<_PaperInfo> m_feeder, m_flatbed;
    std::vector<std::wstring> m_feederNames, m_flatbedNames;
};

// The process-wide lists, for the flags the provider gives at each use: built on the first
// use with those flags and kept for the life of the process (references stay valid).
using ProductFlagsProvider = SProductFlags (*)();
void SetPaperListSource(ProductFlagsProvider pfnFlags, PaperNameResolver pfnName);
const CPaperLists& ProcessPaperLists();

const std::vector<std::wstring>& getAdfPaperSizeStrings();
const std::vector<std::wstring>& getFlatbedPaperSizeStrings();
// The display name at nIndex of the feeder (bFeeder) or flatbed list; empty past its end.
std::wstring GetPaperSizeString(bool bFeeder, int nIndex);
// Copies the entry at nIndex of the feeder list (nSource not 0) or flatbed list. Returns
// false, with *pInfo zeroed, for an index outside the list (the custom index of a feeder list).
bool getPeperInfo(_PaperInfo* pInfo, int nSource, int nIndex);
int GetMaxSanSizeNum(int nSource);

// Custom scan areas of the three sources, kept for the life of the process.
SAreaInches GetCustomArea(int nSource);
void SetCustomArea(int nSource, const SAreaInches& area);
void ResetCustomAreas();

// Largest scan area of the product, in inches.
float MaxScanWidthInches(const SProductFlags& flags);
float MaxScanHeightInches(const SProductFlags& flags);

// The area a paper index selects for a source: the custom area at or above the custom index,
// else the entry at (0, 0) in inches.
SAreaInches PaperAreaInches(const CPaperLists& lists, int nSource, int nPaperIndex);
