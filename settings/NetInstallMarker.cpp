#include "settings/NetInstallMarker.h"

#include "settings/FileIo.h"

#include <vector>

std::string EncodeUtf16Le(const std::wstring& szText)
{
    std::string szBytes;
    auto put = [&](uint32_t nUnit) {
        szBytes += static_cast<char>(nUnit & 0xFF);
        szBytes += static_cast<char>((nUnit >> 8) & 0xFF);
    };
    for (wchar_t c : szText) {
        const auto n = static_cast<uint32_t>(c);
        if (n >= 0x10000 && n <= 0x10FFFF) {  // only where wide characters are 32 bits
            put(0xD800 + ((n - 0x10000) >> 10));
            put(0xDC00 + ((n - 0x10000) & 0x3FF));
        } else {
            put(n);
        }
    }
    return szBytes;
}

std::optional<std::wstring> DecodeUtf16Le(const std::string& szBytes)
{
    if (szBytes.size() % 2 != 0)
        return std::nullopt;
    std::wstring szText;
    for (size_t i = 0; i < szBytes.size(); i += 2) {
        uint32_t n = static_cast<uint8_t>(szBytes[i]) | (static_cast<uint32_t>(static_cast<uint8_t>(szBytes[i + 1])) << 8);
        if constexpr (sizeof(wchar_t) == 4) {
            if (n >= 0xD800 && n <= 0xDBFF && i + 3 < szBytes.size()) {
                const uint32_t nLow = static_cast<uint8_t>(szBytes[i + 2]) |
                                      (static_cast<uint32_t>(static_cast<uint8_t>(szBytes[i + 3])) << 8);
                if (nLow >= 0xDC00 && nLow <= 0xDFFF) {
                    n = 0x10000 + ((n - 0xD800) << 10) + (nLow - 0xDC00);
                    i += 2;
                }
            }
        }
        szText += static_cast<wchar_t>(n);
    }
    return szText;
}

std::optional<std::wstring> ReadNetInstallMarker(const std::wstring& szPath)
{
    std::vector<uint8_t> bytes;
    if (ReadWholeFile(szPath, "rb", kNetInstallMarkerMaxBytes, bytes) != FileReadStatus::Ok)
        return std::nullopt;
    std::optional<std::wstring> szText = DecodeUtf16Le(std::string(bytes.begin(), bytes.end()));
    // A terminator written by someone else ends the text.
    if (szText) {
        const size_t nEnd = szText->find(L'\0');
        if (nEnd != std::wstring::npos)
            szText->resize(nEnd);
    }
    return szText;
}

bool CreateNetInstallMarker(const std::wstring& szPath)
{
    return OpenFileW(szPath, "wb") != nullptr;
}

bool WriteNetInstallMarker(const std::wstring& szPath, const std::wstring& szText)
{
    const std::string szBytes = EncodeUtf16Le(szText);
    return WriteFileAtomically(szPath, std::span(reinterpret_cast<const uint8_t*>(szBytes.data()), szBytes.size()));
}

CNetInstallDecision DecideNetInstall(const std::optional<std::wstring>& szMarker, const std::wstring& szStamp,
                                     bool bFileOutputMode)
{
    const wchar_t cMode = bFileOutputMode ? L'A' : L'T';
    CNetInstallDecision decision{true, std::wstring(1, cMode) + szStamp};
    if (!szMarker)
        return decision;
    const std::wstring szMarkerStamp = szMarker->empty() ? std::wstring() : szMarker->substr(1);
    if (szMarkerStamp != szStamp)
        return decision;
    const wchar_t cLetter = szMarker->empty() ? L'\0' : szMarker->front();
    if (cLetter == cMode || cLetter == L'D')
        return CNetInstallDecision{false, *szMarker};
    // Applied in the other mode before: now it has been applied in both.
    return CNetInstallDecision{true, L"D" + szStamp};
}
