// Quarter-turn rotation. The page rotation of every scan runs through here, so the quarter turns
// walk the image in square tiles that stay in the cache.
#include "imgeffect/PixelRows.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <bit>
#include <cstring>
#include <system_error>
#include <thread>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

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

// Copies n bytes, the whole 64-byte lines of the target with streaming stores (a line written
// whole need not be read from memory first), the partial lines at both ends with plain ones.
inline void StreamOut(uint8_t* d, const uint8_t* s, size_t n)
{
#if defined(__SSE2__)
    const size_t nHead = (64 - (reinterpret_cast<uintptr_t>(d) & 63)) & 63;
    if (nHead < n) {
        std::memcpy(d, s, nHead);
        d += nHead;
        s += nHead;
        n -= nHead;
        for (; n >= 64; n -= 64, d += 64, s += 64)
            for (int q = 0; q < 64; q += 16)
                _mm_stream_si128(reinterpret_cast<__m128i*>(d + q),
                                 _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + q)));
    }
#endif
    std::memcpy(d, s, n);
}

// Target rows [i0, i0 + ni), ni at most one tile, tile by tile along the row. The tiles of a
// span of target columns are gathered into a staging area first and the span's row pieces go
// out from there, long enough that most of their cache lines are written whole.
template <int Bytes>
void TurnTileRow(const Mapping& m, const _ImageDesc& src, const uint8_t* pSrc, const _ImageDesc& dst, uint8_t* pDst,
                 int i0, int ni)
{
    constexpr int kRowBytes = kTile * Bytes;
    constexpr int kSpan = 4 * kTile;
    // One spare row so that the 4-byte loads of the last block row stay inside the array.
    alignas(64) uint8_t block[(kTile + 1) * kRowBytes] = {};
    std::vector<uint8_t> staging(static_cast<size_t>(ni) * kSpan * Bytes);
    const bool b90 = m.nAngle == 90;
    // Source columns of target rows [i0, i0 + ni).
    const int c0 = b90 ? m.nSrcWidth - i0 - ni : i0;
    const size_t nOffset = static_cast<size_t>(c0) * Bytes, nPiece = static_cast<size_t>(ni) * Bytes;
    for (int jSpan = 0; jSpan < dst.m_nWidth; jSpan += kSpan) {
        const int nSpan = std::min(kSpan, dst.m_nWidth - jSpan);
        for (int j0 = jSpan; j0 < jSpan + nSpan; j0 += kTile) {
            const int nj = std::min(kTile, dst.m_nWidth - j0);
            // Source rows of target columns [j0, j0 + nj), top-down.
            const int r0 = b90 ? j0 : m.nSrcHeight - j0 - nj;
            if (ni == kTile) {  // a constant length lets the compiler inline the copy
                for (int r = 0; r < nj; ++r)
                    std::memcpy(block + r * kRowBytes, RowAt(src, pSrc, r0 + r) + nOffset, kRowBytes);
            } else {
                for (int r = 0; r < nj; ++r)
                    std::memcpy(block + r * kRowBytes, RowAt(src, pSrc, r0 + r) + nOffset, nPiece);
            }
            const int nNext = std::min(kTile, dst.m_nWidth - j0 - nj);
            if (nNext > 0)
                PrefetchRows(src, pSrc, b90 ? j0 + nj : m.nSrcHeight - j0 - nj - nNext, nNext, nOffset, nPiece);
            for (int k = 0; k < ni; ++k) {
                uint8_t* d = staging.data() + static_cast<size_t>(k) * kSpan * Bytes + static_cast<size_t>(j0 - jSpan) * Bytes;
                const uint8_t* s = block + (b90 ? ni - 1 - k : k) * Bytes;
                if (b90)
                    GatherRun<Bytes>(d, s, kRowBytes, nj);
                else
                    GatherRun<Bytes>(d, s + (nj - 1) * kRowBytes, -kRowBytes, nj);
            }
        }
        for (int k = 0; k < ni; ++k)
            StreamOut(RowAt(dst, pDst, i0 + k) + static_cast<ptrdiff_t>(jSpan) * Bytes,
                      staging.data() + static_cast<size_t>(k) * kSpan * Bytes, static_cast<size_t>(nSpan) * Bytes);
    }
#if defined(__SSE2__)
    _mm_sfence();  // the streamed lines are in memory before anyone is told the band is done
#endif
}

// Runs fn(first, last) over bands of nBand rows of [0, n), one band at a time to whichever of
// two threads is free, when there are enough bands to keep both busy.
template <typename Fn>
void ForEachBand(int n, int nBand, Fn&& fn)
{
    const int nBands = (n + nBand - 1) / nBand;
    std::atomic<int> nNext{0};
    auto work = [&] {
        for (int b = nNext++; b < nBands; b = nNext++)
            fn(b * nBand, std::min(n, (b + 1) * nBand));
    };
    std::thread helper;
    if (nBands >= 8 && std::thread::hardware_concurrency() > 1) {
        try {
            helper = std::thread(work);
        } catch (const std::system_error&) {
            // This thread does it all.
        }
    }
    work();
    if (helper.joinable())
        helper.join();
}

// 90 and 270: one square tile at a time, the tile's source row pieces are copied into a local
// block (long sequential reads), then each target row piece is gathered from that block. Bands
// of target rows go to both threads.
template <int Bytes>
void QuarterTurnBytes(const Mapping& m, const _ImageDesc& src, const uint8_t* pSrc,
                      const _ImageDesc& dst, uint8_t* pDst)
{
    ForEachBand(dst.m_nRows, kTile, [&](int i0, int i1) { TurnTileRow<Bytes>(m, src, pSrc, dst, pDst, i0, i1 - i0); });
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

// Target bytes [b0, b1) of target rows [i0, i1), pixel by pixel: the edges the block paths leave.
void TurnBitsByPixel(const Mapping& m, const _ImageDesc& src, const uint8_t* pSrc, const _ImageDesc& dst,
                     uint8_t* pDst, int i0, int i1, int b0, int b1)
{
    for (int i = i0; i < i1; ++i) {
        uint8_t* d = RowAt(dst, pDst, i);
        for (int b = b0; b < b1; ++b) {
            unsigned v = 0;
            const int jEnd = std::min(b * 8 + 8, dst.m_nWidth);
            for (int j = b * 8; j < jEnd; ++j)
                v |= static_cast<unsigned>(BitAt(RowAt(src, pSrc, m.SrcRow(i, j)), m.SrcCol(i, j))) << (7 - (j & 7));
            d[b] = static_cast<uint8_t>(v);
        }
    }
}

// Eight pixels of a 1-bit row from column x on, the first in the most significant bit.
inline unsigned EightBitsAt(const uint8_t* pRow, int x)
{
    const int nByte = x >> 3, nShift = x & 7;
    if (nShift == 0)
        return pRow[nByte];
    return ((static_cast<unsigned>(pRow[nByte]) << 8 | pRow[nByte + 1]) >> (8 - nShift)) & 0xFF;
}

// Transposes an 8 x 8 bit matrix held row by row, row 0 in the most significant byte, each row's
// column 0 in its most significant bit.
inline uint64_t Transpose8x8(uint64_t x)
{
    uint64_t t = (x ^ (x >> 7)) & 0x00AA00AA00AA00AAull;
    x ^= t ^ (t << 7);
    t = (x ^ (x >> 14)) & 0x0000CCCC0000CCCCull;
    x ^= t ^ (t << 14);
    t = (x ^ (x >> 28)) & 0x00000000F0F0F0F0ull;
    return x ^ t ^ (t << 28);
}

// 90 and 270 at 1 bit per pixel: whole 8 x 8 pixel blocks are transposed as 64-bit words, inside
// tiles of 64 x 64 pixels so that the source bytes of a tile are reused from the cache.
void QuarterTurnBits(const Mapping& m, const _ImageDesc& src, const uint8_t* pSrc, const _ImageDesc& dst,
                     uint8_t* pDst)
{
    const bool b90 = m.nAngle == 90;
    const int nBlockRows = dst.m_nRows / 8 * 8, nBlockBytes = dst.m_nWidth / 8;
    for (int I0 = 0; I0 < nBlockRows; I0 += kTile) {
        const int I1 = std::min(I0 + kTile, nBlockRows);
        for (int B0 = 0; B0 < nBlockBytes; B0 += kTile / 8) {
            const int B1 = std::min(B0 + kTile / 8, nBlockBytes);
            for (int i0 = I0; i0 < I1; i0 += 8) {
                // Source columns [c0, c0 + 8) feed target rows [i0, i0 + 8).
                const int c0 = b90 ? m.nSrcWidth - 8 - i0 : i0;
                for (int b = B0; b < B1; ++b) {
                    uint64_t x = 0;
                    for (int t = 0; t < 8; ++t)
                        x = x << 8 | EightBitsAt(RowAt(src, pSrc, m.SrcRow(0, b * 8 + t)), c0);
                    x = Transpose8x8(x);
                    // Byte 7 - c (from the least significant) now holds source column c0 + c.
                    for (int k = 0; k < 8; ++k) {
                        const int c = b90 ? 7 - k : k;
                        RowAt(dst, pDst, i0 + k)[b] = static_cast<uint8_t>(x >> (8 * (7 - c)));
                    }
                }
            }
        }
    }
    const int nBytesOut = static_cast<int>(RowBytes(dst));
    TurnBitsByPixel(m, src, pSrc, dst, pDst, 0, nBlockRows, nBlockBytes, nBytesOut);
    TurnBitsByPixel(m, src, pSrc, dst, pDst, nBlockRows, dst.m_nRows, 0, nBytesOut);
}

constexpr std::array<uint8_t, 256> MakeBitReversal()
{
    std::array<uint8_t, 256> table{};
    for (int v = 0; v < 256; ++v)
        for (int bit = 0; bit < 8; ++bit)
            if (v & (1 << bit))
                table[v] |= static_cast<uint8_t>(0x80 >> bit);
    return table;
}
constexpr std::array<uint8_t, 256> kBitReversal = MakeBitReversal();

// 180 at 1 bit per pixel: each target row is its source row read backwards. Reversing the whole
// padded row byte by byte puts the row's unused bits first; shifting them out aligns the pixels
// and leaves zeros in the target's unused bits.
void HalfTurnBits(const _ImageDesc& src, const uint8_t* pSrc, const _ImageDesc& dst, uint8_t* pDst)
{
    const int nBytes = static_cast<int>(RowBytes(src));
    const int nShift = (8 - src.m_nWidth % 8) % 8;
    for (int i = 0; i < dst.m_nRows; ++i) {
        const uint8_t* s = RowAt(src, pSrc, src.m_nRows - 1 - i);
        uint8_t* d = RowAt(dst, pDst, i);
        for (int b = 0; b < nBytes; ++b) {
            const unsigned hi = kBitReversal[s[nBytes - 1 - b]];
            const unsigned lo = b + 1 < nBytes ? kBitReversal[s[nBytes - 2 - b]] : 0;
            d[b] = static_cast<uint8_t>((hi << nShift | lo >> (8 - nShift)) & 0xFF);
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
        if (nAngle == 180)
            HalfTurnBits(src, pSrc, dst, pDst);
        else
            QuarterTurnBits(m, src, pSrc, dst, pDst);
        break;
    }
    return IMGEFFECT_OK;
}

}  // namespace imgfx
