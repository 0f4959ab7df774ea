// Quarter-turn rotation. The page rotation of every scan runs through here, so the quarter turns
// walk the image in square tiles: the source rows of one tile stay in the cache while the target
// rows are written sequentially.
#include "imgeffect/PixelRows.h"

#include <algorithm>
#include <cstring>

namespace imgfx {

namespace {

constexpr int kTile = 64;  // pixels; a 24-bit tile is 12 KiB of source, well inside L1

// Where target pixel (i, j) comes from, for a source of width W and height H.
struct Mapping {
    int nAngle, nSrcWidth, nSrcHeight;
    int SrcRow(int i, int j) const { return nAngle == 90 ? j : nSrcHeight - 1 - j; }
    int SrcCol(int i, int j) const { return nAngle == 90 ? nSrcWidth - 1 - i : i; }
};

template <int Bytes>
void QuarterTurnBytes(const Mapping& m, const _ImageDesc& src, const uint8_t* pSrc,
                      const _ImageDesc& dst, uint8_t* pDst)
{
    const ptrdiff_t nSrcStride = src.m_nBytesPerRow;
    // Moving one target column on moves one source row down (90) or up (270).
    const ptrdiff_t nStep = m.nAngle == 90 ? nSrcStride : -nSrcStride;
    for (int i0 = 0; i0 < dst.m_nRows; i0 += kTile) {
        const int i1 = std::min(i0 + kTile, dst.m_nRows);
        for (int j0 = 0; j0 < dst.m_nWidth; j0 += kTile) {
            const int j1 = std::min(j0 + kTile, dst.m_nWidth);
            for (int i = i0; i < i1; ++i) {
                uint8_t* d = RowAt(dst, pDst, i) + static_cast<ptrdiff_t>(j0) * Bytes;
                const uint8_t* s = RowAt(src, pSrc, m.SrcRow(i, j0)) + static_cast<ptrdiff_t>(m.SrcCol(i, j0)) * Bytes;
                for (int j = j0; j < j1; ++j, d += Bytes, s += nStep)
                    std::memcpy(d, s, Bytes);
            }
        }
    }
}

template <int Bytes>
void HalfTurnBytes(const _ImageDesc& src, const uint8_t* pSrc, const _ImageDesc& dst, uint8_t* pDst)
{
    for (int i = 0; i < dst.m_nRows; ++i) {
        uint8_t* d = RowAt(dst, pDst, i);
        const uint8_t* s = RowAt(src, pSrc, src.m_nRows - 1 - i) + static_cast<ptrdiff_t>(src.m_nWidth - 1) * Bytes;
        for (int j = 0; j < dst.m_nWidth; ++j, d += Bytes, s -= Bytes)
            std::memcpy(d, s, Bytes);
    }
}

inline int BitAt(const uint8_t* pRow, int x) { return (pRow[x >> 3] >> (7 - (x & 7))) & 1; }

// 1 bit per pixel: each target byte gathers eight source pixels; tiles keep the source rows of
// a band of target columns in the cache.
void RotateBits(int nAngle, const _ImageDesc& src, const uint8_t* pSrc, const _ImageDesc& dst, uint8_t* pDst)
{
    const Mapping m{nAngle, src.m_nWidth, src.m_nRows};
    const int nBytesOut = static_cast<int>(RowBytes(dst));
    constexpr int kByteTile = kTile / 8;
    for (int i0 = 0; i0 < dst.m_nRows; i0 += kTile) {
        const int i1 = std::min(i0 + kTile, dst.m_nRows);
        for (int b0 = 0; b0 < nBytesOut; b0 += kByteTile) {
            const int b1 = std::min(b0 + kByteTile, nBytesOut);
            for (int i = i0; i < i1; ++i) {
                uint8_t* d = RowAt(dst, pDst, i);
                for (int b = b0; b < b1; ++b) {
                    unsigned v = 0;
                    const int jEnd = std::min(b * 8 + 8, dst.m_nWidth);
                    for (int j = b * 8; j < jEnd; ++j) {
                        const int r = nAngle == 180 ? src.m_nRows - 1 - i : m.SrcRow(i, j);
                        const int c = nAngle == 180 ? src.m_nWidth - 1 - j : m.SrcCol(i, j);
                        v |= static_cast<unsigned>(BitAt(RowAt(src, pSrc, r), c)) << (7 - (j & 7));
                    }
                    d[b] = static_cast<uint8_t>(v);
                }
            }
        }
    }
}

bool HasRotatedSize(int nAngle, const _ImageDesc& src, const _ImageDesc& dst)
{
    if (src.m_nBitsPerPixel != dst.m_nBitsPerPixel)
        return false;
    if (nAngle == 180)
        return dst.m_nRows == src.m_nRows && dst.m_nWidth == src.m_nWidth;
    return dst.m_nRows == src.m_nWidth && dst.m_nWidth == src.m_nRows;
}

}  // namespace

int RotateQuarter(int32_t nAngle, const _ImageDesc& src, const uint8_t* pSrc,
                  const _ImageDesc& dst, uint8_t* pDst)
{
    if (nAngle != 90 && nAngle != 180 && nAngle != 270)
        return IMGEFFECT_BAD_ANGLE;
    if (!IsValidImage(src, pSrc) || !IsValidImage(dst, pDst) || !HasRotatedSize(nAngle, src, dst))
        return IMGEFFECT_BAD_ARGUMENT;
    if (IsEmpty(src))
        return IMGEFFECT_OK;
    const Mapping m{nAngle, src.m_nWidth, src.m_nRows};
    switch (src.m_nBitsPerPixel) {
    case 24:
        if (nAngle == 180)
            HalfTurnBytes<3>(src, pSrc, dst, pDst);
        else
            QuarterTurnBytes<3>(m, src, pSrc, dst, pDst);
        break;
    case 8:
        if (nAngle == 180)
            HalfTurnBytes<1>(src, pSrc, dst, pDst);
        else
            QuarterTurnBytes<1>(m, src, pSrc, dst, pDst);
        break;
    default:
        RotateBits(nAngle, src, pSrc, dst, pDst);
        break;
    }
    return IMGEFFECT_OK;
}

}  // namespace imgfx
