// The preview's geometry without a window: inches and pixels per source, the tracker's zones and
// edits (minimum sizes, bounds, moves against edges, new selections, auto-scroll), zoom and
// scroll-bar layout, cursors, the outline's dashes, and the rulers' labels per unit and zoom.
#include <gtest/gtest.h>

#include "ui/PreviewRuler.h"
#include "ui/ScanAreaTracker.h"

namespace {

// The control of the scanning dialog at 96 dpi: 260 x 351 pixels, image area 238 x 329.
const SPreviewRect kArea{21, 21, 259, 350};

ScanAreaTracker Tracker(SAreaInches area = {1, 2, 3, 4}, float fZoom = 1)
{
    ScanAreaTracker t;
    t.SetImageArea(kArea);
    t.Rescale(fZoom);
    t.PlaceArea(0, area);
    return t;
}

// A drag from a to b (client points) on the zone under a.
bool Drag(ScanAreaTracker& t, SPreviewPoint a, SPreviewPoint b)
{
    t.BeginDrag(t.HitTest(a), a);
    const bool bTaken = t.DragTo(b);
    t.EndDrag();
    return bTaken;
}

}  // namespace

TEST(ScanAreaTracker, InchesBecomePixelsAndBackPerSource)
{
    ScanAreaTracker t = Tracker();
    // Position truncates, size rounds.
    EXPECT_EQ(t.Rect(), (SPreviewRect{48, 77, 132, 190}));
    // A feeder's page is 85/101.8 of the width and 14.015748 inches high.
    t.PlaceArea(1, {0, 0, 8.503937f, 14.015748f});
    EXPECT_EQ(t.Rect(), (SPreviewRect{21, 21, 219, 350}));
    EXPECT_EQ(t.EffectiveRight(), 219);

    // An edge edit recomputes only its own extent; what was stored exactly stays exact.
    t.PlaceArea(0, {0, 0, 2.0f, 3.0f});
    ASSERT_TRUE(Drag(t, {t.Rect().nLeft + 30, t.Rect().nBottom}, {t.Rect().nLeft + 30, t.Rect().nBottom + 40}));
    EXPECT_EQ(t.StoredArea(0).fWidth, 2.0f);
    EXPECT_NEAR(t.StoredArea(0).fHeight, (t.Rect().Height()) * 11.692913f / 329, 1e-5);
    // Never below 0.4 inches, never beyond the feeder's 14.015748 inches, never off the platen.
    t.PlaceArea(1, {7, 13, 0.2f, 20.0f});
    ASSERT_TRUE(Drag(t, {t.Rect().nRight - 1, t.Rect().nBottom - 1}, {t.Rect().nRight, t.Rect().nBottom}));
    const SAreaInches a = t.StoredArea(1);
    EXPECT_GE(a.fWidth, 0.4f);
    EXPECT_LE(a.fHeight, 14.015748f);
    EXPECT_LE(a.fX + a.fWidth, 8.503937f + 1e-5);
    EXPECT_LE(a.fY + a.fHeight, 14.015748f + 1e-5);
}

TEST(ScanAreaTracker, ZonesOfTheHandlesEdgesAndInside)
{
    ScanAreaTracker t = Tracker();  // 48, 77, 132, 190
    const struct {
        SPreviewPoint pt;
        int nHit;
    } cases[] = {{{47, 76}, kHitTopLeft},    {{133, 78}, kHitTopRight}, {{131, 191}, kHitBottomRight},
                 {{49, 189}, kHitBottomLeft}, {{90, 72}, kHitTop},       {{137, 130}, kHitRight},
                 {{90, 195}, kHitBottom},     {{43, 130}, kHitLeft},     {{90, 130}, kHitMove},
                 {{200, 300}, kHitNew},       {{10, 130}, kHitOutside},  {{259, 130}, kHitOutside}};
    for (const auto& c : cases)
        EXPECT_EQ(t.HitTest(c.pt), c.nHit) << c.pt.x << "," << c.pt.y;
    // Scrolled by 40 pixels: the same zones 40 pixels further left.
    t.SetScrollOffsets(-40, 0);
    EXPECT_EQ(t.HitTest({50, 130}), kHitMove);
    EXPECT_EQ(t.HitTest({92, 130}), kHitRight);
}

TEST(ScanAreaTracker, EditsKeepTheMinimumSizeAndTheBounds)
{
    for (float fZoom : {1.0f, 3.0f}) {
        SCOPED_TRACE(fZoom);
        const int m = static_cast<int>(11 * fZoom);
        const int handles[] = {kHitTopLeft, kHitTopRight, kHitBottomRight, kHitBottomLeft,
                               kHitTop,     kHitRight,    kHitBottom,      kHitLeft};
        for (int nHit : handles) {
            ScanAreaTracker t = Tracker({1, 2, 3, 4}, fZoom);
            const SPreviewRect r0 = t.Rect();
            // Each handle pushed far past the opposite side: no smaller than m.
            const int dx = (nHit == kHitTopLeft || nHit == kHitBottomLeft || nHit == kHitLeft) ? 2000 : -2000;
            const int dy = (nHit <= kHitTopRight || nHit == kHitTop) ? 2000 : -2000;
            t.BeginDrag(nHit, {0, 0});
            t.DragTo({dx, dy});
            const SPreviewRect r = t.Rect();
            const bool bX = nHit != kHitTop && nHit != kHitBottom, bY = nHit != kHitLeft && nHit != kHitRight;
            EXPECT_EQ(r.Width(), bX ? m : r0.Width()) << nHit;
            EXPECT_EQ(r.Height(), bY ? m : r0.Height()) << nHit;
            // ... and pulled far outward: it stops at the bounds.
            t.DragTo({-dx, -dy});
            EXPECT_TRUE(t.Rect().nLeft >= t.Bounds().nLeft && t.Rect().nTop >= t.Bounds().nTop);
            EXPECT_TRUE(t.Rect().nRight <= t.Bounds().nRight && t.Rect().nBottom <= t.Bounds().nBottom);
            t.EndDrag();
        }
        // A move against each edge keeps the size.
        for (SPreviewPoint to : {SPreviewPoint{-3000, 0}, {3000, 0}, {0, -3000}, {0, 3000}}) {
            ScanAreaTracker t = Tracker({1, 2, 3, 4}, fZoom);
            const SPreviewRect r0 = t.Rect();
            t.BeginDrag(kHitMove, {100, 100});
            t.DragTo({100 + to.x, 100 + to.y});
            EXPECT_EQ(t.Rect().Width(), r0.Width());
            EXPECT_EQ(t.Rect().Height(), r0.Height());
            EXPECT_TRUE(t.Rect().nLeft == t.Bounds().nLeft || t.Rect().nRight == t.Bounds().nRight ||
                        t.Rect().nTop == t.Bounds().nTop || t.Rect().nBottom == t.Bounds().nBottom);
            EXPECT_TRUE(t.Moving());
            t.EndDrag();
            EXPECT_FALSE(t.Moving());
        }
    }
}

TEST(ScanAreaTracker, NewSelectionsWaitForBothAxesAndStayInside)
{
    ScanAreaTracker t = Tracker();
    t.BeginDrag(kHitNew, {200, 250});
    EXPECT_FALSE(t.DragTo({230, 250}));  // moved on one axis only
    EXPECT_EQ(t.Rect(), (SPreviewRect{48, 77, 132, 190}));
    EXPECT_TRUE(t.DragTo({201, 251}));
    EXPECT_EQ(t.Rect(), (SPreviewRect{200, 250, 211, 261}));
    EXPECT_TRUE(t.DragTo({150, 220}));  // up and to the left of the press point
    EXPECT_EQ(t.Rect(), (SPreviewRect{150, 220, 200, 250}));
    t.EndDrag();
    // Pressed a pixel from the bottom-right corner: still 11 pixels, still inside.
    t.BeginDrag(kHitNew, {257, 348});
    EXPECT_TRUE(t.DragTo({290, 390}));
    EXPECT_EQ(t.Rect(), (SPreviewRect{248, 339, 259, 350}));
    t.EndDrag();
}

TEST(ScanAreaTracker, ZoomScalesAndAutoScrollCarriesTheDragOn)
{
    ScanAreaTracker t = Tracker();
    const SPreviewRect r1 = t.Rect();
    t.Rescale(5);
    EXPECT_EQ(t.Bounds().nRight, 21 + 238 * 5);
    EXPECT_EQ(t.Rect().nLeft, 21 + (r1.nLeft - 21) * 5);
    t.Rescale(1);
    EXPECT_EQ(t.Rect(), r1);

    // At 2x the right edge is dragged out of the view; each step scrolls a pixel and follows.
    t.Rescale(2);
    t.BeginDrag(kHitRight, {t.Rect().nRight, 150});
    ASSERT_TRUE(t.DragTo({270, 150}));
    EXPECT_EQ(t.AutoScrollDirection(), 1);
    const int nRight = t.Rect().nRight;
    int nScrolled = 0;
    auto scroll = [&](bool bHorizontal, int n) {
        EXPECT_TRUE(bHorizontal);
        if (nScrolled >= 45)
            return 0;  // the end of the bar
        nScrolled += n;
        t.SetScrollOffsets(static_cast<float>(-nScrolled), 0);
        return n;
    };
    EXPECT_TRUE(t.AutoScroll(30, scroll));
    EXPECT_EQ(t.Rect().nRight, nRight + 30);
    t.AutoScroll(30, scroll);
    EXPECT_EQ(t.Rect().nRight, nRight + 45);
    EXPECT_EQ(t.AutoScrollDirection(), -1);
    EXPECT_TRUE(t.EndDrag());  // the host has not heard of the last steps yet
}

TEST(PreviewGeometry, ScrollBarsKeepTheAnchorAndFeedersDoNotScroll)
{
    // 1x to 2x anchored at the middle of 238 pixels: the content under it stays.
    SScrollAxisLayout l = LayoutScrollAxis(0, 238, 238, 2, 20 + 119, 0, 238, false);
    EXPECT_EQ(l.nRange, 476);
    EXPECT_FLOAT_EQ(l.fOffset, -119);
    EXPECT_TRUE(l.bShown);
    // Anchored at the far right at 5x: no further than the end of the content.
    l = LayoutScrollAxis(0, 238, 238, 5, 20 + 238, 0, 238, false);
    EXPECT_FLOAT_EQ(l.fOffset, 238 - 1190);
    EXPECT_FALSE(LayoutScrollAxis(-100, 238, 238, 1, 0, 0, 476, false).bShown);
    EXPECT_FLOAT_EQ(LayoutScrollAxis(-100, 238, 238, 1, 0, 0, 476, false).fOffset, 0);
    EXPECT_FALSE(LayoutScrollAxis(0, VisibleWidth(238, true), 238, 3, 100, 0, 238, true).bShown);

    EXPECT_EQ(ScrollAxisBy(10, -1, 0, 476, 238).nApplied, -1);
    EXPECT_EQ(ScrollAxisBy(0, -1, 0, 476, 238).nApplied, 0);
    EXPECT_EQ(ScrollAxisBy(238, 1, 0, 476, 238).nApplied, 0);
}

TEST(PreviewGeometry, CursorsAndTheOutlinesDashes)
{
    EXPECT_EQ(CursorForHit(kHitTopLeft, false), ECursorKind::kSizeNWSE);
    EXPECT_EQ(CursorForHit(kHitTopLeft, true), ECursorKind::kSizeNESW);
    EXPECT_EQ(CursorForHit(kHitBottomLeft, true), ECursorKind::kSizeNWSE);
    EXPECT_EQ(CursorForHit(kHitRight, true), ECursorKind::kSizeWE);
    EXPECT_EQ(CursorForHit(kHitMove, false), ECursorKind::kSizeAll);
    EXPECT_EQ(CursorForHit(kHitNew, false), ECursorKind::kArrow);

    std::vector<std::pair<int, int>> runs;
    ForEachDash(20, 5, [&](SDashRun r) { runs.emplace_back(r.nStart, r.nEnd); });
    EXPECT_EQ(runs, (std::vector<std::pair<int, int>>{{0, 2}, {5, 10}, {13, 18}}));
    runs.clear();
    ForEachDash(10, 2, [&](SDashRun r) { runs.emplace_back(r.nStart, r.nEnd); });
    EXPECT_EQ(runs, (std::vector<std::pair<int, int>>{{2, 7}}));
}

namespace {

std::vector<std::string> LabelTexts(const SRulerLayout& l, bool bHorizontal)
{
    std::vector<std::string> v;
    for (const SRulerText& t : l.labels)
        if ((t.y == 3) == bHorizontal)
            v.push_back(t.sText);
    return v;
}

SRulerLayout Rulers(int nUnitIndex, int nDpi, float fZoom = 1, bool bA3 = false, bool bFeeder = false)
{
    PreviewRuler r;
    r.SetArea(238, 329);
    r.SetUnit(nUnitIndex, nDpi);
    SRulerView v;
    v.fZoom = fZoom;
    v.bA3Product = bA3;
    v.bFeeder = bFeeder;
    v.fWidthInches = bA3 ? 11.7f : 8.503937f;
    v.fHeightInches = bFeeder ? 14.015748f : bA3 ? 17.01f : 11.692913f;
    v.nScaleWidth = VisibleWidth(238, bFeeder);
    return r.Layout(v);
}

using Texts = std::vector<std::string>;

}  // namespace

TEST(PreviewRuler, LabelsPerUnitAndZoom)
{
    // Inches: every inch, at the tick less 2 pixels; vertical numbers from 10 stacked digit by digit.
    SRulerLayout l = Rulers(0, 300);
    EXPECT_EQ(LabelTexts(l, true), (Texts{"1", "2", "3", "4", "5", "6", "7", "8"}));
    EXPECT_EQ(l.labels[0].x, 47);
    EXPECT_EQ(LabelTexts(l, false), (Texts{"1", "2", "3", "4", "5", "6", "7", "8", "9", "1", "0", "1", "1"}));
    EXPECT_EQ(l.corner.size(), 1u);
    EXPECT_EQ(l.corner[0].sText, "in");
    // A3: two-digit vertical inches only when even.
    Texts v = LabelTexts(Rulers(0, 300, 1, true), false);
    EXPECT_EQ(Texts(v.end() - 8, v.end()), (Texts{"1", "0", "1", "2", "1", "4", "1", "6"}));

    // Millimetres: every 50 mm at 1x, 20 mm at 2x and 3x, 10 mm at 4x and 5x.
    EXPECT_EQ(LabelTexts(Rulers(1, 300), true), (Texts{"50", "100", "150", "200"}));
    EXPECT_EQ(LabelTexts(Rulers(1, 300, 2), true).front(), "20");
    EXPECT_EQ(LabelTexts(Rulers(1, 300, 4), true).front(), "10");
    EXPECT_EQ(Rulers(1, 300).corner[0].sText, "mm");

    // Pixels: every 2 inches at 1x, every inch above; vertical ones twice as far apart for a
    // feeder or above 600 dpi; hundreds on A3 products.
    EXPECT_EQ(LabelTexts(Rulers(2, 300), true), (Texts{"600", "1200", "1800", "2400"}));
    EXPECT_EQ(LabelTexts(Rulers(2, 300, 2), true).front(), "300");
    EXPECT_EQ(LabelTexts(Rulers(2, 300, 1, false, true), false).front(), "1");
    EXPECT_EQ(LabelTexts(Rulers(2, 300, 1, false, true), false)[4], "2");  // 1200, then 2400
    EXPECT_EQ(LabelTexts(Rulers(2, 1200), false)[0], "4");                  // 4800
    l = Rulers(2, 300, 1, true);
    EXPECT_EQ(LabelTexts(l, true).front(), "6");
    ASSERT_EQ(l.corner.size(), 2u);
    EXPECT_EQ(l.corner[1].sText, "x100");
    // Three-digit horizontal labels move 6 pixels further left than one-digit ones.
    EXPECT_EQ(Rulers(2, 75).labels[0].sText, "150");
    EXPECT_EQ(Rulers(2, 75).labels[0].x, Rulers(0, 75).labels[1].x - 6);
}
