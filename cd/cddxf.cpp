/* The DXF driver: a drawing written as DXF group-code/value line pairs
 * (header, line-type and text-style tables, then polylines, points and
 * texts). Device pixels become millimetres by dividing by the resolution.
 * Fills, images, clipping and marks have no DXF form here: boxes and
 * filled polygons are outlines, images and clip polygons are dropped and
 * marks are drawn by the core through lines and outlines. */
#include <algorithm>
#include <cctype>
#include <charconv>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <new>
#include <string>
#include <string_view>
#include <vector>

#include "cd.h"
#include "cddriver.h"

namespace {

constexpr double kPointsPerMm = 2.83465;
constexpr double kPi = 3.14159265358979323846;
constexpr double kDefaultResolution = 3.78;

struct LineType {
  const char* name;
  const char* description;
  int count;
  double length;
  double elements[6];
};

const LineType kLineTypes[9] = {
    {"CONTINUOUS", "Solid line", 0, 0, {}},
    {"DASHED", "Dashed line", 2, 15, {10, -5}},
    {"HIDDEN", "Hidden line", 2, 10, {5, -5}},
    {"CENTER", "Center line", 4, 35, {20, -5, 5, -5}},
    {"PHANTOM", "Phantom line", 6, 50, {25, -5, 5, -5, 5, -5}},
    {"DOT", "Dot line", 2, 5, {0, -5}},
    {"DASHDOT", "Dashdot line", 4, 20, {10, -5, 0, -5}},
    {"BORDER", "Border line", 6, 35, {10, -5, 10, -5, 0, -5}},
    {"DIVIDE", "Divide Line", 6, 25, {10, -5, 0, -5, 0, -5}},
};

struct TextStyle {
  const char* name;
  const char* file;
};

/* style 0 is the reader's own and is not written in the table */
const TextStyle kTextStyles[7] = {
    {"STANDARD", nullptr},
    {"ROMAN", "romanc.shx"},
    {"ROMAN_BOLD", "romant.shx"},
    {"ROMANTIC", "rom_____.pfb"},
    {"ROMANTIC_BOLD", "romb____.pfb"},
    {"SANSSERIF", "sas_____.pfb"},
    {"SANSSERIF_BOLD", "sasb____.pfb"},
};

struct DxfCanvas {
  cdCanvas* canvas = nullptr;
  FILE* file = nullptr;
  int layer = 0;
  double text_height = 9; /* drawing units (millimetres) */
  double line_width = 0;  /* millimetres */
  int text_style = 0;
  int oblique = 0;
  int hjust = 0, vjust = 0;
  int color = 7;
  int line_type = 0;
};

DxfCanvas* Rec(cdCanvas* cv) {
  return static_cast<DxfCanvas*>(cv->driver_data);
}

/* ---- output: every group code and every value on a line of its own ---- */

void Put(DxfCanvas* d, std::string_view s) {
  std::fwrite(s.data(), 1, s.size(), d->file);
  std::fputc('\n', d->file);
}

void PutInt(DxfCanvas* d, int v) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "%d", v);
  Put(d, buf);
}

/* "%3d" */
void PutInt3(DxfCanvas* d, int v) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "%3d", v);
  Put(d, buf);
}

/* "%f", independent of the process locale */
void PutReal(DxfCanvas* d, double v) {
  char buf[400];
  if (!std::isfinite(v)) v = 0;
  auto r = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed, 6);
  Put(d, std::string_view(buf, size_t(r.ptr - buf)));
}

void Group(DxfCanvas* d, std::string_view code, std::string_view value) {
  Put(d, code);
  Put(d, value);
}

void GroupInt(DxfCanvas* d, std::string_view code, int v) {
  Put(d, code);
  PutInt(d, v);
}

void GroupReal(DxfCanvas* d, std::string_view code, double v) {
  Put(d, code);
  PutReal(d, v);
}

/* A DXF value is one line: control characters are written as a caret and
 * the character 64 places on (^J for a line feed), a caret as "^ ". */
std::string DxfString(const char* s) {
  std::string out;
  for (const unsigned char* p = reinterpret_cast<const unsigned char*>(s); *p; p++) {
    if (*p < 32) {
      out += '^';
      out += char(*p + 64);
    } else if (*p == '^') {
      out += "^ ";
    } else {
      out += char(*p);
    }
  }
  return out;
}

/* device pixels to millimetres (x and y both by the x resolution) */
double Mm(DxfCanvas* d, double v) {
  return v / d->canvas->xres;
}

/* ---- header and tables ---- */

void WriteLineTypes(DxfCanvas* d) {
  Group(d, "0", "TABLE");
  Group(d, "2", "LTYPE");
  Group(d, "70", "5"); /* says 5 although 9 follow, as readers of these files expect */
  for (const LineType& t : kLineTypes) {
    Group(d, "0", "LTYPE");
    Group(d, "2", t.name);
    Group(d, "70", "64");
    Group(d, "3", t.description);
    Group(d, "72", "65");
    GroupInt(d, "73", t.count);
    GroupReal(d, "40", t.length);
    for (int i = 0; i < t.count; i++) GroupReal(d, "49", t.elements[i]);
  }
  Group(d, "0", "ENDTAB");
}

void WriteTextStyles(DxfCanvas* d) {
  Group(d, "0", "TABLE");
  Group(d, "2", "STYLE");
  Group(d, "70", "5");
  for (int i = 1; i < 7; i++) {
    Group(d, "0", "STYLE");
    Group(d, "2", kTextStyles[i].name);
    Group(d, "3", kTextStyles[i].file);
    Group(d, "70", "64");
    Group(d, "71", "0");
    Group(d, "40", "0");
    Group(d, "41", "1");
    Group(d, "42", "0");
    Group(d, "50", "0");
  }
  Group(d, "0", "ENDTAB");
}

void WriteHeader(DxfCanvas* d) {
  cdCanvas* cv = d->canvas;
  Group(d, "0", "SECTION");
  Group(d, "2", "HEADER");
  Group(d, "9", "$LIMCHECK");
  Group(d, "70", "1");
  Group(d, "9", "$LIMMIN");
  Group(d, "10", "0");
  Group(d, "20", "0");
  Group(d, "9", "$LIMMAX");
  GroupReal(d, "10", cv->w_mm);
  GroupReal(d, "20", cv->h_mm);
  Group(d, "9", "$EXTMIN");
  Group(d, "10", "0");
  Group(d, "20", "0");
  Group(d, "9", "$EXTMAX");
  GroupReal(d, "10", cv->w_mm);
  GroupReal(d, "20", cv->h_mm);
  Group(d, "9", "$CLAYER");
  Group(d, "8", "0");
  Group(d, "9", "$LUNITS");
  Group(d, "70", "2");
  /* the unit precision readers accept is 0 to 8 decimals */
  Group(d, "9", "$LUPREC");
  GroupInt(d, "70", std::clamp(int(std::ceil(std::log10(cv->xres))), 0, 8));
  Group(d, "9", "$AUNITS");
  Group(d, "70", "0");
  Group(d, "9", "$AUPREC");
  Group(d, "70", "2");
  Group(d, "9", "$TEXTSTYLE");
  Group(d, "7", "STANDARD");
  Group(d, "0", "ENDSEC");
  Group(d, "0", "SECTION");
  Group(d, "2", "TABLES");
  WriteLineTypes(d);
  WriteTextStyles(d);
  Group(d, "0", "ENDSEC");
  Group(d, "0", "SECTION");
  Group(d, "2", "ENTITIES");
}

/* ---- creation ---- */

bool ParseNumber(std::string_view s, double& v) {
  if (s.empty()) return false;
  auto r = std::from_chars(s.data(), s.data() + s.size(), v);
  return r.ec == std::errc() && r.ptr == s.data() + s.size() && std::isfinite(v);
}

/* "WxH" in millimetres */
bool ParseSize(std::string_view s, double& w, double& h) {
  size_t x = s.find('x');
  return x != std::string_view::npos && ParseNumber(s.substr(0, x), w) &&
         ParseNumber(s.substr(x + 1), h);
}

std::vector<std::string_view> Words(const char* text) {
  std::vector<std::string_view> words;
  std::string_view s(text);
  size_t i = 0;
  while (i < s.size()) {
    while (i < s.size() && std::isspace(static_cast<unsigned char>(s[i]))) i++;
    size_t start = i;
    while (i < s.size() && !std::isspace(static_cast<unsigned char>(s[i]))) i++;
    if (i > start) words.push_back(s.substr(start, i - start));
  }
  return words;
}

/* "%s %lfx%lf %lf". Everything is checked before the file is opened, so
 * a refused creation leaves no file behind. */
void CreateCanvas(cdCanvas* cv, void* data) {
  const char* text = static_cast<const char*>(data);
  if (!text) return;
  std::vector<std::string_view> words = Words(text);
  if (words.empty() || words.size() > 3) return;
  double res = kDefaultResolution, w_mm = 0, h_mm = 0;
  bool sized = false;
  if (words.size() >= 2) {
    if (ParseSize(words[1], w_mm, h_mm)) {
      sized = true;
      if (words.size() == 3 && !ParseNumber(words[2], res)) return;
    } else if (words.size() == 2 && ParseNumber(words[1], res)) {
      /* one number after the name: the resolution, size unlimited */
    } else {
      return;
    }
  }
  if (!(res > 0)) return;
  if (sized) {
    if (!(w_mm > 0 && h_mm > 0) || res * std::max(w_mm, h_mm) > double(INT_MAX)) return;
    cv->w = int(res * w_mm);
    cv->h = int(res * h_mm);
    if (cv->w < 1 || cv->h < 1) return;
    cv->w_mm = w_mm;
    cv->h_mm = h_mm;
  } else {
    /* unlimited: the largest pixel size, its millimetres from the resolution */
    cv->w = cv->h = INT_MAX;
    cv->w_mm = cv->h_mm = INT_MAX / res;
  }
  cv->xres = cv->yres = res;
  cv->bpp = 8;
  cv->y_inverted = 0;

  std::string name(words[0]);
  DxfCanvas* d = new (std::nothrow) DxfCanvas;
  if (!d) return;
  d->canvas = cv;
  d->file = std::fopen(name.c_str(), "w");
  if (!d->file) {
    delete d;
    return;
  }
  WriteHeader(d);
  cv->driver_data = d;
}

void KillCanvas(cdCanvas* cv) {
  DxfCanvas* d = Rec(cv);
  Group(d, "0", "ENDSEC");
  Group(d, "0", "EOF");
  Put(d, " ");
  std::fflush(d->file);
  std::fclose(d->file);
  delete d;
}

int Activate(cdCanvas*) {
  return CD_OK;
}
void Deactivate(cdCanvas* cv) {
  std::fflush(Rec(cv)->file);
}

/* ---- entities ---- */

void PolylineHeader(DxfCanvas* d, bool arc) {
  Group(d, "0", "POLYLINE");
  GroupInt(d, "8", d->layer);
  Group(d, "6", kLineTypes[d->line_type].name);
  Put(d, "62");
  if (arc) {
    PutInt3(d, d->color);
  } else {
    PutInt(d, d->color);
  }
  Group(d, "66", "1");
  if (arc) Group(d, "70", "128");
  GroupReal(d, "40", d->line_width);
  GroupReal(d, "41", d->line_width);
}

void Vertex(DxfCanvas* d, double x, double y) {
  Group(d, "0", "VERTEX");
  GroupInt(d, "8", d->layer);
  GroupReal(d, "10", Mm(d, x));
  GroupReal(d, "20", Mm(d, y));
}

void VertexBulge(DxfCanvas* d, double x, double y, double bulge) {
  Vertex(d, x, y);
  GroupReal(d, "42", bulge);
}

void SeqEnd(DxfCanvas* d) {
  Group(d, "0", "SEQEND");
}

void Polyline(DxfCanvas* d, const cdPoint* p, int n, bool close) {
  PolylineHeader(d, false);
  for (int i = 0; i < n; i++) Vertex(d, p[i].x, p[i].y);
  if (close) Vertex(d, p[0].x, p[0].y);
  SeqEnd(d);
}

void Line(cdCanvas* cv, int x1, int y1, int x2, int y2) {
  cdPoint p[2] = {{x1, y1}, {x2, y2}};
  Polyline(Rec(cv), p, 2, false);
}

void Rect(cdCanvas* cv, int xmin, int xmax, int ymin, int ymax) {
  cdPoint p[4] = {{xmin, ymin}, {xmin, ymax}, {xmax, ymax}, {xmax, ymin}};
  Polyline(Rec(cv), p, 4, true);
}

void Poly(cdCanvas* cv, int mode, cdPoint* points, int n) {
  if (mode == CD_CLIP || n < 1) return; /* no clipping in DXF */
  Polyline(Rec(cv), points, n, mode == CD_FILL || mode == CD_CLOSED_LINES);
}

/* the bulge of the elliptic arc from angle t1 to t2 (radians) with half
 * axes a and b: the circular arc through both ends whose radius is the
 * ellipse's radius of curvature at the middle angle */
double Bulge(double a, double b, double t1, double t2) {
  if (a * b == 0) return 0;
  double dx = a * (std::cos(t2) - std::cos(t1)), dy = b * (std::sin(t2) - std::sin(t1));
  double chord = std::sqrt(dx * dx + dy * dy);
  double m = (t1 + t2) / 2, am = a * std::sin(m), bm = b * std::cos(m);
  double radius = std::pow(am * am + bm * bm, 1.5) / (a * b);
  double ratio = std::clamp(chord / (2 * radius), -1.0, 1.0);
  return std::tan(std::asin(ratio) / 2);
}

/* the arc's vertices with their bulges, the last with bulge 0 */
void ArcVertices(DxfCanvas* d, int xc, int yc, int w, int h, double a1, double a2, int n) {
  int a = w / 2, b = h / 2;
  double r1 = a1 * kPi / 180, r2 = a2 * kPi / 180;
  for (int k = 0; k < n; k++) {
    double t = r1 + k * (r2 - r1) / n, next = r1 + (k + 1) * (r2 - r1) / n;
    VertexBulge(d, std::cos(t) * a + xc, std::sin(t) * b + yc, Bulge(a, b, t, next));
  }
  VertexBulge(d, std::cos(r2) * a + xc, std::sin(r2) * b + yc, 0);
}

/* one segment per 11 degrees, at least one */
int Segments(double a1, double a2) {
  double span = std::floor(a2 - a1 + 0.5);
  int n = span >= INT_MAX ? INT_MAX : int(span) / 11;
  return std::max(n, 1);
}

void Arc(cdCanvas* cv, int xc, int yc, int w, int h, double a1, double a2) {
  DxfCanvas* d = Rec(cv);
  PolylineHeader(d, true);
  ArcVertices(d, xc, yc, w, h, a1, a2, Segments(a1, a2));
  SeqEnd(d);
}

/* A narrow sector keeps one arc segment too, so that both of its radii
 * are drawn. */
void Sector(cdCanvas* cv, int xc, int yc, int w, int h, double a1, double a2) {
  DxfCanvas* d = Rec(cv);
  bool full = a2 - a1 == 360;
  PolylineHeader(d, true);
  if (!full) VertexBulge(d, xc, yc, 0);
  ArcVertices(d, xc, yc, w, h, a1, a2, Segments(a1, a2));
  if (!full) VertexBulge(d, xc, yc, 0);
  Put(d, "  0");
  Put(d, "SEQEND");
}

/* the AutoCAD colour index nearest in hue, saturation and value */
int ColorIndex(long color) {
  double r = (color >> 16) & 0xFF, g = (color >> 8) & 0xFF, b = color & 0xFF;
  double mx = std::max({r, g, b}), mn = std::min({r, g, b});
  double value = mx / 255 * 100;
  if (value < 17) return 7;
  double saturation = (mx - mn) / mx * 100;
  if (saturation < 10) return int(std::floor(value / 14.3)) + 249;
  double hue;
  if (mx == r)
    hue = 60 * (g - b) / (mx - mn);
  else if (mx == g)
    hue = 60 * (b - r) / (mx - mn) + 120;
  else
    hue = 60 * (r - g) / (mx - mn) + 240;
  if (hue < 0) hue += 360;
  int k = int(std::floor(hue / 15 + 0.5));
  int index = 10 * k + 20 + (saturation < 55 ? 1 : 0) - 2 * int(std::floor(value / 16.7));
  if (k + 1 > 24) index -= 240;
  return index;
}

void Pixel(cdCanvas* cv, int x, int y, long color) {
  DxfCanvas* d = Rec(cv);
  Group(d, "0", "POINT");
  GroupInt(d, "8", d->layer);
  GroupInt(d, "62", ColorIndex(color));
  GroupReal(d, "10", Mm(d, x));
  GroupReal(d, " 20", Mm(d, y));
}

void Box(cdCanvas* cv, int xmin, int xmax, int ymin, int ymax) {
  Rect(cv, xmin, xmax, ymin, ymax);
}

void Text(cdCanvas* cv, int x, int y, const char* s) {
  DxfCanvas* d = Rec(cv);
  Group(d, "0", "TEXT");
  GroupInt(d, "8", d->layer);
  Group(d, "7", kTextStyles[d->text_style].name);
  GroupInt(d, "62", d->color);
  GroupReal(d, "10", Mm(d, x));
  GroupReal(d, "20", Mm(d, y));
  GroupReal(d, "11", Mm(d, x));
  GroupReal(d, "21", Mm(d, y));
  GroupReal(d, "40", d->text_height);
  GroupReal(d, "50", cv->text_orientation);
  Put(d, "51");
  PutInt3(d, d->oblique);
  Put(d, "72");
  PutInt3(d, d->hjust);
  Put(d, "73");
  PutInt3(d, d->vjust);
  Group(d, "1", DxfString(s));
}

/* ---- text metrics ---- */

/* The cap height in pixels. (Heights are millimetres, so pixels are
 * millimetres times the resolution.) */
double CapPixels(DxfCanvas* d) {
  return d->canvas->xres * d->text_height;
}

double Slant(DxfCanvas* d) {
  return std::tan(d->oblique * kPi / 180);
}

int Round(double v) {
  return int(std::floor(v + 0.5));
}

struct Metrics {
  int height, ascent, descent, width;
};

Metrics FontMetrics(DxfCanvas* d) {
  double e = CapPixels(d), s = Slant(d);
  switch (d->text_style) {
    case 3:
    case 4: {
      int ascent = Round(2 * e / 3);
      double w = d->text_style == 3 ? 14 * e / 15 : 29 * e / 30;
      return {Round(8 * e / 9), ascent, Round(2 * e / 9), Round(w + s * ascent)};
    }
    case 5:
    case 6: {
      int ascent = Round(3 * e / 4);
      return {Round(e), ascent, Round(e / 4), Round(15 * e / 16 + s * ascent)};
    }
    case 1:
    case 2: {
      int ascent = Round(e);
      return {Round(4 * e / 3), ascent, Round(e / 3), Round(21 * e / 20 + s * ascent)};
    }
    default:
      return {Round(4 * e / 3), Round(e), Round(e / 3), Round(e)};
  }
}

void FontDim(cdCanvas* cv, int* max_width, int* height, int* ascent, int* descent) {
  Metrics m = FontMetrics(Rec(cv));
  *max_width = m.width;
  *height = m.height;
  *ascent = m.ascent;
  *descent = m.descent;
}

void TextSize(cdCanvas* cv, const char* s, int* width, int* height) {
  DxfCanvas* d = Rec(cv);
  double e = CapPixels(d), sl = Slant(d), n = double(std::strlen(s));
  double w;
  switch (d->text_style) {
    case 3:
      w = 2.0 / 3 * e * sl + (n - 1) * e / 45 + n * 14 * e / 15;
      break;
    case 4:
      w = (n - 1) * 2 * e / 45 + n * 29 * e / 30 + 2.0 / 3 * e * sl;
      break;
    case 5:
    case 6:
      w = n * 15 * e / 16 + (n - 1) * e / 45 + 3.0 / 4 * e * sl;
      break;
    case 1:
    case 2:
      w = e * sl + n * 21 * e / 20 + (n - 1) * e / 10;
      break;
    default:
      w = (n - 1) * e / 3 + n * e;
      break;
  }
  *width = Round(w);
  *height = FontMetrics(d).height;
}

/* ---- attributes ---- */

int LineStyle(cdCanvas* cv, int style) {
  static const int kTypeOfStyle[5] = {0, 1, 5, 6, 8};
  if (style >= CD_CONTINUOUS && style <= CD_DASH_DOT_DOT) Rec(cv)->line_type = kTypeOfStyle[style];
  return style;
}

int LineWidth(cdCanvas* cv, int width) {
  Rec(cv)->line_width = width / cv->xres;
  return width;
}

long Foreground(cdCanvas* cv, long color) {
  Rec(cv)->color = ColorIndex(color);
  return color;
}

int TextAlignment(cdCanvas* cv, int alignment) {
  static const int kJust[12][2] = {{1, 3}, {1, 1}, {2, 2}, {0, 2}, {2, 3}, {0, 3},
                                   {2, 1}, {0, 1}, {1, 2}, {0, 0}, {1, 0}, {2, 0}};
  if (alignment >= 0 && alignment < 12) {
    Rec(cv)->hjust = kJust[alignment][0];
    Rec(cv)->vjust = kJust[alignment][1];
  }
  return alignment;
}

/* The height is the cap height in millimetres: points divided by points
 * per millimetre, pixels (a negative size) divided by the resolution. */
void Font(cdCanvas* cv, int* face, int* style, int* size) {
  DxfCanvas* d = Rec(cv);
  bool bold = *style == CD_BOLD || *style == CD_BOLD_ITALIC;
  bool italic = *style == CD_ITALIC || *style == CD_BOLD_ITALIC;
  double height;
  switch (*face) {
    case CD_COURIER:
      d->text_style = bold ? 2 : 1;
      height = *size * 0.75;
      break;
    case CD_TIMES_ROMAN:
      d->text_style = bold ? 4 : 3;
      height = *size * 1.125;
      break;
    case CD_HELVETICA:
      d->text_style = bold ? 6 : 5;
      height = *size;
      break;
    default:
      d->text_style = 0;
      height = *size * 0.75;
      italic = false;
      break;
  }
  d->oblique = italic ? 15 : 0;
  d->text_height = *size >= 0 ? height / kPointsPerMm : -height / cv->xres;
}

void Flush(cdCanvas* cv) {
  Rec(cv)->layer++;
}

void FillOperations(cdCanvas* cv) {
  cdOperations& o = cv->ops;
  o.Flush = Flush;
  o.Pixel = Pixel;
  o.Line = Line;
  o.Poly = Poly;
  o.Rect = Rect;
  o.Box = Box;
  o.Arc = Arc;
  o.Sector = Sector;
  o.Text = Text;
  o.FontDim = FontDim;
  o.TextSize = TextSize;
  o.LineStyle = LineStyle;
  o.LineWidth = LineWidth;
  o.Font = Font;
  o.TextAlignment = TextAlignment;
  o.Foreground = Foreground;
  o.KillCanvas = KillCanvas;
  o.Activate = Activate;
  o.Deactivate = Deactivate;
}

cdDriver dxf_driver = {
    CD_CAP_ALL & ~(CD_CAP_CLEAR | CD_CAP_PLAY | CD_CAP_CLIPAREA | CD_CAP_CLIPPOLY | CD_CAP_MARK |
                   CD_CAP_VECTORTEXT | CD_CAP_IMAGERGB | CD_CAP_IMAGERGBA | CD_CAP_IMAGEMAP |
                   CD_CAP_GETIMAGERGB | CD_CAP_IMAGESRV | CD_CAP_BACKGROUND | CD_CAP_BACKOPACITY |
                   CD_CAP_WRITEMODE | CD_CAP_WD | CD_CAP_HATCH | CD_CAP_STIPPLE | CD_CAP_PATTERN |
                   CD_CAP_PALETTE),
    CreateCanvas,
    FillOperations,
    nullptr,
    nullptr,
    "CD_DXF",
    CD_DATA_TEXT};

}  // namespace

cdDriver* cdContextDXF(void) {
  return &dxf_driver;
}
