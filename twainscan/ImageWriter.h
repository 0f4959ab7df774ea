// Writes a page: BMP directly, PNG, TIFF and JPEG through the Windows Imaging Component.
#pragma once

#include <string>

#include "twainscan/Raster.h"
#include "twainscan/ScanOptions.h"

bool WriteImage(const CRaster& raster, const std::wstring& sPath, EImageFormat format, std::string* pError);
