// The chart library's math routines and its one piece of global state,
// the comparison tolerance.
#include "xymath.h"

#include <cmath>

namespace xymath {

namespace {
double current_tolerance = 1e-9;
}

int Trunc(double v) {
  if (std::isnan(v)) return 0;
  if (v >= 2147483647.0) return 2147483647;
  if (v <= -2147483648.0) return -2147483647 - 1;
  return static_cast<int>(v);
}

double setTolerance(double t) {
  const double previous = current_tolerance;
  current_tolerance = t;
  return previous;
}

double tolerance() {
  return current_tolerance;
}

bool nearlyEqual(double a, double b) {
  return std::fabs(b - a) < current_tolerance;
}

bool atMost(double a, double b) {
  return a < b || nearlyEqual(a, b);
}

double distance(double x0, double y0, double x1, double y1) {
  return std::sqrt((x1 - x0) * (x1 - x0) + (y1 - y0) * (y1 - y0));
}

double distance(int x0, int y0, int x1, int y1) {
  const double dx = double(x1) - x0, dy = double(y1) - y0;
  return std::sqrt(dx * dx + dy * dy);
}

void rotate(double x, double y, double a, double* rx, double* ry) {
  const double c = std::cos(a), s = std::sin(a);
  *rx = x * c - y * s;
  *ry = y * c + x * s;
}

bool pointInRect(int x, int y, int x0, int y0, int x1, int y1) {
  return x0 <= x && x <= x1 && y0 <= y && y <= y1;
}

bool pointInRect(double x, double y, double x0, double y0, double x1, double y1) {
  return x0 <= x && x <= x1 && y0 <= y && y <= y1;
}

bool rectStrictlyInside(int a0, int b0, int a1, int b1, int x0, int y0, int x1, int y1) {
  return x0 < a0 && a1 < x1 && y0 < b0 && b1 < y1;
}

bool rectsOverlap(int a0, int b0, int a1, int b1, int c0, int d0, int c1, int d1) {
  return a0 <= c1 && a1 >= c0 && b0 <= d1 && b1 >= d0;
}

bool pointNearPoint(int x, int y, int cx, int cy, int r) {
  return cx - r < x && x < cx + r && cy - r < y && y < cy + r;
}

bool pointNearSegment(double x, double y, double x0, double y0, double x1, double y1) {
  const double d = distance(x0, y0, x1, y1);
  if (d == 0.0) return false;
  const double ux = (x1 - x0) / d, uy = (y1 - y0) / d;
  if (!nearlyEqual(std::fabs(uy * (x - x0) - ux * (y - y0)), 0.0)) return false;
  const double t = ux * (x - x0) + uy * (y - y0);
  return 0.0 < t && t < d;
}

}  // namespace xymath
