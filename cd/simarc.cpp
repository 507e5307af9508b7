/* Simulated arcs and sectors: the ellipse traced by the integer midpoint
 * algorithm, points kept when they lie in the wedge between the start and
 * end rays; sectors fill each row of the ellipse inside the wedge. */
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <vector>

#include "cdpriv.h"
#include "sim.h"

namespace cdsim {

namespace {

/* Half axes beyond this would take too long to trace; such arcs are not drawn. */
constexpr int kMaxHalfAxis = 1 << 22;

struct Wedge {
  bool full = false;
  bool negate = false;
  double sx = 0, sy = 0, ex = 0, ey = 0;
  double scale = 1;

  bool Inside(double x, double y) const {
    if (full) return true;
    /* degrees convert with 57.296, so a ray at 90 degrees misses the axis by
     * a few millionths: products that small count as on the ray */
    double tol = 1e-4 * (std::fabs(x) + std::fabs(y)) * scale;
    double c1 = sx * y - sy * x; /* start x point */
    double c2 = x * ey - y * ex; /* point x end */
    if (!negate) return c1 >= -tol && c2 >= -tol;
    return !(c1 > tol && c2 > tol); /* points on the rays stay inside */
  }
};

/* angles from the core: a2 > a1, a full turn when a2 - a1 >= 360 */
Wedge MakeWedge(const cdCanvas* cv, int a, int b, double a1, double a2) {
  Wedge wdg;
  if (a2 - a1 >= 360.0) {
    wdg.full = true;
    return wdg;
  }
  a1 = std::fmod(a1, 360.0);
  if (a1 < 0) a1 += 360.0;
  a2 = std::fmod(a2, 360.0);
  if (a2 < 0) a2 += 360.0;
  double extent = std::fmod(a2 - a1 + 360.0, 360.0);
  if (extent > 180.0 || a1 == a2) {
    std::swap(a1, a2);
    wdg.negate = true;
  }
  double ra = std::max(a, 1), rb = std::max(b, 1);
  wdg.scale = ra + rb;
  double r1 = a1 / CD_RAD2DEG, r2 = a2 / CD_RAD2DEG;
  double sign = cv->y_inverted ? -1.0 : 1.0;
  wdg.sx = ra * std::cos(r1), wdg.sy = sign * rb * std::sin(r1);
  wdg.ex = ra * std::cos(r2), wdg.ey = sign * rb * std::sin(r2);
  /* mirroring turns the wedge around: swap its rays */
  if (cv->y_inverted) std::swap(wdg.sx, wdg.ex), std::swap(wdg.sy, wdg.ey);
  return wdg;
}

/* first-quadrant points of the ellipse, each once, from (0, b) to (a, 0) */
void TraceQuadrant(int a, int b, std::vector<cdPoint>& out) {
  out.clear();
  if (b == 0) {
    for (int x = 0; x <= a; x++) out.push_back({x, 0});
    return;
  }
  double a2 = double(a) * a, b2 = double(b) * b;
  int x = 0, y = b;
  double d1 = b2 - a2 * b + a2 / 4.0;
  while (a2 * (y - 0.5) > b2 * (x + 1)) {
    out.push_back({x, y});
    if (d1 < 0) {
      d1 += b2 * (2.0 * x + 3);
    } else {
      d1 += b2 * (2.0 * x + 3) + a2 * (-2.0 * y + 2);
      y--;
    }
    x++;
  }
  double d2 = b2 * (x + 0.5) * (x + 0.5) + a2 * double(y - 1) * (y - 1) - a2 * b2;
  while (y >= 0) {
    out.push_back({x, y});
    if (d2 > 0) {
      d2 += a2 * (-2.0 * y + 3);
    } else {
      d2 += b2 * (2.0 * x + 2) + a2 * (-2.0 * y + 3);
      x++;
    }
    y--;
  }
}

}  // namespace

namespace {

/* The half axes of a w x h ellipse at (xc, yc), false when it is too big to
 * trace or lies wholly off the canvas; then every point of it, xc and yc
 * plus or minus a half axis, is a safe int. */
bool HalfAxes(const cdCanvas* cv, int xc, int yc, int w, int h, int* a, int* b) {
  const long long ha = std::llabs(static_cast<long long>(w)) / 2,
                  hb = std::llabs(static_cast<long long>(h)) / 2;
  if (ha > kMaxHalfAxis || hb > kMaxHalfAxis) return false;
  if (xc + ha < -1 || xc - ha > static_cast<long long>(cv->w) + 1) return false;
  if (yc + hb < -1 || yc - hb > static_cast<long long>(cv->h) + 1) return false;
  *a = int(ha), *b = int(hb);
  return true;
}

}  // namespace

void Arc(cdCanvas* cv, int xc, int yc, int w, int h, double a1, double a2) {
  int a = 0, b = 0;
  if (!HalfAxes(cv, xc, yc, w, h, &a, &b)) return;
  Wedge wedge = MakeWedge(cv, a, b, a1, a2);
  std::vector<cdPoint> quadrant;
  TraceQuadrant(a, b, quadrant);
  long color = cv->foreground;
  for (const cdPoint& p : quadrant) {
    const int xs[2] = {p.x, -p.x}, ys[2] = {p.y, -p.y};
    for (int i = 0; i < (p.x ? 2 : 1); i++)
      for (int j = 0; j < (p.y ? 2 : 1); j++)
        if (wedge.Inside(xs[i], ys[j])) ClippedPixel(cv, xc + xs[i], yc + ys[j], color);
  }
}

void Sector(cdCanvas* cv, int xc, int yc, int w, int h, double a1, double a2) {
  int a = 0, b = 0;
  if (!HalfAxes(cv, xc, yc, w, h, &a, &b)) return;
  Wedge wedge = MakeWedge(cv, a, b, a1, a2);
  std::vector<cdPoint> quadrant;
  TraceQuadrant(a, b, quadrant);
  std::vector<int> half_width(size_t(b) + 1, 0);
  for (const cdPoint& p : quadrant) half_width[p.y] = std::max(half_width[p.y], p.x);
  int style = cv->line_style, width = cv->line_width;
  cdcore::SetLineStyle(cv, CD_CONTINUOUS);
  cdcore::SetLineWidth(cv, 1);
  int row_lo = std::max(-b, -yc - 1), row_hi = std::min(b, cv->h - yc);
  for (int dy = row_lo; dy <= row_hi; dy++) {
    int r = half_width[size_t(std::abs(dy))];
    int lo = std::max(-r, -xc - 1), hi = std::min(r, cv->w - xc);
    int run = 0;
    bool in_run = false;
    for (int dx = lo; dx <= hi + 1; dx++) {
      bool inside = dx <= hi && wedge.Inside(dx, dy);
      if (inside && !in_run) run = dx, in_run = true;
      if (!inside && in_run) {
        Span(cv, xc + run, xc + dx - 1, yc + dy);
        in_run = false;
      }
    }
  }
  cdcore::SetLineWidth(cv, width);
  cdcore::SetLineStyle(cv, style);
}

}  // namespace cdsim
