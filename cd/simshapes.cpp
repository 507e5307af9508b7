/* Simulated marks, rectangles, boxes and polygons, drawn through the
 * canvas' slots and the span fill. */
#include <algorithm>
#include <climits>
#include <utility>

#include "cdpriv.h"
#include "sim.h"
#include "simraster.h"

namespace cdsim {

namespace {
/* a polygon edge, clipped like a line */
void Edge(cdCanvas* cv, cdPoint a, cdPoint b) {
  if (cdcore::ClipSimArea(cv)) {
    if (!ClipSegmentToRect(cv, a.x, a.y, b.x, b.y)) return;
  } else if (cdcore::ClipSimPoly(cv)) {
    LineClippedToPoly(cv, a.x, a.y, b.x, b.y);
    return;
  }
  if (a.x == b.x && a.y == b.y)
    ClippedPixel(cv, a.x, a.y, cv->foreground);
  else
    cv->ops.Line(cv, a.x, a.y, b.x, b.y);
}
}  // namespace

void Rect(cdCanvas* cv, int xmin, int xmax, int ymin, int ymax) {
  cv->ops.Line(cv, xmin, ymin, xmax, ymin);
  cv->ops.Line(cv, xmax, ymin, xmax, ymax);
  cv->ops.Line(cv, xmax, ymax, xmin, ymax);
  cv->ops.Line(cv, xmin, ymax, xmin, ymin);
}

void Mark(cdCanvas* cv, int x, int y) {
  int s = cv->mark_size, h = s / 2;
  // the arms' ends, held within int for a mark at its ends
  auto at = [](long long v) { return int(std::clamp<long long>(v, INT_MIN, INT_MAX)); };
  const int xl = at((long long)x - h), xr = at((long long)x + h);
  const int yb = at((long long)y - h), yt = at((long long)y + h);
  int type = cv->mark_type;
  bool filled = type == CD_CIRCLE || type == CD_BOX || type == CD_DIAMOND;
  int interior = cv->interior_style, style = cv->line_style, width = cv->line_width;
  if (filled) {
    cdcore::SetInteriorStyle(cv, CD_SOLID);
  } else {
    cdcore::SetLineStyle(cv, CD_CONTINUOUS);
    cdcore::SetLineWidth(cv, 1);
  }
  cdOperations& o = cv->ops;
  switch (type) {
    case CD_STAR:
      o.Line(cv, xl, yb, xr, yt);
      o.Line(cv, xl, yt, xr, yb);
      [[fallthrough]];
    case CD_PLUS:
      o.Line(cv, xl, y, xr, y);
      o.Line(cv, x, yb, x, yt);
      break;
    case CD_X:
      o.Line(cv, xl, yb, xr, yt);
      o.Line(cv, xl, yt, xr, yb);
      break;
    case CD_CIRCLE:
      o.Sector(cv, x, y, s, s, 0, 360);
      break;
    case CD_HOLLOW_CIRCLE:
      o.Arc(cv, x, y, s, s, 0, 360);
      break;
    case CD_BOX:
      o.Box(cv, xl, xr, yb, yt);
      break;
    case CD_HOLLOW_BOX:
      o.Rect(cv, xl, xr, yb, yt);
      break;
    case CD_DIAMOND: {
      cdPoint diamond[4] = {{xl, y}, {x, yt}, {xr, y}, {x, yb}};
      o.Poly(cv, CD_FILL, diamond, 4);
      break;
    }
    case CD_HOLLOW_DIAMOND:
      o.Line(cv, xl, y, x, yt);
      o.Line(cv, x, yt, xr, y);
      o.Line(cv, xr, y, x, yb);
      o.Line(cv, x, yb, xl, y);
      break;
    default:
      break;
  }
  if (filled) {
    cdcore::SetInteriorStyle(cv, interior);
  } else {
    cdcore::SetLineWidth(cv, width);
    cdcore::SetLineStyle(cv, style);
  }
}

void Box(cdCanvas* cv, int xmin, int xmax, int ymin, int ymax) {
  if (xmin > xmax) std::swap(xmin, xmax);
  if (ymin > ymax) std::swap(ymin, ymax);
  if (ymin < 0) ymin = 0;
  if (ymax > cv->h - 1) ymax = cv->h - 1;
  SolidSpans direct;
  if (DirectSolidSpans(cv, direct)) { /* straight into the raster */
    for (int y = std::max(ymin, direct.ymin), last = std::min(ymax, direct.ymax); y <= last; y++)
      PutSolidSpan(direct, xmin, xmax, y);
    return;
  }
  int style = cv->line_style, width = cv->line_width;
  cdcore::SetLineStyle(cv, CD_CONTINUOUS);
  cdcore::SetLineWidth(cv, 1);
  for (int y = ymin; y <= ymax; y++) Span(cv, xmin, xmax, y);
  cdcore::SetLineWidth(cv, width);
  cdcore::SetLineStyle(cv, style);
}

void Poly(cdCanvas* cv, int mode, cdPoint* points, int n) {
  switch (mode) {
    case CD_FILL: {
      int style = cv->line_style, width = cv->line_width;
      cdcore::SetLineStyle(cv, CD_CONTINUOUS);
      cdcore::SetLineWidth(cv, 1);
      FillPolygon(cv, points, n);
      cdcore::SetLineWidth(cv, width);
      cdcore::SetLineStyle(cv, style);
      break;
    }
    case CD_OPEN_LINES:
    case CD_CLOSED_LINES:
      for (int i = 0; i + 1 < n; i++) Edge(cv, points[i], points[i + 1]);
      if (mode == CD_CLOSED_LINES && n > 2) Edge(cv, points[n - 1], points[0]);
      break;
    case CD_CLIP:
      SetClipPolygon(cv->sim, points, n);
      break;
    default:
      break;
  }
}

}  // namespace cdsim
