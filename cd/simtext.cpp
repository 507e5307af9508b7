/* TrueType text through FreeType: font files looked up by face and style,
 * glyphs rendered to 1-bit bitmaps, metrics, and drawing into the canvas
 * pixel by pixel through the simulation's target, turned by the text
 * orientation. */
#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>
#include <vector>

#include "cdpriv.h"
#include "sim.h"

namespace cdsim {

struct Glyph {
  int rows = 0, width = 0;           /* width raised to a multiple of 4 */
  std::vector<unsigned char> bitmap; /* one byte 0/1 per pixel, top row first */
  int bearing_x = 0, bearing_y = 0, advance = 0;
  bool has_bitmap = false;
};

struct TrueTypeFont {
  bool loaded = false;
  int line_height = 0, ascent = 0, descent = 0, max_advance = 0;
  Glyph glyphs[256];
};

namespace {

FT_Library Library() {
  static FT_Library library = nullptr;
  static bool tried = false;
  if (!tried) {
    tried = true;
    if (FT_Init_FreeType(&library) != 0) library = nullptr;
  }
  return library;
}

bool Readable(const std::string& path) {
  FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return false;
  std::fclose(f);
  return true;
}

/* The Windows face files are not on this system: the Liberation families
 * stand in for them in the system font folder. */
std::string SystemName(const std::string& name) {
  static const struct {
    const char *face, *family;
  } faces[] = {
      {"cour", "LiberationMono"}, {"times", "LiberationSerif"}, {"arial", "LiberationSans"}};
  static const struct {
    const char *suffix, *style;
  } styles[] = {
      {"bi.ttf", "BoldItalic"}, {"bd.ttf", "Bold"}, {"i.ttf", "Italic"}, {".ttf", "Regular"}};
  for (auto& f : faces) {
    size_t n = std::strlen(f.face);
    if (name.compare(0, n, f.face) != 0) continue;
    std::string rest = name.substr(n);
    for (auto& s : styles)
      if (rest == s.suffix) return std::string(f.family) + "-" + s.style + ".ttf";
  }
  return name;
}

std::string FindFile(const std::string& name) {
  if (Readable(name)) return name;
  const char* dir = std::getenv("CDDIR");
  std::string in_dir = std::string(dir ? dir : ".") + "/" + name;
  if (Readable(in_dir)) return in_dir;
  std::string system = "/usr/share/fonts/truetype/liberation/" + SystemName(name);
  if (Readable(system)) return system;
  return "";
}

/* Every glyph of a face is rendered when it is loaded, one byte a pixel:
 * past this em height in pixels that would take hundreds of megabytes, so
 * such sizes are refused like a missing face. */
constexpr double kMaxEmPixels = 1024;

/* loads into a fresh font; the old one stays when this fails */
bool Load(cdCanvas* cv, const std::string& name, int points) {
  if (points <= 0 || points / 72.0 * 25.4 * std::max(cv->xres, cv->yres) > kMaxEmPixels)
    return false;
  FT_Library library = Library();
  std::string path = FindFile(name);
  if (!library || path.empty()) return false;
  FT_Face face = nullptr;
  if (FT_New_Face(library, path.c_str(), 0, &face) != 0) return false;
  bool ok = FT_Set_Char_Size(face, 0, FT_F26Dot6(points) * 64, FT_UInt(cv->xres * 25.4 + 0.5),
                             FT_UInt(cv->yres * 25.4 + 0.5)) == 0;
  TrueTypeFont* font = ok ? new (std::nothrow) TrueTypeFont : nullptr;
  if (!font) {
    FT_Done_Face(face);
    return false;
  }
  bool unicode = FT_Select_Charmap(face, FT_ENCODING_UNICODE) == 0;
  for (int code = 0; code < 256; code++) {
    FT_UInt index;
    if (unicode)
      index = FT_Get_Char_Index(face, FT_ULong(code));
    else
      index = code >= 32 && FT_Long(code - 31) < face->num_glyphs ? FT_UInt(code - 31) : 0;
    if (FT_Load_Glyph(face, index, FT_LOAD_RENDER | FT_LOAD_MONOCHROME | FT_LOAD_TARGET_MONO))
      continue;
    FT_GlyphSlot slot = face->glyph;
    Glyph& g = font->glyphs[code];
    g.advance = int(slot->advance.x >> 6);
    g.bearing_x = slot->bitmap_left;
    g.bearing_y = slot->bitmap_top;
    const FT_Bitmap& bm = slot->bitmap;
    if (bm.rows == 0 || bm.width == 0 || bm.pixel_mode != FT_PIXEL_MODE_MONO) continue;
    g.rows = int(bm.rows);
    g.width = (int(bm.width) + 3) / 4 * 4;
    g.bitmap.assign(size_t(g.rows) * g.width, 0);
    for (int row = 0; row < g.rows; row++) {
      const unsigned char* src = bm.buffer + row * bm.pitch;
      for (unsigned col = 0; col < bm.width; col++)
        g.bitmap[size_t(row) * g.width + col] = (src[col >> 3] >> (7 - (col & 7))) & 1;
    }
    g.has_bitmap = true;
  }
  const FT_Size_Metrics& m = face->size->metrics;
  font->line_height = int(m.height >> 6);
  font->ascent = int(m.ascender >> 6);
  font->descent = int(-m.descender >> 6);
  font->max_advance = int(m.max_advance >> 6);
  font->loaded = true;
  FT_Done_Face(face);
  delete cv->sim->font;
  cv->sim->font = font;
  return true;
}

std::string FaceFile(int face, int style) {
  static const char* faces[] = {"cour", "cour", "times", "arial"};
  static const char* styles[] = {"", "bd", "i", "bi"};
  if (face < 0 || face > 3) face = 0;
  if (style < 0 || style > 3) style = 0;
  return std::string(faces[face]) + styles[style] + ".ttf";
}

int ToPoints(const cdCanvas* cv, int size) {
  if (size >= 0) return size;
  double points = -double(size) / cv->yres * CD_MM2PT; /* pixels to points */
  return points < INT_MAX ? int(points) : INT_MAX;
}

const TrueTypeFont* Loaded(const cdCanvas* cv) {
  const TrueTypeFont* f = cv->sim->font;
  return f && f->loaded ? f : nullptr;
}

}  // namespace

void KillFont(TrueTypeFont* font) {
  delete font;
}

void LoadCurrentFont(cdCanvas* cv) {
  Load(cv, FaceFile(cv->font_face, cv->font_style), ToPoints(cv, cv->font_size));
}

void Font(cdCanvas* cv, int* face, int* style, int* size) {
  int points = ToPoints(cv, *size);
  if (Load(cv, FaceFile(*face, *style), points)) {
    *size = points;
    return;
  }
  /* not found: the previous font stays in force */
  *face = cv->font_face, *style = cv->font_style, *size = cv->font_size;
}

void NativeFont(cdCanvas* cv, const char* font) {
  char name[512] = {0};
  int size = 0;
  if (std::sscanf(font, "%511[^,], %d", name, &size) < 2 || !name[0] || size == 0) return;
  Load(cv, name, ToPoints(cv, size));
}

void FontDim(cdCanvas* cv, int* max_width, int* height, int* ascent, int* descent) {
  const TrueTypeFont* f = Loaded(cv);
  if (!f) return;
  *max_width = f->max_advance, *height = f->line_height;
  *ascent = f->ascent, *descent = f->descent;
}

void TextSize(cdCanvas* cv, const char* s, int* width, int* height) {
  const TrueTypeFont* f = Loaded(cv);
  if (!f) return;
  int w = 0;
  for (const unsigned char* p = (const unsigned char*)s; *p; p++) w += f->glyphs[*p].advance;
  *width = w, *height = f->line_height;
}

namespace {

/* calls ink(x, y) for every set glyph pixel of s laid out unrotated from
 * the text box's left edge and baseline */
template <class Ink>
void ForEachInk(const TrueTypeFont* f, const char* s, int left, int baseline, int up, Ink ink) {
  long long pen = left; /* a text at the ends of int: ink beyond them is dropped */
  for (const unsigned char* p = (const unsigned char*)s; *p; p++) {
    const Glyph& g = f->glyphs[*p];
    if (g.has_bitmap)
      for (int row = 0; row < g.rows; row++)
        for (int col = 0; col < g.width; col++)
          if (g.bitmap[size_t(row) * g.width + col]) {
            const long long px = pen + g.bearing_x + col;
            const long long py = baseline + (long long)up * (g.bearing_y - 1 - row);
            if (px >= INT_MIN && px <= INT_MAX && py >= INT_MIN && py <= INT_MAX)
              ink(int(px), int(py));
          }
    pen += g.advance;
  }
}

/* Rotated text: the unrotated picture (text box and glyph ink) is laid out
 * in a mask, then every pixel of the rotated picture's bounds takes the
 * mask cell its centre turns back to, about the reference point (x, y).
 * On a canvas with an inverted y axis the angle turns the other way, so the
 * text still turns counter-clockwise as seen. */
void RotatedText(cdCanvas* cv, const TrueTypeFont* f, int x, int y, const char* s, int xmin,
                 int xmax, int ymin, int ymax, int baseline) {
  enum : unsigned char { kOutside, kBox, kInk };
  int up = cv->y_inverted ? -1 : 1;
  int mx0 = xmin, mx1 = xmax, my0 = ymin, my1 = ymax; /* the mask: box and ink */
  ForEachInk(f, s, xmin, baseline, up, [&](int px, int py) {
    mx0 = std::min(mx0, px), mx1 = std::max(mx1, px);
    my0 = std::min(my0, py), my1 = std::max(my1, py);
  });
  const size_t mw = size_t((long long)mx1 - mx0 + 1), mh = size_t((long long)my1 - my0 + 1);
  std::vector<unsigned char> mask;
  try {
    mask.assign(mw * mh, kOutside);
  } catch (const std::bad_alloc&) {
    return;
  }
  for (long long row = ymin; row <= ymax; row++)
    for (long long col = xmin; col <= xmax; col++)
      mask[size_t(row - my0) * mw + size_t(col - mx0)] = kBox;
  ForEachInk(f, s, xmin, baseline, up,
             [&](int px, int py) { mask[size_t(py - my0) * mw + size_t(px - mx0)] = kInk; });
  double a = cv->text_orientation / CD_RAD2DEG, c = std::cos(a), sn = std::sin(a);
  /* the turn centre is the reference point's corner; rows counted from the
   * top put that corner one row lower */
  const double cx = x, cy = cv->y_inverted ? y + 1.0 : double(y);
  if (cv->y_inverted) sn = -sn;
  /* bounds of the turned mask */
  double lo_x = 1e300, hi_x = -1e300, lo_y = 1e300, hi_y = -1e300;
  const double corner_x[4] = {double(mx0), double(mx1) + 1, double(mx1) + 1, double(mx0)};
  const double corner_y[4] = {double(my0), double(my0), double(my1) + 1, double(my1) + 1};
  for (int i = 0; i < 4; i++) {
    double dx = corner_x[i] - cx, dy = corner_y[i] - cy;
    double px = cx + dx * c - dy * sn, py = cy + dx * sn + dy * c;
    lo_x = std::min(lo_x, px), hi_x = std::max(hi_x, px);
    lo_y = std::min(lo_y, py), hi_y = std::max(hi_y, py);
  }
  /* only what can show on the canvas is visited (nothing for an angle that
   * is not a number) */
  if (!(lo_x <= hi_x && lo_y <= hi_y)) return;
  int tx0 = int(std::clamp(std::floor(lo_x), 0.0, double(cv->w)));
  int tx1 = int(std::clamp(std::ceil(hi_x), -1.0, cv->w - 1.0));
  int ty0 = int(std::clamp(std::floor(lo_y), 0.0, double(cv->h)));
  int ty1 = int(std::clamp(std::ceil(hi_y), -1.0, cv->h - 1.0));
  bool opaque = cv->back_opacity == CD_OPAQUE;
  for (int ty = ty0; ty <= ty1; ty++)
    for (int tx = tx0; tx <= tx1; tx++) {
      double dx = tx + 0.5 - cx, dy = ty + 0.5 - cy;
      double u = std::floor(cx + dx * c + dy * sn) - mx0;
      double v = std::floor(cy - dx * sn + dy * c) - my0;
      if (u < 0 || v < 0 || u >= double(mw) || v >= double(mh)) continue;
      unsigned char cell = mask[size_t(v) * mw + size_t(u)];
      if (cell == kInk)
        ClippedPixel(cv, tx, ty, cv->foreground);
      else if (cell == kBox && opaque)
        ClippedPixel(cv, tx, ty, cv->background);
    }
}

}  // namespace

void Text(cdCanvas* cv, int x, int y, const char* s) {
  const TrueTypeFont* f = Loaded(cv);
  if (!f || !s || !s[0]) return;
  int xmin, xmax, ymin, ymax;
  double orientation = cv->text_orientation;
  cv->text_orientation = 0;
  cdcore::TextBox(cv, x, y, s, &xmin, &xmax, &ymin, &ymax);
  cv->text_orientation = orientation;
  int baseline = int(std::min<long long>((long long)ymin + f->descent, INT_MAX));
  if (cv->y_inverted) {
    /* rows counted from the top: the box lies on the other side of y, so
     * that the picture is the normal one upside down */
    auto mirror = [y](long long row) {
      return int(std::clamp(2LL * y - row, (long long)INT_MIN, (long long)INT_MAX));
    };
    int top = ymax;
    baseline = mirror((long long)ymin + f->descent);
    ymax = mirror(ymin);
    ymin = mirror(top);
  }
  if (orientation != 0 && std::isfinite(orientation)) { /* an angle not a number: unturned */
    RotatedText(cv, f, x, y, s, xmin, xmax, ymin, ymax, baseline);
    return;
  }
  if (cv->back_opacity == CD_OPAQUE) /* only the part on the canvas */
    for (int row = std::max(ymin, 0); row <= std::min(ymax, cv->h - 1); row++)
      for (int col = std::max(xmin, 0); col <= std::min(xmax, cv->w - 1); col++)
        ClippedPixel(cv, col, row, cv->background);
  ForEachInk(f, s, xmin, baseline, cv->y_inverted ? -1 : 1,
             [cv](int px, int py) { ClippedPixel(cv, px, py, cv->foreground); });
}

}  // namespace cdsim
