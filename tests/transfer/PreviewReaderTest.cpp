// The preview's reading without windows: the parameters sent, bands with a shorter last one, the
// edge strips, the rows kept after a failure, a cancel or an early end, the device closed once,
// the line poller's progress, the geometry per product, and the re-processing from the kept rows.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <thread>
#include <vector>

#include "tests/transfer/DirectEffects.h"
#include "transfer/PreviewReader.h"
#include "transfer/TransferFlags.h"

namespace {

class CFakeDevice : public IPreviewDevice {
public:
    int nSetParam = 0, nStart = 0;
    int nFailAtRow = -1, nFailCode = -1;
    int nEofAtRow = -1;
    int nFirstRowMs = 0;  // the device scans a while before the first row
    int nRow = 0, nCloses = 0, nAborts = 0, nPolls = 0;
    SDeviceScanParams params{};

    static uint8_t Byte(int nRow, int i) { return static_cast<uint8_t>(nRow * 7 + i * 3); }

    int SetScanParameter(const SDeviceScanParams& p) override
    {
        params = p;
        return nSetParam;
    }
    int StartScan() override { return nStart; }
    int ReadScanData(uint8_t* pDest, int nSize, int* pnRead) override
    {
        if (nRow == 0 && nFirstRowMs)
            std::this_thread::sleep_for(std::chrono::milliseconds(nFirstRowMs));
        if (nRow == nFailAtRow)
            return nFailCode;
        *pnRead = nRow == nEofAtRow ? 0 : nSize;
        for (int i = 0; i < *pnRead; ++i)
            pDest[i] = Byte(nRow, i);
        ++nRow;
        return 0;
    }
    int AbortScan() override { return ++nAborts, 0; }
    int GetScanParameter(int* pnValue, int* pnLines) override
    {
        *pnValue = 0;
        *pnLines = 100;
        return 0;
    }
    int GetCurScanLineNum(int* pnLines, int* pnState) override
    {
        *pnLines = ++nPolls * 20;
        *pnState = 15;
        return 0;
    }
    void EndJobAndClose() override { ++nCloses; }
};

class CSink : public IPreviewSink {
public:
    std::vector<int> bands, progress;
    int nCancelAfter = -1, nAsked = 0;
    void OnBand(int nRows, int) override { bands.push_back(nRows); }
    void OnProgress(int n) override { progress.push_back(n); }
    bool Cancelled() override { return nCancelAfter >= 0 && nAsked++ >= nCancelAfter; }
};

struct SPreview {
    SPreviewGeometry g;
    std::vector<uint8_t> work, shown;
    explicit SPreview(int nWidth = 40, int nHeight = 47)
    {
        g.nWidth = nWidth;
        g.nHeight = nHeight;
        work.assign(size_t(nWidth) * 3 * nHeight, 0);
        shown = work;
    }
    SPreviewImages Images() { return {work.data(), shown.data(), g.nWidth, g.nHeight}; }
    SPreviewResult Run(CFakeDevice& dev, CSink& sink, CImageEffects* pFx = nullptr, _ImageAdjustments adj = {})
    {
        g_bReadStarted = false;
        g_iProgressBase = 0;
        return ReadPreview(g, dev, pFx, adj, Images(), sink);
    }
    uint8_t Work(int nRow, int i) const { return work[size_t(nRow) * g.nWidth * 3 + i]; }
    uint8_t Shown(int nRow, int i) const { return shown[size_t(nRow) * g.nWidth * 3 + i]; }
};

}  // namespace

TEST(PreviewReader, BandsStripsAndOneClose)
{
    SPreview p;
    CFakeDevice dev;
    dev.nStart = 100;  // still scanning: the preview goes on
    CSink sink;
    SPreviewResult r = p.Run(dev, sink);
    EXPECT_EQ(r.nStatus, 0);
    EXPECT_EQ(r.nRows, 47);
    EXPECT_EQ(dev.params.nXDpi, 75);
    EXPECT_EQ(dev.params.nColourMode, 3);
    EXPECT_EQ(dev.params.nThreshold, 127);
    EXPECT_EQ(dev.params.nRight, 638 * 16);
    EXPECT_EQ(sink.bands, (std::vector<int>{0, 20, 40, 47}));
    EXPECT_EQ(sink.progress.back(), 100);
    EXPECT_EQ(dev.nCloses, 1);
    // 1.5 mm at the left (4 pixels) and 2 mm at the top (5 rows) are white; the rest is the device's.
    const int nLeft = PreviewLeftStrip(75) * 3, nTop = PreviewTopStrip(75);
    EXPECT_EQ(nLeft, 12);
    EXPECT_EQ(nTop, 5);
    for (int y = 0; y < 47; ++y)
        for (int i = 0; i < 40 * 3; ++i) {
            const uint8_t b = (y < nTop || i < nLeft) ? 0xFF : CFakeDevice::Byte(y, i);
            ASSERT_EQ(p.Work(y, i), b) << y << "," << i;
            ASSERT_EQ(p.Shown(y, i), b) << y << "," << i;
        }
}

TEST(PreviewReader, FailuresCancelAndEarlyEndKeepTheRowsRead)
{
    {
        SPreview p;
        CFakeDevice dev;
        dev.nSetParam = -78;
        CSink sink;
        EXPECT_EQ(p.Run(dev, sink).nStatus, -78);
        EXPECT_TRUE(sink.bands.empty());
        EXPECT_EQ(dev.nRow, 0);
        EXPECT_EQ(dev.nCloses, 0);  // the dialog closes after a refused start
        dev.nSetParam = 0;
        dev.nStart = -7;
        EXPECT_EQ(p.Run(dev, sink).nStatus, -7);
    }
    {
        SPreview p;
        CFakeDevice dev;
        dev.nFailAtRow = 25;
        CSink sink;
        SPreviewResult r = p.Run(dev, sink);
        EXPECT_EQ(r.nStatus, -1);
        EXPECT_EQ(r.nRows, 25);
        EXPECT_EQ(sink.bands, (std::vector<int>{0, 20, 25}));
        EXPECT_EQ(p.Shown(24, 60), CFakeDevice::Byte(24, 60));
        EXPECT_EQ(p.Shown(25, 60), 0xFF);
        EXPECT_EQ(dev.nCloses, 1);
    }
    {
        SPreview p;
        CFakeDevice dev;
        dev.nEofAtRow = 30;
        CSink sink;
        sink.nCancelAfter = 100;
        EXPECT_EQ(p.Run(dev, sink).nRows, 30);
        EXPECT_EQ(sink.bands.back(), 30);
        CFakeDevice dev2;
        CSink cancel;
        cancel.nCancelAfter = 10;
        SPreviewResult r = p.Run(dev2, cancel);
        EXPECT_EQ(r.nStatus, 0);
        EXPECT_EQ(r.nRows, 10);
        EXPECT_EQ(dev2.nAborts, 1);
        EXPECT_EQ(dev2.nCloses, 1);
    }
}

TEST(PreviewReader, LinePollerReportsUntilTheFirstRow)
{
    SPreview p;
    CFakeDevice dev;
    dev.nFirstRowMs = 450;
    CSink sink;
    p.Run(dev, sink);
    // Polled at once and every 200 ms: 20 and 40 of 100 lines, then 90 when reading starts.
    ASSERT_GE(sink.progress.size(), 4u);
    EXPECT_EQ(sink.progress[0], (20 * 90 + 90) / 100);
    EXPECT_EQ(sink.progress[1], (40 * 90 + 90) / 100);
    const auto it = std::find(sink.progress.begin(), sink.progress.end(), 90);
    ASSERT_NE(it, sink.progress.end());
    EXPECT_EQ(it[1], 90 + 1 * 10 / 47);
    EXPECT_EQ(g_iProgressBase, 90);
}

TEST(PreviewReader, GeometryPerProduct)
{
    SProductFlags f;
    SPreviewGeometry g = PreviewGeometryFor(f);
    EXPECT_EQ(g.nWidth * 10000 + g.nHeight, 6380877);
    EXPECT_FALSE(g.bRemapThreshold);
    f.bHasA3 = true;
    g = PreviewGeometryFor(f);
    EXPECT_EQ(g.nDpi, 75);
    EXPECT_EQ(g.nWidth * 10000 + g.nHeight, 8771275);
    EXPECT_EQ(g.nRight, 877 * 16);
    f.bIsVireo = true;
    EXPECT_TRUE(PreviewGeometryFor(f).bRemapThreshold);
    f.bIsTevoA3 = true;
    g = PreviewGeometryFor(f);
    EXPECT_TRUE(g.bSecondThread);
    EXPECT_EQ(g.nBandRows, 40);
    EXPECT_EQ(g.nDpi, 150);
    EXPECT_EQ(g.nRight, 14032);
    EXPECT_EQ(g.nBottom, 20408);
}

TEST(PreviewReader, ReprocessingStartsFromTheKeptRows)
{
    SPreview p(64, 50);
    CFakeDevice dev;
    CSink sink;
    CDirectEffects fx;
    _ImageAdjustments brighter;
    brighter.m_nBrightness[0] = 60;
    p.Run(dev, sink, &fx, brighter);
    const std::vector<uint8_t> firstShown = p.shown;
    ASSERT_NE(p.shown, p.work);
    // Back to no adjustment: the device's rows again, not a darkened copy of the brighter one.
    ReprocessPreview(p.g, &fx, _ImageAdjustments{}, p.Images(), 50);
    EXPECT_EQ(p.shown, p.work);
    ReprocessPreview(p.g, &fx, brighter, p.Images(), 50);
    EXPECT_EQ(p.shown, firstShown);
    // Black and white: every byte black or white.
    _ImageAdjustments bw;
    bw.m_nImageType = 0;
    bw.m_nThreshold = 128;
    ReprocessPreview(p.g, &fx, bw, p.Images(), 50);
    EXPECT_TRUE(std::all_of(p.shown.begin(), p.shown.end(), [](uint8_t b) { return b == 0 || b == 255; }));
    // Only the rows read are touched.
    std::fill(p.shown.begin(), p.shown.end(), 7);
    ReprocessPreview(p.g, &fx, _ImageAdjustments{}, p.Images(), 10);
    EXPECT_EQ(p.Shown(9, 30), p.Work(9, 30));
    EXPECT_EQ(p.Shown(10, 30), 7);
}
