// Reference pictures of charts drawn on an RGB image canvas, compared byte
// for byte: the profile chart as the application builds it, axes over
// awkward ranges, curves with a legend, and turned raster text.
#include <cmath>
#include <vector>

#include "picture.h"
#include "xychart.h"

namespace {

// A profile-like series: distance against a stepped value.
void Profile(std::vector<double>* xs, std::vector<double>* ys) {
  for (int i = 0; i <= 60; i++) {
    xs->push_back(i * 20.5);
    ys->push_back(40 + 30 * std::sin(i * 0.2) + (i % 7) * 2);
  }
}

// The chart of the profile window: grids, white labels on grey, a red
// line of width 2, a blue marker at one distance, titles and a legend.
TEST(XYGolden, ProfileChart) {
  Picture p(400, 300);
  XYChart* c = XYChartCreateOnCanvas(p.cv, {}, 0.15, 0.9, 0.15, 0.85, 0xffffff, 0xc0c0c0, 1);
  XYChartShowGrids(c, 1);
  XYChartSetTitles(c, "subtitle", "Profile", 0x000080);
  std::vector<double> xs, ys;
  Profile(&xs, &ys);
  XYChartSetRanges(c, 0.0, xs.back(), 10, 90, 10, 10);
  XYChartAddLineCurve(c, "teste", 8, xs.data(), ys.data(), int(xs.size()) - 1, 0xff0000, 2, 0);
  XYChartAddMarker(c, 0, 512.5, 0x0000ff, 1, 0);
  XYChartSetLegend(c, 0.75, 0.02, 0xffffff, 0x000000);
  XYChartRefresh(c);
  XYChartDestroy(c);
  CompareWithGolden(p, "profile_chart");
}

struct AxisRow {
  double min, max, step;
};

// Six horizontal axes, one per row, with black labels: a tiny range, a
// huge one, a negative one, one across 0 whose labels must thin out, a
// zero-width one (no ticks can be placed) and a nice scale of one point.
TEST(XYGolden, AxisRanges) {
  Picture p(420, 330);
  XYGrid grid1(0, 1, 0, 0, 0, 1, false), grid2(0, 1, 0, 0, 90, 1, false);
  XYCartesianGraph graph(p.cv, {}, XYCoord(0.0), XYCoord(0.0), 1.0, 1.0, true, &grid1, &grid2);
  graph.setPlotArea(0.0, 1.0, 0.0, 1.0);
  graph.setPlotBackground(0xffffff);
  graph.setBackground(0xf0f0e0);
  double smin = 5, smax = 5, sstep = 0;
  std::vector<AxisRow> rows = {{1e-9, 4e-9, 0.5e-9}, {0, 5e12, 1e12}, {-125, -5, 20},
                               {-1000, 1000, 50},    {5, 5, 1},       {0, 0, 0}};
  std::vector<XYRasterText*> stamps;
  std::vector<XYNumericSubdivision*> subs;
  std::vector<XYLinearAxis*> axes;
  for (size_t i = 0; i < rows.size(); i++) {
    auto* stamp = new XYRasterText(0x000000, 8, CD_HELVETICA, CD_PLAIN, CD_NORTH, 0, false, true);
    auto* sub = new XYNumericSubdivision("%g", stamp);
    AxisRow r = rows[i];
    auto* axis = new XYLinearAxis(r.min, r.max, XYCoord(0.05), XYCoord(0.9 - i * 0.16), 0x000000,
                                  0.9, 0, r.step, sub, nullptr, i == 0, true);
    axis->setTicksLeft(false);
    if (i == 5) {
      axis->autoScale(&smin, &smax, &sstep);  // 4.5 .. 5.5 by 0.1
      axis->setMin(smin), axis->setMax(smax), axis->setStep(sstep), axis->setTickOrigin(smin);
    }
    graph.addAxis(axis);
    stamps.push_back(stamp), subs.push_back(sub), axes.push_back(axis);
  }
  graph.clearAll();
  graph.redraw();
  for (auto* a : axes) graph.removeAxis(a), delete a;
  for (auto* s : subs) delete s;
  for (auto* s : stamps) delete s;
  CompareWithGolden(p, "axis_ranges");
}

// Line curves in the five styles and two widths, mark curves, a curve that
// runs out of its window on three sides (clipped to the plot), a 2-column
// legend of the labelled curves (an unlabelled one is skipped) and the
// grids at a finer step than the axes.
TEST(XYGolden, CurvesAndLegend) {
  Picture p(420, 320);
  XYChart* c = XYChartCreateOnCanvas(p.cv, {}, 0.1, 0.95, 0.35, 0.95, 0xffffe8, 0xd0d0d0, 1);
  XYChartShowGrids(c, 1);
  c->xLabels->setColour(0), c->yLabels->setColour(0);
  c->xAxis->setColour(0), c->yAxis->setColour(0);
  XYChartSetRanges(c, 0, 10, -5, 5, 5, 4);
  c->grid1->setStep(1), c->grid2->setStep(1.25);
  c->grid2->setGridStyle(CD_DOTTED);
  std::vector<double> xs;
  for (int i = 0; i <= 20; i++) xs.push_back(i * 0.5);
  const char* names[] = {"solid", "dashed", "dotted", "dash dot", "dash dot dot"};
  for (int style = 0; style < 5; style++) {
    std::vector<double> ys;
    for (double x : xs) ys.push_back(-4 + style * 1.6 + 0.5 * std::sin(x + style));
    XYChartAddLineCurve(c, names[style], 8, xs.data(), ys.data(), int(xs.size()),
                        0x200000 * (style + 1) + 0x40, style == 0 ? 3 : 1, style);
  }
  std::vector<double> mx = {1, 3, 5, 7, 9}, my = {4.5, 3.5, 4.5, 3.5, 4.5};
  XYChartAddMarkCurve(c, "marks", 8, mx.data(), my.data(), 5, 0x008000, 7, CD_HOLLOW_BOX);
  // the unlabelled curve leaves the window left, right and at the top
  std::vector<double> ox = {-3, 2, 6, 14}, oy = {0, 9, -2, 1};
  XYChartAddLineCurve(c, "", 8, ox.data(), oy.data(), 4, 0xff00ff, 2, 0);
  std::vector<double> dx = {8.5}, dy = {-4.5};
  XYChartAddMarkCurve(c, "one point", 8, dx.data(), dy.data(), 1, 0x0000ff, 9, CD_STAR);
  c->legend->setColumns(2);
  XYChartSetLegend(c, 0.02, 0.01, 0xffffff, 0x404040);
  c->legend->setRows(4);
  XYChartRefresh(c);
  XYChartDestroy(c);
  CompareWithGolden(p, "curves_legend");
}

// Raster text at orientations 0, 1 (bottom to top) and 2 (top to bottom),
// plain, bold and underlined, over a two-colour background that must show
// through the turned texts; a turned text clipped by its rectangle.
TEST(XYGolden, RasterTextTurns) {
  Picture p(260, 180);
  cdForeground(0xa0d0ff);
  cdBox(0, 129, 0, 179);
  cdForeground(0xffe0a0);
  cdBox(130, 259, 0, 179);
  struct Case {
    const char* text;
    int x, y, orientation, style, alignment;
    bool underline;
  } cases[] = {
      {"Level 0", 10, 160, 0, CD_PLAIN, CD_SOUTH_WEST, false},
      {"Bold under", 140, 160, 0, CD_BOLD, CD_SOUTH_WEST, true},
      {"Up 90", 20, 20, 1, CD_PLAIN, CD_SOUTH_WEST, false},
      {"Up bold", 60, 20, 1, CD_BOLD, CD_SOUTH_WEST, true},
      {"Down", 125, 140, 2, CD_PLAIN, CD_NORTH_WEST, false},
      {"Down under", 160, 140, 3, CD_ITALIC, CD_NORTH_WEST, true},
      {"Centre", 225, 70, 1, CD_PLAIN, CD_CENTER, false},
  };
  for (const Case& t : cases) {
    XYRasterText text(t.text, XYCoord(t.x), XYCoord(t.y), 0x000000, 12, CD_HELVETICA, t.style,
                      t.alignment, t.orientation, t.underline, true);
    text.setViewport(0, 259, 0, 179);
    text.redraw();
  }
  XYRasterText clipped("Clipped text", XYCoord(245), XYCoord(10), 0x800000, 12, CD_TIMES_ROMAN,
                       CD_PLAIN, CD_SOUTH_WEST, 1, false, true);
  clipped.draw(230, 10, 259, 60);
  CompareWithGolden(p, "raster_text");
}

}  // namespace
