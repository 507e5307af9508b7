/* The CD metafile driver: every canvas call that reaches the driver is
 * written as one text record (a code and its fields); images, stipples,
 * patterns and palettes continue over several lines. Reals are written
 * with 15 significant digits, so world coordinates in metres come back
 * whole. The player is in cdmfplay.cpp. */
#include "cdmf.h"

#include <climits>
#include <cstdarg>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <new>
#include <string>

#include "cddriver.h"
#include "cdmfplay.h"

namespace {

struct MfCanvas {
  char file_name[512] = "";
  cdCanvas* canvas = nullptr;
  FILE* file = nullptr;
};

FILE* Out(cdCanvas* cv) {
  return static_cast<MfCanvas*>(cv->driver_data)->file;
}

void Rec(cdCanvas* cv, const char* format, ...) __attribute__((format(printf, 2, 3)));
void Rec(cdCanvas* cv, const char* format, ...) {
  va_list args;
  va_start(args, format);
  std::vfprintf(Out(cv), format, args);
  va_end(args);
  std::fputc('\n', Out(cv));
}

void Color(FILE* f, long color) {
  unsigned char r, g, b;
  cdDecodeColor(color, &r, &g, &b);
  std::fprintf(f, "%d %d %d", r, g, b);
}

/* a record whose last field is a text to the end of the line; a single
 * line of text keeps line breaks out of the record */
void TextRec(cdCanvas* cv, const char* head, const char* s) {
  FILE* f = Out(cv);
  std::fputs(head, f);
  std::fputc(' ', f);
  for (const char* p = s ? s : ""; *p; p++) std::fputc(*p == '\n' || *p == '\r' ? ' ' : *p, f);
  std::fputc('\n', f);
}

/* multi-line texts keep their line breaks as \n (and a backslash as \\) */
void MultiLineTextRec(cdCanvas* cv, const char* head, const char* s) {
  FILE* f = Out(cv);
  std::fputs(head, f);
  std::fputc(' ', f);
  for (const char* p = s ? s : ""; *p; p++) {
    if (*p == '\n')
      std::fputs("\\n", f);
    else if (*p == '\\')
      std::fputs("\\\\", f);
    else if (*p != '\r')
      std::fputc(*p, f);
  }
  std::fputc('\n', f);
}

std::string Head(const char* format, ...) __attribute__((format(printf, 1, 2)));
std::string Head(const char* format, ...) {
  char buffer[256];
  va_list args;
  va_start(args, format);
  std::vsnprintf(buffer, sizeof buffer, format, args);
  va_end(args);
  return buffer;
}

/* "name [w_mm x h_mm] [res]" */
void CreateCanvas(cdCanvas* cv, void* data) {
  const char* text = static_cast<const char*>(data);
  if (!text) return;
  char name[512];
  int used = 0;
  if (std::sscanf(text, " %511s%n", name, &used) != 1) return;
  double w_mm = 2147483647.0, h_mm = 2147483647.0, res = 3.78;
  const char* rest = text + used;
  double a, b, c;
  int n1 = 0, n2 = 0;
  if (std::sscanf(rest, " %lgx%lg%n", &a, &b, &n1) == 2) {
    w_mm = a, h_mm = b;
    rest += n1;
    if (std::sscanf(rest, " %lg%n", &c, &n2) == 1) {
      res = c;
      rest += n2;
    }
  }
  while (*rest == ' ' || *rest == '\t' || *rest == '\n') rest++;
  if (*rest) return; /* something we cannot read */
  if (!std::isfinite(w_mm) || !std::isfinite(h_mm) || !std::isfinite(res)) return;
  if (w_mm <= 0 || h_mm <= 0 || res <= 0) return;
  /* the default sizes overflow an int: the canvas then spans the int range */
  double wp = std::floor(res * w_mm), hp = std::floor(res * h_mm);
  if (wp < 1 || hp < 1) return;
  int w = wp >= INT_MAX ? INT_MAX : int(wp), h = hp >= INT_MAX ? INT_MAX : int(hp);

  MfCanvas* mf = new (std::nothrow) MfCanvas;
  if (!mf) return;
  std::snprintf(mf->file_name, sizeof mf->file_name, "%s", name);
  mf->file = std::fopen(name, "w");
  if (!mf->file) {
    delete mf;
    return;
  }
  mf->canvas = cv;
  std::fprintf(mf->file, "CDMF %d %d\n", w, h);
  cv->w = w, cv->h = h;
  cv->w_mm = w_mm, cv->h_mm = h_mm;
  cv->xres = cv->yres = res;
  cv->bpp = 24;
  cv->y_inverted = 0;
  cv->driver_data = mf;
}

void KillCanvas(cdCanvas* cv) {
  MfCanvas* mf = static_cast<MfCanvas*>(cv->driver_data);
  std::fclose(mf->file);
  delete mf;
}
int Activate(cdCanvas*) {
  return CD_OK;
}
void Deactivate(cdCanvas* cv) {
  std::fflush(Out(cv));
}

void Flush(cdCanvas* cv) {
  Rec(cv, "0");
}
void Clear(cdCanvas* cv) {
  Rec(cv, "1");
}
int Clip(cdCanvas* cv, int mode) {
  Rec(cv, "2 %d", mode);
  return mode;
}
void ClipArea(cdCanvas* cv, int* xmin, int* xmax, int* ymin, int* ymax) {
  Rec(cv, "3 %d %d %d %d", *xmin, *xmax, *ymin, *ymax);
}
void Line(cdCanvas* cv, int x1, int y1, int x2, int y2) {
  Rec(cv, "4 %d %d %d %d", x1, y1, x2, y2);
}
void Box(cdCanvas* cv, int xmin, int xmax, int ymin, int ymax) {
  Rec(cv, "5 %d %d %d %d", xmin, xmax, ymin, ymax);
}
void Arc(cdCanvas* cv, int xc, int yc, int w, int h, double a1, double a2) {
  Rec(cv, "6 %d %d %d %d %.15g %.15g", xc, yc, w, h, a1, a2);
}
void Sector(cdCanvas* cv, int xc, int yc, int w, int h, double a1, double a2) {
  Rec(cv, "7 %d %d %d %d %.15g %.15g", xc, yc, w, h, a1, a2);
}
void Text(cdCanvas* cv, int x, int y, const char* s) {
  TextRec(cv, Head("8 %d %d", x, y).c_str(), s);
}
void Poly(cdCanvas* cv, int mode, cdPoint* points, int n) {
  Rec(cv, "9 %d", mode);
  for (int i = 0; i < n; i++) Rec(cv, "10 %d %d", points[i].x, points[i].y);
  Rec(cv, "11");
}
void WdPoly(cdCanvas* cv, int mode, cdPointD* points, int n) {
  Rec(cv, "9 %d", mode);
  for (int i = 0; i < n; i++) Rec(cv, "42 %.15g %.15g", points[i].x, points[i].y);
  Rec(cv, "11");
}
void Mark(cdCanvas* cv, int x, int y) {
  Rec(cv, "12 %d %d", x, y);
}

#define MF_SETTER(name, code)         \
  int name(cdCanvas* cv, int value) { \
    Rec(cv, #code " %d", value);      \
    return value;                     \
  }
MF_SETTER(BackOpacity, 13)
MF_SETTER(WriteMode, 14)
MF_SETTER(LineStyle, 15)
MF_SETTER(LineWidth, 16)
MF_SETTER(InteriorStyle, 17)
MF_SETTER(Hatch, 18)
MF_SETTER(TextAlignment, 23)
MF_SETTER(MarkType, 24)
MF_SETTER(MarkSize, 25)
#undef MF_SETTER

void Stipple(cdCanvas* cv, int w, int h, const unsigned char* data) {
  FILE* f = Out(cv);
  std::fprintf(f, "19 %d %d\n", w, h);
  for (int row = 0; row < h; row++) {
    for (int col = 0; col < w; col++) std::fprintf(f, "%d ", data[size_t(row) * w + col] ? 1 : 0);
    std::fputc('\n', f);
  }
}

void Pattern(cdCanvas* cv, int w, int h, const long* colors) {
  FILE* f = Out(cv);
  std::fprintf(f, "20 %d %d\n", w, h);
  for (int row = 0; row < h; row++) {
    for (int col = 0; col < w; col++) {
      Color(f, colors[size_t(row) * w + col]);
      std::fputc(' ', f);
    }
    std::fputc('\n', f);
  }
}

void Font(cdCanvas* cv, int* face, int* style, int* size) {
  Rec(cv, "21 %d %d %d", *face, *style, *size);
}
void NativeFont(cdCanvas* cv, const char* font) {
  TextRec(cv, "22", font);
}

void Palette(cdCanvas* cv, int n, const long* colors, int mode) {
  FILE* f = Out(cv);
  std::fprintf(f, "26 %d %d\n", n, mode);
  for (int i = 0; i < n; i++) {
    Color(f, colors[i]);
    std::fputc('\n', f);
  }
}

long Background(cdCanvas* cv, long color) {
  std::fputs("27 ", Out(cv));
  Color(Out(cv), color);
  std::fputc('\n', Out(cv));
  return color;
}
long Foreground(cdCanvas* cv, long color) {
  std::fputs("28 ", Out(cv));
  Color(Out(cv), color);
  std::fputc('\n', Out(cv));
  return color;
}

/* the rectangle xmin..xmax x ymin..ymax of the image, as an image of its own */
void PutImageRectRGB(cdCanvas* cv, int iw, int, const unsigned char* r, const unsigned char* g,
                     const unsigned char* b, int x, int y, int w, int h, int xmin, int xmax,
                     int ymin, int ymax) {
  FILE* f = Out(cv);
  std::fprintf(f, "29 %d %d %d %d %d %d\n", xmax - xmin + 1, ymax - ymin + 1, x, y, w, h);
  for (int row = ymin; row <= ymax; row++) {
    for (int col = xmin; col <= xmax; col++) {
      size_t i = size_t(row) * size_t(iw) + size_t(col);
      std::fprintf(f, "%d %d %d ", r[i], g[i], b[i]);
    }
    std::fputc('\n', f);
  }
}

void PutImageRectRGBA(cdCanvas* cv, int iw, int, const unsigned char* r, const unsigned char* g,
                      const unsigned char* b, const unsigned char* a, int x, int y, int w, int h,
                      int xmin, int xmax, int ymin, int ymax) {
  FILE* f = Out(cv);
  std::fprintf(f, "35 %d %d %d %d %d %d\n", xmax - xmin + 1, ymax - ymin + 1, x, y, w, h);
  for (int row = ymin; row <= ymax; row++) {
    for (int col = xmin; col <= xmax; col++) {
      size_t i = size_t(row) * size_t(iw) + size_t(col);
      std::fprintf(f, "%d %d %d %d ", r[i], g[i], b[i], a[i]);
    }
    std::fputc('\n', f);
  }
}

void PutImageRectMap(cdCanvas* cv, int iw, int, const unsigned char* index, const long* colors,
                     int x, int y, int w, int h, int xmin, int xmax, int ymin, int ymax) {
  FILE* f = Out(cv);
  std::fprintf(f, "30 %d %d %d %d %d %d\n", xmax - xmin + 1, ymax - ymin + 1, x, y, w, h);
  int largest = 0;
  for (int row = ymin; row <= ymax; row++) {
    for (int col = xmin; col <= xmax; col++) {
      int v = index[size_t(row) * size_t(iw) + size_t(col)];
      if (v > largest) largest = v;
      std::fprintf(f, "%d ", v);
    }
    std::fputc('\n', f);
  }
  for (int i = 0; i <= largest; i++) {
    Color(f, colors[i]);
    std::fputc('\n', f);
  }
}

void Pixel(cdCanvas* cv, int x, int y, long color) {
  std::fprintf(Out(cv), "31 %d %d ", x, y);
  Color(Out(cv), color);
  std::fputc('\n', Out(cv));
}

void ScrollArea(cdCanvas* cv, int xmin, int xmax, int ymin, int ymax, int dx, int dy) {
  Rec(cv, "32 %d %d %d %d %d %d", xmin, xmax, ymin, ymax, dx, dy);
}

double TextOrientation(cdCanvas* cv, double angle) {
  Rec(cv, "33 %.15g", angle);
  return angle;
}

void Rect(cdCanvas* cv, int xmin, int xmax, int ymin, int ymax) {
  Rec(cv, "34 %d %d %d %d", xmin, xmax, ymin, ymax);
}

void WdLine(cdCanvas* cv, double x1, double y1, double x2, double y2) {
  Rec(cv, "36 %.15g %.15g %.15g %.15g", x1, y1, x2, y2);
}
void WdRect(cdCanvas* cv, double xmin, double xmax, double ymin, double ymax) {
  Rec(cv, "37 %.15g %.15g %.15g %.15g", xmin, xmax, ymin, ymax);
}
void WdBox(cdCanvas* cv, double xmin, double xmax, double ymin, double ymax) {
  Rec(cv, "38 %.15g %.15g %.15g %.15g", xmin, xmax, ymin, ymax);
}
void WdArc(cdCanvas* cv, double xc, double yc, double w, double h, double a1, double a2) {
  Rec(cv, "39 %.15g %.15g %.15g %.15g %.15g %.15g", xc, yc, w, h, a1, a2);
}
void WdSector(cdCanvas* cv, double xc, double yc, double w, double h, double a1, double a2) {
  Rec(cv, "40 %.15g %.15g %.15g %.15g %.15g %.15g", xc, yc, w, h, a1, a2);
}
void WdText(cdCanvas* cv, double x, double y, const char* s) {
  TextRec(cv, Head("41 %.15g %.15g", x, y).c_str(), s);
}
void WdMark(cdCanvas* cv, double x, double y) {
  Rec(cv, "43 %.15g %.15g", x, y);
}
void VectorText(cdCanvas* cv, int x, int y, const char* s) {
  TextRec(cv, Head("44 %d %d", x, y).c_str(), s);
}
void MultiLineVectorText(cdCanvas* cv, int x, int y, const char* s) {
  MultiLineTextRec(cv, Head("45 %d %d", x, y).c_str(), s);
}
void WdVectorText(cdCanvas* cv, double x, double y, const char* s) {
  TextRec(cv, Head("46 %.15g %.15g", x, y).c_str(), s);
}
void WdMultiLineVectorText(cdCanvas* cv, double x, double y, const char* s) {
  MultiLineTextRec(cv, Head("47 %.15g %.15g", x, y).c_str(), s);
}
void WdWindow(cdCanvas* cv, double xmin, double xmax, double ymin, double ymax) {
  Rec(cv, "48 %.15g %.15g %.15g %.15g", xmin, xmax, ymin, ymax);
}
void WdClipArea(cdCanvas* cv, double* xmin, double* xmax, double* ymin, double* ymax) {
  Rec(cv, "49 %.15g %.15g %.15g %.15g", *xmin, *xmax, *ymin, *ymax);
}
const char* VectorFont(cdCanvas* cv, const char* file) {
  TextRec(cv, "50", file ? file : "");
  return "Unknown";
}
void VectorTextDirection(cdCanvas* cv, int x1, int y1, int x2, int y2) {
  Rec(cv, "51 %d %d %d %d", x1, y1, x2, y2);
}
void VectorTextTransform(cdCanvas* cv, const double* m) {
  /* the reader takes the first six values; the last three complete the 3x3 form */
  static const double none[6] = {1, 0, 0, 0, 1, 0};
  const double* v = m ? m : none;
  Rec(cv, "52 %.15g %.15g %.15g %.15g %.15g %.15g 0 0 1", v[0], v[1], v[2], v[3], v[4], v[5]);
}
void VectorTextSize(cdCanvas* cv, int w, int h, const char* s) {
  TextRec(cv, Head("53 %d %d", w, h).c_str(), s);
}
int VectorCharSize(cdCanvas* cv, int size) {
  Rec(cv, "54 %d", size);
  return size;
}
void WdVectorTextDirection(cdCanvas* cv, double x1, double y1, double x2, double y2) {
  Rec(cv, "55 %.15g %.15g %.15g %.15g", x1, y1, x2, y2);
}
void WdVectorTextSize(cdCanvas* cv, double w, double h, const char* s) {
  TextRec(cv, Head("56 %.15g %.15g", w, h).c_str(), s);
}
double WdVectorCharSize(cdCanvas* cv, double size) {
  Rec(cv, "57 %.15g", size);
  return size;
}

void FillOperations(cdCanvas* cv) {
  cdOperations& o = cv->ops;
  o.Flush = Flush;
  o.Clear = Clear;
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
  o.ScrollArea = ScrollArea;
  o.VectorText = VectorText;
  o.MultiLineVectorText = MultiLineVectorText;
  o.WdMark = WdMark;
  o.WdLine = WdLine;
  o.WdPoly = WdPoly;
  o.WdRect = WdRect;
  o.WdBox = WdBox;
  o.WdArc = WdArc;
  o.WdSector = WdSector;
  o.WdText = WdText;
  o.WdVectorText = WdVectorText;
  o.WdMultiLineVectorText = WdMultiLineVectorText;
  o.Clip = Clip;
  o.ClipArea = ClipArea;
  o.BackOpacity = BackOpacity;
  o.WriteMode = WriteMode;
  o.MarkType = MarkType;
  o.MarkSize = MarkSize;
  o.LineStyle = LineStyle;
  o.LineWidth = LineWidth;
  o.InteriorStyle = InteriorStyle;
  o.Hatch = Hatch;
  o.Stipple = Stipple;
  o.Pattern = Pattern;
  o.Font = Font;
  o.NativeFont = NativeFont;
  o.TextAlignment = TextAlignment;
  o.TextOrientation = TextOrientation;
  o.Palette = Palette;
  o.Background = Background;
  o.Foreground = Foreground;
  o.PutImageRectRGBA = PutImageRectRGBA;
  o.WdWindow = WdWindow;
  o.WdClipArea = WdClipArea;
  o.VectorFont = VectorFont;
  o.VectorTextDirection = VectorTextDirection;
  o.VectorTextTransform = VectorTextTransform;
  o.VectorTextSize = VectorTextSize;
  o.VectorCharSize = VectorCharSize;
  o.WdVectorTextDirection = WdVectorTextDirection;
  o.WdVectorTextSize = WdVectorTextSize;
  o.WdVectorCharSize = WdVectorCharSize;
  o.KillCanvas = KillCanvas;
  o.Activate = Activate;
  o.Deactivate = Deactivate;
}

cdDriver metafile_driver = {
    CD_CAP_ALL & ~(CD_CAP_GETIMAGERGB | CD_CAP_IMAGESRV | CD_CAP_FONTDIM | CD_CAP_TEXTSIZE),
    CreateCanvas,
    FillOperations,
    cdmf::PlayFile,
    cdmf::RegisterCallback,
    "CD_METAFILE",
    CD_DATA_TEXT};

}  // namespace

cdDriver* cdContextMetafile(void) {
  return &metafile_driver;
}
