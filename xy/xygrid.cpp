// Grids draw and measure in the world window current at the call (the
// graph's 0..1 window on the graph's viewport, which is also theirs).
#include "xygrid.h"

#include <algorithm>
#include <cmath>

#include "cd.h"
#include "wd.h"
#include "xymath.h"

XYGrid::XYGrid(double min, double max, double tickOrigin, int colour, double angle, double step,
               bool visible)
    : XYAxis(min, max, XYCoord(0.0), XYCoord(0.0), colour, 1.0, angle, step, 0, visible) {
  tickOrigin_ = tickOrigin;
}

double XYGrid::getSpan() {
  return span_;
}
void XYGrid::setSpan(double span) {
  span_ = span;
}
int XYGrid::getGridStyle() {
  return gridStyle_;
}
void XYGrid::setGridStyle(int style) {
  gridStyle_ = style;
}
void XYGrid::redraw() {
  draw(vx0_, vy0_, vx1_, vy1_);
}

double XYGrid::stepRel() {
  return step_ * scale();
}

void XYGrid::firstLine(double* bx, double* by, double* ex, double* ey, double* v) {
  *v = firstTick();
  positionOf(*v, bx, by);
  const double a = radians();
  *ex = *bx + span_ * std::sin(a);
  *ey = *by + span_ * std::cos(a);
}

void XYGrid::draw(int x0, int y0, int x1, int y1) {
  if (!isVisible() || stepRel() <= 0.01) return;
  XYSavedClip clip;
  clip.clipTo(x0, x1, y0, y1);
  double sx, sy, bx, by, ex, ey, v;
  stepVector(&sx, &sy);
  firstLine(&bx, &by, &ex, &ey, &v);
  const double W = vx1_ - vx0_, H = vy1_ - vy0_;
  const double rx0 = (x0 - vx0_) / W, rx1 = (x1 - vx0_) / W;
  const double ry0 = (y0 - vy0_) / H, ry1 = (y1 - vy0_) / H;
  if (xymath::nearlyEqual(bx, ex)) {
    // lines before the repainted area are skipped arithmetically
    while (sx > 0 && bx < rx0) bx += sx, v += step_;
    ex = bx;
    if (by < ry0) by = ry0;
    if (ey > ry1) ey = ry1;
  } else if (xymath::nearlyEqual(by, ey)) {
    while (sy > 0 && by < ry0) by += sy, v += step_;
    ey = by;
    if (bx < rx0) bx = rx0;
    if (ex > rx1) ex = rx1;
  }
  cdLineWidth(1);
  cdLineStyle(gridStyle_);
  cdForeground(colour_);
  while (v <= max_) {
    wdLine(bx, by, ex, ey);
    bx += sx, by += sy, ex += sx, ey += sy;
    if (v + step_ == v) break;
    v += step_;
  }
}

void XYGrid::boundingBox(int* x0, int* y0, int* x1, int* y1) {
  if (!isVisible() || stepRel() <= 0.01) return;
  double sx, sy, bx, by, ex, ey, v;
  stepVector(&sx, &sy);
  firstLine(&bx, &by, &ex, &ey, &v);
  int a0, b0, a1, b1;
  wdWorld2Canvas(bx, by, &a0, &b0);
  wdWorld2Canvas(ex, ey, &a1, &b1);
  int xmin = std::min(a0, a1), xmax = std::max(a0, a1);
  int ymin = std::min(b0, b1), ymax = std::max(b0, b1);
  while (v < max_) {
    bx += sx, by += sy, ex += sx, ey += sy;
    wdWorld2Canvas(bx, by, &a0, &b0);
    wdWorld2Canvas(ex, ey, &a1, &b1);
    xmin = std::min({xmin, a0, a1}), xmax = std::max({xmax, a0, a1});
    ymin = std::min({ymin, b0, b1}), ymax = std::max({ymax, b0, b1});
    if (v + step_ == v) break;
    v += step_;
  }
  *x0 = xmin, *y0 = ymin, *x1 = xmax, *y1 = ymax;
}

bool XYGrid::pointOnLine(int x, int y, int x0, int y0, int x1, int y1) {
  return (x0 == x1 && x0 == x && y0 <= y && y <= y1) || (y0 == y1 && y0 == y && x0 <= x && x <= x1);
}

bool XYGrid::pick(int x, int y) {
  if (!isVisible() || !(step_ > 0.0) || firstTick() > max_) return false;
  double sx, sy, bx, by, ex, ey, v;
  stepVector(&sx, &sy);
  firstLine(&bx, &by, &ex, &ey, &v);
  while (v <= max_) {
    const double lx = xymath::nearlyEqual(ex, bx) ? bx : ex;
    const double ly = xymath::nearlyEqual(ey, by) ? by : ey;
    int a0, b0, a1, b1;
    wdWorld2Canvas(bx, by, &a0, &b0);
    wdWorld2Canvas(lx, ly, &a1, &b1);
    if (pointOnLine(x, y, a0, b0, a1, b1)) return true;
    bx += sx, by += sy, ex += sx, ey += sy;
    if (v + step_ == v) break;
    v += step_;
  }
  return false;
}

double XYGrid::valuePixelLength(double v) {
  const double t0 = transform(min_), t1 = transform(max_);
  const double d = t1 != t0 ? length_ * (transform(v) - t0) / (t1 - t0) : 0.0;
  double rx, ry;
  xymath::rotate(d, 0.0, radians(), &rx, &ry);
  int px, py;
  wdWorld2Canvas(rx, ry, &px, &py);
  return std::sqrt(double(px) * px + double(py) * py);
}
