#include "transfer/ManagerEntry.h"

#include <limits>

namespace {

using MemAllocateProc = TW_HANDLE(TW_CALLINGSTYLE*)(TW_UINT32);
using MemFreeProc = void(TW_CALLINGSTYLE*)(TW_HANDLE);
using MemLockProc = TW_MEMREF(TW_CALLINGSTYLE*)(TW_HANDLE);
using MemUnlockProc = void(TW_CALLINGSTYLE*)(TW_HANDLE);

struct SEntryPoints {
    DSMENTRYPROC pfnEntry = nullptr;
    MemAllocateProc pfnAlloc = nullptr;
    MemFreeProc pfnFree = nullptr;
    MemLockProc pfnLock = nullptr;
    MemUnlockProc pfnUnlock = nullptr;
};

SEntryPoints g_entry;

// A function of a loaded library, as the manager's are; a stray value points into none.
bool InLoadedModule(const void* pfn)
{
    HMODULE h = nullptr;
    return pfn && GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                                     static_cast<LPCWSTR>(pfn), &h);
}

DSMENTRYPROC LoadedManagerEntry(const wchar_t* pszModule)
{
    HMODULE h = GetModuleHandleW(pszModule);
    return h ? reinterpret_cast<DSMENTRYPROC>(reinterpret_cast<void*>(GetProcAddress(h, "DSM_Entry"))) : nullptr;
}

}  // namespace

bool SetManagerEntryPoints(const TW_ENTRYPOINT* pEntry)
{
    if (!pEntry || pEntry->Size < sizeof(TW_ENTRYPOINT) ||
        !InLoadedModule(reinterpret_cast<const void*>(pEntry->DSM_Entry)))
        return false;
    SEntryPoints e;
    e.pfnEntry = pEntry->DSM_Entry;
    if (InLoadedModule(pEntry->DSM_MemAllocate) && InLoadedModule(pEntry->DSM_MemFree) &&
        InLoadedModule(pEntry->DSM_MemLock) && InLoadedModule(pEntry->DSM_MemUnlock)) {
        e.pfnAlloc = reinterpret_cast<MemAllocateProc>(pEntry->DSM_MemAllocate);
        e.pfnFree = reinterpret_cast<MemFreeProc>(pEntry->DSM_MemFree);
        e.pfnLock = reinterpret_cast<MemLockProc>(pEntry->DSM_MemLock);
        e.pfnUnlock = reinterpret_cast<MemUnlockProc>(pEntry->DSM_MemUnlock);
    }
    g_entry = e;
    return true;
}

void ForgetManagerEntryPoints()
{
    g_entry = SEntryPoints{};
}

bool HasManagerEntryPoints()
{
    return g_entry.pfnEntry != nullptr;
}

DSMENTRYPROC FindDsmEntry()
{
    if (g_entry.pfnEntry)
        return g_entry.pfnEntry;
    // A 64-bit process has no legacy manager of its own; where a library of that name is
    // loaded, it is the manager that loaded us (or hooks the lookup for us).
    if (DSMENTRYPROC pfn = LoadedManagerEntry(L"TWAINDSM.DLL"))
        return pfn;
    return LoadedManagerEntry(L"TWAIN_32.DLL");
}

TW_HANDLE AppMemAlloc(size_t nBytes)
{
    if (!g_entry.pfnAlloc)
        return GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, nBytes);
    if (nBytes > std::numeric_limits<TW_UINT32>::max())
        return nullptr;
    return g_entry.pfnAlloc(static_cast<TW_UINT32>(nBytes));
}

void* AppMemLock(TW_HANDLE h)
{
    if (!h)
        return nullptr;
    return g_entry.pfnLock ? g_entry.pfnLock(h) : GlobalLock(h);
}

void AppMemUnlock(TW_HANDLE h)
{
    if (!h)
        return;
    if (g_entry.pfnUnlock)
        g_entry.pfnUnlock(h);
    else
        GlobalUnlock(h);
}

void AppMemFree(TW_HANDLE h)
{
    if (!h)
        return;
    if (g_entry.pfnFree)
        g_entry.pfnFree(h);
    else
        GlobalFree(h);
}
