/* The PostScript driver: each canvas call becomes a few lines of a
 * PostScript Level 2 program. One unit of the page is one device pixel,
 * origin at the lower left corner of the printable area; world primitives
 * are written in world units under a scaled matrix so they keep their
 * precision (ten significant digits: map coordinates in metres need more
 * than six). Fonts are the standard PostScript fonts re-encoded to
 * Latin-1, fills other than solid are tiling patterns, images hexadecimal
 * colorimage data. In EPS mode the bounding box is gathered while drawing
 * and written over a placeholder when the canvas is killed. */
#include "cd.h"

#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <new>
#include <string>
#include <vector>

#include "cdpriv.h"
#include "sim.h"

namespace {

constexpr double kPointsPerMM = CD_MM2PT;
constexpr int kMaxNativeFonts = 100;
constexpr int kMaxPaperPoints = 99999; /* the bounding box has five digits per number */

struct PsCanvas {
  FILE* file = nullptr;
  int res = 300;
  int pages = 0;
  int paper_w = 595, paper_h = 842;
  double left = 25.4, bottom = 25.4, right = 25.4, top = 25.4;
  double bbox_xmin = 0, bbox_xmax = 0, bbox_ymin = 0, bbox_ymax = 0;
  bool bbox_set = false;
  double bbox_margin = 0;
  double scale = 72.0 / 300;
  bool eps = false;
  int fill_pattern_on = CD_SOLID; /* style whose fill is current; -1: none known */
  bool tile_stale = false;        /* hatch or stipple colours changed since the tile */
  long bbox_pos = 0;
  cdCanvas* canvas = nullptr;
  bool used_fonts[4][4] = {};
  std::vector<std::string> native_fonts;
};

PsCanvas* Rec(cdCanvas* cv) {
  return static_cast<PsCanvas*>(cv->driver_data);
}

const int kPaper[8][2] = {{2393, 3391}, {1689, 2393}, {1192, 1689}, {842, 1192},
                          {595, 842},   {420, 595},   {612, 792},   {612, 1008}};

const char* const kFamily[4] = {"Courier", "Courier", "Times", "Helvetica"};
const char* const kTimesStyle[4] = {"-Roman", "-Bold", "-Italic", "-BoldItalic"};
const char* const kOtherStyle[4] = {"", "-Bold", "-Oblique", "-BoldOblique"};

std::string FontName(int face, int style) {
  if (face < 0 || face > 3) face = 0;
  if (style < 0 || style > 3) style = 0;
  char name[64];
  std::snprintf(name, sizeof name, "%s%s", kFamily[face],
                face == CD_TIMES_ROMAN ? kTimesStyle[style] : kOtherStyle[style]);
  return name;
}

/* ISO Latin-1 glyph names of the codes 160 to 255 */
const char* const kLatin1[96] = {"space",
                                 "exclamdown",
                                 "cent",
                                 "sterling",
                                 "currency",
                                 "yen",
                                 "brokenbar",
                                 "section",
                                 "dieresis",
                                 "copyright",
                                 "ordfeminine",
                                 "guillemotleft",
                                 "logicalnot",
                                 "hyphen",
                                 "registered",
                                 "macron",
                                 "degree",
                                 "plusminus",
                                 "twosuperior",
                                 "threesuperior",
                                 "acute",
                                 "mu",
                                 "paragraph",
                                 "periodcentered",
                                 "cedilla",
                                 "onesuperior",
                                 "ordmasculine",
                                 "guillemotright",
                                 "onequarter",
                                 "onehalf",
                                 "threequarters",
                                 "questiondown",
                                 "Agrave",
                                 "Aacute",
                                 "Acircumflex",
                                 "Atilde",
                                 "Adieresis",
                                 "Aring",
                                 "AE",
                                 "Ccedilla",
                                 "Egrave",
                                 "Eacute",
                                 "Ecircumflex",
                                 "Edieresis",
                                 "Igrave",
                                 "Iacute",
                                 "Icircumflex",
                                 "Idieresis",
                                 "Eth",
                                 "Ntilde",
                                 "Ograve",
                                 "Oacute",
                                 "Ocircumflex",
                                 "Otilde",
                                 "Odieresis",
                                 "multiply",
                                 "Oslash",
                                 "Ugrave",
                                 "Uacute",
                                 "Ucircumflex",
                                 "Udieresis",
                                 "Yacute",
                                 "Thorn",
                                 "germandbls",
                                 "agrave",
                                 "aacute",
                                 "acircumflex",
                                 "atilde",
                                 "adieresis",
                                 "aring",
                                 "ae",
                                 "ccedilla",
                                 "egrave",
                                 "eacute",
                                 "ecircumflex",
                                 "edieresis",
                                 "igrave",
                                 "iacute",
                                 "icircumflex",
                                 "idieresis",
                                 "eth",
                                 "ntilde",
                                 "ograve",
                                 "oacute",
                                 "ocircumflex",
                                 "otilde",
                                 "odieresis",
                                 "divide",
                                 "oslash",
                                 "ugrave",
                                 "uacute",
                                 "ucircumflex",
                                 "udieresis",
                                 "yacute",
                                 "thorn",
                                 "ydieresis"};

void Put(PsCanvas* ps, const char* line) {
  std::fputs(line, ps->file);
  std::fputc('\n', ps->file);
}

void Putf(PsCanvas* ps, const char* format, ...) __attribute__((format(printf, 2, 3)));
void Putf(PsCanvas* ps, const char* format, ...) {
  va_list args;
  va_start(args, format);
  std::vfprintf(ps->file, format, args);
  va_end(args);
  std::fputc('\n', ps->file);
}

void PutColor(PsCanvas* ps, long color) {
  unsigned char r, g, b;
  cdDecodeColor(color, &r, &g, &b);
  Putf(ps, "%g %g %g setrgbcolor", r / 255.0, g / 255.0, b / 255.0);
}

/* ---- bounding box ---- */

/* The device point (x, y) with the ink d points around it, clamped to the
 * clip rectangle or the printable area (ink never leaves them), then
 * widened by the -d margin, which is kept whole. */
void BoxPoint(PsCanvas* ps, double x, double y, double d) {
  cdCanvas* cv = ps->canvas;
  double px = x * ps->scale + ps->left, py = y * ps->scale + ps->bottom;
  double cx0 = ps->left, cx1 = ps->right, cy0 = ps->bottom, cy1 = ps->top;
  if (cv->clip_mode == CD_CLIPAREA) {
    cx0 = cv->clip_xmin * ps->scale + ps->left;
    cx1 = cv->clip_xmax * ps->scale + ps->left; /* the clip path ends there */
    cy0 = cv->clip_ymin * ps->scale + ps->bottom;
    cy1 = cv->clip_ymax * ps->scale + ps->bottom;
  }
  auto clamp = [](double v, double low, double high) { return std::fmin(std::fmax(v, low), high); };
  double m = ps->bbox_margin;
  double x0 = clamp(px - d, cx0, cx1) - m, x1 = clamp(px + d, cx0, cx1) + m;
  double y0 = clamp(py - d, cy0, cy1) - m, y1 = clamp(py + d, cy0, cy1) + m;
  if (!ps->bbox_set) {
    ps->bbox_xmin = x0, ps->bbox_xmax = x1, ps->bbox_ymin = y0, ps->bbox_ymax = y1;
    ps->bbox_set = true;
    return;
  }
  ps->bbox_xmin = std::fmin(ps->bbox_xmin, x0), ps->bbox_xmax = std::fmax(ps->bbox_xmax, x1);
  ps->bbox_ymin = std::fmin(ps->bbox_ymin, y0), ps->bbox_ymax = std::fmax(ps->bbox_ymax, y1);
}

/* a point reached by a stroke or a fill: the pen reaches half the line
 * width around it, and the -d margin is added */
void BBox(PsCanvas* ps, double x, double y, bool stroke = true) {
  if (!ps->eps) return;
  int lw = ps->canvas->line_width;
  BoxPoint(ps, x, y, stroke ? (lw > 1 ? lw / 2.0 : 0.5) * ps->scale : 0);
}

/* a straight stroke: butt ends reach half the line width across it only */
void BBoxSegment(PsCanvas* ps, double x1, double y1, double x2, double y2) {
  if (!ps->eps) return;
  int lw = ps->canvas->line_width;
  double half = (lw > 1 ? lw : 1) / 2.0, len = std::hypot(x2 - x1, y2 - y1);
  if (len == 0) {
    BBox(ps, x1, y1);
    return;
  }
  double nx = -(y2 - y1) / len * half, ny = (x2 - x1) / len * half;
  for (int side : {-1, 1}) {
    BoxPoint(ps, x1 + side * nx, y1 + side * ny, 0);
    BoxPoint(ps, x2 + side * nx, y2 + side * ny, 0);
  }
}

void BBoxWorld(PsCanvas* ps, double x, double y, bool stroke = true) {
  const cdCanvas* cv = ps->canvas;
  BBox(ps, cv->wd_sx * x + cv->wd_tx, cv->wd_sy * y + cv->wd_ty, stroke);
}

/* arc end points and the axis extremes it passes (device values) */
void BBoxArc(PsCanvas* ps, double xc, double yc, double w, double h, double a1, double a2,
             bool stroke) {
  if (!ps->eps) return;
  double rx = w / 2, ry = h / 2;
  BBox(ps, xc + rx * std::cos(a1 / CD_RAD2DEG), yc + ry * std::sin(a1 / CD_RAD2DEG), stroke);
  BBox(ps, xc + rx * std::cos(a2 / CD_RAD2DEG), yc + ry * std::sin(a2 / CD_RAD2DEG), stroke);
  for (int k = -4; k <= 8; k++) {
    double a = 90.0 * k;
    if (a > a1 && a < a2) {
      int q = ((k % 4) + 4) % 4;
      double dx = q == 0 ? rx : q == 2 ? -rx : 0, dy = q == 1 ? ry : q == 3 ? -ry : 0;
      BBox(ps, xc + dx, yc + dy, stroke);
    }
  }
}

/* ---- state shared by strokes and fills ---- */

void BeforeStroke(PsCanvas* ps) {
  if (ps->fill_pattern_on != CD_SOLID) {
    PutColor(ps, ps->canvas->foreground);
    ps->fill_pattern_on = CD_SOLID;
  }
}

void DefineTile(PsCanvas* ps, int w, int h, const std::vector<long>& cells);
void DefineHatch(PsCanvas* ps, int style);
void DefineStipple(PsCanvas* ps, int w, int h, const unsigned char* data);

void BeforeFill(PsCanvas* ps) {
  cdCanvas* cv = ps->canvas;
  int style = cv->interior_style;
  if (ps->tile_stale && (style == CD_HATCH || style == CD_STIPPLE)) {
    /* the tile was made with other colours: make it again */
    if (style == CD_HATCH)
      DefineHatch(ps, cv->hatch_style);
    else if (cv->stipple_capacity > 0)
      DefineStipple(ps, cv->stipple_w, cv->stipple_h, cv->stipple.data());
  }
  if (style == ps->fill_pattern_on) return;
  if (style != CD_SOLID) {
    Put(ps, "cd_pattern");
    Put(ps, "setpattern");
  } else {
    PutColor(ps, cv->foreground);
  }
  ps->fill_pattern_on = style;
}

/* World mode keeps the device matrix on the operand stack; some output
 * must be written in device units, so it leaves world mode for a while. */
void WorldMatrixOn(PsCanvas* ps) {
  const cdCanvas* cv = ps->canvas;
  Put(ps, "[0 0 0 0 0 0] currentmatrix");
  Putf(ps, "%.10g %.10g translate", cv->wd_tx, cv->wd_ty);
  Putf(ps, "%.10g %.10g scale", cv->wd_sx, cv->wd_sy);
}
void WorldMatrixOff(PsCanvas* ps) {
  Put(ps, "setmatrix");
}

struct DeviceUnits {
  PsCanvas* ps;
  bool world;
  explicit DeviceUnits(PsCanvas* p) : ps(p), world(p->canvas->use_world != 0) {
    if (world) WorldMatrixOff(ps);
  }
  ~DeviceUnits() {
    if (world) WorldMatrixOn(ps);
  }
};

/* the device-to-user size factor of widths and dashes: in world mode the
 * mean scale, so that a width of n pixels stays n pixels on the page */
double WidthUnit(const cdCanvas* cv) {
  return cv->use_world ? cv->wd_s / std::sqrt(2.0) : 1.0;
}

void WriteLineWidth(PsCanvas* ps, int width) {
  const cdCanvas* cv = ps->canvas;
  if (cv->use_world)
    Putf(ps, "%g setlinewidth", width / WidthUnit(cv));
  else
    Putf(ps, "%d setlinewidth", width);
}

int WriteLineStyle(PsCanvas* ps, int style) {
  double u = (72 / 25.4) / ps->scale / WidthUnit(ps->canvas);
  char dash[160];
  switch (style) {
    case CD_CONTINUOUS:
      std::snprintf(dash, sizeof dash, "[] 0");
      break;
    case CD_DASHED:
      std::snprintf(dash, sizeof dash, "[%g %g] 0", 3 * u, u);
      break;
    case CD_DOTTED:
      std::snprintf(dash, sizeof dash, "[%g %g] 0", u, u);
      break;
    case CD_DASH_DOT:
      std::snprintf(dash, sizeof dash, "[%g %g %g %g] 0", 3 * u, u, u, u);
      break;
    case CD_DASH_DOT_DOT:
      std::snprintf(dash, sizeof dash, "[%g %g %g %g %g %g] 0", 3 * u, u, u, u, u, u);
      break;
    default:
      return -1;
  }
  Putf(ps, "%s setdash", dash);
  return style;
}

/* the graphics state kept across a grestore on the operand stack */
void SaveGraphicsState(PsCanvas* ps) {
  Put(ps, "[0 0 0 0 0 0] currentmatrix");
  Put(ps, "currentcolor");
  Put(ps, "currentcolorspace");
  Put(ps, "currentrgbcolor");
  Put(ps, "currentfont");
  Put(ps, "currentlinewidth");
  Put(ps, "currentdash");
}
void RestoreGraphicsState(PsCanvas* ps) {
  Put(ps, "setdash");
  Put(ps, "setlinewidth");
  Put(ps, "setfont");
  Put(ps, "setrgbcolor");
  Put(ps, "setcolorspace");
  Put(ps, "setcolor");
  Put(ps, "setmatrix");
}

void RectPath(PsCanvas* ps, int xmin, int xmax, int ymin, int ymax) {
  Put(ps, "N");
  Putf(ps, "%d %d M", xmin, ymin);
  Putf(ps, "%d %d L", xmin, ymax);
  Putf(ps, "%d %d L", xmax, ymax);
  Putf(ps, "%d %d L", xmax, ymin);
}

void RectPathD(PsCanvas* ps, double xmin, double xmax, double ymin, double ymax) {
  Put(ps, "N");
  Putf(ps, "%.10g %.10g M", xmin, ymin);
  Putf(ps, "%.10g %.10g L", xmin, ymax);
  Putf(ps, "%.10g %.10g L", xmax, ymax);
  Putf(ps, "%.10g %.10g L", xmax, ymin);
}

/* the clip path of a mode (device units) */
void WriteClipPath(PsCanvas* ps, int mode) {
  const cdCanvas* cv = ps->canvas;
  if (mode == CD_CLIPAREA) {
    RectPath(ps, cv->clip_xmin, cv->clip_xmax, cv->clip_ymin, cv->clip_ymax);
    Put(ps, "C");
    Put(ps, "clip");
    Put(ps, "N");
  } else if (mode == CD_CLIPPOLYGON) {
    Put(ps, "clip_polygon");
  }
}

/* ---- creation ---- */

/* a number option: the value must be all of the word */
bool ParseNumber(const char* text, double& value) {
  if (!*text) return false;
  char* end = nullptr;
  value = std::strtod(text, &end);
  return end && *end == '\0' && std::isfinite(value);
}

struct Options {
  std::string file;
  int res = 300;
  int paper_w = 595, paper_h = 842;
  double left = 25.4, right = 25.4, bottom = 25.4, top = 25.4;
  double bbox_margin = 0;
  bool eps = false;
};

/* false for a missing file name or a value that cannot be used */
bool ParseOptions(const char* data, Options& o) {
  std::vector<std::string> words;
  for (const char* p = data;;) {
    while (*p == ' ' || *p == '\t') p++;
    if (!*p) break;
    const char* start = p;
    while (*p && *p != ' ' && *p != '\t') p++;
    words.emplace_back(start, p);
  }
  if (words.empty()) return false;
  o.file = words[0];
  for (size_t i = 1; i < words.size(); i++) {
    const std::string& w = words[i];
    if (w.size() < 2 || w[0] != '-') continue;
    const char* value = w.c_str() + 2;
    double v = 0;
    switch (w[1]) {
      case 'e':
        o.eps = true;
        break;
      case 'p':
        if (!ParseNumber(value, v)) return false;
        if (v >= 0 && v <= 7 && v == std::floor(v)) {
          o.paper_w = kPaper[int(v)][0];
          o.paper_h = kPaper[int(v)][1];
        }
        break;
      case 'w':
      case 'h': {
        if (!ParseNumber(value, v) || v <= 0 || v * kPointsPerMM > kMaxPaperPoints) return false;
        int points = int(v * kPointsPerMM);
        (w[1] == 'w' ? o.paper_w : o.paper_h) = points;
        break;
      }
      case 'l':
      case 'r':
      case 'b':
      case 't':
        if (!ParseNumber(value, v) || v < 0 || v * kPointsPerMM > kMaxPaperPoints) return false;
        (w[1] == 'l' ? o.left : w[1] == 'r' ? o.right : w[1] == 'b' ? o.bottom : o.top) = v;
        break;
      case 's':
        if (!ParseNumber(value, v) || v < 1 || v > 100000 || v != std::floor(v)) return false;
        o.res = int(v);
        break;
      case 'd':
        if (!ParseNumber(value, v) || v < 0 || v * kPointsPerMM > kMaxPaperPoints) return false;
        o.bbox_margin = v;
        break;
      default:
        break; /* other letters are ignored */
    }
  }
  return true;
}

void WriteProlog(PsCanvas* ps) {
  Putf(ps, "%%!PS-Adobe-2.0 %s", ps->eps ? "EPSF-2.0" : "");
  Put(ps, "%%Title: CanvasDraw");
  Put(ps, "%%Creator: CanvasDraw");
  std::time_t now = std::time(nullptr);
  char date[32] = "";
  if (std::tm* t = std::localtime(&now))
    std::strftime(date, sizeof date, "%a %b %e %H:%M:%S %Y", t);
  Putf(ps, "%%%%CreationDate: %s", date);
  Put(ps, "%%DocumentFonts: (atend)");
  Put(ps, "%%Pages: (atend)");
  if (ps->eps) {
    std::fputs("%%BoundingBox: ", ps->file);
    ps->bbox_pos = std::ftell(ps->file);
    Put(ps, "00000 00000 00000 00000");
    ps->bbox_set = false;
  }
  Put(ps, "%%EndComments");
  Put(ps, "/N {newpath} bind def");
  Put(ps, "/C {closepath} bind def");
  Put(ps, "/M {moveto} bind def");
  Put(ps, "/L {lineto} bind def");
  Put(ps, "/S {stroke} bind def");
  Put(ps, "/LL {moveto lineto stroke} bind def");
  Put(ps, "%%EndProlog");
  Put(ps, "%%BeginSetup");
  Putf(ps, "%%%%Feature: *Resolution %d", ps->res);
  Put(ps, "%%EndSetup");
  Put(ps, "%%Page: 1 1");
  ps->pages = 1;

  Put(ps, "/newcodes % foreign character encodings");
  Put(ps, "[");
  for (int code = 160; code < 256; code++) Putf(ps, "%d/%s", code, kLatin1[code - 160]);
  Put(ps, "] def");
  Put(ps, "/ChgFnt % size name newname");
  Put(ps, "{");
  Put(ps, "  /cd_newname exch def /cd_basename exch def /cd_size exch def");
  Put(ps, "  FontDirectory cd_newname known not {cd_basename cd_newname ReEncode} if");
  Put(ps, "  cd_newname findfont cd_size scalefont setfont");
  Put(ps, "} def");
  Put(ps, "/ReEncode % basename newname");
  Put(ps, "{");
  Put(ps, "  /cd_newfont exch def");
  Put(ps, "  findfont dup length dict begin");
  Put(ps, "    {1 index /FID ne {def} {pop pop} ifelse} forall");
  Put(ps, "    /Encoding Encoding 256 array copy def");
  Put(ps, "    /FontName cd_newfont def");
  Put(ps, "    0 2 newcodes length 1 sub");
  Put(ps, "    {dup newcodes exch get exch 1 add newcodes exch get Encoding 3 1 roll put} for");
  Put(ps, "    currentdict");
  Put(ps, "  end");
  Put(ps, "  cd_newfont exch definefont pop");
  Put(ps, "} def");

  Put(ps, "N");
  Putf(ps, "%g %g M", ps->left, ps->bottom);
  Putf(ps, "%g %g L", ps->left, ps->top);
  Putf(ps, "%g %g L", ps->right, ps->top);
  Putf(ps, "%g %g L", ps->right, ps->bottom);
  Put(ps, "C");
  Put(ps, "clip");
  Put(ps, "N");
  Putf(ps, "%g %g translate", ps->left, ps->bottom);
  Putf(ps, "%g %g scale", ps->scale, ps->scale);
  /* the state a clip change returns to: the printable area, device units */
  Put(ps, "gsave");
}

void CreateCanvas(cdCanvas* cv, void* data) {
  const char* text = static_cast<const char*>(data);
  if (!text) return;
  Options o;
  if (!ParseOptions(text, o)) return;
  double scale = 72.0 / o.res;
  double left = o.left * kPointsPerMM, right = o.paper_w - o.right * kPointsPerMM;
  double bottom = o.bottom * kPointsPerMM, top = o.paper_h - o.top * kPointsPerMM;
  int w = int((right - left) / scale), h = int((top - bottom) / scale);
  if (w <= 0 || h <= 0) return; /* the margins leave nothing to draw on */

  PsCanvas* ps = new (std::nothrow) PsCanvas;
  if (!ps) return;
  ps->file = std::fopen(o.file.c_str(), "w");
  if (!ps->file) {
    std::fprintf(stderr, "CD_PS: the file \"%s\" cannot be written: %s\n", o.file.c_str(),
                 std::strerror(errno));
    delete ps;
    return;
  }
  ps->res = o.res;
  ps->paper_w = o.paper_w, ps->paper_h = o.paper_h;
  ps->scale = scale;
  ps->left = left, ps->right = right, ps->bottom = bottom, ps->top = top;
  ps->bbox_margin = o.bbox_margin * kPointsPerMM;
  ps->eps = o.eps;
  ps->canvas = cv;
  WriteProlog(ps);

  cv->w = w, cv->h = h;
  cv->w_mm = (right - left) / kPointsPerMM;
  cv->h_mm = (top - bottom) / kPointsPerMM;
  cv->bpp = 24;
  cv->xres = w / cv->w_mm;
  cv->yres = h / cv->h_mm;
  cv->y_inverted = 0;
  cv->driver_data = ps;
}

/* ---- operations ---- */

void KillCanvas(cdCanvas* cv) {
  PsCanvas* ps = Rec(cv);
  Put(ps, "showpage");
  Put(ps, "%%Trailer");
  Putf(ps, "%%%%Pages: %d 1", ps->pages);
  std::fputs("%%DocumentFonts:", ps->file);
  for (int face = 0; face < 4; face++)
    for (int style = 0; style < 4; style++) {
      if (!ps->used_fonts[face][style]) continue;
      std::string name = FontName(face, style);
      bool listed = false; /* CD_SYSTEM and CD_COURIER are the same font */
      for (int f = 0; f < face; f++)
        listed = listed || (ps->used_fonts[f][style] && FontName(f, style) == name);
      if (!listed) std::fprintf(ps->file, " %s", name.c_str());
    }
  for (const std::string& name : ps->native_fonts) std::fprintf(ps->file, " %s", name.c_str());
  std::fputc('\n', ps->file);
  if (ps->eps) {
    double x0 = 0, y0 = 0, x1 = 0, y1 = 0;
    if (ps->bbox_set)
      x0 = ps->bbox_xmin, y0 = ps->bbox_ymin, x1 = ps->bbox_xmax, y1 = ps->bbox_ymax;
    std::fseek(ps->file, ps->bbox_pos, SEEK_SET);
    std::fprintf(ps->file, "%5d %5d %5d %5d", int(std::floor(x0)), int(std::floor(y0)),
                 int(std::ceil(x1)), int(std::ceil(y1)));
  }
  std::fclose(ps->file);
  delete ps;
}

int Activate(cdCanvas*) {
  return CD_OK;
}
void Deactivate(cdCanvas* cv) {
  std::fflush(Rec(cv)->file);
}

void Flush(cdCanvas* cv) {
  PsCanvas* ps = Rec(cv);
  if (ps->eps) {
    std::fputs("CanvasDraw: flush not allowed in EPS mode... ignoring\n", stderr);
    return;
  }
  DeviceUnits device(ps);
  SaveGraphicsState(ps);
  Put(ps, "showpage");
  ps->pages++;
  Putf(ps, "%%%%Page: %d %d", ps->pages, ps->pages);
  /* a new page starts from the printable area with the clip in force */
  Put(ps, "grestore");
  Put(ps, "gsave");
  RestoreGraphicsState(ps);
  WriteClipPath(ps, cv->clip_mode);
}

void Pixel(cdCanvas* cv, int x, int y, long color) {
  PsCanvas* ps = Rec(cv);
  PutColor(ps, color);
  Put(ps, "N");
  Putf(ps, "%d %d 1 0 360 arc", x, y);
  Put(ps, "C fill");
  PutColor(ps, cv->foreground);
  ps->fill_pattern_on = CD_SOLID;
  if (ps->eps) BoxPoint(ps, x, y, ps->scale);
}

void Line(cdCanvas* cv, int x1, int y1, int x2, int y2) {
  PsCanvas* ps = Rec(cv);
  BeforeStroke(ps);
  Putf(ps, "N %d %d %d %d LL", x1, y1, x2, y2);
  BBoxSegment(ps, x1, y1, x2, y2);
}

void WdLine(cdCanvas* cv, double x1, double y1, double x2, double y2) {
  PsCanvas* ps = Rec(cv);
  BeforeStroke(ps);
  Putf(ps, "N %.10g %.10g %.10g %.10g LL", x1, y1, x2, y2);
  BBoxSegment(ps, cv->wd_sx * x1 + cv->wd_tx, cv->wd_sy * y1 + cv->wd_ty,
              cv->wd_sx * x2 + cv->wd_tx, cv->wd_sy * y2 + cv->wd_ty);
}

void Rect(cdCanvas* cv, int xmin, int xmax, int ymin, int ymax) {
  PsCanvas* ps = Rec(cv);
  BeforeStroke(ps);
  RectPath(ps, xmin, xmax, ymin, ymax);
  Put(ps, "C S");
  BBox(ps, xmin, ymin);
  BBox(ps, xmax, ymax);
}

void WdRect(cdCanvas* cv, double xmin, double xmax, double ymin, double ymax) {
  PsCanvas* ps = Rec(cv);
  BeforeStroke(ps);
  RectPathD(ps, xmin, xmax, ymin, ymax);
  Put(ps, "C S");
  BBoxWorld(ps, xmin, ymin);
  BBoxWorld(ps, xmax, ymax);
}

void Box(cdCanvas* cv, int xmin, int xmax, int ymin, int ymax) {
  PsCanvas* ps = Rec(cv);
  BeforeFill(ps);
  RectPath(ps, xmin, xmax, ymin, ymax);
  Put(ps, "C fill");
  BBox(ps, xmin, ymin, false);
  BBox(ps, xmax, ymax, false);
}

void WdBox(cdCanvas* cv, double xmin, double xmax, double ymin, double ymax) {
  PsCanvas* ps = Rec(cv);
  BeforeFill(ps);
  RectPathD(ps, xmin, xmax, ymin, ymax);
  Put(ps, "C fill");
  BBoxWorld(ps, xmin, ymin, false);
  BBoxWorld(ps, xmax, ymax, false);
}

/* Polygons fill and clip by the even-odd rule, as the raster does. */
template <class P>
void PolyPath(PsCanvas* ps, int mode, const P* points, int n, const char* format_m,
              const char* format_l, bool world) {
  cdCanvas* cv = ps->canvas;
  if (mode == CD_CLIP) Put(ps, "/clip_polygon {");
  if (mode == CD_FILL) BeforeFill(ps);
  if (mode == CD_OPEN_LINES || mode == CD_CLOSED_LINES) BeforeStroke(ps);
  Put(ps, "N");
  for (int i = 0; i < n; i++) Putf(ps, i == 0 ? format_m : format_l, points[i].x, points[i].y);
  switch (mode) {
    case CD_FILL:
      Put(ps, "eofill");
      break;
    case CD_OPEN_LINES:
      Put(ps, "S");
      break;
    case CD_CLOSED_LINES:
      Put(ps, "C S");
      break;
    case CD_CLIP:
      Put(ps, "C eoclip");
      Put(ps, "N");
      Put(ps, "} bind def");
      if (cv->clip_mode == CD_CLIPPOLYGON) Put(ps, "clip_polygon");
      return;
    default:
      return;
  }
  for (int i = 0; i < n; i++) {
    if (world)
      BBoxWorld(ps, points[i].x, points[i].y, mode != CD_FILL);
    else
      BBox(ps, points[i].x, points[i].y, mode != CD_FILL);
  }
}

void Poly(cdCanvas* cv, int mode, cdPoint* points, int n) {
  PolyPath(Rec(cv), mode, points, n, "%d %d M", "%d %d L", false);
}

void WdPoly(cdCanvas* cv, int mode, cdPointD* points, int n) {
  if (mode != CD_CLIP) {
    PolyPath(Rec(cv), mode, points, n, "%.10g %.10g M", "%.10g %.10g L", true);
    return;
  }
  /* the clip procedure runs later in device units: it gets device values */
  std::vector<cdPointD> device(points, points + n);
  for (cdPointD& p : device) p = {cv->wd_sx * p.x + cv->wd_tx, cv->wd_sy * p.y + cv->wd_ty};
  DeviceUnits units(Rec(cv));
  PolyPath(Rec(cv), mode, device.data(), n, "%.10g %.10g M", "%.10g %.10g L", false);
}

/* arcs and sectors; `fill` makes a sector. Values are written with fmt. */
template <class T>
void ArcShape(PsCanvas* ps, T xc, T yc, T w, T h, double a1, double a2, bool fill,
              const char* point_format) {
  char centre[96];
  std::snprintf(centre, sizeof centre, point_format, xc, yc);
  if (fill)
    BeforeFill(ps);
  else
    BeforeStroke(ps);
  if (w == h) {
    Put(ps, "N");
    if (fill) Putf(ps, "%s M", centre);
    Putf(ps, "%s %.10g %g %g arc", centre, double(w) / 2, a1, a2);
    Put(ps, fill ? "C fill" : "S");
    return;
  }
  Put(ps, "[0 0 0 0 0 0] currentmatrix");
  Putf(ps, "%s translate", centre);
  Putf(ps, "1 %.10g scale", double(h) / double(w));
  Put(ps, "N");
  if (fill) Put(ps, "0 0 M");
  Putf(ps, "0 0 %.10g %g %g arc", double(w) / 2, a1, a2);
  Put(ps, fill ? "C fill" : "S");
  Put(ps, "setmatrix");
}

void Arc(cdCanvas* cv, int xc, int yc, int w, int h, double a1, double a2) {
  PsCanvas* ps = Rec(cv);
  ArcShape(ps, xc, yc, w, h, a1, a2, false, "%d %d");
  BBoxArc(ps, xc, yc, w, h, a1, a2, true);
}

void Sector(cdCanvas* cv, int xc, int yc, int w, int h, double a1, double a2) {
  PsCanvas* ps = Rec(cv);
  ArcShape(ps, xc, yc, w, h, a1, a2, true, "%d %d");
  BBoxArc(ps, xc, yc, w, h, a1, a2, false);
  BBox(ps, xc, yc, false);
}

void WdArcBox(PsCanvas* ps, double xc, double yc, double w, double h, double a1, double a2,
              bool stroke) {
  if (!ps->eps) return;
  const cdCanvas* cv = ps->canvas;
  BBoxArc(ps, cv->wd_sx * xc + cv->wd_tx, cv->wd_sy * yc + cv->wd_ty, w * cv->wd_sx, h * cv->wd_sy,
          a1, a2, stroke);
}

void WdArc(cdCanvas* cv, double xc, double yc, double w, double h, double a1, double a2) {
  PsCanvas* ps = Rec(cv);
  ArcShape(ps, xc, yc, w, h, a1, a2, false, "%.10g %.10g");
  WdArcBox(ps, xc, yc, w, h, a1, a2, true);
}

void WdSector(cdCanvas* cv, double xc, double yc, double w, double h, double a1, double a2) {
  PsCanvas* ps = Rec(cv);
  ArcShape(ps, xc, yc, w, h, a1, a2, true, "%.10g %.10g");
  WdArcBox(ps, xc, yc, w, h, a1, a2, false);
  BBoxWorld(ps, xc, yc, false);
}

/* a PostScript string literal: parentheses and backslashes escaped,
 * control characters as octal escapes */
std::string StringLiteral(const char* s) {
  std::string out = "(";
  for (const unsigned char* p = reinterpret_cast<const unsigned char*>(s); *p; p++) {
    if (*p == '(' || *p == ')' || *p == '\\') {
      out += '\\';
      out += char(*p);
    } else if (*p < 32 || *p == 127) {
      char octal[8];
      std::snprintf(octal, sizeof octal, "\\%03o", *p);
      out += octal;
    } else {
      out += char(*p);
    }
  }
  return out + ")";
}

/* the text's estimated box: half the widest character per character */
void BBoxText(PsCanvas* ps, int x, int y, const char* s) {
  if (!ps->eps) return;
  cdCanvas* cv = ps->canvas;
  int max_width = 0, height = 0, ascent = 0, descent = 0;
  cv->ops.FontDim(cv, &max_width, &height, &ascent, &descent);
  double width = std::strlen(s) * max_width / 2.0;
  double dx = 0, dy = 0; /* lower left corner relative to the reference point */
  switch (cv->text_alignment) {
    case CD_EAST:
    case CD_NORTH_EAST:
    case CD_SOUTH_EAST:
    case CD_BASE_RIGHT:
      dx = -width;
      break;
    case CD_WEST:
    case CD_NORTH_WEST:
    case CD_SOUTH_WEST:
    case CD_BASE_LEFT:
      dx = 0;
      break;
    default:
      dx = -width / 2;
      break;
  }
  switch (cv->text_alignment) {
    case CD_NORTH:
    case CD_NORTH_EAST:
    case CD_NORTH_WEST:
      dy = -height;
      break;
    case CD_SOUTH:
    case CD_SOUTH_EAST:
    case CD_SOUTH_WEST:
      dy = 0;
      break;
    case CD_EAST:
    case CD_WEST:
    case CD_CENTER:
      dy = -height / 2.0;
      break;
    default:
      dy = -descent;
      break;
  }
  double a = cv->text_orientation / CD_RAD2DEG, c = std::cos(a), sn = std::sin(a);
  const double corners[4][2] = {
      {dx, dy}, {dx + width, dy}, {dx, dy + height}, {dx + width, dy + height}};
  for (const auto& k : corners) BBox(ps, x + k[0] * c - k[1] * sn, y + k[0] * sn + k[1] * c, false);
}

void Text(cdCanvas* cv, int x, int y, const char* s) {
  PsCanvas* ps = Rec(cv);
  BeforeStroke(ps);
  Put(ps, "N 0 0 M");
  Put(ps, StringLiteral(s).c_str());
  for (const char* line : {"dup true charpath", "flattenpath", "pathbbox", "exch", "4 1 roll",
                           "exch", "sub", "3 1 roll", "sub", "0 0", "4 -1 roll", "gsave"})
    Put(ps, line);
  Putf(ps, "%d %d translate", x, y);
  if (cv->text_orientation != 0) Putf(ps, "%g rotate", cv->text_orientation);
  switch (cv->text_alignment) {
    case CD_SOUTH:
    case CD_SOUTH_EAST:
    case CD_SOUTH_WEST: {
      int max_width = 0, height = 0, ascent = 0, descent = 0;
      cv->ops.FontDim(cv, &max_width, &height, &ascent, &descent);
      Putf(ps, "pop %d add", height - ascent);
      break;
    }
    case CD_EAST:
    case CD_WEST:
    case CD_CENTER:
      Put(ps, "2 div sub");
      break;
    case CD_BASE_LEFT:
    case CD_BASE_CENTER:
    case CD_BASE_RIGHT:
      Put(ps, "pop");
      break;
    default:
      Put(ps, "sub");
      break; /* north */
  }
  Put(ps, "3 1 roll");
  Put(ps, "exch");
  switch (cv->text_alignment) {
    case CD_EAST:
    case CD_NORTH_EAST:
    case CD_SOUTH_EAST:
    case CD_BASE_RIGHT:
      Put(ps, "sub");
      break;
    case CD_WEST:
    case CD_NORTH_WEST:
    case CD_SOUTH_WEST:
    case CD_BASE_LEFT:
      Put(ps, "pop");
      break;
    default:
      Put(ps, "2 div sub");
      break;
  }
  Put(ps, "exch");
  Put(ps, "M");
  Put(ps, "show");
  Put(ps, "grestore");
  BBoxText(ps, x, y, s);
}

/* One line of hexadecimal RGB (two lower-case digits per byte, six per
 * pixel), filled in memory and written in one piece: images run to
 * millions of pixels, too many for a formatted write each. */
class HexRows {
 public:
  HexRows(PsCanvas* ps, int cols) : file_(ps->file), line_(size_t(cols) * 6 + 1, '\n') {}
  static void Digits(char* out, unsigned char r, unsigned char g, unsigned char b) {
    static constexpr char kDigit[] = "0123456789abcdef";
    out[0] = kDigit[r >> 4], out[1] = kDigit[r & 15];
    out[2] = kDigit[g >> 4], out[3] = kDigit[g & 15];
    out[4] = kDigit[b >> 4], out[5] = kDigit[b & 15];
  }
  void Put(int col, unsigned char r, unsigned char g, unsigned char b) {
    Digits(&line_[size_t(col) * 6], r, g, b);
  }
  void Copy(int col, const char* digits) { std::memcpy(&line_[size_t(col) * 6], digits, 6); }
  /* the line and its newline */
  void Write() { std::fwrite(line_.data(), 1, line_.size(), file_); }

 private:
  FILE* file_;
  std::vector<char> line_;
};

/* image header and footer around rows of hexadecimal RGB */
void ImageHeader(PsCanvas* ps, int x, int y, int w, int h, int cols, int rows) {
  Put(ps, "[0 0 0 0 0 0] currentmatrix");
  Putf(ps, "%d %d translate", x, y);
  Putf(ps, "%d %d scale", w, h);
  Putf(ps, "%d %d 8", cols, rows);
  Putf(ps, "[%d 0 0 %d 0 0]", cols, rows);
  Putf(ps, "{currentfile %d string readhexstring pop}", cols);
  Put(ps, "false 3");
  Put(ps, "colorimage");
  if (ps->eps) {
    BBox(ps, x, y, false);
    BBox(ps, x + w, y + h, false);
  }
}

void PutImageRectRGB(cdCanvas* cv, int iw, int, const unsigned char* r, const unsigned char* g,
                     const unsigned char* b, int x, int y, int w, int h, int xmin, int xmax,
                     int ymin, int ymax) {
  PsCanvas* ps = Rec(cv);
  ImageHeader(ps, x, y, w, h, xmax - xmin + 1, ymax - ymin + 1);
  HexRows line(ps, xmax - xmin + 1);
  for (int row = ymin; row <= ymax; row++) {
    size_t i = size_t(row) * size_t(iw) + size_t(xmin);
    for (int col = 0; col <= xmax - xmin; col++, i++) line.Put(col, r[i], g[i], b[i]);
    line.Write();
  }
  Put(ps, "setmatrix");
}

void PutImageRectMap(cdCanvas* cv, int iw, int, const unsigned char* index, const long* colors,
                     int x, int y, int w, int h, int xmin, int xmax, int ymin, int ymax) {
  PsCanvas* ps = Rec(cv);
  ImageHeader(ps, x, y, w, h, xmax - xmin + 1, ymax - ymin + 1);
  HexRows line(ps, xmax - xmin + 1);
  /* each palette entry's six digits, made when first met */
  char digits[256][6];
  bool known[256] = {};
  for (int row = ymin; row <= ymax; row++) {
    const unsigned char* in = index + size_t(row) * size_t(iw) + size_t(xmin);
    for (int col = 0; col <= xmax - xmin; col++) {
      unsigned char k = in[col];
      if (!known[k]) {
        unsigned char cr, cg, cb;
        cdDecodeColor(colors[k], &cr, &cg, &cb);
        HexRows::Digits(digits[k], cr, cg, cb);
        known[k] = true;
      }
      line.Copy(col, digits[k]);
    }
    line.Write();
  }
  Put(ps, "setmatrix");
}

int Clip(cdCanvas* cv, int mode) {
  PsCanvas* ps = Rec(cv);
  DeviceUnits device(ps);
  SaveGraphicsState(ps);
  Put(ps, "grestore");
  Put(ps, "gsave");
  RestoreGraphicsState(ps);
  WriteClipPath(ps, mode);
  return mode;
}

void ClipArea(cdCanvas* cv, int* xmin, int* xmax, int* ymin, int* ymax) {
  if (cv->clip_mode != CD_CLIPAREA) return;
  PsCanvas* ps = Rec(cv);
  DeviceUnits device(ps);
  RectPath(ps, *xmin, *xmax, *ymin, *ymax);
  Put(ps, "C");
  Put(ps, "clip");
  Put(ps, "N");
}

int LineStyle(cdCanvas* cv, int style) {
  return WriteLineStyle(Rec(cv), style);
}

int LineWidth(cdCanvas* cv, int width) {
  WriteLineWidth(Rec(cv), width);
  return width;
}

/* (re)defines cd_pattern as a coloured tile, rows bottom up, in device
 * units whatever the current matrix */
void DefineTile(PsCanvas* ps, int w, int h, const std::vector<long>& cells) {
  DeviceUnits device(ps);
  Put(ps, "/cd_pattern");
  Putf(ps, "currentfile %d string readhexstring", w * h * 3);
  HexRows line(ps, w);
  for (int row = 0; row < h; row++) {
    for (int col = 0; col < w; col++) {
      unsigned char r, g, b;
      cdDecodeColor(cells[size_t(row) * w + col], &r, &g, &b);
      line.Put(col, r, g, b);
    }
    line.Write();
  }
  for (const char* line :
       {"pop", "/Pat exch def", "<<", "  /PaintType 1", "  /PatternType 1  /TilingType 1"})
    Put(ps, line);
  Putf(ps, "  /BBox [0 0 %d %d]", w, h);
  Putf(ps, "  /XStep %d /YStep %d", w, h);
  Put(ps, "  /PaintProc {");
  Putf(ps, "              %d %d 8", w, h);
  for (const char* line :
       {"              matrix", "              Pat", "              false 3",
        "              colorimage", "             }", ">>", "matrix", "makepattern", "def"})
    Put(ps, line);
  if (ps->fill_pattern_on != CD_SOLID) ps->fill_pattern_on = -1; /* the old one is current */
  ps->tile_stale = false;
}

void DefineHatch(PsCanvas* ps, int style) {
  const cdCanvas* cv = ps->canvas;
  if (style < 0 || style > 5) style = 0;
  std::vector<long> cells(64);
  for (int row = 0; row < 8; row++)
    for (int col = 0; col < 8; col++)
      cells[size_t(row) * 8 + col] =
          (cdsim::kHatch[style][row] >> (7 - col)) & 1 ? cv->foreground : cv->background;
  DefineTile(ps, 8, 8, cells);
}

void DefineStipple(PsCanvas* ps, int w, int h, const unsigned char* data) {
  const cdCanvas* cv = ps->canvas;
  std::vector<long> cells(size_t(w) * size_t(h));
  for (size_t i = 0; i < cells.size(); i++) cells[i] = data[i] ? cv->foreground : cv->background;
  DefineTile(ps, w, h, cells);
}

void Pattern(cdCanvas* cv, int w, int h, const long* colors) {
  DefineTile(Rec(cv), w, h, std::vector<long>(colors, colors + size_t(w) * size_t(h)));
}

void Stipple(cdCanvas* cv, int w, int h, const unsigned char* data) {
  DefineStipple(Rec(cv), w, h, data);
}

int Hatch(cdCanvas* cv, int style) {
  if (style < 0 || style > 5) return cv->hatch_style;
  DefineHatch(Rec(cv), style);
  return style;
}

void Font(cdCanvas* cv, int* face, int* style, int* size) {
  PsCanvas* ps = Rec(cv);
  if (*face < 0 || *face > 3) *face = CD_SYSTEM;
  if (*style < 0 || *style > 3) *style = CD_PLAIN;
  int pixels;
  if (*size < 0) {
    pixels = -*size;
    *size = int(pixels / cv->xres * kPointsPerMM);
  } else {
    pixels = int(*size / ps->scale);
  }
  std::string name = FontName(*face, *style);
  Putf(ps, "%d /%s /%s-Latin1 ChgFnt", pixels, name.c_str(), name.c_str());
  ps->used_fonts[*face][*style] = true;
}

/* a name PostScript reads as one name token */
bool PlainName(const char* s) {
  if (!*s) return false;
  for (; *s; s++)
    if (!std::isalnum(static_cast<unsigned char>(*s)) && !std::strchr("-_.+*", *s)) return false;
  return true;
}

void NativeFont(cdCanvas* cv, const char* font) {
  PsCanvas* ps = Rec(cv);
  char name[256];
  int size = 0;
  if (std::sscanf(font, "%255s %d", name, &size) != 2 || size == 0 || !PlainName(name)) return;
  int pixels = size < 0 ? -size : int(size / ps->scale);
  Putf(ps, "%d /%s /%s-Latin1 ChgFnt", pixels, name, name);
  cv->font_size = size;
  for (const std::string& known : ps->native_fonts)
    if (known == name) return;
  if (int(ps->native_fonts.size()) < kMaxNativeFonts) ps->native_fonts.emplace_back(name);
}

long Foreground(cdCanvas* cv, long color) {
  PsCanvas* ps = Rec(cv);
  PutColor(ps, color);
  ps->fill_pattern_on = CD_SOLID;
  ps->tile_stale = true;
  return color;
}

long Background(cdCanvas* cv, long color) {
  Rec(cv)->tile_stale = true;
  return color;
}

void WorldMode(cdCanvas* cv, int world) {
  PsCanvas* ps = Rec(cv);
  if (world)
    WorldMatrixOn(ps);
  else
    WorldMatrixOff(ps);
  /* cv->use_world already holds the new mode */
  WriteLineWidth(ps, cv->line_width);
  WriteLineStyle(ps, cv->line_style);
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
  o.PutImageRectRGB = PutImageRectRGB;
  o.PutImageRectMap = PutImageRectMap;
  o.WdLine = WdLine;
  o.WdPoly = WdPoly;
  o.WdRect = WdRect;
  o.WdBox = WdBox;
  o.WdArc = WdArc;
  o.WdSector = WdSector;
  o.Clip = Clip;
  o.ClipArea = ClipArea;
  o.LineStyle = LineStyle;
  o.LineWidth = LineWidth;
  o.Pattern = Pattern;
  o.Stipple = Stipple;
  o.Hatch = Hatch;
  o.Font = Font;
  o.NativeFont = NativeFont;
  o.Foreground = Foreground;
  o.Background = Background;
  o.KillCanvas = KillCanvas;
  o.Activate = Activate;
  o.Deactivate = Deactivate;
  o.WorldMode = WorldMode;
}

cdDriver ps_driver = {
    CD_CAP_ALL & ~(CD_CAP_CLEAR | CD_CAP_PLAY | CD_CAP_MARK | CD_CAP_VECTORTEXT | CD_CAP_IMAGERGBA |
                   CD_CAP_GETIMAGERGB | CD_CAP_IMAGESRV | CD_CAP_BACKGROUND | CD_CAP_BACKOPACITY |
                   CD_CAP_WRITEMODE | CD_CAP_FONTDIM | CD_CAP_TEXTSIZE | CD_CAP_PALETTE),
    CreateCanvas,
    FillOperations,
    nullptr,
    nullptr,
    "CD_PS",
    CD_DATA_TEXT};

}  // namespace

cdDriver* cdContextPS(void) {
  return &ps_driver;
}
