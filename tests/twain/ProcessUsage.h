// What the test process holds: handles, private bytes and the busy bytes of its heaps, so that
// a storm can tell whether the source left anything behind.
#pragma once

#include <windows.h>

namespace mvltest {

struct SUsage {
    DWORD nHandles = 0;
    SIZE_T nPrivateBytes = 0;
    SIZE_T nHeapBytes = 0;  // busy bytes of every heap: sees a single leaked reply
};

SUsage Usage();

}  // namespace mvltest
