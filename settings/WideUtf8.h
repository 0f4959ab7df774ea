// Conversions between wide text (UTF-16 on Windows, UTF-32 elsewhere) and UTF-8, and
// from wide paths to filesystem paths. Settings files store names as UTF-8 on every platform.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

// Strict: a lone surrogate or a code point outside Unicode gives no result, so a name that
// cannot be stored exactly is never stored approximately.
std::optional<std::string> WideToUtf8(std::wstring_view szWide);

// Lenient: bytes that are not well-formed UTF-8 (files are untrusted) become U+FFFD.
std::wstring Utf8ToWide(std::string_view szUtf8);

std::filesystem::path WideToPath(const std::wstring& szPath);
