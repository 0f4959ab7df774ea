// The page as a packed device-independent bitmap in movable global memory (native transfer)
// or as a BMP file (file transfer), built from the scan image's spool.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

class CImage;

// The block for a W x H page of the pixel type, or null when it cannot be allocated (message
// 1105 shown) or a spool row cannot be read. On success the spool's data is freed: a page is
// handed over once.
HGLOBAL CreateDibFromImage(CImage& image, uint32_t nWidth, uint32_t nHeight, int nPixelType);

// Writes the page as a BMP file (replacing an old one). False when the block cannot be built
// or the file cannot be created or written; a file left half written is removed, and the
// spool keeps the page so that the transfer can be asked for again.
bool WriteBmpFromImage(CImage& image, uint32_t nWidth, uint32_t nHeight, int nPixelType,
                       const std::wstring& sFileName);

// Whether a bitmap of the page fits into memory now: a trial allocation.
bool CheckDibMemory(uint32_t nWidth, uint32_t nHeight, int nPixelType);
