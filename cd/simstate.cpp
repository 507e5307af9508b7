/* The simulation state of a canvas, the clip tests and the two building
 * blocks every simulated primitive ends in: a clipped pixel and a clipped
 * horizontal span filled by interior style (solid, hatch, stipple,
 * pattern; opaque or transparent back). */
#include <algorithm>
#include <cmath>
#include <new>

#include "cdpriv.h"
#include "sim.h"
#include "simraster.h"

namespace cdsim {

const unsigned char kHatch[6][8] = {
    {0x00, 0x00, 0x00, 0xFF, 0x00, 0x00, 0x00, 0x00},
    {0x10, 0x10, 0x10, 0x10, 0x10, 0x10, 0x10, 0x10},
    {0x01, 0x02, 0x04, 0x08, 0x10, 0x20, 0x40, 0x80},
    {0x80, 0x40, 0x20, 0x10, 0x08, 0x04, 0x02, 0x01},
    {0x10, 0x10, 0x10, 0xFF, 0x10, 0x10, 0x10, 0x10},
    {0x81, 0x42, 0x24, 0x18, 0x18, 0x24, 0x42, 0x81},
};

unsigned LineStyleMask(int style) {
  static const unsigned masks[5] = {0xFFFF, 0x0707, 0x1111, 0x0C3F, 0x111F};
  return style >= 0 && style < 5 ? masks[style] : 0xFFFF;
}

namespace {

void SlotPixel(cdCanvas* cv, int x, int y, long color) {
  cv->ops.Pixel(cv, x, y, color);
}

/* a solid span through the recorded Line operation, in the given colour */
void SlotSpan(cdCanvas* cv, int xmin, int xmax, int y, long color) {
  SimState* s = cv->sim;
  if (!s->line) return;
  if (xmin == xmax) {
    cv->ops.Pixel(cv, xmin, y, color);
    return;
  }
  long saved = cv->foreground;
  if (color != saved) cdcore::SetForeground(cv, color);
  s->line(cv, xmin, y, xmax, y);
  if (color != saved) cdcore::SetForeground(cv, saved);
}

}  // namespace

SimState* CreateState(cdCanvas* cv) {
  SimState* s = new (std::nothrow) SimState;
  if (!s) return nullptr;
  s->canvas = cv;
  s->target = {SlotPixel, SlotSpan};
  return s;
}

void KillState(SimState* state) {
  if (!state) return;
  KillFont(state->font);
  delete state;
}

void SetLineOperation(SimState* state, void (*line)(cdCanvas*, int, int, int, int)) {
  state->line = line;
}

void SetClipPolygon(SimState* state, const cdPoint* points, int n) {
  try {
    state->clip_poly.assign(points, points + (n > 0 ? n : 0));
  } catch (const std::bad_alloc&) {
    state->clip_poly.clear();
  }
}

/* ---- clip tests ---- */

bool PointInClipRect(const cdCanvas* cv, int x, int y) {
  return x >= cv->clip_xmin && x <= cv->clip_xmax && y >= cv->clip_ymin && y <= cv->clip_ymax;
}

namespace {
/* x of the crossings of the polygon's edges with row y (half-open in y) */
void RowCrossings(const std::vector<cdPoint>& poly, int y, std::vector<double>& xs) {
  xs.clear();
  size_t n = poly.size();
  for (size_t i = 0; i < n; i++) {
    const cdPoint& a = poly[i];
    const cdPoint& b = poly[(i + 1) % n];
    if ((a.y <= y) == (b.y <= y)) continue;
    xs.push_back(a.x + double(y - a.y) * (b.x - a.x) / double(b.y - a.y));
  }
  std::sort(xs.begin(), xs.end());
}
}  // namespace

bool PointInPolygon(const std::vector<cdPoint>& poly, int x, int y) {
  bool inside = false;
  size_t n = poly.size();
  for (size_t i = 0; i < n; i++) {
    const cdPoint& a = poly[i];
    const cdPoint& b = poly[(i + 1) % n];
    if ((a.y <= y) == (b.y <= y)) continue;
    double xc = a.x + double(y - a.y) * (b.x - a.x) / double(b.y - a.y);
    if (xc < x) inside = !inside;
  }
  return inside;
}

bool PointInClipPoly(const cdCanvas* cv, int x, int y) {
  return PointInPolygon(cv->sim->clip_poly, x, y);
}

bool ClipSegmentToRect(const cdCanvas* cv, int& x1, int& y1, int& x2, int& y2) {
  /* Liang-Barsky on doubles, rounded back to the nearest pixel */
  double xa = x1, ya = y1, dx = double(x2) - x1, dy = double(y2) - y1;
  double t0 = 0, t1 = 1;
  const double p[4] = {-dx, dx, -dy, dy};
  const double q[4] = {xa - cv->clip_xmin, cv->clip_xmax - xa, ya - cv->clip_ymin,
                       cv->clip_ymax - ya};
  for (int i = 0; i < 4; i++) {
    if (p[i] == 0) {
      if (q[i] < 0) return false;
      continue;
    }
    double t = q[i] / p[i];
    if (p[i] < 0) {
      if (t > t1) return false;
      t0 = std::max(t0, t);
    } else {
      if (t < t0) return false;
      t1 = std::min(t1, t);
    }
  }
  int nx1 = int(std::floor(xa + t0 * dx + 0.5)), ny1 = int(std::floor(ya + t0 * dy + 0.5));
  int nx2 = int(std::floor(xa + t1 * dx + 0.5)), ny2 = int(std::floor(ya + t1 * dy + 0.5));
  x1 = std::clamp(nx1, cv->clip_xmin, cv->clip_xmax);
  y1 = std::clamp(ny1, cv->clip_ymin, cv->clip_ymax);
  x2 = std::clamp(nx2, cv->clip_xmin, cv->clip_xmax);
  y2 = std::clamp(ny2, cv->clip_ymin, cv->clip_ymax);
  return true;
}

void LineClippedToPoly(cdCanvas* cv, int x1, int y1, int x2, int y2) {
  const std::vector<cdPoint>& poly = cv->sim->clip_poly;
  size_t n = poly.size();
  if (n < 3) return;
  std::vector<double> ts = {0.0, 1.0};
  double dx = double(x2) - x1, dy = double(y2) - y1;
  for (size_t i = 0; i < n; i++) {
    double ax = poly[i].x, ay = poly[i].y;
    double ex = poly[(i + 1) % n].x - ax, ey = poly[(i + 1) % n].y - ay;
    double den = dx * ey - dy * ex;
    if (den == 0) continue;
    double t = ((ax - x1) * ey - (ay - y1) * ex) / den;
    double u = ((ax - x1) * dy - (ay - y1) * dx) / den;
    if (t > 0 && t < 1 && u >= 0 && u <= 1) ts.push_back(t);
  }
  std::sort(ts.begin(), ts.end());
  int saved = cv->clip_mode;
  cv->clip_mode = CD_CLIPOFF;
  for (size_t i = 0; i + 1 < ts.size(); i++) {
    double tm = (ts[i] + ts[i + 1]) / 2;
    int mx = int(std::floor(x1 + tm * dx + 0.5)), my = int(std::floor(y1 + tm * dy + 0.5));
    if (!PointInPolygon(poly, mx, my)) continue;
    int ax = int(std::floor(x1 + ts[i] * dx + 0.5)), ay = int(std::floor(y1 + ts[i] * dy + 0.5));
    int bx = int(std::floor(x1 + ts[i + 1] * dx + 0.5));
    int by = int(std::floor(y1 + ts[i + 1] * dy + 0.5));
    if (ax == bx && ay == by)
      cv->ops.Pixel(cv, ax, ay, cv->foreground);
    else
      cv->ops.Line(cv, ax, ay, bx, by);
  }
  cv->clip_mode = saved;
}

bool ClipBoxToRect(const cdCanvas* cv, int& xmin, int& xmax, int& ymin, int& ymax) {
  xmin = std::max(xmin, cv->clip_xmin);
  xmax = std::min(xmax, cv->clip_xmax);
  ymin = std::max(ymin, cv->clip_ymin);
  ymax = std::min(ymax, cv->clip_ymax);
  return xmin <= xmax && ymin <= ymax;
}

/* ---- pixels and spans ---- */

namespace {

bool PolyClipInForce(const cdCanvas* cv) {
  return cv->clip_mode == CD_CLIPPOLYGON && !cv->sim->clip_poly.empty() &&
         ((cv->sim_mode & CD_SIM_CLIPPOLY) || cv->sim->raster_native);
}

/* a span already clipped: fill it by interior style */
void StyledSpan(cdCanvas* cv, int xmin, int xmax, int y) {
  const Target& t = cv->sim->target;
  int style = cv->interior_style;
  bool opaque = cv->back_opacity == CD_OPAQUE;
  auto runs = [&](auto cell_colour) {
    /* runs of equal value drawn as one span; a skipped cell has no colour */
    int x = xmin;
    while (x <= xmax) {
      long colour = 0, next = 0;
      bool drawn = cell_colour(x, colour);
      int end = x;
      while (end < xmax && cell_colour(end + 1, next) == drawn && (!drawn || next == colour)) end++;
      if (drawn) {
        if (end == x)
          t.pixel(cv, x, y, colour);
        else
          t.span(cv, x, end, y, colour);
      }
      x = end + 1;
    }
  };
  auto mod = [](int v, int m) { return ((v % m) + m) % m; };
  if (style == CD_HATCH) {
    int r = mod(y, 8);
    if (cv->y_inverted) r = 7 - r;
    int hatch = cv->hatch_style >= 0 && cv->hatch_style < 6 ? cv->hatch_style : 0;
    unsigned char bits = kHatch[hatch][r];
    runs([&](int x, long& c) {
      bool set = (bits >> (7 - mod(x, 8))) & 1;
      c = set ? cv->foreground : cv->background;
      return set || opaque;
    });
  } else if (style == CD_STIPPLE && cv->stipple_capacity > 0) {
    int r = mod(y, cv->stipple_h);
    if (cv->y_inverted) r = cv->stipple_h - 1 - r;
    const unsigned char* row = cv->stipple.data() + size_t(r) * cv->stipple_w;
    runs([&](int x, long& c) {
      bool set = row[mod(x, cv->stipple_w)] != 0;
      c = set ? cv->foreground : cv->background;
      return set || opaque;
    });
  } else if (style == CD_PATTERN && cv->pattern_capacity > 0) {
    int r = mod(y, cv->pattern_h);
    if (cv->y_inverted) r = cv->pattern_h - 1 - r;
    const long* row = cv->pattern.data() + size_t(r) * cv->pattern_w;
    runs([&](int x, long& c) {
      c = row[mod(x, cv->pattern_w)];
      return true;
    });
  } else if (xmin == xmax) {
    t.pixel(cv, xmin, y, cv->foreground);
  } else {
    t.span(cv, xmin, xmax, y, cv->foreground);
  }
}

}  // namespace

bool DirectSolidSpans(cdCanvas* cv, SolidSpans& out) {
  const SimState* s = cv->sim;
  int style = cv->interior_style;
  if (!s->raster_native || !s->raster || style == CD_HATCH ||
      (style == CD_STIPPLE && cv->stipple_capacity > 0) ||
      (style == CD_PATTERN && cv->pattern_capacity > 0) || PolyClipInForce(cv))
    return false;
  const Raster& ra = *s->raster;
  out.raster = s->raster;
  out.xmin = std::max(0, ra.xmin);
  out.xmax = std::min(cv->w - 1, ra.xmax);
  out.ymin = std::max(0, ra.ymin);
  out.ymax = std::min(cv->h - 1, ra.ymax);
  if (cdcore::ClipSimArea(cv)) {
    out.xmin = std::max(out.xmin, cv->clip_xmin);
    out.xmax = std::min(out.xmax, cv->clip_xmax);
    out.ymin = std::max(out.ymin, cv->clip_ymin);
    out.ymax = std::min(out.ymax, cv->clip_ymax);
  }
  out.color = cv->foreground;
  out.mode = cv->write_mode;
  out.r = (unsigned char)(out.color >> 16);
  out.g = (unsigned char)(out.color >> 8);
  out.b = (unsigned char)out.color;
  return true;
}

void ClippedPixel(cdCanvas* cv, int x, int y, long color) {
  if (cdcore::ClipSimArea(cv) && !PointInClipRect(cv, x, y)) return;
  if (PolyClipInForce(cv) && !PointInClipPoly(cv, x, y)) return;
  cv->sim->target.pixel(cv, x, y, color);
}

void Span(cdCanvas* cv, int xmin, int xmax, int y) {
  if (xmin > xmax) std::swap(xmin, xmax);
  /* nothing outside the surface can show; styles keep their phase */
  if (y < 0 || y >= cv->h) return;
  xmin = std::max(xmin, 0);
  xmax = std::min(xmax, cv->w - 1);
  if (xmin > xmax) return;
  if (cdcore::ClipSimArea(cv)) {
    if (y < cv->clip_ymin || y > cv->clip_ymax) return;
    xmin = std::max(xmin, cv->clip_xmin);
    xmax = std::min(xmax, cv->clip_xmax);
    if (xmin > xmax) return;
  }
  /* the driver clip is off while the span is drawn */
  int saved = cv->clip_mode;
  if (PolyClipInForce(cv)) {
    std::vector<double>& xs = cv->sim->crossings;
    RowCrossings(cv->sim->clip_poly, y, xs);
    cv->clip_mode = CD_CLIPOFF;
    /* pixel x is inside when an odd number of crossings lie left of it */
    for (size_t i = 0; i + 1 < xs.size(); i += 2) {
      int a = std::max(xmin, int(std::floor(xs[i])) + 1);
      int b = std::min(xmax, int(std::floor(xs[i + 1])));
      if (b < a) continue;
      StyledSpan(cv, a, b, y);
    }
    cv->clip_mode = saved;
    return;
  }
  if (!cv->sim->raster_native) cv->clip_mode = CD_CLIPOFF;
  StyledSpan(cv, xmin, xmax, y);
  cv->clip_mode = saved;
}

}  // namespace cdsim
