// The abstract axis: ticks, the nice scale, arrow heads and the derived
// geometry that the linear axis, the grid and the markers share.
#include "xyax.h"

#include <algorithm>
#include <cmath>

#include "cd.h"
#include "wd.h"
#include "xymath.h"

using xymath::nearlyEqual;

XYAxis::XYAxis(double min, double max, XYCoord x, XYCoord y, int colour, double length,
               double angle, double step, XYSubdivision* subdivision, XYText* title, bool arrow,
               bool visible)
    : XYObject(x, y, visible),
      min_(min),
      max_(max),
      colour_(colour),
      length_(length),
      angle_(angle),
      step_(step),
      tickOrigin_(min),
      subdivision_(subdivision),
      title_(title),
      arrow_(arrow) {}

XYAxis::XYAxis(double min, double max, XYCoord x, XYCoord y, int colour, double length,
               double angle, double step, int, bool visible)
    : XYAxis(min, max, x, y, colour, length, angle, step, nullptr, nullptr, false, visible) {}

double XYAxis::getMin() {
  return min_;
}
void XYAxis::setMin(double min) {
  min_ = min;
}
double XYAxis::getMax() {
  return max_;
}
void XYAxis::setMax(double max) {
  max_ = max;
}
double XYAxis::minForValueAt(double, int, int) {
  return min_;
}
double XYAxis::maxForValueAt(double, int, int) {
  return max_;
}
int XYAxis::getColour() {
  return colour_;
}
void XYAxis::setColour(int colour) {
  colour_ = colour;
}
bool XYAxis::getTicksLeft() {
  return ticksLeft_;
}
void XYAxis::setTicksLeft(bool left) {
  ticksLeft_ = left;
}
double XYAxis::getLength() {
  return length_;
}
void XYAxis::setLength(double length) {
  length_ = length;
}
double XYAxis::getAngle() {
  return angle_;
}
void XYAxis::setAngle(double angle) {
  angle_ = angle;
}
double XYAxis::getStep() {
  return step_;
}
void XYAxis::setStep(double step) {
  step_ = step;
}
double XYAxis::getTickOrigin() {
  return tickOrigin_;
}
void XYAxis::setTickOrigin(double origin) {
  tickOrigin_ = origin;
}
XYSubdivision* XYAxis::getSubdivision() {
  return subdivision_;
}
void XYAxis::setSubdivision(XYSubdivision* subdivision) {
  subdivision_ = subdivision;
}
bool XYAxis::getArrow() {
  return arrow_;
}
void XYAxis::setArrow(bool arrow) {
  arrow_ = arrow;
}
XYText* XYAxis::getTitle() {
  return title_;
}
void XYAxis::setTitle(XYText* title) {
  title_ = title;
}
void XYAxis::attach(XYGraph*) {}
void XYAxis::detach(XYGraph*) {}
double XYAxis::transform(double v) {
  return v;
}
double XYAxis::relativeToValue(double, double) {
  return (max_ - min_) * 0.5;
}
double XYAxis::pixelToValue(int, int) {
  return (max_ - min_) * 0.5;
}
void XYAxis::valueToRelative(double, double*, double*) {}
void XYAxis::valueToPixel(double, int*, int*) {}

double XYAxis::radians() {
  return xymath::Radians(angle_);
}

double XYAxis::scale() {
  return max_ != min_ ? length_ / (max_ - min_) : 0.0;
}

void XYAxis::origin(double* ox, double* oy) {
  *ox = 0.0, *oy = 0.0;
  getRelativePosition(ox, oy);
}

void XYAxis::end(double* ex, double* ey) {
  double ox, oy;
  origin(&ox, &oy);
  const double a = radians();
  *ex = ox + length_ * std::cos(a);
  *ey = oy + length_ * std::sin(a);
  if (nearlyEqual(*ex, ox)) *ex = ox;
  if (nearlyEqual(*ey, oy)) *ey = oy;
}

void XYAxis::stepVector(double* sx, double* sy) {
  xymath::rotate(step_ * scale(), 0.0, radians(), sx, sy);
}

void XYAxis::positionOf(double v, double* x, double* y) {
  double ox, oy;
  origin(&ox, &oy);
  const double a = radians(), d = (v - min_) * scale();
  *x = ox + d * std::cos(a);
  *y = oy + d * std::sin(a);
}

int XYAxis::lastTickIndex() {
  // more ticks than this cannot be told apart on any canvas; the bound
  // keeps the tick walks finite when the step is tiny against the range
  constexpr int kMostTicks = 1 << 20;
  return std::min(kMostTicks, xymath::Trunc(std::floor((max_ - firstTick()) / step_)));
}

double XYAxis::firstTick() {
  double r = tickOrigin_;
  const double step = step_;
  // walking toward min cannot end without a positive, finite step
  if (!(step > 0.0) || !std::isfinite(step) || !std::isfinite(r) || !std::isfinite(min_)) return r;
  // far origins are brought near min first; the last steps are the exact walk
  const double steps = (min_ - r) / step;
  if (std::fabs(steps) > 1e6) r += (std::trunc(steps) - std::copysign(2.0, steps)) * step;
  if (r < min_) {
    while (r < min_) {
      const double next = r + step;
      if (next == r) break;
      r = next;
    }
  } else {
    while (r - step > min_) {
      const double next = r - step;
      if (next == r) break;
      r = next;
    }
  }
  return r;
}

void XYAxis::firstTickSegment(double* x0, double* y0, double* x1, double* y1) {
  const double a = firstTick();
  positionOf(a, x0, y0);
  const double half_pi = xymath::kPi / 2.0;
  double mx, my;
  xymath::rotate(0.01, 0.0, ticksLeft_ ? radians() + half_pi : radians() - half_pi, &mx, &my);
  *x1 = *x0 + mx;
  *y1 = *y0 + my;
  if (nearlyEqual(*x1, *x0)) *x1 = *x0;
  if (nearlyEqual(*y1, *y0)) *y1 = *y0;
}

bool XYAxis::pick(int x, int y) {
  if (!isVisible()) return false;
  int x0 = 0, y0 = 0, x1 = -1, y1 = -1;
  boundingBox(&x0, &y0, &x1, &y1);
  return xymath::pointInRect(x, y, x0, y0, x1, y1);
}

bool XYAxis::insideRect(int x0, int y0, int x1, int y1) {
  if (!isVisible()) return false;
  int a0 = 0, b0 = 0, a1 = -1, b1 = -1;
  boundingBox(&a0, &b0, &a1, &b1);
  if (a1 < a0) return false;
  return xymath::rectStrictlyInside(a0, b0, a1, b1, x0, y0, x1, y1);
}

namespace {
void ArrowVertices(double x0, double y0, double x1, double y1, double vx[3], double vy[3]) {
  const double L = xymath::distance(x0, y0, x1, y1);
  const double ux = L > 0 ? (x1 - x0) / L : 0.0, uy = L > 0 ? (y1 - y0) / L : 0.0;
  const double h = 0.03 * L;
  vx[0] = x1 + 0.3333 * h * uy, vy[0] = y1 - 0.3333 * h * ux;
  vx[1] = x1 + h * ux, vy[1] = y1 + h * uy;
  vx[2] = x1 - 0.3333 * h * uy, vy[2] = y1 + 0.3333 * h * ux;
}
}  // namespace

void XYAxis::drawArrowHead(double x0, double y0, double x1, double y1) {
  double vx[3], vy[3];
  ArrowVertices(x0, y0, x1, y1, vx, vy);
  wdBegin(CD_FILL);
  for (int i = 0; i < 3; i++) wdVertex(vx[i], vy[i]);
  cdEnd();
}

void XYAxis::arrowHeadBox(double x0, double y0, double x1, double y1, double* xmin, double* ymin,
                          double* xmax, double* ymax) {
  double vx[3], vy[3];
  ArrowVertices(x0, y0, x1, y1, vx, vy);
  *xmin = *xmax = vx[0];
  *ymin = *ymax = vy[0];
  for (int i = 1; i < 3; i++) {
    *xmin = std::fmin(*xmin, vx[i]), *xmax = std::fmax(*xmax, vx[i]);
    *ymin = std::fmin(*ymin, vy[i]), *ymax = std::fmax(*ymax, vy[i]);
  }
}

void XYAxis::snapLength() {
  if (vx0_ == vx1_ && vy0_ == vy1_) return;
  if (!(step_ > 0.0) || max_ == min_) return;
  XYSavedWorld saved;
  setWindow(0, 1, 0, 1);
  applyViewport();
  double sx, sy;
  stepVector(&sx, &sy);
  int px0, py0, px, py;
  wdWorld2Canvas(0.0, 0.0, &px0, &py0);
  wdWorld2Canvas(sx, sy, &px, &py);
  double rx0, ry0, rx, ry;
  wdCanvas2World(px0, py0, &rx0, &ry0);
  wdCanvas2World(px, py, &rx, &ry);
  const double a = xymath::distance(rx0, ry0, rx, ry);
  length_ = a * (max_ - min_) / step_;
}

// A scale of whole multiples of a power of ten covering [min, max], with
// 4 to 12 tick marks, one of them on 0 where the range holds 0.
void XYAxis::autoScale(double* pmin, double* pmax, double* out) {
  double min = *pmin, max = *pmax;
  if (!std::isfinite(min) || !std::isfinite(max)) {
    *out = 0.0;
    return;
  }
  if (min > max) std::swap(min, max);
  if (max == min) {
    if (max == 0.0) {
      min = -1.0, max = 1.0;
    } else {
      max = max + std::fabs(max) * 0.1;
      min = min - std::fabs(min) * 0.1;
    }
  }
  const double m = max + min < 0 ? -min : max;
  double e = std::floor(std::log2(m) * std::log10(2.0));
  double p = std::pow(10.0, e);
  long long hi = 0, lo = 0;
  if (hi * p >= max)
    while ((hi - 1) * p >= max) hi--;
  else
    while (hi * p < max) hi++;
  if (lo * p <= min)
    while ((lo + 1) * p <= min) lo++;
  else
    while (lo * p > min) lo--;
  for (int refine = 0; refine < 7 && (hi - lo) * p * 0.8 > max - min; refine++) {
    e = e - 1;
    p = std::pow(10.0, e);
    hi = 10 * hi, lo = 10 * lo;
    while ((hi - 1) * p >= max) hi--;
    while ((lo + 1) * p <= min) lo++;
  }
  const long long n = hi - lo;
  long long marks = n + 1;
  if (marks > 12) {
    bool best_aligned = false;
    long long best_slack = 30000, best_shift = 30000, best_k = 0;
    for (long long k = 4; k <= 12; k++) {
      const long long s = (n + (k - 1) - 1) / (k - 1);  // ceil (n / (k - 1))
      const long long D = s * (k - 1) - n;
      long long z = 0;
      if (!(hi < 0 || lo > 0)) z = ((-lo + s - 1) / s) * s + lo;
      const bool aligned = !(D < z);
      const long long shift = aligned ? z : D;
      if ((!best_aligned && aligned) || (D <= best_slack && (!best_aligned || aligned))) {
        best_aligned = aligned, best_slack = D, best_shift = shift, best_k = k;
      }
    }
    if (best_aligned) {
      lo = lo - best_shift;
      hi = hi + best_slack - best_shift;
    } else {
      lo = lo - best_slack;
    }
    marks = best_k;
  } else {
    if (marks < 2) marks = 2;
    while (marks < 4) marks = 2 * marks - 1;
  }
  max = double(hi) * p;
  min = double(lo) * p;
  *pmax = max;
  *pmin = min;
  *out = (max - min) / double(marks - 1);
}
