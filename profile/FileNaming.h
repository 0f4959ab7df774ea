// Rules behind the file and memory utilities, free of the file system and the locale
// services: the next free dated or numbered name among given names, the size a DIB needs,
// and which country codes take US paper.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// "%04d-%02d-%02d_" for the given date.
std::wstring DatedPrefix(int nYear, int nMonth, int nDay);
// The number after sPrefix in a name: its leading decimal digits after any blanks, 0 when there
// are none; capped rather than wrapped for absurdly long digit runs.
int64_t NumberAfterPrefix(const std::wstring& sName, size_t nPrefixLen);
// Whether sName starts with sPrefix, ignoring case as file names do.
bool StartsWithNoCase(const std::wstring& sName, const std::wstring& sPrefix);

// The next dated name: prefix + "%03d" of the largest number among names with that prefix plus
// one, at least 1.
std::wstring NextDatedName(const std::vector<std::wstring>& names, const std::wstring& sPrefix);
// The next numbered name: the base itself when no name starts with it, else "%s %d" with the
// largest number found plus one (a name equal to the base counts as 0).
std::wstring NextNumberedName(const std::vector<std::wstring>& names, const std::wstring& sBase);

// Bytes of a packed DIB by mode (0: 1 bit, 1: 8 bits, other: 24 bits), header and colour table
// included; 64 bits, so that large pages are not understated.
uint64_t DibCheckBytes(uint32_t nWidth, uint32_t nHeight, int nMode);
// Bytes of one 24-bit DIB row: (width * 3 + 3) / 4 * 4.
uint64_t DibRowBytes24(uint32_t nWidth);

// False for the Americas (country codes 1, 2, 50 to 59, 500 to 599): US paper there.
bool IsMetricCountryCode(int nCountry);
