#include "device/PaperTables.h"

#include "profile/Trace.h"

#include <array>
#include <memory>
#include <mutex>
#include <utility>

namespace {

constexpr float kMmPerInch = 25.4f;

const std::vector<_PaperInfo> s_catalogue = {
    {1, 1038, kPaperMillimetres, 210.0f, 297.0f},   // E0 A4
    {2, 1039, kPaperMillimetres, 148.0f, 210.0f},   // E1 A5
    {4, 1041, kPaperMillimetres, 182.0f, 257.0f},   // E2 JIS B5
    {6, 1042, kPaperMillimetres, 216.0f, 297.0f},   // E3 full platen, letter-wide platen
    {7, 1043, kPaperInches, 8.5f, 11.0f},           // E4 US Letter
    {9, 1045, kPaperMillimetres, 216.0f, 297.0f},   // E5 custom area, letter-wide platen
    {10, 1136, kPaperMillimetres, 216.0f, 356.0f},  // E6 US Legal
    {11, 1137, kPaperMillimetres, 216.0f, 330.0f},  // E7 folio
    {12, 1146, kPaperMillimetres, 105.0f, 148.0f},  // E8 A6
    {15, 1150, kPaperMillimetres, 297.0f, 420.0f},  // E9 A3
    {6, 1042, kPaperMillimetres, 297.2f, 432.1f},   // E10 full platen, A3 platen
    {9, 1045, kPaperMillimetres, 297.2f, 432.1f},   // E11 custom area, A3 platen
    {16, 1157, kPaperMillimetres, 270.0f, 390.0f},  // E12 8K
    {17, 1158, kPaperMillimetres, 195.0f, 270.0f},  // E13 16K
    {18, 1159, kPaperMillimetres, 270.0f, 195.0f},  // E14 16K landscape
    {21, 1169, kPaperMillimetres, 257.0f, 364.0f},  // E15 JIS B4
    {24, 1172, kPaperMillimetres, 128.0f, 182.0f},  // E16 JIS B6
    {22, 1170, kPaperMillimetres, 140.0f, 216.0f},  // E17 Statement
    {23, 1171, kPaperMillimetres, 279.0f, 432.0f},  // E18 Ledger
};

std::vector<int> FeederEntries(const SProductFlags& f)
{
    if (f.bIsTevoA3) {
        std::vector<int> v = {0, 1, 9, 12, 13, 14};
        if (f.bIsTevoA3Plus)
            v.insert(v.end(), {8, 16});
        return v;
    }
    std::vector<int> v = {0, 1, 8, 2, 4, 6};
    if (f.bIsVireo)
        return v;
    v.push_back(7);
    if (f.bHasA3 && !f.bIsPlatformK)
        v.push_back(9);
    return v;
}

std::vector<int> FlatbedEntries(const SProductFlags& f)
{
    if (f.bIsTevoA3) {
        std::vector<int> v = {0, 1, 9, 12, 13, 14};
        if (f.bIsTevoA3Plus)
            v.insert(v.end(), {15, 2, 17, 18, 6, 4});
        v.insert(v.end(), {10, 11});
        return v;
    }
    if (f.bHasA3 && !f.bIsVireo) {
        std::vector<int> v = {0, 1, 8, 2, 4, 6, 9};
        if (!f.bIsPlatformK)
            v.push_back(10);
        v.push_back(11);
        return v;
    }
    return {0, 1, 8, 2, 4, 3, 5};
}

void FillList(const std::vector<int>& entries, PaperNameResolver pfnName, std::vector<_PaperInfo>& list,
              std::vector<std::wstring>& names)
{
    for (int e : entries) {
        list.push_back(s_catalogue[e]);
        names.push_back(pfnName ? pfnName(s_catalogue[e].nNameId) : std::wstring());
    }
}

bool IsValidSource(int nSource) { return nSource >= 0 && nSource <= 2; }

SAreaInches InitialCustomArea(int nSource)
{
    return nSource == 0 ? SAreaInches{0, 0, 8.503937f, 11.692913f} : SAreaInches{0, 0, 8.503937f, 14.015748f};
}

struct SProcessPaper {
    std::mutex mutex;
    ProductFlagsProvider pfnFlags = nullptr;
    PaperNameResolver pfnName = nullptr;
    // One set of lists per product flags seen; kept, so that lists handed out stay valid.
    std::vector<std::pair<SProductFlags, std::unique_ptr<CPaperLists>>> built;
    std::array<SAreaInches, 3> customAreas = {InitialCustomArea(0), InitialCustomArea(1), InitialCustomArea(2)};
};

SProcessPaper& Process()
{
    static SProcessPaper s_paper;
    return s_paper;
}

}  // namespace

const std::vector<_PaperInfo>& PaperCatalogue() { return s_catalogue; }

CPaperLists::CPaperLists(const SProductFlags& flags, PaperNameResolver pfnName)
{
    FillList(FeederEntries(flags), pfnName, m_feeder, m_feederNames);
    FillList(FlatbedEntries(flags), pfnName, m_flatbed, m_flatbedNames);
}

int CPaperLists::CustomIndex(int nSource) const
{
    // Feeder lists have no custom entry and use the index one past their end; the flatbed
    // list ends with its custom-area entry.
    return nSource ? static_cast<int>(m_feeder.size()) : static_cast<int>(m_flatbed.size()) - 1;
}

bool CPaperLists::Entry(int nSource, int nIndex, _PaperInfo& info) const
{
    const auto& list = ForSource(nSource);
    if (nIndex < 0 || nIndex >= static_cast<int>(list.size())) {
        info = _PaperInfo{};
        return false;
    }
    info = list[nIndex];
    return true;
}

void SetPaperListSource(ProductFlagsProvider pfnFlags, PaperNameResolver pfnName)
{
    SProcessPaper& p = Process();
    std::lock_guard lock(p.mutex);
    p.pfnFlags = pfnFlags;
    p.pfnName = pfnName;
}

const CPaperLists& ProcessPaperLists()
{
    SProcessPaper& p = Process();
    std::lock_guard lock(p.mutex);
    // The profile's flags are read when the dialog initialises its settings pages; lists built
    // before that would be an A4 product's.
    const SProductFlags flags = p.pfnFlags ? p.pfnFlags() : SProductFlags{};
    for (const auto& [builtFor, pLists] : p.built)
        if (builtFor == flags)
            return *pLists;
    p.built.emplace_back(flags, std::make_unique<CPaperLists>(flags, p.pfnName));
    return *p.built.back().second;
}

const std::vector<std::wstring>& getAdfPaperSizeStrings() { return ProcessPaperLists().FeederNames(); }

const std::vector<std::wstring>& getFlatbedPaperSizeStrings() { return ProcessPaperLists().FlatbedNames(); }

std::wstring GetPaperSizeString(bool bFeeder, int nIndex)
{
    const auto& names = bFeeder ? getAdfPaperSizeStrings() : getFlatbedPaperSizeStrings();
    if (nIndex < 0 || nIndex >= static_cast<int>(names.size()))
        return {};
    return names[nIndex];
}

bool getPeperInfo(_PaperInfo* pInfo, int nSource, int nIndex)
{
    TraceA("getPeperInfo(): src = %d, index = %d\r\n", nSource, nIndex);
    if (!pInfo)
        return false;
    return ProcessPaperLists().Entry(nSource, nIndex, *pInfo);
}

int GetMaxSanSizeNum(int nSource)
{
    int n = ProcessPaperLists().CustomIndex(nSource);
    TraceA("GetMaxSanSizeNum = %d, src = %d\r\n", n, nSource);
    return n;
}

SAreaInches GetCustomArea(int nSource)
{
    SProcessPaper& p = Process();
    std::lock_guard lock(p.mutex);
    return IsValidSource(nSource) ? p.customAreas[nSource] : SAreaInches{};
}

void SetCustomArea(int nSource, const SAreaInches& area)
{
    SProcessPaper& p = Process();
    std::lock_guard lock(p.mutex);
    if (IsValidSource(nSource))
        p.customAreas[nSource] = area;
}

void ResetCustomAreas()
{
    SProcessPaper& p = Process();
    std::lock_guard lock(p.mutex);
    for (int i = 0; i < 3; ++i)
        p.customAreas[i] = InitialCustomArea(i);
}

float MaxScanWidthInches(const SProductFlags& flags) { return flags.bHasA3 ? 11.7f : 8.503937f; }

float MaxScanHeightInches(const SProductFlags& flags) { return flags.bHasA3 ? 17.01f : 11.692913f; }

SAreaInches PaperAreaInches(const CPaperLists& lists, int nSource, int nPaperIndex)
{
    if (nPaperIndex >= lists.CustomIndex(nSource))
        return GetCustomArea(nSource);
    _PaperInfo info{};
    if (!lists.Entry(nSource, nPaperIndex, info))
        return {};
    float fScale = info.nUnit == kPaperMillimetres ? 1.0f / kMmPerInch : 1.0f;
    return {0, 0, info.fWidth * fScale, info.fHeight * fScale};
}
