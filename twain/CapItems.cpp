#include "twain/CapItems.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

// Item types of the standard's later versions that this header does not name.
constexpr TW_UINT16 kTwtyStr1024 = 0x000D;
constexpr TW_UINT16 kTwtyUni512 = 0x000E;
constexpr size_t kStoredStringSize = sizeof(TW_STR32);

template <typename T>
T ReadAs(const std::uint8_t* p)
{
    T value;
    std::memcpy(&value, p, sizeof value);
    return value;
}

template <typename T>
void AppendAs(CapBytes& out, const T& value)
{
    const auto* p = reinterpret_cast<const std::uint8_t*>(&value);
    out.insert(out.end(), p, p + sizeof value);
}

bool IsStringType(TW_UINT16 wItemType)
{
    return wItemType >= TWTY_STR32 && wItemType <= TWTY_STR255;
}

}  // namespace

size_t StoredItemSize(TW_UINT16 wItemType)
{
    switch (wItemType) {
    case TWTY_INT8:
    case TWTY_UINT8: return 1;
    case TWTY_INT16:
    case TWTY_UINT16:
    case TWTY_BOOL: return 2;
    case TWTY_INT32:
    case TWTY_UINT32:
    case TWTY_FIX32: return 4;
    case TWTY_FRAME: return 4 * sizeof(float);
    default: return IsStringType(wItemType) ? kStoredStringSize : 0;
    }
}

size_t ContainerItemSize(TW_UINT16 wItemType)
{
    switch (wItemType) {
    case TWTY_FRAME: return sizeof(TW_FRAME);
    case TWTY_STR32: return sizeof(TW_STR32);
    case TWTY_STR64: return sizeof(TW_STR64);
    case TWTY_STR128: return sizeof(TW_STR128);
    case TWTY_STR255: return sizeof(TW_STR255);
    case kTwtyStr1024: return 1026;
    case kTwtyUni512: return 1024;
    case TWTY_HANDLE: return sizeof(TW_HANDLE);
    default: return StoredItemSize(wItemType);
    }
}

size_t OneValueItemSize(TW_UINT16 wItemType)
{
    return std::max<size_t>(sizeof(TW_UINT32), ContainerItemSize(wItemType));
}

TW_FIX32 FloatToFix32(float fValue)
{
    // Double keeps the product exact; the clamp keeps the truncation defined.
    double dScaled = static_cast<double>(fValue) * 65536.0 + 0.5;
    if (std::isnan(dScaled))
        dScaled = 0.0;
    dScaled = std::clamp(dScaled, -2147483648.0, 2147483647.0);
    auto nValue = static_cast<TW_INT32>(dScaled);
    TW_FIX32 fix;
    fix.Whole = static_cast<TW_INT16>(nValue >> 16);
    fix.Frac = static_cast<TW_UINT16>(nValue & 0xFFFF);
    return fix;
}

float Fix32ToFloat(TW_FIX32 fix)
{
    return static_cast<float>(fix.Whole + fix.Frac / 65536.0);
}

TW_UINT32 Fix32Bits(TW_FIX32 fix)
{
    return ReadAs<TW_UINT32>(reinterpret_cast<const std::uint8_t*>(&fix));
}

TW_FIX32 Fix32FromBits(TW_UINT32 dwBits)
{
    return ReadAs<TW_FIX32>(reinterpret_cast<const std::uint8_t*>(&dwBits));
}

TW_UINT32 StoredItemTo32(TW_UINT16 wItemType, const std::uint8_t* pItem)
{
    switch (StoredItemSize(wItemType)) {
    case 1: return pItem[0];
    case 2: return ReadAs<TW_UINT16>(pItem);
    case 4:
        if (wItemType == TWTY_FIX32)
            return Fix32Bits(FloatToFix32(ReadAs<float>(pItem)));
        return ReadAs<TW_UINT32>(pItem);
    default: return 0;
    }
}

void AppendContainerItem(TW_UINT16 wItemType, const std::uint8_t* pItem, bool bOneValue, CapBytes& out)
{
    if (wItemType == TWTY_FRAME) {
        float f[4];  // top, left, right, bottom
        std::memcpy(f, pItem, sizeof f);
        for (float fSide : {f[1], f[0], f[2], f[3]})
            AppendAs(out, FloatToFix32(fSide));
        return;
    }
    if (IsStringType(wItemType)) {
        // Stored strings always end within their 34 bytes; a list carries at most 32 characters.
        char sz[kStoredStringSize] = {};
        size_t nCopy = bOneValue ? kStoredStringSize : 32;
        std::memcpy(sz, pItem, nCopy);
        out.insert(out.end(), sz, sz + kStoredStringSize);
        out.resize(out.size() + ContainerItemSize(wItemType) - kStoredStringSize, 0);
        return;
    }
    TW_UINT32 dwValue = StoredItemTo32(wItemType, pItem);
    size_t nSize = bOneValue ? sizeof(TW_UINT32) : StoredItemSize(wItemType);
    const auto* p = reinterpret_cast<const std::uint8_t*>(&dwValue);
    out.insert(out.end(), p, p + nSize);
}

bool ContainerItemToStored(TW_UINT16 wItemType, const std::uint8_t* pItem, CapBytes& stored)
{
    if (wItemType == TWTY_FRAME) {
        TW_FRAME frame = ReadAs<TW_FRAME>(pItem);
        for (TW_FIX32 side : {frame.Top, frame.Left, frame.Right, frame.Bottom})
            AppendAs(stored, Fix32ToFloat(side));
        return true;
    }
    if (IsStringType(wItemType)) {
        size_t nField = ContainerItemSize(wItemType);
        const auto* pEnd = static_cast<const std::uint8_t*>(std::memchr(pItem, 0, nField));
        if (!pEnd)
            return false;
        // Cut to what storage holds and zero the rest, so that equal strings compare equal.
        char sz[kStoredStringSize] = {};
        std::memcpy(sz, pItem, std::min<size_t>(pEnd - pItem, kStoredStringSize - 1));
        stored.insert(stored.end(), sz, sz + kStoredStringSize);
        return true;
    }
    if (wItemType == TWTY_FIX32) {
        AppendAs(stored, Fix32ToFloat(ReadAs<TW_FIX32>(pItem)));
        return true;
    }
    size_t nSize = StoredItemSize(wItemType);
    if (nSize == 0)
        return false;
    stored.insert(stored.end(), pItem, pItem + nSize);
    return true;
}

CapBytes StoredU16(std::initializer_list<int> values)
{
    CapBytes out;
    for (int n : values)
        AppendAs(out, static_cast<TW_UINT16>(n));
    return out;
}

CapBytes StoredFloat(std::initializer_list<float> values)
{
    CapBytes out;
    for (float f : values)
        AppendAs(out, f);
    return out;
}

CapBytes StoredStr(std::initializer_list<const char*> values)
{
    CapBytes out;
    for (const char* psz : values) {
        char sz[kStoredStringSize] = {};
        std::memcpy(sz, psz, std::min(std::strlen(psz), kStoredStringSize - 1));
        out.insert(out.end(), sz, sz + kStoredStringSize);
    }
    return out;
}

CapBytes StoredFrame(float fLeft, float fTop, float fRight, float fBottom)
{
    return StoredFloat({fTop, fLeft, fRight, fBottom});
}
