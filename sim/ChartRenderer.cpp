#include "sim/ChartRenderer.h"

#include "sim/BmpImage.h"

#include <algorithm>
#include <cmath>
#include <string>

namespace {

// Geometry runs in 1/19200 inch: every usual dpi divides it, so pixel centres are exact.
constexpr int64_t kUnitsPerInch = 19200;
constexpr int64_t kUnitsPer1200 = kUnitsPerInch / 1200;

constexpr int64_t Mm(int64_t mm) { return mm * kUnitsPerInch * 10 / 254; }

constexpr uint8_t kPaper = 250;
constexpr uint8_t kInk = 24;

// 5 x 7 glyphs, one byte per row, bit 4 the leftmost column.
constexpr uint8_t kGlyphs[11][7] = {
    {0x0E, 0x11, 0x13, 0x15, 0x19, 0x11, 0x0E},  // 0
    {0x04, 0x0C, 0x04, 0x04, 0x04, 0x04, 0x0E},  // 1
    {0x0E, 0x11, 0x01, 0x02, 0x04, 0x08, 0x1F},  // 2
    {0x1F, 0x02, 0x04, 0x02, 0x01, 0x11, 0x0E},  // 3
    {0x02, 0x06, 0x0A, 0x12, 0x1F, 0x02, 0x02},  // 4
    {0x1F, 0x10, 0x1E, 0x01, 0x01, 0x11, 0x0E},  // 5
    {0x06, 0x08, 0x10, 0x1E, 0x11, 0x11, 0x0E},  // 6
    {0x1F, 0x01, 0x02, 0x04, 0x08, 0x08, 0x08},  // 7
    {0x0E, 0x11, 0x11, 0x0E, 0x11, 0x11, 0x0E},  // 8
    {0x0E, 0x11, 0x11, 0x0F, 0x01, 0x02, 0x0C},  // 9
    {0x1E, 0x11, 0x11, 0x1E, 0x11, 0x11, 0x1E},  // B
};

uint32_t Hash(uint32_t a, uint32_t b, uint32_t c)
{
    uint32_t h = 2166136261u;
    for (uint32_t v : {a, b, c}) {
        h ^= v;
        h *= 16777619u;
        h ^= h >> 13;
    }
    return h;
}

uint8_t Grey(uint8_t r, uint8_t g, uint8_t b) { return static_cast<uint8_t>((r * 299 + g * 587 + b * 114 + 500) / 1000); }

}  // namespace

// The text lines of one page side: per line, the words as [start, end) along the line.
struct CChartRenderer::SLayout {
    struct SWord {
        int64_t x0, x1;
    };
    std::vector<std::vector<SWord>> lines;
    std::string label;  // page number, "B" appended on a back side
    int64_t nPatchX = 0;
    bool bRampRising = true;
};

namespace {

constexpr int64_t kMargin = Mm(15);
constexpr int64_t kTextTop = Mm(40);
constexpr int64_t kLinePitch = Mm(6);
constexpr int64_t kStrokeHeight = Mm(25) / 10;
constexpr int kTextLines = 26;
constexpr int64_t kRampTop = Mm(205), kRampBottom = Mm(225);
constexpr int64_t kPatchTop = Mm(235), kPatchSize = Mm(12), kPatchPitch = Mm(15);
constexpr int64_t kLabelTop = Mm(12), kLabelCell = Mm(25) / 10;
constexpr int64_t kBorderInset = Mm(4), kBorderWidth = Mm(1);

}  // namespace

CChartRenderer::CChartRenderer(const SChartRequest& request) : m_req(request), m_pLayout(std::make_unique<SLayout>())
{
    if (m_req.nDpi <= 0)
        m_req.nDpi = 300;
    if (m_req.nThreshold < 0 || m_req.nThreshold > 255)
        m_req.nThreshold = 128;
    const SChartArea& a = m_req.area;
    auto pixels = [&](int n1200) { return n1200 > 0 ? static_cast<int>((int64_t(n1200) * m_req.nDpi + 1199) / 1200) : 0; };
    m_nWidth = pixels(a.nRight - a.nLeft);
    m_nHeight = pixels(a.nBottom - a.nTop);
    constexpr double kPi = 3.14159265358979323846;
    double dRad = m_req.placement.dSkewDegrees * kPi / 180.0;
    m_nCos = std::llround(std::cos(dRad) * 65536.0);
    m_nSin = std::llround(std::sin(dRad) * 65536.0);
    m_nPageW = int64_t(m_req.placement.nPageWidth) * kUnitsPer1200;
    m_nPageH = int64_t(m_req.placement.nPageHeight) * kUnitsPer1200;

    SLayout& l = *m_pLayout;
    const uint32_t nSeed = uint32_t(m_req.nPage) * 2 + uint32_t(m_req.nSide);
    for (int i = 0; i < kTextLines; ++i) {
        std::vector<SLayout::SWord> words;
        int64_t x = kMargin;
        for (uint32_t w = 0;; ++w) {
            int64_t len = Mm(4 + Hash(nSeed, i, w) % 18);
            if (x + len > m_nPageW - kMargin)
                break;
            words.push_back({x, x + len});
            x += len + Mm(3);
        }
        l.lines.push_back(std::move(words));
    }
    l.label = std::to_string(std::max(0, m_req.nPage)) + (m_req.nSide ? "B" : "");
    l.nPatchX = m_req.nSide ? Mm(105) : kMargin;
    l.bRampRising = m_req.nSide == 0;
}

CChartRenderer::~CChartRenderer() = default;

int CChartRenderer::BitsPerPixel() const
{
    switch (m_req.nMode) {
    case kChartBw: return 1;
    case kChartGrey: return 8;
    default: return 24;
    }
}

int CChartRenderer::RowBytes() const { return static_cast<int>((int64_t(m_nWidth) * BitsPerPixel() + 7) / 8); }

int64_t CChartRenderer::PlatenPos(int nPixel, int nOrigin1200) const
{
    return int64_t(nOrigin1200) * kUnitsPer1200 + (int64_t(2 * int64_t(nPixel) + 1) * kUnitsPerInch) / (2 * m_req.nDpi);
}

CChartRenderer::SRgb CChartRenderer::Sample(int64_t x, int64_t y) const
{
    const SChartPlacement& p = m_req.placement;
    int64_t dx = x - int64_t(p.nOffsetX) * kUnitsPer1200;
    int64_t dy = y - int64_t(p.nOffsetY) * kUnitsPer1200;
    int64_t u = (dx * m_nCos + dy * m_nSin) >> 16;
    int64_t v = (dy * m_nCos - dx * m_nSin) >> 16;
    if (p.bUpsideDown) {
        u = m_nPageW - 1 - u;
        v = m_nPageH - 1 - v;
    }
    if (u < 0 || v < 0 || u >= m_nPageW || v >= m_nPageH) {
        const auto g = static_cast<uint8_t>(std::clamp(p.nPlatenGrey, 0, 255));
        return {g, g, g};
    }
    return PageAt(u, v);
}

CChartRenderer::SRgb CChartRenderer::PageAt(int64_t u, int64_t v) const
{
    if (!m_req.pPicture)
        return ChartAt(u, v);
    const CBmpImage& bmp = *m_req.pPicture;
    int px = static_cast<int>(u * bmp.Width() / m_nPageW);
    int py = static_cast<int>(v * bmp.Height() / m_nPageH);
    const uint8_t* p = bmp.Pixel(px, py);
    return {p[0], p[1], p[2]};
}

CChartRenderer::SRgb CChartRenderer::ChartAt(int64_t u, int64_t v) const
{
    const SLayout& l = *m_pLayout;
    const SRgb ink{kInk, kInk, kInk};
    // Border frame.
    int64_t du = std::min(u, m_nPageW - 1 - u), dv = std::min(v, m_nPageH - 1 - v);
    int64_t edge = std::min(du, dv);
    if (edge >= kBorderInset && edge < kBorderInset + kBorderWidth)
        return ink;
    // Page label, top right.
    int64_t labelX = m_nPageW - kMargin - int64_t(l.label.size()) * 6 * kLabelCell;
    if (v >= kLabelTop && v < kLabelTop + 7 * kLabelCell && u >= labelX && u < m_nPageW - kMargin) {
        int64_t cx = (u - labelX) / kLabelCell, cy = (v - kLabelTop) / kLabelCell;
        char c = l.label[static_cast<std::size_t>(cx / 6)];
        int glyph = c == 'B' ? 10 : c - '0';
        int col = static_cast<int>(cx % 6);
        if (col < 5 && (kGlyphs[glyph][cy] >> (4 - col)) & 1)
            return ink;
        return {kPaper, kPaper, kPaper};
    }
    // Text strokes.
    if (v >= kTextTop && v < kTextTop + kTextLines * kLinePitch && (v - kTextTop) % kLinePitch < kStrokeHeight) {
        for (const auto& w : l.lines[static_cast<std::size_t>((v - kTextTop) / kLinePitch)])
            if (u >= w.x0 && u < w.x1)
                return ink;
    }
    // Grey ramp in 16 steps.
    int64_t rampW = m_nPageW - 2 * kMargin;
    if (rampW > 0 && v >= kRampTop && v < kRampBottom && u >= kMargin && u < kMargin + rampW) {
        int step = static_cast<int>((u - kMargin) * 16 / rampW);
        uint8_t g = static_cast<uint8_t>((l.bRampRising ? step : 15 - step) * 17);
        return {g, g, g};
    }
    // Colour patches: red, green, blue, cyan, magenta, yellow.
    if (v >= kPatchTop && v < kPatchTop + kPatchSize && u >= l.nPatchX && u < l.nPatchX + 6 * kPatchPitch &&
        (u - l.nPatchX) % kPatchPitch < kPatchSize) {
        static constexpr SRgb kPatches[6] = {{220, 30, 30}, {30, 180, 60}, {30, 60, 210},
                                             {30, 200, 210}, {200, 40, 180}, {240, 220, 30}};
        return kPatches[(u - l.nPatchX) / kPatchPitch];
    }
    return {kPaper, kPaper, kPaper};
}

void CChartRenderer::RenderRow(int nRow, uint8_t* pOut) const
{
    if (!pOut || nRow < 0 || nRow >= m_nHeight)
        return;
    const int64_t y = PlatenPos(nRow, m_req.area.nTop);
    const int nBits = BitsPerPixel();
    if (nBits == 1)
        std::fill(pOut, pOut + RowBytes(), uint8_t(0));
    for (int x = 0; x < m_nWidth; ++x) {
        SRgb c = Sample(PlatenPos(x, m_req.area.nLeft), y);
        if (nBits == 24) {
            pOut[3 * x] = c.r;
            pOut[3 * x + 1] = c.g;
            pOut[3 * x + 2] = c.b;
        } else if (nBits == 8) {
            pOut[x] = Grey(c.r, c.g, c.b);
        } else if (Grey(c.r, c.g, c.b) >= m_req.nThreshold) {
            pOut[x >> 3] |= static_cast<uint8_t>(0x80 >> (x & 7));
        }
    }
}

std::vector<std::vector<uint8_t>> CChartRenderer::RenderAll() const
{
    std::vector<std::vector<uint8_t>> rows(static_cast<std::size_t>(m_nHeight),
                                           std::vector<uint8_t>(static_cast<std::size_t>(RowBytes())));
    for (int y = 0; y < m_nHeight; ++y)
        RenderRow(y, rows[static_cast<std::size_t>(y)].data());
    return rows;
}

std::vector<std::vector<uint8_t>> RenderChart(int nPage, int nSide, int nDpi, int nMode, const SChartArea& area)
{
    SChartRequest req;
    req.nPage = nPage;
    req.nSide = nSide;
    req.nDpi = nDpi;
    req.nMode = nMode;
    req.area = area;
    return CChartRenderer(req).RenderAll();
}

uint64_t ChecksumRows(const std::vector<std::vector<uint8_t>>& rows)
{
    uint64_t h = 14695981039346656037ull;
    for (const auto& row : rows)
        for (uint8_t b : row) {
            h ^= b;
            h *= 1099511628211ull;
        }
    return h;
}
