// Names of TWAIN codes for messages, the -v triplet trace and the capability listing.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

// "ICAP_XRESOLUTION", or "" when the capability has no name here.
const char* CapabilityName(std::uint16_t wCap);
// A name as above, or a number (decimal or 0x hex), case-insensitive.
std::optional<std::uint16_t> CapabilityFromText(const std::string& sText);
const char* ItemTypeName(std::uint16_t wType);
const char* ContainerName(std::uint16_t wCon);
const char* ReturnCodeName(std::uint16_t wRc);
const char* ConditionCodeName(std::uint16_t wCc);
// The condition code in words, for the user.
const char* ConditionCodeText(std::uint16_t wCc);
const char* DataGroupName(std::uint32_t nDg);
const char* DatName(std::uint16_t wDat);
const char* MsgName(std::uint16_t wMsg);
