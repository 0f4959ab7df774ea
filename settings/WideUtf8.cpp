#include "settings/WideUtf8.h"

#include <cstdint>

namespace {

constexpr char32_t kReplacement = 0xFFFD;
constexpr bool kWide16 = sizeof(wchar_t) == 2;

void AppendUtf8(std::string& szOut, char32_t c)
{
    if (c < 0x80) {
        szOut += static_cast<char>(c);
    } else if (c < 0x800) {
        szOut += static_cast<char>(0xC0 | (c >> 6));
        szOut += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        szOut += static_cast<char>(0xE0 | (c >> 12));
        szOut += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        szOut += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        szOut += static_cast<char>(0xF0 | (c >> 18));
        szOut += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        szOut += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        szOut += static_cast<char>(0x80 | (c & 0x3F));
    }
}

void AppendWide(std::wstring& szOut, char32_t c)
{
    if (kWide16 && c >= 0x10000) {
        c -= 0x10000;
        szOut += static_cast<wchar_t>(0xD800 + (c >> 10));
        szOut += static_cast<wchar_t>(0xDC00 + (c & 0x3FF));
    } else {
        szOut += static_cast<wchar_t>(c);
    }
}

bool IsSurrogate(char32_t c) { return c >= 0xD800 && c <= 0xDFFF; }

// Decodes one UTF-8 sequence at szIn[i]; returns its length, 0 when malformed.
size_t DecodeUtf8(std::string_view szIn, size_t i, char32_t& c)
{
    const auto b0 = static_cast<uint8_t>(szIn[i]);
    size_t n = 0;
    char32_t cMin = 0;
    if (b0 < 0x80) {
        c = b0;
        return 1;
    } else if ((b0 & 0xE0) == 0xC0) {
        n = 2, c = b0 & 0x1F, cMin = 0x80;
    } else if ((b0 & 0xF0) == 0xE0) {
        n = 3, c = b0 & 0x0F, cMin = 0x800;
    } else if ((b0 & 0xF8) == 0xF0) {
        n = 4, c = b0 & 0x07, cMin = 0x10000;
    } else {
        return 0;
    }
    if (i + n > szIn.size())
        return 0;
    for (size_t k = 1; k < n; ++k) {
        const auto b = static_cast<uint8_t>(szIn[i + k]);
        if ((b & 0xC0) != 0x80)
            return 0;
        c = (c << 6) | (b & 0x3F);
    }
    // Overlong forms and surrogates are not characters.
    if (c < cMin || c > 0x10FFFF || IsSurrogate(c))
        return 0;
    return n;
}

}  // namespace

std::optional<std::string> WideToUtf8(std::wstring_view szWide)
{
    std::string szOut;
    szOut.reserve(szWide.size());
    for (size_t i = 0; i < szWide.size(); ++i) {
        auto c = static_cast<char32_t>(szWide[i]);
        if (kWide16 && c >= 0xD800 && c <= 0xDBFF && i + 1 < szWide.size()) {
            const auto cLow = static_cast<char32_t>(szWide[i + 1]);
            if (cLow >= 0xDC00 && cLow <= 0xDFFF) {
                c = 0x10000 + ((c - 0xD800) << 10) + (cLow - 0xDC00);
                ++i;
            }
        }
        if (IsSurrogate(c) || c > 0x10FFFF)
            return std::nullopt;
        AppendUtf8(szOut, c);
    }
    return szOut;
}

std::wstring Utf8ToWide(std::string_view szUtf8)
{
    std::wstring szOut;
    szOut.reserve(szUtf8.size());
    size_t i = 0;
    while (i < szUtf8.size()) {
        char32_t c = 0;
        const size_t n = DecodeUtf8(szUtf8, i, c);
        if (n == 0) {
            AppendWide(szOut, kReplacement);
            ++i;
        } else {
            AppendWide(szOut, c);
            i += n;
        }
    }
    return szOut;
}

std::filesystem::path WideToPath(const std::wstring& szPath)
{
#if defined(_WIN32)
    return std::filesystem::path(szPath);
#else
    // Paths here are UTF-8 byte strings; an unconvertible wide path names nothing.
    return std::filesystem::path(WideToUtf8(szPath).value_or(std::string()));
#endif
}
