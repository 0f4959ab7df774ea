// The product flags of the profile as the portable scan-parameter code takes them.
#pragma once

#include "device/ProductFlags.h"

SProductFlags CurrentProductFlags();
