// The line curve. Only the points inside the repainted x range, and one
// neighbour on each side, are sent to the canvas, so the line runs on
// through both edges of the repainted area.
#include "xymcaln.h"

#include <algorithm>

#include "cd.h"
#include "wd.h"
#include "xym.h"
#include "xymath.h"

XYLineCurve::XYLineCurve(XYText* label, XYCurveData* data, XYAxis* xAxis, XYAxis* yAxis, int colour,
                         int width, int style, bool visible)
    : XYAxesCurve(label, data, xAxis, yAxis, colour, visible), width_(width), style_(style) {}

XYLineCurve::XYLineCurve(XYCurveData* data, XYAxis* xAxis, XYAxis* yAxis, int colour, int width,
                         int style, bool visible)
    : XYLineCurve(nullptr, data, xAxis, yAxis, colour, width, style, visible) {}

int XYLineCurve::getWidth() {
  return width_;
}
void XYLineCurve::setWidth(int width) {
  width_ = width;
}
int XYLineCurve::getStyle() {
  return style_;
}
void XYLineCurve::setStyle(int style) {
  style_ = style;
}

void XYLineCurve::draw(int x0, int y0, int x1, int y1) {
  (void)y0, (void)y1;
  if (!isVisible() || !curveData_) return;
  double xmin = 0, xmax = 0, first = 0, last = 0, unused;
  curveData_->xRange(&xmin, &xmax);
  const bool has_first = curveData_->point(0, &first, &unused);
  const bool has_last = curveData_->point(curveData_->count() - 1, &last, &unused);
  if (!applyCurveWindow()) return;
  double wx0, wx1, wy;
  wdCanvas2World(x0, 0, &wx0, &wy);
  wdCanvas2World(x1, 0, &wx1, &wy);
  if (wx0 > xmax || wx1 < xmin) return;
  if (wx0 < xmin) wx0 = xmin;
  if (wx1 > xmax) wx1 = xmax;
  curveData_->setXWindow(wx0, wx1);
  const int n = curveData_->count();
  cdLineStyle(style_);
  cdLineWidth(width_);
  cdForeground(colour_);
  cdWriteMode(CD_REPLACE);
  {
    XYSavedClip clip;
    clip.clipTo(vx0_, vx1_, vy0_, vy1_);
    double px = 0, py = 0;
    // with no point in the window there is nothing this repaint shows
    if (n > 0 && worldPoint(0, &px, &py)) {
      double qx, qy;
      if (has_first && (first < wx0 || first > wx1) && worldPoint(-1, &qx, &qy))
        wdLine(qx, qy, px, py);
      for (int i = 1; i < n; i++) {
        if (!worldPoint(i, &qx, &qy)) continue;
        wdLine(px, py, qx, qy);
        px = qx, py = qy;
      }
      if (has_last && (last < wx0 || last > wx1) && worldPoint(n, &qx, &qy)) wdLine(px, py, qx, qy);
    }
  }
  curveData_->setXWindow(xmin, xmax);
}

bool XYLineCurve::pick(int x, int y) {
  if (!isVisible() || !curveData_ || curveData_->count() <= 1 || !insideViewport(x, y))
    return false;
  XYSavedWorld world;
  if (!applyCurveWindow()) return false;
  XYSavedClip clip;
  clip.clipTo(vx0_, vx1_, vy0_, vy1_);
  int r = 0;
  cdMM2Pixel(2.0, 2.0, nullptr, &r);
  r = std::max(r, width_);
  const double previous = xymath::setTolerance(r);
  bool hit = false;
  double wx, wy;
  int px = 0, py = 0;
  const int n = curveData_->count();
  bool have_p = false;
  for (int i = 0; i < n && !hit; i++) {
    if (!worldPoint(i, &wx, &wy)) continue;
    int qx, qy;
    wdWorld2Canvas(wx, wy, &qx, &qy);
    if (have_p) hit = xymath::pointNearSegment(x, y, px, py, qx, qy);
    px = qx, py = qy, have_p = true;
  }
  xymath::setTolerance(previous);
  return hit;
}

void XYLineCurve::drawLegendSymbol(int x0, int y0, int x1, int y1) {
  cdLineStyle(style_);
  cdLineWidth(width_);
  cdForeground(colour_);
  const int ym = xymath::Trunc((y0 + y1) * 0.5);
  cdLine(x0, ym, x1, ym);
}

void XYLineCurve::getStyleValues(int* first, int* second) {
  *first = width_;
  *second = style_;
}

void XYLineCurve::setStyleValues(int first, int second) {
  width_ = first;
  style_ = second;
}
