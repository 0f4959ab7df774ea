// The page path through the installed data source under Wine: the simulated scanner at
// unlimited speed, a colour A4 flatbed page at each resolution, taken by native, memory and
// file transfer, in rounds that also time the references on the same page: memcpy of the
// page, the simulator's delivery alone, and a plain write of the BMP's bytes to the same folder
// (a mebibyte per WriteFile call), and what first use of memory costs here: a new block of the
// page's size filled on two threads, and the page written into views of a new mapped file.
// The report gives the medians, the stages of each transfer and the source's share: the whole
// transfer less the simulator's delivery, as a ratio to the mechanism's reference.
//   xfer_path_bench.exe [--rounds N] [--dpi 300,600] [--device-only] [--timelines]
// --device-only times memcpy and the simulator's delivery alone (one page through the source
// first tells the simulator's parameters); --timelines prints the source's trace lines of every
// page with their times.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "BenchSource.h"
#include "DeviceDelivery.h"

namespace {

namespace fs = std::filesystem;
using Clock = CStageClock::Clock;

struct SOptions {
    int nRounds = 7;
    std::vector<int> dpis{300, 600};
    bool bDeviceOnly = false;
    bool bTimelines = false;
};

class CSeries {
public:
    void Add(double d) { m_values.push_back(d); }
    double Median() const
    {
        if (m_values.empty())
            return 0;
        std::vector<double> v = m_values;
        std::sort(v.begin(), v.end());
        const size_t n = v.size();
        return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
    }

private:
    std::vector<double> m_values;
};

struct SMechanism {
    const char* pszName;
    const char* pszReference;
    CSeries whole, read, convert, handOver, trace;
    void Add(const SPathTimes& t)
    {
        whole.Add(t.dWhole);
        trace.Add(t.dTrace);
        read.Add(t.dRead);
        convert.Add(t.dConvert);
        handOver.Add(t.dHandOver);
    }
};

std::vector<SMechanism> Mechanisms() { return {{"native", "memcpy"}, {"memory", "memcpy"}, {"file", "write"}}; }

// The page's buffers and references of one resolution.
struct SPage {
    SDeviceParams params;
    uint32_t nRowBytes = 0, nRows = 0;
    std::vector<uint8_t> source, target, device, bmp;
    CSeries copy, delivery, write, freshBlock, viewWrite;
    size_t Bytes() const { return size_t(nRowBytes) * nRows; }
};

// What this machine charges for memory a page passes through for the first time, whoever
// writes it: a new movable block of the page's size filled on two threads (every bitmap handed
// over is one), and the page written into views of a new mapped file (as a spool filled through
// its views would be).
double TimedFreshBlock(const SPage& page)
{
    const Clock::time_point t0 = Clock::now();
    HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, page.Bytes());
    auto* p = h ? static_cast<uint8_t*>(GlobalLock(h)) : nullptr;
    if (!p)
        return -1;
    const size_t nHalf = page.Bytes() / 2;
    std::thread other([&] { std::memcpy(p + nHalf, page.source.data() + nHalf, page.Bytes() - nHalf); });
    std::memcpy(p, page.source.data(), nHalf);
    other.join();
    const Clock::time_point t1 = Clock::now();
    GlobalUnlock(h);
    GlobalFree(h);
    return Ms(t0, t1);
}

double TimedViewWrite(const SPage& page, const fs::path& file)
{
    constexpr size_t kView = 4 << 20;
    const Clock::time_point t0 = Clock::now();
    HANDLE hFile = CreateFileW(file.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                               FILE_ATTRIBUTE_NORMAL, nullptr);
    HANDLE hMap = hFile != INVALID_HANDLE_VALUE
                      ? CreateFileMappingW(hFile, nullptr, PAGE_READWRITE, 0, static_cast<DWORD>(page.Bytes()), nullptr)
                      : nullptr;
    bool bOk = hMap != nullptr;
    for (size_t n = 0; bOk && n < page.Bytes(); n += kView) {
        const size_t nView = std::min(kView, page.Bytes() - n);
        void* pView = MapViewOfFile(hMap, FILE_MAP_WRITE, 0, static_cast<DWORD>(n), nView);
        bOk = pView != nullptr;
        if (bOk) {
            std::memcpy(pView, page.source.data() + n, nView);
            UnmapViewOfFile(pView);
        }
    }
    const Clock::time_point t1 = Clock::now();
    if (hMap)
        CloseHandle(hMap);
    if (hFile != INVALID_HANDLE_VALUE)
        CloseHandle(hFile);
    DeleteFileW(file.c_str());
    return bOk ? Ms(t0, t1) : -1;
}

double TimedMemcpy(SPage& page)
{
    const Clock::time_point t0 = Clock::now();
    std::memcpy(page.target.data(), page.source.data(), page.Bytes());
    const Clock::time_point t1 = Clock::now();
    volatile uint8_t nSink = page.target[page.Bytes() / 2];
    (void)nSink;
    return Ms(t0, t1);
}

// The bytes written as an application writes a buffer out, a mebibyte per call (one call for
// all of it takes from one to ten times as long under Wine, from one run to the next).
double TimedWrite(const fs::path& file, const std::vector<uint8_t>& bytes)
{
    constexpr size_t kPiece = 1 << 20;
    const Clock::time_point t0 = Clock::now();
    HANDLE h = CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return -1;
    bool bOk = true;
    for (size_t n = 0; bOk && n < bytes.size(); n += kPiece) {
        const DWORD nPiece = static_cast<DWORD>(std::min(kPiece, bytes.size() - n));
        DWORD nWritten = 0;
        bOk = WriteFile(h, bytes.data() + n, nPiece, &nWritten, nullptr) && nWritten == nPiece;
    }
    CloseHandle(h);
    const Clock::time_point t1 = Clock::now();
    DeleteFileW(file.c_str());
    return bOk ? Ms(t0, t1) : -1;
}

std::vector<uint8_t> ReadAll(const fs::path& file)
{
    std::ifstream in(file, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

fs::path TempDir()
{
    wchar_t szTemp[MAX_PATH] = L"";
    GetTempPathW(MAX_PATH, szTemp);
    return szTemp;
}

fs::path ModelDir()
{
    wchar_t szWin[MAX_PATH] = L"";
    GetWindowsDirectoryW(szWin, MAX_PATH);
    return fs::path(szWin) / L"twain_64" / L"MV4200";
}

// The first page through the source draws the simulator's page and tells its parameters.
const char* PreparePage(CBenchSource& src, CDeviceDelivery& device, const fs::path& simLog, int nDpi, SPage& page)
{
    SPathTimes t;
    size_t nBytes = 0;
    if (!src.Configure(nDpi))
        return "the source refused the settings";
    if (!src.NativePage(t, nBytes))
        return "no page by native transfer";
    page.params = LastDeviceParams(simLog);
    if (!page.params.bFound || !device.PageSize(page.params, page.nRowBytes, page.nRows))
        return "the simulator's parameters are not known";
    page.source.assign(page.Bytes(), 0x5A);
    page.target.assign(page.Bytes(), 0);
    page.device.assign(page.Bytes(), 0);
    if (device.ReadPage(page.params, page.device.data(), page.nRowBytes, page.nRows) < 0)
        return "the simulator delivered no page";
    return nullptr;
}

struct SRun {
    const SOptions& options;
    CBenchSource& src;
    CDeviceDelivery& device;
    fs::path dir;
};

// One round: the references and the three mechanisms, one page each.
bool Round(SRun& run, SPage& page, std::vector<SMechanism>& mechs)
{
    page.copy.Add(TimedMemcpy(page));
    page.freshBlock.Add(TimedFreshBlock(page));
    page.viewWrite.Add(TimedViewWrite(page, run.dir / L"xfer-bench-view.tmp"));
    const double dDelivery = run.device.ReadPage(page.params, page.device.data(), page.nRowBytes, page.nRows);
    if (dDelivery < 0)
        return false;
    page.delivery.Add(dDelivery);
    if (run.options.bDeviceOnly)
        return true;
    SPathTimes t;
    size_t nBytes = 0;
    if (!run.src.NativePage(t, nBytes))
        return false;
    mechs[0].Add(t);
    if (!run.src.MemoryPage(t, nBytes) || nBytes < page.Bytes())
        return false;
    mechs[1].Add(t);
    const fs::path file = run.dir / L"xfer-bench.bmp";
    if (!run.src.FilePage(file, t))
        return false;
    mechs[2].Add(t);
    if (page.bmp.empty())
        page.bmp = ReadAll(file);
    DeleteFileW(file.c_str());
    const double dWrite = TimedWrite(run.dir / L"xfer-bench-write.bmp", page.bmp);
    if (page.bmp.empty() || dWrite < 0)
        return false;
    page.write.Add(dWrite);
    return true;
}

void Report(int nDpi, const SPage& page, const std::vector<SMechanism>& mechs, int nRounds,
            std::vector<std::string>& summary)
{
    std::printf("\n%d dpi colour A4: %u rows of %u bytes, %.1f MB; medians of %d rounds, ms\n", nDpi, page.nRows,
                page.nRowBytes, page.Bytes() / 1e6, nRounds);
    std::printf("  memcpy of the page             %8.1f\n", page.copy.Median());
    std::printf("  simulator's delivery alone     %8.1f\n", page.delivery.Median());
    std::printf("  new block filled, two threads  %8.1f\n", page.freshBlock.Median());
    std::printf("  written into views of a file   %8.1f\n", page.viewWrite.Median());
    if (page.bmp.empty())
        return;
    std::printf("  write of the BMP's bytes       %8.1f\n", page.write.Median());
    std::printf("  %-8s %8s %8s %8s %9s %8s %8s   source share (less trace)\n", "", "whole", "read", "convert",
                "hand-over", "trace", "source");
    for (const SMechanism& m : mechs) {
        const double dShare = m.whole.Median() - page.delivery.Median();
        const double dRef = std::string(m.pszReference) == "write" ? page.write.Median() : page.copy.Median();
        std::printf("  %-8s %8.1f %8.1f %8.1f %9.1f %8.1f %8.1f   %.2fx (%.2fx) %s\n", m.pszName, m.whole.Median(),
                    m.read.Median(), m.convert.Median(), m.handOver.Median(), m.trace.Median(), dShare,
                    dShare / dRef, (dShare - m.trace.Median()) / dRef, m.pszReference);
        char szLine[128];
        std::snprintf(szLine, sizeof szLine, "%s %d dpi: source share %.2fx %s", m.pszName, nDpi, dShare / dRef,
                      m.pszReference);
        summary.emplace_back(szLine);
    }
}

bool RunResolution(SRun& run, const fs::path& simLog, int nDpi, std::vector<std::string>& summary)
{
    SPage page;
    if (const char* pszError = PreparePage(run.src, run.device, simLog, nDpi, page)) {
        std::fprintf(stderr, "%d dpi: %s\n", nDpi, pszError);
        return false;
    }
    std::vector<SMechanism> mechs = Mechanisms();
    // One unmeasured round: every path has run once before it is timed.
    if (!Round(run, page, mechs))
        return false;
    page.copy = page.delivery = page.write = page.freshBlock = page.viewWrite = CSeries();
    mechs = Mechanisms();
    for (int i = 0; i < run.options.nRounds; ++i) {
        if (!Round(run, page, mechs)) {
            std::fprintf(stderr, "%d dpi, round %d failed\n", nDpi, i + 1);
            return false;
        }
        std::printf("%d dpi, round %d of %d done\n", nDpi, i + 1, run.options.nRounds);
        std::fflush(stdout);
    }
    if (run.options.bDeviceOnly)
        page.bmp.clear();
    Report(nDpi, page, mechs, run.options.nRounds, summary);
    return true;
}

bool ParseOptions(int argc, char** argv, SOptions& o)
{
    for (int i = 1; i < argc; ++i) {
        const std::string s = argv[i];
        if (s == "--device-only") {
            o.bDeviceOnly = true;
        } else if (s == "--timelines") {
            o.bTimelines = true;
        } else if (s == "--rounds" && i + 1 < argc) {
            o.nRounds = std::max(1, std::atoi(argv[++i]));
        } else if (s == "--dpi" && i + 1 < argc) {
            o.dpis.clear();
            for (const char* p = argv[++i]; *p; ++p) {
                o.dpis.push_back(std::atoi(p));
                while (p[1] && *p != ',')
                    ++p;
            }
        } else {
            return false;
        }
    }
    return !o.dpis.empty();
}

}  // namespace

int main(int argc, char** argv)
{
    SOptions options;
    if (!ParseOptions(argc, argv, options)) {
        std::fprintf(stderr, "usage: xfer_path_bench [--rounds N] [--dpi 300,600] [--device-only] [--timelines]\n");
        return 2;
    }
    const fs::path dir = TempDir();
    const fs::path ini = dir / L"mvlsim-bench.ini", simLog = dir / L"mvlsim-bench.log";
    std::ofstream(ini) << "[Device]\r\nScanSpeed=0\r\n";
    DeleteFileW(simLog.c_str());
    SetEnvironmentVariableW(L"MVLSIM_INI", ini.c_str());
    SetEnvironmentVariableW(L"MVLSIM_LOG", simLog.c_str());

    CDeviceDelivery device(ModelDir() / L"mvllld.dll");
    CBenchSource src(ModelDir() / L"mvlTWAIN64.ds");
    if (!device.Loaded() || !src.Ready()) {
        std::fprintf(stderr, "the installed data source and simulated scanner could not be loaded and opened\n");
        return 1;
    }
    src.ShowTimelines(options.bTimelines);
    SRun run{options, src, device, dir};
    std::vector<std::string> summary;
    bool bOk = true;
    for (int nDpi : options.dpis)
        bOk = RunResolution(run, simLog, nDpi, summary) && bOk;
    std::printf("\n");
    for (const std::string& s : summary)
        std::printf("%s\n", s.c_str());
    DeleteFileW(ini.c_str());
    return bOk ? 0 : 1;
}
