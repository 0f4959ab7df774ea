// How many threads the page operations use, and a helper that splits a row range among them.
// The default is two (the scanning machines this ships for have at least two cores); tests and
// benchmarks may change it.
#pragma once

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <exception>
#include <thread>
#include <vector>

void SetImagingThreads(int nThreads);
int GetImagingThreads();

// Calls fn(nPart, nFirst, nLast) for contiguous parts of [nBegin, nEnd), nPart < nMaxParts
// (the caller's per-part state; 0 means the thread setting); the last part runs on the calling
// thread. Parts smaller than nMinRows are merged so that small pages stay on one thread.
// Returns the number of parts used. fn must not throw.
template <typename Fn>
int ForEachRowPart(int32_t nBegin, int32_t nEnd, int32_t nMinRows, size_t nMaxParts, Fn&& fn)
{
    const int32_t nRows = std::max<int32_t>(0, nEnd - nBegin);
    int nParts = std::max(1, GetImagingThreads());
    if (nMaxParts > 0)
        nParts = std::min<int>(nParts, static_cast<int>(std::min<size_t>(nMaxParts, 64)));
    if (nMinRows > 0)
        nParts = static_cast<int>(std::min<int64_t>(nParts, std::max<int64_t>(1, nRows / nMinRows)));
    std::vector<std::jthread> workers;
    int nStarted = 1;
    try {
        for (int k = 0; k + 1 < nParts; ++k, ++nStarted) {
            const int32_t nFirst = nBegin + static_cast<int32_t>(int64_t(nRows) * k / nParts);
            const int32_t nLast = nBegin + static_cast<int32_t>(int64_t(nRows) * (k + 1) / nParts);
            workers.emplace_back([&fn, k, nFirst, nLast] { fn(k, nFirst, nLast); });
        }
    } catch (const std::exception&) {
        // No thread to spare: the calling thread takes the rest.
    }
    const int nLastPart = nStarted - 1;
    const int32_t nFirst = nBegin + static_cast<int32_t>(int64_t(nRows) * nLastPart / nParts);
    fn(nLastPart, nFirst, nEnd);
    return nStarted;
}

// Like ForEachRowPart, but the rows go out in bands of nBandRows, one band at a time to whichever
// thread is free: fn(nPart, nFirst, nLast) may run several times per part, in no fixed order.
// A thread the machine holds back then leaves its share to the others.
template <typename Fn>
int ForEachRowBand(int32_t nBegin, int32_t nEnd, int32_t nBandRows, size_t nMaxParts, Fn&& fn)
{
    const int32_t nRows = std::max<int32_t>(0, nEnd - nBegin);
    const int32_t nBand = std::max<int32_t>(1, nBandRows);
    const int32_t nBands = static_cast<int32_t>((int64_t(nRows) + nBand - 1) / nBand);
    std::atomic<int32_t> nNext{0};
    return ForEachRowPart(0, nBands, 1, nMaxParts, [&](int k, int32_t, int32_t) {
        for (int32_t b = nNext++; b < nBands; b = nNext++) {
            const int32_t nFirst = nBegin + b * nBand;
            fn(k, nFirst, static_cast<int32_t>(std::min<int64_t>(nEnd, int64_t(nFirst) + nBand)));
        }
    });
}
