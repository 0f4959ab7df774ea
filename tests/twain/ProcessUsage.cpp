#include "twain/ProcessUsage.h"

#include <psapi.h>

#include <algorithm>
#include <vector>

namespace mvltest {

namespace {

SIZE_T HeapBusyBytes()
{
    std::vector<HANDLE> heaps(GetProcessHeaps(0, nullptr) + 16);
    heaps.resize(GetProcessHeaps(static_cast<DWORD>(heaps.size()), heaps.data()));
    SIZE_T nBusy = 0;
    for (HANDLE hHeap : heaps) {
        if (!HeapLock(hHeap))
            continue;
        PROCESS_HEAP_ENTRY entry{};
        while (HeapWalk(hHeap, &entry))
            if (entry.wFlags & PROCESS_HEAP_ENTRY_BUSY)
                nBusy += entry.cbData;
        HeapUnlock(hHeap);
    }
    return nBusy;
}

// Wine reports no handle count: there, the open handles are counted by asking about each value.
DWORD CountOpenHandles()
{
    DWORD nCount = 0;
    if (GetProcessHandleCount(GetCurrentProcess(), &nCount) && nCount > 0)
        return nCount;
    for (ULONG_PTR n = 4; n < 0x10000; n += 4) {
        DWORD dwFlags = 0;
        if (GetHandleInformation(reinterpret_cast<HANDLE>(n), &dwFlags))
            ++nCount;
    }
    return nCount;
}

}  // namespace

SUsage Usage()
{
    SUsage u;
    u.nHandles = CountOpenHandles();
    PROCESS_MEMORY_COUNTERS_EX pmc{};
    pmc.cb = sizeof pmc;
    K32GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&pmc), sizeof pmc);
    // Wine leaves PrivateUsage at 0 and fills PagefileUsage, which Windows keeps equal to it.
    u.nPrivateBytes = std::max(pmc.PrivateUsage, pmc.PagefileUsage);
    u.nHeapBytes = HeapBusyBytes();
    return u;
}

}  // namespace mvltest
