// Page rotation speed: RotationImg's quarter turn of a 600 dpi A4 colour page, measured against
// a plain memcpy of the same bytes in the same run (the floor any rotation has to pay).
#include "imgeffect/ImgEffectCore.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstring>
#include <vector>

namespace {

// A4 at 600 dpi: 210 mm x 297 mm, rounded up to whole pixels.
constexpr int kWidth = 4961;
constexpr int kHeight = 7016;

struct CPage {
    _ImageDesc m_src{kHeight, kWidth * 3, kWidth, 24, 0, 0};
    _ImageDesc m_dst{kWidth, kHeight * 3, kHeight, 24, 0, 0};
    std::vector<uint8_t> m_srcData, m_dstData;
    CPage() : m_srcData(static_cast<size_t>(kWidth) * kHeight * 3), m_dstData(m_srcData.size())
    {
        for (size_t i = 0; i < m_srcData.size(); ++i)
            m_srcData[i] = static_cast<uint8_t>(i * 2654435761u >> 13);
    }
};

CPage& Page()
{
    static CPage s_page;
    return s_page;
}

double Seconds(std::chrono::steady_clock::time_point t0)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
}

void BM_Memcpy_A4Colour(benchmark::State& state)
{
    CPage& p = Page();
    for (auto _ : state) {
        std::memcpy(p.m_dstData.data(), p.m_srcData.data(), p.m_srcData.size());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(p.m_srcData.size()));
}

void BM_Rotate_A4Colour(benchmark::State& state)
{
    CPage& p = Page();
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
// shared machine; "ratio" is rotation time / memcpy time.
void BM_Rotate90_RatioToMemcpy(benchmark::State& state)
{
    CPage& p = Page();
    double dCopy = 0, dRotate = 0;
    for (auto _ : state) {
        auto t0 = std::chrono::steady_clock::now();
        std::memcpy(p.m_dstData.data(), p.m_srcData.data(), p.m_srcData.size());
        benchmark::ClobberMemory();
        dCopy += Seconds(t0);
        t0 = std::chrono::steady_clock::now();
        imgfx::RotateQuarter(90, p.m_src, p.m_srcData.data(), p.m_dst, p.m_dstData.data());
        benchmark::ClobberMemory();
        const double dThis = Seconds(t0);
        dRotate += dThis;
        state.SetIterationTime(dThis);
    }
    state.counters["memcpy_ms"] = dCopy * 1000.0 / static_cast<double>(state.iterations());
    state.counters["rotate_ms"] = dRotate * 1000.0 / static_cast<double>(state.iterations());
    state.counters["ratio"] = dCopy > 0 ? dRotate / dCopy : 0;
}

}  // namespace

BENCHMARK(BM_Memcpy_A4Colour)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Rotate_A4Colour)->Arg(90)->Arg(180)->Arg(270)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Rotate90_RatioToMemcpy)->UseManualTime()->MinTime(2.0)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
