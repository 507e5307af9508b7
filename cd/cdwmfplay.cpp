/* The players of Windows and enhanced metafiles: records read from a byte
 * buffer, every size, count, offset and object index checked against the
 * buffer and the object table, and turned into calls on the active canvas.
 * Pens, brushes and text colours are separate in a metafile but one
 * foreground on a canvas: each primitive sets the foreground of what draws
 * it. */
#include <algorithm>
#include <cmath>
#include <cstring>
#include <new>
#include <string>
#include <memory>
#include <vector>

#include "cd.h"
#include "cdgdifile.h"

cdCallback cdWMFSizeCallback(void);

namespace {

using cdgdi::Reader;

struct Object {
  enum Kind { kNone, kPen, kBrush, kFont, kOther } kind = kNone;
  int style = 0, width = 1, hatch = 0;
  long color = 0;
  int height = 0, escapement = 0, weight = 400, italic = 0, family = 0;
  std::string face;
};

struct DcState {
  Object pen, brush, font;
  long text_color = 0, bk_color = 0xFFFFFF;
  int bk_mode = 2, rop = 13, align = 0;
  bool clipped = false;
  double cx0 = 0, cy0 = 0, cx1 = 0, cy1 = 0; /* clip, metafile units */
  /* a clip path, shared by the saved states (a hostile file saves up to
   * 1000 of them); it wins over the rectangle */
  std::shared_ptr<const std::vector<std::pair<double, double>>> clip_polygon;
};

struct Player {
  Reader in;
  cdgdi::Mapping map;
  std::vector<Object> objects;
  DcState dc;
  std::vector<DcState> saved;
  double posx = 0, posy = 0;
  Player(const uint8_t* p, size_t n) : in(p, n) {
    dc.pen.kind = Object::kPen;
    dc.brush.kind = Object::kBrush;
    dc.brush.color = 0xFFFFFF;
  }
};

long Color(uint32_t ref) {
  return long((ref & 0xFF) << 16 | (ref & 0xFF00) | ((ref >> 16) & 0xFF));
}

bool PenVisible(const Player& pl) {
  return pl.dc.pen.style != 5;
}

void ApplyPen(Player& pl) {
  static const int kStyles[5] = {CD_CONTINUOUS, CD_DASHED, CD_DOTTED, CD_DASH_DOT, CD_DASH_DOT_DOT};
  const Object& p = pl.dc.pen;
  cdLineStyle(p.style >= 0 && p.style < 5 ? kStyles[p.style] : CD_CONTINUOUS);
  int width = p.width <= 0 ? 1 : pl.map.W(p.width);
  cdLineWidth(std::min(width, 1000));
  cdForeground(p.color);
}

/* false when the brush fills nothing */
bool ApplyBrush(Player& pl) {
  const Object& b = pl.dc.brush;
  cdForeground(b.color);
  switch (b.style) {
    case 1:
      return false;
    case 2:
      cdHatch(std::clamp(b.hatch, 0, 5));
      cdInteriorStyle(CD_HATCH);
      break;
    default:
      cdInteriorStyle(CD_SOLID);
      break;
  }
  return true;
}

void ApplyClip(Player& pl) {
  if (pl.dc.clip_polygon) {
    cdBegin(CD_CLIP);
    for (const auto& v : *pl.dc.clip_polygon) cdVertex(pl.map.X(v.first), pl.map.Y(v.second));
    cdEnd();
    cdClip(CD_CLIPPOLYGON);
    return;
  }
  if (!pl.dc.clipped) {
    cdClip(CD_CLIPOFF);
    return;
  }
  int x0 = pl.map.X(pl.dc.cx0), x1 = pl.map.X(pl.dc.cx1) - 1;
  int y0 = pl.map.Y(pl.dc.cy0), y1 = pl.map.Y(pl.dc.cy1) + 1;
  cdClipArea(std::min(x0, x1), std::max(x0, x1), std::min(y0, y1), std::max(y0, y1));
  cdClip(CD_CLIPAREA);
}

void ApplyState(Player& pl) {
  cdBackground(pl.dc.bk_color);
  cdBackOpacity(pl.dc.bk_mode == 1 ? CD_TRANSPARENT : CD_OPAQUE);
  cdWriteMode(pl.dc.rop == 10 ? CD_NOT_XOR : pl.dc.rop == 7 ? CD_XOR : CD_REPLACE);
  ApplyClip(pl);
}

int NewObject(Player& pl, const Object& o) {
  for (Object& slot : pl.objects)
    if (slot.kind == Object::kNone) {
      slot = o;
      return 0;
    }
  return -1; /* the table is full: the object is dropped */
}

void Vertex(Player& pl, int x, int y) {
  cdVertex(pl.map.X(x), pl.map.Y(y));
}

void PolyPoints(Player& pl, size_t at, size_t n, int mode) {
  if (n < 2) return;
  cdBegin(mode);
  for (size_t i = 0; i < n; i++) Vertex(pl, pl.in.i16(at + 4 * i), pl.in.i16(at + 4 * i + 2));
  cdEnd();
}

void Polygon(Player& pl, size_t at, size_t n) {
  if (ApplyBrush(pl)) PolyPoints(pl, at, n, CD_FILL);
  if (PenVisible(pl)) {
    ApplyPen(pl);
    PolyPoints(pl, at, n, CD_CLOSED_LINES);
  }
}

void Rectangle(Player& pl, int left, int top, int right, int bottom) {
  if (left > right) std::swap(left, right);
  if (top > bottom) std::swap(top, bottom);
  /* with a pen the shape reaches right - 1, without one right - 2 */
  int inset = PenVisible(pl) ? 1 : 2;
  int x0 = pl.map.X(left), x1 = pl.map.X(right) - inset;
  int y0 = pl.map.Y(top), y1 = pl.map.Y(bottom) + inset;
  if (x1 < x0) x1 = x0;
  if (y1 > y0) y1 = y0;
  if (ApplyBrush(pl)) cdBox(x0, x1, y1, y0);
  if (PenVisible(pl)) {
    ApplyPen(pl);
    cdRect(x0, x1, y1, y0);
  }
}

/* ARC, PIE, CHORD, ELLIPSE: box and radial points in metafile units */
void Elliptic(Player& pl, unsigned kind, int left, int top, int right, int bottom, int xs, int ys,
              int xe, int ye) {
  int x0 = pl.map.X(left), x1 = pl.map.X(right), y0 = pl.map.Y(top), y1 = pl.map.Y(bottom);
  int w = std::abs(x1 - x0), h = std::abs(y1 - y0);
  if (w == 0 || h == 0) return;
  double cx = (x0 + x1) / 2.0, cy = (y0 + y1) / 2.0;
  double a1 = 0, a2 = 360;
  if (kind != 0) {
    a1 = std::atan2((pl.map.Y(ys) - cy) / h, (pl.map.X(xs) - cx) / w) * CD_RAD2DEG;
    a2 = std::atan2((pl.map.Y(ye) - cy) / h, (pl.map.X(xe) - cx) / w) * CD_RAD2DEG;
    if (a2 <= a1) a2 += 360;
  }
  int icx = int(std::floor(cx + 0.5)), icy = int(std::floor(cy + 0.5));
  if (kind != 1 && ApplyBrush(pl)) cdSector(icx, icy, w, h, a1, a2);
  if (PenVisible(pl)) {
    ApplyPen(pl);
    cdArc(icx, icy, w, h, a1, a2);
  }
}

void Text(Player& pl, int x, int y, const uint8_t* s, size_t n) {
  std::string text(reinterpret_cast<const char*>(s), n);
  text.resize(strnlen(text.c_str(), n));
  if (text.empty()) return;
  const Object& f = pl.dc.font;
  int face = CD_SYSTEM;
  std::string lower = f.face;
  for (char& c : lower) c = char(std::tolower(static_cast<unsigned char>(c)));
  int family = f.family & 0xF0;
  if (lower.find("times") != std::string::npos || family == 0x10)
    face = CD_TIMES_ROMAN;
  else if (lower.find("arial") != std::string::npos || lower.find("helv") != std::string::npos ||
           family == 0x20)
    face = CD_HELVETICA;
  else if (lower.find("courier") != std::string::npos || family == 0x30)
    face = CD_COURIER;
  int style = (f.weight > 699 ? CD_BOLD : CD_PLAIN) | (f.italic ? CD_ITALIC : 0);
  double px = std::max(10, pl.map.H(f.height == 0 ? 12 : f.height));
  double xres = 3.78;
  cdCanvasHandle cv = cdActiveCanvas();
  if (cv) {
    int wpx, hpx;
    double wmm, hmm;
    cdGetCanvasSize(&wpx, &hpx, &wmm, &hmm);
    if (wmm > 0) xres = wpx / wmm;
  }
  cdFont(face, style, int(std::lround(px / xres * 2.835)));
  cdTextOrientation(f.escapement / 10.0);
  int align = pl.dc.align & ~1;
  int h = align & 6, v = align & 24;
  int cd_align = v == 24  ? (h == 2   ? CD_BASE_RIGHT
                             : h == 6 ? CD_BASE_CENTER
                                      : CD_BASE_LEFT)
                 : v == 8 ? (h == 2   ? CD_SOUTH_EAST
                             : h == 6 ? CD_SOUTH
                                      : CD_SOUTH_WEST)
                          : (h == 2   ? CD_NORTH_EAST
                             : h == 6 ? CD_NORTH
                                      : CD_NORTH_WEST);
  cdTextAlignment(cd_align);
  cdForeground(pl.dc.text_color);
  cdText(pl.map.X(x), pl.map.Y(y), text.c_str());
}

void Image(Player& pl, size_t dib_at, size_t dib_size, int xd, int yd, int wd, int hd, int xs,
           int ys, int ws, int hs, bool src_from_top) {
  cdgdi::Dib dib;
  if (!cdgdi::DecodeDib(pl.in.p + dib_at, dib_size, 0, 0, dib)) return;
  int x0 = pl.map.X(xd), x1 = pl.map.X(xd + wd), y0 = pl.map.Y(yd), y1 = pl.map.Y(yd + hd);
  int w = std::abs(x1 - x0), h = std::abs(y1 - y0);
  if (w == 0 || h == 0) return;
  if (ws < 0) ws = -ws;
  if (hs < 0) hs = -hs;
  int xmin = std::clamp(xs, 0, dib.w - 1), xmax = std::clamp(xs + ws - 1, 0, dib.w - 1);
  int top = src_from_top ? dib.h - ys - hs : ys;
  int ymin = std::clamp(top, 0, dib.h - 1), ymax = std::clamp(top + hs - 1, 0, dib.h - 1);
  if (ws == 0 || hs == 0) xmin = 0, xmax = dib.w - 1, ymin = 0, ymax = dib.h - 1;
  cdPutImageRectRGB(dib.w, dib.h, dib.r.data(), dib.g.data(), dib.b.data(), std::min(x0, x1),
                    std::min(y0, y1), w, h, xmin, xmax, ymin, ymax);
}

/* One pass over the records from `start`; with `bounds` only the points
 * are gathered into the mapping's bounds. */
void Records(Player& pl, size_t start, bool bounds, bool& have) {
  Reader& in = pl.in;
  auto grow = [&](double x, double y) {
    if (!bounds) return;
    if (!have) {
      pl.map.minx = pl.map.maxx = x, pl.map.miny = pl.map.maxy = y;
      have = true;
      return;
    }
    pl.map.minx = std::min(pl.map.minx, x), pl.map.maxx = std::max(pl.map.maxx, x);
    pl.map.miny = std::min(pl.map.miny, y), pl.map.maxy = std::max(pl.map.maxy, y);
  };
  size_t at = start;
  while (in.has(at, 6)) {
    uint32_t words = in.u32(at);
    unsigned function = in.u16(at + 4);
    /* a record holds at least its size and function; it must end inside the buffer */
    if (words < 3 || !in.has(at, size_t(words) * 2)) break;
    size_t len = size_t(words) * 2, p = at + 6, params = len - 6;
    auto w16 = [&](size_t i) { return i * 2 + 2 <= params ? in.i16(p + i * 2) : 0; };
    if (function == 0) break;
    switch (function) {
      case 0x0102: /* SETBKMODE */
        pl.dc.bk_mode = w16(0);
        if (!bounds) cdBackOpacity(pl.dc.bk_mode == 1 ? CD_TRANSPARENT : CD_OPAQUE);
        break;
      case 0x0104: /* SETROP2 */
        pl.dc.rop = w16(0);
        if (!bounds) ApplyState(pl);
        break;
      case 0x012E: /* SETTEXTALIGN */
        pl.dc.align = w16(0) & 0xFFFF;
        break;
      case 0x0209: /* SETTEXTCOLOR */
        if (params >= 4) pl.dc.text_color = Color(in.u32(p));
        break;
      case 0x0201: /* SETBKCOLOR */
        if (params >= 4) pl.dc.bk_color = Color(in.u32(p));
        if (!bounds) cdBackground(pl.dc.bk_color);
        break;
      case 0x02FA: { /* CREATEPENINDIRECT */
        Object o;
        o.kind = Object::kPen;
        o.style = w16(0) & 0xFF;
        o.width = w16(1);
        if (params >= 10) o.color = Color(in.u32(p + 6));
        NewObject(pl, o);
        break;
      }
      case 0x02FC: { /* CREATEBRUSHINDIRECT */
        Object o;
        o.kind = Object::kBrush;
        o.style = w16(0);
        if (params >= 6) o.color = Color(in.u32(p + 2));
        o.hatch = w16(3);
        NewObject(pl, o);
        break;
      }
      case 0x0142:   /* DIBCREATEPATTERNBRUSH: a solid brush of the pattern's middle grey */
      case 0x01F9: { /* CREATEPATTERNBRUSH */
        Object o;
        o.kind = Object::kBrush;
        o.style = 0;
        o.color = 0x808080;
        NewObject(pl, o);
        break;
      }
      case 0x02FB: { /* CREATEFONTINDIRECT */
        Object o;
        o.kind = Object::kFont;
        o.height = w16(0);
        o.escapement = w16(2);
        o.weight = w16(4);
        o.italic = params >= 11 ? in.u8(p + 10) : 0;
        o.family = params >= 18 ? in.u8(p + 17) : 0;
        for (size_t i = 18; i < params && i < 18 + 32; i++) {
          unsigned c = in.u8(p + i);
          if (!c) break;
          o.face += char(c);
        }
        NewObject(pl, o);
        break;
      }
      case 0x00F7:   /* CREATEPALETTE */
      case 0x06FF: { /* CREATEREGION */
        Object o;
        o.kind = Object::kOther;
        NewObject(pl, o);
        break;
      }
      case 0x012D: { /* SELECTOBJECT */
        unsigned index = unsigned(w16(0)) & 0xFFFF;
        if (index >= pl.objects.size()) break; /* beyond the table: ignored */
        const Object& o = pl.objects[index];
        if (o.kind == Object::kPen) pl.dc.pen = o;
        if (o.kind == Object::kBrush) pl.dc.brush = o;
        if (o.kind == Object::kFont) pl.dc.font = o;
        break;
      }
      case 0x01F0: { /* DELETEOBJECT */
        unsigned index = unsigned(w16(0)) & 0xFFFF;
        if (index < pl.objects.size()) pl.objects[index] = Object();
        break;
      }
      case 0x001E: /* SAVEDC */
        if (pl.saved.size() < 1000) pl.saved.push_back(pl.dc);
        break;
      case 0x0127: { /* RESTOREDC */
        int n = w16(0);
        size_t depth = n < 0 ? size_t(-n)
                             : (size_t(n) <= pl.saved.size() ? pl.saved.size() - size_t(n) + 1 : 0);
        if (depth == 0 || depth > pl.saved.size()) break;
        pl.dc = pl.saved[pl.saved.size() - depth];
        pl.saved.resize(pl.saved.size() - depth);
        if (!bounds) ApplyState(pl);
        break;
      }
      case 0x0416: { /* INTERSECTCLIPRECT */
        double b = w16(0), r = w16(1), t = w16(2), l = w16(3);
        if (pl.dc.clipped) {
          l = std::max(l, pl.dc.cx0), t = std::max(t, pl.dc.cy0);
          r = std::min(r, pl.dc.cx1), b = std::min(b, pl.dc.cy1);
        }
        pl.dc.clipped = true;
        pl.dc.cx0 = l, pl.dc.cy0 = t, pl.dc.cx1 = std::max(l, r), pl.dc.cy1 = std::max(t, b);
        if (!bounds) ApplyClip(pl);
        break;
      }
      case 0x0214: /* MOVETO */
        pl.posy = w16(0), pl.posx = w16(1);
        break;
      case 0x0213: { /* LINETO */
        double y = w16(0), x = w16(1);
        grow(pl.posx, pl.posy), grow(x, y);
        if (!bounds && PenVisible(pl)) {
          ApplyPen(pl);
          cdLine(pl.map.X(pl.posx), pl.map.Y(pl.posy), pl.map.X(x), pl.map.Y(y));
        }
        pl.posx = x, pl.posy = y;
        break;
      }
      case 0x041F: /* SETPIXEL */
        grow(w16(3), w16(2));
        if (!bounds && params >= 8) cdPixel(pl.map.X(w16(3)), pl.map.Y(w16(2)), Color(in.u32(p)));
        break;
      case 0x0324:   /* POLYGON */
      case 0x0325: { /* POLYLINE */
        size_t n = size_t(unsigned(w16(0)) & 0xFFFF);
        if (2 + n * 4 > params) break; /* more points than the record holds */
        for (size_t i = 0; i < n; i++) grow(in.i16(p + 2 + 4 * i), in.i16(p + 4 + 4 * i));
        if (bounds) break;
        if (function == 0x0324) {
          Polygon(pl, p + 2, n);
        } else if (PenVisible(pl)) {
          ApplyPen(pl);
          PolyPoints(pl, p + 2, n, CD_OPEN_LINES);
        }
        break;
      }
      case 0x0538: { /* POLYPOLYGON */
        size_t polys = size_t(unsigned(w16(0)) & 0xFFFF);
        size_t total = 0;
        if (2 + polys * 2 > params) break;
        for (size_t i = 0; i < polys; i++) total += unsigned(w16(1 + i)) & 0xFFFF;
        size_t pts = p + 2 + polys * 2;
        if (2 + polys * 2 + total * 4 > params) break;
        for (size_t i = 0; i < polys; i++) {
          size_t n = unsigned(w16(1 + i)) & 0xFFFF;
          for (size_t k = 0; k < n; k++) grow(in.i16(pts + 4 * k), in.i16(pts + 4 * k + 2));
          if (!bounds) Polygon(pl, pts, n);
          pts += n * 4;
        }
        break;
      }
      case 0x041B: /* RECTANGLE */
      case 0x061C: /* ROUNDRECT (bottom, right, top, left after the corner) */
      {
        size_t o = function == 0x061C ? 2 : 0;
        int b = w16(o), r = w16(o + 1), t = w16(o + 2), l = w16(o + 3);
        grow(l, t), grow(r, b);
        if (!bounds) Rectangle(pl, l, t, r, b);
        break;
      }
      case 0x0418: { /* ELLIPSE */
        int b = w16(0), r = w16(1), t = w16(2), l = w16(3);
        grow(l, t), grow(r, b);
        if (!bounds) Elliptic(pl, 0, l, t, r, b, 0, 0, 0, 0);
        break;
      }
      case 0x0817:   /* ARC */
      case 0x081A:   /* PIE */
      case 0x0830: { /* CHORD */
        int ye = w16(0), xe = w16(1), ys = w16(2), xs = w16(3);
        int b = w16(4), r = w16(5), t = w16(6), l = w16(7);
        grow(l, t), grow(r, b);
        if (!bounds) Elliptic(pl, function == 0x0817 ? 1 : 2, l, t, r, b, xs, ys, xe, ye);
        break;
      }
      case 0x0521: { /* TEXTOUT */
        size_t n = size_t(unsigned(w16(0)) & 0xFFFF);
        size_t padded = (n + 1) & ~size_t(1);
        if (2 + padded + 4 > params) break;
        int y = in.i16(p + 2 + padded), x = in.i16(p + 4 + padded);
        grow(x, y);
        if (!bounds) Text(pl, x, y, in.p + p + 2, n);
        break;
      }
      case 0x0A32: { /* EXTTEXTOUT */
        int y = w16(0), x = w16(1);
        size_t n = size_t(unsigned(w16(2)) & 0xFFFF);
        unsigned options = unsigned(w16(3)) & 0xFFFF;
        size_t s = 8 + ((options & 6) ? 8 : 0);
        if (s + n > params) break;
        grow(x, y);
        if (!bounds) Text(pl, x, y, in.p + p + s, n);
        break;
      }
      case 0x0F43: { /* STRETCHDIB */
        if (params < 22) break;
        int hs = w16(3), ws = w16(4), ys = w16(5), xs = w16(6);
        int hd = w16(7), wd = w16(8), yd = w16(9), xd = w16(10);
        grow(xd, yd), grow(xd + wd, yd + hd);
        if (!bounds) Image(pl, p + 22, params - 22, xd, yd, wd, hd, xs, ys, ws, hs, false);
        break;
      }
      case 0x0B41: { /* DIBSTRETCHBLT */
        if (params < 20) break;
        int hs = w16(2), ws = w16(3), ys = w16(4), xs = w16(5);
        int hd = w16(6), wd = w16(7), yd = w16(8), xd = w16(9);
        grow(xd, yd), grow(xd + wd, yd + hd);
        if (!bounds) Image(pl, p + 20, params - 20, xd, yd, wd, hd, xs, ys, ws, hs, true);
        break;
      }
      case 0x0940: { /* DIBBITBLT */
        if (params < 16) break;
        int ys = w16(2), xs = w16(3), hd = w16(4), wd = w16(5), yd = w16(6), xd = w16(7);
        grow(xd, yd), grow(xd + wd, yd + hd);
        if (!bounds) Image(pl, p + 16, params - 16, xd, yd, wd, hd, xs, ys, wd, hd, true);
        break;
      }
      default:
        break;
    }
    at += len;
  }
}

}  // namespace

int cdPlayWMFMemory(const unsigned char* data, size_t size, int xmin, int xmax, int ymin,
                    int ymax) {
  if (!data || !cdActiveCanvas()) return CD_ERROR;
  Player pl(data, size);
  Reader& in = pl.in;
  size_t header = 0;
  bool placeable = in.u32(0) == 0x9AC6CDD7u;
  if (placeable) {
    if (size < 22) return CD_ERROR;
    double l = in.i16(6), t = in.i16(8), r = in.i16(10), b = in.i16(12);
    pl.map.minx = std::min(l, r), pl.map.maxx = std::max(l, r);
    pl.map.miny = std::min(t, b), pl.map.maxy = std::max(t, b);
    header = 22;
  }
  /* the standard header: type, header size in words (9), version, size,
   * object count, largest record, 0 */
  if (!in.has(header, 18)) return CD_ERROR;
  unsigned header_words = in.u16(header + 2);
  if (header_words < 9 || !in.has(header, size_t(header_words) * 2)) return CD_ERROR;
  unsigned objects = in.u16(header + 10);
  try {
    pl.objects.resize(objects);
  } catch (const std::bad_alloc&) {
    return CD_ERROR;
  }
  size_t start = header + size_t(header_words) * 2;
  bool have = placeable && pl.map.maxx > pl.map.minx && pl.map.maxy > pl.map.miny;
  if (!have || (xmax != 0 && ymax != 0)) {
    Player scan(data, size);
    scan.map = pl.map;
    scan.objects.resize(objects);
    Records(scan, start, true, have);
    pl.map.minx = scan.map.minx, pl.map.maxx = scan.map.maxx;
    pl.map.miny = scan.map.miny, pl.map.maxy = scan.map.maxy;
  }
  pl.map.Fit(xmin, xmax, ymin, ymax);
  if (placeable &&
      cdgdi::CallSize(cdWMFSizeCallback(), pl.map.maxx - pl.map.minx, pl.map.maxy - pl.map.miny))
    return CD_ERROR;
  ApplyState(pl);
  Records(pl, start, false, have);
  cdClip(CD_CLIPOFF);
  return CD_OK;
}

/* ---- enhanced metafiles: the same drawing state, 32-bit records ---- */

cdCallback cdEMFSizeCallback(void);

namespace {

using Figure = std::vector<std::pair<double, double>>;

void Figures(Player& pl, const std::vector<Figure>& figures, bool fill, bool stroke) {
  if (fill && ApplyBrush(pl)) {
    for (const Figure& f : figures) {
      if (f.size() < 3) continue;
      cdBegin(CD_FILL);
      for (const auto& v : f) Vertex(pl, int(v.first), int(v.second));
      cdEnd();
    }
  }
  if (stroke && PenVisible(pl)) {
    ApplyPen(pl);
    for (const Figure& f : figures) {
      if (f.size() < 2) continue;
      cdBegin(fill ? CD_CLOSED_LINES : CD_OPEN_LINES);
      for (const auto& v : f) Vertex(pl, int(v.first), int(v.second));
      cdEnd();
    }
  }
}

/* cubic Bezier pieces after a start point, flattened into 8 steps each */
void Bezier(Figure& f, const Figure& controls) {
  for (size_t i = 0; i + 2 < controls.size(); i += 3) {
    auto p0 = f.empty() ? controls[i] : f.back();
    auto p1 = controls[i], p2 = controls[i + 1], p3 = controls[i + 2];
    for (int k = 1; k <= 8; k++) {
      double t = k / 8.0, u = 1 - t;
      f.push_back({u * u * u * p0.first + 3 * u * u * t * p1.first + 3 * u * t * t * p2.first +
                       t * t * t * p3.first,
                   u * u * u * p0.second + 3 * u * u * t * p1.second + 3 * u * t * t * p2.second +
                       t * t * t * p3.second});
    }
  }
}

void EmfRecords(Player& pl, size_t start, bool bounds, bool& have) {
  Reader& in = pl.in;
  auto grow = [&](double x, double y) {
    if (!bounds) return;
    if (!have) {
      pl.map.minx = pl.map.maxx = x, pl.map.miny = pl.map.maxy = y;
      have = true;
      return;
    }
    pl.map.minx = std::min(pl.map.minx, x), pl.map.maxx = std::max(pl.map.maxx, x);
    pl.map.miny = std::min(pl.map.miny, y), pl.map.maxy = std::max(pl.map.maxy, y);
  };
  bool in_path = false;
  std::vector<Figure> path;
  size_t at = start;
  while (in.has(at, 8)) {
    uint32_t type = in.u32(at), size = in.u32(at + 4);
    /* a record holds at least its type and size; it must end inside the buffer */
    if (size < 8 || (size & 3) || !in.has(at, size)) break;
    size_t p = at + 8, params = size - 8;
    auto v32 = [&](size_t i) { return i * 4 + 4 <= params ? in.i32(p + i * 4) : 0; };
    auto points = [&](size_t off, size_t n, bool wide) {
      Figure f;
      size_t step = wide ? 8 : 4;
      if (n > (params - std::min(params, off)) / step) return f; /* more than the record holds */
      for (size_t i = 0; i < n; i++) {
        double x = wide ? in.i32(p + off + i * 8) : in.i16(p + off + i * 4);
        double y = wide ? in.i32(p + off + i * 8 + 4) : in.i16(p + off + i * 4 + 2);
        grow(x, y);
        f.push_back({x, y});
      }
      return f;
    };
    if (type == 14) break; /* EOF */
    switch (type) {
      case 3:
      case 4:
      case 6:
      case 2:
      case 5: /* POLYGON, POLYLINE, POLYLINETO, POLYBEZIER(TO) */
      case 86:
      case 87:
      case 89:
      case 85:
      case 88: { /* and their 16-bit forms */
        bool wide = type < 80;
        size_t n = size_t(uint32_t(v32(4)));
        Figure f = points(20, n, wide);
        if (f.size() != n) break;
        unsigned kind = wide ? type : type - 83; /* 16-bit types map onto 2..6 */
        if (kind == 2 || kind == 5) {
          Figure curve;
          if (kind == 5)
            curve.push_back({pl.posx, pl.posy});
          else if (!f.empty())
            curve.push_back(f[0]), f.erase(f.begin());
          Bezier(curve, f);
          f = curve;
        } else if (kind == 6) {
          f.insert(f.begin(), {pl.posx, pl.posy});
        }
        if ((kind == 5 || kind == 6) && !f.empty())
          pl.posx = f.back().first, pl.posy = f.back().second;
        if (in_path) {
          if ((kind == 5 || kind == 6) && !path.empty()) {
            path.back().insert(path.back().end(), f.begin() + 1, f.end());
          } else {
            path.push_back(f);
          }
          break;
        }
        if (!bounds) Figures(pl, {f}, kind == 3, true);
        break;
      }
      case 7:
      case 8:
      case 90:
      case 91: { /* POLYPOLYLINE, POLYPOLYGON */
        bool wide = type < 80;
        size_t polys = size_t(uint32_t(v32(4))), total = size_t(uint32_t(v32(5)));
        if (polys > params / 4 || 24 + polys * 4 > params) break;
        Figure all = points(24 + polys * 4, total, wide);
        if (all.size() != total) break;
        std::vector<Figure> figures;
        size_t used = 0;
        for (size_t i = 0; i < polys; i++) {
          size_t n = size_t(uint32_t(in.i32(p + 24 + i * 4)));
          if (n > total - used) break;
          figures.emplace_back(all.begin() + long(used), all.begin() + long(used + n));
          used += n;
        }
        if (in_path) {
          path.insert(path.end(), figures.begin(), figures.end());
          break;
        }
        if (!bounds) Figures(pl, figures, type == 8 || type == 91, true);
        break;
      }
      case 27: /* MOVETOEX */
        pl.posx = v32(0), pl.posy = v32(1);
        if (in_path) path.push_back({{pl.posx, pl.posy}});
        break;
      case 54: { /* LINETO */
        double x = v32(0), y = v32(1);
        grow(pl.posx, pl.posy), grow(x, y);
        if (in_path) {
          if (path.empty()) path.push_back({{pl.posx, pl.posy}});
          path.back().push_back({x, y});
        } else if (!bounds && PenVisible(pl)) {
          ApplyPen(pl);
          cdLine(pl.map.X(pl.posx), pl.map.Y(pl.posy), pl.map.X(x), pl.map.Y(y));
        }
        pl.posx = x, pl.posy = y;
        break;
      }
      case 59: /* BEGINPATH */
        in_path = true;
        path.clear();
        break;
      case 60: /* ENDPATH */
        in_path = false;
        break;
      case 62:
      case 63:
      case 64: /* FILLPATH, STROKEANDFILLPATH, STROKEPATH */
        if (!bounds) Figures(pl, path, type != 64, type != 62);
        path.clear();
        break;
      case 68: /* ABORTPATH */
        in_path = false;
        path.clear();
        break;
      case 67: /* SELECTCLIPPATH: the path's first figure becomes the clip polygon */
        if (!path.empty() && path[0].size() >= 3) {
          pl.dc.clip_polygon = std::make_shared<const std::vector<std::pair<double, double>>>(
              path[0].begin(), path[0].end());
          if (!bounds) ApplyClip(pl);
        }
        path.clear();
        break;
      case 15: /* SETPIXELV */
        grow(v32(0), v32(1));
        if (!bounds) cdPixel(pl.map.X(v32(0)), pl.map.Y(v32(1)), Color(uint32_t(v32(2))));
        break;
      case 18: /* SETBKMODE */
        pl.dc.bk_mode = v32(0);
        if (!bounds) cdBackOpacity(pl.dc.bk_mode == 1 ? CD_TRANSPARENT : CD_OPAQUE);
        break;
      case 20: /* SETROP2 */
        pl.dc.rop = v32(0);
        if (!bounds) ApplyState(pl);
        break;
      case 22: /* SETTEXTALIGN */
        pl.dc.align = v32(0) & 0xFFFF;
        break;
      case 24: /* SETTEXTCOLOR */
        pl.dc.text_color = Color(uint32_t(v32(0)));
        break;
      case 25: /* SETBKCOLOR */
        pl.dc.bk_color = Color(uint32_t(v32(0)));
        if (!bounds) cdBackground(pl.dc.bk_color);
        break;
      case 38:
      case 95: { /* CREATEPEN, EXTCREATEPEN */
        uint32_t index = uint32_t(v32(0));
        if (index >= pl.objects.size()) break;
        Object o;
        o.kind = Object::kPen;
        if (type == 38) {
          o.style = v32(1) & 0xFF, o.width = v32(2), o.color = Color(uint32_t(v32(4)));
        } else {
          o.style = v32(5) & 0xFF, o.width = v32(6), o.color = Color(uint32_t(v32(8)));
        }
        pl.objects[index] = o;
        break;
      }
      case 39: { /* CREATEBRUSHINDIRECT */
        uint32_t index = uint32_t(v32(0));
        if (index >= pl.objects.size()) break;
        Object o;
        o.kind = Object::kBrush;
        o.style = v32(1), o.color = Color(uint32_t(v32(2))), o.hatch = v32(3);
        pl.objects[index] = o;
        break;
      }
      case 93:
      case 94: { /* CREATEMONOBRUSH, CREATEDIBPATTERNBRUSHPT: a grey brush */
        uint32_t index = uint32_t(v32(0));
        if (index >= pl.objects.size()) break;
        Object o;
        o.kind = Object::kBrush;
        o.color = 0x808080;
        pl.objects[index] = o;
        break;
      }
      case 82: { /* EXTCREATEFONTINDIRECTW */
        uint32_t index = uint32_t(v32(0));
        if (index >= pl.objects.size() || params < 4 + 28 + 64) break;
        Object o;
        o.kind = Object::kFont;
        o.height = v32(1), o.escapement = v32(3), o.weight = v32(5);
        o.italic = int(in.u8(p + 24));
        o.family = int(in.u8(p + 31));
        for (size_t i = 0; i < 32; i++) {
          unsigned c = in.u16(p + 32 + i * 2);
          if (!c) break;
          o.face += char(c < 256 ? c : '?');
        }
        pl.objects[index] = o;
        break;
      }
      case 37: { /* SELECTOBJECT: stock objects have the top bit */
        uint32_t index = uint32_t(v32(0));
        if (index & 0x80000000u) {
          unsigned stock = index & 0x7FFFFFFF;
          if (stock <= 4)
            pl.dc.brush.style = 0, pl.dc.brush.color = stock == 0   ? 0xFFFFFF
                                                       : stock == 4 ? 0
                                                                    : 0x808080;
          if (stock == 5) pl.dc.brush.style = 1;
          if (stock == 6 || stock == 7)
            pl.dc.pen.style = 0, pl.dc.pen.width = 1, pl.dc.pen.color = stock == 6 ? 0xFFFFFF : 0;
          if (stock == 8) pl.dc.pen.style = 5;
          break;
        }
        if (index >= pl.objects.size()) break; /* beyond the table: ignored */
        const Object& o = pl.objects[index];
        if (o.kind == Object::kPen) pl.dc.pen = o;
        if (o.kind == Object::kBrush) pl.dc.brush = o;
        if (o.kind == Object::kFont) pl.dc.font = o;
        break;
      }
      case 40: { /* DELETEOBJECT */
        uint32_t index = uint32_t(v32(0));
        if (index < pl.objects.size()) pl.objects[index] = Object();
        break;
      }
      case 33: /* SAVEDC */
        if (pl.saved.size() < 1000) pl.saved.push_back(pl.dc);
        break;
      case 34: { /* RESTOREDC */
        int n = v32(0);
        size_t depth = n < 0 ? size_t(-(long long)n) : 0;
        if (depth == 0 || depth > pl.saved.size()) break;
        pl.dc = pl.saved[pl.saved.size() - depth];
        pl.saved.resize(pl.saved.size() - depth);
        if (!bounds) ApplyState(pl);
        break;
      }
      case 30: { /* INTERSECTCLIPRECT */
        double l = v32(0), t = v32(1), r = v32(2), b = v32(3);
        if (pl.dc.clipped) {
          l = std::max(l, pl.dc.cx0), t = std::max(t, pl.dc.cy0);
          r = std::min(r, pl.dc.cx1), b = std::min(b, pl.dc.cy1);
        }
        pl.dc.clipped = true;
        pl.dc.cx0 = l, pl.dc.cy0 = t, pl.dc.cx1 = std::max(l, r), pl.dc.cy1 = std::max(t, b);
        if (!bounds) ApplyClip(pl);
        break;
      }
      case 43:
      case 44: { /* RECTANGLE, ROUNDRECT */
        int l = v32(0), t = v32(1), r = v32(2), b = v32(3);
        grow(l, t), grow(r, b);
        if (!bounds) Rectangle(pl, l, t, r, b);
        break;
      }
      case 42: { /* ELLIPSE */
        int l = v32(0), t = v32(1), r = v32(2), b = v32(3);
        grow(l, t), grow(r, b);
        if (!bounds) Elliptic(pl, 0, l, t, r, b, 0, 0, 0, 0);
        break;
      }
      case 45:
      case 46:
      case 47:
      case 55: { /* ARC, CHORD, PIE, ARCTO */
        int l = v32(0), t = v32(1), r = v32(2), b = v32(3);
        grow(l, t), grow(r, b);
        if (!bounds)
          Elliptic(pl, type == 45 || type == 55 ? 1 : 2, l, t, r, b, v32(4), v32(5), v32(6),
                   v32(7));
        break;
      }
      case 83:
      case 84: { /* EXTTEXTOUTA, EXTTEXTOUTW */
        if (params < 68) break;
        int x = v32(7), y = v32(8);
        size_t n = size_t(uint32_t(v32(9))), off = size_t(uint32_t(v32(10)));
        size_t unit = type == 84 ? 2 : 1;
        if (n > 100000 || !in.has(at + std::min<size_t>(off, size), n * unit) ||
            off + n * unit > size)
          break;
        std::string text;
        for (size_t i = 0; i < n; i++) {
          unsigned c = unit == 2 ? in.u16(at + off + i * 2) : in.u8(at + off + i);
          text += char(c < 256 ? c : '?');
        }
        grow(x, y);
        if (!bounds) Text(pl, x, y, reinterpret_cast<const uint8_t*>(text.data()), text.size());
        break;
      }
      case 81: { /* STRETCHDIBITS */
        if (params < 72) break;
        int xd = v32(4), yd = v32(5), xs = v32(6), ys = v32(7), ws = v32(8), hs = v32(9);
        size_t bmi = size_t(uint32_t(v32(10))), bits = size_t(uint32_t(v32(12)));
        size_t bits_size = size_t(uint32_t(v32(13)));
        int wd = v32(16), hd = v32(17);
        grow(xd, yd), grow(double(xd) + wd, double(yd) + hd);
        if (bounds || bmi < 8 || bmi >= size || bits < bmi || bits >= size) break;
        cdgdi::Dib dib;
        if (!cdgdi::DecodeDib(in.p + at + bmi, size - bmi, bits - bmi, bits_size, dib)) break;
        int x0 = pl.map.X(xd), x1 = pl.map.X(double(xd) + wd);
        int y0 = pl.map.Y(yd), y1 = pl.map.Y(double(yd) + hd);
        int w = std::abs(x1 - x0), h = std::abs(y1 - y0);
        if (w == 0 || h == 0) break;
        int xmin = std::clamp(xs, 0, dib.w - 1),
            xmax = std::clamp(xs + std::abs(ws) - 1, 0, dib.w - 1);
        int ymin = std::clamp(ys, 0, dib.h - 1),
            ymax = std::clamp(ys + std::abs(hs) - 1, 0, dib.h - 1);
        cdPutImageRectRGB(dib.w, dib.h, dib.r.data(), dib.g.data(), dib.b.data(), std::min(x0, x1),
                          std::min(y0, y1), w, h, xmin, xmax, ymin, ymax);
        break;
      }
      default:
        break;
    }
    at += size;
  }
}

}  // namespace

int cdPlayEMFMemory(const unsigned char* data, size_t size, int xmin, int xmax, int ymin,
                    int ymax) {
  if (!data || !cdActiveCanvas()) return CD_ERROR;
  Player pl(data, size);
  Reader& in = pl.in;
  /* the header: type 1, its size, bounds, frame, " EMF", ... device and millimetres */
  if (!in.has(0, 88) || in.u32(0) != 1 || in.u32(40) != 0x464D4520u) return CD_ERROR;
  uint32_t header = in.u32(4);
  if (header < 88 || (header & 3) || !in.has(0, header)) return CD_ERROR;
  double dev_w = in.i32(72), dev_h = in.i32(76), mm_w = in.i32(80), mm_h = in.i32(84);
  double fx = mm_w > 0 && dev_w > 0 ? dev_w / (mm_w * 100) : 0.0378;
  double fy = mm_h > 0 && dev_h > 0 ? dev_h / (mm_h * 100) : 0.0378;
  pl.map.minx = in.i32(24) * fx, pl.map.miny = in.i32(28) * fy;
  pl.map.maxx = in.i32(32) * fx, pl.map.maxy = in.i32(36) * fy;
  unsigned handles = in.u16(48);
  try {
    pl.objects.resize(handles);
  } catch (const std::bad_alloc&) {
    return CD_ERROR;
  }
  bool have = pl.map.maxx > pl.map.minx && pl.map.maxy > pl.map.miny;
  if (!have || (xmax != 0 && ymax != 0)) {
    Player scan(data, size);
    scan.map = pl.map;
    scan.objects.resize(handles);
    EmfRecords(scan, header, true, have);
    pl.map.minx = scan.map.minx, pl.map.maxx = scan.map.maxx;
    pl.map.miny = scan.map.miny, pl.map.maxy = scan.map.maxy;
  }
  pl.map.Fit(xmin, xmax, ymin, ymax);
  if (cdgdi::CallSize(cdEMFSizeCallback(), pl.map.maxx - pl.map.minx, pl.map.maxy - pl.map.miny))
    return CD_ERROR;
  ApplyState(pl);
  EmfRecords(pl, header, false, have);
  cdClip(CD_CLIPOFF);
  return CD_OK;
}
