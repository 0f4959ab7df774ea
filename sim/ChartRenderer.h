// The simulated scanner's page: a deterministic test chart (border, lines of text-like strokes,
// a grey ramp, colour patches, the page number) or a BMP picture, laid on a darker platen with
// a chosen offset and skew, and sampled at any resolution and colour mode. All geometry is
// integer arithmetic so that every platform renders the same bytes.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

class CBmpImage;

// A scan area on the platen, in 1/1200 inch.
struct SChartArea {
    int nLeft = 0, nTop = 0, nRight = 0, nBottom = 0;
};

// Where the page lies on the platen.
struct SChartPlacement {
    double dSkewDegrees = 0;   // clockwise, around the page's top-left corner
    int nOffsetX = 0;          // the page's top-left corner, 1/1200 inch
    int nOffsetY = 0;
    bool bUpsideDown = false;  // the page turned by 180 degrees (backs of a turned stack)
    int nPageWidth = 9921;     // 1/1200 inch; A4
    int nPageHeight = 14031;
    int nPlatenGrey = 48;      // around the page; a white lid (255) hides the sheet's edges
};

// Colour modes as the device receives them: 1-bit packed MSB first with 1 = white, 8-bit grey,
// 24-bit red-green-blue, and the preview's colour (same bytes as 24-bit).
enum EChartMode { kChartBw = 0, kChartGrey = 1, kChartRgb = 2, kChartPreview = 3 };

struct SChartRequest {
    int nPage = 1;             // printed on the page
    int nSide = 0;             // 0 front, 1 back: a different layout
    int nDpi = 300;
    int nMode = kChartRgb;
    int nThreshold = 128;      // black and white: grey below it is black; outside 0..255 uses 128
    SChartArea area;
    SChartPlacement placement;
    std::shared_ptr<const CBmpImage> pPicture;  // page content instead of the chart
};

class CChartRenderer {
public:
    explicit CChartRenderer(const SChartRequest& request);
    ~CChartRenderer();

    // The request as drawn (a threshold outside 0..255 replaced).
    const SChartRequest& Request() const { return m_req; }
    int Width() const { return m_nWidth; }
    int Height() const { return m_nHeight; }
    int BitsPerPixel() const;
    int RowBytes() const;
    // Writes RowBytes() bytes of row nRow (0 = top); rows outside the area are left alone.
    void RenderRow(int nRow, uint8_t* pOut) const;
    std::vector<std::vector<uint8_t>> RenderAll() const;

private:
    struct SRgb {
        uint8_t r, g, b;
    };
    struct SLayout;
    SRgb Sample(int64_t x, int64_t y) const;
    SRgb PageAt(int64_t u, int64_t v) const;
    SRgb ChartAt(int64_t u, int64_t v) const;
    int64_t PlatenPos(int nPixel, int nOrigin1200) const;

    SChartRequest m_req;
    int m_nWidth = 0, m_nHeight = 0;
    int64_t m_nCos = 65536, m_nSin = 0;
    int64_t m_nPageW = 0, m_nPageH = 0;
    std::unique_ptr<SLayout> m_pLayout;
};

// The chart of one page, default placement, all rows top first.
std::vector<std::vector<uint8_t>> RenderChart(int nPage, int nSide, int nDpi, int nMode, const SChartArea& area);

// A stable 64-bit checksum (FNV-1a) of rows, for golden comparisons.
uint64_t ChecksumRows(const std::vector<std::vector<uint8_t>>& rows);
