// Capability containers as an application handles them: replies it owns and frees, and the
// movable global memory blocks it sends with MSG_SET, of any size it likes.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>

#include <cstring>
#include <string>
#include <vector>

#include "harness/DsLoader.h"

namespace mvltest {

using Bytes = std::vector<unsigned char>;

template <typename T>
void Put(Bytes& out, const T& value)
{
    const auto* p = reinterpret_cast<const unsigned char*>(&value);
    out.insert(out.end(), p, p + sizeof value);
}

template <typename T>
T At(const Bytes& in, size_t nOffset)
{
    T value{};
    if (nOffset + sizeof value <= in.size())
        std::memcpy(&value, in.data() + nOffset, sizeof value);
    return value;
}

// A global memory block owned by the test, freed at the end.
class CGlobalBlock {
public:
    CGlobalBlock() = default;
    explicit CGlobalBlock(HGLOBAL h) : m_h(h) {}
    // A movable block of nSize bytes (at least 1) starting with the bytes given.
    CGlobalBlock(const Bytes& bytes, size_t nSize) : m_h(GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, nSize ? nSize : 1))
    {
        if (void* p = m_h ? GlobalLock(m_h) : nullptr) {
            std::memcpy(p, bytes.data(), std::min(bytes.size(), nSize));
            GlobalUnlock(m_h);
        }
    }
    explicit CGlobalBlock(const Bytes& bytes) : CGlobalBlock(bytes, bytes.size()) {}
    ~CGlobalBlock() { Reset(nullptr); }
    CGlobalBlock(const CGlobalBlock&) = delete;
    CGlobalBlock& operator=(const CGlobalBlock&) = delete;

    void Reset(HGLOBAL h)
    {
        if (m_h)
            GlobalFree(m_h);
        m_h = h;
    }
    HGLOBAL Get() const { return m_h; }
    SIZE_T Size() const { return m_h ? GlobalSize(m_h) : 0; }
    Bytes Read() const
    {
        Bytes out;
        if (void* p = m_h ? GlobalLock(m_h) : nullptr) {
            out.assign(static_cast<unsigned char*>(p), static_cast<unsigned char*>(p) + GlobalSize(m_h));
            GlobalUnlock(m_h);
        }
        return out;
    }

private:
    HGLOBAL m_h = nullptr;
};

// One capability triplet; a reply container lands in pReply, which then owns it.
inline TW_UINT16 CapCall(CTestSource& ds, TW_UINT16 wMsg, TW_UINT16 wCap, CGlobalBlock* pReply = nullptr,
                         TW_UINT16* pConType = nullptr)
{
    TW_CAPABILITY cap{wCap, TWON_DONTCARE16, nullptr};
    TW_UINT16 twRc = ds.Control(DAT_CAPABILITY, wMsg, &cap);
    if (pReply)
        pReply->Reset(static_cast<HGLOBAL>(cap.hContainer));
    else if (cap.hContainer)
        GlobalFree(static_cast<HGLOBAL>(cap.hContainer));
    if (pConType)
        *pConType = cap.ConType;
    return twRc;
}

inline TW_UINT16 CapSet(CTestSource& ds, TW_UINT16 wCap, TW_UINT16 wConType, const Bytes& container, size_t nSize)
{
    CGlobalBlock block(container, nSize);
    TW_CAPABILITY cap{wCap, wConType, block.Get()};
    TW_UINT16 twRc = ds.Control(DAT_CAPABILITY, MSG_SET, &cap);
    // MSG_SET never hands the application's container back or replaces it.
    if (cap.hContainer != block.Get())
        ADD_FAILURE() << "MSG_SET changed hContainer";
    return twRc;
}

inline Bytes OneValue(TW_UINT16 wType, TW_UINT32 dwItem)
{
    Bytes b;
    Put(b, wType);
    Put(b, dwItem);
    return b;
}

// A TW_FIX32 as the 32-bit Item of a container carries it: Whole in the first two bytes.
inline TW_UINT32 Fix32Item(double dValue)
{
    auto nValue = static_cast<TW_INT32>(dValue * 65536.0 + 0.5);
    auto wWhole = static_cast<TW_UINT16>(nValue >> 16);
    auto wFrac = static_cast<TW_UINT16>(nValue & 0xFFFF);
    return wWhole | (TW_UINT32{wFrac} << 16);
}

inline TW_UINT16 CapSetOne(CTestSource& ds, TW_UINT16 wCap, TW_UINT16 wType, TW_UINT32 dwItem)
{
    Bytes b = OneValue(wType, dwItem);
    return CapSet(ds, wCap, TWON_ONEVALUE, b, b.size());
}

// The Item of a ONEVALUE reply to wMsg; 0xDEADBEEF when the call failed.
inline TW_UINT32 CapItem(CTestSource& ds, TW_UINT16 wMsg, TW_UINT16 wCap)
{
    CGlobalBlock reply;
    if (CapCall(ds, wMsg, wCap, &reply) != TWRC_SUCCESS)
        return 0xDEADBEEF;
    return At<TW_UINT32>(reply.Read(), 2);
}

}  // namespace mvltest
