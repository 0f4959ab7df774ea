// The trace line written for every triplet, in and out.
#pragma once

#include <string>

#include "twain/MsgLib.h"

// The line for a triplet: incoming when pRc is null, outgoing with the result otherwise.
std::wstring FormatTripletTrace(const _MsgInfo& info, const TW_UINT16* pRc);
void TraceTriplet(const _MsgInfo& info, const TW_UINT16* pRc);
