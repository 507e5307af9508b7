/* CGM picture mapping and drawing: the fit of the VDC extent into the play
 * rectangle, culling in VDC, CGM attributes as canvas attributes, and the
 * primitives drawn on the active canvas (curves as polygons of a fixed
 * number of steps). */
#include <algorithm>
#include <cmath>
#include <cstring>
#include <new>

#include "cdcgm.h"
#include "cdcgmplay.h"

namespace cdcgm {

namespace {

const double kTurn = 6.2831862;                 /* a full turn in angle normalisation */
const double kCircleStep = 0.19634954084936207; /* pi / 16 */
const double kTwoPi = 6.283185307179586;

/* a pixel coordinate from a double, kept well inside int */
int ToPixel(double v) {
  if (!(v == v)) return 0;
  if (v > 1e9) return 1000000000;
  if (v < -1e9) return -1000000000;
  return int(v);
}

double Normalised(double a) {
  return a < 0 ? a + kTurn : a;
}

/* ---- culling ---- */

bool Visible(const Reader& r, double xmin, double xmax, double ymin, double ymax) {
  if (!(xmin <= xmax && ymin <= ymax)) return false; /* NaN included */
  if (!std::isfinite(xmin) || !std::isfinite(xmax) || !std::isfinite(ymin) || !std::isfinite(ymax))
    return false;
  return !(xmax < r.cull_x1 || xmin > r.cull_x2 || ymax < r.cull_y1 || ymin > r.cull_y2);
}

bool PointsVisible(const Reader& r, const Vec* p, int n) {
  if (n <= 0) return false;
  double xmin = p[0].x, xmax = p[0].x, ymin = p[0].y, ymax = p[0].y;
  for (int i = 1; i < n; i++) {
    xmin = std::min(xmin, p[i].x), xmax = std::max(xmax, p[i].x);
    ymin = std::min(ymin, p[i].y), ymax = std::max(ymax, p[i].y);
  }
  return Visible(r, xmin, xmax, ymin, ymax);
}

/* ---- attributes ---- */

void LineStyleOf(int type) {
  if (type >= 1 && type <= 5) cdLineStyle(type - 1);
}

int WidthPixels(const Reader& r, double width, int mode) {
  int w = mode == 1 ? ToPixel(std::floor(width + 0.5)) : MapLength(r, width);
  return w <= 0 ? 1 : std::min(w, 100000);
}

void LineAttributes(Reader& r) {
  LineStyleOf(r.line_type);
  cdLineWidth(WidthPixels(r, r.line_width, r.line_width_mode));
  cdForeground(ColourOf(r, r.line_colour));
}

void EdgeAttributes(Reader& r) {
  LineStyleOf(r.edge_type);
  cdLineWidth(WidthPixels(r, r.edge_width, r.edge_width_mode));
  cdForeground(ColourOf(r, r.edge_colour));
}

/* the fill of the interior style: the cdBegin mode to draw with */
int FillMode(Reader& r) {
  switch (r.interior) {
    case 1:
      cdInteriorStyle(CD_SOLID);
      return CD_FILL;
    case 2:
      for (const PatternEntry& e : r.patterns)
        if (e.index == r.pattern_index) {
          cdPattern(e.nx, e.ny, e.colours.data());
          return CD_FILL;
        }
      cdInteriorStyle(CD_SOLID); /* no such pattern */
      return CD_FILL;
    case 3:
      if (r.hatch_index >= 1 && r.hatch_index <= 6)
        cdHatch(int(r.hatch_index - 1));
      else
        cdInteriorStyle(CD_SOLID);
      return CD_FILL;
  }
  return CD_CLOSED_LINES; /* hollow, empty and styles we do not know: an outline */
}

bool Empty(const Reader& r) {
  return r.interior == 4;
}
bool Hollow(const Reader& r) {
  return r.interior != 1 && r.interior != 2 && r.interior != 3;
}

/* ---- polygons on the canvas ---- */

void Figure(Reader& r, int mode, const Vec* p, int n) {
  cdBegin(mode);
  for (int i = 0; i < n; i++) cdVertex(MapX(r, p[i].x), MapY(r, p[i].y));
  cdEnd();
}

/* an arc of a circle or ellipse as points: from a1 to a2 by `step`, or
 * in `steps` equal steps when step is 0 */
void CurvePoints(Reader& r, Vec c, Vec u, Vec v, double a1, double a2, double step, int steps) {
  r.points.clear();
  auto at = [&](double a) {
    Vec p;
    p.x = c.x + std::cos(a) * u.x + std::sin(a) * v.x;
    p.y = c.y + std::cos(a) * u.y + std::sin(a) * v.y;
    r.points.push_back(p);
  };
  if (step > 0) {
    for (int k = 0; k < 64 && a1 + k * step < a2; k++) at(a1 + k * step);
    at(a2);
  } else {
    for (int k = 0; k <= steps; k++) at(a1 + (a2 - a1) * k / steps);
  }
}

/* draws the curve in r.points: open arc, pie or chord, filled and edged
 * as the element asks */
void DrawCurve(Reader& r, Vec c, int close, bool fill, bool edge, bool line_attributes) {
  int n = int(r.points.size());
  if (close < 0) {
    if (line_attributes) LineAttributes(r);
    Figure(r, CD_OPEN_LINES, r.points.data(), n);
    return;
  }
  if (close == 0) { /* pie: through the centre */
    r.points.insert(r.points.begin(), c);
    n++;
  }
  if (fill) {
    cdForeground(ColourOf(r, r.fill_colour));
    LineStyleOf(r.line_type);
    cdLineWidth(WidthPixels(r, r.line_width, r.line_width_mode));
    Figure(r, FillMode(r), r.points.data(), n);
  }
  if (edge) {
    EdgeAttributes(r);
    Figure(r, CD_CLOSED_LINES, r.points.data(), n);
  }
}

/* the angle of the direction d in the ellipse of conjugate radii u, v */
bool EllipseAngle(Vec u, Vec v, Vec d, double& angle) {
  double det = u.x * v.y - u.y * v.x;
  if (det == 0 || !(det == det)) return false;
  double a = (d.x * v.y - d.y * v.x) / det, b = (u.x * d.y - u.y * d.x) / det;
  angle = std::atan2(b, a);
  return true;
}

}  // namespace

/* ---- reader state and mapping ---- */

void SetDefaults(Reader& r) {
  ColourSpec one;
  r.line_colour = r.marker_colour = r.text_colour = r.fill_colour = r.edge_colour = one;
  double w_mm = 0, h_mm = 0;
  int w = 0, h = 0;
  cdGetCanvasSize(&w, &h, &w_mm, &h_mm);
  r.ppmm_x = w_mm > 0 ? w / w_mm : 1;
  r.ppmm_y = h_mm > 0 ? h / h_mm : 1;
  /* the default extent is fitted, so that files without VDC EXTENT draw */
  Fit(r);
}

int ApplyScalingMode(Reader& r) {
  if (!(std::fabs(r.factor) >= 1e-20) || !std::isfinite(r.factor)) r.factor = 1.0;
  if (r.scaling_mode != 1) r.factor = 1.0;
  r.draw_mode = 0;
  if (cdCallback cb = Callback(CD_CGMSCLMDECB)) {
    short draw_mode = r.draw_mode;
    double factor = r.factor;
    if (As<cdCGMSclMdeCB>(cb)(CD_CGM, short(r.scaling_mode), &draw_mode, &factor) == CDPLAY_ABORT)
      return 1;
    r.draw_mode = draw_mode;
    if (std::isfinite(factor) && factor != 0) r.factor = factor;
  }
  Fit(r);
  return 0;
}

int ApplyVdcExtent(Reader& r) {
  if (cdCallback cb = Callback(CD_CGMVDCEXTCB))
    if (As<cdCGMVdcExtCB>(cb)(CD_CGM, short(r.vdc_type), &r.x1, &r.y1, &r.x2, &r.y2) ==
        CDPLAY_ABORT)
      return 1;
  Fit(r);
  return 0;
}

/* Keeps the extent's aspect and centres it in the target rectangle. An
 * extent without width or height, or not finite, gets one VDC unit. */
void Fit(Reader& r) {
  double x1 = r.x1, x2 = r.x2, y1 = r.y1, y2 = r.y2;
  if (!std::isfinite(x1) || !std::isfinite(x2)) x1 = 0, x2 = 1;
  if (!std::isfinite(y1) || !std::isfinite(y2)) y1 = 0, y2 = 1;
  double vxmin = std::min(x1, x2), vxmax = std::max(x1, x2);
  double vymin = std::min(y1, y2), vymax = std::max(y1, y2);
  if (!(vxmax - vxmin > 0)) vxmax = vxmin + 1;
  if (!(vymax - vymin > 0)) vymax = vymin + 1;
  double W = double(r.xmax) - r.xmin, H = double(r.ymax) - r.ymin;
  double ratio = W / H, e = (vxmax - vxmin) / (vymax - vymin);
  if (e >= ratio) {
    double h = (vxmax - vxmin) / ratio;
    vymin -= (h - (vymax - vymin)) / 2;
    vymax = vymin + h;
  } else {
    double w = (vymax - vymin) * ratio;
    vxmin -= (w - (vxmax - vxmin)) / 2;
    vxmax = vxmin + w;
  }
  r.vxmin = vxmin, r.vxmax = vxmax, r.vymin = vymin, r.vymax = vymax;
  r.sx = W / (vxmax - vxmin);
  r.sy = H / (vymax - vymin);
  /* metric drawing: the factor and the canvas resolution instead of the fit */
  r.kx = r.draw_mode ? r.factor * r.ppmm_x : r.sx;
  r.ky = r.draw_mode ? r.factor * r.ppmm_y : r.sy;
  if (!(r.kx != 0 && std::isfinite(r.kx))) r.kx = r.sx;
  if (!(r.ky != 0 && std::isfinite(r.ky))) r.ky = r.sy;
  double ax = r.vxmin + (r.cxmin - r.xmin) / r.kx, bx = r.vxmin + (r.cxmax - r.xmin) / r.kx;
  double ay = r.vymin + (r.cymin - r.ymin) / r.ky, by = r.vymin + (r.cymax - r.ymin) / r.ky;
  r.cull_x1 = std::min(ax, bx), r.cull_x2 = std::max(ax, bx);
  r.cull_y1 = std::min(ay, by), r.cull_y2 = std::max(ay, by);
}

int MapX(const Reader& r, double x) {
  return ToPixel(std::floor((x - r.vxmin) * r.kx + 0.5)) + r.xmin;
}
int MapY(const Reader& r, double y) {
  return ToPixel(std::floor((y - r.vymin) * r.ky + 0.5)) + r.ymin;
}
int MapLength(const Reader& r, double length) {
  return MapX(r, r.vxmin + length) - MapX(r, r.vxmin);
}

static long Scale(long v, long max) {
  long long c = max > 0 ? (long long)v * 255 / max : v;
  return long(std::clamp<long long>(c, 0, 255));
}

long RgbColour(const Reader& r, const Rgb& c) {
  return cdEncodeColor((unsigned char)Scale(c.r, r.extent_max.r),
                       (unsigned char)Scale(c.g, r.extent_max.g),
                       (unsigned char)Scale(c.b, r.extent_max.b));
}

/* entries beyond the table are black */
Rgb TableColour(const Reader& r, long index) {
  if (index < 0 || size_t(index) >= r.table.size()) return Rgb{};
  return r.table[size_t(index)];
}

long ColourOf(const Reader& r, const ColourSpec& c) {
  return RgbColour(r, c.indexed ? TableColour(r, c.index) : c.rgb);
}

/* The face and style are the first names the font's name contains. */
void SelectFont(Reader& r) {
  std::string name = "SYSTEM";
  if (r.font_index >= 1 && size_t(r.font_index) <= r.fonts.size())
    name = r.fonts[size_t(r.font_index - 1)];
  static const struct {
    const char* word;
    int value;
  } kFaces[] = {{"SYSTEM", CD_SYSTEM},
                {"COURIER", CD_COURIER},
                {"TIMES", CD_TIMES_ROMAN},
                {"HELVETICA", CD_HELVETICA}},
    kStyles[] = {{"BOLDITALIC", CD_BOLD_ITALIC},
                 {"ITALIC", CD_ITALIC},
                 {"BOLD", CD_BOLD},
                 {"PLAIN", CD_PLAIN}};
  r.text_face = CD_SYSTEM;
  for (const auto& f : kFaces)
    if (name.find(f.word) != std::string::npos) {
      r.text_face = f.value;
      break;
    }
  r.text_style = CD_PLAIN;
  for (const auto& s : kStyles)
    if (name.find(s.word) != std::string::npos) {
      r.text_style = s.value;
      break;
    }
}

/* The character height in points of 0.353 mm on this canvas. Heights
 * beyond twice the canvas are cut there: glyphs that size show nothing
 * more and would cost seconds to render. */
void SetFont(Reader& r) {
  double h = MapLength(r, r.char_height);
  int w = 0, ch = 0;
  cdGetCanvasSize(&w, &ch, nullptr, nullptr);
  h = std::min(h, 2.0 * std::max({w, ch, 32}));
  double points = std::floor(h / r.ppmm_y / 0.353 + 0.5);
  int size = points < 1 ? 1 : (points > kMaxFontPoints ? kMaxFontPoints : int(points));
  cdFont(r.text_face, r.text_style, size);
}

void ApplyTextAlignment(Reader& r) {
  static const int kTable[3][6] = {
      {CD_CENTER, CD_NORTH, CD_NORTH, CD_CENTER, CD_SOUTH, CD_SOUTH},
      {CD_WEST, CD_NORTH_WEST, CD_NORTH_WEST, CD_WEST, CD_SOUTH_WEST, CD_SOUTH_WEST},
      {CD_EAST, CD_NORTH_EAST, CD_NORTH_EAST, CD_EAST, CD_SOUTH_EAST, CD_SOUTH_EAST}};
  int row;
  switch (r.halign) {
    case 0:
    case 2:
      row = 0;
      break;
    case 1:
      row = 1;
      break;
    case 3:
      row = 2;
      break;
    default:
      return; /* continuous */
  }
  if (r.valign < 0 || r.valign > 5) return;
  cdTextAlignment(kTable[row][r.valign]);
}

void ClipRectangle(Reader& r, Vec a, Vec b) {
  int x1 = MapX(r, a.x), x2 = MapX(r, b.x), y1 = MapY(r, a.y), y2 = MapY(r, b.y);
  cdClipArea(std::min(x1, x2), std::max(x1, x2), std::min(y1, y2), std::max(y1, y2));
}

/* ---- primitives ---- */

void Polyline(Reader& r, const Vec* p, int n) {
  if (n < 2 || !PointsVisible(r, p, n)) return;
  LineAttributes(r);
  Figure(r, CD_OPEN_LINES, p, n);
}

void DisjointPolyline(Reader& r, const Vec* p, int n) {
  if (n < 2 || !PointsVisible(r, p, n)) return;
  LineAttributes(r);
  for (int i = 0; i + 1 < n; i += 2)
    cdLine(MapX(r, p[i].x), MapY(r, p[i].y), MapX(r, p[i + 1].x), MapY(r, p[i + 1].y));
}

void Polymarker(Reader& r, const Vec* p, int n) {
  if (!PointsVisible(r, p, n)) return;
  /* dot, plus, asterisk, circle, cross */
  static const int kMarks[5] = {CD_STAR, CD_PLUS, CD_STAR, CD_CIRCLE, CD_X};
  if (r.marker_type >= 1 && r.marker_type <= 5) cdMarkType(kMarks[r.marker_type - 1]);
  int size = r.marker_size_mode == 1 ? ToPixel(std::floor(r.marker_size * 0.5))
                                     : MapLength(r, r.marker_size);
  cdMarkSize(size <= 0 ? 1 : std::min(size, 100000));
  cdForeground(ColourOf(r, r.marker_colour));
  for (int i = 0; i < n; i++) cdMark(MapX(r, p[i].x), MapY(r, p[i].y));
}

void Polygon(Reader& r, const Vec* p, int n) {
  if (n < 3 || !PointsVisible(r, p, n)) return;
  cdForeground(ColourOf(r, r.fill_colour));
  if (!Hollow(r)) Figure(r, FillMode(r), p, n);
  if (r.edge_visible) {
    EdgeAttributes(r);
    Figure(r, CD_CLOSED_LINES, p, n);
  }
}

/* flags: 0 invisible, 1 visible, 2 close invisible, 3 close visible */
void PolygonSet(Reader& r, const Vec* p, const int* flags, int n) {
  if (n < 3 || !PointsVisible(r, p, n)) return;
  cdForeground(ColourOf(r, r.fill_colour));
  if (!Hollow(r)) {
    int mode = FillMode(r);
    cdBegin(mode);
    int first = 0;
    for (int i = 0; i < n; i++) {
      cdVertex(MapX(r, p[i].x), MapY(r, p[i].y));
      if (flags[i] == 2 || flags[i] == 3) {
        cdVertex(MapX(r, p[first].x), MapY(r, p[first].y));
        first = i + 1;
      }
    }
    cdEnd();
  }
  if (!r.edge_visible) return;
  EdgeAttributes(r);
  /* each visible edge: to the next point, or back to the sub-polygon's
   * first point (the last point closes the last sub-polygon); a run of
   * connected visible edges is one figure, closed when it comes back to
   * where it started */
  std::vector<int>& run = r.flags_scratch;
  auto draw_run = [&](bool closed) {
    if (run.size() < 2) return;
    cdBegin(closed ? CD_CLOSED_LINES : CD_OPEN_LINES);
    for (size_t k = 0; k + (closed ? 1 : 0) < run.size(); k++)
      cdVertex(MapX(r, p[run[k]].x), MapY(r, p[run[k]].y));
    cdEnd();
  };
  int first = 0;
  run.clear();
  for (int i = 0; i < n; i++) {
    bool closing = flags[i] == 2 || flags[i] == 3 || i == n - 1;
    int to = closing ? first : i + 1;
    bool visible = flags[i] == 1 || flags[i] == 3;
    if (visible) {
      if (run.empty()) run.push_back(i);
      run.push_back(to);
    } else {
      draw_run(false);
      run.clear();
    }
    if (closing) {
      draw_run(!run.empty() && run.front() == run.back());
      run.clear();
      first = i + 1;
    }
  }
}

/* An outline rectangle is drawn with the line type and width, as the
 * outlines of circles are. */
void Rectangle(Reader& r, Vec a, Vec b) {
  if (!Visible(r, std::min(a.x, b.x), std::max(a.x, b.x), std::min(a.y, b.y), std::max(a.y, b.y)))
    return;
  cdForeground(ColourOf(r, r.fill_colour));
  int mode = FillMode(r);
  if (mode == CD_CLOSED_LINES) {
    LineStyleOf(r.line_type);
    cdLineWidth(WidthPixels(r, r.line_width, r.line_width_mode));
  }
  Vec p[4] = {a, {b.x, a.y}, b, {a.x, b.y}};
  Figure(r, mode, p, 4);
}

void Circle(Reader& r, Vec c, double radius) {
  radius = std::fabs(radius);
  if (!Visible(r, c.x - radius, c.x + radius, c.y - radius, c.y + radius)) return;
  CurvePoints(r, c, {radius, 0}, {0, radius}, 0, kTurn, kCircleStep, 0);
  int n = int(r.points.size());
  if (!Empty(r)) {
    cdForeground(ColourOf(r, r.fill_colour));
    LineStyleOf(r.line_type);
    cdLineWidth(WidthPixels(r, r.line_width, r.line_width_mode));
    Figure(r, FillMode(r), r.points.data(), n);
  }
  if (r.edge_visible) {
    EdgeAttributes(r);
    Figure(r, CD_CLOSED_LINES, r.points.data(), n);
  }
}

void Arc3Point(Reader& r, Vec a, Vec b, Vec c, int close) {
  /* the centre: where the perpendicular bisectors of ab and bc meet */
  double d = 2 * (a.x * (b.y - c.y) + b.x * (c.y - a.y) + c.x * (a.y - b.y));
  if (d == 0 || !std::isfinite(d)) return; /* collinear */
  double a2 = a.x * a.x + a.y * a.y, b2 = b.x * b.x + b.y * b.y, c2 = c.x * c.x + c.y * c.y;
  Vec centre{(a2 * (b.y - c.y) + b2 * (c.y - a.y) + c2 * (a.y - b.y)) / d,
             (a2 * (c.x - b.x) + b2 * (a.x - c.x) + c2 * (b.x - a.x)) / d};
  double radius = std::hypot(a.x - centre.x, a.y - centre.y);
  if (!std::isfinite(radius) ||
      !Visible(r, centre.x - radius, centre.x + radius, centre.y - radius, centre.y + radius))
    return;
  double t1 = Normalised(std::atan2(a.y - centre.y, a.x - centre.x));
  double t2 = Normalised(std::atan2(b.y - centre.y, b.x - centre.x));
  double t3 = Normalised(std::atan2(c.y - centre.y, c.x - centre.x));
  if (t2 < t1) std::swap(t1, t3);
  if (t1 > t3) t3 += kTurn;
  CurvePoints(r, centre, {radius, 0}, {0, radius}, t1, t3, kCircleStep, 0);
  DrawCurve(r, centre, close, close >= 0 && !Empty(r), close >= 0 && r.edge_visible, true);
}

void ArcCentre(Reader& r, Vec c, Vec start, Vec end, double radius, int close) {
  radius = std::fabs(radius);
  if (!Visible(r, c.x - radius, c.x + radius, c.y - radius, c.y + radius)) return;
  double t1 = Normalised(std::atan2(start.y, start.x));
  double t2 = Normalised(std::atan2(end.y, end.x));
  if (t2 < t1) std::swap(t1, t2);
  CurvePoints(r, c, {radius, 0}, {0, radius}, t1, t2, kCircleStep, 0);
  if (close < 0) {
    LineStyleOf(r.line_type);
    cdLineWidth(WidthPixels(r, r.line_width, r.line_width_mode));
    cdForeground(ColourOf(r, r.line_colour));
    Figure(r, CD_OPEN_LINES, r.points.data(), int(r.points.size()));
    return;
  }
  DrawCurve(r, c, close, !Hollow(r), r.edge_visible, false);
}

static bool EllipseBox(const Reader& r, Vec c, Vec u, Vec v) {
  double ex = std::hypot(u.x, v.x), ey = std::hypot(u.y, v.y);
  return Visible(r, c.x - ex, c.x + ex, c.y - ey, c.y + ey);
}

void Ellipse(Reader& r, Vec c, Vec cd1, Vec cd2) {
  Vec u{cd1.x - c.x, cd1.y - c.y}, v{cd2.x - c.x, cd2.y - c.y};
  if (!EllipseBox(r, c, u, v)) return;
  CurvePoints(r, c, u, v, 0, kTwoPi, 0, 64);
  cdForeground(ColourOf(r, r.fill_colour));
  Figure(r, FillMode(r), r.points.data(), int(r.points.size()));
}

void EllipticalArc(Reader& r, Vec c, Vec cd1, Vec cd2, Vec start, Vec end, int close) {
  Vec u{cd1.x - c.x, cd1.y - c.y}, v{cd2.x - c.x, cd2.y - c.y};
  if (!EllipseBox(r, c, u, v)) return;
  double t1, t2;
  if (!EllipseAngle(u, v, start, t1) || !EllipseAngle(u, v, end, t2)) return;
  /* coincident start and end vectors make the whole ellipse */
  if (t2 <= t1) t2 += kTwoPi;
  CurvePoints(r, c, u, v, t1, t2, 0, 64);
  if (close < 0) {
    LineAttributes(r);
    Figure(r, CD_OPEN_LINES, r.points.data(), int(r.points.size()));
    return;
  }
  if (close == 0) r.points.insert(r.points.begin(), c);
  cdForeground(ColourOf(r, r.fill_colour));
  Figure(r, FillMode(r), r.points.data(), int(r.points.size()));
}

void Text(Reader& r, double x, double y, const std::string& s) {
  if (s.empty() || !Visible(r, x, x, y, y)) return;
  cdForeground(ColourOf(r, r.text_colour));
  SetFont(r);
  cdText(MapX(r, x), MapY(r, y), s.c_str());
}

/* The first cell of the first row lies at P, columns run towards R, rows
 * towards Q (exchanged when P and R lie on one vertical). The cells cover
 * the rectangle between P and Q, |Qx - Px| by |Qy - Py| pixels. */
void CellArray(Reader& r, Vec p, Vec q, Vec rr, long nx, long ny) {
  if (!Visible(r, std::min(p.x, q.x), std::max(p.x, q.x), std::min(p.y, q.y), std::max(p.y, q.y)))
    return;
  int px = MapX(r, p.x), py = MapY(r, p.y), qx = MapX(r, q.x), qy = MapY(r, q.y);
  int rx = MapX(r, rr.x), ry = MapY(r, rr.y);
  bool vertical = std::abs(rx - px) < std::abs(ry - py);
  long cols = vertical ? ny : nx, rows = vertical ? nx : ny;
  size_t n = size_t(cols) * size_t(rows);
  try {
    r.plane_r.resize(n), r.plane_g.resize(n), r.plane_b.resize(n);
  } catch (const std::bad_alloc&) {
    return;
  }
  for (long j = 0; j < ny; j++)
    for (long i = 0; i < nx; i++) {
      long x, y; /* image column and row, row 0 at the bottom */
      if (!vertical) {
        x = rx >= px ? i : nx - 1 - i;
        y = qy <= py ? ny - 1 - j : j;
      } else {
        x = qx >= px ? j : ny - 1 - j;
        y = ry >= py ? i : nx - 1 - i;
      }
      uint32_t c = r.cells[size_t(j) * size_t(nx) + size_t(i)];
      size_t at = size_t(y) * size_t(cols) + size_t(x);
      r.plane_r[at] = (unsigned char)(c >> 16);
      r.plane_g[at] = (unsigned char)(c >> 8);
      r.plane_b[at] = (unsigned char)c;
    }
  int w = std::max(1, std::abs(qx - px)), h = std::max(1, std::abs(qy - py));
  cdPutImageRectRGB(int(cols), int(rows), r.plane_r.data(), r.plane_g.data(), r.plane_b.data(),
                    std::min(px, qx), std::min(py, qy), w, h, 0, 0, 0, 0);
}

}  // namespace cdcgm
