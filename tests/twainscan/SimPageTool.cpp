// mvlsimpage: writes the page the simulated scanner renders for one set of scan parameters as a
// portable pixmap, so that scripts can compare a scanned file with what the device delivered.
// Usage: mvlsimpage SHEET SIDE DPI MODE LEFT TOP RIGHT BOTTOM OUT.pnm
//   SIDE 0 front, 1 back; MODE 0 black and white, 1 grey, 2 colour; the area in 1/1200 inch.
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "sim/ChartRenderer.h"

namespace {

bool ParseInt(const char* psz, int nMin, int nMax, int* pValue)
{
    char* pEnd = nullptr;
    long n = std::strtol(psz, &pEnd, 10);
    if (pEnd == psz || *pEnd != '\0' || n < nMin || n > nMax)
        return false;
    *pValue = static_cast<int>(n);
    return true;
}

struct CFileCloser {
    void operator()(FILE* p) const { std::fclose(p); }
};

// P4 for black and white (1 is black there, white on the device), P5 grey, P6 colour.
bool WritePnm(const char* pszPath, const CChartRenderer& page, int nMode)
{
    std::unique_ptr<FILE, CFileCloser> file(std::fopen(pszPath, "wb"));
    if (!file)
        return false;
    const char* pszMagic = nMode == kChartBw ? "P4" : nMode == kChartGrey ? "P5" : "P6";
    std::fprintf(file.get(), "%s\n%d %d\n", pszMagic, page.Width(), page.Height());
    if (nMode != kChartBw)
        std::fprintf(file.get(), "255\n");
    std::vector<uint8_t> row(static_cast<size_t>(page.RowBytes()));
    for (int y = 0; y < page.Height(); ++y) {
        page.RenderRow(y, row.data());
        if (nMode == kChartBw)
            for (uint8_t& b : row)
                b = static_cast<uint8_t>(~b);
        if (std::fwrite(row.data(), 1, row.size(), file.get()) != row.size())
            return false;
    }
    return std::fflush(file.get()) == 0;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 10) {
        std::fprintf(stderr, "usage: mvlsimpage SHEET SIDE DPI MODE LEFT TOP RIGHT BOTTOM OUT.pnm\n");
        return 1;
    }
    SChartRequest req;
    const int nLimit = 1200 * 100;  // a metre of platen is more than any model has
    bool bOk = ParseInt(argv[1], 1, 100000, &req.nPage) && ParseInt(argv[2], 0, 1, &req.nSide) &&
               ParseInt(argv[3], 1, 4800, &req.nDpi) && ParseInt(argv[4], kChartBw, kChartRgb, &req.nMode) &&
               ParseInt(argv[5], 0, nLimit, &req.area.nLeft) && ParseInt(argv[6], 0, nLimit, &req.area.nTop) &&
               ParseInt(argv[7], 0, nLimit, &req.area.nRight) && ParseInt(argv[8], 0, nLimit, &req.area.nBottom);
    if (!bOk || req.area.nRight <= req.area.nLeft || req.area.nBottom <= req.area.nTop) {
        std::fprintf(stderr, "mvlsimpage: bad page parameters\n");
        return 1;
    }
    CChartRenderer page(req);
    if (page.Width() <= 0 || page.Height() <= 0 || !WritePnm(argv[9], page, req.nMode)) {
        std::fprintf(stderr, "mvlsimpage: cannot write %s\n", argv[9]);
        return 1;
    }
    return 0;
}
