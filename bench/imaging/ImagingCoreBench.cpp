// Synthetic scanned A4 pages at 300 and 600 dpi (3 degrees of skew, a dark platen band at two
// edges): auto_deskew against Leptonica's skew finder, normal_rotate against OpenCV's
// warpAffine, auto_crop against a plain copy of the page. Before timing, every result on these
// pages is checked against the literal reference. The ratios are printed at the end.
#include "imaging/AutoCrop.h"
#include "imaging/Deskew.h"
#include "imaging/ImagingOracle.h"
#include "imaging/ImagingThreads.h"
#include "imaging/PixelConvert.h"
#include "imaging/Rotate.h"
#include "imaging/SyntheticPage.h"
#include "profile/Trace.h"

#include <benchmark/benchmark.h>
#include <leptonica/allheaders.h>
#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace {

int g_nThreads = 2;  // ours and OpenCV's; --threads=N changes it

struct CBenchPage {
    int32_t w = 0, h = 0;
    std::vector<uint8_t> grey, rgb, rgbGrey;  // rgbGrey: the working form of the colour page
};

const CBenchPage& Page(int dpi)
{
    static std::map<int, CBenchPage> s_pages;
    auto it = s_pages.find(dpi);
    if (it != s_pages.end())
        return it->second;
    CBenchPage& p = s_pages[dpi];
    p.w = int32_t(8.27 * dpi), p.h = int32_t(11.69 * dpi);
    CSyntheticPage spec;
    spec.nWidth = p.w, spec.nHeight = p.h, spec.nDpi = dpi, spec.dAngle = 3.0, spec.bPlaten = true, spec.nSeed = 7;
    p.grey = MakeSyntheticPage(spec);
    spec.bColour = true;
    p.rgb = MakeSyntheticPage(spec);
    p.rgbGrey.resize(size_t(p.w) * p.h);
    RgbToGray(nullptr, p.rgb.data(), p.rgbGrey.data(), p.w, p.h);
    return p;
}

void NoTrace(const char*) {}

// ------------------------------------------------------------------ deskew

void BM_Deskew(benchmark::State& state)
{
    const CBenchPage& p = Page(int(state.range(0)));
    float angle = 0;
    for (auto _ : state) {
        angle = auto_deskew(nullptr, p.grey.data(), p.w, p.h, 1, int32_t(state.range(0)));
        benchmark::DoNotOptimize(angle);
    }
    state.counters["angle"] = angle;
}

void BM_LeptonicaSkew(benchmark::State& state)
{
    const CBenchPage& p = Page(int(state.range(0)));
    PIX* pix = pixCreate(p.w, p.h, 8);
    for (int32_t y = 0; y < p.h; ++y)
        for (int32_t x = 0; x < p.w; ++x) pixSetPixel(pix, x, y, p.grey[size_t(y) * p.w + x]);
    float angle = 0, conf = 0;
    for (auto _ : state) {
        PIX* bin = pixConvertTo1(pix, 128);
        pixFindSkew(bin, &angle, &conf);
        pixDestroy(&bin);
    }
    pixDestroy(&pix);
    state.counters["angle"] = angle;
}

// ------------------------------------------------------------------ rotation

void BM_Rotate(benchmark::State& state)
{
    const CBenchPage& p = Page(int(state.range(0)));
    for (auto _ : state) {
        CRotateParam rp{2, int32_t(state.range(0)), p.w, p.h, 0, 0, -3.0f};
        CPageBytes out = normal_rotate(nullptr, p.rgb.data(), &rp);
        benchmark::DoNotOptimize(out.data());
    }
}

void BM_OpenCvWarpAffine(benchmark::State& state)
{
    const CBenchPage& p = Page(int(state.range(0)));
    cv::setNumThreads(g_nThreads);
    const cv::Mat src(p.h, p.w, CV_8UC3, const_cast<uint8_t*>(p.rgb.data()));
    const cv::Mat m = cv::getRotationMatrix2D(cv::Point2f(p.w / 2.0f, p.h / 2.0f), -3.0, 1.0);
    for (auto _ : state) {
        cv::Mat dst;  // a fresh output each time, as normal_rotate returns one
        cv::warpAffine(src, dst, m, src.size(), cv::INTER_LINEAR, cv::BORDER_CONSTANT, cv::Scalar(255, 255, 255));
        benchmark::DoNotOptimize(dst.data);
    }
}

// ------------------------------------------------------------------ crop

void BM_Crop(benchmark::State& state)
{
    const CBenchPage& p = Page(int(state.range(0)));
    std::vector<uint8_t> out(p.rgb.size());
    int nCropped = 0;
    CAutoCropParam cp{};
    for (auto _ : state) {
        cp = CAutoCropParam{2, int32_t(state.range(0)), p.w, p.h, 0, 0};
        nCropped = auto_crop(nullptr, p.rgb.data(), out.data(), &cp);
        benchmark::DoNotOptimize(out.data());
    }
    state.counters["cropped"] = nCropped;
    state.counters["out_w"] = cp.nOutWidth;
    state.counters["out_h"] = cp.nOutHeight;
}

void BM_Memcpy(benchmark::State& state)
{
    const CBenchPage& p = Page(int(state.range(0)));
    std::vector<uint8_t> out(p.rgb.size());
    for (auto _ : state) {
        std::memcpy(out.data(), p.rgb.data(), p.rgb.size());
        benchmark::DoNotOptimize(out.data());
        benchmark::ClobberMemory();
    }
}

BENCHMARK(BM_Deskew)->Arg(300)->Arg(600)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_LeptonicaSkew)->Arg(300)->Arg(600)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Rotate)->Arg(300)->Arg(600)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_OpenCvWarpAffine)->Arg(300)->Arg(600)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Crop)->Arg(300)->Arg(600)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Memcpy)->Arg(300)->Arg(600)->Unit(benchmark::kMillisecond)->UseRealTime();

// ------------------------------------------------------------------ checks and summary

bool VerifyAgainstReference()
{
    bool bOk = true;
    for (int dpi : {300, 600}) {
        const CBenchPage& p = Page(dpi);
        for (const std::vector<uint8_t>* g : {&p.grey, &p.rgbGrey}) {
            const float a = auto_deskew(nullptr, g->data(), p.w, p.h, 1, dpi);
            const float b = oracle::AutoDeskew(g->data(), p.w, p.h, 1, dpi);
            std::printf("verify deskew %d dpi: %.1f (reference %.1f)\n", dpi, a, b);
            bOk &= a == b;
        }
        CRotateParam ra{2, dpi, p.w, p.h, 0, 0, -3.0f}, rb = ra;
        const bool bRot = oracle::AsBytes(normal_rotate(nullptr, p.rgb.data(), &ra)) == oracle::NormalRotate(p.rgb.data(), &rb);
        CRotateParam ga{1, dpi, p.w, p.h, 0, 0, -3.0f}, gb = ga;
        const bool bRotGrey = oracle::AsBytes(normal_rotate(nullptr, p.grey.data(), &ga)) == oracle::NormalRotate(p.grey.data(), &gb);
        std::printf("verify rotate %d dpi: colour %s, grey %s\n", dpi, bRot ? "same" : "DIFFERENT", bRotGrey ? "same" : "DIFFERENT");
        bOk &= bRot && bRotGrey;
        for (int type : {1, 2}) {
            const std::vector<uint8_t>& src = type == 2 ? p.rgb : p.grey;
            std::vector<uint8_t> oa(src.size()), ob(src.size());
            CAutoCropParam ca{type, dpi, p.w, p.h, 0, 0}, cb = ca;
            const int na = auto_crop(nullptr, src.data(), oa.data(), &ca);
            const int nb = oracle::AutoCrop(src.data(), ob.data(), &cb);
            const bool bSame = na == nb && ca.nOutWidth == cb.nOutWidth && ca.nOutHeight == cb.nOutHeight && oa == ob;
            std::printf("verify crop %s %d dpi: %d %dx%d %s\n", type == 2 ? "colour" : "grey", dpi, na, ca.nOutWidth,
                        ca.nOutHeight, bSame ? "same" : "DIFFERENT");
            bOk &= bSame;
        }
    }
    return bOk;
}

class CRatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override
    {
        for (const Run& r : runs) {
            if (r.run_type == Run::RT_Iteration)
                m_times[r.benchmark_name()].push_back(r.GetAdjustedRealTime());
            else if (r.aggregate_name == "median")  // all there is with --benchmark_report_aggregates_only
                m_medians[r.run_name.str()] = r.GetAdjustedRealTime();
        }
        ConsoleReporter::ReportRuns(runs);
    }
    void PrintRatios() const
    {
        std::printf("\nthreads %d (Leptonica single-threaded; OpenCV set to %d), instruction set: %s\n", g_nThreads,
                    g_nThreads, __builtin_cpu_supports("avx2") ? "AVX2 (rotation, colour to grey and the Hough bounds use it)" : "SSE2 only");
        Ratio("auto_deskew / Leptonica skew", "BM_Deskew", "BM_LeptonicaSkew", 1.0);
        Ratio("normal_rotate / cv::warpAffine", "BM_Rotate", "BM_OpenCvWarpAffine", 1.0);
        Ratio("auto_crop / memcpy", "BM_Crop", "BM_Memcpy", 3.0);
    }

private:
    void Ratio(const char* szWhat, const std::string& a, const std::string& b, double dTarget) const
    {
        for (const char* dpi : {"300", "600"}) {
            const std::string ka = a + "/" + dpi + "/real_time", kb = b + "/" + dpi + "/real_time";
            const auto ia = m_times.find(ka), ib = m_times.find(kb);
            if (ia != m_times.end() && ib != m_times.end()) {
                // Medians over the repetitions: on a shared machine single runs swing by half.
                std::printf("%-32s %s dpi: %6.2fx (target %.1fx; medians of %zu and %zu runs, spread %.2fx to %.2fx)\n",
                            szWhat, dpi, Median(ia->second) / Median(ib->second), dTarget, ia->second.size(),
                            ib->second.size(), Lowest(ia->second) / Highest(ib->second),
                            Highest(ia->second) / Lowest(ib->second));
                continue;
            }
            const auto ma = m_medians.find(ka), mb = m_medians.find(kb);
            if (ma != m_medians.end() && mb != m_medians.end())
                std::printf("%-32s %s dpi: %6.2fx (target %.1fx; medians)\n", szWhat, dpi, ma->second / mb->second, dTarget);
        }
    }
    static double Median(std::vector<double> v)
    {
        std::sort(v.begin(), v.end());
        const size_t n = v.size();
        return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
    }
    static double Lowest(const std::vector<double>& v) { return *std::min_element(v.begin(), v.end()); }
    static double Highest(const std::vector<double>& v) { return *std::max_element(v.begin(), v.end()); }
    std::map<std::string, std::vector<double>> m_times;  // wall time of every repetition
    std::map<std::string, double> m_medians;             // when only the aggregates are reported
};

}  // namespace

int main(int argc, char** argv)
{
    SetTraceSinks(&NoTrace, nullptr);
    benchmark::Initialize(&argc, argv);
    bool bVerify = true;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--no-verify") == 0) bVerify = false;
        if (std::strncmp(argv[i], "--threads=", 10) == 0) g_nThreads = std::max(1, std::atoi(argv[i] + 10));
    }
    SetImagingThreads(g_nThreads);
    if (bVerify && !VerifyAgainstReference()) {
        std::printf("results differ from the reference\n");
        return 1;
    }
    CRatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.PrintRatios();
    benchmark::Shutdown();
    return 0;
}
