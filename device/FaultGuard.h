// The catch-all guard around every call into the device library: an access violation, a
// division by zero or another processor fault raised inside the call, and any C++ exception
// leaving it, make the call return -1 and the process goes on. Each thread has its own guard
// chain; guards nest.
#pragma once

#include <type_traits>
#include <utility>

using GuardedCall = int (*)(void* pContext);

// Runs pfn(pContext); -1 when it faults or throws.
int CallGuarded(GuardedCall pfn, void* pContext);

template <typename F>
int Guarded(F&& f)
{
    using Fn = std::remove_reference_t<F>;
    return CallGuarded([](void* p) -> int { return (*static_cast<Fn*>(p))(); }, const_cast<void*>(static_cast<const void*>(&f)));
}

// The code of the last processor fault a guard caught on this thread (0 for none), and the
// number of faults and exceptions caught on this thread; for diagnostics and tests.
unsigned long LastGuardFaultCode();
unsigned long GuardCatchCount();
