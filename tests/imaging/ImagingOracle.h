// Literal, unoptimised transcriptions of the page operations: the reference every optimised
// version must match bit for bit. They carry the same guards as the product (pages too small
// to search, loops clamped to the page, empty boxes refused) and nothing else.
#pragma once

#include <cstdint>
#include <vector>

#include "imaging/PageBytes.h"

struct CAutoCropParam;
struct CRotateParam;

namespace oracle {

void RgbToGray(const uint8_t* pSrc, uint8_t* pDst, int32_t nWidth, int32_t nHeight);
void BwToGray(const uint8_t* pSrc, uint8_t* pDst, int32_t nWidth, int32_t nHeight);
void GrayToBW(const uint8_t* pSrc, uint8_t* pDst, int32_t nWidth, int32_t nHeight);

int AutoCrop(const uint8_t* pSrc, uint8_t* pDst, CAutoCropParam* pParam);
float AutoDeskew(const uint8_t* pGray, int32_t nWidth, int32_t nHeight, int32_t nPixelType, int32_t nResolution);
std::vector<uint8_t> NormalRotate(const uint8_t* pSrc, CRotateParam* pParam);

// The product's page bytes as the reference's type, to compare them.
inline std::vector<uint8_t> AsBytes(const CPageBytes& page) { return {page.begin(), page.end()}; }

// The tables as the text defines them: 100000 * cos/sin((i + 1) degrees), rounded down.
std::vector<int32_t> CosTable();
std::vector<int32_t> SinTable();

}  // namespace oracle
