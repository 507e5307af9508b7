/* The CGM canvas driver: maps canvas operations to metafile elements
 * through the element encoder, keeps the bounds of what was drawn and
 * writes the picture's VDC extent over its slot when the picture ends.
 * Playing metafiles is cdcgmplay.cpp. */
#include "cdcgm.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <new>
#include <string>
#include <vector>

#include "cdcgmenc.h"
#include "cdcgmplay.h"
#include "cdpriv.h"

namespace {

using cdcgm::Encoder;
using cdcgm::PointD;

const char* const kFontNames[16] = {"SYSTEM",
                                    "COURIER",
                                    "TIMES_ROMAN",
                                    "HELVETICA",
                                    "SYSTEM_BOLD",
                                    "COURIER_BOLD",
                                    "TIMES_ROMAN_BOLD",
                                    "HELVETICA_BOLD",
                                    "SYSTEM_ITALIC",
                                    "COURIER_ITALIC",
                                    "TIMES_ROMAN_ITALIC",
                                    "HELVETICA_ITALIC",
                                    "SYSTEM_BOLDITALIC",
                                    "COURIER_BOLDITALIC",
                                    "TIMES_ROMAN_BOLDITALIC",
                                    "HELVETICA_BOLDITALIC"};

const char kPictureName[] = "Picture x";

struct Bounds {
  float xmin = 0, xmax = 0, ymin = 0, ymax = 0;
  bool empty = true;
  void Widen(double x, double y) {
    float fx = float(x), fy = float(y);
    if (empty) {
      xmin = xmax = fx, ymin = ymax = fy;
      empty = false;
      return;
    }
    if (fx < xmin) xmin = fx;
    if (fx > xmax) xmax = fx;
    if (fy < ymin) ymin = fy;
    if (fy > ymax) ymax = fy;
  }
};

struct CgmCanvas {
  cdCanvas* cv = nullptr;
  std::string file_name;
  FILE* file = nullptr;
  int encoding = cdcgm::kBinary;
  Encoder enc;
  int vdc_bits = 16;
  long extent_pos = 0;
  bool size_given = false;
  Bounds drawn, clipped;
  int next_pattern = 1;
  std::vector<PointD> points;
  std::vector<long> cells;
};

CgmCanvas* Rec(cdCanvas* cv) {
  return static_cast<CgmCanvas*>(cv->driver_data);
}

/* ---- picture ---- */

/* the extent slot: a VDC EXTENT in binary, two lines of blanks in clear text */
void ExtentSlot(CgmCanvas* c) {
  c->extent_pos = std::ftell(c->file);
  if (c->encoding == cdcgm::kBinary) {
    cdcgm::VdcExtent(c->enc, 0, 0, c->cv->w, c->cv->h);
  } else {
    std::string blanks(80, ' ');
    blanks += '\n';
    blanks += blanks;
    std::fwrite(blanks.data(), 1, blanks.size(), c->file);
    c->enc.column = 1;
  }
}

void PictureDescriptor(CgmCanvas* c) {
  Encoder& e = c->enc;
  cdcgm::ScalingMode(e, 1, 1.0);
  cdcgm::ColourSelectionMode(e, 1);
  cdcgm::LineWidthSpecificationMode(e, 0);
  cdcgm::MarkerSizeSpecificationMode(e, 0);
  ExtentSlot(c);
}

/* Writes the final extent over the slot: the canvas size when it was
 * given, else the clip areas set, else what was drawn (the canvas size
 * when nothing was). */
void PatchExtent(CgmCanvas* c) {
  double x1 = 0, y1 = 0, x2 = c->cv->w, y2 = c->cv->h;
  if (!c->size_given) {
    const Bounds& b = !c->clipped.empty ? c->clipped : c->drawn;
    if (!b.empty) x1 = b.xmin, y1 = b.ymin, x2 = b.xmax, y2 = b.ymax;
  }
  std::fflush(c->file);
  long end = std::ftell(c->file);
  if (std::fseek(c->file, c->extent_pos, SEEK_SET) != 0) return;
  cdcgm::VdcExtent(c->enc, x1, y1, x2, y2);
  std::fflush(c->file);
  std::fseek(c->file, end, SEEK_SET);
  c->enc.column = 1;
}

void CreationSequence(CgmCanvas* c) {
  Encoder& e = c->enc;
  cdcgm::BeginMetafile(e, "CD - CanvasDraw, Korvell");
  cdcgm::MetafileVersion(e, 1);
  cdcgm::MetafileDescription(e, "CD generated");
  cdcgm::VdcType(e, 0);
  cdcgm::IntegerPrecision(e, 16);
  cdcgm::RealPrecision(e, 3);
  cdcgm::IndexPrecision(e, 16);
  cdcgm::ColourPrecision(e, 8);
  cdcgm::ColourIndexPrecision(e, 8);
  cdcgm::MaximumColourIndex(e, 255);
  cdcgm::ColourValueExtent(e);
  cdcgm::MetafileElementList(e);
  cdcgm::BeginDefaults(e);
  cdcgm::VdcIntegerPrecision(e, c->vdc_bits);
  cdcgm::InteriorStyle(e, 1);
  cdcgm::EdgeVisibility(e, 0);
  cdcgm::EndDefaults(e);
  cdcgm::FontList(e, kFontNames, 16);
  cdcgm::BeginPicture(e, kPictureName);
  PictureDescriptor(c);
  cdcgm::ClipRectangle(e, 0, 0, c->cv->w, c->cv->h);
  cdcgm::ClipIndicator(e, 0);
  cdcgm::BeginPictureBody(e);
  cdcgm::VdcIntegerPrecision(e, c->vdc_bits);
  cdcgm::VdcRealPrecision(e, 2);
  cdcgm::AuxiliaryColour(e, 0xFFFFFF);
}

/* ---- creation ---- */

void CreateCanvas(cdCanvas* cv, void* data) {
  const char* text = static_cast<const char*>(data);
  if (!text) return;
  char name[257] = "", opt[4][64] = {{0}};
  if (std::sscanf(text, "%256s %63s %63s %63s %63s", name, opt[0], opt[1], opt[2], opt[3]) < 1)
    return;
  double w_mm = 32767, h_mm = 32767, res = 1;
  bool size_given = false, clear_text = false;
  int bits = 16;
  for (auto& o : opt) {
    if (!o[0]) continue;
    double a, b;
    char letter;
    int number = 0;
    if (std::sscanf(o, "%lgx%lg", &a, &b) == 2) {
      w_mm = a, h_mm = b, size_given = true;
    } else if (std::sscanf(o, "%lg", &a) == 1) {
      res = a;
    } else if (std::sscanf(o, "-%c%d", &letter, &number) >= 1) {
      if (letter == 't') clear_text = true;
      if (letter == 'p') bits = number;
    }
  }
  if (bits != 8 && bits != 16 && bits != 24 && bits != 32) bits = 16;
  if (!(res > 0)) res = 1;
  if (bits != 16 && !size_given) w_mm = h_mm = std::ldexp(1.0, bits) / 2 - 1;
  double w = res * w_mm, h = res * h_mm;
  if (!(w >= 1 && h >= 1 && w <= 2147483647.0 && h <= 2147483647.0)) return;
  FILE* file = std::fopen(name, clear_text ? "w" : "w+b");
  if (!file) return;
  CgmCanvas* c = new (std::nothrow) CgmCanvas;
  if (!c) {
    std::fclose(file);
    return;
  }
  c->cv = cv;
  c->file_name = name;
  c->file = file;
  c->encoding = clear_text ? cdcgm::kClearText : cdcgm::kBinary;
  c->vdc_bits = bits;
  c->size_given = size_given;
  cv->w = int(w), cv->h = int(h);
  cv->w_mm = w_mm, cv->h_mm = h_mm;
  cv->xres = cv->yres = res;
  cv->bpp = 24;
  cv->y_inverted = 0;
  cdcgm::Start(c->enc, file, c->encoding, bits);
  CreationSequence(c);
  cv->driver_data = c;
}

void KillCanvas(cdCanvas* cv) {
  CgmCanvas* c = Rec(cv);
  PatchExtent(c);
  cdcgm::EndPicture(c->enc);
  cdcgm::EndMetafile(c->enc);
  std::fclose(c->file);
  delete c;
}

int Activate(cdCanvas*) {
  return CD_OK;
}
void Deactivate(cdCanvas* cv) {
  std::fflush(Rec(cv)->file);
}

void Flush(cdCanvas* cv) {
  CgmCanvas* c = Rec(cv);
  PatchExtent(c);
  cdcgm::EndPicture(c->enc);
  cdcgm::BeginPicture(c->enc, kPictureName);
  PictureDescriptor(c);
  cdcgm::BeginPictureBody(c->enc);
}

/* ---- primitives ---- */

int MarkerTypeOf(int mark) {
  switch (mark) {
    case CD_PLUS:
      return 2;
    case CD_STAR:
      return 3;
    case CD_CIRCLE:
    case CD_HOLLOW_CIRCLE:
      return 4;
    case CD_X:
      return 5;
  }
  return 1;
}

/* A pixel is a one-pixel marker of type 1. Its colour goes as the marker
 * colour for this one marker, so that it is not lost. */
void Pixel(cdCanvas* cv, int x, int y, long color) {
  CgmCanvas* c = Rec(cv);
  bool type = MarkerTypeOf(cv->mark_type) != 1, size = cv->mark_size != 1,
       colour = color != cv->foreground;
  if (type) cdcgm::MarkerType(c->enc, 1);
  if (size) cdcgm::MarkerSize(c->enc, 1);
  if (colour) cdcgm::MarkerColour(c->enc, color);
  PointD p{double(x), double(y)};
  cdcgm::Polymarker(c->enc, &p, 1);
  if (colour) cdcgm::MarkerColour(c->enc, cv->foreground);
  if (size) cdcgm::MarkerSize(c->enc, cv->mark_size);
  if (type) cdcgm::MarkerType(c->enc, MarkerTypeOf(cv->mark_type));
}

void Mark(cdCanvas* cv, int x, int y) {
  PointD p{double(x), double(y)};
  cdcgm::Polymarker(Rec(cv)->enc, &p, 1);
}

void Line(cdCanvas* cv, int x1, int y1, int x2, int y2) {
  CgmCanvas* c = Rec(cv);
  PointD p[2] = {{double(x1), double(y1)}, {double(x2), double(y2)}};
  c->drawn.Widen(x1, y1);
  c->drawn.Widen(x2, y2);
  cdcgm::Polyline(c->enc, p, 2);
}

void Poly(cdCanvas* cv, int mode, cdPoint* points, int n) {
  if (mode != CD_FILL && mode != CD_OPEN_LINES && mode != CD_CLOSED_LINES) return;
  CgmCanvas* c = Rec(cv);
  try {
    c->points.resize(size_t(n) + 1);
  } catch (const std::bad_alloc&) {
    return;
  }
  for (int i = 0; i < n; i++) {
    c->points[size_t(i)] = {double(points[i].x), double(points[i].y)};
    c->drawn.Widen(points[i].x, points[i].y);
  }
  if (mode == CD_FILL) {
    cdcgm::Polygon(c->enc, c->points.data(), n);
  } else if (mode == CD_OPEN_LINES) {
    cdcgm::Polyline(c->enc, c->points.data(), n);
  } else {
    c->points[size_t(n)] = c->points[0];
    cdcgm::Polyline(c->enc, c->points.data(), n + 1);
  }
}

int InteriorStyleOf(int style) {
  switch (style) {
    case CD_SOLID:
      return 1;
    case CD_HATCH:
      return 3;
    case CD_STIPPLE:
    case CD_PATTERN:
      return 2;
  }
  return 4;
}

void WidenBox(CgmCanvas* c, int xmin, int xmax, int ymin, int ymax) {
  c->drawn.Widen(xmin, ymin);
  c->drawn.Widen(xmax, ymin);
  c->drawn.Widen(xmax, ymax);
  c->drawn.Widen(xmin, ymax);
}

void Rect(cdCanvas* cv, int xmin, int xmax, int ymin, int ymax) {
  CgmCanvas* c = Rec(cv);
  WidenBox(c, xmin, xmax, ymin, ymax);
  cdcgm::InteriorStyle(c->enc, 0);
  cdcgm::Rectangle(c->enc, xmin, ymin, xmax, ymax);
  cdcgm::InteriorStyle(c->enc, InteriorStyleOf(cv->interior_style));
}

void Box(cdCanvas* cv, int xmin, int xmax, int ymin, int ymax) {
  CgmCanvas* c = Rec(cv);
  WidenBox(c, xmin, xmax, ymin, ymax);
  cdcgm::Rectangle(c->enc, xmin, ymin, xmax, ymax);
}

void EllipticalArc(cdCanvas* cv, int xc, int yc, int w, int h, double a1, double a2, int close) {
  CgmCanvas* c = Rec(cv);
  const double to_radians = 0.017453294444444444;
  double hw = w / 2.0, hh = h / 2.0;
  c->drawn.Widen(xc - hw, yc - hh);
  c->drawn.Widen(xc + hw, yc + hh);
  cdcgm::EllipticalArc(c->enc, {double(xc), double(yc)}, {xc + hw, double(yc)},
                       {double(xc), yc + hh}, hw * std::cos(a1 * to_radians),
                       hh * std::sin(a1 * to_radians), hw * std::cos(a2 * to_radians),
                       hh * std::sin(a2 * to_radians), close);
}

void Arc(cdCanvas* cv, int xc, int yc, int w, int h, double a1, double a2) {
  EllipticalArc(cv, xc, yc, w, h, a1, a2, -1);
}
void Sector(cdCanvas* cv, int xc, int yc, int w, int h, double a1, double a2) {
  EllipticalArc(cv, xc, yc, w, h, a1, a2, 0);
}

/* the text's estimated box placed by the alignment */
void WidenText(cdCanvas* cv, int x, int y, const char* s) {
  int w = 0, h = 0;
  cv->ops.TextSize(cv, s, &w, &h);
  double left = x, bottom = y;
  switch (cv->text_alignment) {
    case CD_EAST:
    case CD_NORTH_EAST:
    case CD_SOUTH_EAST:
    case CD_BASE_RIGHT:
      left = x - w;
      break;
    case CD_NORTH:
    case CD_SOUTH:
    case CD_CENTER:
    case CD_BASE_CENTER:
      left = x - w / 2.0;
      break;
  }
  switch (cv->text_alignment) {
    case CD_NORTH:
    case CD_NORTH_EAST:
    case CD_NORTH_WEST:
      bottom = y - h;
      break;
    case CD_EAST:
    case CD_WEST:
    case CD_CENTER:
      bottom = y - h / 2.0;
      break;
  }
  Rec(cv)->drawn.Widen(left, bottom);
  Rec(cv)->drawn.Widen(left + w, bottom + h);
}

void Text(cdCanvas* cv, int x, int y, const char* s) {
  WidenText(cv, x, y, s);
  cdcgm::Text(Rec(cv)->enc, x, y, s);
}

/* ---- images ---- */

void CellArray(cdCanvas* cv, int x, int y, int w, int h, int xmin, int xmax, int ymin, int ymax) {
  CgmCanvas* c = Rec(cv);
  c->drawn.Widen(x, y + h);
  c->drawn.Widen(x + w, y);
  cdcgm::CellArray(c->enc, {double(x), double(y + h)}, {double(x + w), double(y)},
                   {double(x + w), double(y + h)}, xmax - xmin + 1, ymax - ymin + 1,
                   c->cells.data());
}

/* the source rectangle from its top row down; false when it cannot be held */
bool Cells(CgmCanvas* c, int xmin, int xmax, int ymin, int ymax) {
  try {
    c->cells.resize(size_t(xmax - xmin + 1) * size_t(ymax - ymin + 1));
  } catch (const std::bad_alloc&) {
    return false;
  }
  return true;
}

void PutImageRectRGB(cdCanvas* cv, int iw, int, const unsigned char* r, const unsigned char* g,
                     const unsigned char* b, int x, int y, int w, int h, int xmin, int xmax,
                     int ymin, int ymax) {
  CgmCanvas* c = Rec(cv);
  if (!Cells(c, xmin, xmax, ymin, ymax)) return;
  long* out = c->cells.data();
  for (int row = ymax; row >= ymin; row--)
    for (int col = xmin; col <= xmax; col++) {
      size_t i = size_t(row) * size_t(iw) + size_t(col);
      *out++ = cdEncodeColor(r[i], g[i], b[i]);
    }
  CellArray(cv, x, y, w, h, xmin, xmax, ymin, ymax);
}

void PutImageRectMap(cdCanvas* cv, int iw, int, const unsigned char* index, const long* colors,
                     int x, int y, int w, int h, int xmin, int xmax, int ymin, int ymax) {
  CgmCanvas* c = Rec(cv);
  if (!Cells(c, xmin, xmax, ymin, ymax)) return;
  long* out = c->cells.data();
  for (int row = ymax; row >= ymin; row--)
    for (int col = xmin; col <= xmax; col++)
      *out++ = colors[index[size_t(row) * size_t(iw) + size_t(col)]];
  CellArray(cv, x, y, w, h, xmin, xmax, ymin, ymax);
}

/* ---- clipping ---- */

int Clip(cdCanvas* cv, int mode) {
  if (mode == CD_CLIPPOLYGON) return cv->clip_mode;
  CgmCanvas* c = Rec(cv);
  cdcgm::ClipIndicator(c->enc, mode);
  if (mode == CD_CLIPAREA)
    cdcgm::ClipRectangle(c->enc, cv->clip_xmin, cv->clip_ymin, cv->clip_xmax, cv->clip_ymax);
  return mode;
}

void ClipArea(cdCanvas* cv, int* xmin, int* xmax, int* ymin, int* ymax) {
  CgmCanvas* c = Rec(cv);
  if (cv->clip_mode == CD_CLIPAREA) cdcgm::ClipRectangle(c->enc, *xmin, *ymin, *xmax, *ymax);
  c->clipped.Widen(*xmin, *ymin);
  c->clipped.Widen(*xmax, *ymax);
}

/* ---- attributes ---- */

int LineStyle(cdCanvas* cv, int style) {
  cdcgm::LineType(Rec(cv)->enc, style + 1);
  return style;
}
int LineWidth(cdCanvas* cv, int width) {
  cdcgm::LineWidth(Rec(cv)->enc, width);
  return width;
}
int MarkType(cdCanvas* cv, int type) {
  cdcgm::MarkerType(Rec(cv)->enc, MarkerTypeOf(type));
  return type;
}
int MarkSize(cdCanvas* cv, int size) {
  cdcgm::MarkerSize(Rec(cv)->enc, size);
  return size;
}
int InteriorStyle(cdCanvas* cv, int style) {
  cdcgm::InteriorStyle(Rec(cv)->enc, InteriorStyleOf(style));
  return style;
}
int Hatch(cdCanvas* cv, int style) {
  static const int kIndex[6] = {1, 2, 4, 3, 5, 6};
  CgmCanvas* c = Rec(cv);
  cdcgm::HatchIndex(c->enc, style >= 0 && style < 6 ? kIndex[style] : 1);
  cdcgm::InteriorStyle(c->enc, 3);
  return style;
}

void PatternTable(CgmCanvas* c, int w, int h) {
  cdcgm::PatternTable(c->enc, c->next_pattern, w, h, c->cells.data());
  cdcgm::PatternIndex(c->enc, c->next_pattern);
  c->next_pattern++;
  cdcgm::InteriorStyle(c->enc, 2);
}

void Stipple(cdCanvas* cv, int w, int h, const unsigned char* data) {
  CgmCanvas* c = Rec(cv);
  if (!Cells(c, 0, w - 1, 0, h - 1)) return;
  for (size_t i = 0; i < size_t(w) * size_t(h); i++)
    c->cells[i] = data[i] ? cv->foreground : cv->background;
  PatternTable(c, w, h);
}

void Pattern(cdCanvas* cv, int w, int h, const long* colors) {
  CgmCanvas* c = Rec(cv);
  if (!Cells(c, 0, w - 1, 0, h - 1)) return;
  std::memcpy(c->cells.data(), colors, size_t(w) * size_t(h) * sizeof(long));
  PatternTable(c, w, h);
}

/* A size in points becomes whole millimetres at the canvas' resolution,
 * a negative one is pixels. The system face is reported back as Courier
 * (its index in the font list stays that of "SYSTEM"). */
void Font(cdCanvas* cv, int* face, int* style, int* size) {
  CgmCanvas* c = Rec(cv);
  double height = *size < 0 ? -double(*size) : std::floor(*size / CD_MM2PT + 0.5) * cv->xres;
  cdcgm::CharacterHeight(c->enc, height);
  cdcgm::TextFontIndex(c->enc, 1 + *face + 4 * *style);
  if (*face == CD_SYSTEM) *face = CD_COURIER;
}

int TextAlignment(cdCanvas* cv, int alignment) {
  static const int kHorizontal[12] = {2, 2, 3, 1, 3, 1, 3, 1, 2, 1, 2, 3};
  static const int kVertical[12] = {1, 5, 3, 3, 1, 1, 5, 5, 3, 4, 4, 4};
  if (alignment < 0 || alignment > 11) return cv->text_alignment;
  cdcgm::TextAlignment(Rec(cv)->enc, kHorizontal[alignment], kVertical[alignment]);
  return alignment;
}

long Foreground(cdCanvas* cv, long color) {
  Encoder& e = Rec(cv)->enc;
  cdcgm::MarkerColour(e, color);
  cdcgm::TextColour(e, color);
  cdcgm::FillColour(e, color);
  cdcgm::LineColour(e, color);
  return color;
}

long Background(cdCanvas* cv, long color) {
  cdcgm::BackgroundColour(Rec(cv)->enc, color);
  return color;
}

int BackOpacity(cdCanvas* cv, int opacity) {
  cdcgm::Transparency(Rec(cv)->enc, opacity == CD_TRANSPARENT);
  return opacity;
}

void FillOperations(cdCanvas* cv) {
  cdOperations& o = cv->ops;
  o.Flush = Flush;
  o.Pixel = Pixel;
  o.Mark = Mark;
  o.Line = Line;
  o.Poly = Poly;
  o.Rect = Rect;
  o.Box = Box;
  o.Arc = Arc;
  o.Sector = Sector;
  o.Text = Text;
  o.PutImageRectRGB = PutImageRectRGB;
  o.PutImageRectMap = PutImageRectMap;
  o.Clip = Clip;
  o.ClipArea = ClipArea;
  o.LineStyle = LineStyle;
  o.LineWidth = LineWidth;
  o.InteriorStyle = InteriorStyle;
  o.Hatch = Hatch;
  o.Stipple = Stipple;
  o.Pattern = Pattern;
  o.Font = Font;
  o.TextAlignment = TextAlignment;
  o.Background = Background;
  o.Foreground = Foreground;
  o.BackOpacity = BackOpacity;
  o.MarkType = MarkType;
  o.MarkSize = MarkSize;
  o.KillCanvas = KillCanvas;
  o.Activate = Activate;
  o.Deactivate = Deactivate;
}

cdDriver cgm_driver = {
    CD_CAP_ALL & ~(CD_CAP_CLEAR | CD_CAP_CLIPPOLY | CD_CAP_VECTORTEXT | CD_CAP_IMAGERGBA |
                   CD_CAP_GETIMAGERGB | CD_CAP_IMAGESRV | CD_CAP_WRITEMODE | CD_CAP_WD |
                   CD_CAP_FONTDIM | CD_CAP_TEXTSIZE | CD_CAP_TEXTORIENTATION | CD_CAP_PALETTE),
    CreateCanvas,
    FillOperations,
    cdcgm::PlayFile,
    cdcgm::RegisterCallback,
    "CD_CGM",
    CD_DATA_TEXT};

}  // namespace

cdDriver* cdContextCGM(void) {
  return &cgm_driver;
}
