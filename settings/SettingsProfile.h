// The settings store's view of the product profile: string keys of section "TWAIN". The
// Windows build reads the profile INI; other builds (and tests) install their own reader.
#pragma once

#include <string>

using TwainProfileReader = std::wstring (*)(const wchar_t* szKey);

// The data source installs the INI reader when it loads (win/SettingsProfileWin.cpp); with no
// reader every key reads as empty.
void SetTwainProfileReader(TwainProfileReader pfnReader);

// The key's value, "" when missing; read again on every call.
std::wstring ReadTwainProfileString(const wchar_t* szKey);

// The profile's "Version", narrowed to at most 19 bytes: the text stored in and compared with
// the "version" object of a settings file.
std::string CurrentSettingsVersion();

// Narrows to UTF-8 of at most nMaxBytes, never cutting a character in two.
std::string NarrowBounded(const std::wstring& szText, size_t nMaxBytes);
