// The 27 user-interface languages: names (registry value and profile section), file codes,
// the system locales that map to each, and the per-language separator and Alt letters.
// Portable: the registry value and the locale come from the caller.
#pragma once

#include <cstdint>

constexpr int kLanguageCount = 27;
constexpr int kLanguageEnglish = 1;
constexpr int kLanguageRussian = 3;
constexpr int kLanguageFrench = 6;
constexpr int kLanguageItalian = 9;

struct SLanguageChars {
    wchar_t wcDecimal = L'.';
    uint8_t byPreviewKey = 0x50;  // P
    uint8_t byScanKey = 0x53;     // S
};

// "English", "Simplified_Chinese" ... for 0 to 26; null outside.
const wchar_t* LanguageNameAt(int nIndex);
// "enus", "zhcn" ... for 0 to 26; "enus" outside (the library every install has).
const wchar_t* LanguageCodeAt(int nIndex);
// The index a registry value names, compared with case; -1 when it names none of the
// selectable languages (Danish, Finnish, Dutch and Slovak are reached through the locale only).
int LanguageIndexFromName(const wchar_t* pszName);
// The index a system default locale maps to; English for every locale not listed.
int LanguageIndexFromLcid(uint32_t nLcid);
SLanguageChars LanguageCharsAt(int nIndex);
// Right-to-left languages: the file codes "he" and "ar".
bool IsRightToLeftCode(const wchar_t* pszCode);
