/* Canvas operations written as Windows metafile records. */
#include "cdgdiwriter.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "sim.h"

namespace cdgdi {
namespace {

constexpr double kDeg2Rad = 0.017453292519943295;

uint32_t ColorRef(long c) {
  return uint32_t(((c >> 16) & 0xFF) | (c & 0xFF00) | ((c & 0xFF) << 16));
}

/* a record under construction: a Windows metafile record counts its
 * size in 16-bit words before its function, an enhanced one its type
 * before its size in bytes (a multiple of 4) */
struct Record {
  Writer* w;
  size_t start;
  Record(Writer* writer, unsigned function) : w(writer), start(writer->records.size()) {
    if (w->emf) {
      w->records.u32(function);
      w->records.u32(0);
      return;
    }
    w->records.u32(0);
    w->records.u16(function);
  }
  Bytes& out() { return w->records; }
  ~Record() {
    if (w->emf) {
      while (w->records.size() % 4) w->records.u8(0);
      w->records.put32(start + 4, uint32_t(w->records.size() - start));
      w->record_count++;
      return;
    }
    size_t words = (w->records.size() - start) / 2;
    w->records.put32(start, uint32_t(words));
    w->largest_record = std::max(w->largest_record, uint32_t(words));
    w->record_count++;
  }
};

void Simple(Writer* w, unsigned function, std::initializer_list<int> words) {
  Record r(w, function);
  for (int v : words) r.out().i16(v);
}

/* the same record in both encodings: 16-bit words or 32-bit values */
void Both(Writer* w, unsigned wmf, std::initializer_list<int> words, unsigned emf,
          std::initializer_list<int> values) {
  if (!w->emf) {
    Simple(w, wmf, words);
    return;
  }
  Record r(w, emf);
  for (int v : values) r.out().i32(v);
}

int NewSlot(Writer* w) {
  for (size_t i = 0; i < w->slots.size(); i++)
    if (!w->slots[i]) {
      w->slots[i] = true;
      return int(i);
    }
  w->slots.push_back(true);
  w->max_objects = std::max(w->max_objects, w->slots.size());
  return int(w->slots.size() - 1);
}

void Delete(Writer* w, int index) {
  if (index < 0) return;
  Both(w, 0x01F0, {index}, 40, {index + 1}); /* enhanced handles start at 1 */
  w->slots[size_t(index)] = false;
}

void Select(Writer* w, int index) {
  Both(w, 0x012D, {index}, 37, {index + 1});
}

void UsePen(Writer* w, const Writer::Pen& pen) {
  if (w->pen_index >= 0 && w->pen_selected == pen) return;
  int index = NewSlot(w);
  if (w->emf) {
    Record r(w, 38);
    r.out().i32(index + 1);
    r.out().u32(unsigned(pen.style));
    r.out().i32(pen.width);
    r.out().i32(0);
    r.out().u32(pen.color);
  } else {
    Record r(w, 0x02FA);
    r.out().u16(unsigned(pen.style));
    r.out().i16(pen.width);
    r.out().i16(0);
    r.out().u32(pen.color);
  }
  Select(w, index);
  Delete(w, w->pen_index);
  w->pen_index = index;
  w->pen_selected = pen;
}

Writer::Pen LinePen(Writer* w) {
  static const int kStyles[5] = {0, 1, 2, 3, 4};
  int style = w->cv->line_style >= 0 && w->cv->line_style < 5 ? kStyles[w->cv->line_style] : 0;
  return {style, std::max(1, w->cv->line_width), ColorRef(w->cv->foreground)};
}
Writer::Pen NullPen() {
  return {5, 1, 0};
}

void WriteDibBrushBits(Writer* w, Bytes& out) {
  cdCanvas* cv = w->cv;
  int pw, ph;
  std::vector<unsigned char> r, g, b;
  if (cv->interior_style == CD_STIPPLE) {
    pw = cv->stipple_w, ph = cv->stipple_h;
  } else {
    pw = cv->pattern_w, ph = cv->pattern_h;
  }
  size_t n = size_t(pw) * size_t(ph);
  r.resize(n), g.resize(n), b.resize(n);
  for (size_t i = 0; i < n; i++) {
    long c = cv->interior_style == CD_STIPPLE ? (cv->stipple[i] ? cv->foreground : cv->background)
                                              : cv->pattern[i];
    r[i] = (c >> 16) & 0xFF, g[i] = (c >> 8) & 0xFF, b[i] = c & 0xFF;
  }
  AppendDibRGB(out, pw, r.data(), g.data(), b.data(), 0, pw - 1, 0, ph - 1);
}

void UseBrush(Writer* w, Writer::Brush brush) {
  if (w->brush_index >= 0 && w->brush_selected == brush) return;
  int index = NewSlot(w);
  if (w->emf && brush.style == 6) {
    Record r(w, 94);
    Bytes dib;
    WriteDibBrushBits(w, dib);
    r.out().i32(index + 1);
    r.out().u32(0);  /* DIB_RGB_COLORS */
    r.out().u32(32); /* the bitmap header right after these fields */
    r.out().u32(40);
    r.out().u32(72);
    r.out().u32(uint32_t(dib.size() - 40));
    r.out().b.insert(r.out().b.end(), dib.b.begin(), dib.b.end());
  } else if (w->emf) {
    Record r(w, 39);
    r.out().i32(index + 1);
    r.out().u32(unsigned(brush.style));
    r.out().u32(brush.color);
    r.out().u32(unsigned(brush.hatch));
  } else if (brush.style == 6) {
    Record r(w, 0x0142);
    r.out().u16(5); /* BS_DIBPATTERN */
    r.out().u16(0); /* DIB_RGB_COLORS */
    WriteDibBrushBits(w, r.out());
  } else {
    Record r(w, 0x02FC);
    r.out().u16(unsigned(brush.style));
    r.out().u32(brush.color);
    r.out().u16(unsigned(brush.hatch));
  }
  Select(w, index);
  Delete(w, w->brush_index);
  w->brush_index = index;
  w->brush_selected = brush;
}

/* the brush of the interior style; false when nothing is to be filled */
bool FillBrush(Writer* w) {
  cdCanvas* cv = w->cv;
  Writer::Brush b;
  b.color = ColorRef(cv->foreground);
  switch (cv->interior_style) {
    case CD_SOLID:
      b.style = 0;
      break;
    case CD_HATCH:
      b.style = 2;
      b.hatch = std::clamp(cv->hatch_style, 0, 5);
      break;
    case CD_STIPPLE:
      if (cv->stipple_w <= 0 || cv->stipple_h <= 0) return false;
      b.style = 6;
      b.color = 0;
      b.pattern_generation = w->pattern_generation;
      break;
    case CD_PATTERN:
      /* a Windows metafile cannot take a colour pattern brush: the brush stays */
      if (w->brush_index >= 0 && w->brush_selected.style != 1) return true;
      b.style = 0;
      break;
    default:
      return false;
  }
  UseBrush(w, b);
  return true;
}

void UseFont(Writer* w) {
  if (w->font_index >= 0 && w->font_selected == w->font_wanted) return;
  const Writer::Font& f = w->font_wanted;
  int index = NewSlot(w);
  if (w->emf) {
    Record r(w, 82);
    Bytes& o = r.out();
    o.i32(index + 1);
    o.i32(f.height);
    o.i32(0);
    o.i32(f.escapement);
    o.i32(f.escapement);
    o.i32(f.weight);
    for (unsigned v : {unsigned(f.italic), 0u, 0u, 0u, 4u, 0u, 0u, unsigned(f.pitch)}) o.u8(v);
    for (size_t i = 0; i < 32; i++)
      o.u16(i < f.face.size() && i < 31 ? static_cast<unsigned char>(f.face[i]) : 0);
  } else {
    Record r(w, 0x02FB);
    Bytes& o = r.out();
    o.i16(f.height);
    o.i16(0);
    o.i16(f.escapement);
    o.i16(f.escapement);
    o.i16(f.weight);
    o.u8(f.italic);
    o.u8(0);
    o.u8(0);
    o.u8(0); /* ANSI character set */
    o.u8(4); /* OUT_TT_PRECIS */
    o.u8(0);
    o.u8(0);
    o.u8(unsigned(f.pitch));
    char face[32] = {};
    std::strncpy(face, f.face.c_str(), 31);
    for (char c : face) o.u8(static_cast<unsigned char>(c));
  }
  Select(w, index);
  Delete(w, w->font_index);
  w->font_index = index;
  w->font_selected = f;
}

/* ---- operations ---- */

Writer* W(cdCanvas* cv) {
  return WriterOf(cv);
}

void OpPixel(cdCanvas* cv, int x, int y, long color) {
  if (W(cv)->emf) {
    Record r(W(cv), 15);
    r.out().i32(x);
    r.out().i32(y);
    r.out().u32(ColorRef(color));
    return;
  }
  Record r(W(cv), 0x041F);
  r.out().u32(ColorRef(color));
  r.out().i16(y);
  r.out().i16(x);
}

void OpLine(cdCanvas* cv, int x1, int y1, int x2, int y2) {
  Writer* w = W(cv);
  UsePen(w, LinePen(w));
  Both(w, 0x0214, {y1, x1}, 27, {x1, y1});
  Both(w, 0x0213, {y2, x2}, 54, {x2, y2});
  OpPixel(cv, x2, y2, cv->foreground); /* a line's last pixel is left out otherwise */
}

void Rectangle(Writer* w, int left, int top, int right, int bottom) {
  Both(w, 0x041B, {bottom, right, top, left}, 43, {left, top, right, bottom});
}

void OpRect(cdCanvas* cv, int xmin, int xmax, int ymin, int ymax) {
  Writer* w = W(cv);
  UsePen(w, LinePen(w));
  UseBrush(w, Writer::Brush{1, 0, 0, 0});
  Rectangle(w, xmin, ymin, xmax + 1, ymax + 1);
}

void OpBox(cdCanvas* cv, int xmin, int xmax, int ymin, int ymax) {
  Writer* w = W(cv);
  if (!FillBrush(w)) return;
  UsePen(w, NullPen());
  Rectangle(w, xmin, ymin, xmax + 2, ymax + 2);
}

void ArcRecord(Writer* w, unsigned function, int xc, int yc, int wd, int ht, double a1, double a2) {
  int x1 = xc + int(std::floor(std::cos(a1 * kDeg2Rad) * wd / 2 + 0.5));
  int y1 = yc - int(std::floor(std::sin(a1 * kDeg2Rad) * ht / 2 + 0.5));
  int x2 = xc + int(std::floor(std::cos(a2 * kDeg2Rad) * wd / 2 + 0.5));
  int y2 = yc - int(std::floor(std::sin(a2 * kDeg2Rad) * ht / 2 + 0.5));
  int l = xc - wd / 2, t = yc - ht / 2, r = xc + wd / 2 + 1, b = yc + ht / 2 + 1;
  Both(w, function, {y2, x2, y1, x1, b, r, t, l}, function == 0x0817 ? 45 : 47,
       {l, t, r, b, x1, y1, x2, y2});
}

void OpArc(cdCanvas* cv, int xc, int yc, int wd, int ht, double a1, double a2) {
  Writer* w = W(cv);
  UsePen(w, LinePen(w));
  ArcRecord(w, 0x0817, xc, yc, wd, ht, a1, a2);
}

void OpSector(cdCanvas* cv, int xc, int yc, int wd, int ht, double a1, double a2) {
  Writer* w = W(cv);
  if (!FillBrush(w)) return;
  UsePen(w, NullPen());
  ArcRecord(w, 0x081A, xc, yc, wd, ht, a1, a2);
}

void Points(Writer* w, unsigned function, const cdPoint* p, int n, bool close) {
  if (w->emf) {
    Record r(w, function == 0x0324 ? 3 : 4);
    int x0 = p[0].x, x1 = p[0].x, y0 = p[0].y, y1 = p[0].y;
    for (int i = 1; i < n; i++) {
      x0 = std::min(x0, p[i].x), x1 = std::max(x1, p[i].x);
      y0 = std::min(y0, p[i].y), y1 = std::max(y1, p[i].y);
    }
    for (int v : {x0, y0, x1, y1}) r.out().i32(v);
    r.out().i32(n + (close ? 1 : 0));
    for (int i = 0; i < n; i++) r.out().i32(p[i].x), r.out().i32(p[i].y);
    if (close) r.out().i32(p[0].x), r.out().i32(p[0].y);
    return;
  }
  Record r(w, function);
  r.out().i16(n + (close ? 1 : 0));
  for (int i = 0; i < n; i++) r.out().i16(p[i].x), r.out().i16(p[i].y);
  if (close) r.out().i16(p[0].x), r.out().i16(p[0].y);
}

void OpPoly(cdCanvas* cv, int mode, cdPoint* points, int n) {
  Writer* w = W(cv);
  if (n < 2 || n > 16000) return; /* a record holds at most 32767 words */
  switch (mode) {
    case CD_FILL:
      if (!FillBrush(w)) return;
      /* a solid fill gets its own colour as border, so it covers its edge pixels */
      UsePen(w, cv->interior_style == CD_SOLID ? Writer::Pen{0, 1, ColorRef(cv->foreground)}
                                               : NullPen());
      Points(w, 0x0324, points, n, false);
      break;
    case CD_OPEN_LINES:
      UsePen(w, LinePen(w));
      Points(w, 0x0325, points, n, false);
      break;
    case CD_CLOSED_LINES:
      UsePen(w, LinePen(w));
      Points(w, 0x0325, points, n, true);
      break;
    default: /* the clip polygon, kept for an enhanced metafile's clip path */
      if (w->emf) w->clip_polygon.assign(points, points + n);
      break;
  }
}

void OpText(cdCanvas* cv, int x, int y, const char* s) {
  Writer* w = W(cv);
  UseFont(w);
  size_t n = std::min<size_t>(std::strlen(s), 8000);
  if (w->emf) {
    int a = cv->text_alignment;
    if (a == CD_EAST || a == CD_WEST || a == CD_CENTER) {
      /* the anchor moves from the baseline to the middle of the text */
      int mw, th, asc, desc;
      cv->ops.FontDim(cv, &mw, &th, &asc, &desc);
      int off = th / 2 - desc;
      double t = cv->text_orientation * kDeg2Rad;
      if (cv->text_orientation != 0) {
        x += int(std::sin(t) * off);
        y += int(std::cos(t) * off);
      } else {
        y += off;
      }
    }
    Record r(w, 84);
    Bytes& o = r.out();
    for (int v : {0, 0, -1, -1}) o.i32(v); /* bounds not computed */
    o.u32(1);                              /* GM_COMPATIBLE */
    o.u32(0), o.u32(0);                    /* scales */
    o.i32(x), o.i32(y + 1);
    o.u32(uint32_t(n));
    size_t string_at = 76, dx_at = string_at + ((n * 2 + 3) & ~size_t(3));
    o.u32(uint32_t(string_at));
    o.u32(0);
    for (int v : {0, 0, -1, -1}) o.i32(v);
    o.u32(uint32_t(dx_at));
    for (size_t i = 0; i < n; i++) o.u16(static_cast<unsigned char>(s[i]));
    if (n & 1) o.u16(0);
    for (size_t i = 0; i < n; i++) {
      char one[2] = {s[i], 0};
      int cw = 0, ch = 0;
      cv->ops.TextSize(cv, one, &cw, &ch);
      o.i32(cw);
    }
    return;
  }
  Record r(w, 0x0521);
  r.out().i16(int(n));
  for (size_t i = 0; i < n; i++) r.out().u8(static_cast<unsigned char>(s[i]));
  if (n & 1) r.out().u8(0);
  r.out().i16(y + 1);
  r.out().i16(x);
}

void OpFont(cdCanvas* cv, int* face, int* style, int* size) {
  Writer* w = W(cv);
  Writer::Font& f = w->font_wanted;
  if (*size >= 0) {
    int px = int(std::lround(*size / CD_MM2PT * cv->xres));
    f.height = -px;
  } else {
    f.height = *size;
  }
  f.weight = (*style == CD_BOLD || *style == CD_BOLD_ITALIC) ? 700 : 400;
  f.italic = (*style == CD_ITALIC || *style == CD_BOLD_ITALIC) ? 1 : 0;
  switch (*face) {
    case CD_COURIER:
      f.face = "Courier New", f.pitch = 48;
      break;
    case CD_TIMES_ROMAN:
      f.face = "Times New Roman", f.pitch = 16;
      break;
    case CD_HELVETICA:
      f.face = "Arial", f.pitch = 32;
      break;
    default:
      f.face = "System", f.pitch = 0;
      break;
  }
}

double OpTextOrientation(cdCanvas* cv, double angle) {
  W(cv)->font_wanted.escapement = int(angle * 10);
  return angle;
}

int OpTextAlignment(cdCanvas* cv, int alignment) {
  /* TA_LEFT 0, TA_RIGHT 2, TA_CENTER 6; TA_TOP 0, TA_BOTTOM 8, TA_BASELINE 24 */
  static const int kFlags[12] = {6, 6 | 8, 2 | 24, 24, 2, 0, 2 | 8, 8, 6 | 24, 24, 6 | 24, 2 | 24};
  if (alignment >= 0 && alignment < 12)
    Both(W(cv), 0x012E, {kFlags[alignment]}, 22, {kFlags[alignment]});
  return alignment;
}

long OpForeground(cdCanvas* cv, long color) {
  Record r(W(cv), W(cv)->emf ? 24 : 0x0209);
  r.out().u32(ColorRef(color));
  return color;
}

long OpBackground(cdCanvas* cv, long color) {
  Record r(W(cv), W(cv)->emf ? 25 : 0x0201);
  r.out().u32(ColorRef(color));
  return color;
}

int OpBackOpacity(cdCanvas* cv, int opacity) {
  if (opacity == CD_OPAQUE) Both(W(cv), 0x0102, {2}, 18, {2});
  if (opacity == CD_TRANSPARENT) Both(W(cv), 0x0102, {1}, 18, {1});
  return opacity;
}

int OpWriteMode(cdCanvas* cv, int mode) {
  static const int kRop[3] = {13, 7, 10};
  if (mode >= 0 && mode < 3) Both(W(cv), 0x0104, {kRop[mode]}, 20, {kRop[mode]});
  return mode;
}

void OpStipple(cdCanvas* cv, int, int, const unsigned char*) {
  W(cv)->pattern_generation++;
}
void OpPattern(cdCanvas* cv, int, int, const long*) {
  W(cv)->pattern_generation++;
}

/* the attributes a RESTOREDC put back to those of the SAVEDC: selected again */
void Reselect(Writer* w) {
  if (w->pen_index >= 0) Select(w, w->pen_index);
  if (w->brush_index >= 0) Select(w, w->brush_index);
  if (w->font_index >= 0) Select(w, w->font_index);
  cdCanvas* cv = w->cv;
  OpForeground(cv, cv->foreground);
  OpBackground(cv, cv->background);
  OpBackOpacity(cv, cv->back_opacity);
  OpWriteMode(cv, cv->write_mode);
  OpTextAlignment(cv, cv->text_alignment);
}

/* The clip is a SAVEDC before the clip rectangle is intersected; lifting
 * it is the RESTOREDC, as a metafile has no way to widen a clip. */
int OpClip(cdCanvas* cv, int mode) {
  Writer* w = W(cv);
  if (w->clip_saved) {
    Both(w, 0x0127, {-1}, 34, {-1});
    w->clip_saved = false;
    Reselect(w);
  }
  if (mode == CD_CLIPAREA) {
    Both(w, 0x001E, {}, 33, {});
    w->clip_saved = true;
    Both(w, 0x0416, {cv->clip_ymax + 1, cv->clip_xmax + 1, cv->clip_ymin, cv->clip_xmin}, 30,
         {cv->clip_xmin, cv->clip_ymin, cv->clip_xmax + 1, cv->clip_ymax + 1});
  } else if (mode == CD_CLIPPOLYGON && w->emf && w->clip_polygon.size() >= 3) {
    /* an enhanced metafile clips to a path: the polygon between BEGINPATH
     * and ENDPATH, then SELECTCLIPPATH with RGN_COPY (5) */
    Both(w, 0x001E, {}, 33, {});
    w->clip_saved = true;
    { Record begin(w, 59); }
    Points(w, 0x0324, w->clip_polygon.data(), int(w->clip_polygon.size()), false);
    { Record end(w, 60); }
    {
      Record select(w, 67);
      select.out().u32(5);
    }
  }
  return mode;
}

void OpClipArea(cdCanvas*, int*, int*, int*, int*) {}

void StretchDib(Writer* w, int x, int y, int wd, int ht, int cols, int rows,
                const std::vector<uint8_t>& dib) {
  if (w->emf) {
    Record r(w, 81);
    Bytes& o = r.out();
    /* an 8-bit bitmap carries its 256 colours after the 40-byte header */
    uint32_t header = dib[14] == 8 ? 40 + 1024 : 40;
    for (int v : {x, y - ht + 1, x + wd - 1, y}) o.i32(v);
    for (int v : {x, y - ht + 1, 0, 0, cols, rows}) o.i32(v);
    o.u32(80), o.u32(header), o.u32(80 + header), o.u32(uint32_t(dib.size() - header));
    o.u32(0), o.u32(0x00CC0020), o.i32(wd), o.i32(ht);
    o.b.insert(o.b.end(), dib.begin(), dib.end());
    return;
  }
  Record r(w, 0x0F43);
  r.out().u32(0x00CC0020); /* SRCCOPY */
  r.out().u16(0);          /* DIB_RGB_COLORS */
  r.out().i16(rows);
  r.out().i16(cols);
  r.out().i16(0);
  r.out().i16(0);
  r.out().i16(ht);
  r.out().i16(wd);
  r.out().i16(y - ht + 1); /* y is the bottom row */
  r.out().i16(x);
  r.out().b.insert(r.out().b.end(), dib.begin(), dib.end());
}

/* a record holds 2^32 words, but readers take far less: images beyond
 * 16 MB of bits are left out */
bool ImageFits(int cols, int rows) {
  return double(cols) * rows * 3 < 16e6;
}

void OpPutImageRectRGB(cdCanvas* cv, int iw, int, const unsigned char* r, const unsigned char* g,
                       const unsigned char* b, int x, int y, int wd, int ht, int xmin, int xmax,
                       int ymin, int ymax) {
  if (!ImageFits(xmax - xmin + 1, ymax - ymin + 1)) return;
  Bytes dib;
  AppendDibRGB(dib, iw, r, g, b, xmin, xmax, ymin, ymax);
  StretchDib(W(cv), x, y, wd, ht, xmax - xmin + 1, ymax - ymin + 1, dib.b);
}

void OpPutImageRectMap(cdCanvas* cv, int iw, int, const unsigned char* index, const long* colors,
                       int x, int y, int wd, int ht, int xmin, int xmax, int ymin, int ymax) {
  if (!ImageFits(xmax - xmin + 1, ymax - ymin + 1)) return;
  Bytes dib;
  AppendDibMap(dib, iw, index, colors, xmin, xmax, ymin, ymax);
  StretchDib(W(cv), x, y, wd, ht, xmax - xmin + 1, ymax - ymin + 1, dib.b);
}

void OpClear(cdCanvas* cv) {
  Writer* w = W(cv);
  bool clipped = w->clip_saved;
  if (clipped) OpClip(cv, CD_CLIPOFF);
  UseBrush(w, Writer::Brush{0, ColorRef(cv->background), 0, 0});
  UsePen(w, NullPen());
  Rectangle(w, 0, 0, cv->w + 1, cv->h + 1);
  if (clipped) OpClip(cv, CD_CLIPAREA);
}

}  // namespace

void Writer::Begin() {
  if (!emf) {
    Simple(this, 0x020B, {0, 0});         /* SETWINDOWORG */
    Simple(this, 0x020C, {cv->h, cv->w}); /* SETWINDOWEXT */
  }
  Both(this, 0x0107, {3}, 21, {3}); /* SETSTRETCHBLTMODE COLORONCOLOR */
  Both(this, 0x0106, {1}, 19, {1}); /* SETPOLYFILLMODE ALTERNATE */
  Both(this, 0x0102, {2}, 18, {2}); /* SETBKMODE OPAQUE */
  OpForeground(cv, cv->foreground);
  OpBackground(cv, cv->background);
  OpTextAlignment(cv, cv->text_alignment);
  int face = cv->font_face, style = cv->font_style, size = cv->font_size;
  OpFont(cv, &face, &style, &size);
}

std::vector<uint8_t> Writer::Finish() {
  if (emf) return FinishEnhanced();
  if (clip_saved) Simple(this, 0x0127, {-1});
  { Record eof(this, 0); }
  Bytes out;
  /* placeable header: key, handle, box, units per inch, reserved, checksum */
  out.u32(0x9AC6CDD7);
  out.u16(0);
  out.i16(0);
  out.i16(0);
  out.i16(cv->w);
  out.i16(cv->h);
  out.u16(100);
  out.u32(0);
  unsigned sum = 0;
  for (size_t i = 0; i < 20; i += 2) sum ^= unsigned(out.b[i] | out.b[i + 1] << 8);
  out.u16(sum);
  /* the metafile header: memory metafile, 9 words, version 3 */
  out.u16(1);
  out.u16(9);
  out.u16(0x0300);
  out.u32(uint32_t(9 + records.size() / 2));
  out.u16(unsigned(std::max<size_t>(max_objects, 1)));
  out.u32(largest_record);
  out.u16(0);
  out.b.insert(out.b.end(), records.b.begin(), records.b.end());
  return out.b;
}

/* the header (bounds in pixels, frame in 0.01 mm, reference device of the
 * canvas' size and millimetres), the records and the end record */
std::vector<uint8_t> Writer::FinishEnhanced() {
  if (clip_saved) Both(this, 0x0127, {-1}, 34, {-1});
  {
    Record eof(this, 14);
    eof.out().u32(0), eof.out().u32(16), eof.out().u32(20);
  }
  Bytes out;
  out.u32(1);
  out.u32(108);
  for (int v : {0, 0, cv->w - 1, cv->h - 1}) out.i32(v);
  for (int v : {0, 0, int(cv->w * 100 / cv->xres), int(cv->h * 100 / cv->yres)}) out.i32(v);
  out.u32(0x464D4520); /* " EMF" */
  out.u32(0x10000);
  out.u32(uint32_t(108 + records.size()));
  out.u32(record_count + 1);
  out.u16(unsigned(max_objects + 1));
  out.u16(0);
  out.u32(0), out.u32(0), out.u32(0);
  out.i32(cv->w), out.i32(cv->h);
  out.i32(int(std::lround(cv->w_mm))), out.i32(int(std::lround(cv->h_mm)));
  out.u32(0), out.u32(0), out.u32(0);
  out.i32(int(std::lround(cv->w_mm * 1000))), out.i32(int(std::lround(cv->h_mm * 1000)));
  out.b.insert(out.b.end(), records.b.begin(), records.b.end());
  return out.b;
}

void Writer::Install(cdOperations& o) {
  o.Clear = OpClear;
  o.Pixel = OpPixel;
  o.Line = OpLine;
  o.Poly = OpPoly;
  o.Rect = OpRect;
  o.Box = OpBox;
  o.Arc = OpArc;
  o.Sector = OpSector;
  o.Text = OpText;
  o.PutImageRectRGB = OpPutImageRectRGB;
  o.PutImageRectMap = OpPutImageRectMap;
  o.Clip = OpClip;
  o.ClipArea = OpClipArea;
  o.BackOpacity = OpBackOpacity;
  o.WriteMode = OpWriteMode;
  o.Stipple = OpStipple;
  o.Pattern = OpPattern;
  o.Font = OpFont;
  o.TextAlignment = OpTextAlignment;
  o.TextOrientation = OpTextOrientation;
  o.Background = OpBackground;
  o.Foreground = OpForeground;
}

}  // namespace cdgdi
