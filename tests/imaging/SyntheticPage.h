// Synthetic scanned pages for the imaging tests and benchmarks: white paper with mild noise,
// lines of dark text-like strokes (about 12 % of the text area), optionally a dark platen band
// along the top and left edges, the paper turned by a given angle about the page centre.
#pragma once

#include <cstdint>
#include <vector>

struct CSyntheticPage {
    int32_t nWidth = 0;
    int32_t nHeight = 0;
    int32_t nDpi = 300;
    double dAngle = 0;       // degrees the paper is turned by
    bool bColour = false;    // R,G,B bytes instead of grey
    bool bPlaten = true;     // dark band along two edges
    double dMargin = 0.5;    // inches of blank paper around the text
    uint32_t nSeed = 1;
};

// Grey (W x H) or colour (3 x W x H) bytes.
std::vector<uint8_t> MakeSyntheticPage(const CSyntheticPage& page);
