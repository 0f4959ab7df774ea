// The four capability containers in the standard's layout with 2-byte packing: building the
// source's replies, and reading what an application sends with MSG_SET, which is untrusted.
// Portable: no <windows.h>.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

#include "twain/CapItems.h"

// A reply container of type wConType (TWON_*) from stored lists. For ONEVALUE and ARRAY the
// values are pValues; for ENUMERATION the allowed values with the positions of current and
// default in them (the count when absent); for RANGE the allowed values are min, max and step.
struct SReplySource {
    TW_UINT16 wItemType;
    const CapBytes* pValues;   // ONEVALUE (first item), ARRAY, ENUMERATION and RANGE lists
    const CapBytes* pCurrent;  // ENUMERATION, RANGE
    const CapBytes* pDefault;  // ENUMERATION, RANGE
};
// Empty when the container type or item type cannot be built.
CapBytes BuildReplyContainer(TW_UINT16 wConType, const SReplySource& src);

// The position of the first stored item of pValue in the list; the list's count when absent.
TW_UINT32 StoredPosition(const CapBytes& list, const CapBytes& value, size_t nItemSize);

// What an application's MSG_SET container says, once checked against the memory it came in.
enum class ESetParse {
    Ok,          // items hold the stored value to make current
    WrongType,   // a standard ONEVALUE of another item type: dwItem holds its 32-bit Item
    BadValue,    // too short, empty, a string without terminator, a type outside the standard
};
struct SSetParse {
    ESetParse eResult = ESetParse::BadValue;
    CapBytes stored;      // the one stored item that becomes current
    TW_UINT32 dwItem = 0; // the raw Item of a ONEVALUE
};
// Reads a ONEVALUE or ENUMERATION (wConType) of an entry of item type wEntryType from the block.
// Of an ENUMERATION every item is checked and the last one is kept.
SSetParse ParseSetContainer(TW_UINT16 wConType, TW_UINT16 wEntryType, std::span<const std::uint8_t> block);
