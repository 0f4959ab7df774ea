// Whether a scan fits onto the disk and into memory: before a job starts, and before each
// further feeder page. Portable; the caller queries the system and passes the figures in.
#pragma once

#include <cstdint>
#include <optional>

constexpr uint64_t kSpaceReserveBytes = 314572800;     // 300 MiB kept free beside the page
constexpr uint64_t kMinAvailVirtualBytes = 300000000;  // below this no page is started
constexpr uint64_t kMinFreeDiskBytes = 300000000;

struct SScanSpaceInput {
    uint64_t nWidth = 0;
    uint64_t nHeight = 0;
    uint64_t nBytesPerPixel = 3;            // 3 in colour, else 1
    uint64_t nSystemFree = 0;               // free bytes on the Windows directory's drive
    bool bFileOutput = false;
    uint64_t nOutputFree = 0;               // free bytes on the output folder's drive
    uint64_t nPreviousMerged = 0;           // bytes of pages already merged (merge scanning)
    bool bMerging = false;                  // this page is merged to the earlier ones
    std::optional<uint64_t> nAvailVirtual;  // empty when the memory status could not be read
};

struct SScanSpaceResult {
    bool bFits = false;
    uint64_t nNeed = 0;    // page bytes twice over, before the reserve
    uint64_t nMerged = 0;  // what the output folder must hold
};

// The check before a job: an unreadable memory status counts as not fitting.
SScanSpaceResult CheckScanSpace(const SScanSpaceInput& in);

// The check before a further feeder page: the page twice over in colour must fit onto the
// disk, which must keep 300000000 bytes, and as much virtual memory must be free.
bool NextPageFits(uint64_t nWidth, uint64_t nHeight, uint64_t nFreeBytes, std::optional<uint64_t> nAvailVirtual);
