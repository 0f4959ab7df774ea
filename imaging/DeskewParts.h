// The stages of automatic deskew shared between its source files.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

// Edge points found on a band of rows. Rows with few points keep a list of columns, dense rows
// a bitmap, so the store never exceeds an eighth of the page however busy it is.
class CEdgePoints {
public:
    explicit CEdgePoints(int32_t nWidth) : m_nWidth(nWidth), m_nWords((nWidth + 63) / 64) {}
    // Bit x of pWords (word x / 64, Width() bits) marks a point; nCount of them. May throw
    // std::bad_alloc.
    void AddRow(int32_t y, const uint64_t* pWords, uint32_t nCount);
    size_t Count() const { return m_nCount; }
    size_t RowCount() const { return m_rows.size(); }
    int32_t RowY(size_t k) const { return m_rows[k].y; }
    // The columns of row k, ascending; pScratch (width entries) is used for dense rows.
    std::pair<const uint32_t*, size_t> RowColumns(size_t k, uint32_t* pScratch) const;
    // fn(first column, length) for each run of neighbouring points of row k, left to right.
    // Dense rows are read a word at a time, never point by point.
    template <typename Fn>
    void ForEachRun(size_t k, Fn&& fn) const;

private:
    struct CRow {
        int32_t y;
        uint32_t nCount;
        size_t nOffset;  // into m_xs, or into m_words for a bitmap row
        bool bBitmap;
    };
    int32_t m_nWidth;
    int32_t m_nWords;
    size_t m_nCount = 0;
    std::vector<CRow> m_rows;
    std::vector<uint32_t> m_xs;
    std::vector<uint64_t> m_words;
};

template <typename Fn>
void CEdgePoints::ForEachRun(size_t k, Fn&& fn) const
{
    const CRow& row = m_rows[k];
    if (!row.bBitmap) {
        const uint32_t* xs = &m_xs[row.nOffset];
        for (size_t j = 0; j < row.nCount;) {
            size_t e = j + 1;
            while (e < row.nCount && xs[e] == xs[e - 1] + 1) ++e;
            fn(xs[j], static_cast<uint32_t>(e - j));
            j = e;
        }
        return;
    }
    const uint64_t* w = &m_words[row.nOffset];
    const size_t nWords = static_cast<size_t>(m_nWords);
    // The first bit at or after x that is set (bSet) or clear; nWords * 64 when there is none.
    auto next = [&](size_t x, bool bSet) {
        for (size_t i = x / 64; i < nWords; ++i) {
            const uint64_t bits = (bSet ? w[i] : ~w[i]) & (i == x / 64 ? ~uint64_t(0) << (x % 64) : ~uint64_t(0));
            if (bits != 0) return i * 64 + static_cast<size_t>(std::countr_zero(bits));
        }
        return nWords * 64;
    };
    for (size_t x = next(0, true); x < nWords * 64;) {
        const size_t end = next(x, false);
        fn(static_cast<uint32_t>(x), static_cast<uint32_t>(end - x));
        x = end < nWords * 64 ? next(end, true) : end;
    }
}

// Edge map, 5 x 5 dilation and row-difference detector over the point rows [53, H - 52),
// split among the imaging threads. False when memory ran out.
bool FindEdgePoints(const uint8_t* pGray, int32_t nWidth, int32_t nHeight, int32_t nPointThreshold,
                    std::vector<CEdgePoints>& parts);

// Hough maxima over the points: the largest counter value and its (rho, step) cells in order
// of rho then step. nDiagonal: integer part of the page diagonal.
struct CHoughMaxima {
    int32_t nVotes = 0;
    std::vector<std::pair<int32_t, int32_t>> cells;
};
bool FindHoughMaxima(const std::vector<CEdgePoints>& parts, int32_t nWidth, int32_t nDiagonal, CHoughMaxima& result);
