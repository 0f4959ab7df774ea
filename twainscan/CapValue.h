// Capability containers as bytes: read from what a source returns (checked against the
// size it came in) and built for MSG_SET. Portable, so the checks are tested natively.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

using CapItem = std::vector<std::uint8_t>;

struct SCapValue {
    std::uint16_t wCon = 0;
    std::uint16_t wType = 0;
    // ONEVALUE: one item; ENUMERATION, ARRAY: the list; RANGE: min, max, step, default, current.
    std::vector<CapItem> items;
    std::size_t nCurrent = 0;  // ENUMERATION
    std::size_t nDefault = 0;  // ENUMERATION
};

// Bytes of one item of the type; 0 for a type this tool does not know.
std::size_t CapItemSize(std::uint16_t wType);
bool ParseCapContainer(std::uint16_t wCon, const std::uint8_t* pData, std::size_t nSize, SCapValue* pValue,
                       std::string* pError);
std::string FormatCapItem(std::uint16_t wType, const CapItem& item);
// "current X, default Y, allowed A, B, C" / "current X" / "from MIN to MAX step S, ..."
std::string DescribeCapValue(const SCapValue& value);
// The current value as a number (integers, BOOL, FIX32); empty for strings and frames.
std::optional<double> CurrentNumber(const SCapValue& value);
// The item for text given on the command line: integers in the type's range, true/false, decimals.
bool EncodeCapItem(std::uint16_t wType, const std::string& sText, CapItem* pItem, std::string* pError);
CapItem NumberItem(std::uint16_t wType, double dValue);
// A TW_ONEVALUE container: the item type followed by the item (at least the 4-byte Item field).
std::vector<std::uint8_t> OneValueBytes(std::uint16_t wType, const CapItem& item);
