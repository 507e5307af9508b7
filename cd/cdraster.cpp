/* The raster driver base (cdraster.h). The simulation draws with device
 * coordinates directly in either row order; images, whose row 0 is the
 * bottom line, go into a top-down raster one device row at a time. */
#include "cdraster.h"

#include <algorithm>
#include <cstddef>
#include <new>

#include "cdpriv.h"
#include "sim.h"

namespace cdraster {
namespace {

/* every raster driver's record begins with its raster */
cdsim::Raster& Ra(cdCanvas* cv) {
  return *static_cast<cdsim::Raster*>(cv->driver_data);
}
bool TopDown(const cdCanvas* cv) {
  return cv->y_inverted != 0;
}

void Clear(cdCanvas* cv) {
  cdsim::RasterFill(Ra(cv), cv->background);
}
void Pixel(cdCanvas* cv, int x, int y, long color) {
  cdsim::ClippedPixel(cv, x, y, color);
}

int Clip(cdCanvas* cv, int mode) {
  cdsim::Raster& ra = Ra(cv);
  if (mode == CD_CLIPAREA) {
    ra.xmin = cv->clip_xmin, ra.xmax = cv->clip_xmax;
    ra.ymin = cv->clip_ymin, ra.ymax = cv->clip_ymax;
  } else {
    cdsim::RasterResetClip(ra);
  }
  return mode;
}

int Clamp(int v, int size) {
  return v < 0 ? 0 : (v >= size ? size - 1 : v);
}

void ClipArea(cdCanvas* cv, int* xmin, int* xmax, int* ymin, int* ymax) {
  *xmin = Clamp(*xmin, cv->w), *xmax = Clamp(*xmax, cv->w);
  *ymin = Clamp(*ymin, cv->h), *ymax = Clamp(*ymax, cv->h);
  if (cv->clip_mode == CD_CLIPAREA) {
    cdsim::Raster& ra = Ra(cv);
    ra.xmin = *xmin, ra.xmax = *xmax, ra.ymin = *ymin, ra.ymax = *ymax;
  }
}

/* Row y of the raster as a raster of its own, with the raster's column
 * clip. Put and read one device row at a time, each at the offset it has
 * from the image's bottom line, images land in a top-down raster exactly
 * as in a bottom-up one. */
cdsim::Raster RowOf(const cdsim::Raster& ra, int y) {
  cdsim::Raster row;
  size_t at = size_t(y) * size_t(ra.w);
  row.w = ra.w, row.h = 1;
  row.r = ra.r + at, row.g = ra.g + at, row.b = ra.b + at;
  row.xmin = ra.xmin, row.xmax = ra.xmax, row.ymin = 0, row.ymax = 0;
  return row;
}

/* The device rows of an image of h rows whose bottom line is on row y of
 * a top-down raster, inside the raster's clip; each is handed over with
 * its offset from the bottom line. */
template <typename PutRow>
void EachImageRow(const cdsim::Raster& ra, int y, int h, PutRow put_row) {
  long long top = std::max<long long>((long long)y - h + 1, ra.ymin);
  long long bottom = std::min<long long>(y, ra.ymax);
  for (long long row = top; row <= bottom; row++) {
    cdsim::Raster one = RowOf(ra, int(row));
    put_row(one, int(y - row));
  }
}

void PutImageRectRGB(cdCanvas* cv, int iw, int ih, const unsigned char* r, const unsigned char* g,
                     const unsigned char* b, int x, int y, int w, int h, int xmin, int xmax,
                     int ymin, int ymax) {
  if (!TopDown(cv)) {
    cdsim::RasterPutRGB(Ra(cv), iw, ih, r, g, b, nullptr, x, y, w, h, xmin, xmax, ymin, ymax,
                        cv->write_mode);
    return;
  }
  EachImageRow(Ra(cv), y, h, [&](cdsim::Raster& row, int up) {
    cdsim::RasterPutRGB(row, iw, ih, r, g, b, nullptr, x, -up, w, h, xmin, xmax, ymin, ymax,
                        cv->write_mode);
  });
}

void PutImageRectRGBA(cdCanvas* cv, int iw, int ih, const unsigned char* r, const unsigned char* g,
                      const unsigned char* b, const unsigned char* a, int x, int y, int w, int h,
                      int xmin, int xmax, int ymin, int ymax) {
  if (!TopDown(cv)) {
    cdsim::RasterPutRGB(Ra(cv), iw, ih, r, g, b, a, x, y, w, h, xmin, xmax, ymin, ymax,
                        cv->write_mode);
    return;
  }
  EachImageRow(Ra(cv), y, h, [&](cdsim::Raster& row, int up) {
    cdsim::RasterPutRGB(row, iw, ih, r, g, b, a, x, -up, w, h, xmin, xmax, ymin, ymax,
                        cv->write_mode);
  });
}

void PutImageRectMap(cdCanvas* cv, int iw, int ih, const unsigned char* index, const long* colors,
                     int x, int y, int w, int h, int xmin, int xmax, int ymin, int ymax) {
  if (!TopDown(cv)) {
    cdsim::RasterPutMap(Ra(cv), iw, ih, index, colors, x, y, w, h, xmin, xmax, ymin, ymax,
                        cv->write_mode);
    return;
  }
  EachImageRow(Ra(cv), y, h, [&](cdsim::Raster& row, int up) {
    cdsim::RasterPutMap(row, iw, ih, index, colors, x, -up, w, h, xmin, xmax, ymin, ymax,
                        cv->write_mode);
  });
}

/* (x, y): device point of the bottom-left corner; the planes get the
 * bottom line first, as every image. A top-down raster keeps what the
 * planes hold where the rectangle leaves the canvas. */
void GetImageRGB(cdCanvas* cv, unsigned char* r, unsigned char* g, unsigned char* b, int x, int y,
                 int w, int h) {
  if (!TopDown(cv)) {
    cdsim::RasterGetRGB(Ra(cv), r, g, b, x, y, w, h);
    return;
  }
  cdsim::Raster whole = Ra(cv);
  cdsim::RasterResetClip(whole); /* reading ignores the clip */
  EachImageRow(whole, y, h, [&](cdsim::Raster& row, int up) {
    size_t at = size_t(up) * size_t(w);
    cdsim::RasterGetRGB(row, r + at, g + at, b + at, x, 0, w, 1);
  });
}

void ScrollArea(cdCanvas* cv, int xmin, int xmax, int ymin, int ymax, int dx, int dy) {
  cdsim::RasterScroll(Ra(cv), xmin, xmax, ymin, ymax, dx, dy);
}

/* server images: white pictures in the canvas' row order */
void* CreateImage(cdCanvas* cv, int w, int h) {
  Picture* p = new (std::nothrow) Picture;
  if (!p) return nullptr;
  p->xres = cv->xres, p->yres = cv->yres, p->bpp = cv->bpp;
  try {
    size_t n = size_t(w) * size_t(h);
    p->w = w, p->h = h;
    p->r.assign(n, 255), p->g.assign(n, 255), p->b.assign(n, 255);
  } catch (const std::bad_alloc&) {
    delete p;
    return nullptr;
  }
  return p;
}

/* copies the canvas area whose bottom-left corner is (x, y) */
void GetImage(cdCanvas* cv, void* image, int x, int y) {
  Picture* p = static_cast<Picture*>(image);
  int first = TopDown(cv) ? y - p->h + 1 : y;
  cdsim::RasterGetRGB(Ra(cv), p->r.data(), p->g.data(), p->b.data(), x, first, p->w, p->h);
}

/* the image area xmin..xmax, ymin..ymax (row ymin the bottom one) with its
 * bottom-left corner at (x, y) */
void PutImageRect(cdCanvas* cv, void* image, int x, int y, int xmin, int xmax, int ymin, int ymax) {
  Picture* p = static_cast<Picture*>(image);
  int rows = ymax - ymin + 1;
  if (!TopDown(cv)) {
    cdsim::RasterPutRGB(Ra(cv), p->w, p->h, p->r.data(), p->g.data(), p->b.data(), nullptr, x, y,
                        xmax - xmin + 1, rows, xmin, xmax, ymin, ymax, cv->write_mode);
    return;
  }
  int top = p->h - 1 - ymax, bottom = p->h - 1 - ymin;
  cdsim::RasterPutRGB(Ra(cv), p->w, p->h, p->r.data(), p->g.data(), p->b.data(), nullptr, x,
                      y - rows + 1, xmax - xmin + 1, rows, xmin, xmax, top, bottom, cv->write_mode);
}

void KillImage(void* image) {
  ReleasePicture(static_cast<Picture*>(image));
}

}  // namespace

void FillOperations(cdCanvas* cv) {
  cdOperations& o = cv->ops;
  o.Clear = Clear;
  o.Pixel = Pixel;
  cdsim::UseRasterPrimitives(o);
  o.Clip = Clip;
  o.ClipArea = ClipArea;
  o.PutImageRectRGB = PutImageRectRGB;
  o.PutImageRectRGBA = PutImageRectRGBA;
  o.PutImageRectMap = PutImageRectMap;
  o.GetImageRGB = GetImageRGB;
  o.ScrollArea = ScrollArea;
  o.CreateImage = CreateImage;
  o.GetImage = GetImage;
  o.PutImageRect = PutImageRect;
  o.KillImage = KillImage;
  cdsim::UseRaster(cv, &Ra(cv));
  cdsim::LoadCurrentFont(cv);
}

}  // namespace cdraster
