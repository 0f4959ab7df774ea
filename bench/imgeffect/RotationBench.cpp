// Page rotation speed: RotationImg's quarter turn of a 600 dpi A4 colour page, measured against
// a plain memcpy of the same bytes in the same run (the floor any rotation has to pay).
#include "imgeffect/ImgEffectCore.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <ctime>
#include <vector>

namespace {

// A4 at 600 dpi: 210 mm x 297 mm, rounded up to whole pixels.
constexpr int kWidth = 4961;
constexpr int kHeight = 7016;

int RowBytes(int nWidth, int nBits) { return (nWidth * nBits + 7) / 8; }

struct CPage {
    _ImageDesc m_src, m_dst;
    std::vector<uint8_t> m_srcData, m_dstData;
    explicit CPage(int nBits)
        : m_src{kHeight, RowBytes(kWidth, nBits), kWidth, nBits, 0, 0},
          m_dst{kWidth, RowBytes(kHeight, nBits), kHeight, nBits, 0, 0},
          m_srcData(static_cast<size_t>(m_src.m_nRows) * m_src.m_nBytesPerRow),
          // Large enough for a half turn too: at 1 bit per pixel the two shapes differ in size.
          m_dstData(std::max(m_srcData.size(), static_cast<size_t>(m_dst.m_nRows) * m_dst.m_nBytesPerRow))
    {
        for (size_t i = 0; i < m_srcData.size(); ++i)
            m_srcData[i] = static_cast<uint8_t>(i * 2654435761u >> 13);
    }
};

CPage& Page(int nBits = 24)
{
    static CPage s_colour(24), s_grey(8), s_bits(1);
    return nBits == 24 ? s_colour : nBits == 8 ? s_grey : s_bits;
}

// Both clocks: wall time for what a user waits, thread CPU time for a figure that holds up when
// other work shares the machine.
struct CStopwatch {
    std::chrono::steady_clock::time_point m_wall = std::chrono::steady_clock::now();
    double m_dCpu = ThreadCpu();
    static double ThreadCpu()
    {
        timespec ts{};
        clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
        return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) * 1e-9;
    }
    double Wall() const { return std::chrono::duration<double>(std::chrono::steady_clock::now() - m_wall).count(); }
    double Cpu() const { return ThreadCpu() - m_dCpu; }
};

void BM_Memcpy_A4Colour(benchmark::State& state)
{
    CPage& p = Page();
    for (auto _ : state) {
        std::memcpy(p.m_dstData.data(), p.m_srcData.data(), p.m_srcData.size());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(p.m_srcData.size()));
}

void BM_Rotate_A4(benchmark::State& state)
{
    CPage& p = Page(static_cast<int>(state.range(1)));
    const int nAngle = static_cast<int>(state.range(0));
    const _ImageDesc& dst = nAngle == 180 ? p.m_src : p.m_dst;
    for (auto _ : state) {
        if (imgfx::RotateQuarter(nAngle, p.m_src, p.m_srcData.data(), dst, p.m_dstData.data()) != 0)
            state.SkipWithError("rotation refused");
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(p.m_srcData.size()));
}

// Both measured alternately inside one benchmark so that the ratio compares like with like on a
// shared machine: "ratio" is rotation / memcpy in thread CPU time, "ratio_wall" in wall time.
void BM_Rotate90_RatioToMemcpy(benchmark::State& state)
{
    CPage& p = Page();
    double dCopyCpu = 0, dCopyWall = 0, dRotCpu = 0, dRotWall = 0;
    for (auto _ : state) {
        CStopwatch copy;
        std::memcpy(p.m_dstData.data(), p.m_srcData.data(), p.m_srcData.size());
        benchmark::ClobberMemory();
        dCopyCpu += copy.Cpu();
        dCopyWall += copy.Wall();
        CStopwatch rotate;
        imgfx::RotateQuarter(90, p.m_src, p.m_srcData.data(), p.m_dst, p.m_dstData.data());
        benchmark::ClobberMemory();
        dRotCpu += rotate.Cpu();
        const double dWall = rotate.Wall();
        dRotWall += dWall;
        state.SetIterationTime(dWall);
    }
    const double n = static_cast<double>(state.iterations());
    state.counters["memcpy_cpu_ms"] = dCopyCpu * 1000.0 / n;
    state.counters["rotate_cpu_ms"] = dRotCpu * 1000.0 / n;
    state.counters["ratio"] = dCopyCpu > 0 ? dRotCpu / dCopyCpu : 0;
    state.counters["ratio_wall"] = dCopyWall > 0 ? dRotWall / dCopyWall : 0;
}

}  // namespace

BENCHMARK(BM_Memcpy_A4Colour)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Rotate_A4)
    ->ArgNames({"angle", "bits"})
    ->Args({90, 24})->Args({180, 24})->Args({270, 24})->Args({90, 8})->Args({90, 1})->Args({180, 1})
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Rotate90_RatioToMemcpy)->UseManualTime()->MinTime(2.0)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
