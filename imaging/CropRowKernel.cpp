// The crop's row work for processors without AVX2.
#define MVL_CROP_ROW_BODIES
#include "imaging/CropRowKernel.h"

int32_t CropDarkRowPlain(const uint8_t* g, int32_t W, int32_t nThreshold, const CCropRowBuffers& b)
{
    return CropDarkRowBody(g, W, nThreshold, b);
}

void CropDilateRowPlain(int32_t W, const CCropRowBuffers& b)
{
    CropDilateRowBody(W, b);
}
