#include "SyntheticPage.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {

uint32_t Hash(uint32_t a, uint32_t b, uint32_t c)
{
    uint32_t h = a * 0x9E3779B1u ^ (b + 0x7F4A7C15u) * 0x85EBCA77u ^ (c + 0x165667B1u) * 0xC2B2AE3Du;
    h ^= h >> 15;
    h *= 0x2C1B3C6Du;
    h ^= h >> 12;
    h *= 0x297A2D39u;
    h ^= h >> 15;
    return h;
}

// Whether paper point (u, v) (pixels from the text area's top-left) is on a stroke.
bool OnStroke(const CSyntheticPage& p, double u, double v, double textW, double textH)
{
    if (u < 0 || v < 0 || u >= textW || v >= textH)
        return false;
    const double pitch = 0.25 * p.nDpi, cap = 0.11 * p.nDpi, cell = 0.07 * p.nDpi;
    const double stroke = std::max(1.0, p.nDpi / 100.0);
    const auto line = static_cast<uint32_t>(v / pitch);
    const double lv = v - line * pitch;
    if (lv >= cap)
        return false;
    const auto glyph = static_cast<uint32_t>(u / cell);
    const double lu = u - glyph * cell;
    const uint32_t h = Hash(p.nSeed, line, glyph);
    if (h % 7 == 0 || lu >= cell - stroke)  // word gaps and letter spacing
        return false;
    const double x1 = (h >> 4) % 3 == 0 ? cell * 0.5 : cell - 2.5 * stroke;
    if (lu < stroke || (lu >= x1 && lu < x1 + stroke))
        return true;  // two upright strokes
    const double y1 = (h >> 8) % 2 ? 0 : cap * 0.5;
    return (h >> 12) % 3 != 0 && lv >= y1 && lv < y1 + stroke;  // a bar
}

}  // namespace

std::vector<uint8_t> MakeSyntheticPage(const CSyntheticPage& p)
{
    const int32_t W = p.nWidth, H = p.nHeight, ch = p.bColour ? 3 : 1;
    std::vector<uint8_t> out(static_cast<size_t>(W) * H * ch);
    const double a = p.dAngle * std::numbers::pi / 180, ca = std::cos(a), sa = std::sin(a);
    const double cx = W / 2.0, cy = H / 2.0, margin = p.dMargin * p.nDpi;
    const double textW = W - 2 * margin, textH = H - 2 * margin;
    const int32_t band = std::max(4, p.nDpi / 8);
    for (int32_t y = 0; y < H; ++y) {
        for (int32_t x = 0; x < W; ++x) {
            const uint32_t n = Hash(p.nSeed ^ 0xABCDu, static_cast<uint32_t>(x), static_cast<uint32_t>(y));
            // paper point under image pixel (x, y): the paper is turned by the angle
            const double dx = x - cx, dy = y - cy;
            const double u = ca * dx + sa * dy + cx - margin, v = -sa * dx + ca * dy + cy - margin;
            int v0 = OnStroke(p, u, v, textW, textH) ? 35 : 232;
            if (p.bPlaten && (x < band || y < band))
                v0 = 28;
            const int grey = std::clamp(v0 + static_cast<int>(n % 13) - 6, 0, 255);
            uint8_t* px = &out[(static_cast<size_t>(y) * W + x) * ch];
            if (ch == 1) {
                px[0] = static_cast<uint8_t>(grey);
            } else {  // slightly warm paper and blue-black ink; the darkest channel carries the grey
                px[0] = static_cast<uint8_t>(std::min(255, grey + 12));
                px[1] = static_cast<uint8_t>(std::min(255, grey + 6 + static_cast<int>((n >> 8) % 3)));
                px[2] = static_cast<uint8_t>(grey);
            }
        }
    }
    return out;
}
