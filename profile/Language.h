// The user-interface language: chosen from the registry value "Language" under the key the
// product profile names, with the system's default locale as the fallback.
#pragma once

#include <windows.h>

#include "profile/LanguageTable.h"

extern int g_LangugueID;          // 0 to 26, written by each selection
extern BOOL g_bHebrew;            // right-to-left ("he" or "ar"): the caption takes its RTL form
extern wchar_t g_wcDecimalSep;    // decimal separator of displayed numbers
extern BYTE g_byPreviewKey;       // Alt + this virtual key previews
extern BYTE g_byScanKey;          // Alt + this virtual key scans

constexpr int kLanguageCodeChars = 260;

// Selects the language and writes its file code (at most 260 characters with the end) to
// pszCode, which may be null; sets g_LangugueID, g_bHebrew and the per-language characters.
void SelectLanguage(wchar_t* pszCode);

// The table's name for index 0 to 26 (the profile section name); null outside.
const wchar_t* LanguageName(int nIndex);

// Replaces the system locale query (tests); null restores it.
void SetSystemLcidQuery(LCID (*pfnQuery)());
