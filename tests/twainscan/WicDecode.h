// Image files read back through WIC, the decoder every Windows application has.
#pragma once

#include <string>

#include "twainscan/Raster.h"

// The pixels of an image file in the raster's layout at nBitsPerPixel (1, 8 or 24); an empty
// raster (and a test failure) when WIC cannot read it.
CRaster DecodeWithWic(const std::wstring& sPath, int nBitsPerPixel);
