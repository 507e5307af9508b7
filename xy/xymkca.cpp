// The cartesian marker, drawn in the graph's relative coordinates (the
// graph sets that window before drawing marks).
#include "xymkca.h"

#include <algorithm>
#include <cmath>

#include "cd.h"
#include "wd.h"
#include "xyax.h"
#include "xymath.h"

void XYCartesianMarker::ends(double* px, double* py, double* ex, double* ey) {
  axis_->positionOf(value_, px, py);
  const double a = axis_->radians();
  *ex = *px + length_ * std::sin(a);
  *ey = *py + length_ * std::cos(a);
}

void XYCartesianMarker::redraw() {
  draw(vx0_, vy0_, vx1_, vy1_);
}

void XYCartesianMarker::draw(int x0, int y0, int x1, int y1) {
  if (!isVisible()) return;
  XYSavedClip clip;
  clip.clipTo(std::max(x0, vx0_), std::min(x1, vx1_), std::max(y0, vy0_), std::min(y1, vy1_));
  if (axis_) {
    double px, py, ex, ey;
    ends(&px, &py, &ex, &ey);
    cdLineStyle(style_);
    cdLineWidth(width_);
    cdForeground(colour_);
    wdLine(px, py, ex, ey);
  }
}

void XYCartesianMarker::boundingBox(int* x0, int* y0, int* x1, int* y1) {
  if (!isVisible() || !axis_) return;
  double px, py, ex, ey;
  ends(&px, &py, &ex, &ey);
  int a0, b0, a1, b1;
  wdWorld2Canvas(px, py, &a0, &b0);
  wdWorld2Canvas(ex, ey, &a1, &b1);
  *x0 = std::min(a0, a1), *x1 = std::max(a0, a1);
  *y0 = std::min(b0, b1), *y1 = std::max(b0, b1);
}

bool XYCartesianMarker::pick(int x, int y) {
  if (!isVisible() || !axis_) return false;
  int x0, y0, x1, y1;
  boundingBox(&x0, &y0, &x1, &y1);
  return xymath::pointInRect(x, y, x0, y0, x1, y1);
}

bool XYCartesianMarker::insideRect(int x0, int y0, int x1, int y1) {
  if (!isVisible() || !axis_) return false;
  int a0, b0, a1, b1;
  boundingBox(&a0, &b0, &a1, &b1);
  return xymath::rectStrictlyInside(a0, b0, a1, b1, x0, y0, x1, y1);
}
