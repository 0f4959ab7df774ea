// Values a test puts into the environment of the process to reach what otherwise takes two
// minutes, a full disk, a nearly exhausted address space or a user's click. In normal use
// none of them is set and every caller keeps its real behaviour.
#pragma once

#include <cstdint>
#include <optional>

// The environment variable's value as an unsigned decimal number; empty when it is not set or
// not a number.
std::optional<uint64_t> SeamValue(const wchar_t* pszName);

// The names, kept together so that a test and the source agree.
inline constexpr const wchar_t* kSeamNextPageMs = L"mvlTWAINseamNextPageMs";      // next-page deadline
inline constexpr const wchar_t* kSeamFreeBytes = L"mvlTWAINseamFreeBytes";        // free disk bytes
inline constexpr const wchar_t* kSeamAvailVirtual = L"mvlTWAINseamAvailVirtual";  // available virtual memory
inline constexpr const wchar_t* kSeamCancelAtPage = L"mvlTWAINseamCancelAtPage";  // Cancel pressed while this
                                                                                   // page of the batch is read
inline constexpr const wchar_t* kSeamManualDuplex = L"mvlTWAINseamManualDuplex";  // manual duplex ticked on the
                                                                                   // basic settings page
