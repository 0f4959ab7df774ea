// The names of the user's settings as the scanning dialog takes them: trimmed, without the
// characters that file names forbid and the comma, at most 16 characters; at most 16 names.
// Portable.
#pragma once

#include <cstddef>
#include <string>

constexpr size_t kSettingNameChars = 16;
constexpr size_t kMaxSettingNames = 16;

// bTyping: while the user types, blanks at the end stay (the next word follows them).
std::wstring CleanSettingName(const std::wstring& sTyped, bool bTyping = false);
