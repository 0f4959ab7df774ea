#include "device/LLDGlobal.h"

#include "profile/ProductProfile.h"

namespace {

std::wstring ProfileFilePrefix() { return ReadFilePrefix(); }

}  // namespace

CLLDMorvel g_LLD(&ProfileFilePrefix);
