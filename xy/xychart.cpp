// The ready-made chart and its curve data over arrays.
#include "xychart.h"

#include <cmath>

#include "cd.h"
#include "xymath.h"

ProfileCurveData::ProfileCurveData(const double* xs, const double* ys, int n) : n_(n > 0 ? n : 0) {
  xs_.assign(xs, xs + n_);
  ys_.assign(ys, ys + n_);
  windowOnData();
}

ProfileCurveData::ProfileCurveData(const double* ys, int n) : n_(n > 0 ? n : 0) {
  ys_.assign(ys, ys + n_);
  for (int i = 0; i < n_; i++) xs_.push_back(i);
  windowOnData();
}

void ProfileCurveData::windowOnData() {
  first_ = 0;
  visible_ = n_;
  if (n_ == 0) return;
  wx0_ = wx1_ = xs_[0];
  for (double x : xs_) {
    if (x > wx1_) wx1_ = x;
    if (!(x >= wx0_)) wx0_ = x;
  }
}

void ProfileCurveData::xRange(double* x0, double* x1) {
  *x0 = wx0_;
  *x1 = wx1_;
}

void ProfileCurveData::setXWindow(double x0, double x1) {
  wx0_ = x0, wx1_ = x1;
  const auto inside = [&](int i) { return x0 <= xs_[i] && xs_[i] <= x1; };
  first_ = n_;
  for (int i = 0; i < n_; i++)
    if (inside(i)) {
      first_ = i;
      break;
    }
  int last = 0;
  for (int i = n_ - 1; i >= 1; i--)
    if (inside(i)) {
      last = i;
      break;
    }
  // no point inside: nothing is visible (the difference would go negative)
  visible_ = first_ < n_ ? last - first_ + 1 : 0;
  if (visible_ < 0) visible_ = 0;
}

int ProfileCurveData::count() {
  return visible_;
}

// The neighbours -1 and count() are given where they exist; an index
// outside the data has no point.
bool ProfileCurveData::point(int i, double* x, double* y) {
  if (visible_ == 0) return false;
  const long index = long(first_) + i;
  if (index < 0 || index >= n_) return false;
  *x = xs_[std::size_t(index)];
  *y = ys_[std::size_t(index)];
  return true;
}

namespace {

XYChart* Build(XYChart* c, double x0, double x1, double y0, double y1) {
  c->subtitle = new XYRasterText(nullptr, XYCoord(0.5), XYCoord(1.0), 0x000000, 12, CD_HELVETICA,
                                 CD_ITALIC, CD_NORTH, 0, false, false);
  c->title = new XYRasterText(nullptr, XYCoord(0.5), XYCoord(0.95), 0xffffff, 18, CD_HELVETICA,
                              CD_ITALIC, CD_NORTH, 0, false, false);
  c->xLabels = new XYRasterText(0xffffff, 10, CD_COURIER, CD_PLAIN, CD_NORTH, 0, false, false);
  c->yLabels = new XYRasterText(0xffffff, 10, CD_COURIER, CD_PLAIN, CD_EAST, 0, false, false);
  c->xTitle = new XYRasterText("", XYCoord(x0 + (x1 - x0) / 2), XYCoord(c->xLabels, 0, 5), 0xffffff,
                               8, CD_COURIER, CD_BOLD, CD_NORTH, 0, false, false);
  c->yTitle = new XYRasterText("", XYCoord(x0), XYCoord(y1 * 1.05), 0xffffff, 8, CD_COURIER,
                               CD_BOLD, CD_SOUTH, 0, false, false);
  c->xSubdivision = new XYNumericSubdivision("%.2g", c->xLabels, 1.0);
  c->ySubdivision = new XYNumericSubdivision("%.2g", c->yLabels, 1.0);
  c->xAxis = new XYLinearAxis(0, 0, XYCoord(x0), XYCoord(y0), 0xffffff, x1 - x0, 0, 0,
                              c->xSubdivision, c->xTitle, false, false);
  c->xAxis->setTicksLeft(false);
  c->yAxis = new XYLinearAxis(0, 0, XYCoord(x0), XYCoord(y0), 0xffffff, y1 - y0, 90, 0,
                              c->ySubdivision, c->yTitle, false, false);
  c->grid1 = new XYGrid(0, 1, 0, 0xc0c0c0, 0, 0.1, false);
  c->grid2 = new XYGrid(0, 1, 0, 0xc0c0c0, 90, 0.1, false);
  c->legend = new XYLegend(XYCoord(0.0), XYCoord(0.0), 1, 1, true, false);
  c->x0 = x0, c->y0 = y0, c->x1 = x1, c->y1 = y1;
  return c;
}

void Finish(XYChart* c, int plotBackground, int graphBackground, int stretch) {
  XYCartesianGraph* g = c->graph;
  g->setPlotBackground(plotBackground);
  g->setBackground(graphBackground);
  g->setLegend(c->legend);
  g->addAxis(c->xAxis);
  g->addAxis(c->yAxis);
  g->addText(c->subtitle);
  g->addText(c->title);
  g->setStretch(stretch != 0);
}

// the widening of an empty range, as the nice scale does it
void Widen(double* min, double* max) {
  if (*min != *max) return;
  if (*max == 0.0) {
    *min = -1.0, *max = 1.0;
  } else {
    const double a = std::fabs(*max) * 0.1;
    *max += a, *min -= a;
  }
}

XYText* CurveLabel(const char* label, int size, int colour) {
  return new XYRasterText(label, XYCoord(0.0), XYCoord(0.0), colour, size, CD_HELVETICA, CD_ITALIC,
                          CD_NORTH, 0, false, true);
}

}  // namespace

XYChart* XYChartCreate(IupElement* canvas, XYCanvasDrivers drivers, double x0, double x1, double y0,
                       double y1, int plotBackground, int graphBackground, int stretch) {
  XYChart* c = Build(new XYChart, x0, x1, y0, y1);
  c->graph = new XYCartesianGraph(canvas, drivers, XYCoord(0.0), XYCoord(0.0), 1.0, 1.0, true,
                                  c->grid1, c->grid2);
  Finish(c, plotBackground, graphBackground, stretch);
  return c;
}

XYChart* XYChartCreateOnCanvas(cdCanvasHandle canvas, XYCanvasDrivers drivers, double x0, double x1,
                               double y0, double y1, int plotBackground, int graphBackground,
                               int stretch) {
  XYChart* c = Build(new XYChart, x0, x1, y0, y1);
  c->graph = new XYCartesianGraph(canvas, drivers, XYCoord(0.0), XYCoord(0.0), 1.0, 1.0, true,
                                  c->grid1, c->grid2);
  Finish(c, plotBackground, graphBackground, stretch);
  return c;
}

void XYChartShowGrids(XYChart* c, int flag) {
  c->grid1->setVisible(flag != 0);
  c->grid2->setVisible(flag != 0);
}

void XYChartSetTitles(XYChart* c, const char* subtitle, const char* title, int colour) {
  c->subtitle->setText(subtitle);
  c->subtitle->setColour(colour);
  c->subtitle->setVisible(true);
  c->title->setText(title);
  c->title->setColour(colour);
  c->title->setVisible(true);
}

void XYChartSetRanges(XYChart* c, double xmin, double xmax, double ymin, double ymax, int nx,
                      int ny) {
  Widen(&xmin, &xmax);
  Widen(&ymin, &ymax);
  if (nx < 1) nx = 1;
  if (ny < 1) ny = 1;
  c->xMin = xmin, c->xMax = xmax, c->yMin = ymin, c->yMax = ymax;
  c->xLabels->setVisible(true);
  c->yLabels->setVisible(true);
  c->xTitle->setVisible(true);
  c->yTitle->setVisible(true);
  const auto apply = [](XYAxis* axis, XYGrid* grid, double min, double max, int n) {
    for (XYAxis* a : {axis, static_cast<XYAxis*>(grid)}) {
      a->setMin(min);
      a->setMax(max);
      a->setTickOrigin(min);
      a->setStep((max - min) / n);
    }
    axis->setVisible(true);
  };
  apply(c->xAxis, c->grid1, xmin, xmax, nx);
  apply(c->yAxis, c->grid2, ymin, ymax, ny);
  c->graph->computePlotArea();
}

void XYChartSetXExponent(XYChart* c, double e) {
  c->xExponent = e;
  c->xSubdivision->setDivisor(std::pow(10.0, e));
}

void XYChartSetYExponent(XYChart* c, double e) {
  c->yExponent = e;
  c->ySubdivision->setDivisor(std::pow(10.0, e));
}

int XYChartGetXDivisor(XYChart* c) {
  return xymath::Trunc(c->xSubdivision->getDivisor());
}
int XYChartGetYDivisor(XYChart* c) {
  return xymath::Trunc(c->ySubdivision->getDivisor());
}

void XYChartGetRanges(XYChart* c, double* xmin, double* ymin, double* xmax, double* ymax) {
  *xmin = c->xAxis->getMin(), *xmax = c->xAxis->getMax();
  *ymin = c->yAxis->getMin(), *ymax = c->yAxis->getMax();
}

XYCurve* XYChartAddLineCurve(XYChart* c, const char* label, int labelSize, const double* xs,
                             const double* ys, int n, int colour, int width, int style) {
  const bool labelled = label && label[0] != '\0';
  c->curveData = new ProfileCurveData(xs, ys, n);
  c->curve = new XYLineCurve(labelled ? CurveLabel(label, labelSize, 0x000000) : nullptr,
                             c->curveData, c->xAxis, c->yAxis, colour, width, style, true);
  c->graph->addCurve(c->curve);
  return c->curve;
}

XYCurve* XYChartAddMarkCurve(XYChart* c, const char* label, int labelSize, const double* xs,
                             const double* ys, int n, int colour, int markSize, int markType) {
  const bool labelled = label && label[0] != '\0';
  c->curveData = new ProfileCurveData(xs, ys, n);
  c->curve = new XYMarkCurve(labelled ? CurveLabel(label, labelSize, 0xff00ff) : nullptr,
                             c->curveData, c->xAxis, c->yAxis, colour, markSize, markType, true);
  c->graph->addCurve(c->curve);
  return c->curve;
}

XYCartesianMarker* XYChartAddMarker(XYChart* c, int axis, double value, int colour, int width,
                                    int style) {
  XYAxis* on = axis == 0 ? static_cast<XYAxis*>(c->xAxis) : c->yAxis;
  auto* marker = new XYCartesianMarker(on, value, colour, width, style, true);
  c->graph->addMark(marker);
  return marker;
}

void XYChartRemoveMarker(XYChart* c, XYCartesianMarker* marker) {
  if (!marker) return;
  c->graph->removeMark(marker);
  delete marker;
}

void XYChartRemoveCurve(XYChart* c, XYCurve* curve) {
  if (!curve) return;
  c->graph->removeCurve(curve);
  if (c->curve == curve) c->curve = nullptr, c->curveData = nullptr;
  delete curve->getCurveData();
  delete curve->getLabel();
  delete curve;
}

void XYChartSetLegend(XYChart* c, double x, double y, int background, int frameColour) {
  int rows = 0;
  for (auto* n = *c->graph->curveList(); n; n = n->next) rows++;
  c->legend->setRows(rows);
  c->legend->setRelativePosition(x, y);
  c->legend->setBackground(background);
  c->legend->setFrameColour(frameColour);
  c->legend->setVisible(true);
}

void XYChartDestroy(XYChart* c) {
  if (!c) return;
  XYCartesianGraph* g = c->graph;
  while (XYListNode<XYCurve>* n = *g->curveList()) XYChartRemoveCurve(c, n->child);
  while (XYListNode<XYMarker>* n = *g->markList()) {
    XYMarker* marker = n->child;
    g->removeMark(marker);
    delete marker;
  }
  while (XYListNode<XYText>* n = *g->textList()) {
    XYText* text = n->child;
    g->removeText(text);
    delete text;
  }
  while (XYListNode<XYAxis>* n = *g->axisList()) g->removeAxis(n->child);
  delete c->xLabels;
  delete c->yLabels;
  delete c->xSubdivision;
  delete c->ySubdivision;
  delete c->xTitle;
  delete c->yTitle;
  delete c->xAxis;
  delete c->yAxis;
  delete c->grid1;
  delete c->grid2;
  delete c->legend;
  delete g;
  delete c;
}

void XYChartRefresh(XYChart* c) {
  c->graph->clearAll();
  c->graph->redraw();
  if (!c->graphCanvas) c->graphCanvas = c->graph->getCanvas();
}

void XYChartRedraw(XYChart* c) {
  c->graph->redraw();
}

XYCurve* XYChartPickCurve(XYChart* c, int x, int y) {
  return c->graph->pickCurve(x, y);
}

XYAxis* XYChartPickXAxis(XYChart* c, int x, int y) {
  XYAxis* hit = c->graph->pickAxis(x, y);
  return hit == c->xAxis ? hit : nullptr;
}

XYAxis* XYChartPickYAxis(XYChart* c, int x, int y) {
  XYAxis* hit = c->graph->pickAxis(x, y);
  return hit == c->yAxis ? hit : nullptr;
}

double XYChartXValue(XYChart* c, int x, int y) {
  return c->xAxis->pixelToValue(x, y);
}
double XYChartYValue(XYChart* c, int x, int y) {
  return c->yAxis->pixelToValue(x, y);
}

void XYChartValues(XYChart* c, int x, int y, double* vx, double* vy) {
  *vx = c->xAxis->pixelToValue(x, y);
  *vy = c->yAxis->pixelToValue(x, y);
}

void XYChartRemoveText(XYChart* c, XYText* text) {
  if (!text) return;
  c->graph->removeText(text);
  delete text;
}

XYText* XYChartAddText(XYChart* c, const char* text, double x, double y, int colour, int size) {
  const double rx =
      c->xMax != c->xMin ? c->x0 + (x - c->xMin) * (c->x1 - c->x0) / (c->xMax - c->xMin) : c->x0;
  const double ry =
      c->yMax != c->yMin ? c->y0 + (y - c->yMin) * (c->y1 - c->y0) / (c->yMax - c->yMin) : c->y0;
  auto* t = new XYRasterText(text, XYCoord(rx), XYCoord(ry), colour, size, CD_HELVETICA, CD_ITALIC,
                             CD_CENTER, 0, false, true);
  c->graph->addText(t);
  return t;
}

XYText* XYChartAddTextBeside(XYChart* c, const char* text, XYObject* a, XYObject* b, int colour,
                             int size) {
  auto* t = new XYRasterText(text, XYCoord(a, 0, 5), XYCoord(b, 0, 5), colour, size, CD_HELVETICA,
                             CD_ITALIC, CD_CENTER, 0, false, true);
  c->graph->addText(t);
  return t;
}

void XYChartSetCurveStyle(XYChart*, XYCurve* curve, int labelSize, int colour, int width,
                          int style) {
  if (!curve) return;
  // the chart's curve labels are all raster texts (CurveLabel)
  if (labelSize >= 0)
    if (auto* label = static_cast<XYRasterText*>(curve->getLabel())) label->setSize(labelSize);
  if (colour >= 0) curve->setColour(colour);
  // the chart's curves are line or mark curves: width and style, or mark size and type
  auto* drawn = static_cast<XYAxesCurve*>(curve);
  int first, second;
  drawn->getStyleValues(&first, &second);
  drawn->setStyleValues(width >= 0 ? width : first, style >= 0 ? style : second);
}

void XYChartSetAxisFont(XYChart* c, int axis, int size, int typeface, int style, int colour) {
  XYAxis* a = axis == 0 ? static_cast<XYAxis*>(c->xAxis) : c->yAxis;
  a->setColour(colour);
  for (XYRasterText* t : {axis == 0 ? c->xLabels : c->yLabels, axis == 0 ? c->xTitle : c->yTitle}) {
    t->setColour(colour);
    t->setSize(size);
    t->setTypeface(typeface);
    t->setStyle(style);
  }
}

void XYChartSetAxisTitle(XYChart* c, int axis, const char* text, double exponent,
                         const char* format) {
  (axis == 0 ? c->xTitle : c->yTitle)->setText(text);
  if (axis == 0) {
    XYChartSetXExponent(c, exponent);
    c->xSubdivision->setFormat(format);
  } else {
    XYChartSetYExponent(c, exponent);
    c->ySubdivision->setFormat(format);
  }
}

void XYChartSetLabelFormats(XYChart* c, const char* xFormat, const char* yFormat) {
  c->xSubdivision->setFormat(xFormat);
  c->ySubdivision->setFormat(yFormat);
}

cdCanvasHandle XYChartSetCanvas(XYChart* c, cdCanvasHandle canvas) {
  cdCanvasHandle previous = c->graph->getCanvas();
  c->graph->setCanvas(canvas);
  return previous;
}

cdCanvasHandle XYChartGetCanvas(XYChart* c) {
  return c->graph->getCanvas();
}

int XYChartActivate(XYChart* c) {
  return c->graphCanvas ? cdActivate(c->graphCanvas) : CD_ERROR;
}

void XYChartSetGeometry(XYChart* c, double x, double y, double w, double h) {
  c->graph->setRelativePosition(x, y);
  c->graph->setWidthFraction(w);
  c->graph->setHeightFraction(h);
}

void XYChartRestore(XYChart* c) {
  if (c->graphCanvas) c->graph->setCanvas(c->graphCanvas);
  XYChartSetGeometry(c, 0.0, 0.0, 1.0, 1.0);
}

void XYChartSetBackground(XYChart* c, int colour) {
  c->graph->setBackground(colour);
}

void XYChartPlotArea(XYChart* c, int* x0, int* y0, int* x1, int* y1) {
  c->graph->plotAreaPixels(x0, y0, x1, y1);
}
