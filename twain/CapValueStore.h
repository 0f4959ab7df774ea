// The values behind the capability table: for each capability the allowed values, the default
// and the current value, in stored representation. They live as long as the process, so a value
// set by one application is still current when the source is opened again.
// Portable: no <windows.h>.
#pragma once

#include <array>
#include <cstddef>

#include "twain/CapItems.h"

// One list of stored items of one type.
struct SCapList {
    CapBytes bytes;
    size_t Count(size_t nItemSize) const { return nItemSize ? bytes.size() / nItemSize : 0; }
};

// The fixed description of one capability: what the table is built from.
struct SCapDescriptor {
    TW_UINT16 wCapId;
    TW_UINT16 wItemType;
    TW_UINT16 wGetContainer;
    TW_UINT16 wCurrentContainer;
    TW_UINT32 dwOps;
};

constexpr TW_UINT32 kOpsGet = 0x01;          // TWQC_GET
constexpr TW_UINT32 kOpsSet = 0x02;          // TWQC_SET
constexpr TW_UINT32 kOpsGetDefault = 0x04;   // TWQC_GETDEFAULT
constexpr TW_UINT32 kOpsGetCurrent = 0x08;   // TWQC_GETCURRENT
constexpr TW_UINT32 kOpsReset = 0x10;        // TWQC_RESET
constexpr TW_UINT32 kOpsReadOnly = kOpsGet | kOpsGetDefault | kOpsGetCurrent;
constexpr TW_UINT32 kOpsAll = kOpsReadOnly | kOpsSet | kOpsReset;
constexpr TW_UINT32 kOpsAllButReset = kOpsReadOnly | kOpsSet;

constexpr size_t kCapabilityCount = 45;

// The capabilities in table order (CAP_SUPPORTEDCAPS first), as the build step fills the table.
const std::array<SCapDescriptor, kCapabilityCount>& CapDescriptors();

class CCapValueStore {
public:
    CCapValueStore();

    // The lists of a capability; null for an id the source does not support. ICAP_XSCALING and
    // ICAP_YSCALING share their default and current value; the resolutions' allowed values
    // depend on whether the product has the extra resolutions (bKRV).
    SCapList* Allowed(TW_UINT16 wCapId, bool bKRV);
    SCapList* Default(TW_UINT16 wCapId);
    SCapList* Current(TW_UINT16 wCapId);

private:
    struct SValues {
        SCapList allowed;
        SCapList def;
        SCapList current;
    };
    SValues* Find(TW_UINT16 wCapId);

    std::array<SValues, kCapabilityCount> m_values;
    SCapList m_krvResolutions;
};
