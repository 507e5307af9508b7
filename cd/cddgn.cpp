/* The DGN driver: a MicroStation version 7 design file of 16-bit
 * little-endian words, coordinates in device pixels. Lines, line strings,
 * shapes, complex chains and shapes, ellipses, arcs, texts and raster
 * rows; a seed file's elements first and the colour table last. */
#include <algorithm>
#include <cctype>
#include <charconv>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>
#include <string_view>
#include <vector>

#include "cd.h"
#include "cddgn.h"
#include "cddriver.h"

namespace {

constexpr double kDefaultResolution = 3.78;
constexpr int kMaxVertices = 15000;  /* per polygon; more are dropped */
constexpr int kStringVertices = 101; /* per line string */
constexpr int kMaxTableColors = 254; /* appended by the foreground */
constexpr size_t kMaxSeedBytes = 64u << 20;

enum ElementType {
  kLine = 3,
  kLineString = 4,
  kGroupData = 5,
  kShape = 6,
  kComplexChain = 12,
  kComplexShape = 14,
  kEllipse = 15,
  kArc = 16,
  kText = 17,
  kRasterHeader = 87,
  kRasterComponent = 88,
};

constexpr unsigned kAttributesFollow = 0x800;

struct DgnCanvas {
  cdCanvas* canvas = nullptr;
  FILE* file = nullptr;
  long long words = 0; /* written so far */
  int level = 1;
  int color = 0;
  int style = 0;
  int weight = 0;
  int font = 0;
  int just = 13;
  int alignment = CD_BASE_LEFT;
  int text_height = 9;
  int font_points = 12;
  bool baseline = true;
  int fill_mode = 2; /* 1: only convex polygons are filled */
  std::vector<long> colors;
  bool complex = false; /* the elements written are components */
};

DgnCanvas* Rec(cdCanvas* cv) {
  return static_cast<DgnCanvas*>(cv->driver_data);
}

/* ---- elements ---- */

/* An element being built: 16-bit words, 32-bit values high word first. */
struct Element {
  std::vector<uint16_t> w;
  size_t attributes = 0; /* word where the attribute linkage starts, 0: none */

  void Word(unsigned v) { w.push_back(uint16_t(v)); }
  void Long(int32_t v) {
    uint32_t u = uint32_t(v);
    Word(u >> 16);
    Word(u & 0xFFFF);
  }
  /* range values have their sign bit inverted */
  void Range(int32_t v) {
    uint32_t u = uint32_t(v) ^ 0x80000000u;
    Word(u >> 16);
    Word(u & 0xFFFF);
  }
  /* a double of the file: the IEEE single bits of 4 x value read as the
   * high half of a VAX D-float, whose exponent is biased by 2 more */
  void Float(double v) {
    float f = float(4 * v);
    uint32_t bits;
    std::memcpy(&bits, &f, sizeof bits);
    Word(bits >> 16);
    Word(bits & 0xFFFF);
    Long(0);
  }
  void Chars(const char* s, size_t n) {
    for (size_t i = 0; i < n; i += 2) {
      unsigned lo = static_cast<unsigned char>(s[i]);
      unsigned hi = i + 1 < n ? static_cast<unsigned char>(s[i + 1]) : 0;
      Word(lo | hi << 8);
    }
  }
  /* the fill linkage: a user data linkage of 8 words carrying the colour */
  void FillLinkage(int color) {
    attributes = w.size();
    for (unsigned v : {0x1007u, 0x0041u, 0x0802u, 0x0001u}) Word(v);
    Word(unsigned(color));
    Word(0), Word(0), Word(0);
  }
  size_t Size() const { return w.size(); }
};

struct Box2 {
  int xmin, ymin, xmax, ymax;
};

/* sums of coordinates near the ends of the int range stay at the ends */
int Clamp32(long long v) {
  return int(std::clamp<long long>(v, INT_MIN, INT_MAX));
}

Box2 Bounds(const cdPoint* p, int n) {
  Box2 b{p[0].x, p[0].y, p[0].x, p[0].y};
  for (int i = 1; i < n; i++) {
    b.xmin = std::min(b.xmin, p[i].x), b.xmax = std::max(b.xmax, p[i].x);
    b.ymin = std::min(b.ymin, p[i].y), b.ymax = std::max(b.ymax, p[i].y);
  }
  return b;
}

/* the element header and display header; the word count, the index to
 * attributes and the properties are completed by Finish */
Element Begin(DgnCanvas* d, int type, const Box2& range) {
  Element e;
  e.Word(unsigned(d->level & 0x3F) | (d->complex ? 0x80u : 0u) | unsigned(type) << 8);
  e.Word(0);
  e.Range(range.xmin), e.Range(range.ymin), e.Range(0);
  e.Range(range.xmax), e.Range(range.ymax), e.Range(0);
  e.Word(0); /* graphic group */
  e.Word(0); /* index to attributes */
  e.Word(0); /* properties */
  e.Word(unsigned(d->style & 7) | unsigned(d->weight & 0x1F) << 3 | unsigned(d->color & 0xFF) << 8);
  return e;
}

void Finish(Element& e) {
  e.w[1] = uint16_t(e.Size() - 2);
  size_t end = e.attributes ? e.attributes : e.Size();
  e.w[15] = uint16_t(end - 16);
  if (e.attributes) e.w[16] |= kAttributesFollow;
}

void Write(DgnCanvas* d, Element& e) {
  Finish(e);
  std::vector<unsigned char> bytes(e.Size() * 2);
  for (size_t i = 0; i < e.Size(); i++) {
    bytes[2 * i] = e.w[i] & 0xFF;
    bytes[2 * i + 1] = e.w[i] >> 8;
  }
  std::fwrite(bytes.data(), 1, bytes.size(), d->file);
  d->words += (long long)e.Size();
}

/* ---- colours ---- */

long Distance(long a, long b) {
  long dr = ((a >> 16) & 0xFF) - ((b >> 16) & 0xFF);
  long dg = ((a >> 8) & 0xFF) - ((b >> 8) & 0xFF);
  long db = (a & 0xFF) - (b & 0xFF);
  return dr * dr + dg * dg + db * db;
}

/* the table's entry for a colour: the same colour, else a new entry while
 * there is room, else the nearest */
int ColorIndex(DgnCanvas* d, long color) {
  color &= 0xFFFFFF;
  std::vector<long>& t = d->colors;
  for (size_t i = 0; i < t.size(); i++)
    if (t[i] == color) return int(i);
  if (t.size() < kMaxTableColors) {
    t.push_back(color);
    return int(t.size() - 1);
  }
  size_t best = 0;
  for (size_t i = 1; i < t.size(); i++)
    if (Distance(t[i], color) < Distance(t[best], color)) best = i;
  return int(best);
}

/* ---- creation ---- */

bool ParseNumber(std::string_view s, double& v) {
  if (s.empty()) return false;
  auto r = std::from_chars(s.data(), s.data() + s.size(), v);
  return r.ec == std::errc() && r.ptr == s.data() + s.size() && std::isfinite(v);
}

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

bool ReadFile(const std::string& name, std::vector<unsigned char>& out) {
  FILE* f = std::fopen(name.c_str(), "rb");
  if (!f) return false;
  out.clear();
  unsigned char buf[65536];
  size_t n;
  bool ok = true;
  while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) {
    if (out.size() + n > kMaxSeedBytes) {
      ok = false;
      break;
    }
    out.insert(out.end(), buf, buf + n);
  }
  if (std::ferror(f)) ok = false;
  std::fclose(f);
  return ok;
}

/* The bytes of the seed's elements before its end-of-design marker, or -1
 * when the seed is not a two-dimensional design file: an element running
 * past the end, no marker, or a three-dimensional design header. */
long long SeedLength(const unsigned char* data, size_t size) {
  size_t at = 0;
  while (at + 2 <= size) {
    unsigned head = data[at] | unsigned(data[at + 1]) << 8;
    if (head == 0xFFFF) return (long long)at;
    if (at == 0 && head == 0x09C8) return -1; /* a 3D design header */
    if (at + 4 > size) return -1;
    size_t words = data[at + 2] | size_t(data[at + 3]) << 8;
    size_t length = 4 + 2 * words;
    if (length > size - at) return -1;
    at += length;
  }
  return -1;
}

/* CDDIR/NAME first, then NAME itself */
bool LoadSeed(std::string_view name, std::vector<unsigned char>& elements) {
  const char* dir = std::getenv("CDDIR");
  std::string first = std::string(dir && dir[0] ? dir : ".") + "/" + std::string(name);
  std::vector<unsigned char> data;
  if (!ReadFile(first, data) && !ReadFile(std::string(name), data)) return false;
  long long length = SeedLength(data.data(), data.size());
  if (length < 0) return false;
  data.resize(size_t(length));
  elements = std::move(data);
  return true;
}

struct Options {
  std::string name;
  double res = kDefaultResolution, w_mm = 0, h_mm = 0;
  bool sized = false, has_res = false;
  int fill_mode = 2;
  bool seeded = false;
  std::string_view seed;
};

/* "NAME [WxH] [RES] [-f] [-sSEED]"; anything else refuses the data */
bool ParseOptions(const char* text, Options& o) {
  std::vector<std::string_view> words = Words(text);
  if (words.empty()) return false;
  o.name = std::string(words[0]);
  for (size_t i = 1; i < words.size(); i++) {
    std::string_view word = words[i];
    if (word == "-f") {
      o.fill_mode = 1;
    } else if (word.substr(0, 2) == "-s") {
      if (o.seeded || word.size() == 2) return false;
      o.seeded = true;
      o.seed = word.substr(2);
    } else if (!o.sized && !o.has_res && ParseSize(word, o.w_mm, o.h_mm)) {
      o.sized = true;
    } else if (!o.has_res && ParseNumber(word, o.res)) {
      o.has_res = true;
    } else {
      return false;
    }
  }
  return true;
}

/* Everything, the seed included, is checked before the output is opened,
 * so a refused creation leaves no file behind. */
void CreateCanvas(cdCanvas* cv, void* data) {
  const char* text = static_cast<const char*>(data);
  Options o;
  if (!text || !ParseOptions(text, o) || !(o.res > 0)) return;
  if (o.sized) {
    if (!(o.w_mm > 0 && o.h_mm > 0) || o.res * std::max(o.w_mm, o.h_mm) > double(INT_MAX)) return;
    cv->w = int(o.res * o.w_mm);
    cv->h = int(o.res * o.h_mm);
    if (cv->w < 1 || cv->h < 1) return;
    cv->w_mm = o.w_mm;
    cv->h_mm = o.h_mm;
  } else {
    cv->w = cv->h = INT_MAX;
    cv->w_mm = cv->h_mm = INT_MAX / o.res;
  }
  cv->xres = cv->yres = o.res;
  cv->bpp = 8;
  cv->y_inverted = 0;

  std::vector<unsigned char> seed;
  if (o.seeded && !LoadSeed(o.seed, seed)) return;
  DgnCanvas* d = new (std::nothrow) DgnCanvas;
  if (!d) return;
  d->canvas = cv;
  d->fill_mode = o.fill_mode;
  d->file = std::fopen(o.name.c_str(), "wb");
  if (!d->file) {
    delete d;
    return;
  }
  if (!seed.empty()) std::fwrite(seed.data(), 1, seed.size(), d->file);
  d->words = (long long)seed.size() / 2;
  cv->driver_data = d;
}

/* the colour table: the first entry is the background (colour 255), then
 * colours 0 to 254 */
void WriteColorTable(DgnCanvas* d) {
  Element e;
  e.Word(1 | kGroupData << 8);
  e.Word(0);
  for (int v : {0, 0, 0}) e.Range(v);
  for (int v : {-1, -1, -1}) e.Range(v);
  for (unsigned v : {0u, 420u, 1024u, 256u, 0u}) e.Word(v);
  std::vector<unsigned char> rgb(768, 0);
  const std::vector<long>& t = d->colors;
  auto put = [&](size_t slot, long c) {
    rgb[3 * slot] = (c >> 16) & 0xFF;
    rgb[3 * slot + 1] = (c >> 8) & 0xFF;
    rgb[3 * slot + 2] = c & 0xFF;
  };
  put(0, t.size() > 255 ? t[255] : d->canvas->background);
  for (size_t i = 0; i < t.size() && i < 255; i++) put(i + 1, t[i]);
  for (size_t i = 0; i < rgb.size(); i += 2) e.Word(rgb[i] | unsigned(rgb[i + 1]) << 8);
  e.Word(25);
  for (int i = 0; i < 32; i++) e.Word(0x2020);
  e.w[1] = uint16_t(e.Size() - 2);
  std::vector<unsigned char> bytes;
  for (uint16_t w : e.w) bytes.push_back(w & 0xFF), bytes.push_back(w >> 8);
  std::fwrite(bytes.data(), 1, bytes.size(), d->file);
  d->words += (long long)e.Size();
}

void KillCanvas(cdCanvas* cv) {
  DgnCanvas* d = Rec(cv);
  WriteColorTable(d);
  /* the end-of-design word, then zeros up to a multiple of 512 bytes */
  std::vector<unsigned char> tail = {0xFF, 0xFF};
  d->words++;
  while (d->words % 256 != 0) tail.push_back(0), tail.push_back(0), d->words++;
  std::fwrite(tail.data(), 1, tail.size(), d->file);
  std::fclose(d->file);
  delete d;
}

int Activate(cdCanvas*) {
  return CD_OK;
}
void Deactivate(cdCanvas* cv) {
  std::fflush(Rec(cv)->file);
}
void Flush(cdCanvas* cv) {
  std::fflush(Rec(cv)->file);
}

/* ---- geometry ---- */

void WriteLine(DgnCanvas* d, int x1, int y1, int x2, int y2) {
  Element e =
      Begin(d, kLine, {std::min(x1, x2), std::min(y1, y2), std::max(x1, x2), std::max(y1, y2)});
  e.Long(x1), e.Long(y1), e.Long(x2), e.Long(y2);
  Write(d, e);
}

/* a line string, or a shape carrying the fill linkage */
Element Vertices(DgnCanvas* d, const cdPoint* p, int n, bool filled) {
  Element e = Begin(d, filled ? kShape : kLineString, Bounds(p, n));
  e.Word(unsigned(n));
  for (int i = 0; i < n; i++) e.Long(p[i].x), e.Long(p[i].y);
  if (filled) e.FillLinkage(d->color);
  return e;
}

void Line(cdCanvas* cv, int x1, int y1, int x2, int y2) {
  WriteLine(Rec(cv), x1, y1, x2, y2);
}

void Pixel(cdCanvas* cv, int x, int y, long color) {
  DgnCanvas* d = Rec(cv);
  int color_was = d->color, style_was = d->style, weight_was = d->weight;
  d->color = ColorIndex(d, color);
  d->style = 0;
  d->weight = 1;
  WriteLine(d, x, y, x, y);
  d->color = color_was, d->style = style_was, d->weight = weight_was;
}

void Box(cdCanvas* cv, int xmin, int xmax, int ymin, int ymax) {
  DgnCanvas* d = Rec(cv);
  cdPoint p[5] = {{xmin, ymin}, {xmax, ymin}, {xmax, ymax}, {xmin, ymax}, {xmin, ymin}};
  Element e = Vertices(d, p, 5, true);
  Write(d, e);
}

/* the sign of the turn at every vertex is the same (straight runs aside) */
bool Convex(const cdPoint* p, int n) {
  int sign = 0;
  for (int i = 0; i < n; i++) {
    const cdPoint &a = p[i], &b = p[(i + 1) % n], &c = p[(i + 2) % n];
    long long cross = (long long)(b.x - a.x) * (c.y - b.y) - (long long)(b.y - a.y) * (c.x - b.x);
    int s = cross > 0 ? 1 : (cross < 0 ? -1 : 0);
    if (s == 0) continue;
    if (sign != 0 && s != sign) return false;
    sign = s;
  }
  return true;
}

/* A complex element: its header, then line strings of at most 101
 * vertices. Each line string starts at the last vertex of the one before,
 * so that no edge is lost between them. */
void WriteComplex(DgnCanvas* d, int type, const std::vector<cdPoint>& p, bool filled) {
  std::vector<Element> parts;
  d->complex = true;
  int n = int(p.size());
  for (int start = 0; start < n - 1; start += kStringVertices - 1) {
    int count = std::min(kStringVertices, n - start);
    parts.push_back(Vertices(d, p.data() + start, count, false));
  }
  d->complex = false;
  size_t component_words = 0;
  for (Element& e : parts) {
    Finish(e);
    component_words += e.Size();
  }
  Element head = Begin(d, type, Bounds(p.data(), n));
  size_t head_words = filled ? 32 : 24;
  head.Word(unsigned(component_words + head_words - 19));
  head.Word(unsigned(parts.size()));
  head.Long(0), head.Long(0);
  if (filled) head.FillLinkage(d->color);
  Write(d, head);
  for (Element& e : parts) Write(d, e);
}

void Poly(cdCanvas* cv, int mode, cdPoint* points, int n) {
  DgnCanvas* d = Rec(cv);
  if (mode == CD_CLIP) return; /* no clipping in DGN */
  n = std::min(n, kMaxVertices);
  if (n < 2) return;
  bool filled = mode == CD_FILL && (d->fill_mode == 2 || n <= 3 || Convex(points, n));
  std::vector<cdPoint> p(points, points + n);
  if (mode == CD_FILL || mode == CD_CLOSED_LINES) p.push_back(points[0]);
  if (int(p.size()) <= kStringVertices) {
    Element e = Vertices(d, p.data(), int(p.size()), filled);
    Write(d, e);
  } else {
    WriteComplex(d, mode == CD_OPEN_LINES ? kComplexChain : kComplexShape, p, filled);
  }
}

Box2 EllipseBounds(int xc, int yc, int w, int h) {
  long long a = std::abs(w / 2), b = std::abs(h / 2);
  return {Clamp32(xc - a), Clamp32(yc - b), Clamp32(xc + a), Clamp32(yc + b)};
}

void WriteEllipse(DgnCanvas* d, int xc, int yc, int w, int h, bool filled) {
  Element e = Begin(d, kEllipse, EllipseBounds(xc, yc, w, h));
  e.Float(w / 2), e.Float(h / 2);
  e.Long(50);
  e.Float(xc), e.Float(yc);
  if (filled) e.FillLinkage(d->color);
  Write(d, e);
}

Element ArcElement(DgnCanvas* d, int xc, int yc, int w, int h, double a1, double a2) {
  Element e = Begin(d, kArc, EllipseBounds(xc, yc, w, h));
  e.Long(int32_t(a1) * 360000);
  e.Long(int32_t(a2 - a1) * 360000);
  e.Float(w / 2), e.Float(h / 2);
  e.Long(0);
  e.Float(xc), e.Float(yc);
  return e;
}

void Arc(cdCanvas* cv, int xc, int yc, int w, int h, double a1, double a2) {
  DgnCanvas* d = Rec(cv);
  if (a2 - a1 == 360) {
    WriteEllipse(d, xc, yc, w, h, false);
    return;
  }
  Element e = ArcElement(d, xc, yc, w, h, a1, a2);
  Write(d, e);
}

cdPoint ArcEnd(int xc, int yc, int w, int h, double degrees) {
  double a = degrees * 0.017453292519943295;
  return {Clamp32(xc + (long long)(std::cos(a) * (w / 2) + 0.5)),
          Clamp32(yc + (long long)(std::sin(a) * (h / 2) + 0.5))};
}

/* a filled complex shape of the arc and the two radii */
void Sector(cdCanvas* cv, int xc, int yc, int w, int h, double a1, double a2) {
  DgnCanvas* d = Rec(cv);
  if (a2 - a1 == 360) {
    WriteEllipse(d, xc, yc, w, h, true);
    return;
  }
  d->complex = true;
  Element parts[3] = {ArcElement(d, xc, yc, w, h, a1, a2), Element{}, Element{}};
  cdPoint p1 = ArcEnd(xc, yc, w, h, a1), p2 = ArcEnd(xc, yc, w, h, a2);
  for (int i = 1; i < 3; i++) {
    cdPoint p = i == 1 ? p1 : p2;
    parts[i] = Begin(d, kLine,
                     {std::min(xc, p.x), std::min(yc, p.y), std::max(xc, p.x), std::max(yc, p.y)});
    parts[i].Long(xc), parts[i].Long(yc), parts[i].Long(p.x), parts[i].Long(p.y);
  }
  d->complex = false;
  size_t component_words = 0;
  for (Element& e : parts) {
    Finish(e);
    component_words += e.Size();
  }
  Element head = Begin(d, kComplexShape, EllipseBounds(xc, yc, w, h));
  head.Word(unsigned(component_words + 13));
  head.Word(3);
  head.Long(0), head.Long(0);
  head.FillLinkage(d->color);
  Write(d, head);
  for (Element& e : parts) Write(d, e);
}

/* ---- text ---- */

bool Italic(const cdCanvas* cv) {
  return cv->font_style == CD_ITALIC || cv->font_style == CD_BOLD_ITALIC;
}
bool Bold(const cdCanvas* cv) {
  return cv->font_style == CD_BOLD || cv->font_style == CD_BOLD_ITALIC;
}

/* character widths in sixths of the text height, by class */
int CharClass(int font, unsigned char c) {
  if (font == 43) return 4; /* fixed pitch */
  if (std::strchr("iljtfI!.,;:'|`", c) && c) return 2;
  if (std::strchr("mwMW@", c) && c) return 6;
  if (c >= 'A' && c <= 'Z') return 5;
  return 4;
}

int MaxCharClass(int font) {
  return font == 43 ? 4 : 6;
}

bool HasDescender(const char* s, size_t n) {
  for (size_t i = 0; i < n; i++)
    if (std::strchr("jgyqp", s[i]) && s[i]) return true;
  return false;
}

int TextWidth(DgnCanvas* d, const char* s, size_t n) {
  if (n == 0) return 0;
  double h = d->text_height, width = 0;
  for (size_t i = 0; i < n; i++)
    width += CharClass(d->font, static_cast<unsigned char>(s[i])) * h / 6 + h / 3;
  width -= h / 3;
  if (Italic(d->canvas)) width += std::tan(15 * 0.017453292519943295) * h;
  return int(width + 0.5);
}

void Text(cdCanvas* cv, int x, int y, const char* s) {
  DgnCanvas* d = Rec(cv);
  size_t n = std::min<size_t>(std::strlen(s), 255);
  int h = d->text_height, width = TextWidth(d, s, n);
  int descent = HasDescender(s, n) ? h / 2 : 0;
  long long lx, ly;
  switch (d->alignment) {
    case CD_WEST:
    case CD_NORTH_WEST:
    case CD_SOUTH_WEST:
    case CD_BASE_LEFT:
      lx = x;
      break;
    case CD_NORTH:
    case CD_SOUTH:
    case CD_CENTER:
    case CD_BASE_CENTER:
      lx = x - width / 2;
      break;
    default:
      lx = (long long)x - width;
      break;
  }
  switch (d->alignment) {
    case CD_NORTH:
    case CD_NORTH_EAST:
    case CD_NORTH_WEST:
      ly = (long long)y - h;
      break;
    case CD_EAST:
    case CD_WEST:
    case CD_CENTER:
      ly = y - (h - descent) / 2;
      break;
    case CD_SOUTH:
    case CD_SOUTH_EAST:
    case CD_SOUTH_WEST:
      ly = (long long)y + descent;
      break;
    default:
      ly = y - h / 4;
      break;
  }
  int ox = Clamp32(lx), oy = Clamp32(ly);
  int weight_was = d->weight;
  if (Bold(cv)) d->weight = 3;
  Element e = Begin(d, kText, {ox, oy, Clamp32((long long)ox + width), Clamp32((long long)oy + h)});
  d->weight = weight_was;
  e.Word(unsigned(d->just) << 8 | unsigned(d->font & 0xFF));
  e.Long((d->text_height * 1000 / 6) | 0x80);
  e.Long((d->font_points * 1000 / 6) | 0x80);
  e.Long(0);
  e.Long(ox), e.Long(oy);
  e.Word(unsigned(n));
  e.Chars(s, n);
  if (Italic(cv)) {
    e.attributes = e.Size();
    e.Word(0x1007), e.Word(0x80D4);
    e.Long(550336), e.Long(0x520000), e.Long(0);
  }
  Write(d, e);
}

void FontDim(cdCanvas* cv, int* max_width, int* height, int* ascent, int* descent) {
  DgnCanvas* d = Rec(cv);
  int h = d->text_height;
  *max_width = MaxCharClass(d->font) * h / 6;
  *height = 3 * h / 2;
  *ascent = h;
  *descent = h / 2;
}

void TextSize(cdCanvas* cv, const char* s, int* width, int* height) {
  DgnCanvas* d = Rec(cv);
  size_t n = std::min<size_t>(std::strlen(s), 255);
  *width = TextWidth(d, s, n);
  *height = d->text_height + (HasDescender(s, n) ? d->text_height / 2 : 0);
}

/* A size in pixels (negative) is turned into points first. */
void Font(cdCanvas* cv, int* face, int* style, int* size) {
  DgnCanvas* d = Rec(cv);
  (void)style;
  int points = *size;
  if (points < 0) points = int(-points / cv->yres * 2.84 + 0.5);
  d->font_points = points;
  d->text_height = points / 4 * 3;
  d->font = *face == CD_COURIER ? 43 : (*face == CD_TIMES_ROMAN ? 2 : 0);
}

void NativeFont(cdCanvas* cv, const char* font) {
  Rec(cv)->font = std::atoi(font) & 0xFF;
}

int TextAlignment(cdCanvas* cv, int alignment) {
  static const int kJust[12] = {8, 6, 1, 13, 2, 14, 0, 12, 7, 13, 7, 1};
  DgnCanvas* d = Rec(cv);
  if (alignment >= 0 && alignment < 12) {
    d->just = kJust[alignment];
    d->alignment = alignment;
    d->baseline = alignment >= CD_BASE_LEFT;
  }
  return alignment;
}

/* ---- attributes ---- */

int LineStyle(cdCanvas* cv, int style) {
  static const int kCode[5] = {0, 3, 1, 4, 6};
  if (style >= CD_CONTINUOUS && style <= CD_DASH_DOT_DOT) Rec(cv)->style = kCode[style];
  return style;
}

/* widths beyond the thickest weight (31) stay at it */
int LineWidth(cdCanvas* cv, int width) {
  Rec(cv)->weight = std::clamp(width, 0, 31);
  return width;
}

long Foreground(cdCanvas* cv, long color) {
  DgnCanvas* d = Rec(cv);
  d->color = ColorIndex(d, color);
  return color;
}

void Palette(cdCanvas* cv, int n, const long* colors, int) {
  DgnCanvas* d = Rec(cv);
  d->colors.assign(colors, colors + std::min(n, 256));
  for (long& c : d->colors) c &= 0xFFFFFF;
}

/* ---- images ---- */

int Nearest(int j, int count, int size) {
  long long s = (2LL * j * count + size) / (2LL * size);
  return int(std::min<long long>(s, count - 1));
}

/* a raster header, then one row element per target row from the top */
void PutImageRectMap(cdCanvas* cv, int iw, int ih, const unsigned char* index, const long* colors,
                     int x, int y, int w, int h, int xmin, int xmax, int ymin, int ymax) {
  DgnCanvas* d = Rec(cv);
  if (w <= 0 || h <= 0 || w > 0xFFFF || h > 0xFFFF || iw <= 0 || ih <= 0) return;
  xmin = std::clamp(xmin, 0, iw - 1), xmax = std::clamp(xmax, 0, iw - 1);
  ymin = std::clamp(ymin, 0, ih - 1), ymax = std::clamp(ymax, 0, ih - 1);
  int cols = xmax - xmin + 1, rows = ymax - ymin + 1;
  if (cols <= 0 || rows <= 0) return;
  int largest = 0;
  for (int r = ymin; r <= ymax; r++)
    for (int c = xmin; c <= xmax; c++) largest = std::max<int>(largest, index[size_t(r) * iw + c]);
  std::vector<int> mapped(size_t(largest) + 1);
  for (int i = 0; i <= largest; i++) mapped[size_t(i)] = ColorIndex(d, colors[i]);

  long long row_words = (w + 1) / 2 + 23;
  int right = Clamp32((long long)x + w - 1), top = Clamp32((long long)y + h);
  Element head = Begin(d, kRasterHeader, {x, y, right, Clamp32((long long)y + h - 1)});
  head.Long(int32_t(std::min<long long>(h * row_words + 21, INT32_MAX)));
  head.Word(1812), head.Word(256);
  head.Word(unsigned(w)), head.Word(unsigned(h));
  head.Long(0), head.Long(0);                   /* reserved */
  head.Word(16512), head.Word(0), head.Long(0); /* scale 1 */
  head.Long(x), head.Long(top);
  for (int i = 0; i < 5; i++) head.Word(0);
  Write(d, head);

  std::vector<unsigned char> line(size_t(w) + 1, 0);
  for (int row = h - 1; row >= 0; row--) {
    const unsigned char* src = index + size_t(ymin + Nearest(row, rows, h)) * iw + xmin;
    for (int j = 0; j < w; j++) line[size_t(j)] = (unsigned char)mapped[src[Nearest(j, cols, w)]];
    line[size_t(w)] = 0;
    int at = Clamp32((long long)y + row);
    Element e = Begin(d, kRasterComponent, {x, at, right, at});
    e.Word(1812), e.Word(256), e.Word(0), e.Word(unsigned(row)), e.Word(unsigned(w));
    e.Chars(reinterpret_cast<const char*>(line.data()), size_t(w));
    Write(d, e);
  }
}

void FillOperations(cdCanvas* cv) {
  cdOperations& o = cv->ops;
  o.Flush = Flush;
  o.Pixel = Pixel;
  o.Line = Line;
  o.Poly = Poly;
  o.Box = Box;
  o.Arc = Arc;
  o.Sector = Sector;
  o.Text = Text;
  o.FontDim = FontDim;
  o.TextSize = TextSize;
  o.PutImageRectMap = PutImageRectMap;
  o.LineStyle = LineStyle;
  o.LineWidth = LineWidth;
  o.Font = Font;
  o.NativeFont = NativeFont;
  o.TextAlignment = TextAlignment;
  o.Palette = Palette;
  o.Foreground = Foreground;
  o.KillCanvas = KillCanvas;
  o.Activate = Activate;
  o.Deactivate = Deactivate;
}

cdDriver dgn_driver = {
    CD_CAP_ALL & ~(CD_CAP_CLEAR | CD_CAP_PLAY | CD_CAP_CLIPAREA | CD_CAP_CLIPPOLY | CD_CAP_MARK |
                   CD_CAP_RECT | CD_CAP_VECTORTEXT | CD_CAP_IMAGERGB | CD_CAP_IMAGERGBA |
                   CD_CAP_GETIMAGERGB | CD_CAP_IMAGESRV | CD_CAP_BACKGROUND | CD_CAP_BACKOPACITY |
                   CD_CAP_WRITEMODE | CD_CAP_WD | CD_CAP_HATCH | CD_CAP_STIPPLE | CD_CAP_PATTERN |
                   CD_CAP_TEXTORIENTATION),
    CreateCanvas,
    FillOperations,
    nullptr,
    nullptr,
    "CD_DGN",
    CD_DATA_TEXT};

}  // namespace

cdDriver* cdContextDGN(void) {
  return &dgn_driver;
}

long long cdDgnSeedLength(const unsigned char* data, size_t size) {
  return SeedLength(data, size);
}
