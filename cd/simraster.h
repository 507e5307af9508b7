/* A raster surface of three 8-bit planes (row 0 at the bottom, pixel
 * x + y * w) with a clip rectangle: pixel, span and image writes through
 * the write modes, reads, scrolling. Any driver that keeps its picture in
 * memory (the RGB image driver, window canvases) draws through it; the
 * simulation writes into it directly once UseRaster is called. */
#ifndef VARKO_SIMRASTER_H
#define VARKO_SIMRASTER_H

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "cddriver.h"

namespace cdsim {

struct Raster {
  int w = 0, h = 0;
  unsigned char *r = nullptr, *g = nullptr, *b = nullptr;
  int xmin = 0, ymin = 0, xmax = -1, ymax = -1; /* clip rectangle, inclusive */
};

/* the simulation of cv writes into raster from now on */
void UseRaster(cdCanvas* cv, Raster* raster);
/* the primitives and TrueType text a raster-backed driver takes from the
 * rasteriser as they are */
void UseRasterPrimitives(cdOperations& o);

void RasterResetClip(Raster& raster);
void RasterPixel(Raster& raster, int x, int y, long color, int write_mode);
void RasterSpan(Raster& raster, int xmin, int xmax, int y, long color, int write_mode);
void RasterFill(Raster& raster, long color); /* whole surface, clip ignored */

/* n bytes set to v; up to 16 by two overlapping word stores, no call */
inline void FillBytes(unsigned char* p, size_t n, unsigned char v) {
  if (n > 16) {
    std::memset(p, v, n);
  } else if (n >= 8) {
    uint64_t word = 0x0101010101010101u * v;
    std::memcpy(p, &word, 8);
    std::memcpy(p + n - 8, &word, 8);
  } else if (n >= 4) {
    uint32_t word = 0x01010101u * v;
    std::memcpy(p, &word, 4);
    std::memcpy(p + n - 4, &word, 4);
  } else if (n >= 2) {
    uint16_t word = uint16_t(0x0101u * v);
    std::memcpy(p, &word, 2);
    std::memcpy(p + n - 2, &word, 2);
  } else if (n == 1) {
    *p = v;
  }
}

/* n pixels from offset `at` set to one colour */
inline void ReplaceRun(Raster& ra, size_t at, size_t n, unsigned char r, unsigned char g,
                       unsigned char b) {
  FillBytes(ra.r + at, n, r);
  FillBytes(ra.g + at, n, g);
  FillBytes(ra.b + at, n, b);
}

/* Solid spans of one primitive written straight into a raster: one clip
 * rectangle (inclusive), one colour and write mode for all of them, so a
 * span costs a clamp and the writes. Made by DirectSolidSpans (sim.h). */
struct SolidSpans {
  Raster* raster = nullptr;
  int xmin = 0, xmax = -1, ymin = 0, ymax = -1;
  long color = 0;
  int mode = CD_REPLACE;
  unsigned char r = 0, g = 0, b = 0;
};

inline void PutSolidSpan(const SolidSpans& s, int xmin, int xmax, int y) {
  if (y < s.ymin || y > s.ymax) return;
  xmin = std::max(xmin, s.xmin);
  xmax = std::min(xmax, s.xmax);
  if (xmin > xmax) return;
  if (s.mode != CD_REPLACE) {
    RasterSpan(*s.raster, xmin, xmax, y, s.color, s.mode);
    return;
  }
  ReplaceRun(*s.raster, size_t(y) * size_t(s.raster->w) + size_t(xmin), size_t(xmax - xmin + 1),
             s.r, s.g, s.b);
}

/* images: the target rectangle (x, y, w, h) is clipped; source rectangle
 * xmin..xmax × ymin..ymax of an iw × ih image, stretched by nearest
 * sampling when the sizes differ */
void RasterPutRGB(Raster& raster, int iw, int ih, const unsigned char* r, const unsigned char* g,
                  const unsigned char* b, const unsigned char* a, int x, int y, int w, int h,
                  int xmin, int xmax, int ymin, int ymax, int write_mode);
void RasterPutMap(Raster& raster, int iw, int ih, const unsigned char* index, const long* colors,
                  int x, int y, int w, int h, int xmin, int xmax, int ymin, int ymax,
                  int write_mode);
/* copies the rectangle (clamped to the surface) into w × h planes */
void RasterGetRGB(const Raster& raster, unsigned char* r, unsigned char* g, unsigned char* b, int x,
                  int y, int w, int h);
void RasterScroll(Raster& raster, int xmin, int xmax, int ymin, int ymax, int dx, int dy);

}  // namespace cdsim

#endif
