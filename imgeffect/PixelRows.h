// Row access shared by the effect implementations.
#pragma once

#include "imgeffect/ImgEffectCore.h"

#include <cstddef>
#include <cstdint>

namespace imgfx {

inline size_t RowBytes(const _ImageDesc& desc)
{
    return static_cast<size_t>((static_cast<int64_t>(desc.m_nWidth) * desc.m_nBitsPerPixel + 7) / 8);
}

inline uint8_t* RowAt(const _ImageDesc& desc, uint8_t* pData, int nRow)
{
    return pData + static_cast<ptrdiff_t>(nRow) * desc.m_nBytesPerRow;
}

inline const uint8_t* RowAt(const _ImageDesc& desc, const uint8_t* pData, int nRow)
{
    return pData + static_cast<ptrdiff_t>(nRow) * desc.m_nBytesPerRow;
}

inline bool IsEmpty(const _ImageDesc& desc) { return desc.m_nRows == 0 || desc.m_nWidth == 0; }

inline int Clamp255(int v) { return v < 0 ? 0 : (v > 255 ? 255 : v); }

// Maps every pixel through `all`, then (colour only) through the channel's own table, or with
// bGray through `all` on the grey value. 1-bit data are left alone.
void ApplyTables(const _ImageDesc& desc, uint8_t* pData, const ToneTable& all,
                 const ToneTable* pChannels, bool bGray);

}  // namespace imgfx
