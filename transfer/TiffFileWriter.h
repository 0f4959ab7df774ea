// File transfer in TIFF: the page from the spool as a baseline TIFF file (TiffLayout.h).
#pragma once

#include <cstdint>
#include <string>

class CImage;

// Writes the W x H page of the pixel type (0 black and white, 1 grey, other colour) as a TIFF
// file, replacing an old one. False when the page has no TIFF layout, a spool strip cannot be
// read, or the file cannot be created or written; a file left half written is removed and the
// spool keeps the page, so that the transfer can be asked for again. On success the spool's
// data is freed: a page is handed over once.
bool WriteTiffFromImage(CImage& image, uint32_t nWidth, uint32_t nHeight, int nPixelType,
                        const std::wstring& sFileName);
