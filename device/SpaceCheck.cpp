#include "device/SpaceCheck.h"

SScanSpaceResult CheckScanSpace(const SScanSpaceInput& in)
{
    SScanSpaceResult r;
    // 64-bit products: a large page at high resolution overflows 32 bits.
    r.nNeed = in.nWidth * in.nBytesPerPixel * in.nHeight * 2;
    r.nMerged = in.bFileOutput && in.bMerging ? r.nNeed + in.nPreviousMerged : r.nNeed;
    const uint64_t nNeedWithReserve = r.nNeed + kSpaceReserveBytes;
    bool bFail = nNeedWithReserve >= in.nSystemFree;
    if (in.bFileOutput && r.nMerged >= in.nOutputFree + kSpaceReserveBytes)
        bFail = true;
    if (!in.nAvailVirtual || *in.nAvailVirtual < kMinAvailVirtualBytes)
        bFail = true;
    r.bFits = !bFail;
    return r;
}

bool NextPageFits(uint64_t nWidth, uint64_t nHeight, uint64_t nFreeBytes, std::optional<uint64_t> nAvailVirtual)
{
    const uint64_t nNeeded = nWidth * 3 * nHeight * 2;
    return nAvailVirtual && nNeeded < nFreeBytes && nFreeBytes >= kMinFreeDiskBytes &&
           *nAvailVirtual >= kMinAvailVirtualBytes;
}
