// The linear axis: conversions between values, relative positions and
// pixels, and drawing the line, arrow head, ticks, labels and title.
#include "xyaxln.h"

#include <algorithm>
#include <cmath>

#include "cd.h"
#include "wd.h"
#include "xymath.h"
#include "xysdnm.h"
#include "xytext.h"

void XYLinearAxis::valueToRelative(double v, double* rx, double* ry) {
  positionOf(v, rx, ry);
}

void XYLinearAxis::valueToPixel(double v, int* px, int* py) {
  XYSavedWorld saved;
  setWindow(0, 1, 0, 1);
  applyViewport();
  double rx, ry;
  positionOf(v, &rx, &ry);
  wdWorld2Canvas(rx, ry, px, py);
}

double XYLinearAxis::relativeToValue(double rx, double ry) {
  double ox, oy;
  origin(&ox, &oy);
  const double d = std::sin(radians()) != 0.0 ? ry - oy : rx - ox;
  return min_ + d * (max_ - min_) / length_;
}

double XYLinearAxis::pixelToValue(int px, int py) {
  double rx, ry;
  {
    XYSavedWorld saved;
    setWindow(0, 1, 0, 1);
    applyViewport();
    wdCanvas2World(px, py, &rx, &ry);
  }
  return relativeToValue(rx, ry);
}

double XYLinearAxis::minForValueAt(double value, int px, int py) {
  double wx, wy;
  {
    XYSavedWorld saved;
    setWindow(0, 1, 0, 1);
    applyViewport();
    wdCanvas2World(px, py, &wx, &wy);
  }
  double ex, ey;
  end(&ex, &ey);
  const double D = radians() != 0.0 ? ey - wy : ex - wx;
  return max_ - (max_ - value) * length_ / D;
}

double XYLinearAxis::maxForValueAt(double value, int px, int py) {
  double wx, wy;
  {
    XYSavedWorld saved;
    setWindow(0, 1, 0, 1);
    applyViewport();
    wdCanvas2World(px, py, &wx, &wy);
  }
  double ox, oy;
  origin(&ox, &oy);
  const double D = std::sin(radians()) != 0.0 ? wy - oy : wx - ox;
  return min_ + length_ * (value - min_) / D;
}

void XYLinearAxis::redraw() {
  draw(vx0_, vy0_, vx1_, vy1_);
}

void XYLinearAxis::draw(int x0, int y0, int x1, int y1) {
  if (!isVisible()) return;
  XYSavedClip clip;
  clip.clipTo(x0, x1, y0, y1);
  cdLineWidth(1);
  cdLineStyle(CD_CONTINUOUS);
  cdForeground(colour_);
  double ox, oy, ex, ey;
  origin(&ox, &oy);
  end(&ex, &ey);
  wdLine(ox, oy, ex, ey);
  if (arrow_) {
    cdInteriorStyle(CD_SOLID);
    drawArrowHead(ox, oy, ex, ey);
  }
  if (step_ > 0.0) {
    double bx, by, tx, ty, sx, sy;
    firstTickSegment(&bx, &by, &tx, &ty);
    stepVector(&sx, &sy);
    int n = lastTickIndex();
    const double W = vx1_ - vx0_, H = vy1_ - vy0_;
    const double rx0 = (x0 - vx0_) / W, rx1 = (x1 - vx0_) / W;
    const double ry0 = (y0 - vy0_) / H, ry1 = (y1 - vy0_) / H;
    const auto outside = [&](int i) {
      return !xymath::pointInRect(bx + i * sx, by + i * sy, rx0, ry0, rx1, ry1);
    };
    while (n >= 0 && outside(n)) n--;
    if (n >= 0) {
      int i = 0;
      while (i < n && outside(i)) i++;
      double ax = bx + i * sx, ay = by + i * sy, cx = tx + i * sx, cy = ty + i * sy;
      for (int k = i; k <= n; k++) {
        wdLine(ax, ay, cx, cy);
        ax += sx, ay += sy, cx += sx, cy += sy;
      }
      if (subdivision_) subdivision_->drawLabels(this, i, n);
    }
  }
  if (title_) {
    title_->setViewport(vx0_, vx1_, vy0_, vy1_);
    title_->redraw();
  }
}

void XYLinearAxis::boundingBox(int* x0, int* y0, int* x1, int* y1) {
  XYSavedWorld saved;
  setWindow(0, 1, 0, 1);
  applyViewport();
  double ox, oy, ex, ey;
  origin(&ox, &oy);
  end(&ex, &ey);
  double xmin = std::fmin(ox, ex), xmax = std::fmax(ox, ex);
  double ymin = std::fmin(oy, ey), ymax = std::fmax(oy, ey);
  const auto merge = [&](double x, double y) {
    xmin = std::fmin(xmin, x), xmax = std::fmax(xmax, x);
    ymin = std::fmin(ymin, y), ymax = std::fmax(ymax, y);
  };
  if (arrow_) {
    double a0, b0, a1, b1;
    arrowHeadBox(ox, oy, ex, ey, &a0, &b0, &a1, &b1);
    merge(a0, b0), merge(a1, b1);
  }
  if (step_ > 0.0) {
    double bx, by, tx, ty;
    firstTickSegment(&bx, &by, &tx, &ty);
    merge(bx, by), merge(tx, ty);
    if (subdivision_) {
      int l0 = 0, m0 = 0, l1 = 0, m1 = 0;
      int px, py;
      wdWorld2Canvas(tx, ty, &px, &py);
      l0 = l1 = px, m0 = m1 = py;
      subdivision_->labelsBox(this, &l0, &m0, &l1, &m1);
      setWindow(0, 1, 0, 1);
      applyViewport();
      double a0, b0, a1, b1;
      wdCanvas2World(l0, m0, &a0, &b0);
      wdCanvas2World(l1, m1, &a1, &b1);
      merge(a0, b0), merge(a1, b1);
    }
  }
  int px0, py0, px1, py1;
  wdWorld2Canvas(xmin, ymin, &px0, &py0);
  wdWorld2Canvas(xmax, ymax, &px1, &py1);
  *x0 = std::min(px0, px1), *x1 = std::max(px0, px1);
  *y0 = std::min(py0, py1), *y1 = std::max(py0, py1);
}
