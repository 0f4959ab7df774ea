// Whitening of the parts of a strip that lie outside the selected scan area.
#pragma once

#include "imgeffect/ImgEffectApi.h"

#include <cstdint>

// Left and right in pixels, top and bottom in rows, in page coordinates.
struct _BlankMargins {
    int32_t m_nLeft = 0;
    int32_t m_nRight = 0;
    int32_t m_nTop = 0;
    int32_t m_nBottom = 0;
};

// Whitens (0xFF) what of the strip lies outside the margins. nFirstRow is the strip's first page
// row, nPageHeight the page's height in rows. Returns 0; 1 when pData is null or the descriptor
// is inconsistent (nothing is written then).
int BlankOutsideArea(const _ImageDesc& desc, uint8_t* pData, const _BlankMargins& margins, int nFirstRow,
                     int nPageHeight);
