// What the host field of the connection dialog keeps of what is typed: the characters of host
// names and addresses (A-Z a-z 0-9 . - : % /), at most four dot-separated groups, and at most
// 48 characters (a longer text gives the last valid one back). Portable.
#pragma once

#include <string>

constexpr std::size_t kMaxHostChars = 48;

std::wstring FilterHostText(const std::wstring& sTyped, const std::wstring& sLastValid);
