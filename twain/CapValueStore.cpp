#include "twain/CapValueStore.h"

#include <algorithm>
#include <vector>

namespace {

struct SCapRow {
    SCapDescriptor desc;
    CapBytes allowed;
    CapBytes def;  // also the initial current value
};

constexpr TW_UINT16 ONE = TWON_ONEVALUE;
constexpr TW_UINT16 ENUM = TWON_ENUMERATION;
constexpr TW_UINT16 RNG = TWON_RANGE;
constexpr TW_UINT16 ARR = TWON_ARRAY;
constexpr TW_UINT16 U16 = TWTY_UINT16;
constexpr TW_UINT16 BOOL16 = TWTY_BOOL;
constexpr TW_UINT16 FIX = TWTY_FIX32;

CapBytes XferCounts()
{
    CapBytes out = StoredU16({0xFFFF});  // -1: as many pages as the source has
    for (int n = 1; n <= 25; ++n) {
        CapBytes one = StoredU16({n});
        out.insert(out.end(), one.begin(), one.end());
    }
    return out;
}

const std::vector<SCapRow>& Rows()
{
    static const std::vector<SCapRow> s_rows = {
        {{CAP_SUPPORTEDCAPS, U16, ARR, ARR, kOpsReadOnly}, {}, {}},  // the ids are filled in below
        {{CAP_FEEDERENABLED, BOOL16, ONE, ONE, kOpsAll}, StoredU16({1, 0}), StoredU16({0})},
        {{ICAP_XFERMECH, U16, ENUM, ONE, kOpsAll}, StoredU16({TWSX_NATIVE, TWSX_FILE, TWSX_MEMORY}), StoredU16({TWSX_NATIVE})},
        {{ICAP_PIXELFLAVOR, U16, ENUM, ONE, kOpsAll}, StoredU16({TWPF_CHOCOLATE, TWPF_VANILLA}), StoredU16({TWPF_CHOCOLATE})},
        {{ICAP_PLANARCHUNKY, U16, ENUM, ONE, kOpsReadOnly}, StoredU16({TWPC_CHUNKY, TWPC_PLANAR}), StoredU16({TWPC_CHUNKY})},
        {{ICAP_COMPRESSION, U16, ENUM, ONE, kOpsAll}, StoredU16({TWCP_NONE}), StoredU16({TWCP_NONE})},
        {{ICAP_PHYSICALWIDTH, FIX, ONE, ONE, kOpsReadOnly}, StoredFloat({8.5f}), StoredFloat({8.5f})},
        {{ICAP_PHYSICALHEIGHT, FIX, ONE, ONE, kOpsReadOnly}, StoredFloat({11.0f}), StoredFloat({11.0f})},
        {{ICAP_MINIMUMHEIGHT, FIX, ONE, ONE, kOpsReadOnly}, StoredFloat({1.0f}), StoredFloat({1.0f})},
        {{ICAP_MINIMUMWIDTH, FIX, ONE, ONE, kOpsReadOnly}, StoredFloat({1.0f}), StoredFloat({1.0f})},
        {{ICAP_UNITS, U16, ENUM, ONE, kOpsAll}, StoredU16({TWUN_INCHES, TWUN_CENTIMETERS, TWUN_PIXELS}), StoredU16({TWUN_INCHES})},
        {{CAP_DEVICEONLINE, BOOL16, ONE, ONE, kOpsReadOnly}, StoredU16({1, 0}), StoredU16({1})},
        {{ICAP_AUTOBRIGHT, BOOL16, ONE, ONE, kOpsAll}, StoredU16({1, 0}), StoredU16({0})},
        {{ICAP_BRIGHTNESS, FIX, RNG, ONE, kOpsAll}, StoredFloat({-1000, 1000, 1000}), StoredFloat({0})},
        {{ICAP_CONTRAST, FIX, RNG, ONE, kOpsAll}, StoredFloat({-1000, 1000, 1000}), StoredFloat({0})},
        {{ICAP_HIGHLIGHT, FIX, RNG, ONE, kOpsAll}, StoredFloat({0, 255, 1}), StoredFloat({128})},
        {{ICAP_ORIENTATION, U16, ENUM, ONE, kOpsAll}, StoredU16({TWOR_ROT0, TWOR_ROT90, TWOR_ROT180, TWOR_ROT270}), StoredU16({TWOR_ROT0})},
        {{ICAP_SHADOW, FIX, RNG, ONE, kOpsAll}, StoredFloat({0, 255, 1}), StoredFloat({128})},
        {{ICAP_XSCALING, FIX, ENUM, ONE, kOpsAll}, StoredFloat({100}), StoredFloat({100})},
        {{ICAP_YSCALING, FIX, ENUM, ONE, kOpsAll}, StoredFloat({100}), StoredFloat({100})},
        {{ICAP_PIXELTYPE, U16, ENUM, ONE, kOpsAll}, StoredU16({TWPT_BW, TWPT_GRAY, TWPT_RGB}), StoredU16({TWPT_RGB})},
        // Follows the pixel type: the table sets all three lists to its one depth.
        {{ICAP_BITDEPTH, U16, ENUM, ONE, kOpsAll}, StoredU16({24}), StoredU16({24})},
        {{ICAP_BITDEPTHREDUCTION, U16, ENUM, ONE, kOpsAll}, StoredU16({TWBR_THRESHOLD, TWBR_HALFTONE, TWBR_DIFFUSION}), StoredU16({TWBR_THRESHOLD})},
        {{ICAP_BITORDER, U16, ENUM, ONE, kOpsReadOnly}, StoredU16({TWBO_MSBFIRST, TWBO_LSBFIRST}), StoredU16({TWBO_MSBFIRST})},
        {{ICAP_HALFTONES, TWTY_STR32, ENUM, ONE, kOpsAll}, StoredStr({"FLOYD/STEINBURG", "ORDERED"}), StoredStr({"FLOYD/STEINBURG"})},
        {{ICAP_THRESHOLD, FIX, RNG, ONE, kOpsAll}, StoredFloat({0, 255, 1}), StoredFloat({128})},
        {{ICAP_FRAMES, TWTY_FRAME, ONE, ONE, kOpsAll}, StoredFrame(0, 0, 8.5f, 11.69f), StoredFrame(0, 0, 8.5f, 11.69f)},
        {{ICAP_MAXFRAMES, U16, ONE, ONE, kOpsReadOnly}, StoredU16({1}), StoredU16({1})},
        {{ICAP_SUPPORTEDSIZES, U16, ENUM, ONE, kOpsAll},
         StoredU16({TWSS_A4, TWSS_A5, TWSS_A6, TWSS_JISB5, TWSS_USLETTER, TWSS_USLEGAL, TWSS_A3}), StoredU16({TWSS_A4})},
        {{ICAP_XNATIVERESOLUTION, FIX, ONE, ONE, kOpsReadOnly}, StoredFloat({150}), StoredFloat({150})},
        {{ICAP_YNATIVERESOLUTION, FIX, ONE, ONE, kOpsReadOnly}, StoredFloat({150}), StoredFloat({150})},
        {{ICAP_XRESOLUTION, FIX, ENUM, ONE, kOpsAll}, StoredFloat({75, 150, 300, 600, 1200}), StoredFloat({150})},
        {{ICAP_YRESOLUTION, FIX, ENUM, ONE, kOpsAll}, StoredFloat({75, 150, 300, 600, 1200}), StoredFloat({150})},
        {{CAP_XFERCOUNT, TWTY_INT16, ONE, ONE, kOpsAll}, XferCounts(), StoredU16({1})},
        {{ICAP_IMAGEFILEFORMAT, U16, ENUM, ONE, kOpsAll}, StoredU16({TWFF_TIFF, TWFF_BMP}), StoredU16({TWFF_BMP})},
        {{ICAP_UNDEFINEDIMAGESIZE, BOOL16, ONE, ONE, kOpsAll}, StoredU16({0, 1}), StoredU16({1})},
        {{CAP_INDICATORS, BOOL16, ONE, ONE, kOpsAll}, StoredU16({1, 0}), StoredU16({1})},
        {{CAP_UICONTROLLABLE, BOOL16, ONE, ONE, kOpsReadOnly}, StoredU16({1, 0}), StoredU16({1})},
        {{CAP_FILE_OUTPUT_MODE_FLAG, BOOL16, ONE, ONE, kOpsAll}, StoredU16({1}), StoredU16({0})},
        {{CAP_NO_SCAN_PARAM_ADJ_FLAG, BOOL16, ONE, ONE, kOpsAll}, StoredU16({1}), StoredU16({0})},
        // Settable only on products with automatic duplex; the build step decides.
        {{CAP_DUPLEXENABLED, BOOL16, ONE, ONE, kOpsAll}, StoredU16({1, 0}), StoredU16({0})},
        {{CAP_AUTOFEED, BOOL16, ONE, ONE, kOpsAllButReset}, StoredU16({1, 0}), StoredU16({0})},
        {{CAP_FEEDERLOADED, BOOL16, ONE, ONE, kOpsReadOnly}, StoredU16({0, 1}), StoredU16({0})},
        // The current value is replaced at each MSG_GET.
        {{CAP_DUPLEX, U16, ONE, ONE, kOpsReadOnly}, StoredU16({TWDX_NONE}), StoredU16({TWDX_1PASSDUPLEX})},
        {{CAP_SHOW_MERGE_SCAN_DIALOG_FLAG, BOOL16, ONE, ONE, kOpsGet}, StoredU16({1}), StoredU16({0})},
    };
    return s_rows;
}

}  // namespace

const std::array<SCapDescriptor, kCapabilityCount>& CapDescriptors()
{
    static const std::array<SCapDescriptor, kCapabilityCount> s_descs = [] {
        std::array<SCapDescriptor, kCapabilityCount> descs{};
        const auto& rows = Rows();
        for (size_t i = 0; i < descs.size() && i < rows.size(); ++i)
            descs[i] = rows[i].desc;
        return descs;
    }();
    return s_descs;
}

CCapValueStore::CCapValueStore()
{
    const auto& rows = Rows();
    CapBytes ids;
    for (const SCapRow& row : rows) {
        CapBytes one = StoredU16({row.desc.wCapId});
        ids.insert(ids.end(), one.begin(), one.end());
    }
    for (size_t i = 0; i < m_values.size() && i < rows.size(); ++i) {
        bool bIds = rows[i].desc.wCapId == CAP_SUPPORTEDCAPS;
        m_values[i].allowed.bytes = bIds ? ids : rows[i].allowed;
        m_values[i].def.bytes = bIds ? ids : rows[i].def;
        m_values[i].current.bytes = m_values[i].def.bytes;
    }
    m_krvResolutions.bytes = StoredFloat({75, 100, 150, 200, 300, 400, 600});
}

CCapValueStore::SValues* CCapValueStore::Find(TW_UINT16 wCapId)
{
    // Both scalings keep their values in ICAP_XSCALING's lists.
    if (wCapId == ICAP_YSCALING)
        wCapId = ICAP_XSCALING;
    const auto& descs = CapDescriptors();
    auto it = std::find_if(descs.begin(), descs.end(), [&](const SCapDescriptor& d) { return d.wCapId == wCapId; });
    return it == descs.end() ? nullptr : &m_values[it - descs.begin()];
}

SCapList* CCapValueStore::Allowed(TW_UINT16 wCapId, bool bKRV)
{
    if (bKRV && (wCapId == ICAP_XRESOLUTION || wCapId == ICAP_YRESOLUTION))
        return &m_krvResolutions;
    SValues* p = Find(wCapId);
    return p ? &p->allowed : nullptr;
}

SCapList* CCapValueStore::Default(TW_UINT16 wCapId)
{
    SValues* p = Find(wCapId);
    return p ? &p->def : nullptr;
}

SCapList* CCapValueStore::Current(TW_UINT16 wCapId)
{
    SValues* p = Find(wCapId);
    return p ? &p->current : nullptr;
}
