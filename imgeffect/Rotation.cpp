// Quarter-turn rotation. The page rotation of every scan runs through here, so the quarter turns
// walk the image in square tiles that stay in the cache.
#include "imgeffect/PixelRows.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace imgfx {

namespace {

constexpr int kTile = 64;  // pixels; a colour tile is 12 KiB, well inside L1

// Where target pixel (i, j) comes from, for a source of width W and height H.
struct Mapping {
    int nAngle, nSrcWidth, nSrcHeight;
    int SrcRow(int i, int j) const { return nAngle == 90 ? j : nSrcHeight - 1 - j; }
    int SrcCol(int i, int j) const { return nAngle == 90 ? nSrcWidth - 1 - i : i; }
};

// Asks for the source rows of the next tile while the current one is written out: the rows are
// far apart, so the hardware prefetcher cannot guess them.
void PrefetchRows(const _ImageDesc& src, const uint8_t* pSrc, int nFirstRow, int nRows, size_t nOffset, size_t nBytes)
{
    for (int r = 0; r < nRows; ++r) {
        const uint8_t* p = RowAt(src, pSrc, nFirstRow + r) + nOffset;
        for (size_t b = 0; b < nBytes; b += 64)
            __builtin_prefetch(p + b, 0, 1);
    }
}

// Copies one pixel of the tile block to the target. For colour, all but the last pixel of a run
// move as one 4-byte load and store; the extra byte is overwritten by the next pixel.
template <int Bytes>
inline void PutPixel(uint8_t* d, const uint8_t* s, bool bLast)
{
    if constexpr (Bytes == 3) {
        if (!bLast) {
            uint32_t v;
            std::memcpy(&v, s, 4);
            std::memcpy(d, &v, 4);
            return;
        }
    }
    std::memcpy(d, s, Bytes);
}

// 90 and 270: one square tile at a time, the tile's source row pieces are copied into a local
// block (long sequential reads), then each target row piece is gathered from that block.
template <int Bytes>
void QuarterTurnBytes(const Mapping& m, const _ImageDesc& src, const uint8_t* pSrc,
                      const _ImageDesc& dst, uint8_t* pDst)
{
    constexpr int kRowBytes = kTile * Bytes;
    // One spare row so that the 4-byte loads of the last block row stay inside the array.
    std::vector<uint8_t> block(static_cast<size_t>(kTile + 1) * kRowBytes, 0);
    const bool b90 = m.nAngle == 90;
    for (int i0 = 0; i0 < dst.m_nRows; i0 += kTile) {
        const int ni = std::min(kTile, dst.m_nRows - i0);
        // Source columns of target rows [i0, i0 + ni).
        const int c0 = b90 ? m.nSrcWidth - i0 - ni : i0;
        const size_t nOffset = static_cast<size_t>(c0) * Bytes, nPiece = static_cast<size_t>(ni) * Bytes;
        for (int j0 = 0; j0 < dst.m_nWidth; j0 += kTile) {
            const int nj = std::min(kTile, dst.m_nWidth - j0);
            // Source rows of target columns [j0, j0 + nj), top-down.
            const int r0 = b90 ? j0 : m.nSrcHeight - j0 - nj;
            uint8_t* pBlock = block.data();
            if (ni == kTile) {  // a constant length lets the compiler inline the copy
                for (int r = 0; r < nj; ++r)
                    std::memcpy(pBlock + r * kRowBytes, RowAt(src, pSrc, r0 + r) + nOffset, kRowBytes);
            } else {
                for (int r = 0; r < nj; ++r)
                    std::memcpy(pBlock + r * kRowBytes, RowAt(src, pSrc, r0 + r) + nOffset, nPiece);
            }
            const int nNext = std::min(kTile, dst.m_nWidth - j0 - nj);
            if (nNext > 0)
                PrefetchRows(src, pSrc, b90 ? j0 + nj : m.nSrcHeight - j0 - nj - nNext, nNext, nOffset, nPiece);
            for (int k = 0; k < ni; ++k) {
                uint8_t* d = RowAt(dst, pDst, i0 + k) + static_cast<ptrdiff_t>(j0) * Bytes;
                const uint8_t* s = pBlock + (b90 ? ni - 1 - k : k) * Bytes;
                if (b90) {
                    for (int r = 0; r < nj; ++r, d += Bytes)
                        PutPixel<Bytes>(d, s + r * kRowBytes, r == nj - 1);
                } else {
                    for (int r = nj - 1; r >= 0; --r, d += Bytes)
                        PutPixel<Bytes>(d, s + r * kRowBytes, r == 0);
                }
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
