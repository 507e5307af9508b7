// A varied scene for the file drivers (lines in every style and several
// widths, filled and hatched polygons, boxes, arcs, sectors, marks, texts
// in several fonts, sizes and angles, images, clipping, and the same kind
// of drawing in world coordinates), drawn on the active canvas of 400 x 300
// pixels; and the tolerant comparison of two rasters of it.
#ifndef VARKO_TESTS_CDPS_SCENE_H
#define VARKO_TESTS_CDPS_SCENE_H

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "cd.h"
#include "wd.h"

namespace scene {

constexpr int kWidth = 400, kHeight = 300;

inline void Image(int x, int y, int w, int h) {
  const int iw = 8, ih = 6;
  std::vector<unsigned char> r(iw * ih), g(iw * ih), b(iw * ih);
  for (int j = 0; j < ih; j++)
    for (int i = 0; i < iw; i++) {
      r[j * iw + i] = (unsigned char)(i * 255 / (iw - 1));
      g[j * iw + i] = (unsigned char)(j * 255 / (ih - 1));
      b[j * iw + i] = 128;
    }
  cdPutImageRectRGB(iw, ih, r.data(), g.data(), b.data(), x, y, w, h, 0, 0, 0, 0);
}

inline void MapImage(int x, int y) {
  const int iw = 4, ih = 4;
  unsigned char index[iw * ih] = {0, 1, 2, 3, 1, 2, 3, 0, 2, 3, 0, 1, 3, 0, 1, 2};
  long colors[4] = {cdEncodeColor(200, 0, 0), cdEncodeColor(0, 160, 0), cdEncodeColor(0, 0, 200),
                    cdEncodeColor(240, 200, 0)};
  cdPutImageRectMap(iw, ih, index, colors, x, y, 32, 32, 0, 0, 0, 0);
}

// Geometry only (lines, fills, arcs, marks, images, clipping, world
// drawing); `Text` adds the texts.
inline void Geometry() {
  // lines in every style, and several widths
  cdForeground(cdEncodeColor(0, 0, 0));
  for (int style = CD_CONTINUOUS; style <= CD_DASH_DOT_DOT; style++) {
    cdLineStyle(style);
    cdLine(10, 290 - 8 * style, 130, 290 - 8 * style);
  }
  cdLineStyle(CD_CONTINUOUS);
  const int widths[] = {1, 3, 6};
  for (int i = 0; i < 3; i++) {
    cdLineWidth(widths[i]);
    cdForeground(cdEncodeColor(0, 0, 160));
    cdLine(10, 240 - 12 * i, 130, 220 - 12 * i);
  }
  cdLineWidth(1);

  // a filled polygon and a hatched one
  cdForeground(cdEncodeColor(0, 150, 0));
  cdBegin(CD_FILL);
  cdVertex(150, 200);
  cdVertex(210, 290);
  cdVertex(260, 210);
  cdEnd();
  cdForeground(cdEncodeColor(160, 0, 0));
  cdHatch(CD_DIAGCROSS);
  cdBegin(CD_FILL);
  cdVertex(280, 200);
  cdVertex(390, 200);
  cdVertex(390, 290);
  cdVertex(280, 290);
  cdEnd();
  cdInteriorStyle(CD_SOLID);

  // boxes, rectangles, arcs and sectors
  cdForeground(cdEncodeColor(200, 120, 0));
  cdBox(10, 60, 130, 180);
  cdForeground(cdEncodeColor(0, 0, 0));
  cdRect(70, 130, 130, 180);
  cdForeground(cdEncodeColor(128, 0, 128));
  cdArc(175, 155, 50, 50, 0, 270);
  cdArc(240, 155, 70, 40, 45, 315);
  cdSector(315, 155, 50, 50, 30, 300);
  cdSector(370, 155, 40, 60, 90, 360);

  // marks
  cdForeground(cdEncodeColor(0, 0, 0));
  for (int type = CD_PLUS; type <= CD_HOLLOW_DIAMOND; type++) {
    cdMarkType(type);
    cdMarkSize(9);
    cdMark(20 + 14 * type, 110);
  }

  // a stipple and a pattern on an opaque back
  cdBackOpacity(CD_OPAQUE);
  cdBackground(cdEncodeColor(255, 240, 160));
  cdForeground(cdEncodeColor(0, 90, 0));
  const unsigned char stipple[16] = {1, 1, 0, 0, 1, 1, 0, 0, 0, 0, 1, 1, 0, 0, 1, 1};
  cdStipple(4, 4, stipple);
  cdBox(10, 40, 78, 100);
  const long pattern[6] = {cdEncodeColor(255, 0, 0),   cdEncodeColor(0, 0, 255),
                           cdEncodeColor(0, 200, 0),   cdEncodeColor(0, 0, 0),
                           cdEncodeColor(255, 255, 0), cdEncodeColor(0, 200, 200)};
  cdPattern(3, 2, pattern);
  cdBox(45, 75, 78, 100);
  cdInteriorStyle(CD_SOLID);
  cdBackOpacity(CD_TRANSPARENT);
  cdBackground(cdEncodeColor(255, 255, 255));
  cdForeground(cdEncodeColor(0, 0, 0));

  // images
  Image(150, 80, 48, 36);
  MapImage(210, 84);

  // clipping: a box and lines cut by a clip rectangle
  cdClipArea(260, 320, 70, 120);
  cdClip(CD_CLIPAREA);
  cdForeground(cdEncodeColor(0, 120, 200));
  cdBox(240, 340, 60, 90);
  cdLineWidth(3);
  cdLine(240, 60, 340, 130);
  cdLineWidth(1);
  cdClip(CD_CLIPOFF);
  cdForeground(cdEncodeColor(0, 0, 0));
  cdRect(260, 320, 70, 120);

  // the same kind of drawing in world coordinates, in the lower band (the
  // viewport stays the whole canvas: metafiles keep the window only)
  wdWindow(0, 100, 0, 250);
  cdForeground(cdEncodeColor(0, 100, 0));
  wdLine(2, 5, 30, 45);
  wdBox(35, 50, 5, 20);
  cdForeground(cdEncodeColor(0, 0, 0));
  wdRect(35, 50, 25, 45);
  cdForeground(cdEncodeColor(180, 0, 0));
  wdArc(62, 25, 15, 30, 0, 180);
  wdSector(80, 25, 20, 30, 200, 340);
  cdForeground(cdEncodeColor(0, 0, 150));
  cdBegin(CD_FILL);
  wdVertex(88, 5);
  wdVertex(98, 5);
  wdVertex(93, 45);
  cdEnd();
  cdForeground(cdEncodeColor(0, 0, 0));
}

inline void Text() {
  struct Label {
    int face, style, size;
    double angle;
    int x, y;
    const char* s;
  };
  const Label labels[] = {{CD_HELVETICA, CD_PLAIN, 12, 0, 330, 110, "Helvetica"},
                          {CD_TIMES_ROMAN, CD_BOLD, 18, 0, 330, 85, "Times"},
                          {CD_COURIER, CD_ITALIC, 10, 0, 330, 70, "Courier (it)"},
                          {CD_HELVETICA, CD_BOLD, 14, 30, 140, 135, "Angle"},
                          {CD_TIMES_ROMAN, CD_PLAIN, 12, 90, 145, 200, "Up"}};
  cdForeground(cdEncodeColor(0, 0, 0));
  for (const Label& l : labels) {
    cdFont(l.face, l.style, l.size);
    cdTextOrientation(l.angle);
    cdText(l.x, l.y, l.s);
  }
  cdTextOrientation(0);
  cdTextAlignment(CD_CENTER);
  cdFont(CD_HELVETICA, CD_PLAIN, 10);
  cdText(95, 70, "centred");
  cdTextAlignment(CD_BASE_LEFT);
}

inline void Draw(bool with_text = true) {
  Geometry();
  if (with_text) Text();
}

// ---- rasters and their comparison ----

struct Raster {
  int w = 0, h = 0;
  std::vector<unsigned char> rgb; /* top row first, three bytes a pixel */
  const unsigned char* At(int x, int y) const { return &rgb[(size_t(y) * w + x) * 3]; }
  bool Ink(int x, int y) const {
    const unsigned char* p = At(x, y);
    return p[0] < 245 || p[1] < 245 || p[2] < 245;
  }
};

// Reads a binary PPM (P6, maxval 255); false when it is not one.
inline bool ReadPpm(const std::string& path, Raster& out) {
  FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return false;
  // the header's numbers, skipping comment lines (gs writes one)
  auto number = [f](int& v) {
    int c;
    while ((c = std::fgetc(f)) != EOF) {
      if (c == '#')
        while ((c = std::fgetc(f)) != EOF && c != '\n') {
        }
      else if (c != ' ' && c != '\n' && c != '\r' && c != '\t')
        break;
    }
    if (c == EOF) return false;
    std::ungetc(c, f);
    return std::fscanf(f, "%d", &v) == 1;
  };
  int maxval = 0;
  bool ok = std::fgetc(f) == 'P' && std::fgetc(f) == '6' && number(out.w) && number(out.h) &&
            number(maxval) && maxval == 255 && std::fgetc(f) != EOF && out.w > 0 && out.h > 0;
  if (ok) {
    out.rgb.resize(size_t(out.w) * out.h * 3);
    ok = std::fread(out.rgb.data(), 1, out.rgb.size(), f) == out.rgb.size();
  }
  std::fclose(f);
  return ok;
}

// From three planes, row 0 the bottom line.
inline Raster FromPlanes(int w, int h, const std::vector<unsigned char>& r,
                         const std::vector<unsigned char>& g, const std::vector<unsigned char>& b) {
  Raster out;
  out.w = w, out.h = h;
  out.rgb.resize(size_t(w) * h * 3);
  for (int y = 0; y < h; y++)
    for (int x = 0; x < w; x++) {
      size_t src = size_t(h - 1 - y) * w + x, dst = (size_t(y) * w + x) * 3;
      out.rgb[dst] = r[src], out.rgb[dst + 1] = g[src], out.rgb[dst + 2] = b[src];
    }
  return out;
}

// The share of the ink pixels of `a` that have, within `radius` pixels in
// `b`, an ink pixel of a close colour (each channel within `tolerance`).
inline double Matched(const Raster& a, const Raster& b, int radius, int tolerance) {
  long ink = 0, matched = 0;
  for (int y = 0; y < a.h; y++)
    for (int x = 0; x < a.w; x++) {
      if (!a.Ink(x, y)) continue;
      ink++;
      const unsigned char* p = a.At(x, y);
      bool found = false;
      for (int dy = -radius; dy <= radius && !found; dy++)
        for (int dx = -radius; dx <= radius && !found; dx++) {
          int u = x + dx, v = y + dy;
          if (u < 0 || v < 0 || u >= b.w || v >= b.h || !b.Ink(u, v)) continue;
          const unsigned char* q = b.At(u, v);
          found = std::abs(p[0] - q[0]) <= tolerance && std::abs(p[1] - q[1]) <= tolerance &&
                  std::abs(p[2] - q[2]) <= tolerance;
        }
      matched += found;
    }
  return ink == 0 ? 0.0 : double(matched) / double(ink);
}

inline long InkCount(const Raster& a) {
  long n = 0;
  for (int y = 0; y < a.h; y++)
    for (int x = 0; x < a.w; x++) n += a.Ink(x, y);
  return n;
}

}  // namespace scene

#endif
