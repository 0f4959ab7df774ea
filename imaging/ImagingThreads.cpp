#include "imaging/ImagingThreads.h"

#include <atomic>

namespace {
std::atomic<int> g_nImagingThreads{2};
}

void SetImagingThreads(int nThreads)
{
    g_nImagingThreads = std::clamp(nThreads, 1, 16);
}

int GetImagingThreads()
{
    return g_nImagingThreads;
}
