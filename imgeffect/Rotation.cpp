// Quarter-turn rotation. The page rotation of every scan runs through here, so the quarter turns
// walk the image in square tiles that stay in the cache.
#include "imgeffect/PixelRows.h"

#include <algorithm>
#include <bit>
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

static_assert(std::endian::native == std::endian::little, "the pixel packing below assumes little-endian");

inline uint64_t Load32(const uint8_t* p)
{
    uint32_t v;
    std::memcpy(&v, p, 4);
    return v;
}

// Gathers n pixels, one from each block row (nStride bytes apart, upwards when negative), into
// a run of target pixels. Colour pixels go four at a time as one 8-byte and one 4-byte store,
// built from 4-byte loads (a block row has a spare byte after it); grey pixels eight at a time.
template <int Bytes>
inline void GatherRun(uint8_t* d, const uint8_t* s, ptrdiff_t nStride, int n)
{
    int r = 0;
    if constexpr (Bytes == 3) {
        for (; r + 4 <= n; r += 4, d += 12, s += 4 * nStride) {
            const uint64_t p0 = Load32(s) & 0xFFFFFF, p1 = Load32(s + nStride) & 0xFFFFFF;
            const uint64_t p2 = Load32(s + 2 * nStride) & 0xFFFFFF, p3 = Load32(s + 3 * nStride);
            const uint64_t lo = p0 | p1 << 24 | p2 << 48;
            const uint32_t hi = static_cast<uint32_t>(p2 >> 16 | p3 << 8);
            std::memcpy(d, &lo, 8);
            std::memcpy(d + 8, &hi, 4);
        }
    } else if constexpr (Bytes == 1) {
        for (; r + 8 <= n; r += 8, d += 8, s += 8 * nStride) {
            uint64_t v = 0;
            for (int b = 0; b < 8; ++b)
                v |= static_cast<uint64_t>(s[b * nStride]) << (8 * b);
            std::memcpy(d, &v, 8);
        }
    }
    for (; r < n; ++r, d += Bytes, s += nStride)
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
                if (b90)
                    GatherRun<Bytes>(d, s, kRowBytes, nj);
                else
                    GatherRun<Bytes>(d, s + (nj - 1) * kRowBytes, -kRowBytes, nj);
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
