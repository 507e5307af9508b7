/* Simulated lines: thin lines by Bresenham with the 16-bit line style
 * masks (background in the gaps when the back is opaque), thick lines as
 * filled quadrilaterals. */
#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstdlib>

#include "cdpriv.h"
#include "sim.h"

namespace cdsim {

namespace {

/* the step range [k0, k1] of a run of L + 1 steps from a along s whose
 * position stays inside [lo, hi] */
void VisibleSteps(int64_t a, int s, int64_t L, int64_t lo, int64_t hi, int64_t& k0, int64_t& k1) {
  if (s == 0) {
    if (a < lo || a > hi) k0 = 1, k1 = 0;
    return;
  }
  int64_t first = s > 0 ? lo - a : a - hi;
  int64_t last = s > 0 ? hi - a : a - lo;
  k0 = std::max(k0, first);
  k1 = std::min(k1, std::min(last, L));
}

void ThinLine(cdCanvas* cv, int x1, int y1, int x2, int y2) {
  unsigned mask = LineStyleMask(cv->line_style);
  bool opaque = cv->back_opacity == CD_OPAQUE;
  int64_t dx = int64_t(x2) - x1, dy = int64_t(y2) - y1;
  int64_t adx = std::llabs(dx), ady = std::llabs(dy);
  int sx = dx > 0 ? 1 : (dx < 0 ? -1 : 0), sy = dy > 0 ? 1 : (dy < 0 ? -1 : 0);
  bool x_major = adx >= ady;
  int64_t L = x_major ? adx : ady;
  /* only the steps inside the canvas can show; skipping the others keeps
   * the pixels and the dash phase of the whole line */
  int64_t k0 = 0, k1 = L;
  if (x_major)
    VisibleSteps(x1, sx, L, 0, cv->w - 1, k0, k1);
  else
    VisibleSteps(y1, sy, L, 0, cv->h - 1, k0, k1);
  for (int64_t k = k0; k <= k1; k++) {
    int64_t x, y;
    /* k and the minor extent reach 2^32 on lines across the int range, so
     * their product is taken in 128 bits */
    if (x_major) {
      x = x1 + sx * k;
      y = y1 + sy * (L ? int64_t((__int128(2) * k * ady + L) / (__int128(2) * L)) : 0);
    } else {
      y = y1 + sy * k;
      x = x1 + sx * int64_t((__int128(2) * k * adx + L) / (__int128(2) * L));
    }
    /* bit 0 after k left rotations is bit (16 - k) mod 16 */
    bool on = (mask >> ((16 - k % 16) % 16)) & 1;
    if (on)
      ClippedPixel(cv, int(x), int(y), cv->foreground);
    else if (opaque)
      ClippedPixel(cv, int(x), int(y), cv->background);
  }
}

void ThickLine(cdCanvas* cv, int x1, int y1, int x2, int y2) {
  double dx = double(x2) - x1, dy = double(y2) - y1;
  double len = std::sqrt(dx * dx + dy * dy);
  if (len == 0) return;
  double nx = -dy / len, ny = dx / len;
  int w1 = cv->line_width / 2, w2 = cv->line_width - w1;
  /* corners of a line near +-2^31 may lie beyond int: held at its limits */
  auto at = [](double v) {
    return int(std::clamp(std::floor(v + 0.5), double(INT_MIN), double(INT_MAX)));
  };
  cdPoint quad[4] = {
      {at(x1 + nx * w1), at(y1 + ny * w1)},
      {at(x2 + nx * w1), at(y2 + ny * w1)},
      {at(x2 - nx * w2), at(y2 - ny * w2)},
      {at(x1 - nx * w2), at(y1 - ny * w2)},
  };
  int style = cv->line_style, width = cv->line_width, interior = cv->interior_style;
  cdcore::SetLineStyle(cv, CD_CONTINUOUS);
  cdcore::SetLineWidth(cv, 1);
  cv->interior_style = CD_SOLID; /* a line is always solid */
  FillPolygon(cv, quad, 4);
  cv->interior_style = interior;
  cdcore::SetLineWidth(cv, width);
  cdcore::SetLineStyle(cv, style);
}

}  // namespace

void Line(cdCanvas* cv, int x1, int y1, int x2, int y2) {
  if (cdcore::ClipSimArea(cv)) {
    if (!ClipSegmentToRect(cv, x1, y1, x2, y2)) return;
  } else if (cdcore::ClipSimPoly(cv)) {
    int saved = cv->clip_mode;
    LineClippedToPoly(cv, x1, y1, x2, y2); /* comes back here with the clip off */
    cv->clip_mode = saved;
    return;
  }
  if (cv->line_width < 2)
    ThinLine(cv, x1, y1, x2, y2);
  else
    ThickLine(cv, x1, y1, x2, y2);
}

}  // namespace cdsim
