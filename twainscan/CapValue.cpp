#include "twainscan/CapValue.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "twain/TwainTypes.h"

namespace {

std::uint32_t ReadLe(const std::uint8_t* p, std::size_t n)
{
    std::uint32_t v = 0;
    for (std::size_t i = 0; i < n && i < 4; ++i)
        v |= static_cast<std::uint32_t>(p[i]) << (8 * i);
    return v;
}

double FixToDouble(std::uint32_t nRaw)
{
    auto nWhole = static_cast<std::int16_t>(nRaw & 0xFFFF);
    return nWhole + static_cast<double>(nRaw >> 16) / 65536.0;
}

std::string FormatNumber(double d)
{
    char sz[32];
    snprintf(sz, sizeof(sz), "%.4g", d);
    return sz;
}

bool IsString(std::uint16_t wType)
{
    return wType == TWTY_STR32 || wType == TWTY_STR64 || wType == TWTY_STR128 || wType == TWTY_STR255;
}

}  // namespace

std::size_t CapItemSize(std::uint16_t wType)
{
    switch (wType) {
    case TWTY_INT8:
    case TWTY_UINT8:
        return 1;
    case TWTY_INT16:
    case TWTY_UINT16:
    case TWTY_BOOL:
        return 2;
    case TWTY_INT32:
    case TWTY_UINT32:
    case TWTY_FIX32:
        return 4;
    case TWTY_FRAME:
        return 16;
    case TWTY_STR32:
        return 34;
    case TWTY_STR64:
        return 66;
    case TWTY_STR128:
        return 130;
    case TWTY_STR255:
        return 256;
    case TWTY_HANDLE:
        return sizeof(void*);
    default:
        return 0;
    }
}

bool ParseCapContainer(std::uint16_t wCon, const std::uint8_t* pData, std::size_t nSize, SCapValue* pValue,
                       std::string* pError)
{
    auto fail = [pError](const char* pszText) {
        *pError = pszText;
        return false;
    };
    if (!pData || nSize < 2)
        return fail("no container");
    SCapValue value;
    value.wCon = wCon;
    value.wType = static_cast<std::uint16_t>(ReadLe(pData, 2));
    std::size_t nItem = CapItemSize(value.wType);
    if (nItem == 0)
        return fail("unknown item type");
    if (wCon == TWON_ONEVALUE) {
        if (nSize < 2 + nItem)
            return fail("container shorter than its item");
        value.items.emplace_back(pData + 2, pData + 2 + nItem);
    } else if (wCon == TWON_RANGE) {
        if (nSize < sizeof(TW_RANGE) || nItem > 4)
            return fail("container shorter than a range");
        for (int i = 0; i < 5; ++i)
            value.items.emplace_back(pData + 2 + 4 * i, pData + 2 + 4 * i + nItem);
    } else if (wCon == TWON_ENUMERATION || wCon == TWON_ARRAY) {
        std::size_t nHeader = wCon == TWON_ARRAY ? 6 : 14;
        if (nSize < nHeader)
            return fail("container shorter than its header");
        std::size_t nCount = ReadLe(pData + 2, 4);
        // The count must fit the memory it came in, whatever it claims.
        if (nCount > (nSize - nHeader) / nItem)
            return fail("item count larger than the container");
        if (wCon == TWON_ENUMERATION) {
            value.nCurrent = ReadLe(pData + 6, 4);
            value.nDefault = ReadLe(pData + 10, 4);
            if (nCount > 0 && (value.nCurrent >= nCount || value.nDefault >= nCount))
                return fail("current or default index outside the list");
        }
        for (std::size_t i = 0; i < nCount; ++i)
            value.items.emplace_back(pData + nHeader + i * nItem, pData + nHeader + (i + 1) * nItem);
    } else {
        return fail("unknown container type");
    }
    *pValue = std::move(value);
    return true;
}

std::string FormatCapItem(std::uint16_t wType, const CapItem& item)
{
    if (item.size() < CapItemSize(wType))
        return "?";
    std::uint32_t n = ReadLe(item.data(), item.size());
    switch (wType) {
    case TWTY_INT8:
        return std::to_string(static_cast<std::int8_t>(n));
    case TWTY_INT16:
        return std::to_string(static_cast<std::int16_t>(n));
    case TWTY_INT32:
        return std::to_string(static_cast<std::int32_t>(n));
    case TWTY_BOOL:
        return n ? "TRUE" : "FALSE";
    case TWTY_FIX32:
        return FormatNumber(FixToDouble(n));
    case TWTY_FRAME: {
        std::string s;
        for (int i = 0; i < 4; ++i)
            s += (i ? "," : "") + FormatNumber(FixToDouble(ReadLe(item.data() + 4 * i, 4)));
        return s;
    }
    case TWTY_HANDLE:
        return "(handle)";
    default:
        if (IsString(wType)) {
            std::string s(reinterpret_cast<const char*>(item.data()), item.size());
            return "\"" + s.substr(0, s.find('\0')) + "\"";
        }
        return std::to_string(n);
    }
}

std::string DescribeCapValue(const SCapValue& value)
{
    auto item = [&value](std::size_t i) { return FormatCapItem(value.wType, value.items[i]); };
    std::string s;
    if (value.wCon == TWON_ONEVALUE && !value.items.empty())
        return "current " + item(0);
    if (value.wCon == TWON_RANGE && value.items.size() == 5)
        return "current " + item(4) + ", default " + item(3) + ", allowed " + item(0) + " to " + item(1) + " step " +
               item(2);
    if (value.wCon == TWON_ENUMERATION && !value.items.empty())
        s = "current " + item(value.nCurrent) + ", default " + item(value.nDefault) + ", allowed ";
    else if (value.wCon == TWON_ARRAY)
        s = "values ";
    for (std::size_t i = 0; i < value.items.size(); ++i)
        s += (i ? ", " : "") + item(i);
    return value.items.empty() ? s + "(none)" : s;
}

std::optional<double> CurrentNumber(const SCapValue& value)
{
    std::size_t nIndex = value.wCon == TWON_RANGE ? 4 : value.wCon == TWON_ENUMERATION ? value.nCurrent : 0;
    if (nIndex >= value.items.size() || IsString(value.wType) || value.wType == TWTY_FRAME ||
        value.wType == TWTY_HANDLE)
        return std::nullopt;
    const CapItem& item = value.items[nIndex];
    std::uint32_t n = ReadLe(item.data(), item.size());
    switch (value.wType) {
    case TWTY_INT8:
        return static_cast<std::int8_t>(n);
    case TWTY_INT16:
        return static_cast<std::int16_t>(n);
    case TWTY_INT32:
        return static_cast<std::int32_t>(n);
    case TWTY_FIX32:
        return FixToDouble(n);
    default:
        return n;
    }
}

CapItem NumberItem(std::uint16_t wType, double dValue)
{
    std::uint32_t nRaw = 0;
    if (wType == TWTY_FIX32) {
        long n = std::lround(dValue * 65536.0);
        nRaw = (static_cast<std::uint32_t>(n >> 16) & 0xFFFF) | (static_cast<std::uint32_t>(n & 0xFFFF) << 16);
    } else {
        nRaw = static_cast<std::uint32_t>(static_cast<std::int64_t>(std::llround(dValue)));
    }
    CapItem item(CapItemSize(wType));
    for (std::size_t i = 0; i < item.size() && i < 4; ++i)
        item[i] = static_cast<std::uint8_t>(nRaw >> (8 * i));
    return item;
}

bool EncodeCapItem(std::uint16_t wType, const std::string& sText, CapItem* pItem, std::string* pError)
{
    auto fail = [pError, &sText](const std::string& sWhy) {
        *pError = "\"" + sText + "\" " + sWhy;
        return false;
    };
    if (IsString(wType)) {
        std::size_t nSize = CapItemSize(wType);
        if (sText.size() >= nSize - 1)
            return fail("is too long for the capability");
        CapItem item(nSize, 0);
        std::memcpy(item.data(), sText.data(), sText.size());
        *pItem = item;
        return true;
    }
    if (wType == TWTY_BOOL) {
        std::string s;
        for (char c : sText)
            s += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        if (s != "true" && s != "false" && s != "1" && s != "0" && s != "yes" && s != "no")
            return fail("is no truth value (true or false)");
        *pItem = NumberItem(wType, s == "true" || s == "1" || s == "yes");
        return true;
    }
    char* pEnd = nullptr;
    errno = 0;
    double d = std::strtod(sText.c_str(), &pEnd);
    if (sText.empty() || *pEnd != '\0' || errno != 0 || !std::isfinite(d))
        return fail("is not a number");
    double dMin = 0, dMax = 0;
    switch (wType) {
    case TWTY_INT8: dMin = -128; dMax = 127; break;
    case TWTY_UINT8: dMax = 255; break;
    case TWTY_INT16: dMin = -32768; dMax = 32767; break;
    case TWTY_UINT16: dMax = 65535; break;
    case TWTY_INT32: dMin = -2147483648.0; dMax = 2147483647.0; break;
    case TWTY_UINT32: dMax = 4294967295.0; break;
    case TWTY_FIX32: dMin = -32768; dMax = 32767.99998; break;
    default:
        return fail("cannot be set for this item type");
    }
    if (d < dMin || d > dMax || (wType != TWTY_FIX32 && d != std::floor(d)))
        return fail("is outside the capability's item type");
    *pItem = NumberItem(wType, d);
    return true;
}

std::vector<std::uint8_t> OneValueBytes(std::uint16_t wType, const CapItem& item)
{
    std::vector<std::uint8_t> bytes(std::max(sizeof(TW_ONEVALUE), 2 + item.size()), 0);
    bytes[0] = static_cast<std::uint8_t>(wType);
    bytes[1] = static_cast<std::uint8_t>(wType >> 8);
    std::copy(item.begin(), item.end(), bytes.begin() + 2);
    return bytes;
}
