/* The three-plane raster surface: writes through the write modes, clipped
 * to the surface's clip rectangle, image puts with nearest-sample
 * stretching and alpha blending, reads and overlap-safe scrolling. */
#include "simraster.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <vector>

#include "sim.h"

namespace cdsim {

namespace {

inline unsigned char Mix(unsigned char old, unsigned char v, int mode) {
  switch (mode) {
    case CD_XOR:
      return (unsigned char)(old ^ v);
    case CD_NOT_XOR:
      return (unsigned char)(old ^ ~v);
    default:
      return v;
  }
}

inline void Write(Raster& ra, size_t at, unsigned char r, unsigned char g, unsigned char b,
                  int mode) {
  ra.r[at] = Mix(ra.r[at], r, mode);
  ra.g[at] = Mix(ra.g[at], g, mode);
  ra.b[at] = Mix(ra.b[at], b, mode);
}

void TargetPixel(cdCanvas* cv, int x, int y, long color) {
  RasterPixel(*cv->sim->raster, x, y, color, cv->write_mode);
}

void TargetSpan(cdCanvas* cv, int xmin, int xmax, int y, long color) {
  RasterSpan(*cv->sim->raster, xmin, xmax, y, color, cv->write_mode);
}

/* target rectangle clipped to the surface clip; false when disjoint */
bool ClipTarget(const Raster& ra, int x, int y, int w, int h, int& x0, int& x1, int& y0, int& y1) {
  x0 = std::max(x, ra.xmin);
  y0 = std::max(y, ra.ymin);
  x1 = int(std::min<long long>((long long)x + w - 1, ra.xmax));
  y1 = int(std::min<long long>((long long)y + h - 1, ra.ymax));
  return x0 <= x1 && y0 <= y1;
}

/* source index of target offset j: nearest sample, never past the source */
inline int Sample(int j, int count, int size, int first) {
  if (count == size) return first + j;
  long long s = (2LL * j * count + size) / (2LL * size); /* floor(j * count / size + 0.5) */
  if (s > count - 1) s = count - 1;
  return first + int(s);
}

}  // namespace

void UseRasterPrimitives(cdOperations& o) {
  o.Line = Line;
  o.Poly = Poly;
  o.Box = Box;
  o.Arc = Arc;
  o.Sector = Sector;
  o.Text = Text;
  o.Font = Font;
  o.NativeFont = NativeFont;
  o.FontDim = FontDim;
  o.TextSize = TextSize;
}

void UseRaster(cdCanvas* cv, Raster* raster) {
  cv->sim->raster = raster;
  cv->sim->raster_native = true;
  cv->sim->target = {TargetPixel, TargetSpan};
}

void RasterResetClip(Raster& ra) {
  ra.xmin = 0, ra.ymin = 0, ra.xmax = ra.w - 1, ra.ymax = ra.h - 1;
}

void RasterPixel(Raster& ra, int x, int y, long color, int mode) {
  if (x < ra.xmin || x > ra.xmax || y < ra.ymin || y > ra.ymax) return;
  Write(ra, size_t(y) * ra.w + x, (unsigned char)(color >> 16), (unsigned char)(color >> 8),
        (unsigned char)color, mode);
}

void RasterSpan(Raster& ra, int xmin, int xmax, int y, long color, int mode) {
  if (xmin > xmax) std::swap(xmin, xmax);
  if (y < ra.ymin || y > ra.ymax) return;
  xmin = std::max(xmin, ra.xmin);
  xmax = std::min(xmax, ra.xmax);
  if (xmin > xmax) return;
  unsigned char r = (unsigned char)(color >> 16), g = (unsigned char)(color >> 8),
                b = (unsigned char)color;
  size_t row = size_t(y) * ra.w;
  if (mode == CD_REPLACE) {
    ReplaceRun(ra, row + size_t(xmin), size_t(xmax - xmin + 1), r, g, b);
    return;
  }
  for (int x = xmin; x <= xmax; x++) Write(ra, row + x, r, g, b, mode);
}

void RasterFill(Raster& ra, long color) {
  size_t n = size_t(ra.w) * ra.h;
  std::memset(ra.r, (unsigned char)(color >> 16), n);
  std::memset(ra.g, (unsigned char)(color >> 8), n);
  std::memset(ra.b, (unsigned char)color, n);
}

namespace {

/* calls put(source index, target index) for every target pixel of (x, y,
 * w, h) inside the clip, the source rectangle stretched over it */
template <class Put>
void ForEachTargetPixel(const Raster& ra, int iw, int x, int y, int w, int h, int xmin, int xmax,
                        int ymin, int ymax, Put put) {
  int x0, x1, y0, y1;
  if (w <= 0 || h <= 0 || !ClipTarget(ra, x, y, w, h, x0, x1, y0, y1)) return;
  int cols = xmax - xmin + 1, rows = ymax - ymin + 1;
  if (cols <= 0 || rows <= 0) return;
  for (int ty = y0; ty <= y1; ty++) {
    size_t src_row = size_t(Sample(ty - y, rows, h, ymin)) * iw;
    size_t dst_row = size_t(ty) * ra.w;
    for (int tx = x0; tx <= x1; tx++) put(src_row + Sample(tx - x, cols, w, xmin), dst_row + tx);
  }
}

}  // namespace

void RasterPutRGB(Raster& ra, int iw, int, const unsigned char* r, const unsigned char* g,
                  const unsigned char* b, const unsigned char* a, int x, int y, int w, int h,
                  int xmin, int xmax, int ymin, int ymax, int mode) {
  ForEachTargetPixel(ra, iw, x, y, w, h, xmin, xmax, ymin, ymax, [&](size_t s, size_t d) {
    unsigned char nr = r[s], ng = g[s], nb = b[s];
    if (a) {
      int al = a[s];
      nr = (unsigned char)((al * nr + (255 - al) * ra.r[d]) / 255);
      ng = (unsigned char)((al * ng + (255 - al) * ra.g[d]) / 255);
      nb = (unsigned char)((al * nb + (255 - al) * ra.b[d]) / 255);
    }
    Write(ra, d, nr, ng, nb, mode);
  });
}

void RasterPutMap(Raster& ra, int iw, int, const unsigned char* index, const long* colors, int x,
                  int y, int w, int h, int xmin, int xmax, int ymin, int ymax, int mode) {
  ForEachTargetPixel(ra, iw, x, y, w, h, xmin, xmax, ymin, ymax, [&](size_t s, size_t d) {
    long c = colors[index[s]];
    Write(ra, d, (unsigned char)(c >> 16), (unsigned char)(c >> 8), (unsigned char)c, mode);
  });
}

void RasterGetRGB(const Raster& ra, unsigned char* r, unsigned char* g, unsigned char* b, int x,
                  int y, int w, int h) {
  int x0 = std::max(x, 0), y0 = std::max(y, 0);
  int x1 = int(std::min<long long>((long long)x + w - 1, ra.w - 1));
  int y1 = int(std::min<long long>((long long)y + h - 1, ra.h - 1));
  if (x0 > x1 || y0 > y1) return;
  size_t n = size_t(x1 - x0 + 1);
  for (int sy = y0; sy <= y1; sy++) {
    size_t s = size_t(sy) * ra.w + x0, d = size_t(sy - y) * w + (x0 - x);
    std::memcpy(r + d, ra.r + s, n);
    std::memcpy(g + d, ra.g + s, n);
    std::memcpy(b + d, ra.b + s, n);
  }
}

void RasterScroll(Raster& ra, int xmin, int xmax, int ymin, int ymax, int dx, int dy) {
  if (xmin > xmax) std::swap(xmin, xmax);
  if (ymin > ymax) std::swap(ymin, ymax);
  xmin = std::max(xmin, 0), ymin = std::max(ymin, 0);
  xmax = std::min(xmax, ra.w - 1), ymax = std::min(ymax, ra.h - 1);
  if (xmin > xmax || ymin > ymax) return;
  /* the destination part inside the clip rectangle, and the source it reads */
  long long dx0 = std::max<long long>((long long)xmin + dx, ra.xmin);
  long long dx1 = std::min<long long>((long long)xmax + dx, ra.xmax);
  long long dy0 = std::max<long long>((long long)ymin + dy, ra.ymin);
  long long dy1 = std::min<long long>((long long)ymax + dy, ra.ymax);
  if (dx0 > dx1 || dy0 > dy1) return;
  size_t n = size_t(dx1 - dx0 + 1);
  /* rows in the order that reads every source row before it is overwritten;
   * memmove keeps each row intact whichever way it moves */
  auto copy_row = [&](long long ty) {
    size_t d = size_t(ty) * ra.w + size_t(dx0);
    size_t s = size_t(ty - dy) * ra.w + size_t(dx0 - dx);
    std::memmove(ra.r + d, ra.r + s, n);
    std::memmove(ra.g + d, ra.g + s, n);
    std::memmove(ra.b + d, ra.b + s, n);
  };
  if (dy > 0)
    for (long long ty = dy1; ty >= dy0; ty--) copy_row(ty);
  else
    for (long long ty = dy0; ty <= dy1; ty++) copy_row(ty);
}

}  // namespace cdsim
