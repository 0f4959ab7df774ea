// How capability items are kept and how they travel: the stored representation of each
// item type, the size of an item in an application's container, and the TW_FIX32 conversions.
// Portable: no <windows.h>.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "twain/TwainTypes.h"

using CapBytes = std::vector<std::uint8_t>;

// Bytes one item occupies in storage (FIX32 as a float, FRAME as four floats in the order
// top, left, right, bottom, every string type as 34 bytes); 0 for a type the source never stores.
size_t StoredItemSize(TW_UINT16 wItemType);

// Bytes one item occupies in an ENUMERATION or ARRAY list of the standard's layout;
// 0 for an item type outside the standard's.
size_t ContainerItemSize(TW_UINT16 wItemType);

// Bytes the Item field of a TW_ONEVALUE occupies (at least the 4 of a TW_UINT32).
size_t OneValueItemSize(TW_UINT16 wItemType);

// The conversions of the TWAIN sample code: value times 65536 plus 0.5, truncated; the result is
// clamped to the 32-bit range so that no value makes the conversion undefined.
TW_FIX32 FloatToFix32(float fValue);
float Fix32ToFloat(TW_FIX32 fix);
TW_UINT32 Fix32Bits(TW_FIX32 fix);
TW_FIX32 Fix32FromBits(TW_UINT32 dwBits);

// One stored item's value widened as a container's 32-bit field carries it: integers of up to
// 16 bits zero-extended, FIX32 converted. pItem holds StoredItemSize(wItemType) bytes.
TW_UINT32 StoredItemTo32(TW_UINT16 wItemType, const std::uint8_t* pItem);

// Appends one stored item as a container carries it: FRAME as four TW_FIX32 in the order left,
// top, right, bottom. In a ONEVALUE (bOneValue) items of up to 32 bits fill the 4-byte Item and a
// string is copied whole; in a list each item has its own size and a string at most 32 characters.
void AppendContainerItem(TW_UINT16 wItemType, const std::uint8_t* pItem, bool bOneValue, CapBytes& out);

// Converts one item of an application's container to the stored representation. pItem holds
// ContainerItemSize(wItemType) bytes; the little-endian Item of a ONEVALUE starts the same way.
// False, with nothing written, when a string has no terminator within its field.
bool ContainerItemToStored(TW_UINT16 wItemType, const std::uint8_t* pItem, CapBytes& stored);

// Builders of stored lists for the table's initial values.
CapBytes StoredU16(std::initializer_list<int> values);
CapBytes StoredFloat(std::initializer_list<float> values);
CapBytes StoredStr(std::initializer_list<const char*> values);
CapBytes StoredFrame(float fLeft, float fTop, float fRight, float fBottom);
