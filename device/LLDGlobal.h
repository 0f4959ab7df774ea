// The one driver wrapper of the process.
#pragma once

#include "device/LLDMorvel.h"

extern CLLDMorvel g_LLD;
