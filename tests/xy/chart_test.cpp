// The chart object model: positions, viewports, plot areas, lists, the
// curve data over arrays, grids, legend layout and the repaint of part of
// a curve.
#include <gtest/gtest.h>

#include <vector>

#include "picture.h"
#include "wd.h"
#include "xychart.h"

namespace {

TEST(XYModel, ReferenceCoordinates) {
  Picture p(200, 100);
  XYRasterText anchor("Anchor", XYCoord(0.5), XYCoord(0.5), 0, 10, CD_COURIER, CD_PLAIN,
                      CD_SOUTH_WEST, 0, false, true);
  anchor.setViewport(0, 199, 0, 99);
  int ax0, ay0, ax1, ay1;
  anchor.boundingBox(&ax0, &ay0, &ax1, &ay1);
  // placed 5 pixels before the anchor in x and 3 after it in y
  XYRasterText beside("B", XYCoord(&anchor, 0, 5), XYCoord(&anchor, 1, 3), 0, 10, CD_COURIER,
                      CD_PLAIN, CD_SOUTH_WEST, 0, false, true);
  beside.setViewport(0, 199, 0, 99);
  int bx0, by0, bx1, by1;
  beside.boundingBox(&bx0, &by0, &bx1, &by1);
  EXPECT_EQ(bx1, ax0 - 5);
  EXPECT_EQ(by0, ay1 + 3 + 1);
  // a reference still at relative x 0.0 leaves the value as it was
  XYRasterText origin("O", XYCoord(0.0), XYCoord(0.5), true);
  XYRasterText unplaced("U", XYCoord(&origin, 0, 5), XYCoord(0.5), true);
  unplaced.setViewport(0, 199, 0, 99);
  int x = 1234, y = 0;
  unplaced.getPixelPosition(&x, &y);
  EXPECT_EQ(x, 1234);
  // no referenced object: 0 pixels, 0.0 relative
  XYRasterText orphan("U", XYCoord(nullptr, 0, 5), XYCoord(0.5), true);
  orphan.setViewport(10, 199, 0, 99);
  double rx = 9, ry;
  orphan.getPixelPosition(&x, &y);
  orphan.getRelativePosition(&rx, &ry);
  EXPECT_EQ(x, 0);
  EXPECT_EQ(rx, 0.0);
}

TEST(XYModel, ViewportWithoutStretch) {
  // 400 x 200 pixels of 100 x 50 mm
  std::vector<unsigned char> r(400 * 200), g(r), b(r);
  char data[160];
  std::snprintf(data, sizeof data, "400x200 %p %p %p -r4", (void*)r.data(), (void*)g.data(),
                (void*)b.data());
  cdCanvasHandle cv = cdCreateCanvas(CD_IMAGERGB, data);
  ASSERT_NE(cv, nullptr);
  cdActivate(cv);
  XYCartesianGraph graph(cv, {}, XYCoord(0.0), XYCoord(0.0), 1.0, 1.0, true, nullptr, nullptr);
  int vx0, vx1, vy0, vy1;
  graph.getViewport(&vx0, &vx1, &vy0, &vy1);
  EXPECT_EQ(vx0, 0);
  EXPECT_EQ(vx1, 399);  // stretched: the whole canvas
  graph.setStretch(false);
  graph.computeViewport();
  graph.getViewport(&vx0, &vx1, &vy0, &vy1);
  EXPECT_EQ(vx0, 100);
  EXPECT_EQ(vx1 - vx0, 200);
  EXPECT_EQ(vy0, 0);
  EXPECT_EQ(vy1 - vy0, 200);
  cdKillCanvas(cv);
}

TEST(XYModel, PlotAreaAndLists) {
  Picture p(200, 100);
  XYCartesianGraph graph(p.cv, {}, XYCoord(0.0), XYCoord(0.0), 1.0, 1.0, true, nullptr, nullptr);
  graph.computePlotArea();  // no axes: an inverted area
  double xmin, xmax, ymin, ymax;
  graph.getPlotArea(&xmin, &xmax, &ymin, &ymax);
  EXPECT_EQ(xmin, 1.0);
  EXPECT_EQ(xmax, 0.0);
  int x0, y0, x1, y1;
  graph.plotAreaPixels(&x0, &y0, &x1, &y1);
  EXPECT_LT(x1, x0);
  XYLinearAxis ax(0, 1, XYCoord(0.2), XYCoord(0.1), 0, 0.7, 0, 0.1, nullptr, nullptr, false, true);
  XYLinearAxis ay(0, 1, XYCoord(0.2), XYCoord(0.1), 0, 0.8, 90, 0.1, nullptr, nullptr, false, true);
  graph.addAxis(&ax);
  graph.addAxis(&ay);
  graph.computePlotArea();
  graph.getPlotArea(&xmin, &xmax, &ymin, &ymax);
  EXPECT_DOUBLE_EQ(xmin, 0.2);
  EXPECT_DOUBLE_EQ(xmax, 0.9);
  EXPECT_DOUBLE_EQ(ymin, 0.1);
  EXPECT_DOUBLE_EQ(ymax, 0.9);
  ProfileCurveData d1(std::vector<double>{1, 2}.data(), 2), d2(std::vector<double>{3}.data(), 1);
  XYLineCurve first(&d1, &ax, &ay, 0, 1, 0, true), second(&d2, &ax, &ay, 0, 1, 0, true);
  graph.addCurve(&first);
  graph.addCurve(&second);
  EXPECT_EQ(graph.curveAt(1), nullptr);
  EXPECT_EQ(graph.curveAt(2), &second);  // the most recently added
  EXPECT_EQ(graph.curveAt(3), &first);
  EXPECT_EQ(graph.curveAt(4), nullptr);
  EXPECT_EQ(graph.addMarkAt(50, 50, nullptr), nullptr);
  EXPECT_EQ(*graph.markList(), nullptr);
  EXPECT_TRUE(graph.contains(&first));
  graph.removeCurve(&first);
  EXPECT_FALSE(graph.contains(&first));
  EXPECT_FALSE(graph.setDoubleBuffer(true));
  EXPECT_TRUE(graph.setDoubleBuffer(false));
  EXPECT_EQ(graph.setBufferCanvas(p.cv), nullptr);
  EXPECT_EQ(graph.setBufferCanvas(nullptr), p.cv);
  graph.removeCurve(&second);
  graph.removeAxis(&ax);
  graph.removeAxis(&ay);
}

TEST(XYModel, ProfileCurveDataWindows) {
  const std::vector<double> xs{0, 1, 2, 3, 4}, ys{10, 11, 12, 13, 14};
  ProfileCurveData d(xs.data(), ys.data(), 5);
  double x0, x1, x, y;
  d.xRange(&x0, &x1);
  EXPECT_EQ(x0, 0);
  EXPECT_EQ(x1, 4);
  d.setXWindow(1.5, 3.5);
  EXPECT_EQ(d.count(), 2);
  ASSERT_TRUE(d.point(0, &x, &y));
  EXPECT_EQ(y, 12);
  ASSERT_TRUE(d.point(-1, &x, &y));  // the neighbour before
  EXPECT_EQ(y, 11);
  ASSERT_TRUE(d.point(2, &x, &y));  // and after
  EXPECT_EQ(y, 14);
  d.setXWindow(1.2, 1.8);  // no point inside
  EXPECT_EQ(d.count(), 0);
  EXPECT_FALSE(d.point(0, &x, &y));
  d.setXWindow(-1, 0.5);  // only the first
  EXPECT_EQ(d.count(), 1);
  EXPECT_FALSE(d.point(-1, &x, &y));
  ProfileCurveData empty(xs.data(), ys.data(), -1);
  EXPECT_EQ(empty.count(), 0);
  EXPECT_FALSE(empty.point(0, &x, &y));
}

// A chart of the profile of no samples: empty, zero-width ranges; it draws
// the axes and nothing else, without dividing by zero.
TEST(XYModel, EmptyProfileDrawsAnEmptyChart) {
  Picture p(300, 200);
  XYChart* c = XYChartCreateOnCanvas(p.cv, {}, 0.15, 0.9, 0.15, 0.85, 0xffffff, 0xc0c0c0, 1);
  XYChartShowGrids(c, 1);
  XYChartSetRanges(c, 0.0, 0.0, 999999.0, 0.0, 10, 10);
  XYChartAddLineCurve(c, "teste", 5, nullptr, nullptr, -1, 0xff0000, 2, 0);
  XYChartRefresh(c);
  double xmin, ymin, xmax, ymax;
  XYChartGetRanges(c, &xmin, &ymin, &xmax, &ymax);
  EXPECT_LT(xmin, xmax);
  EXPECT_EQ(XYChartPickCurve(c, 150, 100), nullptr);
  int red = 0;
  for (int y = 0; y < 200; y++)
    for (int x = 0; x < 300; x++) red += p.At(x, y) == 0xff0000;
  EXPECT_EQ(red, 0);
  XYChartDestroy(c);
}

TEST(XYModel, GridLines) {
  Picture p(220, 120);
  XYGrid grid(0, 10, 0, 0x000000, 0, 2.5, true);
  grid.setWindow(0, 1, 0, 1);
  grid.setViewport(10, 210, 10, 110);
  grid.setRelativePosition(0.0, 0.0);
  grid.setLength(1.0);
  grid.setSpan(1.0);
  const auto columns = [&]() {
    std::vector<int> xs;
    for (int x = 0; x < 220; x++)
      if (p.At(x, 60) == 0x000000) xs.push_back(x);
    return xs;
  };
  grid.redraw();
  EXPECT_EQ(columns(), (std::vector<int>{10, 60, 110, 160, 210}));
  int x0, y0, x1, y1;
  grid.setMax(9);
  grid.boundingBox(&x0, &y0, &x1, &y1);
  EXPECT_EQ(x1, 232);  // the box holds the line at 10 too, now past the end
  p.r.assign(p.r.size(), 255), p.g = p.r, p.b = p.r;
  grid.redraw();
  EXPECT_EQ(columns(), (std::vector<int>{10, 65, 121, 176}));
  grid.setMax(10);
  // a repaint from the line at 60: that line is drawn, the one before not
  p.r.assign(p.r.size(), 255), p.g = p.r, p.b = p.r;
  grid.draw(60, 10, 219, 110);
  EXPECT_EQ(columns(), (std::vector<int>{60, 110, 160, 210}));
  // lines closer than a hundredth of the viewport are not drawn
  grid.setStep(0.05);
  p.r.assign(p.r.size(), 255), p.g = p.r, p.b = p.r;
  grid.redraw();
  EXPECT_TRUE(columns().empty());
}

// Repainting only the right part of a line curve still draws the segment
// that enters that part from the left.
TEST(XYModel, PartialRepaintEntersFromTheLeft) {
  Picture p(220, 120);
  XYLinearAxis ax(0, 10, XYCoord(0.0), XYCoord(0.0), 0, 1, 0, 1, nullptr, nullptr, false, true);
  XYLinearAxis ay(0, 10, XYCoord(0.0), XYCoord(0.0), 0, 1, 90, 1, nullptr, nullptr, false, true);
  const std::vector<double> xs{0, 4, 10}, ys{5, 5, 5};
  ProfileCurveData d(xs.data(), ys.data(), 3);
  XYLineCurve curve(&d, &ax, &ay, 0x000000, 1, 0, true);
  curve.setViewport(0, 200, 0, 100);
  curve.draw(100, 0, 200, 100);  // from x = 5: the first visible point is at 10
  int black = 0, leftmost = 999;
  for (int x = 0; x < 220; x++)
    if (p.At(x, 50) == 0x000000) black++, leftmost = std::min(leftmost, x);
  EXPECT_EQ(leftmost, 80);  // the segment from the point at 4 is drawn whole
  EXPECT_EQ(black, 121);
  double x0, x1;
  d.xRange(&x0, &x1);  // the whole range is back
  EXPECT_EQ(x0, 0);
  EXPECT_EQ(x1, 10);
}

TEST(XYModel, LegendOfTwoColumnsShowsTheFirstTwoCurves) {
  Picture p(300, 200);
  XYChart* c = XYChartCreateOnCanvas(p.cv, {}, 0.15, 0.9, 0.3, 0.85, 0xffffff, 0xc0c0c0, 1);
  XYChartSetRanges(c, 0, 10, 0, 10, 5, 5);
  const std::vector<double> xs{0, 10}, ys{1, 9};
  XYCurve* a = XYChartAddLineCurve(c, "a", 8, xs.data(), ys.data(), 2, 0xff0000, 1, 0);
  XYCurve* b = XYChartAddLineCurve(c, "b", 8, xs.data(), ys.data(), 2, 0x00ff00, 1, 0);
  XYCurve* m = XYChartAddMarkCurve(c, "m", 8, xs.data(), ys.data(), 2, 0x0000ff, 5, CD_BOX);
  XYChartSetLegend(c, 0.05, 0.02, 0xffffff, 0);
  c->legend->setRows(1);
  c->legend->setColumns(2);
  XYChartRefresh(c);
  int lx0, lx1, ly0, ly1;
  a->getLegendBox(&lx0, &lx1, &ly0, &ly1);
  EXPECT_EQ(lx0 | lx1 | ly0 | ly1, 0);  // the oldest curve got no entry
  b->getLegendBox(&lx0, &lx1, &ly0, &ly1);
  int mx0, mx1, my0, my1;
  m->getLegendBox(&mx0, &mx1, &my0, &my1);
  EXPECT_LT(mx1, lx0);  // the newest curve comes first
  EXPECT_EQ(my0, ly0);
  XYChartDestroy(c);
}

TEST(XYModel, MarkLegendSymbolSize) {
  Picture p(100, 100);
  const std::vector<double> xs{0}, ys{0};
  ProfileCurveData d(xs.data(), ys.data(), 1);
  XYMarkCurve curve(&d, nullptr, nullptr, 0x000000, 5, CD_BOX, true);
  curve.drawLegendSymbol(10, 10, 42, 34);  // 24 pixels high: size 16
  EXPECT_EQ(cdMarkSize(CD_QUERY), 16);
}

// Scrolling the plot moves what it shows and repaints the uncovered band
// on white before drawing the plot's contents there.
TEST(XYModel, ScrollMovesThePlot) {
  Picture p(300, 200);
  XYChart* c = XYChartCreateOnCanvas(p.cv, {}, 0.15, 0.9, 0.15, 0.85, 0xf0f0f0, 0xc0c0c0, 1);
  XYChartShowGrids(c, 1);
  XYChartSetRanges(c, 0, 10, 0, 5, 5, 5);
  const std::vector<double> xs{0, 3, 6, 10}, ys{1, 4, 2, 3};
  XYChartAddLineCurve(c, "", 8, xs.data(), ys.data(), 4, 0xff0000, 1, 0);
  XYChartRefresh(c);
  int x0, y0, x1, y1;
  XYChartPlotArea(c, &x0, &y0, &x1, &y1);
  // the vertical grid lines near the top of the plot, where the curve is not
  const int row = y1 - 3;
  std::vector<int> lines;
  for (int x = x0 + 12; x < x1 - 10; x++)
    if (p.At(x, row) == 0xc0c0c0) lines.push_back(x);
  ASSERT_GE(lines.size(), 3u);
  c->graph->scroll(10, 0);
  // (the curve and the axes are drawn again whole, as the data of the band
  // asks; the grid only in the band)
  for (int x : lines) {
    EXPECT_EQ(p.At(x - 10, row), 0xc0c0c0) << x;
    EXPECT_NE(p.At(x, row), 0xc0c0c0) << x;
  }
  // the band at the right was filled white and drawn again: no plot
  // background (0xf0f0f0) is left in it
  int background = 0;
  for (int y = y0 + 1; y < y1; y++)
    for (int x = x1 - 9; x < x1; x++) background += p.At(x, y) == 0xf0f0f0;
  EXPECT_EQ(background, 0);
  XYChartDestroy(c);
}

TEST(XYModel, ChartLayerOperations) {
  Picture p(300, 200);
  XYChart* c = XYChartCreateOnCanvas(p.cv, {}, 0.15, 0.9, 0.15, 0.85, 0xffffff, 0xc0c0c0, 1);
  XYChartSetRanges(c, 0, 10, 0, 5, 5, 5);
  const std::vector<double> xs{0, 10}, ys{1, 4};
  auto* line = static_cast<XYLineCurve*>(
      XYChartAddLineCurve(c, "l", 8, xs.data(), ys.data(), 2, 0xff0000, 2, CD_DASHED));
  XYChartRefresh(c);
  // a text at the data point (10, 0) sits where the x axis ends
  XYText* t = XYChartAddText(c, "T", 10, 0, 0, 8);
  XYChartRefresh(c);  // the layout gives the text the graph's viewport
  int tx, ty, ax, ay;
  t->getPixelPosition(&tx, &ty);
  c->xAxis->valueToPixel(10, &ax, &ay);
  EXPECT_NEAR(tx, ax, 1);
  EXPECT_NEAR(ty, ay, 1);
  const auto texts = [&]() {
    int n = 0;
    for (auto* node = *c->graph->textList(); node; node = node->next) n++;
    return n;
  };
  EXPECT_TRUE(c->graph->contains(t));
  EXPECT_EQ(texts(), 3);  // the subtitle, the title and this one
  XYChartRemoveText(c, t);
  EXPECT_EQ(texts(), 2);
  // negative values are left alone
  XYChartSetCurveStyle(c, line, -1, -1, 5, -1);
  EXPECT_EQ(line->getWidth(), 5);
  EXPECT_EQ(line->getStyle(), CD_DASHED);
  EXPECT_EQ(line->getColour(), 0xff0000);
  XYChartSetCurveStyle(c, line, 14, 0x00ff00, -1, CD_DOTTED);
  EXPECT_EQ(line->getWidth(), 5);
  EXPECT_EQ(line->getStyle(), CD_DOTTED);
  EXPECT_EQ(static_cast<XYRasterText*>(line->getLabel())->getSize(), 14);
  XYChartSetAxisFont(c, 1, 11, CD_TIMES_ROMAN, CD_BOLD, 0x202020);
  EXPECT_EQ(c->yAxis->getColour(), 0x202020);
  EXPECT_EQ(c->yLabels->getSize(), 11);
  EXPECT_EQ(c->yTitle->getTypeface(), CD_TIMES_ROMAN);
  XYChartSetAxisTitle(c, 0, "km", 3, "%.1f");
  EXPECT_STREQ(c->xTitle->getText(), "km");
  EXPECT_EQ(XYChartGetXDivisor(c), 1000);
  EXPECT_STREQ(c->xSubdivision->getFormat(), "%.1f");
  // the canvas swap, and back to the canvas of the first refresh
  Picture other(300, 200);
  EXPECT_EQ(XYChartSetCanvas(c, other.cv), p.cv);
  EXPECT_EQ(XYChartGetCanvas(c), other.cv);
  XYChartSetGeometry(c, 0.5, 0.0, 0.5, 1.0);
  int vx0, vx1, vy0, vy1;
  c->graph->getViewport(&vx0, &vx1, &vy0, &vy1);
  EXPECT_EQ(vx0, 149);
  XYChartRestore(c);
  EXPECT_EQ(XYChartGetCanvas(c), p.cv);
  c->graph->getViewport(&vx0, &vx1, &vy0, &vy1);
  EXPECT_EQ(vx0, 0);
  EXPECT_EQ(vx1, 299);
  int x0, y0, x1, y1;
  XYChartPlotArea(c, &x0, &y0, &x1, &y1);
  EXPECT_EQ(x0, 44);  // 0.15 of 299
  XYChartDestroy(c);
}

}  // namespace
