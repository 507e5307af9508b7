/* The canvas core's primitives: the coordinate pipeline with clip
 * simulation for pixels, marks, lines, rectangles, boxes, arcs, sectors
 * and text; polygons collected by cdBegin/cdVertex/cdEnd; the clip area
 * and clip polygon; the text box. */
#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>
#include <new>
#include <string>

#include "cdpriv.h"
#include "sim.h"

using namespace cdcore;

namespace {

bool PixelVisible(const cdCanvas* cv, int x, int y) {
  if (ClipSimArea(cv)) return cdsim::PointInClipRect(cv, x, y);
  if (ClipSimPoly(cv)) return cdsim::PointInClipPoly(cv, x, y);
  return true;
}

void DevicePixel(cdCanvas* cv, int x, int y, long color) {
  if (!PixelVisible(cv, x, y)) return;
  cv->ops.Pixel(cv, x, y, color);
}

/* one edge of a rectangle drawn with the clip simulation in force */
void ClippedEdge(cdCanvas* cv, int x1, int y1, int x2, int y2) {
  if (ClipSimArea(cv)) {
    if (!cdsim::ClipSegmentToRect(cv, x1, y1, x2, y2)) return;
    cv->clip_mode = CD_CLIPOFF;
    cv->ops.Line(cv, x1, y1, x2, y2);
    cv->clip_mode = CD_CLIPAREA;
  } else {
    cdsim::LineClippedToPoly(cv, x1, y1, x2, y2);
  }
}

/* angles reduced to [0, 360) with the second greater than the first */
void ReduceAngles(double& a1, double& a2) {
  double extent = a2 - a1;
  a1 = std::fmod(a1, 360.0);
  if (a1 < 0) a1 += 360.0;
  if (extent >= 360.0 || extent <= -360.0) {
    a2 = a1 + 360.0; /* a full turn stays a full ellipse */
    return;
  }
  a2 = std::fmod(a2, 360.0);
  if (a2 < 0) a2 += 360.0;
  if (a2 <= a1) a2 += 360.0;
}

}  // namespace

void cdPixel(int x, int y, long color) {
  cdCanvas* cv = Active();
  ToDevice(cv, x, y);
  SetWorldMode(cv, 0);
  DevicePixel(cv, x, y, color);
}

void cdMark(int x, int y) {
  cdCanvas* cv = Active();
  if (cv->mark_size == 1) {
    cdPixel(x, y, cv->foreground);
    return;
  }
  ToDevice(cv, x, y);
  SetWorldMode(cv, 0);
  if (!PixelVisible(cv, x, y)) return;
  cv->ops.Mark(cv, x, y);
}

void cdLine(int x1, int y1, int x2, int y2) {
  cdCanvas* cv = Active();
  if (x1 == x2 && y1 == y2) {
    cdPixel(x1, y1, cv->foreground);
    return;
  }
  ToDevice(cv, x1, y1);
  ToDevice(cv, x2, y2);
  SetWorldMode(cv, 0);
  if (ClipSim(cv) && !(cv->sim_mode & CD_SIM_LINE)) {
    if (ClipSimArea(cv)) {
      if (!cdsim::ClipSegmentToRect(cv, x1, y1, x2, y2)) return;
    } else {
      cdsim::LineClippedToPoly(cv, x1, y1, x2, y2);
      return;
    }
  }
  cv->ops.Line(cv, x1, y1, x2, y2);
}

void cdRect(int xmin, int xmax, int ymin, int ymax) {
  cdCanvas* cv = Active();
  if (!RangeOk(xmin, xmax, ymin, ymax)) return;
  RangeToDevice(cv, xmin, xmax, ymin, ymax);
  SetWorldMode(cv, 0);
  if (ClipSim(cv)) {
    ClippedEdge(cv, xmin, ymin, xmax, ymin);
    ClippedEdge(cv, xmax, ymin, xmax, ymax);
    ClippedEdge(cv, xmax, ymax, xmin, ymax);
    ClippedEdge(cv, xmin, ymax, xmin, ymin);
    return;
  }
  cv->ops.Rect(cv, xmin, xmax, ymin, ymax);
}

void cdBox(int xmin, int xmax, int ymin, int ymax) {
  cdCanvas* cv = Active();
  if (cv->interior_style == CD_HOLLOW) {
    cdRect(xmin, xmax, ymin, ymax);
    return;
  }
  if (!RangeOk(xmin, xmax, ymin, ymax)) return;
  RangeToDevice(cv, xmin, xmax, ymin, ymax);
  SetWorldMode(cv, 0);
  if (ClipSim(cv) && !(cv->sim_mode & CD_SIM_BOX)) {
    if (ClipSimArea(cv)) {
      if (!cdsim::ClipBoxToRect(cv, xmin, xmax, ymin, ymax)) return;
    } else {
      cdsim::Box(cv, xmin, xmax, ymin, ymax);
      return;
    }
  }
  cv->ops.Box(cv, xmin, xmax, ymin, ymax);
}

void cdArc(int xc, int yc, int w, int h, double angle1, double angle2) {
  cdCanvas* cv = Active();
  if (w == 0 || h == 0 || angle1 == angle2) return;
  ReduceAngles(angle1, angle2);
  ToDevice(cv, xc, yc);
  SetWorldMode(cv, 0);
  if (ClipSim(cv) && !(cv->sim_mode & CD_SIM_ARC))
    cdsim::Arc(cv, xc, yc, w, h, angle1, angle2);
  else
    cv->ops.Arc(cv, xc, yc, w, h, angle1, angle2);
}

void cdSector(int xc, int yc, int w, int h, double angle1, double angle2) {
  cdCanvas* cv = Active();
  if (w == 0 || h == 0 || angle1 == angle2) return;
  if (cv->interior_style == CD_HOLLOW) {
    cdArc(xc, yc, w, h, angle1, angle2);
    return;
  }
  ReduceAngles(angle1, angle2);
  ToDevice(cv, xc, yc);
  SetWorldMode(cv, 0);
  if (ClipSim(cv) && !(cv->sim_mode & CD_SIM_SECTOR))
    cdsim::Sector(cv, xc, yc, w, h, angle1, angle2);
  else
    cv->ops.Sector(cv, xc, yc, w, h, angle1, angle2);
}

namespace {

/* the west-side alignment with the same vertical reference */
int WestAlignment(int alignment) {
  switch (alignment) {
    case CD_NORTH:
    case CD_NORTH_EAST:
      return CD_NORTH_WEST;
    case CD_SOUTH:
    case CD_SOUTH_EAST:
      return CD_SOUTH_WEST;
    case CD_EAST:
    case CD_CENTER:
      return CD_WEST;
    case CD_BASE_CENTER:
    case CD_BASE_RIGHT:
      return CD_BASE_LEFT;
    default:
      return alignment;
  }
}

/* Text crossing the left or right edge of the clip rectangle: the
 * characters that fit are drawn where they stand in the whole text. */
void TextCutToClip(cdCanvas* cv, int x, int y, const char* s, int bxmin) {
  int saved_alignment = SetTextAlignment(cv, WestAlignment(cv->text_alignment));
  int saved_clip = cv->clip_mode;
  cv->clip_mode = CD_CLIPOFF;
  std::string prefix;
  int dx = x, dy = y;
  ToDevice(cv, dx, dy);
  int shift = dx - x; /* origin shift in x */
  for (size_t i = 0; s[i]; i++) {
    int left = 0, width = 0, height = 0;
    if (!prefix.empty()) cv->ops.TextSize(cv, prefix.c_str(), &left, &height);
    char one[2] = {s[i], 0};
    cv->ops.TextSize(cv, one, &width, &height);
    int cx = bxmin + shift + left;
    if (cx >= cv->clip_xmin && cx + width - 1 <= cv->clip_xmax) cv->ops.Text(cv, cx, dy, one);
    prefix.push_back(s[i]);
  }
  cv->clip_mode = saved_clip;
  SetTextAlignment(cv, saved_alignment);
}

}  // namespace

void cdText(int x, int y, const char* s) {
  cdCanvas* cv = Active();
  if (!s || !s[0]) return;
  if (ClipSimArea(cv)) {
    double saved_orientation = cv->text_orientation;
    cv->text_orientation = 0;
    int bxmin, bxmax, bymin, bymax;
    TextBox(cv, x, y, s, &bxmin, &bxmax, &bymin, &bymax);
    cv->text_orientation = saved_orientation;
    int dxmin = bxmin, dxmax = bxmax, dymin = bymin, dymax = bymax;
    RangeToDevice(cv, dxmin, dxmax, dymin, dymax);
    bool outside = dxmax < cv->clip_xmin || dxmin > cv->clip_xmax || dymax < cv->clip_ymin ||
                   dymin > cv->clip_ymax;
    bool cuts_rows = dymin < cv->clip_ymin || dymax > cv->clip_ymax;
    bool cuts_columns = dxmin < cv->clip_xmin || dxmax > cv->clip_xmax;
    if (outside || cuts_rows) return;
    SetWorldMode(cv, 0);
    if (cuts_columns) {
      TextCutToClip(cv, x, y, s, bxmin);
      return;
    }
  }
  ToDevice(cv, x, y);
  SetWorldMode(cv, 0);
  cv->ops.Text(cv, x, y, s);
}

/* ---- polygons ---- */

void cdBegin(int mode) {
  cdCanvas* cv = Active();
  cv->sim_poly = 0;
  if (cv->interior_style == CD_HOLLOW && mode == CD_FILL) mode = CD_CLOSED_LINES;
  bool lines = mode == CD_OPEN_LINES || mode == CD_CLOSED_LINES;
  if ((lines && (cv->sim_mode & CD_SIM_POLYLINE)) ||
      (mode == CD_FILL && (cv->sim_mode & CD_SIM_POLYGON)) || (cv->sim_mode & CD_SIM_CLIP))
    cv->sim_poly = 1;
  if (cv->poly_capacity == 0) GrowPoly(cv);
  cv->poly_n = 0;
  cv->poly_mode = mode;
  cv->poly_world = 0;
}

void cdVertex(int x, int y) {
  cdCanvas* cv = Active();
  if (cv->poly_n >= cv->poly_capacity && !GrowPoly(cv)) return;
  int ux = x, uy = y;
  ToDevice(cv, x, y);
  cv->poly[cv->poly_n] = {x, y};
  /* keep the world buffer complete too, for polygons mixing both calls */
  double xw, yw;
  DeviceToWorld(cv, ux, uy, xw, yw);
  cv->wd_poly[cv->poly_n] = {xw, yw};
  cv->poly_n++;
}

void cdEnd(void) {
  cdCanvas* cv = Active();
  int n = cv->poly_n, mode = cv->poly_mode;
  cv->poly_n = 0;
  if ((mode == CD_OPEN_LINES && n < 2) || (mode != CD_OPEN_LINES && n < 3)) return;
  if (cv->sim_poly) {
    SetWorldMode(cv, 0);
    cdsim::Poly(cv, mode, cv->poly.data(), n);
  } else if (cv->poly_world && cv->ops.WdPoly) {
    SetWorldMode(cv, 1);
    cv->ops.WdPoly(cv, mode, cv->wd_poly.data(), n);
  } else {
    SetWorldMode(cv, 0);
    cv->ops.Poly(cv, mode, cv->poly.data(), n);
  }
  if (mode == CD_CLIP) {
    try {
      if (cv->poly_world) {
        cv->wd_clip_poly.assign(cv->wd_poly.begin(), cv->wd_poly.begin() + n);
        cv->wd_clip_poly_n = n;
        cv->clip_poly.clear();
        cv->clip_poly_n = 0;
      } else {
        cv->clip_poly.assign(cv->poly.begin(), cv->poly.begin() + n);
        cv->clip_poly_n = n;
        cv->wd_clip_poly.clear();
        cv->wd_clip_poly_n = 0;
      }
    } catch (const std::bad_alloc&) {
      cv->clip_poly.clear();
      cv->wd_clip_poly.clear();
      cv->clip_poly_n = cv->wd_clip_poly_n = 0;
    }
    /* a world clip polygon still clips the integer simulation */
    if (cv->poly_world && cv->clip_poly.empty()) {
      try {
        cv->clip_poly.assign(cv->poly.begin(), cv->poly.begin() + n);
        cv->clip_poly_n = n;
      } catch (const std::bad_alloc&) {
      }
    }
  }
}

/* ---- clipping ---- */

int cdClip(int mode) {
  return SetClip(Active(), mode);
}

void cdClipArea(int xmin, int xmax, int ymin, int ymax) {
  cdCanvas* cv = Active();
  if (!RangeOk(xmin, xmax, ymin, ymax)) return;
  RangeToDevice(cv, xmin, xmax, ymin, ymax);
  SetClipAreaDevice(cv, xmin, xmax, ymin, ymax);
}

int cdGetClipArea(int* xmin, int* xmax, int* ymin, int* ymax) {
  cdCanvas* cv = Active();
  int x1 = cv->clip_xmin, x2 = cv->clip_xmax, y1 = cv->clip_ymin, y2 = cv->clip_ymax;
  if (cv->y_inverted) {
    int t = cv->h - y2 - 1;
    y2 = cv->h - y1 - 1;
    y1 = t;
  }
  if (cv->use_origin) {
    x1 = HeldCoordinate(static_cast<long long>(x1) - cv->origin_x);
    x2 = HeldCoordinate(static_cast<long long>(x2) - cv->origin_x);
    y1 = HeldCoordinate(static_cast<long long>(y1) - cv->origin_y);
    y2 = HeldCoordinate(static_cast<long long>(y2) - cv->origin_y);
  }
  if (xmin) *xmin = x1;
  if (xmax) *xmax = x2;
  if (ymin) *ymin = y1;
  if (ymax) *ymax = y2;
  return cv->clip_mode;
}

int* cdGetClipPoly(int* n) {
  static int points[2 * 200];
  cdCanvas* cv = Active();
  if (n) *n = 0;
  if (cv->clip_poly_n == 0 || cv->clip_poly_n >= 200) return nullptr;
  for (int i = 0; i < cv->clip_poly_n; i++) {
    int x = cv->clip_poly[i].x, y = cv->clip_poly[i].y;
    FromDevice(cv, x, y);
    points[2 * i] = x;
    points[2 * i + 1] = y;
  }
  if (n) *n = cv->clip_poly_n;
  return points;
}

/* ---- text metrics ---- */

void cdFontDim(int* max_width, int* height, int* ascent, int* descent) {
  cdCanvas* cv = Active();
  int mw = 0, ht = 0, as = 0, ds = 0;
  cv->ops.FontDim(cv, &mw, &ht, &as, &ds);
  if (max_width) *max_width = mw;
  if (height) *height = ht;
  if (ascent) *ascent = as;
  if (descent) *descent = ds;
}

void cdTextSize(const char* s, int* width, int* height) {
  cdCanvas* cv = Active();
  int w = 0, h = 0;
  if (s) cv->ops.TextSize(cv, s, &w, &h);
  if (width) *width = w;
  if (height) *height = h;
}

namespace cdcore {

void TextBox(cdCanvas* cv, int x, int y, const char* s, int* xmin, int* xmax, int* ymin,
             int* ymax) {
  int width = 0, height = 0, max_width = 0, fheight = 0, ascent = 0, descent = 0;
  if (s) cv->ops.TextSize(cv, s, &width, &height);
  cv->ops.FontDim(cv, &max_width, &fheight, &ascent, &descent);
  // wide enough for a text placed at the ends of int; the box is cut there
  long long left, bottom;
  switch (cv->text_alignment) {
    case CD_WEST:
    case CD_NORTH_WEST:
    case CD_SOUTH_WEST:
    case CD_BASE_LEFT:
      left = x;
      break;
    case CD_NORTH:
    case CD_SOUTH:
    case CD_CENTER:
    case CD_BASE_CENTER:
      left = static_cast<long long>(x) - width / 2;
      break;
    default:
      left = static_cast<long long>(x) - width;
      break;
  }
  switch (cv->text_alignment) {
    case CD_NORTH:
    case CD_NORTH_EAST:
    case CD_NORTH_WEST:
      bottom = static_cast<long long>(y) - height + 1;
      break;
    case CD_EAST:
    case CD_WEST:
    case CD_CENTER:
      bottom = static_cast<long long>(y) - height / 2;
      break;
    case CD_SOUTH:
    case CD_SOUTH_EAST:
    case CD_SOUTH_WEST:
      bottom = y;
      break;
    default:
      bottom = static_cast<long long>(y) - descent;
      break;
  }
  auto cut = [](long long v) { return int(std::clamp<long long>(v, INT_MIN, INT_MAX)); };
  int x1 = cut(left), x2 = cut(left + width - 1), y1 = cut(bottom), y2 = cut(bottom + height - 1);
  if (cv->text_orientation != 0 && std::isfinite(cv->text_orientation)) {
    double a = cv->text_orientation / CD_RAD2DEG, c = std::cos(a), sn = std::sin(a);
    double cx[4] = {double(x1), double(x2) + 1, double(x2) + 1, double(x1)};
    double cy[4] = {double(y1), double(y1), double(y2) + 1, double(y2) + 1};
    double lo_x = 1e300, hi_x = -1e300, lo_y = 1e300, hi_y = -1e300;
    for (int i = 0; i < 4; i++) {
      double px = x + (cx[i] - x) * c - (cy[i] - y) * sn;
      double py = y + (cx[i] - x) * sn + (cy[i] - y) * c;
      lo_x = std::fmin(lo_x, px), hi_x = std::fmax(hi_x, px);
      lo_y = std::fmin(lo_y, py), hi_y = std::fmax(hi_y, py);
    }
    /* a box reaching past the int range is cut at its end */
    auto to_int = [](double v) { return int(std::clamp(v, double(INT_MIN), double(INT_MAX))); };
    x1 = to_int(std::floor(lo_x));
    y1 = to_int(std::floor(lo_y));
    x2 = to_int(double(x1) + std::ceil(hi_x - lo_x) - 1);
    y2 = to_int(double(y1) + std::ceil(hi_y - lo_y) - 1);
  }
  if (xmin) *xmin = x1;
  if (xmax) *xmax = x2;
  if (ymin) *ymin = y1;
  if (ymax) *ymax = y2;
}

}  // namespace cdcore

void cdTextBox(int x, int y, const char* s, int* xmin, int* xmax, int* ymin, int* ymax) {
  TextBox(Active(), x, y, s, xmin, xmax, ymin, ymax);
}
