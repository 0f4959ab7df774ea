#include "twain/CapContainers.h"

#include <algorithm>
#include <cstring>

namespace {

template <typename T>
void AppendAs(CapBytes& out, const T& value)
{
    const auto* p = reinterpret_cast<const std::uint8_t*>(&value);
    out.insert(out.end(), p, p + sizeof value);
}

template <typename T>
T ReadAt(std::span<const std::uint8_t> block, size_t nOffset)
{
    T value;
    std::memcpy(&value, block.data() + nOffset, sizeof value);
    return value;
}

// The standard's item types, TWTY_INT8 to TWTY_HANDLE.
bool IsStandardItemType(TW_UINT16 wItemType)
{
    return wItemType <= TWTY_HANDLE;
}

const std::uint8_t* ItemAt(const CapBytes& list, size_t nIndex, size_t nItemSize)
{
    return (nIndex + 1) * nItemSize <= list.size() ? list.data() + nIndex * nItemSize : nullptr;
}

CapBytes BuildOneValue(const SReplySource& src, size_t nItemSize)
{
    const std::uint8_t* pItem = ItemAt(*src.pValues, 0, nItemSize);
    if (!pItem)
        return {};
    CapBytes out;
    AppendAs(out, src.wItemType);
    AppendContainerItem(src.wItemType, pItem, true, out);
    return out;
}

CapBytes BuildArray(const SReplySource& src, size_t nItemSize)
{
    CapBytes out;
    TW_UINT32 nCount = static_cast<TW_UINT32>(src.pValues->size() / nItemSize);
    AppendAs(out, src.wItemType);
    AppendAs(out, nCount);
    for (TW_UINT32 i = 0; i < nCount; ++i)
        AppendContainerItem(src.wItemType, ItemAt(*src.pValues, i, nItemSize), false, out);
    return out;
}

CapBytes BuildEnumeration(const SReplySource& src, size_t nItemSize)
{
    if (!src.pCurrent || !src.pDefault)
        return {};
    CapBytes out;
    TW_UINT32 nCount = static_cast<TW_UINT32>(src.pValues->size() / nItemSize);
    AppendAs(out, src.wItemType);
    AppendAs(out, nCount);
    AppendAs(out, StoredPosition(*src.pValues, *src.pCurrent, nItemSize));
    AppendAs(out, StoredPosition(*src.pValues, *src.pDefault, nItemSize));
    for (TW_UINT32 i = 0; i < nCount; ++i)
        AppendContainerItem(src.wItemType, ItemAt(*src.pValues, i, nItemSize), false, out);
    return out;
}

CapBytes BuildRange(const SReplySource& src, size_t nItemSize)
{
    const std::uint8_t* pMin = ItemAt(*src.pValues, 0, nItemSize);
    const std::uint8_t* pMax = ItemAt(*src.pValues, 1, nItemSize);
    const std::uint8_t* pStep = ItemAt(*src.pValues, 2, nItemSize);
    const std::uint8_t* pDef = src.pDefault ? ItemAt(*src.pDefault, 0, nItemSize) : nullptr;
    const std::uint8_t* pCur = src.pCurrent ? ItemAt(*src.pCurrent, 0, nItemSize) : nullptr;
    // A range carries 32-bit fields only.
    if (!pMin || !pMax || !pStep || !pDef || !pCur || nItemSize > sizeof(TW_UINT32))
        return {};
    CapBytes out;
    AppendAs(out, src.wItemType);
    for (const std::uint8_t* p : {pMin, pMax, pStep, pDef, pCur})
        AppendAs(out, StoredItemTo32(src.wItemType, p));
    return out;
}

}  // namespace

TW_UINT32 StoredPosition(const CapBytes& list, const CapBytes& value, size_t nItemSize)
{
    TW_UINT32 nCount = static_cast<TW_UINT32>(nItemSize ? list.size() / nItemSize : 0);
    if (value.size() < nItemSize)
        return nCount;
    for (TW_UINT32 i = 0; i < nCount; ++i)
        if (std::memcmp(list.data() + i * nItemSize, value.data(), nItemSize) == 0)
            return i;
    return nCount;
}

CapBytes BuildReplyContainer(TW_UINT16 wConType, const SReplySource& src)
{
    size_t nItemSize = StoredItemSize(src.wItemType);
    if (!src.pValues || nItemSize == 0)
        return {};
    switch (wConType) {
    case TWON_ONEVALUE: return BuildOneValue(src, nItemSize);
    case TWON_ARRAY: return BuildArray(src, nItemSize);
    case TWON_ENUMERATION: return BuildEnumeration(src, nItemSize);
    case TWON_RANGE: return BuildRange(src, nItemSize);
    default: return {};
    }
}

namespace {

SSetParse ParseOneValue(TW_UINT16 wEntryType, std::span<const std::uint8_t> block)
{
    SSetParse parse;
    if (block.size() < sizeof(TW_ONEVALUE))
        return parse;
    TW_UINT16 wItemType = ReadAt<TW_UINT16>(block, 0);
    if (!IsStandardItemType(wItemType))
        return parse;
    if (wItemType != wEntryType) {
        parse.eResult = ESetParse::WrongType;
        parse.dwItem = ReadAt<TW_UINT32>(block, offsetof(TW_ONEVALUE, Item));
        return parse;
    }
    if (block.size() < offsetof(TW_ONEVALUE, Item) + OneValueItemSize(wItemType))
        return parse;
    if (ContainerItemToStored(wItemType, block.data() + offsetof(TW_ONEVALUE, Item), parse.stored))
        parse.eResult = ESetParse::Ok;
    return parse;
}

SSetParse ParseEnumeration(TW_UINT16 wEntryType, std::span<const std::uint8_t> block)
{
    SSetParse parse;
    constexpr size_t kHeader = offsetof(TW_ENUMERATION, ItemList);
    if (block.size() < kHeader || ReadAt<TW_UINT16>(block, 0) != wEntryType)
        return parse;
    size_t nItemSize = ContainerItemSize(wEntryType);
    TW_UINT32 nItems = ReadAt<TW_UINT32>(block, offsetof(TW_ENUMERATION, NumItems));
    // The count must fit in the block it came in; the division cannot overflow.
    if (nItemSize == 0 || nItems == 0 || nItems > (block.size() - kHeader) / nItemSize)
        return parse;
    CapBytes last;
    for (TW_UINT32 i = 0; i < nItems; ++i) {
        last.clear();
        if (!ContainerItemToStored(wEntryType, block.data() + kHeader + size_t{i} * nItemSize, last))
            return parse;
    }
    parse.stored = std::move(last);
    parse.eResult = ESetParse::Ok;
    return parse;
}

}  // namespace

SSetParse ParseSetContainer(TW_UINT16 wConType, TW_UINT16 wEntryType, std::span<const std::uint8_t> block)
{
    switch (wConType) {
    case TWON_ONEVALUE: return ParseOneValue(wEntryType, block);
    case TWON_ENUMERATION: return ParseEnumeration(wEntryType, block);
    default: return {};
    }
}
