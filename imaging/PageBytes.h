// Bytes of a page that is written whole right after it is made: resize() leaves them unset
// instead of zeroing them first (on a 600 dpi colour page that zeroing, one thread touching
// 100 MB, costs as much as a third of the rotation).
#pragma once

#include <cstdint>
#include <memory>
#include <new>
#include <utility>
#include <vector>

template <typename T>
struct CNoInitAllocator : std::allocator<T> {
    using value_type = T;
    template <typename U>
    struct rebind {
        using other = CNoInitAllocator<U>;
    };
    CNoInitAllocator() noexcept = default;
    template <typename U>
    CNoInitAllocator(const CNoInitAllocator<U>&) noexcept {}
    // Default-initialises: for bytes that is no write at all.
    template <typename U>
    void construct(U* p) noexcept(noexcept(::new (static_cast<void*>(p)) U))
    {
        ::new (static_cast<void*>(p)) U;
    }
    template <typename U, typename... Args>
    void construct(U* p, Args&&... args)
    {
        ::new (static_cast<void*>(p)) U(std::forward<Args>(args)...);
    }
};

using CPageBytes = std::vector<uint8_t, CNoInitAllocator<uint8_t>>;
