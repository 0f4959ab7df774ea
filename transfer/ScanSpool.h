// Reading a page from the device into the spool (the scan image's memory-mapped temporary
// file), with progress for the progress dialog, then automatic deskew, automatic crop and the
// page rotation setting applied to the spooled page.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>

class CImage;
class CScanJob;
class Data_MapFile;

// The scan image: the page the transfers read, process-wide.
CImage& ScanImage();

// Reads one page of nWidth x nHeight. 0 on success; a device read status; -1 when the
// rotation failed; -10000 when the spool could not be created or mapped. A page whose data
// ends early (status 200 after at least one row) is kept with the rows read, and the
// job's height follows.
int ScanToImageBuf_mapfile(CScanJob& job, uint32_t nWidth, uint32_t nHeight, int nPixelType,
                           int nResolution);

// Rotates the spool by a quarter or half turn (the page rotation setting): a new spool holds
// the result and replaces the old one. False (spool unchanged) on any failure.
bool RotateImageQuarter(CImage& image, int nBitsPerPixel, uint32_t nWidth, uint32_t nHeight, int nAngle);

// Copies columns [nFirst, nEnd) of every row of an 8 or 24-bit spool into pBuffer, packed.
int CopyColumnStrip(Data_MapFile& source, uint32_t nRows, uint32_t nBytesPerRow, int nBitsPerPixel,
                    uint8_t* pBuffer, uint32_t nFirst, uint32_t nEnd);

// The Windows directory's volume holds a DWORD-aligned copy of the image (1-bit pages always pass).
bool HasDiskSpaceForImage(int nBitsPerPixel, uint32_t nWidth, uint32_t nHeight);

// The glue to deskew and crop; AutoCrop returns nonzero when it cropped.
void AutoRotate(CScanJob& job, int nPixelType, int nResolution);
int AutoCrop(CScanJob& job, int nPixelType, int nResolution);
