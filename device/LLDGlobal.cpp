#include "device/LLDGlobal.h"

#include "profile/ProductProfile.h"

namespace {

std::wstring ProfileFilePrefix() { return ReadFilePrefix(); }

}  // namespace

CLLDMorvel g_LLD(&ProfileFilePrefix);

namespace {

// Destroyed just before g_LLD, which happens only while this library is unloaded.
struct SUnloadGuard {
    ~SUnloadGuard() { g_LLD.AbandonAtUnload(); }
};
SUnloadGuard g_unloadGuard;

}  // namespace
