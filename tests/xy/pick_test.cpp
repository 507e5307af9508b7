// Picking: pixels of a chart against the object they hit and the data
// value they stand for.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "picture.h"
#include "xychart.h"
#include "wd.h"
#include "xymath.h"

namespace {

struct Chart {
  Picture p{400, 300};
  XYChart* c;
  XYCartesianMarker* marker;
  // a flat run, then a bend: 0..25 at 5, up to 8 at 30, down to 2 at 40
  std::vector<double> xs{0, 15, 25, 30, 40}, ys{5, 5, 5, 8, 2};
  Chart() {
    c = XYChartCreateOnCanvas(p.cv, {}, 0.15, 0.9, 0.15, 0.85, 0xffffff, 0xc0c0c0, 1);
    XYChartShowGrids(c, 1);
    XYChartSetRanges(c, 0, 40, 0, 10, 4, 5);
    XYChartAddLineCurve(c, "teste", 8, xs.data(), ys.data(), 5, 0xff0000, 2, 0);
    marker = XYChartAddMarker(c, 0, 35, 0x0000ff, 1, 0);
    XYChartSetLegend(c, 0.8, 0.02, 0xffffff, 0);
    XYChartRefresh(c);
  }
  ~Chart() { XYChartDestroy(c); }
  // the pixel of a data point as the curve maps it: its axes' window on
  // its viewport (the plot area less a pixel right and below)
  void Pixel(double x, double y, int* px, int* py) {
    int vx0, vx1, vy0, vy1;
    c->curve->getViewport(&vx0, &vx1, &vy0, &vy1);
    wdWindow(0, 40, 0, 10);
    wdViewport(vx0, vx1, vy0, vy1);
    wdWorld2Canvas(x, y, px, py);
  }
};

enum Hit { kNothing, kCurve, kXAxis, kYAxis, kMarker, kLegend, kGrid };

struct PickCase {
  const char* name;
  double x, y;  // data point
  int dx, dy;   // pixels from it
  Hit want;
};

TEST(XYPick, PixelToObjectTable) {
  Chart chart;
  // the pick radius is 2 mm: 7 pixels at 3.78 pixels a millimetre
  const PickCase cases[] = {
      {"on the flat run", 5, 5, 0, 0, kCurve},
      {"6 pixels above the flat run", 5, 5, 0, 6, kCurve},
      {"7 pixels below the flat run", 5, 5, 0, -7, kNothing},
      {"8 pixels above the flat run", 5, 5, 0, 8, kNothing},
      {"on the middle of three collinear points", 15, 5, 0, 0, kNothing},
      {"on the rising part", 27.5, 6.5, 0, 0, kCurve},
      {"on the marker, where it crosses the falling part", 35, 5, 0, 0, kMarker},
      {"on the marker above the curve", 35, 9, 0, 0, kMarker},
      {"on an x grid line", 20, 9, 0, 0, kGrid},
      {"inside a grid cell", 15, 7, 0, 0, kNothing},
      {"under the x axis, on its labels", 20, 0, 0, -10, kXAxis},
      {"left of the y axis, on its labels", 0, 4, -12, 0, kYAxis},
  };
  for (const PickCase& t : cases) {
    int px, py;
    chart.Pixel(t.x, t.y, &px, &py);
    px += t.dx, py += t.dy;
    XYObject* hit = chart.c->graph->pick(px, py);
    Hit got = kNothing;
    if (hit == chart.c->curve)
      got = kCurve;
    else if (hit == chart.c->xAxis)
      got = kXAxis;
    else if (hit == chart.c->yAxis)
      got = kYAxis;
    else if (hit == chart.marker)
      got = kMarker;
    else if (hit == chart.c->legend)
      got = kLegend;
    else if (hit == chart.c->grid1 || hit == chart.c->grid2)
      got = kGrid;
    else if (hit != nullptr)
      got = Hit(-1);
    EXPECT_EQ(got, t.want) << t.name << " at " << px << "," << py;
    // the window's own tests: only its axis, only the curve
    EXPECT_EQ(XYChartPickXAxis(chart.c, px, py) != nullptr, t.want == kXAxis) << t.name;
    EXPECT_EQ(XYChartPickYAxis(chart.c, px, py) != nullptr, t.want == kYAxis) << t.name;
    if (t.want == kCurve) {
      EXPECT_EQ(XYChartPickCurve(chart.c, px, py), chart.c->curve) << t.name;
    }
  }
}

TEST(XYPick, PixelToValue) {
  Chart chart;
  // 0..40 over 0.75 of 399 pixels: 0.134 units a pixel
  const double per_pixel = 40.0 / (0.75 * 399);
  for (double v : {0.0, 2.5, 10.0, 17.3, 33.3, 40.0}) {
    int px, py, unused;
    chart.c->xAxis->valueToPixel(v, &px, &unused);
    chart.c->yAxis->valueToPixel(5, &unused, &py);
    EXPECT_NEAR(XYChartXValue(chart.c, px, py), v, per_pixel) << v;
    EXPECT_NEAR(XYChartYValue(chart.c, px, py), 5.0, 10.0 / (0.7 * 299)) << v;
  }
}

TEST(XYPick, LegendEntryAfterDraw) {
  Chart chart;
  int lx0, lx1, ly0, ly1;
  chart.c->curve->getLegendBox(&lx0, &lx1, &ly0, &ly1);
  ASSERT_LT(lx0, lx1);
  EXPECT_EQ(chart.c->legend->pickEntry((lx0 + lx1) / 2, (ly0 + ly1) / 2), chart.c->curve);
  EXPECT_EQ(chart.c->legend->pickEntry(lx1 + 1, ly0), nullptr);
  EXPECT_EQ(chart.c->graph->pick((lx0 + lx1) / 2, (ly0 + ly1) / 2), chart.c->legend);
}

TEST(XYPick, WideLineRaisesTheRadius) {
  Chart chart;
  static_cast<XYLineCurve*>(chart.c->curve)->setWidth(9);
  int px, py;
  chart.Pixel(5, 5, &px, &py);
  EXPECT_EQ(XYChartPickCurve(chart.c, px, py + 8), chart.c->curve);
  EXPECT_EQ(XYChartPickCurve(chart.c, px, py + 9), nullptr);
  EXPECT_EQ(xymath::tolerance(), 1e-9);  // the pick put the tolerance back
}

TEST(XYPick, MarkCurveWithinItsMarkSize) {
  Chart chart;
  std::vector<double> mx{15}, my{3};
  XYCurve* marks = XYChartAddMarkCurve(chart.c, "", 8, mx.data(), my.data(), 1, 0, 5, CD_BOX);
  XYChartRefresh(chart.c);
  // the mark's pixel as the curve maps it: its window on its viewport
  int vx0, vx1, vy0, vy1, px, py;
  marks->getViewport(&vx0, &vx1, &vy0, &vy1);
  wdWindow(0, 40, 0, 10);
  wdViewport(vx0, vx1, vy0, vy1);
  wdWorld2Canvas(15, 3, &px, &py);
  EXPECT_EQ(chart.c->graph->pickCurve(px + 4, py - 4), marks);
  EXPECT_EQ(chart.c->graph->pickCurve(px + 5, py), nullptr);
  EXPECT_EQ(chart.c->graph->pickCurve(px, py - 5), nullptr);
}

}  // namespace
